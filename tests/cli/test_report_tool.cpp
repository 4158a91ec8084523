// The tool as a user runs it: a process, its exit status, its standard
// error and the files it leaves.
#include "sourcedatabase.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using tarel::testing::SourceDatabase;

namespace {

struct ToolRun {
    int exit;
    QString err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TAREL_REPORT_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    // Qt's own start-up notes (runtime folder) are not the tool's messages.
    QStringList lines = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString &line) { return line.startsWith(u"QStandardPaths:"); });
    return {process.exitCode(), lines.join(u'\n')};
}

} // namespace

TEST(ReportTool, ExitStatusMessagesAndFiles)
{
    QTemporaryDir dir;
    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU Test"));
    SourceDatabase::Visit visit;
    visit.datR = QStringLiteral("2020-01-01");
    source.addVisit(visit);

    SourceDatabase broken;
    broken.exec(QStringLiteral("insert into PREGLEDI1 (MB, VidNaUsluga, DATA) values ('1', '1', '2024-02-01')"));
    broken.exec(QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('1', '2024-02-30', 1)"));

    const QString csv = dir.filePath(QStringLiteral("children.csv"));
    const QString pdf = dir.filePath(QStringLiteral("children.pdf"));
    auto children = [](const QString &database, const QString &output) {
        return QStringList{QStringLiteral("visits-children"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
                           QStringLiteral("--to"), QStringLiteral("2024-03-31"), QStringLiteral("--database"),
                           database, QStringLiteral("--output"), output};
    };

    struct Case {
        const char *what;
        QStringList arguments;
        int exit;
        QString err;
        QString output;
        bool written;
    };
    const Case cases[] = {
        {"csv written", children(source.path(), csv), 0, QString(), csv, true},
        {"pdf written", children(source.path(), pdf), 0, QString(), pdf, true},
        {"unreadable birth date", children(broken.path(), dir.filePath(QStringLiteral("broken.csv"))), 1,
         QStringLiteral("'2024-02-30' is not a valid date.\nVisit RED_BR (none) of 2024-02-01, (no name)."), dir.filePath(QStringLiteral("broken.csv")), false},
        {"visit report with a doctor",
         QStringList{QStringLiteral("visits-children"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
                     QStringLiteral("--to"), QStringLiteral("2024-03-31"), QStringLiteral("--all-doctors"),
                     QStringLiteral("--output"), dir.filePath(QStringLiteral("d.csv"))},
         2,
         QStringLiteral("The report 'visits-children' takes only the dates: no doctor or area option\n"
                        "Try 'tarel-report --help'."),
         dir.filePath(QStringLiteral("d.csv")), false},
    };
    for (const Case &c : cases) {
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.exit, c.exit) << c.what;
        EXPECT_EQ(run.err, c.err) << c.what;
        EXPECT_EQ(QFile::exists(c.output), c.written) << c.what;
    }

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // A 4-year-old's first visit: all visits, "se" and the band "3 - 5".
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral("\u0413\u0420\u0410\u0414,1,1,0,0,1,0,,,,\r\n")));
}

// A failed run leaves an existing output file as it was.
TEST(ReportTool, FailedRunKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("report.csv"));
    QFile old(output);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    SourceDatabase source;
    source.exec(QStringLiteral("drop table osigurenici"));
    const ToolRun run = runTool({QStringLiteral("visits-general-medicine"), QStringLiteral("--from"),
                             QStringLiteral("2024-01-01"), QStringLiteral("--to"), QStringLiteral("2024-03-31"),
                             QStringLiteral("--database"), source.path(), QStringLiteral("--output"), output});
    EXPECT_EQ(run.exit, 1);
    EXPECT_TRUE(run.err.contains(u"osigurenici")) << run.err.toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
}

// Ctrl-C while the run waits for another program's lock ends it cleanly:
// exit status 130, no file. On a terminal the run shows its progress on
// standard error; into a pipe it writes nothing there.
TEST(ReportTool, InterruptAndProgress)
{
    QTemporaryDir dir;
    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU Test"));
    source.addVisit(SourceDatabase::Visit());
    auto visits = [&](const QString &output) {
        return QStringList{QStringLiteral("visits-general-medicine"), QStringLiteral("--from"),
                           QStringLiteral("2024-01-01"), QStringLiteral("--to"), QStringLiteral("2024-03-31"),
                           QStringLiteral("--database"), source.path(), QStringLiteral("--output"), output};
    };

    const QString stopped = dir.filePath(QStringLiteral("stopped.pdf"));
    source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QProcess process;
    process.start(QStringLiteral(TAREL_REPORT_EXECUTABLE), visits(stopped));
    ASSERT_TRUE(process.waitForStarted());
    QThread::msleep(1500); // started, and waiting for the lock
    ::kill(pid_t(process.processId()), SIGINT);
    QThread::msleep(300);
    source.exec(QStringLiteral("COMMIT"));
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(QFile::exists(stopped));

    // Into a pipe: no progress (the other tests compare standard error whole).
    const QString piped = dir.filePath(QStringLiteral("piped.csv"));
    const ToolRun quiet = runTool(visits(piped));
    EXPECT_EQ(quiet.exit, 0);
    EXPECT_EQ(quiet.err, QString());

    // On a terminal (script gives the tool one): a progress line, cleared
    // before the tool ends.
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "no 'script' to run the tool on a terminal";
    QStringList command{QStringLiteral(TAREL_REPORT_EXECUTABLE)};
    command << visits(dir.filePath(QStringLiteral("terminal.csv")));
    QProcess terminal;
    terminal.start(QStringLiteral("script"),
                   {QStringLiteral("-qec"), command.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
    ASSERT_TRUE(terminal.waitForFinished(60000));
    const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
    EXPECT_TRUE(shown.contains(u"Reading the visits: ")) << shown.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("terminal.csv"))));
}
