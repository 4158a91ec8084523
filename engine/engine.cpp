#include "engine.h"

#include "datacheckcounter.h"
#include "observer.h"
#include "recordedrequest.h"
#include "reportparts.h"

#include "children.h"
#include "dateformat.h"
#include "dates.h"
#include "generalmedicine.h"
#include "macc.h"
#include "messagetext.h"
#include "schoolyouth.h"

#include <QCoreApplication>

#include <algorithm>

namespace tarel::engine {

namespace {

// This file's messages, translated in the shared context "Text" (see
// translations/translation.h).
class Text {
    Q_DECLARE_TR_FUNCTIONS(Text)
};

using reports::VisitReport;

// The six reports: name on the command line and kind; their parts, in the
// same order.
constexpr ReportDefinition kReports[] = {
    {"visits-school-youth", ReportKind::Visits},
    {"visits-children", ReportKind::Visits},
    {"visits-general-medicine", ReportKind::Visits},
    {"general-medicine", ReportKind::Morbidity},
    {"school-youth", ReportKind::Morbidity},
    {"children", ReportKind::Morbidity},
};
struct Parts {
    const reports::MorbidityReport &(*morbidity)();
    VisitReport visit;
};
constexpr Parts kParts[] = {
    {nullptr, VisitReport::SchoolYouth},
    {nullptr, VisitReport::Children},
    {nullptr, VisitReport::GeneralMedicine},
    {&reports::generalMedicineReport, {}},
    {&reports::schoolYouthReport, {}},
    {&reports::childrenReport, {}},
};

const Parts &partsOf(const ReportDefinition &report) { return kParts[&report - kReports]; }

data::AreaFilter filterOf(result::Area area)
{
    switch (area) {
    case result::Area::Urban: return data::AreaFilter::Urban;
    case result::Area::Rural: return data::AreaFilter::Rural;
    case result::Area::Both: break;
    }
    return data::AreaFilter::Both;
}

// The texts of a result's header, as the form prints them.
reports::HeaderValues headerValues(const result::RunResult &result)
{
    reports::HeaderValues values;
    values.from = shortDateText(result.request.from);
    values.to = shortDateText(result.request.to);
    values.printedOn = result.printedOn.isValid() ? shortDateText(result.printedOn) : QString();
    values.doctor = result.request.doctor ? result.request.doctor->name : QStringLiteral("Site lekari");
    values.area = data::areaText(filterOf(result.request.area));
    values.institution = result.institution;
    return values;
}

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

// Adds a classified visit to the table at the cells given, and tells the
// observer where it counted.
class CellAdder {
public:
    CellAdder(result::CountTable &table, RunObserver *observer) : m_table(table), m_observer(observer) {}

    template <typename ForEachCell>
    void add(const data::VisitRecord &record, ForEachCell forEachCell)
    {
        if (!m_observer) {
            forEachCell([&](int row, int column) { m_table.add(row, column); });
            return;
        }
        m_cells.clear();
        forEachCell([&](int row, int column) {
            m_table.add(row, column);
            m_cells.push_back({row, column});
        });
        m_observer->countedIn(record, m_cells);
    }

private:
    result::CountTable &m_table;
    RunObserver *m_observer;
    std::vector<CellAt> m_cells;
};

// What the run records of itself beside its counts: what was asked (to run
// it again, never any patient data), the institution, the form's words, its
// data check.
result::RunResult resultOf(const Request &request, const data::Database &database, const data::Institution &institution,
                           const reports::Form &form, result::CountTable counts, const RunOptions &options,
                           const DataCheckCounter &check)
{
    result::RunResult result;
    result.request = recordedRequest(request, database);
    if (request.report->kind == ReportKind::Visits)
        result.printedOn = request.today.isValid() ? request.today : QDate::currentDate();
    result.institution = {institution.naziv,   institution.adresa, institution.mesto,
                          institution.danBroj, institution.ziro,   institution.deponent};
    result.title = form.title;
    result.header = reports::headerLines(form, headerValues(result));
    result.counts = std::move(counts);
    if (options.dataCheck) {
        result.check = check.result();
        describeRequest(request, *result.check);
    }
    return result;
}

Result<result::RunResult> runMorbidity(data::Database &database, const Request &request, const RunOptions &options)
{
    const reports::MorbidityReport &definition = partsOf(*request.report).morbidity();
    const Result<const reports::MorbidityForm *> form = definition.form();
    if (!form)
        return form.error();
    const tabulation::MorbidityClassifier classifier(**definition.catalogue(), definition.bands(),
                                                     tabulation::pickerValue(request.to));
    result::CountTable table((*form)->form.shape);
    CellAdder adder(table, options.observer);
    data::VisitSelection selection;
    selection.statement = data::VisitSelection::Statement::Morbidity;
    selection.queryName = definition.query();
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
            adder.add(record, [&](auto addCell) { reports::forEachCell(**form, *outcome, addCell); });
            if (options.dataCheck)
                check.morbidityVisit(record, *outcome);
            if (options.observer)
                options.observer->morbidityVisit(record, *outcome);
            return {};
        }, check);
    if (!institution)
        return institution.error();
    table.derive();
    return resultOf(request, database, *institution, (*form)->form, std::move(table), options, check);
}

