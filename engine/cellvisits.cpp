#include "cellvisits.h"

#include "catalogue.h"
#include "export.h"
#include "messagetext.h"
#include "outputfile.h"
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

bool CountCell::holds(const tabulation::MorbidityOutcome &outcome, int row) const
{
    if (!outcome.counted() || row < morbidity.firstRow || row > morbidity.lastRow)
        return false;
    if (outcome.female != morbidity.female())
        return false;
    return morbidity.total() || outcome.band == morbidity.band();
}

bool CountCell::holds(const reports::VisitOutcome &outcome) const
{
    return outcome.counted() && visit.holds(outcome, reports::visitColumns(report->visit)[visit.column]);
}

Result<CountCell> countCellOf(const ReportDefinition &report, QStringView name)
{
    CountCell cell;
    cell.report = &report;
    cell.name = name.toString();
    const Error noCount = fail(QStringLiteral("cell %1 holds no count").arg(shownText(name)), ErrorKind::Usage);
    if (report.kind == ReportKind::Visits) {
        const std::optional<reports::VisitCell> counted = reports::visitCellOf(report.visit, name);
        if (!counted)
            return noCount;
        cell.visit = *counted;
        return cell;
    }
    const reports::MorbidityReportDefinition definition = report.morbidity();
    const Result<const tabulation::RowCatalogue *> catalogue = definition.catalogue();
    if (!catalogue)
        return catalogue.error();
    cell.profile = definition.profile;
    cell.catalogue = *catalogue;
    const std::optional<reports::MorbidityCell> counted = reports::morbidityCellOf(*cell.profile, **catalogue, name);
    if (!counted)
        return noCount;
    cell.morbidity = *counted;
    return cell;
}

std::optional<qint64> cellNumber(QStringView text)
{
    if (text == u"-")
        return 0;
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
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

void CellVisitCollector::morbidityVisit(const data::VisitRecord &record, const tabulation::MorbidityOutcome &outcome)
{
    std::optional<quint32> visit;
    for (const int row : outcome.rows) {
        if (!m_cell.holds(outcome, row))
            continue;
        if (!visit)
            visit = m_lines.addVisit(record);
        m_lines.addLine({*visit, qint16(row), qint8(outcome.band), outcome.female});
    }
}

void CellVisitCollector::visitReportVisit(const data::VisitRecord &record, const reports::VisitOutcome &outcome)
{
    if (m_cell.holds(outcome))
        m_lines.addLine({m_lines.addVisit(record), 0, -1, false});
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
    const Result<report::TfrxReport> filled = run(database, request, options);
    if (!filled)
        return filled.error();

    // The list must add up to the number the same run printed; a list that
    // does not is never shown as the cell's visits.
    const report::TfrxMemoView *printed = filled->findCell(cellName);
    const std::optional<qint64> number = printed ? cellNumber(printed->text()) : std::nullopt;
    CellListing listing{collector.cell(), collector.takeLines()};
    if (!number || *number != listing.lines.size())
        return fail(Text::tr("The visits behind cell %1 make %2 lines, but the run printed %3 in it")
                        .arg(shownText(cellName))
                        .arg(listing.lines.size())
                        .arg(printed ? shownText(printed->text()) : Text::tr("nothing")));
    listing.lines.sort();
    return listing;
}

QString bandHeading(const CountCell &cell, const CellVisitList::Line &line)
{
    if (!cell.isMorbidity() || line.band < 0 || line.band >= cell.profile->bandCount())
        return {};
    return cell.profile->bands->bands[std::size_t(line.band)].heading;
}

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
            row += QString::number(line.row) + QLatin1Char(',');
            report::appendCsvField(row, bandHeading(cell, line));
            row += line.female ? QLatin1String(",z") : QLatin1String(",m");
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
