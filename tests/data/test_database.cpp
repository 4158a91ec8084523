#include "database.h"
#include "filesystems.h"
#include "sourcedatabase.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

#include <sys/stat.h>
#include <unistd.h>

using namespace tarel::data;
using tarel::testing::SourceDatabase;

namespace {

std::unique_ptr<Database> openSource(const SourceDatabase &source)
{
    auto opened = Database::open(sqliteFile(source.path()));
    EXPECT_TRUE(opened.ok()) << (opened ? std::string() : opened.message().toStdString());
    return opened ? std::move(opened).value() : nullptr;
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The MB values the query selects, in order.
QStringList selectedNumbers(Query &query)
{
    QStringList numbers;
    const int mb = query.field(u"MB");
    while (query.next())
        numbers << query.text(mb);
    return numbers;
}

QStringList runMorbidity(Database &db, QDate from, QDate to, const QString &doctor, AreaFilter area)
{
    Query query(db, QStringLiteral("qIzvestajDeca"), morbidityStatementFor(!doctor.isEmpty(), area));
    std::vector<std::pair<QString, QString>> texts;
    if (!doctor.isEmpty())
        texts.emplace_back(QStringLiteral("lekar_s"), doctor);
    auto opened = query.open(from, to, texts);
    EXPECT_TRUE(opened.ok()) << (opened ? std::string() : opened.message().toStdString());
    QStringList numbers = selectedNumbers(query);
    numbers.sort();
    return numbers;
}

SourceDatabase::Visit visit(const char *mb, const char *date, QVariant mesto, const char *doctor = "L01",
                            const char *vid = "1")
{
    SourceDatabase::Visit v;
    v.mb = QString::fromLatin1(mb);
    v.data = QString::fromLatin1(date);
    v.mesto = mesto;
    v.lekar = QString::fromLatin1(doctor);
    v.vid = QString::fromLatin1(vid);
    return v;
}

// The first error of opening a database and walking the visits of 2024: the
// message a run would show, or an empty text.
QString firstError(const AliasSettings &settings)
{
    auto opened = Database::open(settings);
    if (!opened)
        return opened.message();
    Query query(**opened, QStringLiteral("qPosetaDecaGrad"), qPosetaDecaGradStatement());
    if (tarel::Result<void> open = query.open(QDate(2024, 1, 1), QDate(2024, 12, 31)); !open)
        return open.message();
    while (query.next()) {
    }
    return query.error() ? query.error()->message : QString();
}

// Many visits in one statement, so that a change to them does not fit in
// SQLite's page cache.
void addManyVisits(SourceDatabase &source, int count)
{
    source.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                               "insert into PREGLEDI1 (MB, DATA, VidNaUsluga, S_DIJA) "
                               "select printf('%013d', i), '2024-01-15', '1', 'A01' from n")
                    .arg(count));
}

void copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(from, to)) << from.toStdString();
}

// A WAL database with one active doctor, closed cleanly (no "-wal" or "-shm").
void makeWalDatabase(const QString &path)
{
    SourceDatabase source;
    source.exec(QStringLiteral("pragma journal_mode=wal"));
    source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Petar"), true);
    source.addInstitution(QStringLiteral("PZU"));
    // Everything into the file itself, which is copied without its log.
    source.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
    copyFile(source.path(), path);
}

} // namespace

