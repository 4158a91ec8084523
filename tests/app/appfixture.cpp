#include "appfixture.h"

#include "agebands.h"
#include "catalogue.h"
#include "prepared.h"
#include "template.h"

#include <QFile>

namespace tarel::testing {

AliasedSource::AliasedSource()
{
    m_previous = qgetenv(data::AliasFileVariable);
    writeAliasFile(source.path());
    qputenv(data::AliasFileVariable, m_dir.filePath(QStringLiteral("aliases.ini")).toLocal8Bit());
}

AliasedSource::~AliasedSource() { qputenv(data::AliasFileVariable, m_previous); }

void AliasedSource::pointAtMissingFile() { writeAliasFile(m_dir.filePath(QStringLiteral("no-such.sqlite"))); }

void AliasedSource::writeAliasFile(const QString &databasePath)
{
    QFile file(m_dir.filePath(QStringLiteral("aliases.ini")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QStringLiteral("[pelorida]\ndriver=QSQLITE\ndatabase=%1\n").arg(databasePath).toUtf8());
}

void RecordingUi::showError(QWidget *parent, const QString &text)
{
    errors << text;
    if (whileError)
        whileError(parent);
}

void RecordingUi::showReport(QWidget *, const report::TfrxReport &templ, report::PreparedReport &prepared)
{
    prepared = report::prepare(templ);
    Shown shown{templ.name, int(prepared.pages.size()), {}};
    for (const char *name : {"GradSelo", "lekar", "pzu", "dataod", "datado", "v4", "v5", "vkupno", "vkupno_grad",
                             "vkupno_selo", "naziv"})
        if (const report::TfrxMemoView *cell = templ.findCell(QString::fromLatin1(name)))
            shown.cells.insert(QString::fromLatin1(name), cell->text());
    reports.push_back(shown);
    if (whileShowing)
        whileShowing();
}

namespace {

class RecordingProgress final : public app::RunProgress {
public:
    explicit RecordingProgress(RecordingUi::Progress &progress) : m_progress(progress) {}
    ~RecordingProgress() override { m_progress.shown = false; }
    void setProgress(const data::ReadProgress &progress) override
    {
        m_progress.rows = progress.read;
        m_progress.estimated = progress.estimated;
        m_progress.locked = false;
    }
    void setLocked() override { m_progress.locked = true; }

private:
    RecordingUi::Progress &m_progress;
};

} // namespace

std::unique_ptr<app::RunProgress> RecordingUi::showProgress(QWidget *, std::function<void()> cancel)
{
    progress = Progress{true, -1, 0, false, std::move(cancel)};
    ++progressShown;
    return std::make_unique<RecordingProgress>(progress);
}

namespace {

const reports::MorbidityProfile &oneRowProfile()
{
    static const reports::MorbidityProfile profile{QStringLiteral("frxTest"), QStringLiteral("qTest"), 1,
                                                   &tabulation::calculateBands(), 19, 51, 1};
    return profile;
}

Result<const tabulation::RowCatalogue *> oneRowCatalogue()
{
    static const Result<tabulation::RowCatalogue> catalogue = tabulation::RowCatalogue::parse(
        QStringLiteral("1 \"Row\"; \"A01\"\n"
                       "block 1 rows 1-1 code \"1\" numeral \"I\" range \"A00 - B99\"\n"),
        QStringLiteral("test"));
    if (!catalogue)
        return catalogue.error();
    return &catalogue.value();
}

report::TfrxReport oneRowTemplate(const tabulation::RowCatalogue &)
{
    const reports::MorbidityProfile &profile = oneRowProfile();
    report::TfrxReport templ(profile.templateName);
    report::TfrxReportPage page;
    page.name = QStringLiteral("Page1");
    page.title.emplace();
    auto cell = [](const QString &name) {
        report::TfrxMemoView view;
        view.name = name;
        view.width = 40;
        view.height = 20;
        return view;
    };
    for (const char *name : {"GradSelo", "lekar", "pzu", "dataod", "datado"})
        page.title->cells.push_back(cell(QString::fromLatin1(name)));
    tabulation::ChapterBlock block;
    block.code = QStringLiteral("1");
    for (int k = 0; k < profile.columns(); ++k) {
        page.cells.push_back(cell(reports::countCellName(profile, 1, k)));
        page.cells.push_back(cell(reports::subtotalCellName(block, reports::kFirstDataColumn + k)));
        page.cells.push_back(cell(reports::grandTotalCellName(reports::kFirstDataColumn + k)));
    }
    templ.pages.push_back(std::move(page));
    return templ;
}

reports::MorbidityReportDefinition oneRowReport() { return {&oneRowProfile(), &oneRowCatalogue, &oneRowTemplate}; }

} // namespace

std::span<const engine::ReportDefinition> oneRowReports()
{
    static const std::vector<engine::ReportDefinition> table = [] {
        std::vector<engine::ReportDefinition> reports(engine::reportTable().begin(), engine::reportTable().end());
        for (engine::ReportDefinition &report : reports)
            if (report.kind == engine::ReportKind::Morbidity)
                report.morbidity = &oneRowReport;
        return reports;
    }();
    return table;
}

} // namespace tarel::testing
