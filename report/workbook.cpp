#include "workbook.h"

#include "outputfile.h"

#include "macc.h"
#include "sheetlayout.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace tarel::report {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

Error fileError(const QString &path, const QString &problem)
{
    return fail(Text::tr("Cannot write \"%1\": %2").arg(path, problem), ErrorKind::File);
}

// libxlsxwriter writes only to a file name. It writes into a private
// temporary folder; only when it has finished without an error do its bytes
// replace the target, through a file that is renamed into place once every
// byte is written, so the target is replaced completely or left as it was.
Result<void> writeThroughFileName(const QString &path,
                                  const std::function<Result<void>(const QString &fileName)> &write)
{
    // Refused before anything is made: the source, or a target that is no file.
    if (Result<void> target = checkOutputTarget(path); !target)
        return target;
    const QTemporaryDir folder;
    if (!folder.isValid())
        return fileError(path, Text::tr("no temporary folder: %1").arg(folder.errorString()));
    const QString written = folder.filePath(QStringLiteral("workbook.xlsx"));
    if (Result<void> result = write(written); !result)
        return fileError(path, result.message());
    QFile source(written);
    if (!source.open(QIODevice::ReadOnly))
        return fileError(path, source.errorString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError || bytes.size() != source.size())
        return fileError(path, source.errorString());
    return writeOutputFile(path, bytes);
}

Error libraryError(lxw_error error) { return fail(QString::fromUtf8(lxw_strerror(error))); }

QByteArray utf8(const QString &text) { return text.toUtf8(); }

// What a cell looks like; one workbook format per distinct look.
struct Look {
    QString fontName;
    double points = 10;
    bool bold = false;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    std::uint8_t frame = FrameNone;
    bool wrap = false;
    int indent = 0;
    QString numberFormat;

    auto key() const { return std::tie(fontName, points, bold, hAlign, vAlign, frame, wrap, indent, numberFormat); }
    bool operator<(const Look &other) const { return key() < other.key(); }
};

