#pragma once

// What the window tests share: a source database reached under the alias
// "pelorida" through an alias file of the test's own, and a Ui that records
// what the windows ask instead of blocking.

#include "IzvestajzaTarel.h"
#include "sourcedatabase.h"
#include "ui.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace tarel::testing {

// A source database with an alias file naming it, set as TAREL_DB_ALIASES
// while the object lives.
class AliasedSource {
public:
    AliasedSource();
    ~AliasedSource();
    SourceDatabase source;
    // Points the alias at a file that does not exist.
    void pointAtMissingFile();

private:
    void writeAliasFile(const QString &databasePath);
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

class RecordingUi : public app::Ui {
public:
    // The progress of the current run as the window has told it.
    struct Progress {
        bool shown = false;
        qint64 rows = -1; // -1: no rows yet
        qint64 estimated = 0;
        bool locked = false;
        std::function<void()> cancel; // the Cancel button
    };

    struct Shown {
        QString templateName;
        int pages = 0;
        QHash<QString, QString> cells; // the header and total cells at the time of showing
        qint64 selected = -1;          // the visits the run selected, by its data check
    };

    QStringList messages;
    QStringList errors;
    std::vector<Shown> reports;
    std::function<void()> whileShowing; // runs inside showReport
    std::function<void(QWidget *)> whileError;
    Progress progress;
    int progressShown = 0; // runs that showed their progress

    void showMessage(QWidget *, const QString &text) override { messages << text; }
    void showError(QWidget *parent, const QString &text) override;
    void showReport(QWidget *parent, const report::TfrxReport &templ, report::PreparedReport &prepared) override;
    std::unique_ptr<app::RunProgress> showProgress(QWidget *parent, std::function<void()> cancel) override;
};

} // namespace tarel::testing
