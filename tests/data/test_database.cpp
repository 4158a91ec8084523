#include "database.h"
#include "sourcedatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace

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
