#include "commandline.h"
#include "generator.h"
#include "serverloader.h"

#include "agebands.h"
#include "catalogue.h"
#include "database.h"
#include "dates.h"
#include "statements.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

using namespace tarel;
using namespace tarel::demodb;

namespace {

const QDate LastDay(2025, 6, 30);

DemoOptions smallOptions(quint64 seed = 7, qint64 visits = 5000)
{
    DemoOptions options;
    options.visits = visits;
    options.seed = seed;
    options.lastDay = LastDay;
    return options;
}

// A connection of the test's own that may read anything (the program's
// connection is read-only and runs only its statements).
class Inspector {
public:
    explicit Inspector(const QString &path)
        : m_name(QStringLiteral("demo-inspector-%1").arg(++s_counter))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
    }
    ~Inspector()
    {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    qint64 count(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        if (!query.exec(sql) || !query.next()) {
            ADD_FAILURE() << "cannot run: " << sql.toStdString();
            return -1;
        }
        return query.value(0).toLongLong();
    }

    // A digest of every row of every table in stored order, NULL told apart
    // from the empty text.
    QByteArray digest() const
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const char *table : {"PREGLEDI1", "osigurenici", "Lekari", "PZO"}) {
            QSqlQuery query(QSqlDatabase::database(m_name));
            EXPECT_TRUE(query.exec(QStringLiteral("select * from %1 order by rowid").arg(QLatin1String(table))));
            const int columns = query.record().count();
            while (query.next()) {
                for (int i = 0; i < columns; ++i) {
                    const QVariant value = query.value(i);
                    hash.addData(value.isNull() ? QByteArray("\x01") : value.toString().toUtf8() + '\x02');
                }
                hash.addData(QByteArray("\n"));
            }
        }
        return hash.result();
    }

    const QString &name() const { return m_name; }

private:
    static inline int s_counter = 0;
    QString m_name;
};

class DemoDatabaseTest : public ::testing::Test {
protected:
    QString write(const QString &name, const DemoOptions &options)
    {
        const QString path = m_dir.filePath(name);
        const Result<DemoStats> stats = writeDemoDatabase(path, options);
        EXPECT_TRUE(stats.ok()) << (stats ? "" : stats.message().toStdString());
        if (stats)
            m_stats = *stats;
        return path;
    }

    QTemporaryDir m_dir;
    DemoStats m_stats;
};

TEST_F(DemoDatabaseTest, SameOptionsGiveTheSameContentsAndAnotherSeedOthers)
{
    const QString first = write(QStringLiteral("first.sqlite"), smallOptions(7));
    const QString again = write(QStringLiteral("again.sqlite"), smallOptions(7));
    const QString other = write(QStringLiteral("other.sqlite"), smallOptions(8));
    EXPECT_EQ(Inspector(first).digest().toHex(), Inspector(again).digest().toHex());
    EXPECT_NE(Inspector(first).digest().toHex(), Inspector(other).digest().toHex());
}

TEST_F(DemoDatabaseTest, WritesTheRequestedRowsInTheRequestedPeriod)
{
    const QString path = write(QStringLiteral("demo.sqlite"), smallOptions(3, 2000));
    Inspector db(path);
    EXPECT_EQ(m_stats.visits, 2000);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1")), 2000);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from osigurenici")), m_stats.persons);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from Lekari")), m_stats.doctors);
    EXPECT_GE(m_stats.doctors, 10);
    EXPECT_LE(m_stats.doctors, 15);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PZO")), 1);
    EXPECT_EQ(m_stats.firstDay, QDate(2023, 7, 1));
    // Every visit date is in the period, but for the few an old import wrote
    // as "DD.MM.YYYY" (visits 17, 5016, ...).
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1 where DATA glob '[0-3][0-9].[01][0-9].2[0-9][0-9][0-9]'")), 1);
    const QString iso = QStringLiteral(" and a.DATA glob '[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'");
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1 a where (DATA < '2023-07-01' or DATA > '2025-06-30'"
                                      " or DATA is null)")
                       + iso),
              0);
    // RED_BR numbers the visits 1..n in order of date.
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1 where RED_BR <> rowid")), 0);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1 a join PREGLEDI1 b on b.rowid = a.rowid + 1"
                                      " where b.DATA < a.DATA and b.DATA glob '2*'")
                       + iso),
              0);
    // No visit before the patient's birth.
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1 a join osigurenici o on o.MB = a.MB"
                                      " where o.DAT_R > a.DATA")
                       + iso),
              0);
}

