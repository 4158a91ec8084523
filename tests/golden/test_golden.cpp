// The six reports made end to end by the real tarel-report over one seeded
// demo database, in every format, compared with the references checked in
// beside this file:
// - the CSV byte for byte, also as converted from the saved report;
// - the saved report's first page drawn as an image, within a small
//   tolerance (fonts are drawn a shade differently from one machine's
//   libraries to another's);
// - the PDF by what it shows: its pages, and on each page the counts of the
//   rows the saved report has there, line by line as pdftotext reads them;
// - the workbook's numbers, row by row, as the result's counts.
// And the reports saved by the previous version (previous/) still open,
// print and convert to the same CSV. To accept a change on purpose, run
// tools/update-golden (it sets TAREL_UPDATE_GOLDEN=1) and review the diff.

#include "engine.h"
#include "export.h"
#include "generator.h"
#include "prepared.h"
#include "preparedfile.h"
#include "xlsxreader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace tarel;
using namespace Qt::StringLiterals;

namespace {

// The demo database of the references: 20,000 visits, seed 1, ending on
// 30 November 2026; the reports made on 1 December 2026.
const QDate kLastDay(2026, 11, 30);
const QString kFrom = u"2024-12-01"_s;
const QString kTo = u"2026-11-30"_s;
const QDate kMadeOn(2026, 12, 1);
constexpr double kImageDpi = 40;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

const QString &demoDatabase()
{
    static const QString path = [] {
        const QString file = folder().filePath(u"golden.sqlite"_s);
        demodb::DemoOptions options;
        options.visits = 20000;
        options.seed = 1;
        options.months = 24;
        options.lastDay = kLastDay;
        const Result<demodb::DemoStats> written = demodb::writeDemoDatabase(file, options);
        if (!written)
            ADD_FAILURE() << written.message().toStdString();
        return file;
    }();
    return path;
}

QString referencePath(const QString &name) { return QStringLiteral(TAREL_GOLDEN_DIR "/") + name; }

bool updating() { return qEnvironmentVariable("TAREL_UPDATE_GOLDEN") == u"1"; }

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ToolRun {
    int exit = -1;
    QString err;
    QByteArray out;
};

// A program run to its end, made as on the references' day.
ToolRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"SOURCE_DATE_EPOCH"_s,
                       QString::number(QDateTime(kMadeOn, QTime(12, 0), Qt::UTC).toSecsSinceEpoch()));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()), process.readAllStandardOutput()};
}

ToolRun tool(const QStringList &arguments) { return runProgram(QStringLiteral(TAREL_REPORT_EXECUTABLE), arguments); }

// The lines of two texts side by side where they first differ.
std::string firstDifference(const QByteArray &expected, const QByteArray &actual)
{
    const QList<QByteArray> a = expected.split('\n'), b = actual.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QByteArray x = i < a.size() ? a[i] : QByteArray("<none>");
        const QByteArray y = i < b.size() ? b[i] : QByteArray("<none>");
        if (x != y)
            return "line " + std::to_string(i + 1) + "\n  reference: " + x.trimmed().toStdString()
                + "\n  now:       " + y.trimmed().toStdString();
    }
    return "same lines";
}

// How far two page images differ: the share of pixels whose colour differs
// by more than a shade of anti-aliasing (1.0 where the sizes differ).
double differingShare(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            const int d = std::max({std::abs(qRed(p[column]) - qRed(q[column])),
                                    std::abs(qGreen(p[column]) - qGreen(q[column])),
                                    std::abs(qBlue(p[column]) - qBlue(q[column]))});
            differing += d > 64 ? 1 : 0;
        }
    }
    return double(differing) / double(x.width() * x.height());
}

// A count as the forms print it.
QString countText(const result::RunResult &result, int row, int column)
{
    const qint64 count = result.counts.value(row, column);
    return count == 0 && result.counts.shape().zeroAsDash() ? u"-"_s : QString::number(count);
}

// A word of a PDF page and where it is printed, in points from the page's
// top-left corner.
struct PdfWord {
    QRectF box;
    QString text;
};

