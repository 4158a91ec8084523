#include "trend.h"

#include "export.h"
#include "macc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace tarel::trend {

namespace {

// A text as a JSON string.
QByteArray jsonString(const QString &text)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

// The shortest text that reads back as the same number.
QByteArray numberText(double value) { return QByteArray::number(value, 'g', QLocale::FloatingPointShortest); }

QByteArray optionalNumber(const std::optional<double> &value) { return value ? numberText(*value) : "null"; }

QByteArray flagJson(Flag flag) { return flag == Flag::None ? QByteArray("null") : jsonString(flagName(flag)); }

QByteArray valuesJson(const std::vector<qint64> &values)
{
    QByteArray out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += QByteArray::number(values[i]);
    }
    return out + ']';
}

QString isoText(QDate day) { return day.toString(Qt::ISODate); }

} // namespace

std::vector<qint64> Trend::values(int row, int column) const
{
    std::vector<qint64> values;
    values.reserve(tables.size());
    for (const result::CountTable &table : tables)
        values.push_back(table.value(row, column));
    return values;
}

std::optional<double> CellSeries::ratio() const
{
    if (!statistics.mean || *statistics.mean == 0)
        return std::nullopt;
    return double(value()) / *statistics.mean;
}

std::vector<CellSeries> cellSeries(const Trend &trend)
{
    std::vector<CellSeries> series;
    series.reserve(trend.cells.size());
    for (std::size_t i = 0; i < trend.cells.size(); ++i) {
        CellSeries &one = series.emplace_back();
        one.cell = int(i);
        one.values = trend.values(trend.cells[i].row, trend.cells[i].column);
        one.statistics =
            cellStatistics(one.values.back(), std::span<const qint64>(one.values).first(one.values.size() - 1));
    }
    return series;
}

std::vector<CellSeries> flaggedCells(std::vector<CellSeries> series)
{
    std::erase_if(series, [](const CellSeries &one) { return one.statistics.flag == Flag::None; });
    const auto distance = [](const CellSeries &one) { return std::abs(double(one.value()) - *one.statistics.mean); };
    std::stable_sort(series.begin(), series.end(), [&](const CellSeries &a, const CellSeries &b) {
        if (a.statistics.flag != b.statistics.flag)
            return a.statistics.flag < b.statistics.flag;
        const double deviationsA = a.statistics.deviations(a.value());
        const double deviationsB = b.statistics.deviations(b.value());
        if (deviationsA != deviationsB)
            return deviationsA > deviationsB;
        return distance(a) > distance(b);
    });
    return series;
}

QByteArray trendJson(const Trend &trend)
{
    QByteArray out = "{\"report\": " + jsonString(trend.report)
        + ", \"doctor\": " + (trend.doctor ? jsonString(trend.doctor->code) : QByteArray("null"))
        + ", \"area\": " + jsonString(result::areaName(trend.area)) + ",\n \"periods\": [";
    for (std::size_t i = 0; i < trend.periods.size(); ++i)
        out += QByteArray(i > 0 ? ", " : "") + "{\"from\": " + jsonString(isoText(trend.periods[i].from))
            + ", \"to\": " + jsonString(isoText(trend.periods[i].to)) + '}';
    out += "],\n \"cells\": [";
    const result::TableShape &shape = trend.shape();
    const std::vector<CellSeries> series = cellSeries(trend);
    for (const CellSeries &one : series) {
        const CountCell &cell = trend.cells[std::size_t(one.cell)];
        out += QByteArray(one.cell > 0 ? ",\n  " : "\n  ") + "{\"cell\": " + jsonString(cell.name)
            + ", \"row\": " + jsonString(shape.rows()[std::size_t(cell.row)].key)
            + ", \"column\": " + jsonString(shape.columns()[std::size_t(cell.column)].key)
            + ", \"values\": " + valuesJson(one.values) + ", \"mean\": " + optionalNumber(one.statistics.mean)
            + ", \"sd\": " + optionalNumber(one.statistics.sd) + ", \"flag\": " + flagJson(one.statistics.flag) + '}';
    }
    out += series.empty() ? "],\n \"doctors\": [" : "\n ],\n \"doctors\": [";
    for (std::size_t i = 0; i < trend.doctors.size(); ++i) {
        const DoctorVisits &doctor = trend.doctors[i];
        out += QByteArray(i > 0 ? ",\n  " : "\n  ") + "{\"code\": " + jsonString(doctor.code)
            + ", \"name\": " + jsonString(report::maccToUnicode(doctor.name))
            + ", \"values\": " + valuesJson(doctor.values) + ", \"flag\": " + flagJson(doctor.flag()) + '}';
    }
    out += trend.doctors.empty() ? "]}\n" : "\n ]}\n";
    return out;
}

QByteArray trendCsv(const Trend &trend)
{
    QString out = QStringLiteral("\uFEFF");
    const auto line = [&](const QStringList &fields) {
        QString row;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                row += u',';
            report::appendCsvField(row, fields[i]);
        }
        out += row + QStringLiteral("\r\n");
    };
    const auto number = [](const std::optional<double> &value) {
        return value ? QString::fromLatin1(numberText(*value)) : QString();
    };

    QStringList header{QStringLiteral("kind"),   QStringLiteral("name"),  QStringLiteral("row"),
                       QStringLiteral("column"), QStringLiteral("number"), QStringLiteral("label"),
                       QStringLiteral("heading")};
    for (const Period &period : trend.periods)
        header << isoText(period.from) + u'/' + isoText(period.to);
    header << QStringLiteral("mean") << QStringLiteral("sd") << QStringLiteral("flag");
    line(header);

    const result::TableShape &shape = trend.shape();
    for (const CellSeries &one : cellSeries(trend)) {
        const CountCell &cell = trend.cells[std::size_t(one.cell)];
        const result::RowIdentity &row = shape.rows()[std::size_t(cell.row)];
        const result::ColumnIdentity &column = shape.columns()[std::size_t(cell.column)];
        QStringList fields{QStringLiteral("cell"), cell.name,  row.key, column.key,
                           row.number,            row.label, column.headings.join(QStringLiteral(" / "))};
        for (const qint64 value : one.values)
            fields << QString::number(value);
        fields << number(one.statistics.mean) << number(one.statistics.sd) << flagName(one.statistics.flag);
        line(fields);
    }
    for (const DoctorVisits &doctor : trend.doctors) {
        QStringList fields{QStringLiteral("doctor"), doctor.code, {}, {}, {}, report::maccToUnicode(doctor.name), {}};
        for (const qint64 value : doctor.values)
            fields << QString::number(value);
        fields << QString() << QString() << flagName(doctor.flag());
        line(fields);
    }
    return out.toUtf8();
}

} // namespace tarel::trend
