#include "workbook.h"

#include "outputfile.h"

#include "export.h"
#include "macc.h"
#include "resulttable.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
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

Error libraryError(lxw_error error) { return fail(QString::fromUtf8(lxw_strerror(error))); }

// A failure of the library while it wrote its files (the workbook, or the
// temporary files it keeps beside it): the system's reason where there is
// one (a full disk), and the folder it wrote in.
Error writingError(lxw_error error, int systemError, const QString &folder)
{
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

// Every cell's font: the family the form's MAC C Swiss stands in for, as its
// texts are written in Cyrillic.
constexpr const char *kSheetFont = "Arial";
constexpr double kPoints = 10;
constexpr double kMaxPoints = 409;

class Formats {
public:
    Formats(lxw_workbook *workbook, QString folder) : m_workbook(workbook), m_folder(std::move(folder)) {}

    // The folder the workbook and its temporary files are written in.
    const QString &folder() const { return m_folder; }

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
    QString m_folder;
    std::map<Look, lxw_format *> m_formats;
};

// Counts show as whole numbers; in a report that prints zero as "-", zero
// keeps showing as "-" while remaining the number 0.
const char *kCountFormat = "0";
const char *kDashZeroFormat = "0;-0;\"-\"";

// Writes cells of one sheet; a cell over several rows or columns is a merged
// range, made empty and its first cell then written, so that every write
// reports its own failure.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet *sheet, Formats &formats) : m_sheet(sheet), m_formats(formats) {}

    Result<void> text(int row, int column, const QString &text, const Look &look, int rows = 1, int columns = 1)
    {
        lxw_format *format = m_formats.of(look);
        if (!format)
            return fail(Text::tr("out of memory"));
        lxw_error error = merge(row, column, rows, columns, format);
        if (!error)
            error = text.isEmpty() ? worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(column), format)
                                   : worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column),
                                                            utf8(text).constData(), format);
        return error ? Result<void>(libraryError(error)) : Result<void>();
    }

    Result<void> number(int row, int column, qint64 value, const Look &look)
    {
        lxw_format *format = m_formats.of(look);
        if (!format)
            return fail(Text::tr("out of memory"));
        if (lxw_error error = worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), double(value), format))
            return libraryError(error);
        return {};
    }

    // A caption in bold and its text beside it, in one cell over the columns.
    Result<void> captioned(int row, int columns, const QString &caption, const QString &text, const Look &look)
    {
        Look bold = look;
        bold.bold = true;
        lxw_format *plain = m_formats.of(look);
        lxw_format *strong = m_formats.of(bold);
        if (!plain || !strong)
            return fail(Text::tr("out of memory"));
        if (caption.isEmpty() || text.isEmpty())
            return this->text(row, 0, caption + text, caption.isEmpty() ? look : bold, 1, columns);
        if (lxw_error error = merge(row, 0, 1, columns, plain))
            return libraryError(error);
        const QByteArray first = utf8(caption);
        const QByteArray second = utf8(QLatin1Char(' ') + text);
        lxw_rich_string_tuple fragments[] = {{strong, const_cast<char *>(first.constData())},
                                             {plain, const_cast<char *>(second.constData())}};
        lxw_rich_string_tuple *list[] = {&fragments[0], &fragments[1], nullptr};
        // The library lays a rich string out in a temporary file.
        errno = 0;
        if (lxw_error error = worksheet_write_rich_string(m_sheet, lxw_row_t(row), 0, list, plain))
            return writingError(error, errno, m_formats.folder());
        return {};
    }

private:
    lxw_error merge(int row, int column, int rows, int columns, lxw_format *format)
    {
        if (rows <= 1 && columns <= 1)
            return LXW_NO_ERROR;
        return worksheet_merge_range(m_sheet, lxw_row_t(row), lxw_col_t(column), lxw_row_t(row + rows - 1),
                                     lxw_col_t(column + columns - 1), "", format);
    }

    lxw_worksheet *m_sheet;
    Formats &m_formats;
};

Look lookOf(bool bold, HAlign hAlign, std::uint8_t frame, bool wrap = false, double points = kPoints)
{
    Look look;
    look.fontName = QString::fromLatin1(kSheetFont);
    look.points = points;
    look.bold = bold;
    look.hAlign = hAlign;
    look.vAlign = VAlign::Center;
    look.frame = frame;
    look.wrap = wrap;
    return look;
}

// How many lines a wrapped text takes in a column of that many characters.
int linesIn(const QString &text, double width) { return std::max(1, int(std::ceil(text.size() / std::max(1.0, width)))); }