// The words of every page of a PDF, as pdftotext -bbox reads them.
std::vector<std::vector<PdfWord>> pdfWords(const QString &pdf)
{
    const ToolRun read = runProgram(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    EXPECT_EQ(read.exit, 0) << "pdftotext (poppler-utils) is needed: " << read.err.toStdString();
    static const QRegularExpression word(
        u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s);
    std::vector<std::vector<PdfWord>> pages;
    for (const QString &page : QString::fromUtf8(read.out).split(u"<page "_s).mid(1)) {
        std::vector<PdfWord> &words = pages.emplace_back();
        for (auto match = word.globalMatch(page); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            words.push_back({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                    QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                             m.captured(5)});
        }
    }
    return pages;
}

// What a PDF page prints inside a cell of the saved page: its words whose
// middle lies in the cell's frame, in reading order.
QString printedIn(const std::vector<PdfWord> &words, const report::OutputPage &page, const report::OutputCell &cell)
{
    constexpr double pointsPerMm = 72 / 25.4;
    constexpr double pointsPerPixel = 72.0 / 96.0;
    const QRectF frame(page.leftMargin * pointsPerMm + cell.left * pointsPerPixel,
                       page.topMargin * pointsPerMm + cell.top * pointsPerPixel, cell.width * pointsPerPixel,
                       cell.height * pointsPerPixel);
    QStringList texts;
    for (const PdfWord &word : words)
        if (frame.contains(word.box.center()))
            texts << word.text;
    return texts.join(u' ');
}

// The number cells of a workbook's first sheet, row by row, as shown.
std::vector<QStringList> workbookRows(const QString &path)
{
    const auto workbook = tarel::testing::readXlsx(path);
    if (!workbook || workbook->sheets.empty())
        return {};
    std::map<int, QStringList> rows;
    for (const auto &[position, cell] : workbook->sheets.front().cells)
        if (cell.type == tarel::testing::XlsxCell::Type::Number)
            rows[position.first] << cell.shown();
    std::vector<QStringList> shown;
    for (const auto &[row, numbers] : rows)
        shown.push_back(numbers);
    return shown;
}

// The result's counts, row by row, as the forms print them.
std::vector<QStringList> resultRows(const result::RunResult &result)
{
    std::vector<QStringList> rows;
    for (int row = 0; row < result.counts.shape().rowCount(); ++row) {
        QStringList numbers;
        for (int column = 0; column < result.counts.shape().columnCount(); ++column)
            numbers << countText(result, row, column);
        rows.push_back(numbers);
    }
    return rows;
}

class Golden : public ::testing::TestWithParam<const char *> {
protected:
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // The report made into a file of the format by the tool.
    QString make(const QString &report, const QString &extension)
    {
        const QString output = file(report + u'.' + extension);
        QStringList arguments{report};
        if (!report.startsWith(u"visits-"))
            arguments << u"--all-doctors"_s;
        arguments << u"--from"_s << kFrom << u"--to"_s << kTo << u"--database"_s << demoDatabase() << u"--output"_s
                  << output;
        const ToolRun run = tool(arguments);
        EXPECT_EQ(run.exit, 0) << report.toStdString() << " ." << extension.toStdString() << ": "
                               << run.err.toStdString();
        return output;
    }

    QTemporaryDir m_dir;
};

TEST_P(Golden, EveryFormatMatchesTheReference)
{
    const QString name = QString::fromLatin1(GetParam());
    const engine::ReportDefinition *definition = engine::findReport(name);
    ASSERT_NE(definition, nullptr);
    const QString csvPath = referencePath(name + u".csv"_s);
    const QString imagePath = referencePath(name + u".png"_s);

    const QByteArray csv = readAll(make(name, u"csv"_s));
    const QString saved = make(name, u"fp3"_s);
    const Result<report::PreparedReport> prepared = report::loadPrepared(saved);
    ASSERT_TRUE(prepared.ok()) << prepared.message().toStdString();
    ASSERT_TRUE(prepared->result);
    const result::RunResult &result = *prepared->result;
    const QImage page = report::renderPageImage(*prepared, 0, kImageDpi);
    ASSERT_FALSE(page.isNull());
    if (updating()) {
        QFile reference(csvPath);
        ASSERT_TRUE(reference.open(QIODevice::WriteOnly));
        reference.write(csv);
        ASSERT_TRUE(page.save(imagePath, "PNG"));
        GTEST_SKIP() << "reference written: " << csvPath.toStdString();
    }

    // The CSV as made, and as converted from the saved report.
    const QByteArray expected = readAll(csvPath);
    ASSERT_FALSE(expected.isEmpty()) << "no reference " << csvPath.toStdString() << "; run tools/update-golden";
    EXPECT_TRUE(csv == expected) << name.toStdString() << ": the CSV differs from the reference at "
                                 << firstDifference(expected, csv);
    const QString converted = file(u"converted.csv"_s);
    ASSERT_EQ(tool({u"convert"_s, saved, converted}).exit, 0);
    EXPECT_TRUE(readAll(converted) == expected) << "converted: " << firstDifference(expected, readAll(converted));

    // The first page as drawn.
    const QImage expectedPage(imagePath);
    ASSERT_FALSE(expectedPage.isNull()) << "no reference " << imagePath.toStdString();
    EXPECT_LT(differingShare(page, expectedPage), 0.002)
        << name.toStdString() << ": the first page differs from " << imagePath.toStdString();

    // The PDF: the saved report's pages, each printing in every count cell
    // the result's count.
    const Result<std::vector<engine::FormCellOf>> cells = engine::countCells(*definition);
    ASSERT_TRUE(cells.ok());
    std::map<QString, engine::FormCellOf> cellNamed;
    for (const engine::FormCellOf &cell : *cells)
        cellNamed.emplace(cell.name, cell);
    const std::vector<std::vector<PdfWord>> pdf = pdfWords(make(name, u"pdf"_s));
    ASSERT_EQ(pdf.size(), prepared->pages.size());
    int checked = 0;
    for (std::size_t p = 0; p < pdf.size(); ++p)
        for (const report::OutputCell &cell : prepared->pages[p].cells)
            if (const auto found = cellNamed.find(cell.name); found != cellNamed.end()) {
                EXPECT_EQ(printedIn(pdf[p], prepared->pages[p], cell),
                          countText(result, found->second.row, found->second.column))
                    << "page " << p + 1 << ", " << cell.name.toStdString();
                ++checked;
            }
    EXPECT_EQ(checked, int(cells->size()));

    // The workbook's numbers, row by row, are the result's.
    EXPECT_EQ(workbookRows(make(name, u"xlsx"_s)), resultRows(result));
}

INSTANTIATE_TEST_SUITE_P(Reports, Golden,
                         ::testing::Values("general-medicine", "school-youth", "children", "visits-school-youth",
                                           "visits-children", "visits-general-medicine"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return QString::fromLatin1(info.param).replace(u'-', u'_').toStdString();
                         });

// Reports saved by the previous version, whose files kept their pages but
// not their counts: they still open, print to PDF, and convert to the CSV
// and workbook of the same report made now.
TEST(PreviousVersion, SavedReportsStillOpenPrintAndConvert)
{
    QTemporaryDir dir;
    for (const char *report : {"general-medicine", "visits-school-youth"}) {
        SCOPED_TRACE(report);
        const QString name = QString::fromLatin1(report);
        const QString saved = dir.filePath(name + u".fp3"_s);
        ASSERT_TRUE(QFile::copy(referencePath(u"previous/"_s + name + u".fp3.gz"_s), saved));
        const Result<report::PreparedReport> opened = report::loadPrepared(saved);
        ASSERT_TRUE(opened.ok()) << opened.message().toStdString();

        const QString csv = dir.filePath(name + u".csv"_s);
        const ToolRun converted = tool({u"convert"_s, saved, csv});
        ASSERT_EQ(converted.exit, 0) << converted.err.toStdString();
        const QByteArray expected = readAll(referencePath(name + u".csv"_s));
        EXPECT_TRUE(readAll(csv) == expected) << firstDifference(expected, readAll(csv));

        const QString pdf = dir.filePath(name + u".pdf"_s);
        ASSERT_EQ(tool({u"convert"_s, saved, pdf}).exit, 0);
        const ToolRun info = runProgram(u"pdfinfo"_s, {pdf});
        EXPECT_TRUE(QString::fromUtf8(info.out).contains(QRegularExpression(
            u"Pages:\\s+%1\\n"_s.arg(opened->pages.size()))))
            << info.out.toStdString();

        // Its counts, read back from its pages, make the workbook.
        const Result<std::shared_ptr<const result::RunResult>> counted = engine::resultOf(*opened);
        ASSERT_TRUE(counted.ok()) << counted.message().toStdString();
        const QString xlsx = dir.filePath(name + u".xlsx"_s);
        ASSERT_EQ(tool({u"convert"_s, saved, xlsx}).exit, 0);
        EXPECT_EQ(workbookRows(xlsx), resultRows(**counted));
    }
}

} // namespace