// The citizen numbers: 13 digits whose date part is the birth date and whose
// characters 10 to 12 are the sex serial, so no report stops on them.
TEST_F(DemoDatabaseTest, CitizenNumbersCarryBirthDateAndSex)
{
    const QString path = write(QStringLiteral("demo.sqlite"), smallOptions());
    Inspector db(path);
    const QString thirteenDigits = QStringLiteral("'") + QString(QStringLiteral("[0-9]")).repeated(13) + QLatin1Char('\'');
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from PREGLEDI1 where MB is null or MB not glob ") + thirteenDigits), 0);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from osigurenici where MB is null or MB not glob ") + thirteenDigits), 0);
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from osigurenici where DAT_R is not null and"
                                      " substr(MB,1,4) || substr(MB,5,3) <>"
                                      " substr(DAT_R,9,2) || substr(DAT_R,6,2) || substr(DAT_R,2,3)")),
              0);
    const QString serial = QStringLiteral("cast(substr(MB,10,3) as integer)");
    EXPECT_GT(db.count(QStringLiteral("select count(*) from osigurenici where %1 < 500").arg(serial)), 0);
    EXPECT_GT(db.count(QStringLiteral("select count(*) from osigurenici where %1 > 499").arg(serial)), 0);
    // The female form of the surname goes with a female serial.
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from osigurenici where PRE like '%ski' and %1 > 499").arg(serial)), 0);
    // A person listed twice shares the number; every other number is unique.
    EXPECT_EQ(db.count(QStringLiteral("select count(*) from (select MB from osigurenici group by MB having count(*) > 2)")), 0);
}

// The quirks of real files that the reports must live with, each present.
TEST_F(DemoDatabaseTest, HoldsTheQuirksOfRealFiles)
{
    const QString path = write(QStringLiteral("demo.sqlite"), smallOptions(11, 20000));
    Inspector db(path);
    struct Case {
        const char *what;
        const char *sql;
    };
    const Case cases[] = {
        {"persons listed twice", "select count(*) from (select MB from osigurenici group by MB having count(*) = 2)"},
        {"visits of unregistered persons",
         "select count(*) from PREGLEDI1 p where not exists (select 1 from osigurenici o where o.MB = p.MB)"},
        {"persons without birth date", "select count(*) from osigurenici where DAT_R is null"},
        {"persons past 130 years", "select count(*) from osigurenici where DAT_R < '1895-06-30'"},
        {"infants under 2 months", "select count(*) from osigurenici where DAT_R > '2025-04-30'"},
        {"persons without settlement", "select count(*) from osigurenici where MESTO_S is null"},
        {"OSNOV with blanks", "select count(*) from osigurenici where OSNOV in (' 1', '1 ')"},
        {"OSNOV empty", "select count(*) from osigurenici where OSNOV = ''"},
        {"OSNOV NULL", "select count(*) from osigurenici where OSNOV is null"},
        {"OSNOV farmers", "select count(*) from osigurenici where OSNOV = '5'"},
        {"CLEN holders", "select count(*) from osigurenici where CLEN = '00'"},
        {"CLEN with a blank", "select count(*) from osigurenici where CLEN = '0 '"},
        {"CLEN NULL", "select count(*) from osigurenici where CLEN is null"},
        {"kinds of service other than 1 and 2", "select count(*) from PREGLEDI1 where VidNaUsluga in ('3', '4')"},
        {"kind of service empty", "select count(*) from PREGLEDI1 where VidNaUsluga = ''"},
        {"kind of service NULL", "select count(*) from PREGLEDI1 where VidNaUsluga is null"},
        {"sub-category empty", "select count(*) from PREGLEDI1 where S_DIJA2 = ''"},
        {"sub-category with a mark", "select count(*) from PREGLEDI1 where S_DIJA2 in ('0+', '*')"},
        {"K59 with 5", "select count(*) from PREGLEDI1 where S_DIJA = 'K59' and S_DIJA2 = '5'"},
        {"U codes", "select count(*) from PREGLEDI1 where S_DIJA like 'U%'"},
        {"sub-category written into the category", "select count(*) from PREGLEDI1 where length(S_DIJA) > 3"},
        {"visit dates not written as dates", "select count(*) from PREGLEDI1 where DATA like '__.__.____'"},
        {"visits of inactive doctors",
         "select count(*) from PREGLEDI1 p join Lekari l on l.lekar_s = p.LEKAR_S where l.aktiven = 0"},
        {"names in MAC C letters", "select count(*) from osigurenici where PRE glob '*[{}|`~^@\\[]*'"},
    };
    for (const Case &c : cases)
        EXPECT_GT(db.count(QString::fromLatin1(c.sql)), 0) << c.what;

    // Every ICD-10 chapter letter occurs.
    EXPECT_EQ(db.count(QStringLiteral("select count(distinct substr(S_DIJA, 1, 1)) from PREGLEDI1")), 26);
    // About 60 % of persons with a settlement live in an urban one.
    QStringList urban;
    for (int code : data::UrbanSettlementCodes)
        urban << QString::number(code);
    const double persons = double(db.count(QStringLiteral("select count(*) from osigurenici where MESTO_S is not null")));
    const double urbanPersons =
        double(db.count(QStringLiteral("select count(*) from osigurenici where MESTO_S in (%1)").arg(urban.join(u','))));
    EXPECT_NEAR(urbanPersons / persons, 0.6, 0.03);
}

