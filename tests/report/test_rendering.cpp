#include "export.h"
#include "renderer.h"
#include "reportfixtures.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace tarel::report;
using namespace tarel::report::testing;
using namespace Qt::StringLiterals;

namespace {

// The device pixel rectangle of a cell on a 96-dpi image of a 5 mm margin page.
QRect deviceRect(const OutputCell &cell)
{
    const double x = mm(5) + cell.left;
    const double y = mm(5) + cell.top;
    return QRect(QPoint(int(std::floor(x)), int(std::floor(y))),
                 QPoint(int(std::floor(x + cell.width)), int(std::floor(y + cell.height))));
}

int inkInside(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += isInk(image.pixel(x, y));
    return count;
}

int inkOutside(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!rect.contains(x, y))
                count += isInk(image.pixel(x, y));
    return count;
}

} // namespace

TEST(Rendering, EmptyFramedCellDrawsItsFrameOnly)
{
    const OutputCell cell = outputCell(u"Memo1"_s, 100, 100, 40, 20, QString());
    const QImage image = renderPageImage(onePageReport({cell}), 0, 96);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1123, 794)); // A4 landscape at 96 dpi
    const QRect r = deviceRect(cell);
    struct Case {
        const char *what;
        QPoint point;
        bool ink;
    };
    const Case cases[] = {
        {"left frame", {r.left(), r.center().y()}, true},
        {"right frame", {r.right(), r.center().y()}, true},
        {"top frame", {r.center().x(), r.top()}, true},
        {"bottom frame", {r.center().x(), r.bottom()}, true},
        {"inside", r.center(), false},
        {"just inside the top-left corner", r.topLeft() + QPoint(2, 2), false},
        {"outside", r.topLeft() - QPoint(3, 3), false},
    };
    for (const Case &c : cases) {
        const QRgb pixel = image.pixel(c.point);
        if (c.ink)
            EXPECT_EQ(qGray(pixel), 0) << c.what;
        else
            EXPECT_EQ(pixel, qRgb(255, 255, 255)) << c.what;
    }
}

TEST(Rendering, FrameSidesAreDrawnOnlyWhereSet)
{
    OutputCell cell = outputCell(u"Memo2"_s, 100, 100, 40, 20, QString(), u"Arial"_s, 13,
                                 FrameLeft | FrameBottom);
    const QImage image = renderPageImage(onePageReport({cell}), 0, 96);
    const QRect r = deviceRect(cell);
    EXPECT_TRUE(isInk(image.pixel(r.left(), r.center().y())));
    EXPECT_TRUE(isInk(image.pixel(r.center().x(), r.bottom())));
    EXPECT_FALSE(isInk(image.pixel(r.right(), r.center().y())));
    EXPECT_FALSE(isInk(image.pixel(r.center().x(), r.top())));
}

TEST(Rendering, BracketTextPrintsLiterallyAndIsFound)
{
    OutputCell cell = outputCell(u"lekar"_s, 100, 100, 200, 20, u"[Test]"_s, u"Arial"_s, 13, FrameNone);
    const PreparedReport report = onePageReport({cell});
    const QImage image = renderPageImage(report, 0, 96);
    EXPECT_GT(inkInside(image, deviceRect(cell)), 20);
    EXPECT_EQ(inkOutside(image, deviceRect(cell)), 0);
    // The text is drawn (not evaluated away to nothing) and found as stored.
    const auto found = findText(report, u"[test]"_s, false);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, (CellPosition{0, 0}));
    EXPECT_FALSE(findText(report, u"[test]"_s, true).has_value());
}