// The causes a user can act on are told in words that name the file.
TEST(Database, MessagesNameTheFileAndSayWhatToDo)
{
    QTemporaryDir dir;
    SourceDatabase source;
    addManyVisits(source, 20000);

    // A writer that stopped in the middle of a change: the file with some
    // pages changed, and the journal that would undo them.
    const QString crashed = dir.filePath(QStringLiteral("crashed.sqlite"));
    source.exec(QStringLiteral("pragma cache_size = 1"));
    source.exec(QStringLiteral("begin"));
    source.exec(QStringLiteral("delete from PREGLEDI1"));
    copyFile(source.path(), crashed);
    copyFile(source.path() + QStringLiteral("-journal"), crashed + QStringLiteral("-journal"));
    source.exec(QStringLiteral("rollback"));
    ASSERT_GT(QFileInfo(crashed + QStringLiteral("-journal")).size(), 0);

    const QString empty = dir.filePath(QStringLiteral("empty.sqlite"));
    QFile(empty).open(QIODevice::WriteOnly);

    // The visits' pages overwritten; the first page, with the list of
    // tables, intact.
    const QString damaged = dir.filePath(QStringLiteral("damaged.sqlite"));
    copyFile(source.path(), damaged);
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(16384);
        file.write(QByteArray(file.size() - 16384, '\x5a'));
    }

    struct Case {
        const char *what;
        QString path;
        const char *says;
    };
    const Case cases[] = {
        {"journal of a crashed writer", crashed, "was left half-written by a program that stopped"},
        {"0-byte file", empty, "is empty: it holds none of the patient-administration program's tables"},
        {"damaged pages", damaged, "is damaged (database disk image is malformed)"},
    };
    for (const Case &c : cases) {
        const QString message = firstError(sqliteFile(c.path));
        EXPECT_TRUE(message.contains(QLatin1String(c.says))) << c.what << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(u'"' + c.path + u'"')) << c.what << ": " << message.toStdString();
    }

    // Another program's write lock: the wait is bounded by the alias's lock_timeout.
    source.exec(QStringLiteral("begin exclusive"));
    AliasSettings locked = sqliteFile(source.path());
    locked.lockTimeoutSeconds = 1;
    QElapsedTimer timer;
    timer.start();
    const QString message = firstError(locked);
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(message, QStringLiteral("The database \"%1\" is locked: another program is writing to it, and it "
                                      "stayed locked for 1 seconds. Try again when that program has finished")
                           .arg(source.path()));
    // Cancelled while it waits (from opening on), the wait ends at once and
    // the error is the user's cancel; the wait is told as it goes on.
    locked.lockTimeoutSeconds = 30;
    std::atomic<bool> cancel{false};
    int waits = 0;
    ReadControl control;
    control.cancel = &cancel;
    control.waiting = [&] {
        if (++waits == 2)
            cancel.store(true);
    };
    timer.restart();
    const auto cancelled = Database::open(locked, control);
    ASSERT_FALSE(cancelled.ok());
    EXPECT_EQ(cancelled.error().kind, tarel::ErrorKind::Cancelled);
    EXPECT_EQ(waits, 2);
    EXPECT_LT(timer.elapsed(), 3000);
    source.exec(QStringLiteral("rollback"));
    EXPECT_EQ(firstError(locked), QString());
}

// A WAL database needs its "-shm" file beside it. Where it cannot be created
// because nothing on that file system can be written, the file cannot change
// and is read as it is; in a folder the user may not write, the message says
// what to do.
TEST(Database, WalDatabaseOnReadOnlyMediaOrInAReadOnlyFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("readonly"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString path = folder + QStringLiteral("/pelorida.sqlite");
    makeWalDatabase(path);
    ::chmod(QFile::encodeName(path).constData(), 0644);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    {
        // Root may write anywhere: the folder is tried as an ordinary user.
        const bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(::seteuid(65534), 0);
        }
        auto opened = Database::open(sqliteFile(path));
        if (root) {
            ASSERT_EQ(::seteuid(0), 0);
        }
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.message(),
                  QStringLiteral("The database file \"%1\" uses write-ahead logging: reading it needs the file "
                                 "\"%1-shm\" beside it, which cannot be created because the folder \"%2\" cannot "
                                 "be written. Give this user write permission on the folder, or switch the database "
                                 "to a rollback journal (PRAGMA journal_mode=DELETE), then try again")
                      .arg(path, folder));
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);

    tarel::testing::SmallFileSystem medium(folder, "1m");
    if (!medium.mounted())
        GTEST_SKIP() << "a read-only file system needs the right to mount one";
    makeWalDatabase(path);
    ASSERT_TRUE(medium.makeReadOnly());
    auto opened = Database::open(sqliteFile(path));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    auto doctors = (*opened)->doctors();
    ASSERT_TRUE(doctors.ok()) << doctors.message().toStdString();
    EXPECT_EQ(doctors->size(), 1u);
    EXPECT_EQ((*opened)->institution()->naziv, QStringLiteral("PZU"));
}