// The program's own statements run against the file opened read-only, and
// the urban and rural passes together miss only the visits without a
// settlement code.
TEST_F(DemoDatabaseTest, TheProgramsStatementsRunOnIt)
{
    const QString path = write(QStringLiteral("demo.sqlite"), smallOptions(5, 20000));
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(data::sqliteFile(path));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    data::Database &database = **opened;

    Result<std::vector<data::Doctor>> doctors = database.doctors();
    ASSERT_TRUE(doctors.ok()) << doctors.message().toStdString();
    EXPECT_EQ(int(doctors->size()), m_stats.doctors - m_stats.inactiveDoctors);
    EXPECT_GE(m_stats.inactiveDoctors, 2);
    EXPECT_LE(m_stats.inactiveDoctors, 3);
    for (const data::Doctor &doctor : *doctors)
        EXPECT_TRUE(doctor.code != QLatin1String("L03") && doctor.code != QLatin1String("L07")
                    && doctor.code != QLatin1String("L12")) << doctor.code.toStdString();
    Result<data::Institution> institution = database.institution();
    ASSERT_TRUE(institution.ok());
    EXPECT_EQ(institution->naziv, QStringLiteral("PZU Zdravstven dom Pelagonija"));
    EXPECT_FALSE(institution->ziro.isEmpty());

    // The default period of the report panels: three months back to the last day.
    const QDate from = LastDay.addMonths(-3);
    auto rowsOf = [&](const QStringList &lines, const std::vector<std::pair<QString, QString>> &texts = {}) {
        data::Query query(database, QStringLiteral("q"), lines);
        const Result<void> open = query.open(from, LastDay, texts);
        EXPECT_TRUE(open.ok()) << (open ? "" : open.message().toStdString());
        qint64 rows = 0;
        while (query.next())
            ++rows;
        EXPECT_FALSE(query.error().has_value());
        return rows;
    };
    const std::vector<std::pair<QString, QString>> doctor{{QLatin1String(data::DoctorParameter), QStringLiteral("L01")}};
    const qint64 all = rowsOf(data::morbidityStatementFor(false, data::AreaFilter::Both));
    const qint64 urban = rowsOf(data::morbidityStatementFor(false, data::AreaFilter::Urban));
    const qint64 rural = rowsOf(data::morbidityStatementFor(false, data::AreaFilter::Rural));
    const qint64 oneDoctor = rowsOf(data::morbidityStatementFor(true, data::AreaFilter::Both), doctor);
    EXPECT_GT(urban, 0);
    EXPECT_GT(rural, 0);
    EXPECT_GT(oneDoctor, 0);
    EXPECT_LT(oneDoctor, all);
    EXPECT_LE(urban + rural, all);

    const qint64 urbanVisits = rowsOf(data::qPosetaDecaGradStatement());
    const qint64 ruralVisits = rowsOf(data::qPosetaDecaSeloStatement());
    EXPECT_GT(urbanVisits, 0);
    EXPECT_GT(ruralVisits, 0);

    Inspector db(path);
    const QString joined = QStringLiteral("select count(*) from PREGLEDI1 inner join osigurenici on osigurenici.MB = PREGLEDI1.MB"
                                          " where DATA between '%1' and '%2'")
                               .arg(from.toString(Qt::ISODate), LastDay.toString(Qt::ISODate));
    const qint64 withoutSettlement = db.count(joined + QStringLiteral(" and MESTO_S is null"));
    EXPECT_GT(withoutSettlement, 0);
    EXPECT_EQ(urbanVisits + ruralVisits + withoutSettlement, db.count(joined));
    EXPECT_EQ(urban + rural + db.count(joined + QStringLiteral(" and VidNaUsluga in ('1', '2') and MESTO_S is null")), all);
}

