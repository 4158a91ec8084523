#include "trendworkbook.h"

#include "trendtexts.h"

#include "macc.h"
#include "workbook.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <map>

namespace tarel::trend {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

QByteArray utf8(const QString &text) { return text.toUtf8(); }

// The spreadsheet's name of a cell: "B7" for (6, 1).
QByteArray cellName(int row, int column)
{
    QByteArray letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(char('A' + (c - 1) % 26));
    return letters + QByteArray::number(row + 1);
}

struct Formats {
    lxw_format *plain = nullptr;
    lxw_format *bold = nullptr;
    lxw_format *heading = nullptr;
    lxw_format *decimal = nullptr;
};

Formats makeFormats(lxw_workbook *workbook)
{
    Formats formats;
    const auto make = [&](bool bold, const char *numberFormat, bool wrap) {
        lxw_format *format = workbook_add_format(workbook);
        format_set_font_name(format, "Arial");
        format_set_font_size(format, 10);
        if (bold)
            format_set_bold(format);
        if (numberFormat)
            format_set_num_format(format, numberFormat);
        if (wrap) {
            format_set_text_wrap(format);
            format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
            format_set_bottom(format, LXW_BORDER_THIN);
        }
        return format;
    };
    formats.plain = make(false, nullptr, false);
    formats.bold = make(true, nullptr, false);
    formats.heading = make(true, nullptr, true);
    formats.decimal = make(false, "0.00", false);
    return formats;
}

class Sheet {
public:
    Sheet(lxw_worksheet *sheet, const Formats &formats) : m_sheet(sheet), m_formats(formats) {}

    void text(int row, int column, const QString &text, lxw_format *format = nullptr)
    {
        worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column), utf8(text).constData(),
                               format ? format : m_formats.plain);
    }
    void number(int row, int column, double value, lxw_format *format = nullptr)
    {
        worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), value, format ? format : m_formats.plain);
    }
    void optional(int row, int column, const std::optional<double> &value)
    {
        if (value)
            number(row, column, *value, m_formats.decimal);
    }
    void headings(int row, const QStringList &texts)
    {
        for (qsizetype i = 0; i < texts.size(); ++i)
            text(row, int(i), texts[i], m_formats.heading);
    }
    void width(int first, int last, double characters)
    {
        worksheet_set_column(m_sheet, lxw_col_t(first), lxw_col_t(last), characters, nullptr);
    }
    lxw_worksheet *sheet() const { return m_sheet; }
    // Printed on A4 across, one page wide, the headings repeated on every page.
    void printed(int headingRow)
    {
        worksheet_set_paper(m_sheet, 9);
        worksheet_set_landscape(m_sheet);
        worksheet_fit_to_pages(m_sheet, 1, 0);
        worksheet_repeat_rows(m_sheet, lxw_row_t(headingRow), lxw_row_t(headingRow));
    }

private:
    lxw_worksheet *m_sheet;
    const Formats &m_formats;
};

QStringList periodLabels(const Trend &trend)
{
    QStringList labels;
    for (const Period &period : trend.periods)
        labels << periodLabel(period);
    return labels;
}

