#pragma once

// Age bands: half-open intervals of completed years or months at the
// reference date. A limit of N months is placed by moving the reference date
// back N months (incMonth); the tests compare the birth date with it.

#include "dates.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tarel::tabulation {

enum class LimitTest {
    AtLeast,   // B <= R-N: the anniversary counts as completed
    FewerThan, // B >  R-N
    Cap,       // B >= R-N: the upper limits of band 7 of calculate and band 1 of calculate2
};

struct AgeLimit {
    int months;
    LimitTest test;
};

inline constexpr AgeLimit years(int n, LimitTest test) { return {n * 12, test}; }
inline constexpr AgeLimit months(int n, LimitTest test) { return {n, test}; }

struct AgeBand {
    std::optional<AgeLimit> lower; // none: no lower limit
    std::optional<AgeLimit> upper;
    QString heading;               // column heading as printed
};

// A set of bands. In the morbidity sets the bands never overlap; in the
// visit-report sets some intervals do, and each feeds its own counters.
struct BandSetDefinition {
    QString name;
    std::vector<AgeBand> bands;
};

const BandSetDefinition &calculateBands();  // general medicine, 7 bands
const BandSetDefinition &calculate1Bands(); // school children and youth, 6 bands
const BandSetDefinition &calculate2Bands(); // pre-school children, 6 bands
const BandSetDefinition &calculate3Bands(); // visits, children: 4 first-visit intervals, then "under 6"
const BandSetDefinition &calculate4Bands(); // visits, school: 4 first-visit intervals, 7-27, 24-27
const BandSetDefinition &calculate5Bands(); // visits, general medicine: 20-150

// A band set placed at one reference date: the shifted limits are computed
// once per run, so testing a birth date is a few comparisons.
class PlacedBands {
public:
    PlacedBands(const BandSetDefinition &definition, DateTime reference);

    int size() const { return int(m_bands.size()); }
    // Whether the band (0-based) holds a patient born on that day number.
    bool holds(int band, int birthDay) const;
    // The first band that holds the patient, or -1.
    int bandOf(int birthDay) const;

private:
    struct Placed {
        bool hasLower = false;
        bool hasUpper = false;
        LimitTest lowerTest = LimitTest::AtLeast;
        LimitTest upperTest = LimitTest::FewerThan;
        DateTime lower = 0;
        DateTime upper = 0;
    };
    static bool passes(LimitTest test, double birth, DateTime limit);
    std::vector<Placed> m_bands;
};

} // namespace tarel::tabulation