// Every band of every report holds visits in the default period of the
// panels at the default size; the morbidity bands hold both sexes.
TEST_F(DemoDatabaseTest, EveryBandOfEveryReportIsPopulated)
{
    const QString path = write(QStringLiteral("demo.sqlite"), smallOptions(1, 50000));
    Result<std::unique_ptr<data::Database>> opened = data::Database::open(data::sqliteFile(path));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    data::Query query(**opened, QStringLiteral("q"), data::morbidityStatementFor(false, data::AreaFilter::Both));
    ASSERT_TRUE(query.open(LastDay.addMonths(-3), LastDay).ok());

    using namespace tarel::tabulation;
    const BandSetDefinition *morbiditySets[] = {&calculateBands(), &calculate1Bands(), &calculate2Bands()};
    const BandSetDefinition *visitSets[] = {&calculate3Bands(), &calculate4Bands(), &calculate5Bands()};
    const DateTime reference = pickerValue(LastDay);
    struct Counted {
        const BandSetDefinition *set;
        PlacedBands placed;
        std::vector<std::array<int, 2>> bySex;
    };
    std::vector<Counted> counted;
    for (const BandSetDefinition *set : morbiditySets)
        counted.push_back({set, PlacedBands(*set, reference), {}});
    for (const BandSetDefinition *set : visitSets)
        counted.push_back({set, PlacedBands(*set, reference), {}});
    for (Counted &c : counted)
        c.bySex.assign(std::size_t(c.placed.size()), {0, 0});

    const int mb = query.field(u"MB"), birth = query.field(u"DAT_R");
    while (query.next()) {
        int birthDay = 0;
        ASSERT_TRUE(query.day(birth, &birthDay));
        const bool female = query.text(mb).mid(9, 3).toInt() > 499;
        for (Counted &c : counted)
            for (int band = 0; band < c.placed.size(); ++band)
                if (c.placed.holds(band, birthDay))
                    ++c.bySex[std::size_t(band)][female ? 1 : 0];
    }
    for (std::size_t s = 0; s < counted.size(); ++s) {
        const Counted &c = counted[s];
        for (int band = 0; band < c.placed.size(); ++band) {
            const auto &sexes = c.bySex[std::size_t(band)];
            const std::string what = c.set->name.toStdString() + " band " + std::to_string(band + 1);
            if (s < 3) {
                EXPECT_GT(sexes[0], 0) << what << " male";
                EXPECT_GT(sexes[1], 0) << what << " female";
            } else {
                EXPECT_GT(sexes[0] + sexes[1], 0) << what;
            }
        }
    }
}