void writeFlagged(Sheet sheet, const Trend &trend, const std::vector<CellSeries> &flagged, const Formats &formats)
{
    const result::TableShape &shape = trend.shape();
    sheet.text(0, 0, QStringLiteral("Споредба со претходните периоди"), formats.bold);
    const std::pair<QString, QString> asked[] = {
        {QStringLiteral("Извештај"), trend.title.isEmpty() ? trend.report : trend.title},
        {QStringLiteral("Лекар"), doctorWords(trend)},
        {QStringLiteral("Подрачје"), areaWords(trend.area)},
        {QStringLiteral("Период"), periodLabel(trend.periods.back())},
    };
    int row = 1;
    for (const auto &[caption, value] : asked) {
        sheet.text(row, 0, caption, formats.bold);
        sheet.text(row++, 1, value);
    }
    sheet.text(row, 0, QStringLiteral("Претходни периоди"), formats.bold);
    sheet.number(row++, 1, trend.historyCount());

    row += 1;
    sheet.headings(row++, QStringList{QStringLiteral("Ред"), QStringLiteral("Назив"), QStringLiteral("Колона"),
                                      QStringLiteral("Ќелија"), QStringLiteral("Овој период"), QStringLiteral("Просек"),
                                      QStringLiteral("Стандардна девијација"), QStringLiteral("Однос кон просекот"),
                                      QStringLiteral("Ознака")}
                              + periodLabels(trend));
    worksheet_freeze_panes(sheet.sheet(), lxw_row_t(row), 2);
    sheet.printed(row - 1);
    if (flagged.empty())
        sheet.text(row, 1, QStringLiteral("Нема означени броеви."));
    for (const CellSeries &one : flagged) {
        const CountCell &cell = trend.cells[std::size_t(one.cell)];
        const result::RowIdentity &identity = shape.rows()[std::size_t(cell.row)];
        sheet.text(row, 0, identity.number);
        sheet.text(row, 1, identity.label);
        sheet.text(row, 2, columnWords(shape.columns()[std::size_t(cell.column)]));
        sheet.text(row, 3, cell.name);
        sheet.number(row, 4, double(one.value()));
        sheet.optional(row, 5, one.statistics.mean);
        sheet.optional(row, 6, one.statistics.sd);
        sheet.optional(row, 7, one.ratio());
        sheet.text(row, 8, flagWords(one.statistics.flag));
        for (std::size_t p = 0; p < one.values.size(); ++p)
            sheet.number(row, 9 + int(p), double(one.values[p]));
        ++row;
    }
    sheet.width(0, 0, 6);
    sheet.width(1, 1, 40);
    sheet.width(2, 2, 18);
    sheet.width(3, 3, 10);
    sheet.width(4, 8, 12);
    sheet.width(9, 9 + int(trend.periods.size()), 10);
}

// The columns of "Redovi": number, label, codes, column, the periods, the sparkline.
constexpr int kFirstPeriodColumn = 4;

void writeRows(Sheet sheet, const Trend &trend, const std::vector<TotalLine> &lines)
{
    const result::TableShape &shape = trend.shape();
    sheet.headings(0, QStringList{QStringLiteral("Ред"), QStringLiteral("Назив"), QStringLiteral("Шифри"),
                                  QStringLiteral("Колона")}
                          + periodLabels(trend) + QStringList{QStringLiteral("Движење")});
    worksheet_freeze_panes(sheet.sheet(), 1, 2);
    sheet.printed(0);
    int row = 1;
    for (const TotalLine &line : lines) {
        const result::RowIdentity &identity = shape.rows()[std::size_t(line.row)];
        sheet.text(row, 0, identity.number);
        sheet.text(row, 1, identity.label);
        sheet.text(row, 2, identity.codes);
        sheet.text(row, 3, columnWords(shape.columns()[std::size_t(line.column)]));
        for (std::size_t p = 0; p < trend.tables.size(); ++p)
            sheet.number(row, kFirstPeriodColumn + int(p), double(trend.tables[p].value(line.row, line.column)));
        ++row;
    }
    sheet.width(0, 0, 6);
    sheet.width(1, 1, 40);
    sheet.width(2, 3, 14);
    sheet.width(kFirstPeriodColumn, kFirstPeriodColumn + int(trend.periods.size()) - 1, 9);
    sheet.width(kFirstPeriodColumn + int(trend.periods.size()), kFirstPeriodColumn + int(trend.periods.size()), 18);
}

void writeDoctors(Sheet sheet, const Trend &trend)
{
    sheet.headings(0, QStringList{QStringLiteral("Шифра"), QStringLiteral("Лекар")} + periodLabels(trend)
                          + QStringList{QStringLiteral("Ознака")});
    sheet.printed(0);
    int row = 1;
    for (const DoctorVisits &doctor : trend.doctors) {
        sheet.text(row, 0, doctor.code);
        sheet.text(row, 1, report::maccToUnicode(doctor.name));
        for (std::size_t p = 0; p < doctor.values.size(); ++p)
            sheet.number(row, 2 + int(p), double(doctor.values[p]));
        sheet.text(row, 2 + int(doctor.values.size()), flagWords(doctor.flag()));
        ++row;
    }
    if (trend.doctors.empty())
        sheet.text(1, 1, trend.doctor ? QStringLiteral("Извештај за еден лекар.")
                                      : QStringLiteral("Извештајот нема избор на лекар."));
    sheet.width(0, 0, 8);
    sheet.width(1, 1, 30);
}

