// The source on a server engine (Firebird, MariaDB, or MariaDB through ODBC,
// as TAREL_ENGINE says; one executable each) gives exactly what SQLite gives
// over the same rows: the six reports, their data check and the visits
// behind a number, byte for byte; and every way a connection fails ends a run
// with a clear error, never a hang.
//
// The servers are the suite's own (fb-server, mariadb-server beside this
// file, named by TAREL_FB_SERVER and TAREL_MARIADB_SERVER); without the one
// an engine needs, its tests skip.

#include "cellvisits.h"
#include "database.h"
#include "engine.h"
#include "runform.h"
#include "figuresdata.h"
#include "firebirddriver.h"
#include "prepared.h"
#include "preparedfile.h"
#include "serverloader.h"
#include "loopbacksocket.h"
#include "sourcedatabase.h"
#include "sourcerecords.h"
#include "template.h"
#include "visitsource.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>

using namespace tarel;

namespace {

enum class Kind { Firebird, MariaDB, Odbc };
constexpr Kind kEngine = Kind(TAREL_ENGINE);

const char *engineName()
{
    switch (kEngine) {
    case Kind::Firebird:
        return "Firebird";
    case Kind::MariaDB:
        return "MariaDB";
    case Kind::Odbc:
        return "ODBC (MariaDB Connector/ODBC)";
    }
    return "";
}

QString readFirstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

// The suite's server of the engine: its folder, port and (MariaDB) socket.
struct Server {
    QString dir;
    int port = -1;
    QString socket;
};

std::optional<Server> server()
{
    const QString dir = qEnvironmentVariable(kEngine == Kind::Firebird ? "TAREL_FB_SERVER" : "TAREL_MARIADB_SERVER");
    if (dir.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int port = readFirstLine(dir + QStringLiteral("/port")).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return Server{dir, port, readFirstLine(dir + QStringLiteral("/socket"))};
}

#define REQUIRE_SERVER()                                                                                    \
    if (!server())                                                                                          \
    GTEST_SKIP() << engineName() << " server not available (its server programs are not installed; run "  \
                                    "the tests with ctest, which starts one)"

// The database of that name: a file in the server's folder on Firebird.
QString databaseName(const QString &name)
{
    return kEngine == Kind::Firebird ? server()->dir + QStringLiteral("/data/%1.fdb").arg(name) : name;
}

data::AliasSettings alias(const QString &name, const QString &password = QStringLiteral("secret"))
{
    data::AliasSettings settings;
    settings.alias = QStringLiteral("pelorida");
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = server() ? server()->port : -1;
    settings.user = kEngine == Kind::Firebird ? QStringLiteral("TAREL") : QStringLiteral("tarel");
    settings.password = password;
    settings.connectTimeoutSeconds = 5;
    switch (kEngine) {
    case Kind::Firebird:
        settings.driver = QStringLiteral("QIBASE");
        settings.database = databaseName(name);
        break;
    case Kind::MariaDB:
        settings.driver = QStringLiteral("QMYSQL");
        settings.database = name;
        break;
    case Kind::Odbc:
        settings.driver = QStringLiteral("QODBC");
        settings.database = QStringLiteral("DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=%1;DATABASE=%2")
                                .arg(settings.port)
                                .arg(name);
        settings.host.clear();
        settings.port = -1;
        break;
    }
    return settings;
}

demodb::ServerTarget target(const QString &name)
{
    demodb::ServerTarget target;
    target.engine = kEngine == Kind::Firebird ? data::Engine::Firebird : data::Engine::MySQL;
    target.host = QStringLiteral("127.0.0.1");
    target.port = server()->port;
    target.database = databaseName(name);
    target.user = kEngine == Kind::Firebird ? QStringLiteral("TAREL") : QStringLiteral("tarel");
    target.password = QStringLiteral("secret");
    return target;
}

// A connection of the test's own, for what the program never does: create
// databases, hold locks, end sessions. Firebird: SYSDBA on the database;
// MariaDB: root over the socket.
class Admin {
public:
    explicit Admin(const QString &name = {}) : m_name(QStringLiteral("admin-%1").arg(++s_counter))
    {
        QSqlDatabase db;
        if (kEngine == Kind::Firebird) {
            data::registerFirebirdDriver();
            db = QSqlDatabase::addDatabase(QLatin1String(data::FirebirdDriverName), m_name);
            db.setHostName(QStringLiteral("127.0.0.1"));
            db.setPort(server()->port);
            db.setDatabaseName(databaseName(name));
            db.setUserName(QStringLiteral("SYSDBA"));
            db.setPassword(QStringLiteral("masterkey"));
            db.setConnectOptions(QStringLiteral("read_write;connect_timeout=5"));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), m_name);
            db.setDatabaseName(name);
            db.setUserName(QStringLiteral("root"));
            db.setConnectOptions(QStringLiteral("UNIX_SOCKET=%1").arg(server()->socket));
        }
        if (!db.open())
            ADD_FAILURE() << "admin connection: " << db.lastError().text().toStdString();
    }
    ~Admin()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    bool exec(const QString &sql)
    {
        QSqlQuery query(db());
        if (query.exec(sql))
            return true;
        ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return false;
    }
    // A fresh database of that name (Firebird: the loader creates the file).
    static void recreate(const QString &name)
    {
        if (kEngine == Kind::Firebird) {
            QFile::remove(databaseName(name));
            return;
        }
        Admin admin;
        admin.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        admin.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    }

private:
    static inline int s_counter = 0;
    QString m_name;
};