// A code range laid into lines of at most `capacity` characters, breaking
// only where the range has a space: a spreadsheet left to wrap it would break
// after any hyphen, or inside a code where a piece is wider than the column.
QString codeLines(const QString &codes, qsizetype capacity)
{
    QString text;
    qsizetype line = 0;
    for (const QString &piece : codes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (line > 0 && line + 1 + piece.size() > capacity) {
            text += QLatin1Char('\n');
            line = 0;
        } else if (line > 0) {
            text += QLatin1Char(' ');
            ++line;
        }
        text += piece;
        line += piece.size();
    }
    return text;
}

// A row high enough for that many lines.
void setLines(lxw_worksheet *sheet, int row, int lines)
{
    if (lines > 1)
        worksheet_set_row(sheet, lxw_row_t(row), std::min(13.0 * lines, kMaxPoints), nullptr);
}

// The result's table (resulttable.h): its heading and header lines above, the
// headings merged over the columns and heading lines they span, the column
// numbers, then the lines with their counts as numbers, sums in bold.
// Returns the rows of the head (its first and the column numbers').
Result<std::pair<int, int>> writeTable(lxw_worksheet *sheet, Formats &formats, const ResultTable &table)
{
    SheetWriter writer(sheet, formats);
    const int width = table.width();
    const int identity = table.identityColumns();

    // Column widths (characters): the identity columns as wide as their
    // longest text within bounds, the counts as wide as six digits. The code
    // ranges' lines take up to 24 characters, or their longest piece; the
    // column leaves room for capitals, wider than the digits it is measured in.
    std::vector<double> widths(std::size_t(width), 8);
    qsizetype codeCapacity = 24;
    if (table.codeColumn >= 0)
        for (const ResultTable::Line &line : table.lines)
            for (const QString &piece : line.identity[table.codeColumn].split(QLatin1Char(' ')))
                codeCapacity = std::max(codeCapacity, piece.size());
    for (int c = 0; c < identity; ++c) {
        qsizetype longest = table.identityHeadings[c].size() / 2;
        for (const ResultTable::Line &line : table.lines)
            longest = std::max(longest, line.identity[c].size());
        widths[std::size_t(c)] = c == table.codeColumn ? std::min(double(codeCapacity), double(longest)) * 1.25 + 2
                                                       : std::clamp(double(longest) + 2, 6.0, 48.0);
        if (lxw_error error = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[std::size_t(c)], nullptr))
            return libraryError(error);
    }
    // A count column as wide as its widest count, and at least six digits,
    // with room beside them: a seven-digit total keeps the sheet's font
    // rather than shrinking.
    for (int c = identity; c < width; ++c) {
        qsizetype digits = 6;
        for (const ResultTable::Line &line : table.lines)
            digits = std::max(digits, QString::number(line.counts[std::size_t(c - identity)]).size());
        widths[std::size_t(c)] = double(digits) + 2;
        if (lxw_error error = worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[std::size_t(c)], nullptr))
            return libraryError(error);
    }

    int row = 0;
    if (Result<void> w = writer.text(row++, 0, table.title, lookOf(true, HAlign::Left, FrameNone, false, 12), 1, width); !w)
        return w.error();
    for (const result::HeaderLine &line : table.header)
        if (Result<void> w = writer.captioned(row++, width, line.caption, line.text, lookOf(false, HAlign::Left, FrameNone)); !w)
            return w.error();
    ++row;

    // The head: the identity headings down all heading lines, each count
    // heading over its columns, and down the lines below it that no heading
    // of its columns takes.
    const int headFirst = row;
    const int levels = std::max(1, int(table.levels.size()));
    const Look heading = lookOf(true, HAlign::Center, FrameAll, true);
    for (int c = 0; c < identity; ++c)
        if (Result<void> w = writer.text(row, c, table.identityHeadings[c], heading, levels, 1); !w)
            return w.error();
    for (int level = 0; level < int(table.levels.size()); ++level) {
        int lines = 1;
        for (const ResultTable::Heading &h : table.levels[std::size_t(level)]) {
            int rows = levels - level;
            for (int next = level + 1; next < levels && rows == levels - level; ++next)
                for (const ResultTable::Heading &below : table.levels[std::size_t(next)])
                    if (below.first < h.first + h.span && h.first < below.first + below.span)
                        rows = next - level;
            if (Result<void> w = writer.text(row + level, h.first, h.text, heading, rows, h.span); !w)
                return w.error();
            double span = 0;
            for (int c = h.first; c < h.first + h.span; ++c)
                span += widths[std::size_t(c)];
            lines = std::max(lines, linesIn(h.text, span / rows));
        }
        setLines(sheet, row + level, lines);
    }
    row += levels;
    const Look number = lookOf(false, HAlign::Center, FrameAll, false, 8);
    for (int c = 0; c < width; ++c)
        if (Result<void> w = writer.text(row, c, table.numbers[c], number); !w)
            return w.error();
    const int headLast = row++;

    for (const ResultTable::Line &line : table.lines) {
        const bool sum = line.kind != result::RowKind::Counted;
        int lines = 1;
        for (int c = 0; c < identity; ++c) {
            // The number centred, label and code range from the left.
            const HAlign align = c > 0 || identity == 1 ? HAlign::Left : HAlign::Center;
            if (c == table.codeColumn) {
                const QString text = codeLines(line.identity[c], codeCapacity);
                if (Result<void> w = writer.text(row, c, text, lookOf(sum, align, FrameAll, true)); !w)
                    return w.error();
                lines = std::max(lines, int(text.count(QLatin1Char('\n'))) + 1);
                continue;
            }
            if (Result<void> w = writer.text(row, c, line.identity[c], lookOf(sum, align, FrameAll, true)); !w)
                return w.error();
            lines = std::max(lines, linesIn(line.identity[c], widths[std::size_t(c)]));
        }
        Look count = lookOf(sum, HAlign::Center, FrameAll);
        count.shrink = true;
        count.numberFormat = QString::fromLatin1(table.zeroAsDash ? kDashZeroFormat : kCountFormat);
        for (std::size_t c = 0; c < line.counts.size(); ++c)
            if (Result<void> w = writer.number(row, identity + int(c), line.counts[c], count); !w)
                return w.error();
        setLines(sheet, row++, lines);
    }
    worksheet_freeze_panes(sheet, lxw_row_t(headLast + 1), lxw_col_t(identity));
    return std::pair{headFirst, headLast};
}

