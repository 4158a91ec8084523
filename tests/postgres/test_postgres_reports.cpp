// The reports over a PostgreSQL source give exactly what they give over the
// same rows in SQLite, and a server that cannot be reached, refuses the login
// or drops the connection ends a run with an error, never a hang or a crash.
//
// The server is the suite's own (tests/postgres/pg-server, named by
// TAREL_PG_SERVER); without it every test skips.

#include "runform.h"
#include "database.h"
#include "figuresdata.h"
#include "generator.h"
#include "engine.h"

#include <QJsonObject>
#include "serverloader.h"
#include "prepared.h"
#include "preparedfile.h"
#include "loopbacksocket.h"
#include "sourcedatabase.h"
#include "sourcereading.h"
#include "sourcerecords.h"
#include "statements.h"
#include "template.h"

#include "children.h"
#include "generalmedicine.h"
#include "schoolyouth.h"
#include "visitreports.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

using namespace tarel;

namespace {

constexpr const char *Unavailable = "PostgreSQL server not available";

// The suite's server: its port on 127.0.0.1, from the file pg-server wrote.
std::optional<int> serverPort()
{
    const QString dir = qEnvironmentVariable("TAREL_PG_SERVER");
    if (dir.isEmpty())
        return std::nullopt;
    QFile file(dir + QStringLiteral("/port"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const int port = file.readAll().trimmed().toInt(&ok);
    return ok ? std::optional<int>(port) : std::nullopt;
}

#define REQUIRE_SERVER()                                                                            \
    if (!serverPort())                                                                              \
    GTEST_SKIP() << Unavailable << " (TAREL_PG_SERVER names no running server; run the tests with " \
                                   "ctest, which starts one)"

data::AliasSettings postgresAlias(const QString &database, const QString &user = QStringLiteral("tarel"),
                                  const QString &password = {})
{
    data::AliasSettings settings;
    settings.alias = QStringLiteral("pelorida");
    settings.driver = QStringLiteral("QPSQL");
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = serverPort().value_or(-1);
    settings.database = database;
    settings.user = user;
    settings.password = password;
    settings.connectTimeoutSeconds = 5;
    return settings;
}

demodb::ServerTarget loaderTarget(const QString &database)
{
    demodb::ServerTarget target;
    target.host = QStringLiteral("127.0.0.1");
    target.port = serverPort().value_or(-1);
    target.database = database;
    target.user = QStringLiteral("tarel");
    return target;
}

// A connection of the test's own to the server's maintenance database, for
// what the program never does: create databases, end sessions.
class Admin {
public:
    explicit Admin(const QString &database = QStringLiteral("postgres"))
        : m_name(QStringLiteral("pg-admin-%1").arg(++s_counter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(serverPort().value_or(-1));
        db.setDatabaseName(database);
        db.setUserName(QStringLiteral("tarel"));
        db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        if (!db.open())
            ADD_FAILURE() << "admin connection: " << db.lastError().text().toStdString();
    }
    ~Admin()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (query.exec(sql))
            return true;
        ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return false;
    }
    QString value(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(sql) || !query.next()) {
            ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
            return {};
        }
        return query.value(0).toString();
    }
    // A fresh, empty database of that name.
    void recreate(const QString &database)
    {
        exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
        exec(QStringLiteral("CREATE DATABASE %1").arg(database));
    }

private:
    static inline int s_counter = 0;
    QString m_name;
};

// Ends the session of a connection from another one, as an administrator
// or a server restart does.
void terminateSession(data::Database &database)
{
    QSqlQuery pid(database.connection());
    ASSERT_TRUE(pid.exec(QStringLiteral("select pg_backend_pid()")) && pid.next());
    const QString backend = pid.value(0).toString();
    pid.finish();
    Admin admin;
    EXPECT_EQ(admin.value(QStringLiteral("select pg_terminate_backend(%1)").arg(backend)), QStringLiteral("true"));
    // The session is gone once the server no longer lists it.
    for (int i = 0; i < 100; ++i) {
        if (admin.value(QStringLiteral("select count(*) from pg_stat_activity where pid = %1").arg(backend))
            == QStringLiteral("0"))
            return;
        ::usleep(20000);
    }
    ADD_FAILURE() << "the session " << backend.toStdString() << " did not end";
}

// ---------------------------------------------------------------------------
// One demo data set, in SQLite and in PostgreSQL.

const QDate LastDay(2024, 6, 30);
// A range that starts and ends inside the period, so both ends of "between"
// cut through visits.
const QDate From(2023, 3, 1);
const QDate To(2024, 2, 29);

class SameRowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!serverPort())
            return;
        s_dir = new QTemporaryDir;
        s_sqlite = s_dir->filePath(QStringLiteral("demo.sqlite"));
        s_database = QStringLiteral("reports_%1").arg(QCoreApplication::applicationPid());
        Admin().recreate(s_database);

        demodb::DemoOptions options;
        options.visits = 20000;
        options.seed = 20240630;
        options.lastDay = LastDay;
        QElapsedTimer timer;
        timer.start();
        const Result<demodb::DemoStats> loaded = demodb::loadDemoDatabase(loaderTarget(s_database), options, s_sqlite);
        ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
        std::printf("[ info     ] 20000 visits written to SQLite and loaded into PostgreSQL in %.2f s\n",
                    double(timer.elapsed()) / 1000);
    }
    static void TearDownTestSuite()
    {
        if (!s_dir)
            return;
        Admin().exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(s_database));
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override
    {
        REQUIRE_SERVER();
        Result<std::unique_ptr<data::Database>> sqlite = data::Database::open(data::sqliteFile(s_sqlite));
        ASSERT_TRUE(sqlite.ok()) << sqlite.message().toStdString();
        Result<std::unique_ptr<data::Database>> postgres = data::Database::open(postgresAlias(s_database));
        ASSERT_TRUE(postgres.ok()) << postgres.message().toStdString();
        m_sqlite = std::move(*sqlite);
        m_postgres = std::move(*postgres);
    }

    data::Database &database(int i) { return i == 0 ? *m_sqlite : *m_postgres; }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_sqlite;
    static inline QString s_database;
    std::unique_ptr<data::Database> m_sqlite;
    std::unique_ptr<data::Database> m_postgres;
};