// Ends the program's session from the admin connection, as an administrator
// or a server restart does.
void endSession(Admin &admin, const QString &session)
{
    if (kEngine == Kind::Firebird)
        admin.exec(QStringLiteral("delete from mon$attachments where mon$attachment_id = %1").arg(session));
    else
        admin.exec(QStringLiteral("KILL %1").arg(session));
}

QString sessionOf(data::Database &database)
{
    QSqlQuery query(database.connection());
    const QString text = kEngine == Kind::Firebird ? QStringLiteral("select current_connection from rdb$database")
                                                   : QStringLiteral("select connection_id()");
    if (!query.exec(text) || !query.next())
        return {};
    return query.value(0).toString();
}

// ---------------------------------------------------------------------------
// The same rows in SQLite and on the server.

// A prepared report without what names the database, and without the count
// of visit dates that are not dates, which a date column cannot hold (the
// loader stores them as NULL, which no period selects either).
Result<QByteArray> preparedReport(data::Database &database, const engine::Request &request)
{
    Result<report::TfrxReport> filled = tarel::testing::runForm(database, request);
    if (!filled)
        return filled.error();
    auto kept = std::make_shared<result::RunResult>(*filled->result);
    kept->request = {};
    kept->check->nonIsoVisitDates = 0;
    filled->result = std::move(kept);
    return report::serializePrepared(report::prepare(*filled));
}

Result<QByteArray> cellListing(data::Database &database, const engine::Request &request, const QString &cell)
{
    Result<engine::CellListing> listing = engine::listCellVisits(database, request, cell);
    if (!listing)
        return listing.error();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    engine::writeCellVisitsCsv(listing->cell, listing->lines, buffer);
    return buffer.data();
}