// A named pipe given as the alias file, a password file or the database file
// would block the read until a writer comes: each is refused at once.
TEST(Database, InputsThatAreNotFilesAreRefusedAtOnce)
{
    QTemporaryDir dir;
    const tarel::testing::NamedPipe pipe(dir.filePath(QStringLiteral("pipe")));
    const QString aliases = dir.filePath(QStringLiteral("aliases.ini"));
    {
        QFile file(aliases);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[pelorida]\ndriver=QPSQL\ndatabase=p\npassword_file=%1\n")
                       .arg(dir.filePath(QStringLiteral("pipe")))
                       .toUtf8());
    }
    QElapsedTimer timer;
    timer.start();
    qputenv(AliasFileVariable, QFile::encodeName(dir.filePath(QStringLiteral("pipe"))));
    const auto aliasFile = resolveAlias(QStringLiteral("pelorida"));
    qputenv(AliasFileVariable, QFile::encodeName(aliases));
    const auto passwordFile = resolveAlias(QStringLiteral("pelorida"));
    qunsetenv(AliasFileVariable);
    const auto databaseFile = Database::open(sqliteFile(dir.filePath(QStringLiteral("pipe"))));
    EXPECT_LT(timer.elapsed(), 2000);
    ASSERT_FALSE(aliasFile.ok());
    ASSERT_FALSE(passwordFile.ok());
    ASSERT_FALSE(databaseFile.ok());
    for (const QString &message : {aliasFile.message(), passwordFile.message(), databaseFile.message()})
        EXPECT_TRUE(message.endsWith(QStringLiteral("cannot be read: it is a named pipe, not a file")))
            << message.toStdString();
}

// A visit date that is not ISO text is selected as SQLite compares it with
// the ISO texts of the bound dates: a text byte by byte ("2023-2-3" lies
// after "2023-02-28" and before "2024-01-01"), a number never.
TEST(Database, VisitDatesThatAreNotIsoTextAreSelectedAsSQLiteComparesThem)
{
    SourceDatabase source;
    source.addVisit(visit("4000000000001", "2023-02-03", 400017));
    source.addVisit(visit("4000000000002", "2023-2-3", 400017));
    source.addVisit(visit("4000000000003", "03.02.2023", 400017));
    source.addVisit(visit("4000000000004", "2023-02-03", 400017));
    source.exec(QStringLiteral("update PREGLEDI1 set DATA = 20230203 where MB = '4000000000004'"));
    source.addVisit(visit("4000000000005", "2023-02-03 10:00", 400017));
    auto db = openSource(source);
    ASSERT_TRUE(db);
    const auto selected = [&](QDate from, QDate to) {
        Query query(*db, QStringLiteral("qPosetaDecaGrad"), qPosetaDecaGradStatement());
        EXPECT_TRUE(query.open(from, to).ok());
        QStringList numbers = selectedNumbers(query);
        numbers.sort();
        return numbers;
    };
    EXPECT_EQ(selected(QDate(2023, 2, 1), QDate(2023, 2, 28)), (QStringList{"4000000000001", "4000000000005"}));
    EXPECT_EQ(selected(QDate(2023, 2, 3), QDate(2023, 2, 3)), (QStringList{"4000000000001"}));
    EXPECT_EQ(selected(QDate(2023, 1, 1), QDate(2023, 12, 31)), (QStringList{"4000000000001", "4000000000005"}));
    EXPECT_EQ(selected(QDate(2023, 1, 1), QDate(2024, 1, 1)),
              (QStringList{"4000000000001", "4000000000002", "4000000000005"}));
    EXPECT_EQ(selected(QDate(1, 1, 1), QDate(9999, 12, 31)),
              (QStringList{"4000000000001", "4000000000002", "4000000000003", "4000000000005"}));
}

// The earliest visit date is the least ISO text of a real day: texts of
// other shapes, impossible days and NULL are passed over, whether they sort
// before it or not.
TEST(Database, EarliestVisitDateIsTheFirstRealIsoDay)
{
    SourceDatabase source;
    auto db = openSource(source);
    ASSERT_TRUE(db);
    tarel::Result<QDate> earliest = db->earliestVisitDate();
    ASSERT_TRUE(earliest.ok()) << earliest.message().toStdString();
    EXPECT_FALSE(earliest->isValid()); // no visit at all

    // "" is NULL; then an empty text, other shapes, days that are none.
    for (const char *date : {"", "15.01.2020", "2019-02-30", "2019-13-01", "2019-1-5", "2020-03-05 10:00",
                             "2021-01-01", "2020-03-06"})
        source.addVisit(visit("4000000000001", date, 400017), false);
    source.exec(QStringLiteral("insert into PREGLEDI1 (MB, DATA) values ('4000000000002', '')"));
    earliest = db->earliestVisitDate();
    ASSERT_TRUE(earliest.ok()) << earliest.message().toStdString();
    EXPECT_EQ(*earliest, QDate(2020, 3, 6));
}

