#include "appfixture.h"

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
    if (templ.result && templ.result->check)
        shown.selected = templ.result->check->selected;
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

} // namespace tarel::testing
