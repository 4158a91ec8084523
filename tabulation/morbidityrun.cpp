#include "morbidityrun.h"

#include "database.h"
#include "sex.h"
#include "template.h"

#include <QLocale>

namespace tarel::tabulation {

QString MorbidityProfile::cellName(int row, int k) const
{
    return QStringLiteral("memo") + QString::number(cellStride * row + cellBase + k);
}

QString MorbidityProfile::subtotalCellName(const ChapterBlock &block, int k)
{
    return QStringLiteral("s") + block.code + QString::number(4 + k);
}

QString MorbidityProfile::grandTotalCellName(int k) { return QStringLiteral("v") + QString::number(4 + k); }

void CounterGrid::zero(int rows, int columns)
{
    m_rows = rows;
    m_columns = columns;
    m_counts.assign(std::size_t(rows) * std::size_t(columns), 0);
}

QString ReportRequest::doctorText() const
{
    return allDoctors ? QStringLiteral("Site lekari") : doctorName;
}

QString morbidityCountText(qint32 count)
{
    return count == 0 ? QStringLiteral("-") : QString::number(count);
}


Result<void> countVisits(const MorbidityProfile &profile, const RowCatalogue &catalogue,
                         data::Query &query, QDate referenceDay, CounterGrid &grid)
{
    const int sDija = query.field(u"S_DIJA");
    const int sDija2 = query.field(u"S_DIJA2");
    const int mb = query.field(u"MB");
    const int datR = query.field(u"DAT_R");
    if (sDija < 0 || sDija2 < 0 || mb < 0 || datR < 0)
        return fail(QStringLiteral("The query %1 lacks one of the fields S_DIJA, S_DIJA2, MB, DAT_R")
                        .arg(query.name()));

    // The band limits depend only on the reference date: place them once.
    const PlacedBands bands(*profile.bands, pickerValue(referenceDay));
    while (query.next()) {
        const QString category = query.text(sDija);
        const std::vector<int> &rows = catalogue.classify(category, query.text(sDija2));
        if (rows.empty())
            continue;
        int birthDay = 0;
        if (!query.day(datR, &birthDay))
            return data::invalidDateError(query.text(datR));
        const int band = bands.bandOf(birthDay);
        if (band < 0)
            continue; // outside every band: counted nowhere, the sex is never read
        const QString citizenNumber = query.text(mb);
        const std::optional<int> sex = sexValue(citizenNumber);
        if (!sex)
            return sexConversionError(citizenNumber);
        const bool female = isFemale(*sex);
        for (int row : rows)
            if (row <= grid.rows())
                grid.count(row, band, female);
    }
    if (query.error())
        return *query.error();
    return {};
}

Result<void> writeMorbidityCells(const MorbidityProfile &profile, const RowCatalogue &catalogue,
                                 const CounterGrid &grid, report::TfrxReport &templ)
{
    const int columns = profile.columns();
    const auto &blocks = catalogue.blocks();

    // Resolve every cell first: a template without one of them is reported and
    // left untouched.
    std::vector<std::pair<report::TfrxMemoView *, qint32>> writes;
    writes.reserve(std::size_t(profile.rows * columns) + blocks.size() * std::size_t(columns) + std::size_t(columns));
    auto add = [&](const QString &name, qint32 count) -> bool {
        report::TfrxMemoView *cell = templ.findCell(name);
        if (!cell)
            return false;
        writes.emplace_back(cell, count);
        return true;
    };
    auto missing = [&](const QString &name) {
        return fail(QStringLiteral("The template %1 has no cell %2").arg(templ.name, name));
    };

    for (int row = 1; row <= profile.rows; ++row)
        for (int k = 0; k < columns; ++k)
            if (!add(profile.cellName(row, k), grid.value(row, k)))
                return missing(profile.cellName(row, k));

    std::vector<qint64> grand(std::size_t(columns), 0);
    for (const ChapterBlock &block : blocks) {
        for (int k = 0; k < columns; ++k) {
            qint64 sum = 0;
            for (int row = block.first; row <= block.last; ++row)
                sum += grid.value(row, k);
            grand[std::size_t(k)] += sum;
            const QString name = MorbidityProfile::subtotalCellName(block, k);
            if (!add(name, qint32(sum)))
                return missing(name);
        }
    }
    for (int k = 0; k < columns; ++k) {
        const QString name = MorbidityProfile::grandTotalCellName(k);
        if (!add(name, qint32(grand[std::size_t(k)])))
            return missing(name);
    }

    for (auto &[cell, count] : writes)
        cell->setText(morbidityCountText(count));
    return {};
}

Result<void> runMorbidityReport(const MorbidityProfile &profile, const RowCatalogue &catalogue,
                                data::Database &database, data::Query &query,
                                const ReportRequest &request, const QString &institutionName,
                                CounterGrid &grid, report::TfrxReport &templ)
{
    query.close();
    query.setLines(data::morbidityStatementFor(!request.allDoctors, request.area));
    std::vector<std::pair<QString, QString>> texts;
    if (!request.allDoctors)
        texts.emplace_back(QLatin1String(data::DoctorParameter), request.doctorCode);

    if (Result<void> begun = database.beginRead(); !begun)
        return begun;
    if (Result<void> opened = query.open(request.from, request.to, texts); !opened) {
        database.endRead();
        return opened;
    }

    grid.zero(std::max(profile.zeroRows, profile.rows), profile.columns());
    Result<void> counted = countVisits(profile, catalogue, query, request.to, grid);
    query.close();
    database.endRead();
    if (!counted)
        return counted;

    const std::pair<const char *, QString> header[] = {
        {"GradSelo", request.areaText()},
        {"lekar", request.doctorText()},
        {"pzu", institutionName},
        {"dataod", shortDateText(request.from)},
        {"datado", shortDateText(request.to)},
    };
    for (const auto &[name, text] : header)
        if (!templ.findCell(QString::fromLatin1(name)))
            return fail(QStringLiteral("The template %1 has no cell %2").arg(templ.name, QLatin1String(name)));

    if (Result<void> written = writeMorbidityCells(profile, catalogue, grid, templ); !written)
        return written;
    for (const auto &[name, text] : header)
        templ.setCellText(QString::fromLatin1(name), text);
    return {};
}

} // namespace tarel::tabulation
