#include "export.h"

#include "macc.h"
#include "outputfile.h"
#include "renderer.h"
#include "resulttable.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

Error fileError(const QString &path, const QString &problem)
{
    return fail(Text::tr("Cannot write \"%1\": %2").arg(path, problem));
}

// A text a spreadsheet takes for a number: digits with at most one decimal
// point or comma after an optional minus sign ("-12", "-0.5").
bool isPlainNumber(QStringView text)
{
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128)
            digits = true;
        else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// A spreadsheet runs a text starting with "=", "+", "-" or "@" as a formula
// (and a tab or carriage return hides such a start). A minus sign is left
// alone where the text is a plain number or the zero mark "-".
bool startsLikeFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first == QLatin1Char('-'))
        return text.size() > 1 && !isPlainNumber(text);
    return first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('@')
        || first == QLatin1Char('\t') || first == QLatin1Char('\r');
}

} // namespace

void appendCsvField(QString &row, const QString &text)
{
    QString value = text;
    if (startsLikeFormula(value))
        value.prepend(QLatin1Char('\''));
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
        || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
    if (quote) {
        value.replace(QLatin1Char('"'), QLatin1String("\"\""));
        row += QLatin1Char('"') + value + QLatin1Char('"');
    } else {
        row += value;
    }
}

QString documentTitle(const PreparedReport &report)
{
    const QString title = maccToUnicode(report.title).simplified();
    return title.isEmpty() ? report.templateName : title;
}

Result<void> writePdf(const PreparedReport &report, const QString &path)
{
    if (report.pages.empty())
        return fileError(path, Text::tr("the report has no pages"));
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    PaintFailure failure = PaintFailure::None;
    {
        QPdfWriter writer(&file.device());
        // The document's title is the report's heading in Cyrillic, its creator the program.
        writer.setTitle(documentTitle(report));
        writer.setCreator(QStringLiteral("Tarel"));
        writer.setResolution(1200);
        std::vector<int> pages(report.pages.size());
        std::iota(pages.begin(), pages.end(), 0);
        failure = paintPages(report, pages, writer);
    }
    if (failure != PaintFailure::None) {
        // A failed write shows as a writer that could not finish: its reason
        // ("No space left on device") says more.
        QString problem = file.writeFailure();
        if (problem.isEmpty())
            problem = failure == PaintFailure::Begin ? Text::tr("the PDF writer could not start")
                                                     : Text::tr("the PDF writer could not finish");
        file.cancel();
        return fileError(path, problem);
    }
    return file.commit();
}

QImage renderPageImage(const PreparedReport &report, int page, double dpi)
{
    if (page < 0 || page >= int(report.pages.size()) || !(dpi > 0) || dpi > 2400)
        return {};
    const PageRenderer renderer(report);
    const QSizeF size = renderer.pageSizePixels(page) * (dpi / 96.0);
    const double pixels = size.width() * size.height();
    if (!(pixels >= 1) || pixels > 400e6)
        return {};
    QImage image(std::max(1, int(std::lround(size.width()))), std::max(1, int(std::lround(size.height()))),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(dpi / 96.0, dpi / 96.0);
    renderer.paintPage(page, painter);
    painter.end();
    return image;
}

Result<void> writePng(const PreparedReport &report, int page, double dpi, const QString &path)
{
    if (page < 0 || page >= int(report.pages.size()))
        return fileError(path, Text::tr("the report has no page %1").arg(page + 1));
    const QImage image = renderPageImage(report, page, dpi);
    if (image.isNull())
        return fileError(path, Text::tr("a page at %1 dpi is too large to draw").arg(dpi));
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    if (!image.save(&file.device(), "PNG")) {
        const QString failure = file.writeFailure();
        file.cancel();
        return fileError(path, failure.isEmpty() ? Text::tr("the PNG could not be encoded") : failure);
    }
    return file.commit();
}

namespace {

void appendCsvRow(QString &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        appendCsvField(out, fields[i]);
    }
    out += QLatin1String("\r\n");
}

} // namespace

Result<void> checkHasCounts(const PreparedReport &report, const QString &path)
{
    // A report without pages is refused as for PDF, not written as an empty table.
    if (report.pages.empty())
        return fileError(path, Text::tr("the report has no pages"));
    if (!report.result || report.result->counts.empty())
        return fileError(path, Text::tr("the report keeps no counts to write as a table"));
    return {};
}

QByteArray csvText(const result::RunResult &result)
{
    const ResultTable table = resultTable(result);
    QString out;
    out.reserve(64 * 1024);
    appendCsvRow(out, {table.title});
    for (const result::HeaderLine &line : table.header)
        appendCsvRow(out, line.caption.isEmpty() ? QStringList{line.text} : QStringList{line.caption, line.text});
    out += QLatin1String("\r\n");
    // The headings, each in the first column it spans; the identity columns'
    // on the first heading line.
    for (std::size_t level = 0; level < std::max<std::size_t>(table.levels.size(), 1); ++level) {
        QStringList fields(table.width());
        if (level == 0)
            for (int c = 0; c < table.identityColumns(); ++c)
                fields[c] = table.identityHeadings[c];
        if (level < table.levels.size())
            for (const ResultTable::Heading &heading : table.levels[level])
                fields[heading.first] = heading.text;
        appendCsvRow(out, fields);
    }
    appendCsvRow(out, table.numbers);
    for (const ResultTable::Line &line : table.lines) {
        QStringList fields = line.identity;
        for (const qint64 count : line.counts)
            fields << table.countText(count);
        appendCsvRow(out, fields);
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

Result<void> writeCsv(const PreparedReport &report, const QString &path)
{
    if (Result<void> counted = checkHasCounts(report, path); !counted)
        return counted;
    return writeOutputFile(path, csvText(*report.result));
}

} // namespace tarel::report
