// The trend's PDF read back as text: A4 pages, the flagged cells most severe
// first and the doctors silent first, each with its figures; blocks that do
// not fit go on to the next page, numbered "n of N".

#include "smalltrend.h"
#include "trendpdf.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::trend;
using namespace tarel::trend::testing;

namespace {

// The PDF's text page by page, and what pdfinfo says of it.
struct PdfText {
    QStringList pages;
    QString info;
};

std::optional<PdfText> pdfText(const QString &path)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        return std::nullopt;
    PdfText text;
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(30000);
    text.pages = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
    text.pages.removeLast(); // after the last page's form feed
    process.start(pdfinfo, {path});
    process.waitForFinished(30000);
    text.info = QString::fromUtf8(process.readAllStandardOutput());
    return text;
}

} // namespace

TEST(TrendPdf, FlaggedCellsThenDoctorsOnA4)
{
    const QTemporaryDir folder;
    const QString path = qEnvironmentVariableIsSet("TAREL_KEEP_PDF") ? qEnvironmentVariable("TAREL_KEEP_PDF")
                                                                     : folder.filePath(QStringLiteral("trend.pdf"));
    const Result<void> written = writeTrendPdf(smallTrend(), path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();
    const std::optional<PdfText> text = pdfText(path);
    if (!text)
        GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    EXPECT_TRUE(text->info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts"))))
        << text->info.toStdString();
    ASSERT_EQ(text->pages.size(), 2);
    const QString page = text->pages.join(u'\f');
    const QStringList order = {
        QStringLiteral("Споредба со претходните периоди"), QStringLiteral("Село"),
        QStringLiteral("04.2024, споредено со 3 претходни периоди"), QStringLiteral("броеви: 5; лекари без посети: 1"),
        QStringLiteral("исчезна: 1 Тифус"), QStringLiteral("Колона: 0-9, m (ќелија Memo1)"),
        QStringLiteral("Овој период: 0; просек: 3,33; ст. девијација: 0,47"), QStringLiteral("нова: 1 Тифус"),
        QStringLiteral("нова: Chapter I"), QStringLiteral("екстремно отстапување: Chapter I"),
        QStringLiteral("екстремно отстапување: 1 Тифус"), QStringLiteral("Лекари"),
        QStringLiteral("без посети: L01 Петровски Марко"), QStringLiteral("L02 Живковска Снежана"),
        QStringLiteral("Страна 2 од 2")};
    qsizetype at = 0;
    for (const QString &expected : order) {
        const qsizetype found = page.indexOf(expected, at);
        EXPECT_GE(found, 0) << "missing or out of order: " << expected.toStdString() << "\n" << page.toStdString();
        if (found >= 0)
            at = found + expected.size();
    }
}

TEST(TrendPdf, BlocksGoOnToTheNextPage)
{
    // Twenty rows, each new in the last period: twenty flagged cells and more.
    Trend trend = smallTrend();
    const std::shared_ptr<const TableShape> shape = trend.tables.front().sharedShape();
    trend.cells.clear();
    for (int i = 0; i < 20; ++i)
        trend.cells.push_back({QStringLiteral("Memo%1").arg(i), 0, 2});
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("trend.pdf"));
    ASSERT_TRUE(writeTrendPdf(trend, path).ok());
    const std::optional<PdfText> text = pdfText(path);
    if (!text)
        GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    ASSERT_GE(text->pages.size(), 3);
    const qsizetype pages = text->pages.size();
    qsizetype blocks = 0;
    for (qsizetype i = 0; i < pages; ++i) {
        EXPECT_TRUE(text->pages[i].contains(QStringLiteral("Страна %1 од %2").arg(i + 1).arg(pages)));
        blocks += text->pages[i].count(QStringLiteral("нова: 1 Тифус"));
    }
    EXPECT_EQ(blocks, 20);
    EXPECT_TRUE(text->pages.back().contains(QStringLiteral("L02")));
}
