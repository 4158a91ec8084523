#include "cellvisits.h"

#include "cellcollector.h"
#include "export.h"
#include "messagetext.h"
#include "outputfile.h"
#include "reportparts.h"
#include "varint.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <climits>

namespace tarel::engine {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// The record's texts in the order of VisitText.
constexpr QStringView data::VisitRecord::*kRecordTexts[kVisitTextCount] = {
    &data::VisitRecord::rowNumber, &data::VisitRecord::visitDate,  &data::VisitRecord::citizenNumber,
    &data::VisitRecord::surname,   &data::VisitRecord::name,       &data::VisitRecord::birthDate,
    &data::VisitRecord::category,  &data::VisitRecord::subCategory, &data::VisitRecord::doctor,
    &data::VisitRecord::settlement, &data::VisitRecord::kind,
};

constexpr const char *kCsvHeader = "RED_BR,DATA,MB,PRE,IME,DAT_R,S_DIJA,S_DIJA2,LEKAR_S,MESTO_S,VidNaUsluga,row,band,sex\r\n";

// A text packed after its length.
void appendPacked(std::string &out, QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    putVarint(out, quint64(utf8.size()));
    out.append(utf8.constData(), std::size_t(utf8.size()));
}

// The next packed text of a visit; the cursor moves past it.
std::string_view takePacked(const char *&cursor)
{
    const auto size = std::size_t(getVarint(cursor));
    const std::string_view text(cursor, size);
    cursor += size;
    return text;
}

std::string_view packedField(const char *visit, VisitText field)
{
    std::string_view text;
    for (int i = 0; i <= int(field); ++i)
        text = takePacked(visit);
    return text;
}

QString fromPacked(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// What the list's order compares of a visit, read once before sorting.
struct SortKey {
    qint64 number = 0; // RED_BR, where it is a number
    int day = INT_MIN; // the visit date's day number, where it is an ISO date
    bool numeric = false;
};

SortKey sortKeyOf(const char *visit)
{
    SortKey key;
    const std::string_view rowNumber = takePacked(visit);
    const std::string_view date = takePacked(visit);
    const char *end = rowNumber.data() + rowNumber.size();
    const auto [stop, error] = std::from_chars(rowNumber.data(), end, key.number);
    key.numeric = !rowNumber.empty() && error == std::errc() && stop == end;
    int day = 0;
    if (date.size() == 10 && data::parseIsoDay(fromPacked(date), &day))
        key.day = day;
    return key;
}

} // namespace

Result<CountCell> countCellOf(const ReportDefinition &report, QStringView name)
{
    const Result<const reports::Form *> form = formOf(report);
    if (!form)
        return form.error();
    const reports::FormCell *counted = reports::countCellNamed(**form, name);
    if (!counted)
        return fail(QStringLiteral("cell %1 holds no count").arg(shownText(name)), ErrorKind::Usage);
    return CountCell{&report, counted->name, counted->row, counted->column, (*form)->shape};
}

QString CellVisitList::text(qsizetype index, VisitText field) const
{
    return fromPacked(packedField(m_visits[line(index).visit], field));
}

std::array<QString, kVisitTextCount> CellVisitList::texts(qsizetype index) const
{
    std::array<QString, kVisitTextCount> texts;
    const char *cursor = m_visits[line(index).visit];
    for (QString &text : texts)
        text = fromPacked(takePacked(cursor));
    return texts;
}

quint32 CellVisitList::addVisit(const data::VisitRecord &record)
{
    m_packing.clear();
    for (const QStringView data::VisitRecord::*member : kRecordTexts)
        appendPacked(m_packing, record.*member);
    // Blocks grow from 4 KiB to 1 MiB, so a short list stays small; a visit
    // larger than a block gets one of its own.
    if (m_blockSize - m_blockUsed < m_packing.size()) {
        m_blockSize = std::max(m_packing.size(), std::clamp<std::size_t>(m_blockSize * 2, 4096, 1 << 20));
        m_blocks.push_back(std::make_unique<char[]>(m_blockSize));
        m_blockUsed = 0;
        m_blockBytes += qint64(m_blockSize);
    }
    char *visit = m_blocks.back().get() + m_blockUsed;
    std::copy(m_packing.begin(), m_packing.end(), visit);
    m_blockUsed += m_packing.size();
    m_visits.push_back(visit);
    return quint32(m_visits.size() - 1);
}

void CellVisitList::sort()
{
    std::vector<SortKey> keys;
    keys.reserve(m_visits.size());
    for (const char *visit : m_visits)
        keys.push_back(sortKeyOf(visit));
    // Dates compare as texts (which for ISO dates is their order in time);
    // the day numbers only spare reading the texts.
    auto compareText = [&](quint32 a, quint32 b, VisitText field) {
        return packedField(m_visits[a], field).compare(packedField(m_visits[b], field));
    };
    std::stable_sort(m_lines.begin(), m_lines.end(), [&](const Line &a, const Line &b) {
        const SortKey &ka = keys[a.visit];
        const SortKey &kb = keys[b.visit];
        if (ka.day != INT_MIN && kb.day != INT_MIN) {
            if (ka.day != kb.day)
                return ka.day < kb.day;
        } else if (const int order = compareText(a.visit, b.visit, VisitText::VisitDate); order != 0) {
            return order < 0;
        }
        if (ka.numeric != kb.numeric)
            return ka.numeric;
        if (ka.numeric) {
            if (ka.number != kb.number)
                return ka.number < kb.number;
        } else if (const int order = compareText(a.visit, b.visit, VisitText::RowNumber); order != 0) {
            return order < 0;
        }
        return a.row < b.row;
    });
}

qint64 CellVisitList::bytes() const
{
    return qint64(m_lines.size() * sizeof(Line) + m_visits.size() * sizeof(const char *)) + m_blockBytes;
}

CellVisitCollector::CellVisitCollector(CountCell cell)
    : m_cell(std::move(cell)),
      m_rowWeights(m_cell.shape->rowWeights(m_cell.row)),
      m_columnWeights(m_cell.shape->columnWeights(m_cell.column))
{
}

void CellVisitCollector::countedIn(const data::VisitRecord &record, std::span<const CellAt> cells)
{
    std::optional<quint32> visit;
    for (const CellAt &at : cells) {
        const int times = m_rowWeights[std::size_t(at.row)] * m_columnWeights[std::size_t(at.column)];
        for (int i = 0; i < times; ++i) {
            if (!visit)
                visit = m_lines.addVisit(record);
            m_lines.addLine({*visit, qint16(at.row), qint16(at.column)});
        }
    }
}

Result<CellListing> listCellVisits(data::Database &database, const Request &request, QStringView cellName,
                                   const data::ReadControl &control)
{
    if (!request.report)
        return fail(QStringLiteral("No report was named"), ErrorKind::Usage);
    Result<CountCell> cell = countCellOf(*request.report, cellName);
    if (!cell)
        return cell.error();
    CellVisitCollector collector(std::move(*cell));
    RunOptions options;
    options.observer = &collector;
    options.control = control;
    const Result<result::RunResult> counted = run(database, request, options);
    if (!counted)
        return counted.error();

    // The list must add up to the number the same run counted; a list that
    // does not is never shown as the cell's visits.
    const qint64 number = counted->counts.value(collector.cell().row, collector.cell().column);
    CellListing listing{collector.cell(), collector.takeLines()};
    if (number != listing.lines.size())
        return fail(Text::tr("The visits behind cell %1 make %2 lines, but the run counted %3 in it")
                        .arg(shownText(cellName))
                        .arg(listing.lines.size())
                        .arg(number));
    listing.lines.sort();
    return listing;
}

namespace {

// The band heading a line was counted under, as stored (MAC C letters).
QString bandHeading(const CountCell &cell, const CellVisitList::Line &line)
{
    const reports::MorbidityReport *morbidity = morbidityOf(*cell.report);
    const int band = cell.shape->columns()[std::size_t(line.column)].band;
    if (!morbidity || band < 0 || std::size_t(band) >= morbidity->bands().bands.size())
        return {};
    return morbidity->bands().bands[std::size_t(band)].heading;
}

} // namespace

void writeCellVisitsCsv(const CountCell &cell, const CellVisitList &lines, QIODevice &device)
{
    device.write(kCsvHeader);
    QString row;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        row.clear();
        for (const QString &text : lines.texts(i)) {
            report::appendCsvField(row, text);
            row += QLatin1Char(',');
        }
        if (cell.isMorbidity()) {
            const CellVisitList::Line &line = lines.line(i);
            row += cell.shape->rows()[std::size_t(line.row)].key + QLatin1Char(',');
            report::appendCsvField(row, bandHeading(cell, line));
            const bool female = cell.shape->columns()[std::size_t(line.column)].sex == result::Sex::Female;
            row += female ? QLatin1String(",z") : QLatin1String(",m");
        } else {
            row += QLatin1String(",,");
        }
        row += QLatin1String("\r\n");
        device.write(row.toUtf8());
    }
}

Result<void> saveCellVisitsCsv(const CountCell &cell, const CellVisitList &lines, const QString &path)
{
    OutputFile file(path);
    if (Result<void> opened = file.open(); !opened)
        return opened;
    writeCellVisitsCsv(cell, lines, file.device());
    return file.commit();
}

} // namespace tarel::engine
