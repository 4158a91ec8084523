#include "workbook.h"

#include "outputfile.h"

#include "macc.h"
#include "sheetlayout.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <cerrno>

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

// libxlsxwriter writes only to a file name: it writes the new file beside
// the target that OutputFile makes, and keeps its own temporary files in the
// same folder, so a workbook needs room only where it goes; only when it has
// finished without an error is that file synced and renamed over the
// target, so the target is replaced completely or left as it was.
Result<void> writeThroughFileName(const QString &path,
                                  const std::function<Result<void>(const QString &fileName)> &write)
{
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    if (Result<void> result = write(file.temporaryPath()); !result)
        return fileError(path, result.message());
    return file.commit();
}

Error libraryError(lxw_error error) { return fail(QString::fromUtf8(lxw_strerror(error))); }

// A failure of the library while it wrote its files: the system's reason
// where there is one (a full disk), and the folder it wrote in.
Error writingError(lxw_error error, int systemError, const QString &fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    QString library = QString::fromUtf8(lxw_strerror(error));
    if (library.endsWith(QLatin1Char('.')))
        library.chop(1);
    if (systemError != 0)
        return fail(Text::tr("the workbook could not be made in the folder \"%1\": %2 (%3)")
                        .arg(folder, qt_error_string(systemError), library));
    return fail(Text::tr("the workbook could not be made in the folder \"%1\": %2").arg(folder, library));
}

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
    bool shrink = false; // a number wider than its column is shown smaller, never as "###"
    int indent = 0;
    QString numberFormat;

    auto key() const
    {
        return std::tie(fontName, points, bold, hAlign, vAlign, frame, wrap, shrink, indent, numberFormat);
    }
    bool operator<(const Look &other) const { return key() < other.key(); }
};

