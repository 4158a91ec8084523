#include "engine.h"

#include "datacheckcounter.h"
#include "observer.h"
#include "recordedrequest.h"

#include "catalogue.h"
#include "children.h"
#include "dates.h"
#include "generalmedicine.h"
#include "messagetext.h"
#include "morbiditycount.h"
#include "schoolyouth.h"

#include <QCoreApplication>

#include <algorithm>

namespace tarel::engine {

namespace {

using reports::VisitReport;

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

// What the run records of itself in the filled report: what was asked (to
// run it again, never any patient data) and its data check.
void annotate(report::TfrxReport &templ, const data::Database &database, const Request &request,
              std::optional<DataCheck> check)
{
    templ.annotations.insert(QStringLiteral("request"), requestAnnotation(request, database));
    if (check) {
        describeRequest(request, *check);
        templ.annotations.insert(QStringLiteral("check"), check->toJson());
    }
}

// The six reports: name on the command line, report button, kind, and the
// report's own definition.
constexpr ReportDefinition kReports[] = {
    {"visits-school-youth", "btnPosetaDecaMladina", ReportKind::Visits, nullptr, VisitReport::SchoolYouth},
    {"visits-children", "btnPosetaMladina", ReportKind::Visits, nullptr, VisitReport::Children},
    {"visits-general-medicine", "dtnPosetaOrdinacija", ReportKind::Visits, nullptr, VisitReport::GeneralMedicine},
    {"general-medicine", "btnIzvestaj", ReportKind::Morbidity, &reports::generalMedicineReport, {}},
    {"school-youth", "btnIzvestaj1", ReportKind::Morbidity, &reports::schoolYouthReport, {}},
    {"children", "btnIzvestaj2", ReportKind::Morbidity, &reports::childrenReport, {}},
};

// Reads the selection's visits in one snapshot, handing each record to the
// run's count and keeping what only the source sees in the data check, and
// then the institution's particulars from the same snapshot.
Result<data::Institution> readVisits(data::Database &database, const Request &request,
                                     const data::VisitSelection &selection, data::VisitFields fields,
                                     const RunOptions &options, const data::VisitSink &count, DataCheckCounter &check)
{
    const data::WaitControl waits(database, options.control);
    const data::ReadTransaction transaction(database);
    if (!transaction.begun())
        return transaction.begun().error();
    if (options.observer)
        fields |= options.observer->fields();
    if (const Result<void> tables = data::requireReadTables(
            database, selection, fields, Text::tr("the report %1").arg(request.report->commandName()));
        !tables)
        return tables.error();
    data::SourceFigures figures;
    const bool wanted = options.dataCheck || options.figures;
    if (const Result<void> read = data::visitSourceOf(database, options.source)
                                      ->read(selection, fields, count, options.control, wanted ? &figures : nullptr);
        !read)
        return read.error();
    check.addSourceFigures(figures);
    if (options.figures)
        *options.figures = figures;
    return database.institution();
}

Result<report::TfrxReport> runMorbidity(data::Database &database, const Request &request,
                                        const RunOptions &options)
{
    const reports::MorbidityReportDefinition definition = request.report->morbidity();
    const reports::MorbidityProfile &profile = *definition.profile;
    const Result<const tabulation::RowCatalogue *> catalogue = definition.catalogue();
    if (!catalogue)
        return catalogue.error();

    tabulation::CounterGrid grid;
    grid.zero(std::max(profile.zeroRows, profile.rows), profile.columns());
    const tabulation::MorbidityClassifier classifier(**catalogue, *profile.bands,
                                                     tabulation::pickerValue(request.to));
    data::VisitSelection selection;
    selection.statement = data::VisitSelection::Statement::Morbidity;
    selection.queryName = profile.query;
    selection.from = request.from;
    selection.to = request.to;
    if (request.doctor)
        selection.doctorCode = request.doctor->code;
    selection.area = request.area;
    const data::VisitFields fields =
        data::FieldCategory | data::FieldSubCategory | data::FieldCitizenNumber | data::FieldBirthDate;
    DataCheckCounter check;
    const Result<data::Institution> institution =
        readVisits(database, request, selection, fields, options, [&](const data::VisitRecord &record) -> Result<void> {
            const Result<tabulation::MorbidityOutcome> outcome = classifier.classify(record);
            if (!outcome)
                return outcome.error();
            grid.add(*outcome);
            if (options.dataCheck)
                check.morbidityVisit(record, *outcome);
            if (options.observer)
                options.observer->morbidityVisit(record, *outcome);
            return {};
        }, check);
    if (!institution)
        return institution.error();
    report::TfrxReport templ = definition.buildTemplate(**catalogue);
    const reports::MorbidityHeader header{request.areaText(), request.doctorText(), institution->naziv,
                                          tabulation::shortDateText(request.from),
                                          tabulation::shortDateText(request.to)};
    if (Result<void> written = reports::writeMorbidityCells(profile, **catalogue, grid, header, templ); !written)
        return written.error();
    annotate(templ, database, request, options.dataCheck ? std::optional(check.result()) : std::nullopt);
    return templ;
}

Result<report::TfrxReport> runVisits(data::Database &database, const Request &request, const RunOptions &options)
{
    const VisitReport report = request.report->visit;
    // Ages are taken at the "to" date as its picker carries it, 19:17:34.843.
    const reports::VisitClassifier classifier(report, tabulation::pickerValue(request.to));
    reports::VisitTally tally(report);
    data::VisitSelection selection;
    selection.statement = data::VisitSelection::Statement::Visits;
    selection.from = request.from;
    selection.to = request.to;
    data::VisitFields fields = data::FieldBirthDate | data::FieldKind;
    if (report == VisitReport::GeneralMedicine)
        fields |= data::FieldInsuranceBasis | data::FieldMember;
    DataCheckCounter check;
    const Result<data::Institution> institution =
        readVisits(database, request, selection, fields, options, [&](const data::VisitRecord &record) -> Result<void> {
            const Result<reports::VisitOutcome> outcome = classifier.classify(record);
            if (!outcome)
                return outcome.error();
            tally.add(*outcome);
            if (options.dataCheck)
                check.visitReportVisit(record, *outcome);
            if (options.observer)
                options.observer->visitReportVisit(record, *outcome);
            return {};
        }, check);
    if (!institution)
        return institution.error();
    report::TfrxReport templ = reports::buildVisitTemplate(report);
    const reports::VisitHeader header{request.from, request.to,
                                      request.today.isValid() ? request.today : QDate::currentDate(),
                                      &*institution};
    if (Result<void> written = reports::writeVisitCells(report, tally, header, templ); !written)
        return written.error();
    annotate(templ, database, request, options.dataCheck ? std::optional(check.result()) : std::nullopt);
    return templ;
}

} // namespace

std::span<const ReportDefinition> reportTable() { return kReports; }

const ReportDefinition *findReport(QAnyStringView name)
{
    for (const ReportDefinition &definition : kReports)
        if (QAnyStringView::compare(name, QLatin1String(definition.name)) == 0)
            return &definition;
    return nullptr;
}

QString Request::doctorText() const { return doctor ? doctor->name : QStringLiteral("Site lekari"); }

QString Request::areaText() const { return data::areaText(area); }

Result<report::TfrxReport> run(data::Database &database, const Request &request, const RunOptions &options)
{
    if (!request.report)
        return fail(QStringLiteral("No report was named"), ErrorKind::Usage);
    switch (request.report->kind) {
    case ReportKind::Morbidity:
        return runMorbidity(database, request, options);
    case ReportKind::Visits:
        break;
    }
    return runVisits(database, request, options);
}

Result<data::Doctor> activeDoctor(data::Database &database, const QString &code)
{
    Result<std::vector<data::Doctor>> doctors = database.doctors();
    if (!doctors)
        return doctors.error();
    const auto found = std::find_if(doctors->begin(), doctors->end(),
                                    [&](const data::Doctor &doctor) { return doctor.code == code; });
    if (found == doctors->end())
        return fail(QStringLiteral("'%1' is not the code of an active doctor").arg(shownText(code)), ErrorKind::Usage);
    return *found;
}

} // namespace tarel::engine