// Every row of a statement as one text per row (fields by index, NULL told
// apart from the empty text, dates also as day numbers), sorted: rows that
// tie on the statement's order may come in either order.
struct Selection {
    QStringList fieldNames; // lower case
    QStringList rows;
    QString error;
};

Selection select(data::Database &database, const QStringList &lines, QDate from, QDate to,
                 const std::vector<std::pair<QString, QString>> &texts = {})
{
    Selection result;
    data::Query query(database, QStringLiteral("q"), lines);
    if (Result<void> opened = query.open(from, to, texts); !opened) {
        result.error = opened.message();
        return result;
    }
    for (const QString &name : query.fieldNames())
        result.fieldNames << name.toLower();
    const int dat_r = query.field(u"DAT_R");
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < result.fieldNames.size(); ++i)
            fields << query.text(i) + (query.value(i).isNull() ? QStringLiteral("<NULL>") : QString());
        int day = -1;
        if (dat_r >= 0 && !query.day(dat_r, &day))
            result.error = QStringLiteral("unreadable DAT_R");
        fields << QString::number(day);
        result.rows << fields.join(QChar(0x1f));
    }
    if (query.error())
        result.error = query.error()->message;
    result.rows.sort();
    return result;
}

TEST_F(SameRowsTest, EveryStatementSelectsTheSameRowsWithTheSameFields)
{
    Result<std::vector<data::Doctor>> doctors = m_sqlite->doctors();
    ASSERT_TRUE(doctors.ok() && !doctors->empty());
    const QString doctor = doctors->front().code;
    const std::vector<std::pair<QString, QString>> doctorParameter{{QLatin1String(data::DoctorParameter), doctor}};

    struct Case {
        const char *name;
        QStringList lines;
        QDate from, to;
        bool oneDoctor = false;
    };
    std::vector<Case> cases{
        {"urban visits", data::qPosetaDecaGradStatement(), From, To},
        {"rural visits", data::qPosetaDecaSeloStatement(), From, To},
        {"visits of a single day", data::qPosetaDecaGradStatement(), QDate(2023, 11, 15), QDate(2023, 11, 15)},
        {"from after to", data::qPosetaDecaSeloStatement(), To, From},
    };
    for (bool oneDoctor : {false, true})
        for (data::AreaFilter area : {data::AreaFilter::Both, data::AreaFilter::Urban, data::AreaFilter::Rural})
            cases.push_back({oneDoctor ? "morbidity, one doctor" : "morbidity, all doctors",
                             data::morbidityStatementFor(oneDoctor, area), From, To, oneDoctor});

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto texts = c.oneDoctor ? doctorParameter : std::vector<std::pair<QString, QString>>{};
        const Selection sqlite = select(*m_sqlite, c.lines, c.from, c.to, texts);
        const Selection postgres = select(*m_postgres, c.lines, c.from, c.to, texts);
        ASSERT_EQ(sqlite.error, QString());
        ASSERT_EQ(postgres.error, QString());
        EXPECT_EQ(postgres.fieldNames, sqlite.fieldNames);
        ASSERT_EQ(postgres.rows.size(), sqlite.rows.size());
        for (qsizetype i = 0; i < sqlite.rows.size(); ++i)
            if (postgres.rows[i] != sqlite.rows[i]) {
                ADD_FAILURE() << "first differing row:\n SQLite:     " << sqlite.rows[i].toStdString()
                              << "\n PostgreSQL: " << postgres.rows[i].toStdString();
                break;
            }
        if (c.from <= c.to) {
            EXPECT_GT(sqlite.rows.size(), 0);
        }
    }

    // The joined result names its fields alike on both engines, by the
    // names the reports read.
    data::Query query(*m_postgres, QStringLiteral("qPosetaDecaGrad"), data::qPosetaDecaGradStatement());
    ASSERT_TRUE(query.open(From, To).ok());
    for (const char *name : {"MB", "mb_1", "DAT_R", "S_DIJA", "S_DIJA2", "VidNaUsluga", "OSNOV", "CLEN", "PRE_1",
                             "LEKAR_S_1", "DATA", "MESTO_S"})
        EXPECT_GE(query.field(QString::fromLatin1(name)), 0) << name;
    EXPECT_EQ(query.field(u"MB"), 1);
    EXPECT_EQ(query.field(u"mb_1"), 12);
}

TEST_F(SameRowsTest, DoctorListAndInstitutionAreTheSame)
{
    Result<std::vector<data::Doctor>> sqlite = m_sqlite->doctors();
    Result<std::vector<data::Doctor>> postgres = m_postgres->doctors();
    ASSERT_TRUE(sqlite.ok() && postgres.ok());
    ASSERT_EQ(postgres->size(), sqlite->size());
    for (std::size_t i = 0; i < sqlite->size(); ++i) {
        EXPECT_EQ((*postgres)[i].code, (*sqlite)[i].code);
        EXPECT_EQ((*postgres)[i].name, (*sqlite)[i].name);
    }
    // The doctors with visits of a period, on which a batch makes a file each.
    for (data::AreaFilter area : {data::AreaFilter::Both, data::AreaFilter::Rural}) {
        const auto withVisits = m_sqlite->doctorsWithVisits(From, To, area);
        const auto onServer = m_postgres->doctorsWithVisits(From, To, area);
        ASSERT_TRUE(withVisits.ok() && onServer.ok()) << onServer.message().toStdString();
        ASSERT_FALSE(withVisits->empty());
        ASSERT_EQ(onServer->size(), withVisits->size());
        for (std::size_t i = 0; i < withVisits->size(); ++i) {
            EXPECT_EQ((*onServer)[i].code, (*withVisits)[i].code);
            EXPECT_EQ((*onServer)[i].name, (*withVisits)[i].name);
        }
    }
    Result<data::Institution> a = m_sqlite->institution();
    Result<data::Institution> b = m_postgres->institution();
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(b->naziv, a->naziv);
    EXPECT_EQ(b->adresa, a->adresa);
    EXPECT_EQ(b->mesto, a->mesto);
    EXPECT_EQ(b->danBroj, a->danBroj);
    EXPECT_EQ(b->ziro, a->ziro);
    EXPECT_EQ(b->deponent, a->deponent);
    EXPECT_FALSE(a->naziv.isEmpty());
}