// The font a spreadsheet shows: the MAC C texts are written in Cyrillic, so
// they take the fonts those families stand in for.
QString sheetFontName(const Font &font)
{
    if (font.name.compare(QLatin1String("MAC C Swiss"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Arial");
    if (font.name.compare(QLatin1String("MAC C Times"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Times New Roman");
    return font.name;
}

double points(double templatePixels) { return templatePixels * 72.0 / 96.0; }
constexpr double kMaxPoints = 409;

class Formats {
public:
    explicit Formats(lxw_workbook *workbook) : m_workbook(workbook) {}

    lxw_format *of(const Look &look)
    {
        auto found = m_formats.find(look);
        if (found != m_formats.end())
            return found->second;
        lxw_format *format = workbook_add_format(m_workbook);
        if (!format)
            return nullptr;
        const QByteArray name = utf8(look.fontName);
        format_set_font_name(format, name.constData());
        format_set_font_size(format, look.points);
        if (look.bold)
            format_set_bold(format);
        format_set_align(format, look.hAlign == HAlign::Center  ? LXW_ALIGN_CENTER
                                 : look.hAlign == HAlign::Right ? LXW_ALIGN_RIGHT
                                                                : LXW_ALIGN_LEFT);
        format_set_align(format, look.vAlign == VAlign::Center   ? LXW_ALIGN_VERTICAL_CENTER
                                 : look.vAlign == VAlign::Bottom ? LXW_ALIGN_VERTICAL_BOTTOM
                                                                 : LXW_ALIGN_VERTICAL_TOP);
        if (look.frame & FrameLeft)
            format_set_left(format, LXW_BORDER_THIN);
        if (look.frame & FrameRight)
            format_set_right(format, LXW_BORDER_THIN);
        if (look.frame & FrameTop)
            format_set_top(format, LXW_BORDER_THIN);
        if (look.frame & FrameBottom)
            format_set_bottom(format, LXW_BORDER_THIN);
        if (look.wrap)
            format_set_text_wrap(format);
        if (look.indent > 0)
            format_set_indent(format, uint8_t(std::min(look.indent, 15)));
        if (!look.numberFormat.isEmpty()) {
            const QByteArray code = utf8(look.numberFormat);
            format_set_num_format(format, code.constData());
        }
        m_formats.emplace(look, format);
        return format;
    }

private:
    lxw_workbook *m_workbook;
    std::map<Look, lxw_format *> m_formats;
};

// Counts show as whole numbers; in a report that prints zero as "-", zero
// keeps showing as "-" while remaining the number 0 (a zero the form prints
// as "0" still shows "0").
const char *kCountFormat = "0";
const char *kDashZeroFormat = "0;-0;\"-\"";

Result<void> writeFormSheet(lxw_worksheet *sheet, Formats &formats, const PreparedReport &report)
{
    const Result<SheetLayout> laidOut = sheetLayout(report);
    if (!laidOut)
        return laidOut.error();
    const SheetLayout &layout = *laidOut;
    // Within what a spreadsheet takes: columns up to 255 characters (1790
    // pixels), rows and fonts up to 409 points.
    for (std::size_t c = 0; c < layout.columnWidths.size(); ++c) {
        const auto pixels = uint32_t(std::clamp(std::lround(layout.columnWidths[c]), 1L, 1790L));
        if (lxw_error error = worksheet_set_column_pixels(sheet, lxw_col_t(c), lxw_col_t(c), pixels, nullptr))
            return libraryError(error);
    }
    for (std::size_t r = 0; r < layout.rowHeights.size(); ++r) {
        const double height = std::clamp(points(layout.rowHeights[r]), 1.0, kMaxPoints);
        if (lxw_error error = worksheet_set_row(sheet, lxw_row_t(r), height, nullptr))
            return libraryError(error);
    }

    for (const SheetBlock &block : layout.blocks) {
        Look look;
        look.fontName = sheetFontName(block.font);
        look.points = std::clamp(std::round(points(block.font.height)), 1.0, kMaxPoints);
        look.bold = block.font.bold;
        look.hAlign = block.hAlign;
        look.vAlign = block.vAlign;
        look.frame = block.frame;
        look.wrap = block.table || block.text.contains(QLatin1Char('\n'));
        if (block.count)
            look.numberFormat = QString::fromLatin1(
                layout.zeroAsDash && block.text != QLatin1String("0") ? kDashZeroFormat : kCountFormat);
        lxw_format *format = formats.of(look);
        if (!format)
            return fail(Text::tr("out of memory"));
        const auto row = lxw_row_t(block.row);
        const auto column = lxw_col_t(block.column);
        const QByteArray text = utf8(block.text);
        // A merged range is made empty and its first cell then written, so
        // that every write reports its own failure.
        lxw_error error = LXW_NO_ERROR;
        if (block.rows > 1 || block.columns > 1)
            error = worksheet_merge_range(sheet, row, column, lxw_row_t(block.row + block.rows - 1),
                                          lxw_col_t(block.column + block.columns - 1), "", format);
        if (!error && block.count)
            error = worksheet_write_number(sheet, row, column, double(*block.count), format);
        else if (!error && !block.text.isEmpty())
            error = worksheet_write_string(sheet, row, column, text.constData(), format);
        else if (!error && block.rows == 1 && block.columns == 1)
            error = worksheet_write_blank(sheet, row, column, format);
        if (error)
            return libraryError(error);
    }

    const OutputPage &page = report.pages.front();
    worksheet_set_paper(sheet, uint8_t(page.paperSize > 0 && page.paperSize < 256 ? page.paperSize : 9));
    if (page.landscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    worksheet_set_margins(sheet, page.leftMargin / 25.4, page.rightMargin / 25.4, page.topMargin / 25.4,
                          page.bottomMargin / 25.4);
    worksheet_fit_to_pages(sheet, 1, 0);
    if (layout.headFirst >= 0)
        if (lxw_error error = worksheet_repeat_rows(sheet, lxw_row_t(layout.headFirst), lxw_row_t(layout.headLast)))
            return libraryError(error);
    return {};
}

// The rows of the data sheet: a key, its value, and how deep it lies.
struct DataRow {
    QString key;
    QJsonValue value;
    int depth = 0;
};

// Objects and lists become a row of their own followed by their members,
// one level deeper; lists number their items from 1.
void flatten(std::vector<DataRow> &rows, const QString &key, const QJsonValue &value, int depth)
{
    if (value.isObject()) {
        rows.push_back({key, QJsonValue(), depth});
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            flatten(rows, it.key(), it.value(), depth + 1);
    } else if (value.isArray()) {
        rows.push_back({key, QJsonValue(), depth});
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            flatten(rows, QString::number(i + 1), array[i], depth + 1);
    } else {
        rows.push_back({key, value, depth});
    }
}

std::vector<DataRow> dataRows(const PreparedReport &report)
{
    std::vector<DataRow> rows;
    rows.push_back({QStringLiteral("report"), workbookSheetName(report), 0});
    rows.push_back({QStringLiteral("template"), report.templateName, 0});
    // What was asked first, then the data check, then anything else.
    QStringList keys = report.annotations.keys();
    for (const char *first : {"check", "request"}) {
        if (keys.removeOne(QLatin1String(first)))
            keys.prepend(QLatin1String(first));
    }
    for (const QString &key : keys)
        flatten(rows, key, report.annotations.value(key), 0);
    return rows;
}

// A number, a yes or no, or a text; nothing for null and the empty text.
lxw_error writeValue(lxw_worksheet *sheet, lxw_row_t row, const QJsonValue &value, lxw_format *format)
{
    if (value.isDouble())
        return worksheet_write_number(sheet, row, 1, value.toDouble(), format);
    if (value.isBool())
        return worksheet_write_boolean(sheet, row, 1, value.toBool(), format);
    if (!value.isString() || value.toString().isEmpty())
        return LXW_NO_ERROR;
    // A cell holds at most 32767 characters: a longer note is cut, saying so.
    QString text = value.toString();
    if (text.size() > 32000)
        text = text.left(32000) + QStringLiteral(" ... (%1 more characters)").arg(text.size() - 32000);
    return worksheet_write_string(sheet, row, 1, utf8(text).constData(), format);
}

Result<void> writeDataSheet(lxw_worksheet *sheet, Formats &formats, const PreparedReport &report)
{
    std::vector<DataRow> rows = dataRows(report);
    // A sheet holds 1,048,576 rows: the heading, the rows, a last row saying what was left out.
    constexpr std::size_t kRowsAtMost = LXW_ROW_MAX - 2;
    std::size_t leftOut = 0;
    if (rows.size() > kRowsAtMost) {
        leftOut = rows.size() - (kRowsAtMost - 1);
        rows.resize(kRowsAtMost - 1);
    }
    if (lxw_error error = worksheet_set_column(sheet, 0, 0, 32, nullptr))
        return libraryError(error);
    if (lxw_error error = worksheet_set_column(sheet, 1, 1, 72, nullptr))
        return libraryError(error);
    Look look;
    look.fontName = QStringLiteral("Arial");
    look.bold = true;
    lxw_format *heading = formats.of(look);
    look.bold = false;
    lxw_format *value = formats.of(look);
    if (!heading || !value)
        return fail(Text::tr("out of memory"));
    lxw_error error = worksheet_write_string(sheet, 0, 0, "Podatok", heading);
    if (!error)
        error = worksheet_write_string(sheet, 0, 1, "Vrednost", heading);
    if (!error)
        error = worksheet_repeat_rows(sheet, 0, 0);
    worksheet_set_paper(sheet, 9);
    worksheet_fit_to_pages(sheet, 1, 0);
    lxw_row_t row = 1;
    for (const DataRow &entry : rows) {
        if (error)
            break;
        Look keyLook = look;
        keyLook.indent = entry.depth;
        lxw_format *keyFormat = formats.of(keyLook);
        if (!keyFormat)
            return fail(Text::tr("out of memory"));
        error = worksheet_write_string(sheet, row, 0, utf8(entry.key).constData(), keyFormat);
        if (!error)
            error = writeValue(sheet, row, entry.value, value);
        ++row;
    }
    if (!error && leftOut > 0)
        error = worksheet_write_string(
            sheet, row, 0, utf8(QStringLiteral("(%1 further rows left out)").arg(leftOut)).constData(), value);
    if (error)
        return libraryError(error);
    return {};
}

Result<void> writeWorkbookFile(const PreparedReport &report, const QString &fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    lxw_workbook *workbook = workbook_new(name.constData());
    if (!workbook)
        return fail(Text::tr("the workbook could not be started"));
    Formats formats(workbook);
    Result<void> result;
    const QByteArray formName = utf8(workbookSheetName(report));
    lxw_worksheet *form = workbook_add_worksheet(workbook, formName.constData());
    lxw_worksheet *data = workbook_add_worksheet(workbook, kDataSheetName);
    if (!form || !data)
        result = fail(Text::tr("the sheets could not be added"));
    if (result)
        result = writeFormSheet(form, formats, report);
    if (result)
        result = writeDataSheet(data, formats, report);
    // Closing writes the file and frees the workbook, also after an error.
    const lxw_error closed = workbook_close(workbook);
    if (result && closed)
        result = libraryError(closed);
    return result;
}

} // namespace

QString workbookSheetName(const PreparedReport &report)
{
    QString name = report.annotations.value(QLatin1String("request")).toObject().value(QLatin1String("report")).toString();
    if (name.trimmed().isEmpty())
        name = report.templateName;
    // Sheet names hold no []:*?/\ and at most 31 characters, and do not
    // start or end with an apostrophe.
    for (QChar &c : name)
        if (QStringView(u"[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    name = name.trimmed().left(31);
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    if (name.isEmpty() || name.compare(QLatin1String(kDataSheetName), Qt::CaseInsensitive) == 0)
        name.prepend(QLatin1String("Izvestaj "));
    return name.trimmed();
}

Result<void> writeWorkbook(const PreparedReport &report, const QString &path)
{
    if (report.pages.empty())
        return fileError(path, Text::tr("the report has no pages"));
    return writeThroughFileName(path, [&](const QString &fileName) { return writeWorkbookFile(report, fileName); });
}

} // namespace tarel::report
