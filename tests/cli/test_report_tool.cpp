// The tool as a user runs it: a process, its exit status, its standard
// error and the files it leaves.
#include "filesystems.h"
#include "sourcedatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

using tarel::testing::SourceDatabase;

namespace {

struct ToolRun {
    int exit;
    QString err;
};

// Runs a program (the tool, unless named) and waits at most timeoutMs: a
// tool that hangs is ended and fails the test instead of stopping it.
ToolRun runProgram(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                   const QString &standardOutput = {}, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the tool did not finish: " << arguments.join(u' ').toStdString();
        return {-1, {}};
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    // Qt's own start-up notes (runtime folder) are not the tool's messages.
    QStringList lines = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString &line) { return line.startsWith(u"QStandardPaths:"); });
    return {process.exitCode(), lines.join(u'\n')};
}

ToolRun runTool(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                const QString &standardOutput = {})
{
    return runProgram(QStringLiteral(TAREL_REPORT_EXECUTABLE), arguments, environment, standardOutput, 20000);
}

QStringList visitsChildren(const QString &database, const QString &output)
{
    return {QStringLiteral("visits-children"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
            QStringLiteral("--to"), QStringLiteral("2024-03-31"), QStringLiteral("--database"), database,
            QStringLiteral("--output"), output};
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
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
    // A date that would retitle the terminal, 10,000 characters long.
    SourceDatabase hostile;
    hostile.exec(QStringLiteral("insert into PREGLEDI1 (MB, VidNaUsluga, DATA) values ('1', '1', '2024-02-01')"));
    hostile.insert(QStringLiteral("osigurenici"),
                   {{"MB", QStringLiteral("1")}, {"DAT_R", QStringLiteral("\x1b]0;x\x07") + QString(10000, u'9')}, {"MESTO_S", 1}});

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
        {"a date with control characters, shown escaped and cut",
         children(hostile.path(), dir.filePath(QStringLiteral("hostile.csv"))), 1,
         QStringLiteral("'\\x1b]0;x\\x07") + QString(54, u'9') + QStringLiteral("...' is not a valid date.\nVisit RED_BR (none) of 2024-02-01, (no name)."),
         dir.filePath(QStringLiteral("hostile.csv")), false},
        {"a doctor code with control characters",
         QStringList{QStringLiteral("general-medicine"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
                     QStringLiteral("--to"), QStringLiteral("2024-03-31"), QStringLiteral("--doctor"),
                     QStringLiteral("\x1b[2J"), QStringLiteral("--database"), source.path(), QStringLiteral("--output"),
                     dir.filePath(QStringLiteral("doctor.csv"))},
         2, QStringLiteral("'\\x1b[2J' is not the code of an active doctor"), dir.filePath(QStringLiteral("doctor.csv")),
         false},
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
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral("\u0413\u0420\u0410\u0414,1,1,0,0,1,0\r\n")));
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

// No output replaces the database it reads or the file it converts, by any
// path; a report without pages is refused alike as PDF and as CSV; a named
// pipe to convert is refused at once.
TEST(ReportTool, NothingIsWrittenOverItsSources)
{
    QTemporaryDir dir;
    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU Test"));
    source.addVisit(SourceDatabase::Visit{});
    auto path = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
    ASSERT_TRUE(QFile::copy(source.path(), path("db.pdf")));
    ASSERT_TRUE(QFile::link(source.path(), path("link.csv")));
    ASSERT_EQ(runTool(visitsChildren(source.path(), path("in.fp3"))).exit, 0);
    ASSERT_TRUE(QFile::copy(path("in.fp3"), path("same.csv")));
    ASSERT_TRUE(QFile::link(path("in.fp3"), path("link.pdf")));
    writeFile(path("empty.fp3"), R"({"format": "tarel-prepared-report", "version": 1, "template": "", "pages": []})");
    const tarel::testing::NamedPipe pipe(path("pipe.fp3"));
    std::map<QString, QByteArray> before;
    for (const QString &file : {source.path(), path("db.pdf"), path("in.fp3"), path("same.csv")})
        before[file] = digest(file);

    const QString convert = QStringLiteral("convert");
    struct Case {
        const char *what;
        QStringList arguments;
        const char *says;
    };
    const Case cases[] = {
        {"the output is the database", visitsChildren(path("db.pdf"), path("db.pdf")), "it is the source database"},
        {"the output links to the database", visitsChildren(source.path(), path("link.csv")),
         "it is the source database"},
        {"convert onto its input", {convert, path("same.csv"), path("same.csv")},
         "it is the prepared report being converted"},
        {"convert onto a link to its input", {convert, path("in.fp3"), path("link.pdf")},
         "it is the prepared report being converted"},
        {"no pages as CSV", {convert, path("empty.fp3"), path("empty.csv")}, "the report has no pages"},
        {"no pages as PDF", {convert, path("empty.fp3"), path("empty.pdf")}, "the report has no pages"},
        {"a named pipe to convert", {convert, path("pipe.fp3"), path("pipe.csv")}, "it is a named pipe, not a file"},
    };
    for (const Case &c : cases) {
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.exit, 1) << c.what;
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << c.what << ": " << run.err.toStdString();
    }
    for (const auto &[file, bytes] : before)
        EXPECT_EQ(digest(file), bytes) << file.toStdString();
    EXPECT_TRUE(QFileInfo(path("link.csv")).isSymLink());
    EXPECT_TRUE(QFileInfo(path("link.pdf")).isSymLink());
    for (const char *never : {"empty.csv", "empty.pdf", "pipe.csv"})
        EXPECT_FALSE(QFile::exists(path(never))) << never;
}