// The prepared report of a run on one engine.
Result<QByteArray> preparedReport(data::Database &database, const engine::Request &request, QString *total = nullptr)
{
    Result<report::TfrxReport> templ = tarel::testing::runForm(database, request);
    if (!templ)
        return templ.error();
    // The request names the database it was read from; everything else,
    // the data check included, must be the same on both engines, but for the
    // visit dates that are not dates: a date column cannot hold them, so the
    // loader leaves them empty on the server.
    auto kept = std::make_shared<result::RunResult>(*templ->result);
    kept->request = {};
    kept->check->nonIsoVisitDates = 0;
    templ->result = std::move(kept);
    // Grand total of the male row totals.
    if (report::TfrxMemoView *male = templ->findCell(QStringLiteral("v4")); male && total)
        *total = male->text();
    return report::serializePrepared(report::prepare(*templ));
}

TEST_F(SameRowsTest, EveryMorbidityReportIsTheSameOnBothEngines)
{
    Result<std::vector<data::Doctor>> doctors = m_sqlite->doctors();
    ASSERT_TRUE(doctors.ok() && !doctors->empty());

    for (const char *name : {"general-medicine", "school-youth", "children"})
        for (bool allDoctors : {true, false})
            for (data::AreaFilter area : {data::AreaFilter::Both, data::AreaFilter::Urban, data::AreaFilter::Rural}) {
                engine::Request request;
                request.report = engine::findReport(QLatin1String(name));
                request.from = From;
                request.to = To;
                if (!allDoctors)
                    request.doctor = doctors->front();
                request.area = area;
                SCOPED_TRACE(std::string(name) + ", " + request.doctorText().toStdString() + ", "
                             + request.areaText().toStdString());

                QString sqliteTotal, postgresTotal;
                Result<QByteArray> sqlite = preparedReport(*m_sqlite, request, &sqliteTotal);
                Result<QByteArray> postgres = preparedReport(*m_postgres, request, &postgresTotal);
                ASSERT_TRUE(sqlite.ok()) << sqlite.message().toStdString();
                ASSERT_TRUE(postgres.ok()) << postgres.message().toStdString();
                EXPECT_EQ(postgresTotal, sqliteTotal);
                EXPECT_NE(sqliteTotal, QStringLiteral("-")) << "the report counts nothing: a vacuous comparison";
                EXPECT_TRUE(*postgres == *sqlite) << "the prepared reports differ";
            }
}

// The server's join reads a day's visits, both tables read whole a year's,
// by the planner's estimate of the period's visits against the persons.
TEST_F(SameRowsTest, ThePeriodsVisitsChooseTheServersJoinOrBothTables)
{
    m_postgres->connection().exec(QStringLiteral("ANALYZE"));
    data::VisitSelection day;
    day.from = day.to = QDate(2023, 11, 15);
    data::VisitSelection year = day;
    year.from = From;
    year.to = To;
    const std::optional<data::ReadPlan> dayPlan = data::postgresReadPlan(*m_postgres, day, data::FieldBirthDate);
    const std::optional<data::ReadPlan> yearPlan = data::postgresReadPlan(*m_postgres, year, data::FieldBirthDate);
    ASSERT_TRUE(dayPlan && yearPlan);
    EXPECT_TRUE(dayPlan->personsPerVisit) << dayPlan->visits << " visits, " << dayPlan->persons << " persons";
    EXPECT_FALSE(yearPlan->personsPerVisit) << yearPlan->visits << " visits, " << yearPlan->persons << " persons";
}

// A cancel while the rows come stops the server's COPY and leaves the
// connection as it was: the next run reads, and reads what it read before.
TEST_F(SameRowsTest, ACancelWhileRowsComeStopsTheReadAndTheNextRunReads)
{
    engine::Request request;
    request.report = engine::findReport(QLatin1String("visits-general-medicine"));
    request.from = From;
    request.to = To;
    request.today = QDate(2024, 7, 1);
    const Result<QByteArray> before = preparedReport(*m_postgres, request);
    ASSERT_TRUE(before.ok()) << before.message().toStdString();
    for (data::VisitSourceKind kind :
         {data::VisitSourceKind::ProgramJoinAllPersons, data::VisitSourceKind::ProgramJoinPerVisit}) {
        SCOPED_TRACE(tarel::testing::nameOf(kind));
        std::atomic<bool> cancel{false};
        qint64 rowsWhenCancelled = 0;
        engine::RunOptions options;
        options.source = kind;
        options.control.cancel = &cancel;
        options.control.progress = [&](const data::ReadProgress &progress) {
            if (progress.read > 0 && !cancel.load()) {
                rowsWhenCancelled = progress.read;
                cancel.store(true);
            }
        };
        const Result<result::RunResult> stopped = engine::run(*m_postgres, request, options);
        ASSERT_FALSE(stopped.ok());
        EXPECT_EQ(stopped.error().kind, ErrorKind::Cancelled) << stopped.message().toStdString();
        EXPECT_GT(rowsWhenCancelled, 0);
        const Result<QByteArray> after = preparedReport(*m_postgres, request);
        ASSERT_TRUE(after.ok()) << after.message().toStdString();
        EXPECT_TRUE(*after == *before);
    }
}

// The progress of a read on the server estimates the period's visits from
// the server's statistics (not the table's rows), and ends with all of them,
// whichever way the persons are read.
TEST_F(SameRowsTest, TheProgressEstimatesThePeriodsVisits)
{
    m_postgres->connection().exec(QStringLiteral("ANALYZE"));
    data::VisitSelection selection;
    selection.statement = data::VisitSelection::Statement::Visits;
    selection.from = LastDay.addMonths(-3).addDays(1);
    selection.to = LastDay;
    std::vector<data::ReadProgress> reports;
    data::ReadControl control;
    control.progress = [&](const data::ReadProgress &progress) { reports.push_back(progress); };
    qint64 rows = 0;
    const Result<void> read = data::visitSourceOf(*m_postgres)->read(
        selection, data::FieldBirthDate,
        [&](const data::VisitRecord &) -> Result<void> {
            ++rows;
            return {};
        },
        control);
    ASSERT_TRUE(read.ok()) << read.message().toStdString();
    // The visits' stage goes through every visit of the period (also those
    // of no area or without a person, which give no row).
    const auto visits = std::find_if(reports.begin(), reports.end(), [](const data::ReadProgress &progress) {
        return progress.stage == data::ReadProgress::Stage::Visits;
    });
    ASSERT_NE(visits, reports.end());
    const qint64 all = reports.back().read;
    EXPECT_GE(all, rows);
    EXPECT_GE(visits->estimated, all * 2 / 3);
    EXPECT_LE(visits->estimated, all * 3 / 2);
    EXPECT_EQ(reports.back(), (data::ReadProgress{data::ReadProgress::Stage::Visits, all, all}));
}

