#include "export.h"
#include "outputfile.h"
#include "preparedfile.h"
#include "renderer.h"
#include "reportfixtures.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

using namespace tarel::report;
using namespace tarel::report::testing;
using namespace Qt::StringLiterals;

namespace {

PreparedReport twoPageReport()
{
    PreparedReport report;
    report.templateName = u"frxDeca"_s;
    report.pages.push_back(a4Page({
        outputCell(u"Naslov"_s, 100, 0, 400, 30, u"IZVE[TAJ"_s, u"MAC C Swiss"_s, 27, FrameNone),
        outputCell(u"Memo1"_s, 0, 40, 37.8, 18.9, u"-"_s),
        outputCell(u"Memo2"_s, 37.8, 40, 37.8, 18.9, u"12"_s),
    }));
    report.pages.push_back(a4Page({outputCell(u"Memo3"_s, 0, 0, 37.8, 18.9, u"A18.0+"_s)}));
    report.result = smallResult();
    return report;
}

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(PdfExport, OnePagePerOutputPageA4LandscapeWithSearchableCyrillic)
{
    PreparedReport report = twoPageReport();
    report.title = u"IZVE[TAJ ZA POSETA"_s;
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    const QString pdfinfo = QStandardPaths::findExecutable(u"pdfinfo"_s);
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.pdf"_s);
    const auto written = writePdf(report, path);
    ASSERT_TRUE(written.ok()) << written.message().toStdString();

    QProcess info;
    info.start(pdfinfo, {path});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(infoText.contains(QRegularExpression(u"Pages:\\s+2\\n"_s))) << infoText.toStdString();
    // Titled by the report's heading in Cyrillic, made by Tarel.
    EXPECT_TRUE(infoText.contains(QRegularExpression(u"Title:\\s+ИЗВЕШТАЈ ЗА ПОСЕТА\\n"_s))) << infoText.toStdString();
    EXPECT_TRUE(infoText.contains(QRegularExpression(u"Creator:\\s+Tarel\\n"_s))) << infoText.toStdString();
    // A4 landscape: 841.89 x 595.276 points.
    EXPECT_TRUE(infoText.contains(QRegularExpression(u"Page size:\\s+84[12](\\.\\d+)? x 595(\\.\\d+)? pts"_s)))
        << infoText.toStdString();

    QProcess text;
    text.start(pdftotext, {u"-layout"_s, path, u"-"_s});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(extracted.contains(u"ИЗВЕШТАЈ"_s)) << extracted.toStdString();
    EXPECT_TRUE(extracted.contains(u"A18.0+"_s)) << extracted.toStdString();
    EXPECT_EQ(extracted.count(u'\f'), 2);
}

// A device that, like a printer whose printable area is smaller than its
// paper, refuses a page layout without margins.
class MarginedDevice : public QPdfWriter {
public:
    using QPdfWriter::QPdfWriter;
    bool setPageLayout(const QPageLayout &layout) override
    {
        return !layout.margins().isNull() && QPdfWriter::setPageLayout(layout);
    }
};

TEST(PdfExport, EachPageGetsItsPaperOnADeviceThatRefusesLayoutsWithoutMargins)
{
    const QString pdfinfo = QStandardPaths::findExecutable(u"pdfinfo"_s);
    if (pdfinfo.isEmpty())
        GTEST_SKIP() << "poppler-utils (pdfinfo) not installed";
    PreparedReport report = twoPageReport();
    report.pages[1].paperWidth = 210;
    report.pages[1].paperHeight = 297;
    report.pages[1].landscape = false;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"device.pdf"_s);
    {
        MarginedDevice device(path);
        device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)));
        ASSERT_EQ(paintPages(report, {0, 1}, device), PaintFailure::None);
    }
    QProcess info;
    info.start(pdfinfo, {u"-f"_s, u"1"_s, u"-l"_s, u"2"_s, path});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(infoText.contains(QRegularExpression(u"Page +1 size: +84[12](\\.\\d+)? x 595(\\.\\d+)? pts \\(A4\\)"_s)))
        << infoText.toStdString();
    EXPECT_TRUE(infoText.contains(QRegularExpression(u"Page +2 size: +595(\\.\\d+)? x 84[12](\\.\\d+)? pts \\(A4\\)"_s)))
        << infoText.toStdString();
}