TEST(Database, OpeningErrorsAreClearAndNothingIsCreated)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.sqlite"));
    auto opened = Database::open(sqliteFile(missing));
    ASSERT_FALSE(opened.ok());
    EXPECT_TRUE(opened.message().contains(QStringLiteral("does not exist"))) << opened.message().toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    const QString garbage = dir.filePath(QStringLiteral("garbage.sqlite"));
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const QByteArray before = digest(garbage);
    auto notDatabase = Database::open(sqliteFile(garbage));
    ASSERT_FALSE(notDatabase.ok());
    EXPECT_TRUE(notDatabase.message().contains(QStringLiteral("not a database"))) << notDatabase.message().toStdString();
    EXPECT_EQ(digest(garbage), before);
}

TEST(Database, OpensReadOnly)
{
    SourceDatabase source;
    source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Petar"), true);
    const QByteArray before = digest(source.path());
    auto db = openSource(source);
    ASSERT_TRUE(db);
    QSqlQuery write(db->connection());
    EXPECT_FALSE(write.exec(QStringLiteral("delete from Lekari")));
    db.reset();
    EXPECT_EQ(digest(source.path()), before);
}

TEST(Database, AliasFileAndDefault)
{
    QTemporaryDir dir;
    const QString aliases = dir.filePath(QStringLiteral("aliases.ini"));
    {
        QFile file(aliases);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[pelorida]\ndriver=QSQLITE\ndatabase=relative.sqlite\n");
    }
    qputenv(AliasFileVariable, aliases.toLocal8Bit());
    auto settings = resolveAlias(QStringLiteral("PELORIDA"));
    ASSERT_TRUE(settings.ok());
    EXPECT_EQ(settings->database, dir.filePath(QStringLiteral("relative.sqlite")));
    EXPECT_EQ(settings->lockTimeoutSeconds, 10);
    {
        QFile file(aliases);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("[waits]\ndatabase=a.sqlite\nlock_timeout=30\n[never]\ndatabase=a.sqlite\nlock_timeout=0\n");
    }
    EXPECT_EQ(resolveAlias(QStringLiteral("waits"))->lockTimeoutSeconds, 30);
    EXPECT_TRUE(resolveAlias(QStringLiteral("never")).message().contains(u"lock_timeout must be a number of seconds"));
    // connect_timeout as lock_timeout: a number of seconds, or refused.
    {
        QFile file(aliases);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("[server]\ndriver=QPSQL\ndatabase=p\nconnect_timeout=3\n[letters]\ndriver=QPSQL\ndatabase=p\n"
                   "connect_timeout=abc\n[negative]\ndriver=QPSQL\ndatabase=p\nconnect_timeout=-1\n"
                   "[empty]\ndriver=QPSQL\ndatabase=p\nconnect_timeout=\n");
    }
    EXPECT_EQ(resolveAlias(QStringLiteral("server"))->connectTimeoutSeconds, 3);
    for (const char *alias : {"letters", "negative", "empty"})
        EXPECT_EQ(resolveAlias(QLatin1String(alias)).message(),
                  QStringLiteral("The alias '%1' in '%2': connect_timeout must be a number of seconds from 1 to 3600")
                      .arg(QLatin1String(alias), aliases));
    EXPECT_FALSE(resolveAlias(QStringLiteral("other")).ok());

    qputenv(AliasFileVariable, dir.filePath(QStringLiteral("none.ini")).toLocal8Bit());
    EXPECT_FALSE(resolveAlias(QStringLiteral("pelorida")).ok());

    qunsetenv(AliasFileVariable);
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("share")).toLocal8Bit());
    auto fallback = resolveAlias(QStringLiteral("pelorida"));
    ASSERT_TRUE(fallback.ok());
    EXPECT_EQ(fallback->driver, QStringLiteral("QSQLITE"));
    EXPECT_EQ(fallback->database, dir.filePath(QStringLiteral("share/tarel/pelorida.sqlite")));
    auto openedDefault = Database::openAlias(QStringLiteral("pelorida"));
    EXPECT_FALSE(openedDefault.ok()); // no demo database there: an error, not a new file
    EXPECT_FALSE(QFile::exists(fallback->database));
}