TEST_F(SameRowsTest, EveryVisitReportIsTheSameOnBothEngines)
{
    for (const char *name : {"visits-school-youth", "visits-children", "visits-general-medicine"}) {
        SCOPED_TRACE(name);
        engine::Request request;
        request.report = engine::findReport(QLatin1String(name));
        request.from = From;
        request.to = To;
        request.today = QDate(2024, 7, 1);
        QByteArray prepared[2];
        for (int e = 0; e < 2; ++e) {
            const Result<QByteArray> run = preparedReport(database(e), request);
            ASSERT_TRUE(run.ok()) << run.message().toStdString();
            prepared[e] = *run;
        }
        EXPECT_TRUE(prepared[1] == prepared[0]) << "the prepared reports differ";
    }
}

// The figures a source counts, on the small database where each has a known
// value (tests/support/figuresdata.h); a DATE column holds no text, so its
// visit dates that are not ISO texts are those before year 1 or after 9999.
TEST(PostgresFigures, KnownValuesOnEverySource)
{
    REQUIRE_SERVER();
    const QString name = QStringLiteral("figures_%1").arg(QCoreApplication::applicationPid());
    Admin().recreate(name);
    {
        Admin admin(name);
        for (const QString &statement : data::sourceSchemaStatements() + tarel::testing::figureRows())
            admin.exec(statement);
        admin.exec(QStringLiteral("insert into PREGLEDI1 (MB, VidNaUsluga, DATA) values ('Q', '9', '0044-03-15 BC'), "
                                  "('Q', '9', '0001-01-01 BC'), ('Q', '9', '10000-01-01'), ('Q', '9', NULL)"));
    }
    {
        Result<std::unique_ptr<data::Database>> database = data::Database::open(postgresAlias(name));
        ASSERT_TRUE(database.ok()) << database.message().toStdString();
        for (const tarel::testing::FigureCase &c : tarel::testing::figureCases(3))
            for (data::VisitSourceKind kind : {data::VisitSourceKind::Statements, data::VisitSourceKind::Automatic}) {
                data::SourceFigures figures;
                const Result<void> read = data::visitSourceOf(**database, kind)->read(
                    c.selection, data::FieldBirthDate, [](const data::VisitRecord &) -> Result<void> { return {}; },
                    {}, &figures);
                ASSERT_TRUE(read.ok()) << read.message().toStdString();
                EXPECT_TRUE(figures == c.figures)
                    << c.what << ", source " << int(kind) << ": " << figures.repeatedPersons << " "
                    << figures.unmatchedVisits << " " << figures.noSettlementCode << " " << figures.nonIsoVisitDates;
            }
    }
    Admin().exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

// ---------------------------------------------------------------------------
// Every way of reading gives the same rows on PostgreSQL: the statements as
// written, the server's join through the SQL layer, and the COPY reads
// (both tables joined here, or the server's LEFT JOIN), over rows of every
// oddity the column types allow.

// A SQL literal of a text (standard strings: only the quote doubles).
QString literal(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

class HostileRowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!serverPort())
            return;
        s_name = QStringLiteral("hostile_%1").arg(QCoreApplication::applicationPid());
        Admin().recreate(s_name);
        Admin admin(s_name);
        for (const QString &statement : data::sourceSchemaStatements())
            admin.exec(statement);
        fill(admin);
        for (const QString &statement : data::sourceIndexStatements())
            admin.exec(statement);
        admin.exec(QStringLiteral("ANALYZE"));
    }
    static void TearDownTestSuite()
    {
        if (serverPort() && !s_name.isEmpty())
            Admin().exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(s_name));
    }

    // 200 persons and 3,000 visits whose values go round pools of the odd
    // values: texts with tabs, newlines, backslashes and Cyrillic letters
    // (which the COPY format escapes or sends as UTF-8), repeated, unknown,
    // empty and NULL citizen numbers, dates before Christ, of five-digit
    // years and infinite, NULL settlement codes and kinds of service.
    static void fill(Admin &admin)
    {
        const QStringList numbers{QStringLiteral("0101980450012"), QStringLiteral("\u0428\u04270198045501"),
                                  QStringLiteral("A\tB0198545502"), QStringLiteral("C\\D0198045503"),
                                  QStringLiteral("E\nF0198545504"), QStringLiteral("0909990400077"),
                                  QStringLiteral("0808880500088"), QString()};
        const QStringList births{QStringLiteral("'1980-01-01'"), QStringLiteral("'2010-06-15'"),
                                 QStringLiteral("'2019-02-28'"), QStringLiteral("'0044-03-15 BC'"),
                                 QStringLiteral("NULL")};
        const QStringList settlements{QStringLiteral("400017"), QStringLiteral("412066"), QStringLiteral("300100"),
                                      QStringLiteral("0"), QStringLiteral("-5"), QStringLiteral("NULL")};
        const QStringList texts{QStringLiteral("'1'"), QStringLiteral("' 1 '"), QStringLiteral("NULL"),
                                QStringLiteral("'\u0442\u0435\u0441\u0442'"), QStringLiteral("E'a\\\\b\\tc'")};
        QStringList persons;
        for (int i = 0; i < 200; ++i) {
            const QString mb = i < numbers.size() ? numbers[i] : QStringLiteral("%1").arg(1000000000000LL + i * 7919);
            const int copies = mb == u"0909990400077" ? 2 : mb == u"0808880500088" ? 3 : 1;
            for (int k = 0; k < copies; ++k)
                persons << QStringLiteral("(%1, %2, %3, %4, %5)")
                               .arg(i == 7 ? QStringLiteral("NULL") : literal(mb), births[i % births.size()],
                                    settlements[(i / 2) % settlements.size()], texts[i % texts.size()],
                                    texts[(i / 3) % texts.size()]);
        }
        admin.exec(QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S, OSNOV, CLEN) values ") + persons.join(u','));

        const QStringList dates{QStringLiteral("'2024-01-01'"), QStringLiteral("'2024-01-31'"),
                                QStringLiteral("'2024-03-15'"), QStringLiteral("'2023-06-30'"),
                                QStringLiteral("'2024-12-31'"), QStringLiteral("NULL"), QStringLiteral("'0044-03-15 BC'"),
                                QStringLiteral("'infinity'"), QStringLiteral("'-infinity'"), QStringLiteral("'10000-01-01'")};
        const QStringList kinds{QStringLiteral("'1'"), QStringLiteral("'2'"), QStringLiteral("' 1'"),
                                QStringLiteral("'3'"), QStringLiteral("NULL")};
        const QStringList doctors{QStringLiteral("'L01'"), QStringLiteral("'O''Neil'"), QStringLiteral("'l01'"),
                                  QStringLiteral("NULL"), QStringLiteral("E'back\\\\slash'")};
        const QStringList categories{QStringLiteral("'A01'"), QStringLiteral("'J06'"), QStringLiteral("'I10'"),
                                     QStringLiteral("'E11'"), QStringLiteral("NULL"), QStringLiteral("'a01'")};
        const QStringList names{QStringLiteral("'PETROVSKI'"), QStringLiteral("'\u041f\u0435\u0442\u0440\u043e\u0432'"),
                                QStringLiteral("NULL"), QStringLiteral("''"), QStringLiteral("E'tab\\there'"),
                                QStringLiteral("E'new\\nline'"), QStringLiteral("E'back\\\\slash'")};
        QStringList visits;
        quint32 random = 20241209;
        auto next = [&](qsizetype size) {
            random = random * 1103515245u + 12345u;
            return qsizetype((random >> 8) % quint32(size));
        };
        for (int i = 0; i < 3000; ++i) {
            const qsizetype person = next(230);
            const QString mb = person < 200 ? (person < numbers.size() ? literal(numbers[person])
                                                                       : literal(QString::number(1000000000000LL + person * 7919)))
                : person < 215 ? literal(QStringLiteral("9999999999999"))
                : person < 222 ? QStringLiteral("NULL")
                               : QStringLiteral("''");
            visits << QStringLiteral("(%1, %2, %3, %4, %5, %6, %7, %8, %9)")
                          .arg(QString::number(i + 1), mb, names[next(names.size())], names[next(names.size())],
                               doctors[next(doctors.size())], categories[next(categories.size())],
                               kinds[next(kinds.size())], dates[next(dates.size())],
                               i % 3 ? QStringLiteral("NULL") : QStringLiteral("'1'"));
        }
        admin.exec(QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, PRE, IME, LEKAR_S, S_DIJA, VidNaUsluga, DATA, "
                                  "S_DIJA2) values ")
                   + visits.join(u','));
        // Persons whose birth dates read as no date, visited only in June
        // 2022 (a report of theirs fails on every way alike).
        admin.exec(QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('7777777777777', 'infinity', "
                                  "400017), ('8888888888888', '10000-01-01', 300100)"));
        admin.exec(QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, VidNaUsluga, DATA) values (5001, '7777777777777', "
                                  "'1', '2022-06-15'), (5002, '8888888888888', '2', '2022-06-15')"));
        // The visit a sink stops at, the only one of its surname.
        admin.exec(QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, PRE, IME, VidNaUsluga, DATA) values (4242, "
                                  "'0101980450012', E'stop\\there', E'new\\nline', '1', '2024-01-31')"));
        admin.exec(QStringLiteral("insert into PZO (naziv) values ('PZU Test')"));
        admin.exec(QStringLiteral("insert into Lekari (lekar_s, pre, ime, aktiven) values ('L01', 'A', 'B', true), "
                                  "('O''Neil', 'C', 'D', true)"));
    }

    void SetUp() override
    {
        REQUIRE_SERVER();
        Result<std::unique_ptr<data::Database>> opened = data::Database::open(postgresAlias(s_name));
        ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
        m_database = std::move(*opened);
    }

    static inline QString s_name;
    std::unique_ptr<data::Database> m_database;
};