// A source with the rows a patient-administration database gets wrong and a
// server can hold with the same meaning: persons listed twice and three
// times, visits of nobody, NULL and empty numbers, settlement codes missing,
// kinds and doctor codes that differ only in case or blanks, multibyte
// names, birth dates missing or empty, visit dates of an old import.
void fillHostile(tarel::testing::SourceDatabase &db)
{
    std::mt19937 random(20250101);
    auto pick = [&](const std::vector<QVariant> &pool) { return pool[random() % pool.size()]; };
    const std::vector<QVariant> numbers{
        QStringLiteral("0101980450012"), QStringLiteral("0202985455023"), QStringLiteral("1503010400001"),
        QStringLiteral("2004015405002"), QStringLiteral("\u0160\u010c0198045501"), QStringLiteral("0909990400077"),
        QStringLiteral("0808880500088"), QStringLiteral("9999999999999"), QVariant(), QString(QLatin1String("")),
        QStringLiteral("0101980450012 ")};
    const std::vector<QVariant> dates{QStringLiteral("2024-01-01"), QStringLiteral("2024-01-31"),
                                      QStringLiteral("2024-02-03"), QStringLiteral("2024-03-15"),
                                      QStringLiteral("2024-12-31"), QStringLiteral("2023-06-30"),
                                      QStringLiteral("15.03.2024"), QString(QLatin1String("")), QVariant()};
    const std::vector<QVariant> kinds{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                      QStringLiteral(" 1"), QStringLiteral("1 "), QVariant()};
    const std::vector<QVariant> doctors{QStringLiteral("L01"), QStringLiteral("l01"), QStringLiteral("L01 "),
                                        QStringLiteral("O'Neil"), QVariant(), QStringLiteral("\u041b01")};
    const std::vector<QVariant> categories{QStringLiteral("A01"), QStringLiteral("J06"), QStringLiteral("I10"),
                                           QStringLiteral("E11"), QStringLiteral("O80"), QStringLiteral("a01"),
                                           QVariant()};
    const std::vector<QVariant> settlements{qlonglong(400017), qlonglong(412066), qlonglong(300100), qlonglong(0),
                                            QVariant()};
    const std::vector<QVariant> births{QStringLiteral("1980-01-01"), QStringLiteral("2010-06-15"),
                                       QStringLiteral("2019-02-28"), QStringLiteral("2023-12-31"),
                                       QString(QLatin1String("")), QVariant()};
    const std::vector<QVariant> names{QStringLiteral("PETROVSKI"), QStringLiteral("\u041f\u0435\u0442\u0440\u043e\u0432"),
                                      QVariant(), QString(QLatin1String("")), QStringLiteral("O'Brien")};

    db.exec(QStringLiteral("BEGIN"));
    db.addInstitution(QStringLiteral("PZU \u0422\u0435\u0441\u0442"));
    db.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Marko"), true);
    db.addDoctor(QStringLiteral("O'Neil"), QStringLiteral("O'Neil"), QStringLiteral("Ana"), true);
    db.addDoctor(QStringLiteral("L09"), QStringLiteral("Retired"), QStringLiteral("One"), false);
    for (int i = 0; i < 9; ++i) {
        const QVariant &mb = numbers[std::size_t(i % 7)];
        // 0909... twice, 0808... three times.
        const int copies = i == 5 ? 2 : i == 6 ? 3 : 1;
        for (int c = 0; c < copies; ++c)
            db.insert(QStringLiteral("osigurenici"), {{"MB", mb},
                                                      {"DAT_R", births[std::size_t((i + c) % births.size())]},
                                                      {"MESTO_S", settlements[std::size_t((i + c) % settlements.size())]},
                                                      {"OSNOV", c % 2 ? QStringLiteral("1") : QStringLiteral("5")},
                                                      {"CLEN", QStringLiteral("00")}});
    }
    for (int i = 0; i < 3000; ++i)
        db.insert(QStringLiteral("PREGLEDI1"), {{"RED_BR", i + 1},
                                                {"MB", pick(numbers)},
                                                {"PRE", pick(names)},
                                                {"IME", pick(names)},
                                                {"LEKAR_S", pick(doctors)},
                                                {"S_DIJA", pick(categories)},
                                                {"VidNaUsluga", pick(kinds)},
                                                {"DATA", pick(dates)},
                                                {"S_DIJA2", QString(QLatin1String(""))}});
    db.exec(QStringLiteral("COMMIT"));
}

class SameRows : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_SERVER(); }

    // Loads the SQLite file into a fresh server database and opens both.
    void load(const QString &sqlite, const QString &name)
    {
        Admin::recreate(name);
        const Result<demodb::CopyStats> copied = demodb::copyToServer(sqlite, target(name), true);
        ASSERT_TRUE(copied.ok()) << copied.message().toStdString();
        Result<std::unique_ptr<data::Database>> lite = data::Database::open(data::sqliteFile(sqlite));
        ASSERT_TRUE(lite.ok()) << lite.message().toStdString();
        Result<std::unique_ptr<data::Database>> other = data::Database::open(alias(name));
        ASSERT_TRUE(other.ok()) << other.message().toStdString();
        m_sqlite = std::move(*lite);
        m_server = std::move(*other);
    }

    // Runs every report for the doctors over the periods on both engines.
    void compareReports(const std::vector<std::optional<data::Doctor>> &doctors,
                        const std::vector<std::pair<QDate, QDate>> &periods)
    {
        for (const engine::ReportDefinition &report : engine::reportTable()) {
            const bool morbidity = report.kind == engine::ReportKind::Morbidity;
            for (const auto &[from, to] : periods)
                for (const std::optional<data::Doctor> &doctor : doctors)
                    for (data::AreaFilter area : {data::AreaFilter::Both, data::AreaFilter::Urban, data::AreaFilter::Rural}) {
                        if (!morbidity && (doctor || area != data::AreaFilter::Both))
                            continue;
                        engine::Request request;
                        request.report = &report;
                        request.from = from;
                        request.to = to;
                        request.doctor = doctor;
                        request.area = area;
                        request.today = QDate(2025, 1, 1);
                        SCOPED_TRACE(report.commandName().toStdString() + " " + from.toString(Qt::ISODate).toStdString()
                                     + " to " + to.toString(Qt::ISODate).toStdString() + ", "
                                     + request.doctorText().toStdString() + ", " + request.areaText().toStdString());
                        const Result<QByteArray> expected = preparedReport(*m_sqlite, request);
                        const Result<QByteArray> got = preparedReport(*m_server, request);
                        ASSERT_TRUE(expected.ok()) << expected.message().toStdString();
                        ASSERT_TRUE(got.ok()) << got.message().toStdString();
                        EXPECT_TRUE(*got == *expected) << "the prepared reports differ";
                        ++s_reports;
                        // The visits behind the grand total, as a list.
                        const QString cell = morbidity ? QStringLiteral("v4") : QStringLiteral("vkupno");
                        const Result<QByteArray> listed = cellListing(*m_sqlite, request, cell);
                        const Result<QByteArray> listedThere = cellListing(*m_server, request, cell);
                        ASSERT_TRUE(listed.ok()) << listed.message().toStdString();
                        ASSERT_TRUE(listedThere.ok()) << listedThere.message().toStdString();
                        EXPECT_TRUE(*listedThere == *listed) << "the visits behind " << cell.toStdString() << " differ";
                        ++s_lists;
                    }
        }
    }

    static inline int s_reports = 0;
    static inline int s_lists = 0;
    std::unique_ptr<data::Database> m_sqlite;
    std::unique_ptr<data::Database> m_server;