TEST(Database, DoctorListAndInstitution)
{
    SourceDatabase source;
    source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Petar"), true);
    source.addDoctor(QStringLiteral("L02"), QStringLiteral("Ni}olovska"), QStringLiteral("Ana"), false);
    source.addDoctor(QStringLiteral("L03"), QStringLiteral("Stojanovska"), QStringLiteral("Marija"), true);
    auto db = openSource(source);
    ASSERT_TRUE(db);
    auto doctors = db->doctors();
    ASSERT_TRUE(doctors.ok()) << doctors.message().toStdString();
    ASSERT_EQ(doctors->size(), 2u);
    EXPECT_EQ((*doctors)[0].code, QStringLiteral("L01"));
    EXPECT_EQ((*doctors)[0].name, QStringLiteral("Petrovski Petar"));
    EXPECT_EQ((*doctors)[1].name, QStringLiteral("Stojanovska Marija"));
    // Every doctor, active or not, for the names of a comparison over periods.
    auto every = db->everyDoctor();
    ASSERT_TRUE(every.ok()) << every.message().toStdString();
    ASSERT_EQ(every->size(), 3u);
    EXPECT_EQ((*every)[1].name, QStringLiteral("Ni}olovska Ana"));

    auto empty = db->institution();
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty->naziv, QString());

    source.addInstitution(QStringLiteral("PZU Prva"));
    source.addInstitution(QStringLiteral("PZU Vtora"));
    auto first = db->institution();
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first->naziv, QStringLiteral("PZU Prva"));
}

TEST(Database, MorbidityFiltersSelectTheRightVisits)
{
    SourceDatabase source;
    source.addVisit(visit("1000000000001", "2024-01-01", 400017));              // urban, first day
    source.addVisit(visit("1000000000002", "2024-01-31", 300100));              // rural, last day
    source.addVisit(visit("1000000000003", "2024-02-01", 400017));              // after the range
    source.addVisit(visit("1000000000004", "2023-12-31", 400017));              // before the range
    source.addVisit(visit("1000000000005", "2024-01-15", QVariant(), "L02"));   // no settlement code
    source.addVisit(visit("1000000000006", "2024-01-15", 412066, "O'Neil"));    // a code with a quote
    source.addVisit(visit("1000000000007", "2024-01-15", 300100, "L01", "3"));  // other kind of service
    source.addVisit(visit("1000000000008", "2024-01-15", 300100, "L01", "2"));
    auto db = openSource(source);
    ASSERT_TRUE(db);
    const QDate from(2024, 1, 1), to(2024, 1, 31);

    EXPECT_EQ(runMorbidity(*db, from, to, {}, AreaFilter::Both),
              (QStringList{"1000000000001", "1000000000002", "1000000000005", "1000000000006", "1000000000008"}));
    EXPECT_EQ(runMorbidity(*db, from, to, {}, AreaFilter::Urban),
              (QStringList{"1000000000001", "1000000000006"}));
    EXPECT_EQ(runMorbidity(*db, from, to, {}, AreaFilter::Rural),
              (QStringList{"1000000000002", "1000000000008"}));
    EXPECT_EQ(runMorbidity(*db, from, to, QStringLiteral("L01"), AreaFilter::Both),
              (QStringList{"1000000000001", "1000000000002", "1000000000008"}));
    EXPECT_EQ(runMorbidity(*db, from, to, QStringLiteral("O'Neil"), AreaFilter::Both),
              (QStringList{"1000000000006"}));
    EXPECT_EQ(runMorbidity(*db, from, to, QStringLiteral("' or '1'='1"), AreaFilter::Both), QStringList());
    EXPECT_EQ(runMorbidity(*db, to, from, {}, AreaFilter::Both), QStringList());
}