// The font a spreadsheet shows: the MAC C texts are written in Cyrillic, so
// they take the fonts those families stand in for.
QString sheetFontName(const Font &font)
{
    if (font.name.compare(QLatin1String(kMaccSwiss), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Arial");
    if (font.name.compare(QLatin1String(kMaccTimes), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Times New Roman");
    return font.name;
}

double points(double templatePixels) { return templatePixels * 72.0 / 96.0; }
constexpr double kMaxPoints = 409;

// A font's size in points as the form prints it, to a hundredth: rounded to
// whole points a 13-pixel text (9.75 points) would print wider than the form
// and break a code list inside a code.
double fontPoints(const Font &font)
{
    return std::clamp(std::round(points(font.height) * 100) / 100, 1.0, kMaxPoints);
}

// The font most of the form's text is printed in: the workbook's default,
// so that empty cells and the column widths (which a spreadsheet measures in
// its default font's digits) follow the form, not a font the system may lack.
Font mainFont(const SheetLayout &layout)
{
    std::map<QString, std::pair<int, Font>> uses;
    for (const SheetBlock &block : layout.blocks) {
        auto &[count, font] = uses[sheetFontName(block.font)];
        if (count++ == 0)
            font = block.font;
    }
    Font main = defaultFont();
    int most = 0;
    for (const auto &[name, use] : uses)
        if (use.first > most) {
            most = use.first;
            main = use.second;
        }
    return main;
}

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
        if (look.shrink)
            format_set_shrink(format);
        if (look.indent > 0)
            format_set_indent(format, uint8_t(std::min(look.indent, 15)));
        if (!look.numberFormat.isEmpty()) {
            const QByteArray code = utf8(look.numberFormat);
            format_set_num_format(format, code.constData());
        }
        m_formats.emplace(look, format);
        return format;
    }

    // The workbook's default format (its "Normal" style), which libxlsxwriter
    // makes Calibri 11: the form's main font at 10 points instead, whose
    // digits are as wide as Calibri's, so that column widths keep their size.
    void setDefaultFont(const QString &name)
    {
        lxw_format *normal = STAILQ_FIRST(m_workbook->formats);
        if (!normal)
            return;
        const QByteArray family = utf8(name);
        format_set_font_name(normal, family.constData());
        format_set_font_size(normal, 10);
        format_set_font_scheme(normal, "");
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
    formats.setDefaultFont(sheetFontName(mainFont(layout)));
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
        look.points = fontPoints(block.font);
        look.bold = block.font.bold;
        look.hAlign = block.hAlign;
        look.vAlign = block.vAlign;
        look.frame = block.frame;
        look.wrap = !block.count && (block.table || block.text.contains(QLatin1Char('\n')));
        look.shrink = block.count.has_value();
        if (block.count)
            look.numberFormat = QString::fromLatin1(
                layout.zeroAsDash && block.text != QLatin1String("0") ? kDashZeroFormat : kCountFormat);
        lxw_format *format = formats.of(look);
        if (!format)
            return fail(Text::tr("out of memory"));
        // The pieces of a text in their own fonts (a bold label and its
        // value): a rich string, each piece in its font.
        std::vector<QByteArray> pieces;
        std::vector<lxw_rich_string_tuple> tuples;
        std::vector<lxw_rich_string_tuple *> fragments;
        if (!block.count && block.runs.size() > 1) {
            pieces.reserve(block.runs.size());
            tuples.reserve(block.runs.size());
            for (const TextRun &run : block.runs) {
                Look runLook;
                runLook.fontName = sheetFontName(run.font);
                runLook.points = fontPoints(run.font);
                runLook.bold = run.font.bold;
                lxw_format *runFormat = formats.of(runLook);
                if (!runFormat)
                    return fail(Text::tr("out of memory"));
                pieces.push_back(utf8(run.text));
                tuples.push_back({runFormat, pieces.back().data()});
            }
            for (lxw_rich_string_tuple &tuple : tuples)
                fragments.push_back(&tuple);
            fragments.push_back(nullptr);
        }
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
        else if (!error && !fragments.empty())
            error = worksheet_write_rich_string(sheet, row, column, fragments.data(), format);
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

// What a key of the run's annotations is called on the data sheet, in
// Macedonian, and how its value is shown. The sheet lists an object's keys in
// this order (keys not listed after them, by name, under their own name).
enum class Shown { AsIs, Date, MacText, Area, Left };
struct DataLabel {
    const char *key;
    const char *label;
    Shown shown;
};
constexpr DataLabel kDataLabels[] = {
    {"report", "Извештај", Shown::AsIs},
    {"template", "Образец", Shown::AsIs},
    {"request", "Барање", Shown::AsIs},
    {"check", "Проверка на податоците", Shown::AsIs},
    {"format", "Формат", Shown::AsIs},
    {"version", "Верзија", Shown::AsIs},
    {"from", "Датум од", Shown::Date},
    {"to", "Датум до", Shown::Date},
    {"doctor", "Лекар", Shown::AsIs},
    {"code", "Шифра", Shown::AsIs},
    {"name", "Име и презиме", Shown::MacText},
    {"area", "Подрачје", Shown::Area},
    {"alias", "База на податоци", Shown::AsIs},
    // The SQLite file's path stays in the saved report, to run it again; a
    // workbook sent out does not carry it.
    {"database", "", Shown::Left},
    {"selected", "Избрани посети", Shown::AsIs},
    {"counted", "Избројани", Shown::AsIs},
    {"notCounted", "Неизбројани", Shown::AsIs},
    {"noRow", "Дијагноза во ниеден ред", Shown::AsIs},
    {"outsideBands", "Возраст во ниедна група", Shown::AsIs},
    {"noRowDiagnoses", "Дијагнози во ниеден ред", Shown::AsIs},
    {"category", "Дијагноза", Shown::AsIs},
    {"subcategory", "Дополнителна дијагноза", Shown::AsIs},
    {"visits", "Посети", Shown::AsIs},
    {"countedTwice", "Избројани во два реда", Shown::AsIs},
    {"emptyBirthDate", "Без датум на раѓање", Shown::AsIs},
    {"repeatedPersons", "Лице наведено двапати", Shown::AsIs},
    {"unmatchedVisits", "Непознат матичен број", Shown::AsIs},
    {"noSettlementCode", "Без шифра на населено место", Shown::AsIs},
    {"nonIsoVisitDates", "Датум на посета не во облик YYYY-MM-DD", Shown::AsIs},
};
// The areas of a request as the form prints them.
constexpr std::pair<const char *, const char *> kAreaTexts[] = {
    {"urban", "Град"}, {"rural", "Село"}, {"both", "Град и Село"}};

const DataLabel *labelOf(const QString &key)
{
    for (const DataLabel &label : kDataLabels)
        if (key == QLatin1String(label.key))
            return &label;
    return nullptr;
}

// The rows of the data sheet: a label, its value, how deep it lies, and
// how the value is shown.
struct DataRow {
    QString label;
    QJsonValue value;
    int depth = 0;
    Shown shown = Shown::AsIs;
};

// An object's keys in the sheet's order.
QStringList orderedKeys(const QJsonObject &object)
{
    QStringList keys;
    for (const DataLabel &label : kDataLabels)
        if (object.contains(QLatin1String(label.key)))
            keys << QLatin1String(label.key);
    for (const QString &key : object.keys())
        if (!labelOf(key))
            keys << key;
    return keys;
}

// Objects and lists become a row of their own followed by their members,
// one level deeper; lists number their items from 1.
void flatten(std::vector<DataRow> &rows, const QString &key, const QJsonValue &value, int depth)
{
    const DataLabel *label = labelOf(key);
    if (label && label->shown == Shown::Left)
        return;
    const QString shownKey = label ? QString::fromUtf8(label->label) : key;
    if (value.isObject()) {
        rows.push_back({shownKey, QJsonValue(), depth});
        const QJsonObject object = value.toObject();
        for (const QString &member : orderedKeys(object))
            flatten(rows, member, object.value(member), depth + 1);
    } else if (value.isArray()) {
        rows.push_back({shownKey, QJsonValue(), depth});
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            flatten(rows, QString::number(i + 1), array[i], depth + 1);
    } else {
        rows.push_back({shownKey, value, depth, label ? label->shown : Shown::AsIs});
    }
}

std::vector<DataRow> dataRows(const PreparedReport &report)
{
    std::vector<DataRow> rows;
    flatten(rows, QStringLiteral("report"), workbookSheetName(report), 0);
    flatten(rows, QStringLiteral("template"), report.templateName, 0);
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

// A number, a yes or no, a date, or a text; nothing for null and the empty
// text. A date is a date of the spreadsheet; a MAC C text (a doctor's name
// as the database keeps it) its Cyrillic reading; an area its printed word.
lxw_error writeValue(lxw_worksheet *sheet, lxw_row_t row, const DataRow &entry, lxw_format *format,
                     lxw_format *dateFormat)
{
    const QJsonValue &value = entry.value;
    if (value.isDouble())
        return worksheet_write_number(sheet, row, 1, value.toDouble(), format);
    if (value.isBool())
        return worksheet_write_boolean(sheet, row, 1, value.toBool(), format);
    if (!value.isString() || value.toString().isEmpty())
        return LXW_NO_ERROR;
    QString text = value.toString();
    if (entry.shown == Shown::Date) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid()) {
            lxw_datetime day{date.year(), date.month(), date.day(), 0, 0, 0};
            return worksheet_write_datetime(sheet, row, 1, &day, dateFormat);
        }
    } else if (entry.shown == Shown::MacText) {
        text = maccToUnicode(text);
    } else if (entry.shown == Shown::Area) {
        for (const auto &[name, word] : kAreaTexts)
            if (text == QLatin1String(name))
                text = QString::fromUtf8(word);
    }
    // A cell holds at most 32767 characters: a longer note is cut, saying so.
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
    if (lxw_error error = worksheet_set_column(sheet, 0, 0, 44, nullptr))
        return libraryError(error);
    if (lxw_error error = worksheet_set_column(sheet, 1, 1, 60, nullptr))
        return libraryError(error);
    Look look;
    look.fontName = QStringLiteral("Arial");
    look.bold = true;
    lxw_format *heading = formats.of(look);
    look.bold = false;
    lxw_format *value = formats.of(look);
    Look dateLook = look;
    dateLook.hAlign = HAlign::Left;
    dateLook.numberFormat = QStringLiteral("dd.mm.yyyy");
    lxw_format *date = formats.of(dateLook);
    if (!heading || !value || !date)
        return fail(Text::tr("out of memory"));
    lxw_error error = worksheet_write_string(sheet, 0, 0, "Податок", heading);
    if (!error)
        error = worksheet_write_string(sheet, 0, 1, "Вредност", heading);
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
        error = worksheet_write_string(sheet, row, 0, utf8(entry.label).constData(), keyFormat);
        if (!error)
            error = writeValue(sheet, row, entry, value, date);
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
    QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    lxw_workbook_options options{};
    options.tmpdir = folder.data();
    lxw_workbook *workbook = workbook_new_opt(name.constData(), &options);
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
    errno = 0;
    const lxw_error closed = workbook_close(workbook);
    const int systemError = errno;
    if (result && closed)
        result = writingError(closed, systemError, fileName);
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
