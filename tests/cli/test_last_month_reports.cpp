// tools/last-month-reports, what ./tools/run-program does without a display:
// the six reports of the last full month as PDF files in the user's documents
// folder, named in its message, and nothing in the build's folders.
#include "generator.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char *const kReports[] = {"general-medicine",    "school-youth",    "children",
                                "visits-school-youth", "visits-children", "visits-general-medicine"};

} // namespace

TEST(LastMonthReports, WritesTheSixReportsIntoTheDocumentsFolder)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // A database whose visits reach to the end of the last full month.
    const QDate firstOfMonth = QDate::currentDate().addDays(1 - QDate::currentDate().day());
    const QString database = home.filePath(QStringLiteral("pelorida.sqlite"));
    tarel::demodb::DemoOptions options;
    options.visits = 3000;
    options.months = 3;
    options.lastDay = firstOfMonth.addDays(-1);
    ASSERT_TRUE(tarel::demodb::writeDemoDatabase(database, options).ok());
    const QString aliases = home.filePath(QStringLiteral("aliases.ini"));
    QFile aliasFile(aliases);
    ASSERT_TRUE(aliasFile.open(QIODevice::WriteOnly));
    aliasFile.write(QStringLiteral("[pelorida]\ndriver=QSQLITE\ndatabase=%1\n").arg(database).toUtf8());
    aliasFile.close();

    const QString build = QFileInfo(QStringLiteral(TAREL_REPORT_EXECUTABLE)).dir().absoluteFilePath(QStringLiteral(".."));
    const QString month = firstOfMonth.addMonths(-1).toString(QStringLiteral("yyyy-MM"));
    struct Case {
        const char *what;
        const char *userDirs; // ~/.config/user-dirs.dirs; nullptr: none
        const char *folder;   // under the home folder
    };
    const Case cases[] = {
        {"no documents folder named", nullptr, "Documents"},
        {"the desktop's documents folder", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumenti\"\n", "Dokumenti"},
    };
    for (const Case &c : cases) {
        QDir(home.filePath(QStringLiteral(".config"))).removeRecursively();
        if (c.userDirs) {
            ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral(".config")));
            QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
            ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
            dirs.write(c.userDirs);
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        environment.insert(QStringLiteral("TAREL_DB_ALIASES"), aliases);
        QProcess script;
        script.setProcessEnvironment(environment);
        script.start(QStringLiteral(TAREL_LAST_MONTH_REPORTS), {build});
        ASSERT_TRUE(script.waitForFinished(120000)) << c.what;
        const QString said = QString::fromUtf8(script.readAllStandardOutput());
        EXPECT_EQ(script.exitCode(), 0) << c.what << ": " << script.readAllStandardError().toStdString();

        const QString folder = home.filePath(QStringLiteral("%1/Tarel/%2").arg(QLatin1String(c.folder), month));
        EXPECT_TRUE(said.contains(QStringLiteral("into the folder %1:").arg(folder))) << c.what << ": " << said.toStdString();
        for (const char *report : kReports) {
            const QString pdf = QStringLiteral("%1/%2.pdf").arg(folder, QLatin1String(report));
            EXPECT_GT(QFileInfo(pdf).size(), 0) << c.what << ": " << report;
            EXPECT_TRUE(said.contains(pdf)) << c.what << ": " << report;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(build + QStringLiteral("/reports/") + month)) << "nothing in the build's folders";
}