TEST_F(DemoDatabaseTest, NeverOverwritesUnlessForcedAndLeavesNoPartialFile)
{
    const QString path = m_dir.filePath(QStringLiteral("existing.sqlite"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const Result<DemoStats> refused = writeDemoDatabase(path, smallOptions(1, 100));
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.message().contains(QStringLiteral("already exists"))) << refused.message().toStdString();
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("keep me"));
    }

    DemoOptions forced = smallOptions(1, 100);
    forced.force = true;
    ASSERT_TRUE(writeDemoDatabase(path, forced).ok());
    EXPECT_EQ(Inspector(path).count(QStringLiteral("select count(*) from PREGLEDI1")), 100);

    const Result<DemoStats> noFolder = writeDemoDatabase(m_dir.filePath(QStringLiteral("missing/demo.sqlite")), forced);
    EXPECT_FALSE(noFolder.ok());

    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("existing.sqlite")});
}

// The planted anomalies change the last calendar month only: the first
// doctor's visits are not there, acute bronchitis (J20) triples among what
// is left, children come with whooping cough (A37); every earlier row is as
// without them.
TEST_F(DemoDatabaseTest, PlantsTheAnomaliesInTheLastMonthOnly)
{
    DemoOptions options = smallOptions(5, 20000);
    const QString plain = write(QStringLiteral("plain.sqlite"), options);
    options.anomalies = true;
    const QString planted = write(QStringLiteral("planted.sqlite"), options);
    Inspector before(plain), after(planted);
    // RED_BR follows the dates: the rows before the last month come first.
    const qint64 firstOfMonth = before.count(
        QStringLiteral("select min(RED_BR) from PREGLEDI1 where DATA >= '2025-06-01' and DATA glob '2*'"));
    QSqlQuery attach(QSqlDatabase::database(after.name()));
    ASSERT_TRUE(attach.exec(QStringLiteral("attach database '%1' as plain").arg(plain)));
    const QString columns = QStringLiteral("RED_BR, DATA, MB, PRE, IME, LEKAR_S, S_DIJA, S_DIJA2, VidNaUsluga");
    EXPECT_EQ(after.count(QStringLiteral("select count(*) from (select %1 from main.PREGLEDI1 where RED_BR < %2"
                                         " except select %1 from plain.PREGLEDI1 where RED_BR < %2)")
                              .arg(columns)
                              .arg(firstOfMonth)),
              0);
    EXPECT_EQ(after.count(QStringLiteral("select count(*) from main.PREGLEDI1 where RED_BR < %1").arg(firstOfMonth)),
              firstOfMonth - 1);
    EXPECT_EQ(after.count(QStringLiteral("select count(*) from (select * from main.osigurenici except"
                                         " select * from plain.osigurenici)")),
              0);
    const QString earlier = QStringLiteral(" where RED_BR < %1").arg(firstOfMonth);
    const QString lastMonth = QStringLiteral(" where DATA between '2025-06-01' and '2025-06-30'");
    const auto count = [](const Inspector &db, const QString &where) {
        return db.count(QStringLiteral("select count(*) from PREGLEDI1") + where);
    };
    // The first doctor: visits in each month before, none in the last.
    EXPECT_GT(count(before, lastMonth + QStringLiteral(" and LEKAR_S = 'L01'")), 0);
    EXPECT_EQ(count(after, lastMonth + QStringLiteral(" and LEKAR_S = 'L01'")), 0);
    EXPECT_EQ(m_stats.visits, count(after, QString()));
    // J20 about three times what the month had; A37 only now.
    const qint64 bronchitisBefore = count(before, lastMonth + QStringLiteral(" and S_DIJA = 'J20'"));
    const qint64 bronchitisAfter = count(after, lastMonth + QStringLiteral(" and S_DIJA = 'J20'"));
    EXPECT_GT(bronchitisAfter, 5 * bronchitisBefore / 2) << bronchitisBefore << " " << bronchitisAfter;
    EXPECT_LT(bronchitisAfter, 3 * bronchitisBefore);
    EXPECT_EQ(count(before, QStringLiteral(" where S_DIJA = 'A37'")), 0);
    EXPECT_EQ(count(after, earlier + QStringLiteral(" and S_DIJA = 'A37'")), 0);
    EXPECT_GE(count(after, lastMonth + QStringLiteral(" and S_DIJA = 'A37'")), 20);
}