public:
    static void TearDownTestSuite()
    {
        if (s_reports)
            std::printf("[ info     ] %s: %d reports with their data check and %d lists of the visits behind a "
                        "number compared byte for byte with SQLite's\n",
                        engineName(), s_reports, s_lists);
    }
};

TEST_F(SameRows, DemoDatabaseGivesSQLitesReports)
{
    QTemporaryDir dir;
    const QString sqlite = dir.filePath(QStringLiteral("demo.sqlite"));
    demodb::DemoOptions options;
    options.visits = 6000;
    options.seed = 20240630;
    options.months = 12;
    options.lastDay = QDate(2024, 6, 30);
    ASSERT_TRUE(demodb::writeDemoDatabase(sqlite, options).ok());
    load(sqlite, QStringLiteral("demo_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(m_server);

    const Result<std::vector<data::Doctor>> doctors = m_sqlite->doctors();
    const Result<std::vector<data::Doctor>> there = m_server->doctors();
    ASSERT_TRUE(doctors.ok() && there.ok() && !doctors->empty());
    ASSERT_EQ(there->size(), doctors->size());
    for (std::size_t i = 0; i < doctors->size(); ++i)
        EXPECT_EQ((*there)[i].name, (*doctors)[i].name);
    // The data's edges: its first day, its last day, a period that begins
    // before the data, and the whole year.
    compareReports({std::nullopt, doctors->front()}, {{QDate(2023, 7, 1), QDate(2023, 7, 1)},
                                                      {QDate(2024, 6, 30), QDate(2024, 6, 30)},
                                                      {QDate(2022, 1, 1), QDate(2023, 9, 30)},
                                                      {QDate(2023, 7, 1), QDate(2024, 6, 30)}});
}

TEST_F(SameRows, HostileRowsGiveSQLitesReports)
{
    tarel::testing::SourceDatabase source;
    fillHostile(source);
    load(source.path(), QStringLiteral("hostile_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(m_server);
    const Result<std::vector<data::Doctor>> doctors = m_sqlite->doctors();
    ASSERT_TRUE(doctors.ok());
    ASSERT_EQ(doctors->size(), 2u);
    compareReports({std::nullopt, (*doctors)[0], (*doctors)[1]},
                   {{QDate(2023, 1, 1), QDate(2025, 12, 31)}, {QDate(2024, 1, 1), QDate(2024, 3, 31)},
                    {QDate(2024, 3, 15), QDate(2024, 3, 15)}});
}

// A Firebird database file opened without a server, by the client library
// itself, reads as the same file on a server does.
TEST_F(SameRows, AFirebirdFileWithoutAServerGivesSQLitesReports)
{
    if (kEngine != Kind::Firebird)
        GTEST_SKIP() << "a Firebird alias only";
    QTemporaryDir dir;
    tarel::testing::SourceDatabase source;
    fillHostile(source);
    demodb::ServerTarget file;
    file.engine = data::Engine::Firebird;
    file.database = dir.filePath(QStringLiteral("embedded.fdb"));
    const Result<demodb::CopyStats> copied = demodb::copyToServer(source.path(), file, false);
    ASSERT_TRUE(copied.ok()) << copied.message().toStdString();
    data::AliasSettings settings = alias(QString());
    settings.host.clear();
    settings.port = -1;
    settings.user.clear();
    settings.password.clear();
    settings.database = file.database;
    Result<std::unique_ptr<data::Database>> lite = data::Database::open(data::sqliteFile(source.path()));
    Result<std::unique_ptr<data::Database>> embedded = data::Database::open(settings);
    ASSERT_TRUE(lite.ok() && embedded.ok()) << (embedded ? "" : embedded.message().toStdString());
    m_sqlite = std::move(*lite);
    m_server = std::move(*embedded);
    compareReports({std::nullopt}, {{QDate(2023, 1, 1), QDate(2025, 12, 31)}});
}

// The figures a source counts, on the small database where each has a known
// value (tests/support/figuresdata.h).
TEST_F(SameRows, FiguresHaveTheirKnownValues)
{
    tarel::testing::SourceDatabase source;
    for (const QString &statement : tarel::testing::figureRows())
        source.exec(statement);
    load(source.path(), QStringLiteral("figures_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(m_server);
    for (const tarel::testing::FigureCase &c : tarel::testing::figureCases(0)) {
        data::SourceFigures figures;
        const Result<void> read = data::visitSourceOf(*m_server)->read(
            c.selection, data::FieldBirthDate, [](const data::VisitRecord &) -> Result<void> { return {}; }, {},
            &figures);
        ASSERT_TRUE(read.ok()) << read.message().toStdString();
        EXPECT_TRUE(figures == c.figures) << c.what << ": " << figures.repeatedPersons << " " << figures.unmatchedVisits
                                          << " " << figures.noSettlementCode << " " << figures.nonIsoVisitDates;
    }
}

// What a source hands over for a selection: every row's texts, sorted, and
// the figures.
struct ReadRows {
    QStringList rows;
    data::SourceFigures figures;
};

Result<ReadRows> readRows(data::Database &database, data::VisitSourceKind kind, const data::VisitSelection &selection)
{
    ReadRows result;
    const Result<void> read = data::visitSourceOf(database, kind)->read(
        selection, data::IdentityFields | data::FieldInsuranceBasis | data::FieldMember,
        [&](const data::VisitRecord &r) -> Result<void> {
            result.rows << QStringList{r.rowNumber.toString(), r.visitDate.toString(), r.citizenNumber.toString(),
                                       r.birthDate.toString(), r.settlement.toString(), r.kind.toString(),
                                       r.doctor.toString(), r.surname.toString(), r.name.toString(),
                                       r.category.toString(), r.insuranceBasis.toString(), r.member.toString(),
                                       r.urban ? QStringLiteral("urban") : QStringLiteral("rural")}
                               .join(QLatin1Char('|'));
            return {};
        },
        {}, &result.figures);
    if (!read)
        return read.error();
    std::sort(result.rows.begin(), result.rows.end());
    return result;
}

// The selections of the program's join that decide on the keys and the
// settlement codes: every area, a doctor, a short period, the visit
// statements.
std::vector<data::VisitSelection> joinSelections()
{
    std::vector<data::VisitSelection> selections;
    for (const auto &[from, to] : {std::pair{QDate(2023, 1, 1), QDate(2025, 12, 31)},
                                   std::pair{QDate(2024, 3, 15), QDate(2024, 3, 15)}})
        for (data::VisitSelection &selection : tarel::testing::selectionsOver(from, to, {QStringLiteral("L01")}))
            selections.push_back(std::move(selection));
    return selections;
}

// The program's join and the server's give the same rows and figures, keys
// that differ in trailing NUL bytes included (Firebird's OCTETS pads with
// them, MariaDB's binary collation does not); with keys of a collation that
// ignores case and trailing blanks the server joins, as before.
TEST_F(SameRows, TheProgramsJoinIsTheServersWhateverTheKeysCompareBy)
{
    tarel::testing::SourceDatabase source;
    fillHostile(source);
    const QString name = QStringLiteral("keys_%1").arg(QCoreApplication::applicationPid());
    load(source.path(), name);
    ASSERT_TRUE(m_server);
    {
        Admin admin(name);
        const QString visit = kEngine == Kind::Firebird
            ? QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, DATA, VidNaUsluga, LEKAR_S) values (%1, x'%2', "
                             "'2024-03-15', '1', 'L01')")
            : QStringLiteral("insert into pregledi1 (RED_BR, MB, DATA, VidNaUsluga, LEKAR_S) values (%1, x'%2', "
                             "'2024-03-15', '1', 'L01')");
        admin.exec(QStringLiteral("insert into osigurenici (MB, MESTO_S, DAT_R) values (x'4e554c31', 400017, '1990-01-01')"));
        admin.exec(visit.arg(9001).arg(QLatin1String("4e554c31")));
        admin.exec(visit.arg(9002).arg(QLatin1String("4e554c3100")));
        admin.exec(visit.arg(9003).arg(QLatin1String("4e554c310000")));
    }
    const auto compare = [&](data::Database &database) {
        std::vector<data::SourceFigures> figures;
        for (const data::VisitSelection &selection : joinSelections()) {
            SCOPED_TRACE(selection.from.toString(Qt::ISODate).toStdString() + " "
                         + data::areaName(selection.area).toStdString() + " " + selection.doctorCode.value_or("").toStdString()
                         + (selection.statement == data::VisitSelection::Statement::Visits ? " visits" : ""));
            const Result<ReadRows> program = readRows(database, data::VisitSourceKind::Automatic, selection);
            const Result<ReadRows> server = readRows(database, data::VisitSourceKind::ServerJoin, selection);
            EXPECT_TRUE(program.ok() && server.ok()) << (program ? server.message() : program.message()).toStdString();
            if (!program || !server)
                return figures;
            EXPECT_EQ(program->rows, server->rows);
            EXPECT_TRUE(program->figures == server->figures)
                << program->figures.unmatchedVisits << " " << server->figures.unmatchedVisits;
            figures.push_back(server->figures);
        }
        return figures;
    };
    const std::vector<data::SourceFigures> bytewise = compare(*m_server);

    // Keys compared without regard to trailing blanks (and case on MariaDB).
    {
        Admin admin(name);
        if (kEngine == Kind::Firebird) {
            admin.exec(QStringLiteral("drop index osigurenici_mb"));
            for (const char *table : {"PREGLEDI1", "osigurenici"}) {
                admin.exec(QStringLiteral("alter table %1 add MB_TEXT varchar(500) character set UTF8").arg(QLatin1String(table)));
                admin.exec(QStringLiteral("update %1 set MB_TEXT = MB").arg(QLatin1String(table)));
                admin.exec(QStringLiteral("alter table %1 drop MB").arg(QLatin1String(table)));
                admin.exec(QStringLiteral("alter table %1 alter column MB_TEXT to MB").arg(QLatin1String(table)));
            }
        } else {
            for (const char *table : {"pregledi1", "osigurenici"})
                admin.exec(QStringLiteral("alter table %1 modify MB varchar(500) collate utf8mb4_general_ci")
                               .arg(QLatin1String(table)));
        }
    }
    Result<std::unique_ptr<data::Database>> reopened = data::Database::open(alias(name));
    ASSERT_TRUE(reopened.ok()) << reopened.message().toStdString();
    const std::vector<data::SourceFigures> collated = compare(**reopened);
    // "0101980450012 " now is the person "0101980450012": fewer unmatched visits.
    ASSERT_EQ(collated.size(), bytewise.size());
    EXPECT_LT(collated.front().unmatchedVisits, bytewise.front().unmatchedVisits);
}

// The user's cancel ends the read of the persons and of the visits alike.
TEST_F(SameRows, ACancelEndsTheProgramsJoinInEitherStage)
{
    tarel::testing::SourceDatabase source;
    fillHostile(source);
    load(source.path(), QStringLiteral("cancel_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(m_server);
    data::VisitSelection selection;
    selection.statement = data::VisitSelection::Statement::Visits;
    selection.from = QDate(2023, 1, 1);
    selection.to = QDate(2025, 12, 31);
    for (data::ReadProgress::Stage stage : {data::ReadProgress::Stage::Persons, data::ReadProgress::Stage::Visits}) {
        std::atomic<bool> cancel = false;
        data::ReadControl control;
        control.cancel = &cancel;
        control.progress = [&](const data::ReadProgress &progress) { cancel = cancel || progress.stage == stage; };
        qint64 rows = 0;
        const Result<void> read = data::visitSourceOf(*m_server)->read(
            selection, data::FieldBirthDate, [&](const data::VisitRecord &) -> Result<void> {
                ++rows;
                return {};
            },
            control);
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().kind, ErrorKind::Cancelled) << read.message().toStdString();
        EXPECT_EQ(rows, 0);
    }
}

// An error of the run at a visit names that visit, as the visit reads.
TEST_F(SameRows, AnErrorAtAVisitNamesIt)
{
    tarel::testing::SourceDatabase source;
    fillHostile(source);
    load(source.path(), QStringLiteral("named_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(m_server);
    data::VisitSelection selection;
    selection.queryName = QStringLiteral("qMorbidity");
    selection.from = QDate(2023, 1, 1);
    selection.to = QDate(2025, 12, 31);
    for (int stopAt : {1, 150}) {
        int rows = 0;
        QString named;
        const Result<void> read = data::visitSourceOf(*m_server)->read(
            selection, data::FieldRowNumber | data::FieldVisitDate | data::FieldSurname | data::FieldName,
            [&](const data::VisitRecord &r) -> Result<void> {
                if (++rows < stopAt)
                    return {};
                named = data::visitLine(r.rowNumber, r.visitDate, r.surname, r.name);
                return fail(QStringLiteral("stopped"));
            });
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.message(), QStringLiteral("stopped\n") + named);
        EXPECT_TRUE(named.startsWith(QLatin1String("Visit RED_BR "))) << named.toStdString();
    }
}

// ---------------------------------------------------------------------------
// Connections that fail.

class Failures : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SERVER();
        m_name = QStringLiteral("failures_%1").arg(QCoreApplication::applicationPid());
        tarel::testing::SourceDatabase source;
        source.exec(QStringLiteral("BEGIN"));
        source.addInstitution(QStringLiteral("PZU"));
        source.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Marko"), true);
        for (int i = 0; i < 200; ++i)
            source.addVisit({});
        source.exec(QStringLiteral("COMMIT"));
        Admin::recreate(m_name);
        const Result<demodb::CopyStats> copied = demodb::copyToServer(source.path(), target(m_name), true);
        ASSERT_TRUE(copied.ok()) << copied.message().toStdString();
    }

    static Result<QByteArray> visitReport(data::Database &database)
    {
        engine::Request request;
        request.report = engine::findReport(QStringLiteral("visits-general-medicine"));
        request.from = QDate(2024, 1, 1);
        request.to = QDate(2024, 12, 31);
        request.today = QDate(2025, 1, 1);
        return preparedReport(database, request);
    }

    QString m_name;
};

TEST_F(Failures, ConnectionsThatFailAreClearErrorsWithinTheirTime)
{
    const tarel::testing::LoopbackSocket closed(false);
    const tarel::testing::LoopbackSocket silent(true);
    struct Case {
        const char *name;
        data::AliasSettings settings;
        const char *expected;
        int atMostMs;
    };
    std::vector<Case> cases;
    data::AliasSettings wrong = alias(m_name, QStringLiteral("wrong"));
    cases.push_back({"wrong password", wrong, "refused the login of user", 5000});
    if (kEngine == Kind::Odbc) {
        data::AliasSettings missing = alias(m_name);
        missing.database.replace(QStringLiteral("MariaDB Unicode"), QStringLiteral("No Such Driver"));
        cases.push_back({"ODBC driver not installed", missing, "install its package", 5000});
        data::AliasSettings dsn = alias(m_name);
        dsn.database = QStringLiteral("tarel_no_such_dsn");
        cases.push_back({"ODBC data source not defined", dsn, "is not defined", 5000});
    } else {
        data::AliasSettings refused = alias(m_name);
        refused.port = closed.port();
        data::AliasSettings unanswered = alias(m_name);
        unanswered.port = silent.port();
        unanswered.connectTimeoutSeconds = 2;
        data::AliasSettings unknown = alias(QStringLiteral("no_such_database"));
        cases.push_back({"server down", refused, "cannot be reached", 3000});
        cases.push_back({"server that never answers", unanswered, "cannot be reached", 8000});
        cases.push_back({"unknown database", unknown, "does not exist", 5000});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer timer;
        timer.start();
        const Result<std::unique_ptr<data::Database>> opened = data::Database::open(c.settings);
        const qint64 elapsed = timer.elapsed();
        ASSERT_FALSE(opened.ok());
        EXPECT_TRUE(opened.message().contains(QLatin1String(c.expected))) << opened.message().toStdString();
        EXPECT_FALSE(opened.message().contains(QLatin1Char('\n'))) << opened.message().toStdString();
        EXPECT_LT(elapsed, c.atMostMs);
        std::printf("[ info     ] %s, %s (%lld ms): %s\n", engineName(), c.name, elapsed,
                    qPrintable(opened.message()));
    }
    EXPECT_TRUE(data::Database::open(alias(m_name)).ok());
}

// A writer that holds the visits ends a run after the alias's lock_timeout
// with the words of a locked SQLite file, and once it lets go the same
// connection reads again: on MariaDB a LOCK TABLES (the metadata lock every
// statement needs). A Firebird snapshot never waits for a writer: a run
// beside a schema change not yet committed reads the rows as they were.
TEST_F(Failures, AWritersLockEndsTheRunAfterTheLockTimeout)
{
    if (kEngine == Kind::Odbc)
        GTEST_SKIP() << "the lock wait through ODBC is the engine's own, tested without ODBC";
    data::AliasSettings settings = alias(m_name);
    settings.lockTimeoutSeconds = 1;
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(settings);
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    const Result<QByteArray> before = visitReport(**opened);
    ASSERT_TRUE(before.ok()) << before.message().toStdString();

    Admin writer(m_name);
    if (kEngine == Kind::Firebird) {
        ASSERT_TRUE(writer.db().transaction());
        ASSERT_TRUE(writer.exec(QStringLiteral("alter table PREGLEDI1 add LOCKED_BY_TEST integer")));
        ASSERT_TRUE(writer.exec(QStringLiteral("delete from PREGLEDI1")));
    } else {
        ASSERT_TRUE(writer.exec(QStringLiteral("LOCK TABLES pregledi1 WRITE")));
    }
    QElapsedTimer timer;
    timer.start();
    const Result<QByteArray> during = visitReport(**opened);
    const qint64 elapsed = timer.elapsed();
    EXPECT_LT(elapsed, 6000);
    if (kEngine == Kind::Firebird) {
        ASSERT_TRUE(during.ok()) << during.message().toStdString();
        EXPECT_TRUE(*during == *before);
        writer.db().rollback();
    } else {
        ASSERT_FALSE(during.ok());
        EXPECT_TRUE(during.message().contains(QLatin1String("is locked: another program is writing to it, and it "
                                                            "stayed locked for 1 seconds")))
            << during.message().toStdString();
        std::printf("[ info     ] %s, table locked by a writer (%lld ms): %s\n", engineName(), elapsed,
                    qPrintable(during.message()));
        writer.exec(QStringLiteral("UNLOCK TABLES"));
    }
    EXPECT_TRUE(visitReport(**opened).ok());
}

TEST_F(Failures, AMissingTableIsAClearError)
{
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(alias(m_name));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    {
        Admin admin(m_name);
        admin.exec(kEngine == Kind::Firebird ? QStringLiteral("drop table PREGLEDI1") : QStringLiteral("drop table pregledi1"));
    }
    const Result<QByteArray> run = visitReport(**opened);
    ASSERT_FALSE(run.ok());
    EXPECT_TRUE(run.message().contains(QLatin1String("PREGLEDI1"), Qt::CaseInsensitive)) << run.message().toStdString();
    std::printf("[ info     ] %s, missing table: %s\n", engineName(), qPrintable(run.message()));
}

// A session ended while a run reads (a server restart, an administrator)
// ends that run with an error, never a report of the rows read so far; the
// next run opens the connection again and counts what a whole run counts.
TEST_F(Failures, ASessionEndedDuringARunFailsItAndTheNextRunConnectsAgain)
{
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(alias(m_name));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    data::Database &database = **opened;
    const Result<QByteArray> whole = visitReport(database);
    ASSERT_TRUE(whole.ok()) << whole.message().toStdString();

    const QString session = sessionOf(database);
    ASSERT_FALSE(session.isEmpty());
    Admin admin(kEngine == Kind::Firebird ? m_name : QString());
    engine::Request request;
    request.report = engine::findReport(QStringLiteral("visits-general-medicine"));
    request.from = QDate(2024, 1, 1);
    request.to = QDate(2024, 12, 31);
    request.today = QDate(2025, 1, 1);
    engine::RunOptions options;
    bool ended = false;
    options.control.progress = [&](const data::ReadProgress &) {
        if (!ended)
            endSession(admin, session);
        ended = true;
    };
    const Result<result::RunResult> cut = engine::run(database, request, options);
    ASSERT_TRUE(ended);
    ASSERT_FALSE(cut.ok()) << "a run whose session ended gave a report";
    // Through ODBC the loss has no code of its own.
    if (kEngine != Kind::Odbc) {
        EXPECT_TRUE(cut.message().contains(QLatin1String("was lost"))) << cut.message().toStdString();
    }
    std::printf("[ info     ] %s, session ended during a run: %s\n", engineName(), qPrintable(cut.message()));

    const Result<QByteArray> again = visitReport(database);
    ASSERT_TRUE(again.ok()) << again.message().toStdString();
    EXPECT_TRUE(*again == *whole);
}

} // namespace
