// Times the report documents on a morbidity-sized template: 13 pages of about
// 500 framed 10 x 5 mm cells with short texts. Prints the figures.

#include "export.h"
#include "macc.h"
#include "prepared.h"
#include "preparedfile.h"
#include "template.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tarel::report;

namespace {

TfrxReport buildTemplate()
{
    TfrxReport report(QStringLiteral("frxBench"));
    int number = 1;
    for (int p = 0; p < 13; ++p) {
        TfrxReportPage page;
        page.name = QStringLiteral("Page%1").arg(p + 1);
        page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 5;
        if (p == 0) {
            page.font = Font{QString::fromLatin1(tarel::report::kMaccSwiss), 13, false};
            TfrxReportTitle title;
            title.width = mm(287);
            title.height = 98.26778;
            title.cells.reserve(20);
            for (int i = 0; i < 20; ++i) {
                TfrxMemoView cell;
                cell.name = QStringLiteral("Title%1").arg(i);
                cell.left = 50 * i;
                cell.top = 10;
                cell.width = 50;
                cell.height = 40;
                cell.frame = FrameAll;
                cell.setText(QStringLiteral("UTVRDENI ZABOLUVAWA - SOSTOJBI"));
                title.cells.push_back(std::move(cell));
            }
            page.title = std::move(title);
        }
        page.cells.reserve(500);
        for (int row = 0; row < 25; ++row) {
            for (int column = 0; column < 20; ++column) {
                TfrxMemoView cell;
                cell.name = QStringLiteral("Memo%1").arg(number++);
                cell.left = mm(10) * column;
                cell.top = 100 + mm(5) * row;
                cell.width = mm(10);
                cell.height = mm(5);
                cell.frame = FrameAll;
                cell.hAlign = HAlign::Center;
                cell.vAlign = VAlign::Center;
                cell.memo = QStringList{column == 0 ? QStringLiteral("A%1").arg(row, 2, 10, QLatin1Char('0'))
                                                    : QStringLiteral("-")};
                page.cells.push_back(std::move(cell));
            }
        }
        report.pages.push_back(std::move(page));
    }
    // Fill numbers into a third of the cells, as a run does.
    for (int i = 1; i < number; i += 3)
        report.setCellText(QStringLiteral("memo%1").arg(i), QString::number(i % 997));
    return report;
}

// The best of a few runs, in milliseconds.
double best(int runs, const std::function<void()> &work)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        fastest = std::min(fastest, timer.nsecsElapsed() / 1e6);
    }
    return fastest;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    TfrxReport report;
    const double build = best(5, [&] { report = buildTemplate(); });
    PreparedReport prepared;
    const double preparation = best(5, [&] { prepared = prepare(report); });
    // The first drawing loads the fonts; time the runs after it.
    (void)renderPageImage(prepared, 1, 96);
    const double png = best(5, [&] { (void)renderPageImage(prepared, 1, 96); });
    const double pdf = best(3, [&] { (void)writePdf(prepared, dir.filePath(QStringLiteral("b.pdf"))); });
    const double save = best(3, [&] { (void)savePrepared(prepared, dir.filePath(QStringLiteral("b.fp3"))); });
    const double load = best(3, [&] { (void)loadPrepared(dir.filePath(QStringLiteral("b.fp3"))); });
    const double csv = best(3, [&] { (void)writeCsv(prepared, dir.filePath(QStringLiteral("b.csv"))); });

    std::printf("template: %d pages, %d cells\n", int(report.pages.size()), report.cellCount());
    std::printf("build template       %8.2f ms\n", build);
    std::printf("prepare              %8.2f ms\n", preparation);
    std::printf("PNG of one page 96dpi%8.2f ms\n", png);
    std::printf("PDF of all pages     %8.2f ms\n", pdf);
    std::printf("save .fp3            %8.2f ms\n", save);
    std::printf("load .fp3            %8.2f ms\n", load);
    std::printf("CSV                  %8.2f ms\n", csv);
    return 0;
}