// SIGINT, SIGTERM and SIGHUP while the run waits for another program's lock
// (which it holds throughout, far beyond the 10 s lock timeout) end the
// wait at once: exit 128 + the signal, a message, no file and nothing
// half-made beside it.
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

    const struct {
        int signal;
        const char *name;
        int exit;
    } stops[] = {{SIGINT, "SIGINT", 130}, {SIGTERM, "SIGTERM", 143}, {SIGHUP, "SIGHUP", 129}};
    const QString stopped = dir.filePath(QStringLiteral("stopped.pdf"));
    source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    for (const auto &stop : stops) {
        SCOPED_TRACE(stop.name);
        QProcess process;
        process.start(QStringLiteral(TAREL_REPORT_EXECUTABLE), visits(stopped));
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(1000); // started, and waiting for the lock
        QElapsedTimer sinceSignal;
        sinceSignal.start();
        ::kill(pid_t(process.processId()), stop.signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_LT(sinceSignal.elapsed(), 3000);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), stop.exit);
        EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                        .contains(QStringLiteral("Stopped by %1: no file was written.").arg(QLatin1String(stop.name))));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
    source.exec(QStringLiteral("COMMIT"));

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
    EXPECT_TRUE(shown.contains(u"Reading the visits of the period: ")) << shown.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("terminal.csv"))));
}