TEST(Rendering, TextSearchMatchesStoredAndCyrillicReadings)
{
    PreparedReport report = onePageReport({
        outputCell(u"Memo1"_s, 0, 0, 100, 20, u"Izve{taj"_s, u"MAC C Swiss"_s),
        outputCell(u"Memo2"_s, 0, 20, 100, 20, u"A18.0+"_s),
        outputCell(u"Memo3"_s, 0, 40, 100, 20, u"Izve{taj"_s, u"Arial"_s),
    });
    report.pages.push_back(a4Page({outputCell(u"Memo4"_s, 0, 0, 100, 20, u"izve{taj"_s, u"mac c times"_s)}));
    struct Case {
        const char *what;
        QString needle;
        bool caseSensitive;
        CellPosition from;
        std::optional<CellPosition> found;
    };
    const Case cases[] = {
        {"stored text", u"Izve{taj"_s, true, {}, CellPosition{0, 0}},
        {"Cyrillic reading", u"ИЗВЕШТАЈ"_s, false, {}, CellPosition{0, 0}},
        {"Cyrillic, case sensitive mismatch", u"ИЗВЕШТАЈ"_s, true, {}, std::nullopt},
        {"Cyrillic is not matched in Arial", u"Извештај"_s, false, {0, 1}, CellPosition{1, 0}},
        {"next match after the first", u"izve{taj"_s, false, {0, 1}, CellPosition{0, 2}},
        {"search continues on the next page", u"izve{taj"_s, true, {0, 1}, CellPosition{1, 0}},
        {"nothing after the last", u"A18"_s, true, {0, 2}, std::nullopt},
        {"empty needle", QString(), false, {}, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(findText(report, c.needle, c.caseSensitive, c.from), c.found) << c.what;
}

TEST(Rendering, OverflowingTextShrinksInsideItsCell)
{
    struct Case {
        const char *what;
        OutputCell cell;
    };
    const Case cases[] = {
        {"many lines in a one-line cell",
         outputCell(u"Memo1"_s, 100, 100, 120, 19, u"Efekti od tu|o telo {to navleglo niz priroden otvor"_s,
                    u"MAC C Swiss"_s, 13, FrameNone)},
        {"a long number in a narrow cell",
         outputCell(u"Memo2"_s, 100, 100, 20, 19, u"1234567"_s, u"Arial"_s, 13, FrameNone)},
        {"explicit lines", outputCell(u"Memo3"_s, 100, 100, 80, 30, u"one\ntwo\nthree\nfour"_s,
                                      u"Arial"_s, 16, FrameNone)},
        {"a big font in a small cell",
         outputCell(u"Memo4"_s, 100, 100, 60, 15, u"KU]NI"_s, u"MAC C Swiss"_s, 27, FrameNone)},
    };
    for (const Case &c : cases) {
        for (HAlign h : {HAlign::Left, HAlign::Center, HAlign::Right}) {
            for (VAlign v : {VAlign::Top, VAlign::Center, VAlign::Bottom}) {
                OutputCell cell = c.cell;
                cell.hAlign = h;
                cell.vAlign = v;
                const QImage image = renderPageImage(onePageReport({cell}), 0, 96);
                EXPECT_EQ(inkOutside(image, deviceRect(cell)), 0)
                    << c.what << " h" << int(h) << " v" << int(v);
                EXPECT_GT(inkInside(image, deviceRect(cell)), 10) << c.what;
            }
        }
    }
}

// Counts in a grand-total cell of the morbidity forms (10 by 5 mm, MAC C
// Swiss 13): a number that fits keeps its font; one too wide keeps its
// font's height, condensed, and stays clear of the frame.
TEST(Rendering, ALongNumberKeepsItsHeightAndClearsTheFrame)
{
    constexpr int dpi = 192;
    struct Ink {
        int height = 0;  // rows with ink between the frame's rules
        int clearance = 0; // white columns between each side rule and the nearest ink
    };
    auto inkOf = [](const QString &text) {
        const OutputCell cell = outputCell(u"v4"_s, 100, 100, mm(10), mm(5), text, u"MAC C Swiss"_s, 13, FrameAll);
        const QImage image = renderPageImage(onePageReport({cell}), 0, dpi);
        const QRect r = deviceRect(cell);
        const QRect inside(r.topLeft() * 2 + QPoint(3, 3), r.size() * 2 - QSize(6, 6));
        Ink ink;
        int first = -1, last = -1, left = inside.right(), right = inside.left();
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (isInk(image.pixel(x, y))) {
                    first = first < 0 ? y : first;
                    last = y;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ink.height = first < 0 ? 0 : last - first + 1;
        ink.clearance = std::min(left - inside.left(), inside.right() - right) + 3;
        return ink;
    };
    const Ink four = inkOf(u"9563"_s);
    for (const char *number : {"28984", "260003", "1234567"}) {
        const Ink ink = inkOf(QString::fromLatin1(number));
        EXPECT_EQ(ink.height, four.height) << number << ": the font's height";
        EXPECT_GE(ink.clearance, four.clearance - 1) << number << ": as much room to the frame as a number that fits";
    }
}

TEST(Rendering, ShrunkTextKeepsAllItsLines)
{
    // The same text in a cell that holds it and in one half as tall: the small
    // cell must show as many ink rows bands (lines), only smaller.
    auto lineBands = [](const QImage &image, const QRect &rect) {
        int bands = 0;
        bool inBand = false;
        for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
            bool ink = false;
            for (int x = rect.left() + 1; x < rect.right() && !ink; ++x)
                ink = isInk(image.pixel(x, y));
            if (ink && !inBand)
                ++bands;
            inBand = ink;
        }
        return bands;
    };
    const QString text = u"AAA\nBBB\nCCC"_s;
    const OutputCell roomy = outputCell(u"Memo1"_s, 100, 100, 80, 60, text, u"Arial"_s, 13, FrameNone);
    const OutputCell tight = outputCell(u"Memo1"_s, 100, 100, 80, 30, text, u"Arial"_s, 13, FrameNone);
    const QImage roomyImage = renderPageImage(onePageReport({roomy}), 0, 192);
    const QImage tightImage = renderPageImage(onePageReport({tight}), 0, 192);
    auto scaled = [](const OutputCell &cell) {
        const QRect r = deviceRect(cell);
        return QRect(r.topLeft() * 2, r.size() * 2);
    };
    EXPECT_EQ(lineBands(roomyImage, scaled(roomy)), 3);
    EXPECT_EQ(lineBands(tightImage, scaled(tight)), 3);
}

TEST(Rendering, PageSizeAndPaintingAreDeviceIndependent)
{
    const PreparedReport report = onePageReport({outputCell(u"Memo1"_s, 0, 0, 40, 20, u"12"_s)});
    const PageRenderer renderer(report);
    EXPECT_EQ(renderer.pageCount(), 1);
    EXPECT_NEAR(renderer.pageSizePixels(0).width(), mm(297), 1e-9);
    EXPECT_NEAR(renderer.pageSizePixels(0).height(), mm(210), 1e-9);
    EXPECT_TRUE(renderer.pageSizePixels(1).isEmpty());
    // At 192 dpi the frame sits at twice the coordinates.
    const QImage image = renderPageImage(report, 0, 192);
    EXPECT_EQ(image.size(), QSize(2245, 1587));
    EXPECT_TRUE(isInk(image.pixel(int(mm(5) * 2), int(mm(5) * 2 + 20))));
    EXPECT_TRUE(renderPageImage(report, 1, 96).isNull());
    EXPECT_TRUE(renderPageImage(report, 0, 0).isNull());
}

TEST(Rendering, SharedFrameLinesDoNotBridgeGaps)
{
    // Two cells side by side share an edge; a third stands apart on the same row.
    const PreparedReport report = onePageReport({
        outputCell(u"Memo1"_s, 100, 100, 40, 20, QString()),
        outputCell(u"Memo2"_s, 140, 100, 40, 20, QString()),
        outputCell(u"Memo3"_s, 220, 100, 40, 20, QString()),
    });
    const QImage image = renderPageImage(report, 0, 96);
    const int y = int(mm(5) + 100);
    const int x0 = int(mm(5));
    EXPECT_TRUE(isInk(image.pixel(x0 + 120, y)));  // top of the first cell
    EXPECT_TRUE(isInk(image.pixel(x0 + 160, y)));  // top of the second
    EXPECT_FALSE(isInk(image.pixel(x0 + 200, y))); // the gap
    EXPECT_TRUE(isInk(image.pixel(x0 + 240, y)));  // top of the third
    EXPECT_TRUE(isInk(image.pixel(x0 + 140, y + 10))); // shared edge
}
