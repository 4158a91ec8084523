#pragma once

// Keeps the data check of a run (result/datacheck.h) as the counting reports
// each visit; the counting rules are not changed by it.

#include "datacheck.h"
#include "observer.h"

#include <QHash>
#include <QPair>
#include <QString>

namespace tarel::engine {

struct Request;
using result::DataCheck;

// The request part of an account.
void describeRequest(const Request &request, DataCheck &check);

// Keeps the account of a run as the counting reports each visit.
class DataCheckCounter final : public RunObserver {
public:
    void morbidityVisit(const data::VisitRecord &record, const tabulation::MorbidityOutcome &outcome) override;
    void visitReportVisit(const data::VisitRecord &record, const reports::VisitOutcome &outcome) override;
    // What only the source sees: persons listed twice, unknown citizen
    // numbers, settlement codes, visit dates.
    void addSourceFigures(const data::SourceFigures &figures);

    // The account so far, its uncounted diagnoses in order.
    DataCheck result() const;

private:
    DataCheck m_check;
    QHash<QPair<QString, QString>, qint64> m_diagnoses;
};

} // namespace tarel::engine
