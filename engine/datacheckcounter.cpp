#include "datacheckcounter.h"

#include "engine.h"

#include <algorithm>

namespace tarel::engine {

void DataCheckCounter::morbidityVisit(const data::VisitRecord &record, const tabulation::MorbidityOutcome &outcome)
{
    ++m_check.selected;
    if (outcome.rows.empty()) {
        ++m_check.noRow;
        ++m_diagnoses[qMakePair(record.category.toString(), record.subCategory.toString())];
        return;
    }
    if (outcome.band < 0) {
        ++m_check.outsideBands;
        return;
    }
    ++m_check.counted;
    if (outcome.rows.size() > 1)
        ++m_check.countedTwice;
    if (record.birthDate.isEmpty())
        ++m_check.emptyBirthDate;
}

void DataCheckCounter::visitReportVisit(const data::VisitRecord &record, const reports::VisitOutcome &outcome)
{
    ++m_check.selected;
    if (!(outcome.counts & reports::CountAll)) {
        ++m_check.outsideBands;
        return;
    }
    ++m_check.counted;
    if (record.birthDate.isEmpty())
        ++m_check.emptyBirthDate;
}

void DataCheckCounter::addSourceFigures(const data::SourceFigures &figures)
{
    m_check.repeatedPersons += figures.repeatedPersons;
    m_check.unmatchedVisits += figures.unmatchedVisits;
    m_check.noSettlementCode += figures.noSettlementCode;
    m_check.nonIsoVisitDates += figures.nonIsoVisitDates;
}

DataCheck DataCheckCounter::result() const
{
    DataCheck check = m_check;
    check.noRowDiagnoses.clear();
    for (auto it = m_diagnoses.constBegin(); it != m_diagnoses.constEnd(); ++it)
        check.noRowDiagnoses.push_back({it.key().first, it.key().second, it.value()});
    // Most visits first; then the texts compared code unit by code unit, not
    // by the locale, so the order is the same everywhere.
    std::sort(check.noRowDiagnoses.begin(), check.noRowDiagnoses.end(),
              [](const DataCheck::Diagnosis &a, const DataCheck::Diagnosis &b) {
                  if (a.visits != b.visits)
                      return a.visits > b.visits;
                  if (const int c = QString::compare(a.category, b.category, Qt::CaseSensitive); c != 0)
                      return c < 0;
                  return QString::compare(a.subcategory, b.subcategory, Qt::CaseSensitive) < 0;
              });
    return check;
}

void describeRequest(const Request &request, DataCheck &check)
{
    check.report = request.report ? request.report->commandName() : QString();
    check.from = request.from.toString(Qt::ISODate);
    check.to = request.to.toString(Qt::ISODate);
    check.doctor = request.doctor ? request.doctor->code : QString();
    check.area = data::areaName(request.area);
}

} // namespace tarel::engine