// The last reads only the visits of persons whose birth dates read as no date.
const std::pair<QDate, QDate> kHostilePeriods[] = {{QDate(2023, 1, 1), QDate(2025, 12, 31)},
                                                   {QDate(2024, 1, 1), QDate(2024, 3, 31)},
                                                   {QDate(2024, 3, 15), QDate(2024, 3, 15)},
                                                   {QDate(2022, 6, 1), QDate(2022, 6, 30)}};

TEST_F(HostileRowsTest, EveryWayReadsTheSameRecordsAndFigures)
{
    bool sawRepeated = false, sawUnmatched = false, sawNoCode = false, sawNonIso = false;
    qint64 records = 0;
    for (const auto &[from, to] : kHostilePeriods)
        for (const data::VisitSelection &selection :
             tarel::testing::selectionsOver(from, to, {QStringLiteral("L01"), QStringLiteral("O'Neil"),
                                                       QStringLiteral("back\\slash")})) {
            SCOPED_TRACE(tarel::testing::describe(selection));
            // The COPY ways read these tables themselves.
            ASSERT_TRUE(data::postgresReadPlan(*m_database, selection, tarel::testing::kAllFields).has_value());
            QString referenceError;
            data::SourceFigures reference;
            const QStringList expected = tarel::testing::recordsOf(*m_database, data::VisitSourceKind::Statements,
                                                                   selection, &reference, &referenceError);
            ASSERT_TRUE(referenceError.isEmpty()) << referenceError.toStdString();
            records += expected.size();
            sawRepeated |= reference.repeatedPersons > 0;
            sawUnmatched |= reference.unmatchedVisits > 0;
            sawNoCode |= reference.noSettlementCode > 0;
            sawNonIso |= reference.nonIsoVisitDates > 0;
            for (data::VisitSourceKind kind : tarel::testing::kOtherSources) {
                SCOPED_TRACE(tarel::testing::nameOf(kind));
                QString error;
                data::SourceFigures figures;
                const QStringList got = tarel::testing::recordsOf(*m_database, kind, selection, &figures, &error);
                EXPECT_TRUE(got == expected) << tarel::testing::firstDifference(expected, got);
                ASSERT_TRUE(error.isEmpty()) << error.toStdString();
                EXPECT_TRUE(figures == reference)
                    << figures.repeatedPersons << " " << figures.unmatchedVisits << " " << figures.noSettlementCode
                    << " " << figures.nonIsoVisitDates;
            }
        }
    EXPECT_GT(records, 3000);
    EXPECT_TRUE(sawRepeated && sawUnmatched && sawNoCode && sawNonIso);
}