// The lines of "Redovi" whose row holds a flagged cell, the row of the most
// severe first, at most kChartedRows.
std::vector<int> chartedLines(const std::vector<TotalLine> &lines, const Trend &trend,
                              const std::vector<CellSeries> &flagged)
{
    std::map<int, int> rank; // row: the place of its most severe flagged cell
    for (std::size_t i = 0; i < flagged.size(); ++i)
        rank.emplace(trend.cells[std::size_t(flagged[i].cell)].row, int(i));
    std::vector<int> charted;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (rank.contains(lines[i].row))
            charted.push_back(int(i));
    std::stable_sort(charted.begin(), charted.end(),
                     [&](int a, int b) { return rank[lines[std::size_t(a)].row] < rank[lines[std::size_t(b)].row]; });
    if (charted.size() > std::size_t(kChartedRows))
        charted.resize(std::size_t(kChartedRows));
    return charted;
}

void writeChart(lxw_workbook *workbook, const Trend &trend, const std::vector<TotalLine> &lines,
                const std::vector<int> &charted)
{
    lxw_chart *chart = workbook_add_chart(workbook, LXW_CHART_LINE);
    const int last = kFirstPeriodColumn + int(trend.periods.size()) - 1;
    for (const int index : charted) {
        const TotalLine &line = lines[std::size_t(index)];
        lxw_chart_series *series = chart_add_series(chart, nullptr, nullptr);
        chart_series_set_categories(series, kRowsSheet, 0, kFirstPeriodColumn, 0, lxw_col_t(last));
        chart_series_set_values(series, kRowsSheet, lxw_row_t(index + 1), kFirstPeriodColumn, lxw_row_t(index + 1),
                                lxw_col_t(last));
        const QString name = rowWords(trend.shape().rows()[std::size_t(line.row)]).left(60) + QStringLiteral(", ")
            + columnWords(trend.shape().columns()[std::size_t(line.column)]);
        chart_series_set_name(series, utf8(name).constData());
        chart_series_set_marker_type(series, LXW_CHART_MARKER_CIRCLE);
    }
    chart_title_set_name(chart, utf8(QStringLiteral("Означени редови по периоди")).constData());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_BOTTOM);
    lxw_chartsheet *sheet = workbook_add_chartsheet(workbook, kChartSheet);
    chartsheet_set_chart(sheet, chart);
}

// libxlsxwriter draws no sparklines: they are added to the sheet's XML as
// the spreadsheet programs keep them, an extension list at its end (one
// group, a line per row of the sheet, the last period marked).
QByteArray sparklineXml(int lineCount, int periodCount)
{
    const int last = kFirstPeriodColumn + periodCount - 1;
    QByteArray xml =
        "<extLst><ext xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\""
        " uri=\"{05C60535-1F16-4fd2-B633-F4F36F0B64E0}\">"
        "<x14:sparklineGroups xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\">"
        "<x14:sparklineGroup displayEmptyCellsAs=\"gap\" last=\"1\">"
        "<x14:colorSeries rgb=\"FF376092\"/><x14:colorNegative rgb=\"FFD00000\"/><x14:colorAxis rgb=\"FF000000\"/>"
        "<x14:colorMarkers rgb=\"FF376092\"/><x14:colorFirst rgb=\"FF376092\"/><x14:colorLast rgb=\"FFD00000\"/>"
        "<x14:colorHigh rgb=\"FF376092\"/><x14:colorLow rgb=\"FF376092\"/><x14:sparklines>";
    for (int row = 1; row <= lineCount; ++row)
        xml += "<x14:sparkline><xm:f>" + QByteArray(kRowsSheet) + '!' + cellName(row, kFirstPeriodColumn) + ':'
            + cellName(row, last) + "</xm:f><xm:sqref>" + cellName(row, last + 1) + "</xm:sqref></x14:sparkline>";
    return xml + "</x14:sparklines></x14:sparklineGroup></x14:sparklineGroups></ext></extLst>";
}

