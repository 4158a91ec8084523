#include "morbiditycount.h"

#include "database.h"
#include "sex.h"
#include "visitsource.h"

namespace tarel::tabulation {

MorbidityClassifier::MorbidityClassifier(const RowCatalogue &catalogue, const BandSetDefinition &bands,
                                         DateTime reference)
    // The band limits depend only on the reference date: placed once.
    : m_catalogue(catalogue), m_bands(bands, reference)
{
}

Result<int> birthDayOf(QStringView text)
{
    if (text.isEmpty())
        return 0;
    int day = 0;
    if (!data::parseIsoDay(text, &day))
        return data::invalidDateError(text.toString());
    return day;
}

Result<MorbidityOutcome> MorbidityClassifier::classify(const data::VisitRecord &record) const
{
    MorbidityOutcome outcome;
    const std::vector<int> &rows = m_catalogue.classify(record.category, record.subCategory);
    outcome.rows = rows;
    if (rows.empty())
        return outcome;
    const Result<int> birthDay = birthDayOf(record.birthDate);
    if (!birthDay)
        return birthDay.error();
    outcome.band = m_bands.bandOf(*birthDay);
    if (outcome.band < 0)
        return outcome; // outside every band: counted nowhere, the sex is never read
    const std::optional<int> sex = sexValue(record.citizenNumber);
    if (!sex)
        return sexConversionError(record.citizenNumber);
    outcome.female = isFemale(*sex);
    return outcome;
}

} // namespace tarel::tabulation