// The tool draws without a display whatever the environment names, and a
// file name or a standard output it cannot honour is an error, not a success.
TEST(ReportTool, NeedsNoDisplayAndNeverReportsAFailedWriteAsSuccess)
{
    QTemporaryDir dir;
    SourceDatabase source;
    source.addVisit(SourceDatabase::Visit{});
    for (const char *platform : {"xcb", "wayland", "no-such-platform"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        environment.insert(QStringLiteral("DISPLAY"), QString());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(QLatin1String(platform)));
        const ToolRun run = runTool(visitsChildren(source.path(), pdf), environment);
        EXPECT_EQ(run.exit, 0) << platform << ": " << run.err.toStdString();
        EXPECT_GT(QFileInfo(pdf).size(), 0) << platform;
    }

    const ToolRun help = runTool({QStringLiteral("--help")}, QProcessEnvironment::systemEnvironment(),
                                 QStringLiteral("/dev/full"));
    EXPECT_EQ(help.exit, 1);
    EXPECT_EQ(help.err, QStringLiteral("Cannot write to standard output: No space left on device."));

    // A byte that is not UTF-8 in the output's name: refused, not written
    // under another name.
    const QString script =
        QStringLiteral(R"(exec "$0" visits-children --from 2024-01-01 --to 2024-03-31 --database "$1" )"
                       R"(--output "$2/a$(printf '\377')b.csv")");
    const ToolRun bytes = runProgram(QStringLiteral("/bin/sh"),
                                     {QStringLiteral("-c"), script, QStringLiteral(TAREL_REPORT_EXECUTABLE),
                                      source.path(), dir.path()},
                                     QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(bytes.exit, 2) << bytes.err.toStdString();
    EXPECT_TRUE(bytes.err.contains(QStringLiteral("is not valid UTF-8 text"))) << bytes.err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.csv")}, QDir::Files).isEmpty())
        << QDir(dir.path()).entryList({QStringLiteral("*.csv")}, QDir::Files).join(u' ').toStdString();
}

// On a full disk the run fails with the system's words and the file that was
// there before stays as it was.
TEST(ReportTool, AFullDiskFailsTheRunAndKeepsThePreviousFile)
{
    QTemporaryDir dir;
    SourceDatabase source;
    source.addVisit(SourceDatabase::Visit{});
    const QString folder = dir.filePath(QStringLiteral("full"));
    ASSERT_TRUE(QDir().mkpath(folder));
    tarel::testing::SmallFileSystem disk(folder, "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system needs the right to mount one";
    for (const char *name : {"visits.csv", "visits.pdf", "visits.fp3"})
        writeFile(QDir(folder).filePath(QString::fromLatin1(name)), "previous");
    {
        QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    for (const char *name : {"visits.csv", "visits.pdf", "visits.fp3"}) {
        const QString output = QDir(folder).filePath(QString::fromLatin1(name));
        const ToolRun run = runTool(visitsChildren(source.path(), output));
        EXPECT_EQ(run.exit, 1) << name;
        EXPECT_EQ(run.err, QStringLiteral("Cannot write \"%1\": No space left on device.").arg(output)) << name;
        QFile file(output);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("previous")) << name;
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 4);

    // A report and its data check go together: a check that cannot be
    // written leaves the report as it was too.
    const QString report = dir.filePath(QStringLiteral("visits.csv"));
    writeFile(report, "previous");
    QStringList withCheck = visitsChildren(source.path(), report);
    withCheck << QStringLiteral("--check") << QDir(folder).filePath(QStringLiteral("check.json"));
    const ToolRun together = runTool(withCheck);
    EXPECT_EQ(together.exit, 1);
    EXPECT_TRUE(together.err.endsWith(QStringLiteral("No space left on device."))) << together.err.toStdString();
    EXPECT_EQ(digest(report), QCryptographicHash::hash("previous", QCryptographicHash::Sha256));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.partial-*")}, QDir::Files), QStringList());

    // A workbook is made beside its target, not in the temporary folder: a
    // full temporary folder does not stop it; a full target folder is named
    // with the system's reason.
    QProcessEnvironment fullTemporary = QProcessEnvironment::systemEnvironment();
    fullTemporary.insert(QStringLiteral("TMPDIR"), folder);
    const QString workbook = dir.filePath(QStringLiteral("visits.xlsx"));
    const ToolRun beside = runTool(visitsChildren(source.path(), workbook), fullTemporary);
    EXPECT_EQ(beside.exit, 0) << beside.err.toStdString();
    EXPECT_TRUE(QFileInfo(workbook).size() > 0);
    const QString full = QDir(folder).filePath(QStringLiteral("visits.xlsx"));
    const ToolRun noRoom = runTool(visitsChildren(source.path(), full));
    EXPECT_EQ(noRoom.exit, 1);
    EXPECT_TRUE(noRoom.err.contains(QStringLiteral("\"%1\": No space left on device").arg(folder)))
        << noRoom.err.toStdString();
    EXPECT_FALSE(QFile::exists(full));
}