TEST_F(HostileRowsTest, EveryReportIsTheSameByteForByte)
{
    const Result<std::vector<data::Doctor>> doctors = m_database->doctors();
    ASSERT_TRUE(doctors.ok() && doctors->size() == 2);
    for (const engine::ReportDefinition &report : engine::reportTable())
        for (const auto &[from, to] : {kHostilePeriods[0], kHostilePeriods[1]})
            for (int doctor = -1; doctor < (report.kind == engine::ReportKind::Morbidity ? 2 : 0); ++doctor) {
                engine::Request request;
                request.report = &report;
                request.from = from;
                request.to = to;
                request.today = QDate(2026, 1, 1);
                if (doctor >= 0)
                    request.doctor = (*doctors)[std::size_t(doctor)];
                SCOPED_TRACE(report.commandName().toStdString() + " " + from.toString(Qt::ISODate).toStdString() + " "
                             + request.doctorText().toStdString());
                QByteArray expected;
                for (data::VisitSourceKind kind :
                     {data::VisitSourceKind::Statements, data::VisitSourceKind::ServerJoin,
                      data::VisitSourceKind::ProgramJoinAllPersons, data::VisitSourceKind::ProgramJoinPerVisit}) {
                    engine::RunOptions options;
                    options.source = kind;
                    const Result<report::TfrxReport> filled = tarel::testing::runForm(*m_database, request, options);
                    ASSERT_TRUE(filled.ok()) << tarel::testing::nameOf(kind) << ": " << filled.message().toStdString();
                    const QByteArray prepared = report::serializePrepared(report::prepare(*filled));
                    if (kind == data::VisitSourceKind::Statements)
                        expected = prepared;
                    else
                        EXPECT_TRUE(prepared == expected) << tarel::testing::nameOf(kind) << ": the prepared reports differ";
                }
            }
}

// A sink that stops at a visit ends every way's read with the same line
// naming the visit, read again in the same snapshot; the connection then
// reads again.
TEST_F(HostileRowsTest, AStoppedReadNamesTheVisitAndLeavesTheConnectionReady)
{
    data::VisitSelection selection = tarel::testing::selectionsOver(kHostilePeriods[0].first, kHostilePeriods[0].second, {}).back();
    for (data::VisitSourceKind kind : {data::VisitSourceKind::Statements, data::VisitSourceKind::ProgramJoinAllPersons,
                                       data::VisitSourceKind::ProgramJoinPerVisit}) {
        SCOPED_TRACE(tarel::testing::nameOf(kind));
        const data::ReadTransaction transaction(*m_database);
        QString error;
        tarel::testing::recordsOf(*m_database, kind, selection, nullptr, &error, QStringLiteral("stop\there"));
        EXPECT_EQ(error, QStringLiteral("stopped\nVisit RED_BR 4242 of 2024-01-31, stop\\x09here new\\x0aline."));
        QString again;
        EXPECT_FALSE(tarel::testing::recordsOf(*m_database, kind, selection, nullptr, &again).isEmpty());
        EXPECT_TRUE(again.isEmpty()) << again.toStdString();
    }
}

// Columns of other types than the program's schema (citizen numbers of a
// blank-padded type, which compares without trailing blanks; a row number
// of a decimal type) are read by the server's join through the SQL layer,
// with the statements' meaning.
TEST(PostgresOtherTypes, AreReadWithTheStatementsMeaning)
{
    REQUIRE_SERVER();
    const QString name = QStringLiteral("othertypes_%1").arg(QCoreApplication::applicationPid());
    Admin().recreate(name);
    {
        Admin admin(name);
        for (const QString &statement : data::sourceSchemaStatements())
            admin.exec(statement);
        admin.exec(QStringLiteral("alter table osigurenici alter column MB type char(14)"));
        admin.exec(QStringLiteral("alter table PREGLEDI1 alter column RED_BR type numeric(10, 2)"));
        admin.exec(QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('0101980450012', '1980-01-01', "
                                  "400017), ('0202985455023', NULL, 300100)"));
        admin.exec(QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, VidNaUsluga, DATA) values (1, '0101980450012', '1', "
                                  "'2024-03-15'), (2.5, '0202985455023', '2', '2024-03-15'), (3, 'x', '1', '2024-03-15')"));
    }
    {
        Result<std::unique_ptr<data::Database>> database = data::Database::open(postgresAlias(name));
        ASSERT_TRUE(database.ok()) << database.message().toStdString();
        for (const data::VisitSelection &selection :
             tarel::testing::selectionsOver(QDate(2024, 1, 1), QDate(2024, 12, 31), {})) {
            SCOPED_TRACE(tarel::testing::describe(selection));
            EXPECT_FALSE(data::postgresReadPlan(**database, selection, tarel::testing::kAllFields).has_value());
            QString error;
            const QStringList expected =
                tarel::testing::recordsOf(**database, data::VisitSourceKind::Statements, selection, nullptr, &error);
            ASSERT_TRUE(error.isEmpty()) << error.toStdString();
            for (data::VisitSourceKind kind : tarel::testing::kOtherSources)
                EXPECT_EQ(tarel::testing::recordsOf(**database, kind, selection, nullptr, &error), expected)
                    << tarel::testing::nameOf(kind);
            if (selection.statement == data::VisitSelection::Statement::Visits) {
                EXPECT_EQ(expected.size(), 2); // the padded number matches its person
            }
        }
    }
    Admin().exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

// ---------------------------------------------------------------------------
// Connections that fail.