Result<result::RunResult> runVisits(data::Database &database, const Request &request, const RunOptions &options)
{
    const VisitReport report = partsOf(*request.report).visit;
    const Result<const reports::Form *> form = reports::visitForm(report);
    if (!form)
        return form.error();
    // Ages are taken at the "to" date as its picker carries it, 19:17:34.843.
    const reports::VisitClassifier classifier(report, tabulation::pickerValue(request.to));
    result::CountTable table((*form)->shape);
    CellAdder adder(table, options.observer);
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
            adder.add(record, [&](auto addCell) { reports::forEachCell(report, *outcome, addCell); });
            if (options.dataCheck)
                check.visitReportVisit(record, *outcome);
            if (options.observer)
                options.observer->visitReportVisit(record, *outcome);
            return {};
        }, check);
    if (!institution)
        return institution.error();
    table.derive();
    return resultOf(request, database, *institution, **form, std::move(table), options, check);
}

} // namespace

namespace {

// The reports in words, by command-line name.
constexpr std::pair<const char *, const char *> kReportWords[] = {
    {"visits-school-youth", QT_TRANSLATE_NOOP("Text", "Visits, school children and youth")},
    {"visits-children", QT_TRANSLATE_NOOP("Text", "Visits, children")},
    {"visits-general-medicine", QT_TRANSLATE_NOOP("Text", "Visits, general medicine")},
    {"general-medicine", QT_TRANSLATE_NOOP("Text", "General medicine")},
    {"school-youth", QT_TRANSLATE_NOOP("Text", "School children and youth")},
    {"children", QT_TRANSLATE_NOOP("Text", "Children")},
};

} // namespace

std::span<const ReportDefinition> reportTable() { return kReports; }

QString reportWords(const ReportDefinition &report)
{
    for (const auto &[name, words] : kReportWords)
        if (qstrcmp(name, report.name) == 0)
            return QCoreApplication::translate("Text", words);
    return report.commandName();
}

const ReportDefinition *findReport(QAnyStringView name)
{
    for (const ReportDefinition &definition : kReports)
        if (QAnyStringView::compare(name, QLatin1String(definition.name)) == 0)
            return &definition;
    return nullptr;
}

const reports::MorbidityReport *morbidityOf(const ReportDefinition &report)
{
    const Parts &parts = partsOf(report);
    return parts.morbidity ? &parts.morbidity() : nullptr;
}

VisitReport visitReportOf(const ReportDefinition &report) { return partsOf(report).visit; }

Result<const reports::Form *> formOf(const ReportDefinition &report)
{
    if (const reports::MorbidityReport *morbidity = morbidityOf(report)) {
        const Result<const reports::MorbidityForm *> form = morbidity->form();
        if (!form)
            return form.error();
        return &(*form)->form;
    }
    return reports::visitForm(visitReportOf(report));
}