Result<void> addSparklines(const QString &fileName, const QByteArray &entry, const QByteArray &extension)
{
    int status = 0;
    zip_t *archive = zip_open(QFile::encodeName(fileName).constData(), 0, &status);
    if (!archive)
        return fail(Text::tr("the workbook could not be read back to add its sparklines"));
    // Closed below when written; left as it was on every other way out.
    const auto discard = qScopeGuard([&] {
        if (archive)
            zip_discard(archive);
    });
    zip_stat_t stat;
    const zip_int64_t index = zip_name_locate(archive, entry.constData(), 0);
    if (index < 0 || zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0)
        return fail(Text::tr("the workbook lacks its sheet of rows"));
    QByteArray xml(qsizetype(stat.size), Qt::Uninitialized);
    zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(index), 0);
    const zip_int64_t read = file ? zip_fread(file, xml.data(), zip_uint64_t(xml.size())) : -1;
    if (file)
        zip_fclose(file);
    const qsizetype end = xml.lastIndexOf("</worksheet>");
    if (read != xml.size() || end < 0)
        return fail(Text::tr("the workbook's sheet of rows could not be read back"));
    xml.insert(end, extension);
    // The source reads the buffer when the archive is closed; it lives till then.
    zip_source_t *source = zip_source_buffer(archive, xml.constData(), zip_uint64_t(xml.size()), 0);
    if (!source || zip_file_replace(archive, zip_uint64_t(index), source, 0) < 0) {
        zip_source_free(source);
        return fail(QString::fromUtf8(zip_strerror(archive)));
    }
    if (zip_close(archive) < 0)
        return fail(QString::fromUtf8(zip_strerror(archive)));
    archive = nullptr;
    return {};
}

Result<void> writeWorkbookFile(const Trend &trend, const QString &fileName)
{
    lxw_workbook *workbook = workbook_new(QFile::encodeName(fileName).constData());
    if (!workbook)
        return fail(Text::tr("the workbook could not be made"));
    const Formats formats = makeFormats(workbook);
    const std::vector<CellSeries> flagged = flaggedCells(cellSeries(trend));
    const std::vector<TotalLine> lines = totalLines(trend.shape());
    writeFlagged(Sheet(workbook_add_worksheet(workbook, kFlaggedSheet), formats), trend, flagged, formats);
    writeRows(Sheet(workbook_add_worksheet(workbook, kRowsSheet), formats), trend, lines);
    writeDoctors(Sheet(workbook_add_worksheet(workbook, kDoctorsSheet), formats), trend);
    if (const std::vector<int> charted = chartedLines(lines, trend, flagged); !charted.empty())
        writeChart(workbook, trend, lines, charted);
    if (const lxw_error closed = workbook_close(workbook); closed != LXW_NO_ERROR)
        return fail(QString::fromUtf8(lxw_strerror(closed)));
    // "Redovi" is the second worksheet.
    return addSparklines(fileName, "xl/worksheets/sheet2.xml",
                         sparklineXml(int(lines.size()), int(trend.periods.size())));
}

} // namespace

std::vector<TotalLine> totalLines(const result::TableShape &shape)
{
    std::vector<int> totals;
    for (int column = 0; column < shape.columnCount(); ++column)
        if (!shape.columns()[std::size_t(column)].sums.empty())
            totals.push_back(column);
    if (totals.empty())
        for (int column = 0; column < shape.columnCount(); ++column)
            totals.push_back(column);
    std::vector<TotalLine> lines;
    for (int row = 0; row < shape.rowCount(); ++row)
        for (const int column : totals)
            lines.push_back({row, column});
    return lines;
}

Result<void> writeTrendWorkbook(const Trend &trend, const QString &path)
{
    return report::writeThroughFileName(path,
                                        [&](const QString &fileName) { return writeWorkbookFile(trend, fileName); });
}

} // namespace tarel::trend
