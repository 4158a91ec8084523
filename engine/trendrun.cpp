#include "trendrun.h"

#include "reportparts.h"

#include "dates.h"
#include "morbiditycount.h"

#include <algorithm>

namespace tarel::engine {

namespace {

result::Area areaOf(data::AreaFilter area)
{
    switch (area) {
    case data::AreaFilter::Urban:
        return result::Area::Urban;
    case data::AreaFilter::Rural:
        return result::Area::Rural;
    case data::AreaFilter::Both:
        break;
    }
    return result::Area::Both;
}

// Each doctor's selected visits per period, by the visit's doctor code as
// stored. A line per doctor, looked up among the few there are.
class DoctorTally {
public:
    explicit DoctorTally(std::size_t periods) : m_periods(periods) {}

    void add(QStringView code, int period)
    {
        if (code.isEmpty())
            return; // no doctor: no doctor's line, as no doctor filter selects it
        auto found = std::find_if(m_lines.begin(), m_lines.end(),
                                  [&](const trend::DoctorVisits &line) { return QStringView(line.code) == code; });
        if (found == m_lines.end()) {
            m_lines.push_back({code.toString(), QString(), std::vector<qint64>(m_periods, 0)});
            found = m_lines.end() - 1;
        }
        ++found->values[std::size_t(period)];
    }

    // By code, with the names of the doctor list.
    std::vector<trend::DoctorVisits> lines(const std::vector<data::Doctor> &named)
    {
        for (trend::DoctorVisits &line : m_lines)
            for (const data::Doctor &doctor : named)
                if (doctor.code == line.code)
                    line.name = doctor.name;
        std::sort(m_lines.begin(), m_lines.end(),
                  [](const trend::DoctorVisits &a, const trend::DoctorVisits &b) { return a.code < b.code; });
        return std::move(m_lines);
    }

private:
    std::size_t m_periods;
    std::vector<trend::DoctorVisits> m_lines;
};

// One classifier per period, each at its own reference date: the last day
// as its date picker carries it.
template <typename Classifier, typename Make>
std::vector<Classifier> classifiersOf(const std::vector<trend::Period> &periods, Make make)
{
    std::vector<Classifier> classifiers;
    classifiers.reserve(periods.size());
    for (const trend::Period &period : periods)
        classifiers.push_back(make(tabulation::pickerValue(period.to)));
    return classifiers;
}

} // namespace

Request periodRequest(const Request &request, const trend::Period &period)
{
    Request asked = request;
    asked.from = period.from;
    asked.to = period.to;
    return asked;
}

Result<trend::Trend> runTrend(data::Database &database, const Request &request, int history,
                              const RunOptions &options)
{
    if (!request.report)
        return fail(QStringLiteral("No report was named"), ErrorKind::Usage);
    const Result<const reports::Form *> form = formOf(*request.report);
    if (!form)
        return form.error();

    const data::ReadTransaction transaction(database);
    if (!transaction.begun())
        return transaction.begun().error();
    const Result<QDate> earliest = database.earliestVisitDate();
    if (!earliest)
        return earliest.error();
    Result<std::vector<trend::Period>> periods = trend::trendPeriods({request.from, request.to}, history, *earliest);
    if (!periods)
        return periods.error();

    trend::Trend trend;
    trend.report = request.report->commandName();
    trend.title = (*form)->title;
    if (request.doctor)
        trend.doctor = result::Doctor{request.doctor->code, request.doctor->name};
    trend.area = areaOf(request.area);
    trend.periods = std::move(*periods);
    for (std::size_t i = 0; i < trend.periods.size(); ++i)
        trend.tables.emplace_back((*form)->shape);
    for (const reports::FormCell &cell : (*form)->cells)
        trend.cells.push_back({cell.name, cell.row, cell.column});

    const trend::PeriodLookup lookup(trend.periods);
    data::VisitSelection selection;
    selection.from = trend.periods.front().from;
    selection.to = trend.periods.back().to;
    DoctorTally doctors(trend.periods.size());
    const reports::MorbidityReport *morbidity = morbidityOf(*request.report);
    const bool countDoctors = morbidity && !request.doctor;
    data::VisitFields fields = data::FieldVisitDate;
    if (countDoctors)
        fields |= data::FieldDoctor;
    data::VisitSink sink;

    // The classifiers and the sink live until the read has ended.
    std::vector<tabulation::MorbidityClassifier> morbidityClassifiers;
    std::vector<reports::VisitClassifier> visitClassifiers;
    const reports::MorbidityForm *morbidityForm = nullptr;
    if (morbidity) {
        const Result<const reports::MorbidityForm *> own = morbidity->form();
        if (!own)
            return own.error();
        morbidityForm = *own;
        const tabulation::RowCatalogue &catalogue = **morbidity->catalogue();
        morbidityClassifiers = classifiersOf<tabulation::MorbidityClassifier>(
            trend.periods, [&](tabulation::DateTime reference) {
                return tabulation::MorbidityClassifier(catalogue, morbidity->bands(), reference);
            });
        selection.statement = data::VisitSelection::Statement::Morbidity;
        selection.queryName = morbidity->query();
        if (request.doctor)
            selection.doctorCode = request.doctor->code;
        selection.area = request.area;
        fields |= data::FieldCategory | data::FieldSubCategory | data::FieldCitizenNumber | data::FieldBirthDate;
        sink = [&](const data::VisitRecord &record) -> Result<void> {
            const int period = lookup.periodOf(record.visitDate);
            if (period < 0)
                return {};
            if (countDoctors)
                doctors.add(record.doctor, period);
            const Result<tabulation::MorbidityOutcome> outcome =
                morbidityClassifiers[std::size_t(period)].classify(record);
            if (!outcome)
                return outcome.error();
            result::CountTable &table = trend.tables[std::size_t(period)];
            reports::forEachCell(*morbidityForm, *outcome, [&](int row, int column) { table.add(row, column); });
            return {};
        };
    } else {
        const reports::VisitReport report = visitReportOf(*request.report);
        visitClassifiers = classifiersOf<reports::VisitClassifier>(
            trend.periods, [&](tabulation::DateTime reference) { return reports::VisitClassifier(report, reference); });
        selection.statement = data::VisitSelection::Statement::Visits;
        fields |= data::FieldBirthDate | data::FieldKind;
        if (report == reports::VisitReport::GeneralMedicine)
            fields |= data::FieldInsuranceBasis | data::FieldMember;
        sink = [&, report](const data::VisitRecord &record) -> Result<void> {
            const int period = lookup.periodOf(record.visitDate);
            if (period < 0)
                return {};
            const Result<reports::VisitOutcome> outcome = visitClassifiers[std::size_t(period)].classify(record);
            if (!outcome)
                return outcome.error();
            result::CountTable &table = trend.tables[std::size_t(period)];
            reports::forEachCell(report, *outcome, [&](int row, int column) { table.add(row, column); });
            return {};
        };
    }
    if (const Result<void> read =
            data::visitSourceOf(database, options.source)->read(selection, fields, sink, options.control);
        !read)
        return read.error();
    for (result::CountTable &table : trend.tables)
        table.derive();
    if (countDoctors) {
        const Result<std::vector<data::Doctor>> named = database.everyDoctor();
        if (!named)
            return named.error();
        trend.doctors = doctors.lines(*named);
    }
    return trend;
}

} // namespace tarel::engine