// The result as a table: its heading and header, the headings each in the
// first column it spans, the column numbers, then the lines; Cyrillic texts,
// quoting, formula guards and the zero mark of the form.
TEST(CsvExport, TheResultAsATable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.csv"_s);
    ASSERT_TRUE(writeCsv(twoPageReport(), path).ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(QString::fromUtf8(bytes.mid(3)), u"Утврдени заболувања\r\n"
                                                "Дата од:,01.01.2024\r\n"
                                                "Град и Село\r\n"
                                                "\r\n"
                                                ",Заболувања,Шифра,Вкупно,0-9,,10+\r\n"
                                                ",,,м,м,ж,м\r\n"
                                                "1,2,3,4,5,6,7\r\n"
                                                ",Вкупно,A00 - Z99,3,1,1,2\r\n"
                                                "1,'=Прв,A01,3,1,-,2\r\n"
                                                "2,\"Втор, \"\"б\"\"\",A02,-,-,1,-\r\n"
                                                ",Глава I,A00 - A99,3,1,1,2\r\n"_s);

    // A report that keeps no counts (pages alone) is refused.
    PreparedReport pages = twoPageReport();
    pages.result = {};
    const tarel::Result<void> refused = writeCsv(pages, path);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.message(), u"Cannot write \"%1\": the report keeps no counts to write as a table"_s.arg(path));
}

TEST(Export, WritersNameTheFileWhenTheyCannotWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"no-such-folder/out"_s);
    const PreparedReport report = twoPageReport();
    struct Case {
        const char *what;
        tarel::Result<void> result;
    };
    const Case cases[] = {
        {"pdf", writePdf(report, path + u".pdf"_s)},
        {"csv", writeCsv(report, path + u".csv"_s)},
        {"png", writePng(report, 0, 96, path + u".png"_s)},
        {"png of a missing page", writePng(report, 5, 96, dir.filePath(u"page.png"_s))},
        {"pdf of no pages", writePdf(PreparedReport{}, dir.filePath(u"empty.pdf"_s))},
    };
    for (const Case &c : cases) {
        ASSERT_FALSE(c.result.ok()) << c.what;
        EXPECT_TRUE(c.result.message().contains(u"Cannot write \""_s)) << c.what;
        EXPECT_TRUE(c.result.message().contains(dir.path())) << c.what;
    }
    // Nothing half-written is left behind.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

// A write that fails part-way, as on a full disk, fails the whole file: the
// error names the file and the system's reason, the file that was there keeps
// its bytes, and nothing new is left beside it. A small file fails at the
// final flush, a larger one in the middle.
TEST(Export, AFailedWriteKeepsThePreviousFile)
{
    const PreparedReport report = twoPageReport();
    using Writer = std::function<tarel::Result<void>(const QString &)>;
    struct Case {
        const char *what;
        const char *name;
        qint64 failAfter;
        Writer write;
    };
    const Case cases[] = {
        {"csv at the flush", "out.csv", 0, [&](const QString &p) { return writeCsv(report, p); }},
        {"prepared report at the flush", "out.fp3", 0, [&](const QString &p) { return savePrepared(report, p); }},
        {"prepared report part-way", "out.fp3", 100, [&](const QString &p) { return savePrepared(report, p); }},
        {"pdf at the start", "out.pdf", 0, [&](const QString &p) { return writePdf(report, p); }},
        {"pdf part-way", "out.pdf", 4000, [&](const QString &p) { return writePdf(report, p); }},
        {"png part-way", "out.png", 100, [&](const QString &p) { return writePng(report, 0, 96, p); }},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        {
            QFile previous(path);
            ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
            previous.write("previous");
        }
        {
            const tarel::testing::OutputFault full(c.failAfter, ENOSPC);
            const tarel::Result<void> written = c.write(path);
            ASSERT_FALSE(written.ok()) << c.what;
            EXPECT_EQ(written.message(), u"Cannot write \"%1\": No space left on device"_s.arg(path)) << c.what;
        }
        EXPECT_EQ(readAll(path), u"previous"_s) << c.what;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QString::fromLatin1(c.name)}) << c.what;
        ASSERT_TRUE(c.write(path).ok()) << c.what << ": the same write with room succeeds";
        EXPECT_NE(readAll(path), u"previous"_s) << c.what;
    }
}

// A spreadsheet runs a text that starts with "=", "+", "-" or "@" as a
// formula; a number and the zero mark "-" are left as they are.
TEST(CsvExport, FormulaStartsAreGuarded)
{
    struct Case {
        QString text, field;
    };
    const Case cases[] = {
        {u"-2+3+cmd|' /C calc'!A0"_s, u"'-2+3+cmd|' /C calc'!A0"_s},
        {u"-A1"_s, u"'-A1"_s},
        {u"-"_s, u"-"_s},
        {u"-12"_s, u"-12"_s},
        {u"-0.5"_s, u"-0.5"_s},
        {u"=1+2"_s, u"'=1+2"_s},
        {u"@SUM(A1)"_s, u"'@SUM(A1)"_s},
        {u"+7"_s, u"'+7"_s},
        {u"12-3"_s, u"12-3"_s},
    };
    for (const Case &c : cases) {
        QString field;
        appendCsvField(field, c.text);
        EXPECT_EQ(field, c.field) << c.text.toStdString();
    }
}

TEST(Export, PngIsWrittenWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"page.png"_s);
    ASSERT_TRUE(writePng(twoPageReport(), 1, 96, path).ok());
    QImage image(path);
    EXPECT_EQ(image.size(), QSize(1123, 794));
    EXPECT_EQ(readAll(path).isEmpty(), false);
}