TEST(Database, VisitStatementsAreDisjointAndSkipMissingCodes)
{
    SourceDatabase source;
    source.addVisit(visit("2000000000001", "2024-01-10", 400017, "L01", "3"));
    source.addVisit(visit("2000000000002", "2024-01-11", 300100, "L01", ""));
    source.addVisit(visit("2000000000003", "2024-01-12", QVariant()));
    source.addVisit(visit("2000000000004", "2024-01-13", 491063));
    auto db = openSource(source);
    ASSERT_TRUE(db);
    Query urban(*db, QStringLiteral("qPosetaDecaGrad"), qPosetaDecaGradStatement());
    Query rural(*db, QStringLiteral("qPosetaDecaSelo"), qPosetaDecaSeloStatement());
    ASSERT_TRUE(db->beginRead().ok());
    ASSERT_TRUE(urban.open(QDate(2024, 1, 1), QDate(2024, 1, 31)).ok());
    ASSERT_TRUE(rural.open(QDate(2024, 1, 1), QDate(2024, 1, 31)).ok());
    EXPECT_EQ(selectedNumbers(urban), (QStringList{"2000000000001", "2000000000004"}));
    EXPECT_EQ(selectedNumbers(rural), (QStringList{"2000000000002"}));
    db->endRead();
}

TEST(Database, JoinedRowsAndFieldNames)
{
    SourceDatabase source;
    SourceDatabase::Visit twice = visit("3000000000001", "2024-01-10", 400017);
    source.addVisit(twice);
    source.insert(QStringLiteral("osigurenici"), {{"MB", twice.mb}, {"DAT_R", QStringLiteral("1970-02-03")}, {"MESTO_S", 400017}});
    source.addVisit(visit("3000000000002", "2024-01-10", 400017), false); // nobody insured under it
    SourceDatabase::Visit badDate = visit("3000000000003", "2024-01-10", 400017);
    badDate.datR = QStringLiteral("31.12.1970");
    source.addVisit(badDate);
    auto db = openSource(source);
    ASSERT_TRUE(db);
    Query query(*db, QStringLiteral("qPosetaDecaGrad"), qPosetaDecaGradStatement());
    ASSERT_TRUE(query.open(QDate(2024, 1, 1), QDate(2024, 1, 31)).ok());
    EXPECT_EQ(query.fieldNames().size(), 43);
    EXPECT_EQ(query.field(u"mb"), 1);
    EXPECT_EQ(query.field(u"MB_1"), 12);
    EXPECT_EQ(query.field(u"LEKAR_S_1"), query.field(u"DEJNOST") + 1);
    const int datR = query.field(u"DAT_R");
    QStringList dates;
    bool sawBadDate = false;
    while (query.next()) {
        int day = -1;
        if (query.day(datR, &day))
            dates << dateOfDayNumber(day).toString(Qt::ISODate);
        else
            sawBadDate = query.text(datR) == QStringLiteral("31.12.1970");
    }
    dates.sort();
    EXPECT_EQ(dates, (QStringList{"1970-02-03", "1980-01-01"})); // the person listed twice doubles the visit
    EXPECT_TRUE(sawBadDate);
    EXPECT_EQ(invalidDateError(QStringLiteral("31.12.1970")).message, QStringLiteral("'31.12.1970' is not a valid date"));
}

TEST(Database, EmptyAndNullDatesReadAsDayZero)
{
    int day = -1;
    EXPECT_TRUE(parseIsoDay(u"1899-12-30", &day));
    EXPECT_EQ(day, 0);
    EXPECT_FALSE(parseIsoDay(u"2024-02-30", &day));
    EXPECT_FALSE(parseIsoDay(u"2024-2-3", &day));
    EXPECT_FALSE(parseIsoDay(u"abcd-ef-gh", &day));
}

// An ISO date reads as the day QDate counts (every day of 1800 to 2200,
// every eleventh day of the years 1 to 9999), and a day that does not exist
// not at all.
TEST(Database, IsoDatesReadAsTheCalendarsDays)
{
    for (QDate date(1, 1, 1); date.year() <= 9999;
         date = date.addDays(date.year() >= 1800 && date.year() <= 2200 ? 1 : 11)) {
        int day = -1;
        const QString text = date.toString(Qt::ISODate);
        ASSERT_TRUE(parseIsoDay(text, &day)) << text.toStdString();
        ASSERT_EQ(day, dayNumberOf(date)) << text.toStdString();
    }
    int day = 0;
    for (const char16_t *text : {u"0000-12-31", u"1900-02-29", u"2023-02-29", u"2024-04-31", u"2024-13-01",
                                 u"2024-00-10", u"2024-01-00", u"2024-01-32"})
        EXPECT_FALSE(parseIsoDay(QStringView(text), &day)) << QString::fromUtf16(text).toStdString();
    EXPECT_TRUE(parseIsoDay(u"2000-02-29", &day));
}