// The table, printed on the form's paper and margins, one page wide, the
// head on every page.
Result<void> writeFormSheet(lxw_worksheet *sheet, Formats &formats, const PreparedReport &report)
{
    formats.setDefaultFont(QString::fromLatin1(kSheetFont));
    const Result<std::pair<int, int>> head = writeTable(sheet, formats, resultTable(*report.result));
    if (!head)
        return head.error();
    const OutputPage &page = report.pages.front();
    worksheet_set_paper(sheet, uint8_t(page.paperSize > 0 && page.paperSize < 256 ? page.paperSize : 9));
    if (page.landscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    worksheet_set_margins(sheet, page.leftMargin / 25.4, page.rightMargin / 25.4, page.topMargin / 25.4,
                          page.bottomMargin / 25.4);
    worksheet_fit_to_pages(sheet, 1, 0);
    if (lxw_error error = worksheet_repeat_rows(sheet, lxw_row_t(head->first), lxw_row_t(head->second)))
        return libraryError(error);
    return {};
}

// What a key of the run's request and data check is called on the data sheet, in
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
    // What was asked, then the data check.
    if (report.result) {
        flatten(rows, QStringLiteral("request"), report.result->request.toJson(), 0);
        if (report.result->check)
            flatten(rows, QStringLiteral("check"), report.result->check->toJson(), 0);
    }
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
    look.fontName = QString::fromLatin1(kSheetFont);
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
    const QString folder = QFileInfo(fileName).absolutePath();
    QByteArray tmpdir = QFile::encodeName(folder);
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    lxw_workbook *workbook = workbook_new_opt(name.constData(), &options);
    if (!workbook)
        return fail(Text::tr("the workbook could not be started"));
    Formats formats(workbook, folder);
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
        result = writingError(closed, systemError, folder);
    return result;
}

} // namespace

QString workbookSheetName(const PreparedReport &report)
{
    QString name = report.result ? report.result->request.report : QString();
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
    if (Result<void> counted = checkHasCounts(report, path); !counted)
        return counted;
    return writeThroughFileName(path, [&](const QString &fileName) { return writeWorkbookFile(report, fileName); });
}

// libxlsxwriter writes only to a file name: it writes the new file beside
// the target that OutputFile makes, and keeps its own temporary files in the
// same folder, so a workbook needs room only where it goes; only when it has
// finished without an error is that file synced and renamed over the target.
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

} // namespace tarel::report