TEST(DemoCommandLine, ReadsOptionsAndRefusesBadOnes)
{
    struct Case {
        const char *what;
        QStringList arguments;
        bool ok;
        qint64 visits = 50000;
        quint64 seed = 1;
        int months = 24;
    };
    const Case cases[] = {
        {"file only", {"a.sqlite"}, true},
        {"all options", {"a.sqlite", "--visits", "1000000", "--seed", "42", "--months", "12", "--force"}, true, 1000000, 42, 12},
        {"options with =", {"--visits=10", "--seed=0x10", "a.sqlite"}, true, 10, 16},
        {"no file", {"--visits", "10"}, false},
        {"two files", {"a.sqlite", "b.sqlite"}, false},
        {"unknown option", {"a.sqlite", "--fast"}, false},
        {"missing value", {"a.sqlite", "--visits"}, false},
        {"visits not a number", {"a.sqlite", "--visits", "many"}, false},
        {"negative visits", {"a.sqlite", "--visits", "-1"}, false},
        {"too many visits", {"a.sqlite", "--visits", "20000001"}, false},
        {"negative seed", {"a.sqlite", "--seed", "-3"}, false},
        {"zero months", {"a.sqlite", "--months", "0"}, false},
        {"bad end date", {"a.sqlite", "--end", "2025-02-30"}, false},
    };
    for (const Case &c : cases) {
        const Result<CommandLine> line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.ok(), c.ok) << c.what;
        if (!line || !c.ok)
            continue;
        EXPECT_EQ(line->path, QStringLiteral("a.sqlite")) << c.what;
        EXPECT_EQ(line->options.visits, c.visits) << c.what;
        EXPECT_EQ(line->options.seed, c.seed) << c.what;
        EXPECT_EQ(line->options.months, c.months) << c.what;
    }
    const Result<CommandLine> help = parseCommandLine({QStringLiteral("--help")});
    ASSERT_TRUE(help.ok());
    EXPECT_TRUE(help->help);
    const Result<CommandLine> end = parseCommandLine({QStringLiteral("a"), QStringLiteral("--end"), QStringLiteral("2024-02-29")});
    ASSERT_TRUE(end.ok());
    EXPECT_EQ(end->options.lastDay, QDate(2024, 2, 29));
}

TEST(DemoCommandLine, ReadsAServerTarget)
{
    const Result<CommandLine> only = parseCommandLine({QStringLiteral("--postgres"), QStringLiteral("dbname=x")});
    ASSERT_TRUE(only.ok()) << only.message().toStdString();
    EXPECT_EQ(only->server, QStringLiteral("dbname=x"));
    EXPECT_TRUE(only->path.isEmpty());
    const Result<CommandLine> both = parseCommandLine({QStringLiteral("a.sqlite"), QStringLiteral("--postgres=dbname=x")});
    ASSERT_TRUE(both.ok());
    EXPECT_EQ(both->path, QStringLiteral("a.sqlite"));
    EXPECT_EQ(both->server, QStringLiteral("dbname=x"));
    EXPECT_FALSE(parseCommandLine({QStringLiteral("--postgres")}).ok());
    EXPECT_FALSE(parseCommandLine({QStringLiteral("--postgres"), QStringLiteral(" ")}).ok());

    // The other servers take the same connection string; one at a time.
    const Result<CommandLine> firebird = parseCommandLine({QStringLiteral("--firebird"), QStringLiteral("dbname=/x.fdb")});
    ASSERT_TRUE(firebird.ok());
    EXPECT_EQ(firebird->serverEngine, data::Engine::Firebird);
    const Result<CommandLine> two = parseCommandLine(
        {QStringLiteral("--mysql"), QStringLiteral("dbname=x"), QStringLiteral("--postgres"), QStringLiteral("dbname=y")});
    ASSERT_FALSE(two.ok());
    EXPECT_TRUE(two.message().contains(QLatin1String("one at a time"))) << two.message().toStdString();
    // Keywords only libpq knows are refused for the others.
    EXPECT_TRUE(parseConnectionString(QStringLiteral("dbname=x sslmode=require"), data::Engine::PostgreSQL).ok());
    EXPECT_FALSE(parseConnectionString(QStringLiteral("dbname=x sslmode=require"), data::Engine::MySQL).ok());
}

