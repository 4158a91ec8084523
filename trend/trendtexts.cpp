#include "trendtexts.h"

#include "macc.h"

namespace tarel::trend {

QString flagWords(Flag flag)
{
    switch (flag) {
    case Flag::None:
        break;
    case Flag::Gone:
        return QStringLiteral("исчезна");
    case Flag::New:
        return QStringLiteral("нова");
    case Flag::Extreme:
        return QStringLiteral("екстремно отстапување");
    case Flag::Moderate:
        return QStringLiteral("умерено отстапување");
    case Flag::Silent:
        return QStringLiteral("без посети");
    }
    return {};
}

QString areaWords(result::Area area)
{
    switch (area) {
    case result::Area::Urban:
        return QStringLiteral("Град");
    case result::Area::Rural:
        return QStringLiteral("Село");
    case result::Area::Both:
        break;
    }
    return QStringLiteral("Град и Село");
}

QString periodLabel(const Period &period)
{
    const int months = wholeMonths(period);
    if (months == 1)
        return period.from.toString(QStringLiteral("MM.yyyy"));
    if (months > 1)
        return period.from.toString(QStringLiteral("MM.yyyy")) + QStringLiteral(" - ")
            + period.to.toString(QStringLiteral("MM.yyyy"));
    if (period.from == period.to)
        return period.from.toString(QStringLiteral("dd.MM.yyyy"));
    return period.from.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" - ")
        + period.to.toString(QStringLiteral("dd.MM.yyyy"));
}

QString rowWords(const result::RowIdentity &row)
{
    return row.number.isEmpty() ? row.label : row.number + u' ' + row.label;
}

QString columnWords(const result::ColumnIdentity &column)
{
    return column.headings.join(QStringLiteral(", "));
}

QString doctorWords(const Trend &trend)
{
    if (!trend.doctor)
        return QStringLiteral("Сите лекари");
    return trend.doctor->code + QStringLiteral(" ") + report::maccToUnicode(trend.doctor->name);
}

} // namespace tarel::trend