TEST(PostgresConnection, FailuresAreClearErrorsAndNeverHang)
{
    REQUIRE_SERVER();
    const tarel::testing::LoopbackSocket closed(false);
    const tarel::testing::LoopbackSocket silent(true);

    struct Case {
        const char *name;
        data::AliasSettings settings;
        const char *expected; // in the message
        int atMostMs;
    };
    data::AliasSettings refused = postgresAlias(QStringLiteral("postgres"));
    refused.port = closed.port();
    data::AliasSettings unanswered = postgresAlias(QStringLiteral("postgres"));
    unanswered.port = silent.port();
    unanswered.connectTimeoutSeconds = 2;
    const Case cases[] = {
        {"connection refused", refused, "Connection refused", 3000},
        {"server that never answers", unanswered, "timeout", 8000},
        {"wrong password", postgresAlias(QStringLiteral("postgres"), QStringLiteral("tarel_pw"), QStringLiteral("wrong")),
         "password authentication failed", 5000},
        {"no password", postgresAlias(QStringLiteral("postgres"), QStringLiteral("tarel_pw")), "password", 5000},
        {"unknown database", postgresAlias(QStringLiteral("no_such_database")), "does not exist", 5000},
        {"unknown user", postgresAlias(QStringLiteral("postgres"), QStringLiteral("nobody_here")), "does not exist",
         5000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer timer;
        timer.start();
        const Result<std::unique_ptr<data::Database>> opened = data::Database::open(c.settings);
        const qint64 elapsed = timer.elapsed();
        ASSERT_FALSE(opened.ok());
        EXPECT_TRUE(opened.message().startsWith(QStringLiteral("Cannot open the database of alias 'pelorida': ")))
            << opened.message().toStdString();
        EXPECT_TRUE(opened.message().contains(QLatin1String(c.expected), Qt::CaseInsensitive))
            << opened.message().toStdString();
        EXPECT_FALSE(opened.message().contains(QLatin1Char('\n'))) << opened.message().toStdString();
        EXPECT_LT(elapsed, c.atMostMs);
    }

    // The right password opens.
    const Result<std::unique_ptr<data::Database>> right =
        data::Database::open(postgresAlias(QStringLiteral("postgres"), QStringLiteral("tarel_pw"), QStringLiteral("secret")));
    EXPECT_TRUE(right.ok()) << right.message().toStdString();
}

class DroppedConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER();
        m_name = QStringLiteral("dropped_%1").arg(QCoreApplication::applicationPid());
        Admin().recreate(m_name);
        demodb::DemoOptions options;
        options.visits = 2000;
        options.lastDay = LastDay;
        const Result<demodb::DemoStats> loaded = demodb::loadDemoDatabase(loaderTarget(m_name), options);
        ASSERT_TRUE(loaded.ok()) << loaded.message().toStdString();
        Result<std::unique_ptr<data::Database>> opened = data::Database::open(postgresAlias(m_name));
        ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
        m_database = std::move(*opened);
    }
    void TearDown() override
    {
        m_database.reset();
        if (serverPort())
            Admin().exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    }

    Result<QString> run(const char *report)
    {
        engine::Request request;
        request.report = engine::findReport(QLatin1String(report));
        request.from = From;
        request.to = To;
        request.today = QDate(2024, 7, 1);
        Result<QByteArray> prepared = preparedReport(*m_database, request);
        if (!prepared)
            return prepared.error();
        return QString::fromUtf8(*prepared);
    }
    Result<QString> visitReport() { return run("visits-general-medicine"); }

    QString m_name;
    std::unique_ptr<data::Database> m_database;
};

TEST_F(DroppedConnectionTest, ADropWhileRowsAreReadEndsTheWalkWithAnError)
{
    // Far more rows than the connection buffers, so most are still to come
    // when the session ends.
    ASSERT_TRUE(m_database->beginRead().ok());
    data::Query query(*m_database, QStringLiteral("q"),
                      {QStringLiteral("select g from generate_series(1, 3000000) g"),
                       QStringLiteral("where cast(:datumod as date) <= cast(:datumdo as date)")});
    ASSERT_TRUE(query.open(From, To).ok());
    int rows = 0;
    while (rows < 10 && query.next())
        ++rows;
    ASSERT_EQ(rows, 10);
    terminateSession(*m_database);

    QElapsedTimer timer;
    timer.start();
    while (query.next())
        ++rows;
    EXPECT_LT(rows, 3000000);
    ASSERT_TRUE(query.error().has_value()) << "a cut-off result read as complete";
    EXPECT_FALSE(query.error()->message.isEmpty());
    EXPECT_LT(timer.elapsed(), 10000);
    query.close();
    m_database->endRead();
}

TEST_F(DroppedConnectionTest, TheNextRunOpensTheConnectionAgain)
{
    const Result<QString> before = visitReport();
    ASSERT_TRUE(before.ok()) << before.message().toStdString();
    terminateSession(*m_database);
    const Result<QString> after = visitReport();
    ASSERT_TRUE(after.ok()) << after.message().toStdString();
    EXPECT_EQ(*after, *before);
}