TEST(DemoConnectionString, ReadsLibpqKeywords)
{
    struct Case {
        const char *what;
        const char *text;
        bool ok;
        const char *host = "";
        int port = -1;
        const char *database = "";
        const char *user = "";
        const char *password = "";
        const char *options = "";
    };
    const Case cases[] = {
        {"the usual", "host=127.0.0.1 port=5433 dbname=pelorida user=tarel", true, "127.0.0.1", 5433, "pelorida",
         "tarel"},
        {"blanks around =", "dbname = pelorida  user= tarel", true, "", -1, "pelorida", "tarel"},
        {"quoted value with escapes", R"(password='it\'s a \\ secret' dbname=x)", true, "", -1, "x", "", R"(it's a \ secret)"},
        {"socket folder", "host=/run/postgresql dbname=x", true, "/run/postgresql", -1, "x"},
        {"other keywords passed on", "dbname=x sslmode=require connect_timeout=3", true, "", -1, "x", "", "",
         "sslmode=require;connect_timeout=3"},
        {"empty", "", true},
        {"keyword without value", "dbname", false},
        {"unterminated quote", "password='abc", false},
        {"port not a number", "port=fifty", false},
        {"port out of range", "port=70000", false},
        {"value without keyword", "=x", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Result<ServerTarget> target = parseConnectionString(QString::fromUtf8(c.text));
        ASSERT_EQ(target.ok(), c.ok) << (target ? "" : target.message().toStdString());
        if (!c.ok)
            continue;
        EXPECT_EQ(target->host, QString::fromUtf8(c.host));
        EXPECT_EQ(target->port, c.port);
        EXPECT_EQ(target->database, QString::fromUtf8(c.database));
        EXPECT_EQ(target->user, QString::fromUtf8(c.user));
        EXPECT_EQ(target->password, QString::fromUtf8(c.password));
        EXPECT_EQ(target->options, QString::fromUtf8(c.options));
    }
}

} // namespace

namespace {

// Each report's catalogue leaves a small share of its patients' visits
// uncounted: the categories no row names, the sub-categories no row lists.
TEST_F(DemoDatabaseTest, AFewVisitsFallInNoCatalogueRow)
{
    const QString path = write(QStringLiteral("demo.sqlite"), smallOptions(1, 50000));
    struct Case {
        const char *catalogue;
        int fromYears;
        int toYears;
    };
    const Case cases[] = {
        {"general_medicine", 20, 130},
        {"school_youth", 6, 27},
        {"children", 0, 6},
    };
    Inspector db(path);
    for (const Case &c : cases) {
        const QString file = QStringLiteral(TAREL_SOURCE_DIR "/reports/%1/catalogue.txt").arg(QLatin1String(c.catalogue));
        Result<tabulation::RowCatalogue> catalogue = tabulation::RowCatalogue::load(file);
        ASSERT_TRUE(catalogue.ok()) << catalogue.message().toStdString();
        QSqlQuery query(QSqlDatabase::database(db.name()));
        ASSERT_TRUE(query.exec(QStringLiteral(
            "select S_DIJA, coalesce(S_DIJA2, '') from PREGLEDI1 p join osigurenici o on o.MB = p.MB"
            " where DAT_R is not null and DAT_R > date(DATA, '-%1 years') and DAT_R <= date(DATA, '-%2 years')")
                                   .arg(c.toYears)
                                   .arg(c.fromYears)));
        int visits = 0, uncounted = 0;
        while (query.next()) {
            ++visits;
            if (catalogue->classify(query.value(0).toString(), query.value(1).toString()).empty())
                ++uncounted;
        }
        const double share = double(uncounted) / visits;
        std::printf("%s: %d of %d visits uncounted (%.1f %%)\n", c.catalogue, uncounted, visits, 100 * share);
        EXPECT_GT(share, 0.02) << c.catalogue;
        EXPECT_LT(share, 0.12) << c.catalogue;
    }
}

} // namespace