QString Request::doctorText() const { return doctor ? doctor->name : QStringLiteral("Site lekari"); }

QString Request::areaText() const { return data::areaText(area); }

Result<result::RunResult> run(data::Database &database, const Request &request, const RunOptions &options)
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

Result<report::TfrxReport> filledForm(const result::RunResult &result)
{
    const ReportDefinition *report = findReport(result.request.report);
    if (!report)
        return fail(Text::tr("The report's request names no known report ('%1')").arg(shownText(result.request.report)));
    const Result<const reports::Form *> form = formOf(*report);
    if (!form)
        return form.error();
    if (result.counts.empty() || !(result.counts.shape() == *(*form)->shape))
        return fail(Text::tr("The counts of the result are not those of the form %1").arg((*form)->blank.name));
    Result<report::TfrxReport> filled = reports::fillForm(**form, result.counts, headerValues(result));
    if (filled)
        filled->result = std::make_shared<const result::RunResult>(result);
    return filled;
}

Result<std::vector<FormCellOf>> countCells(const ReportDefinition &report)
{
    const Result<const reports::Form *> form = formOf(report);
    if (!form)
        return form.error();
    std::vector<FormCellOf> cells;
    cells.reserve((*form)->cells.size());
    for (const reports::FormCell &cell : (*form)->cells)
        cells.push_back({cell.name, cell.row, cell.column});
    return cells;
}

Result<std::shared_ptr<const result::TableShape>> resultShape(const ReportDefinition &report)
{
    const Result<const reports::Form *> form = formOf(report);
    if (!form)
        return form.error();
    return (*form)->shape;
}

Result<std::shared_ptr<const result::RunResult>> resultOf(const report::PreparedReport &prepared)
{
    if (prepared.result && !prepared.result->counts.empty())
        return prepared.result;
    // The report of the result, or (saved before reports kept their request)
    // the report whose form the pages show.
    const ReportDefinition *report = nullptr;
    if (prepared.result) {
        report = findReport(prepared.result->request.report);
        if (!report)
            return fail(Text::tr("The report's request names no known report ('%1')")
                            .arg(shownText(prepared.result->request.report)));
    } else {
        for (const ReportDefinition &candidate : kReports)
            if (const Result<const reports::Form *> form = formOf(candidate);
                form && (*form)->blank.name == prepared.templateName)
                report = &candidate;
        if (!report)
            return fail(Text::tr("The pages are not those of a form of this program ('%1')")
                            .arg(shownText(prepared.templateName)));
    }
    const Result<const reports::Form *> form = formOf(*report);
    if (!form)
        return form.error();
    if (prepared.templateName != (*form)->blank.name)
        return fail(Text::tr("The pages are not those of the form %1 of the report %2")
                        .arg((*form)->blank.name, report->commandName()));
    // The numbers and words the pages print, read back by the names of the form's cells.
    QHash<QString, QString> printed;
    for (const report::OutputPage &page : prepared.pages)
        for (const report::OutputCell &cell : page.cells)
            printed.insert(cell.name.toLower(), cell.text);
    auto completed = prepared.result ? std::make_shared<result::RunResult>(*prepared.result)
                                     : std::make_shared<result::RunResult>();
    completed->request.report = report->commandName();
    completed->counts = result::CountTable((*form)->shape);
    for (const reports::FormCell &cell : (*form)->cells) {
        const QString text = printed.value(cell.name.toLower());
        bool ok = false;
        const qint64 count = text == u"-" ? 0 : text.toLongLong(&ok);
        if (text != u"-" && (!ok || count < 0))
            return fail(Text::tr("The count cell %1 of the saved report prints '%2', not a number")
                            .arg(cell.name, shownText(text)));
        completed->counts.setValue(cell.row, cell.column, count);
    }
    const reports::HeaderValues values = reports::printedHeaderValues(
        **form, [&](const QString &cell) { return printed.value(cell.toLower()); });
    completed->title = (*form)->title;
    completed->institution = values.institution;
    completed->header = reports::headerLines(**form, values);
    return std::shared_ptr<const result::RunResult>(std::move(completed));
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