TEST_F(DroppedConnectionTest, ARunWhoseConnectionCannotBeOpenedAgainFails)
{
    Admin admin;
    admin.exec(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS false").arg(m_name));
    terminateSession(*m_database);

    const Result<QString> visits = visitReport();
    ASSERT_FALSE(visits.ok());
    EXPECT_TRUE(visits.message().contains(QLatin1String("lost"))) << visits.message().toStdString();

    EXPECT_FALSE(run("general-medicine").ok());
    EXPECT_FALSE(m_database->doctors().ok());
    admin.exec(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS true").arg(m_name));
}

// A session that holds a lock on the visits (a schema change, a bulk load)
// ends a run after the alias's lock_timeout with the same words as a locked
// SQLite file, instead of leaving it waiting for as long as the lock is held.
TEST_F(DroppedConnectionTest, AnotherSessionsLockEndsTheRunAfterTheLockTimeout)
{
    data::AliasSettings settings = postgresAlias(m_name);
    settings.lockTimeoutSeconds = 1;
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(settings);
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    m_database = std::move(*opened);

    Admin locker(m_name);
    ASSERT_TRUE(locker.exec(QStringLiteral("BEGIN")));
    ASSERT_TRUE(locker.exec(QStringLiteral("LOCK TABLE pregledi1 IN ACCESS EXCLUSIVE MODE")));
    QElapsedTimer timer;
    timer.start();
    const Result<QString> locked = visitReport();
    const qint64 elapsed = timer.elapsed();
    ASSERT_FALSE(locked.ok());
    EXPECT_EQ(locked.message(), QStringLiteral("The database \"%1\" on 127.0.0.1:%2 is locked: another program is "
                                               "writing to it, and it stayed locked for 1 seconds. Try again when "
                                               "that program has finished")
                                    .arg(m_name)
                                    .arg(settings.port));
    EXPECT_GE(elapsed, 900);
    EXPECT_LT(elapsed, 5000);

    locker.exec(QStringLiteral("ROLLBACK"));
    const Result<QString> free = visitReport();
    EXPECT_TRUE(free.ok()) << free.message().toStdString();
}

// The wait for another session's lock is told as it goes on and ends at
// once when the run is cancelled, long before the lock timeout.
TEST_F(DroppedConnectionTest, CancelEndsTheWaitForAnotherSessionsLock)
{
    data::AliasSettings settings = postgresAlias(m_name);
    settings.lockTimeoutSeconds = 20;
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(settings);
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    m_database = std::move(*opened);

    Admin locker(m_name);
    ASSERT_TRUE(locker.exec(QStringLiteral("BEGIN")));
    ASSERT_TRUE(locker.exec(QStringLiteral("LOCK TABLE osigurenici IN ACCESS EXCLUSIVE MODE")));
    std::atomic<bool> cancel{false};
    int waits = 0;
    engine::RunOptions options;
    options.control.cancel = &cancel;
    options.control.waiting = [&] {
        if (++waits == 3)
            cancel.store(true);
    };
    engine::Request request;
    request.report = engine::findReport(u"visits-general-medicine");
    request.from = From;
    request.to = To;
    QElapsedTimer timer;
    timer.start();
    const Result<result::RunResult> filled = engine::run(*m_database, request, options);
    ASSERT_FALSE(filled.ok());
    EXPECT_EQ(filled.error().kind, ErrorKind::Cancelled) << filled.message().toStdString();
    EXPECT_EQ(waits, 3);
    EXPECT_LT(timer.elapsed(), 3000);
    locker.exec(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(visitReport().ok());
}

// A report of a batch that fails on the server (here a statement that
// divides by zero) is rolled back to its savepoint: the reports after it
// read on in the same snapshot instead of failing with "current transaction
// is aborted".
TEST_F(DroppedConnectionTest, AFailedReportLeavesTheBatchsReadUsable)
{
    const Result<QString> alone = visitReport();
    ASSERT_TRUE(alone.ok()) << alone.message().toStdString();
    const data::ReadTransaction batch(*m_database);
    ASSERT_TRUE(batch.begun().ok()) << batch.begun().message().toStdString();
    {
        const data::ReadTransaction report(*m_database);
        data::Query failing(*m_database, QStringLiteral("q"),
                            {QStringLiteral("select 1 / 0 where cast(:datumod as date) <= cast(:datumdo as date)")});
        ASSERT_FALSE(failing.open(From, To).ok());
    }
    const Result<QString> after = visitReport();
    ASSERT_TRUE(after.ok()) << after.message().toStdString();
    EXPECT_EQ(*after, *alone);
}

// ---------------------------------------------------------------------------
// The loader keeps what each value means to the statements.

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER();
        m_name = QStringLiteral("loader_%1").arg(QCoreApplication::applicationPid());
        Admin().recreate(m_name);
    }
    void TearDown() override
    {
        if (serverPort())
            Admin().exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    }
    QString m_name;
};

TEST_F(LoaderTest, RefusesValuesPostgreSQLWouldChange)
{
    struct Case {
        const char *name;
        const char *statement; // run on a source with one good visit
        const char *expected;  // in the error; null: loads
    };
    const Case cases[] = {
        {"good rows", "select 1", nullptr},
        {"empty date text", "update osigurenici set DAT_R = ''", nullptr},
        {"a date that is no date", "update osigurenici set DAT_R = '2023-02-30'",
         "table osigurenici, row 1, column DAT_R: '2023-02-30' is not a date"},
        {"a date with a time", "update PREGLEDI1 set DATA = '2024-03-15 10:00'", "column DATA"},
        {"a visit date as an old import wrote it", "update PREGLEDI1 set DATA = '15.03.2024'", nullptr},
        {"a birth date as an old import wrote it", "update osigurenici set DAT_R = '15.03.1980'", "column DAT_R"},
        {"a settlement code that is empty text", "update osigurenici set MESTO_S = ''",
         "column MESTO_S: '' is not an integer"},
        {"a boolean 2", "update Lekari set aktiven = 2", "column aktiven"},
        {"a boolean text", "update Lekari set aktiven = 'true'", "column aktiven"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        tarel::testing::SourceDatabase source;
        source.addVisit({});
        source.addDoctor(QStringLiteral("L01"), QStringLiteral("O'Neil"), QStringLiteral("Ana"), true);
        source.addInstitution(QStringLiteral("PZU"));
        source.exec(QString::fromLatin1(c.statement));
        const Result<demodb::CopyStats> copied = demodb::copyToServer(source.path(), loaderTarget(m_name), true);
        if (!c.expected) {
            EXPECT_TRUE(copied.ok()) << copied.message().toStdString();
            continue;
        }
        ASSERT_FALSE(copied.ok());
        EXPECT_TRUE(copied.message().contains(QLatin1String(c.expected))) << copied.message().toStdString();
    }
}

TEST_F(LoaderTest, KeepsTablesUnlessToldToReplaceThemAndLeavesThemWholeOnFailure)
{
    tarel::testing::SourceDatabase first;
    first.addVisit({});
    first.addDoctor(QStringLiteral("L01"), QStringLiteral("O'Neil"), QStringLiteral("Ana"), true);
    ASSERT_TRUE(demodb::copyToServer(first.path(), loaderTarget(m_name), false).ok());

    tarel::testing::SourceDatabase second;
    second.addDoctor(QStringLiteral("L02"), QStringLiteral("Petrov"), QStringLiteral("Ivan"), true);
    second.exec(QStringLiteral("insert into Lekari (lekar_s, aktiven) values ('L03', 5)"));
    const Result<demodb::CopyStats> kept = demodb::copyToServer(second.path(), loaderTarget(m_name), false);
    ASSERT_FALSE(kept.ok());
    EXPECT_TRUE(kept.message().contains(QLatin1String("--force"))) << kept.message().toStdString();
    // Replacing fails on the bad boolean: the old tables stay as they were.
    EXPECT_FALSE(demodb::copyToServer(second.path(), loaderTarget(m_name), true).ok());

    Result<std::unique_ptr<data::Database>> database = data::Database::open(postgresAlias(m_name));
    ASSERT_TRUE(database.ok()) << database.message().toStdString();
    Result<std::vector<data::Doctor>> doctors = (*database)->doctors();
    ASSERT_TRUE(doctors.ok()) << doctors.message().toStdString();
    ASSERT_EQ(doctors->size(), 1u);
    EXPECT_EQ(doctors->front().name, QStringLiteral("O'Neil Ana"));
}

} // namespace
