#include "agebands.h"

namespace tarel::tabulation {

namespace {

using enum LimitTest;

AgeBand yearBand(int from, int to, const char *heading)
{
    return {years(from, AtLeast), years(to, FewerThan), QString::fromLatin1(heading)};
}

} // namespace

const BandSetDefinition &calculateBands()
{
    static const BandSetDefinition set{
        QStringLiteral("calculate"),
        {yearBand(20, 24, "20-24g."), yearBand(24, 34, "25-34 g."), yearBand(34, 44, "35-44 g."),
         yearBand(44, 54, "45-54 g."), yearBand(54, 64, "55-64 g."), yearBand(64, 74, "65-74 g."),
         {years(74, AtLeast), years(130, Cap), QStringLiteral("75i pove}e")}}};
    return set;
}

const BandSetDefinition &calculate1Bands()
{
    static const BandSetDefinition set{
        QStringLiteral("calculate1"),
        {yearBand(6, 7, "do 7 g."), yearBand(7, 9, "7-9 g."), yearBand(9, 14, "10-14 g."),
         yearBand(14, 19, "15-19 g."), yearBand(19, 24, "20-24 g."), yearBand(24, 27, "25g. i pove}e")}};
    return set;
}

const BandSetDefinition &calculate2Bands()
{
    static const BandSetDefinition set{
        QStringLiteral("calculate2"),
        {{std::nullopt, months(2, Cap), QStringLiteral("do 2 mes.")},
         {months(2, AtLeast), months(5, FewerThan), QStringLiteral("3-5 mes.")},
         {months(5, AtLeast), months(11, FewerThan), QStringLiteral("6-11 mes.")},
         {months(11, AtLeast), years(2, FewerThan), QStringLiteral("1-2 god.")},
         {years(2, AtLeast), years(4, FewerThan), QStringLiteral("3-4 god.")},
         {years(4, AtLeast), years(6, FewerThan), QStringLiteral("5-6 god.")}}};
    return set;
}

const BandSetDefinition &calculate3Bands()
{
    static const BandSetDefinition set{
        QStringLiteral("calculate3"),
        {{std::nullopt, years(1, FewerThan), QStringLiteral("0 god")},
         yearBand(1, 2, "1 - 2"),
         yearBand(2, 5, "3 - 5"),
         yearBand(5, 6, "6 god"),
         {std::nullopt, years(6, FewerThan), QStringLiteral("VKUPNO")}}};
    return set;
}

const BandSetDefinition &calculate4Bands()
{
    static const BandSetDefinition set{
        QStringLiteral("calculate4"),
        {yearBand(7, 9, "7 - 9"), yearBand(9, 14, "10 - 14"), yearBand(14, 19, "15 - 19"),
         yearBand(19, 24, "20 - 24"), yearBand(7, 27, "Vkupno"), yearBand(24, 27, ">25")}};
    return set;
}

const BandSetDefinition &calculate5Bands()
{
    static const BandSetDefinition set{QStringLiteral("calculate5"),
                                       {yearBand(20, 150, "Vkupno")}};
    return set;
}

PlacedBands::PlacedBands(const BandSetDefinition &definition, DateTime reference)
{
    m_bands.reserve(definition.bands.size());
    for (const AgeBand &band : definition.bands) {
        Placed placed;
        if (band.lower) {
            placed.hasLower = true;
            placed.lowerTest = band.lower->test;
            placed.lower = incMonth(reference, -band.lower->months);
        }
        if (band.upper) {
            placed.hasUpper = true;
            placed.upperTest = band.upper->test;
            placed.upper = incMonth(reference, -band.upper->months);
        }
        m_bands.push_back(placed);
    }
}

bool PlacedBands::passes(LimitTest test, double birth, DateTime limit)
{
    switch (test) {
    case AtLeast:
        return birth <= limit;
    case FewerThan:
        return birth > limit;
    case Cap:
        return birth >= limit;
    }
    return false;
}

bool PlacedBands::holds(int band, int birthDay) const
{
    const Placed &placed = m_bands[std::size_t(band)];
    const double birth = birthDay;
    return (!placed.hasLower || passes(placed.lowerTest, birth, placed.lower))
        && (!placed.hasUpper || passes(placed.upperTest, birth, placed.upper));
}

int PlacedBands::bandOf(int birthDay) const
{
    for (int band = 0; band < size(); ++band)
        if (holds(band, birthDay))
            return band;
    return -1;
}

} // namespace tarel::tabulation
