// Every way of reading the visits gives the same rows as the statements as
// written: the same prepared reports byte for byte, the same records field
// by field (as multisets), the same figures and the same errors, over a
// database that holds every oddity a patient-administration database can
// hold (repeated and unknown persons, values of every storage class in
// every compared column, non-ISO visit dates that some periods select,
// multibyte text).

#include "runform.h"
#include "database.h"
#include "engine.h"
#include "prepared.h"
#include "preparedfile.h"
#include "sourcedatabase.h"
#include "sourcerecords.h"
#include "visitsource.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

using namespace tarel;
using data::VisitSourceKind;
using tarel::testing::SourceDatabase;
using tarel::testing::describe;
using tarel::testing::kOtherSources;
using tarel::testing::nameOf;
using tarel::testing::recordsOf;

namespace {

constexpr VisitSourceKind kSources[] = {VisitSourceKind::Statements, VisitSourceKind::ServerJoin,
                                        VisitSourceKind::ProgramJoin, VisitSourceKind::ProgramJoinAllPersons,
                                        VisitSourceKind::ProgramJoinPerVisit};

QVariant blob(const char *bytes) { return QByteArray(bytes); }

// The values each column takes, chosen at random per row. Birth dates are
// all readable, so that every report runs to its end.
struct Pools {
    std::vector<QVariant> citizenNumbers{
        QStringLiteral("0101980450012"), QStringLiteral("0202985455023"), QStringLiteral("1503010400001"),
        QStringLiteral("2004015405002"), QStringLiteral("0707007450003"), QStringLiteral("3112950500004"),
        // multibyte characters before the sex digits (characters 10 to 12)
        QStringLiteral("\u0160\u010c0198045501"), QStringLiteral("\u0416\u04160198545502"),
        // listed twice and three times among the persons
        QStringLiteral("0909990400077"), QStringLiteral("0808880500088"),
        // the bytes of a known number, but stored as a blob: equal to no text
        blob("0101980450012"),
        // nobody insured under it, no number at all, the empty text
        QStringLiteral("9999999999999"), QVariant(), QString(QLatin1String(""))};
    std::vector<QVariant> visitDates{
        QStringLiteral("2024-01-01"), QStringLiteral("2024-01-31"), QStringLiteral("2024-02-03"),
        QStringLiteral("2024-03-15"), QStringLiteral("2024-12-31"), QStringLiteral("2023-06-30"),
        // not ISO: a short text that sorts into some periods, a text with a
        // time, a day that does not exist, a number, a real, empty, NULL
        QStringLiteral("2024-2-3"), QStringLiteral("2024-03-15 10:00"), QStringLiteral("2024-02-30"),
        qlonglong(20240203), 2024.5, QString(QLatin1String("")), QVariant(), blob("2024-02-03")};
    std::vector<QVariant> kinds{QStringLiteral("1"), QStringLiteral("2"), qlonglong(1), qlonglong(2), 2.0,
                                QStringLiteral("3"), QStringLiteral(" 1"), QStringLiteral("1 "), QVariant(),
                                blob("1")};
    std::vector<QVariant> doctors{QStringLiteral("L01"), QStringLiteral("L02"), QStringLiteral("O'Neil"),
                                  QStringLiteral("l01"), qlonglong(1), QVariant(), QStringLiteral("\u041b01")};
    std::vector<QVariant> categories{QStringLiteral("A01"), QStringLiteral("J06"), QStringLiteral("I10"),
                                     QStringLiteral("E11"), QStringLiteral("S45"), QStringLiteral("O80"),
                                     QStringLiteral("F32"), QVariant(), QStringLiteral("a01")};
    std::vector<QVariant> subCategories{QString(QLatin1String("")), QVariant(), QStringLiteral("1"),
                                        QStringLiteral("0"), qlonglong(9)};
    std::vector<QVariant> settlements{
        qlonglong(400017), qlonglong(412066), qlonglong(491063), qlonglong(300100), qlonglong(0), QVariant(),
        // texts stay texts in an integer column unless they read as numbers
        QString(QLatin1String("")), QStringLiteral("abc"), QStringLiteral("400017"), 400017.5, 1e20, 400017.0,
        blob("400017")};
    std::vector<QVariant> births{QStringLiteral("1980-01-01"), QStringLiteral("2010-06-15"),
                                 QStringLiteral("2019-02-28"), QStringLiteral("2023-12-31"),
                                 QStringLiteral("2003-03-15"), QString(QLatin1String("")), QVariant()};
    std::vector<QVariant> bases{QStringLiteral("1"), QStringLiteral(" 1 "), QStringLiteral("5"), qlonglong(1),
                                QVariant(), QStringLiteral("2")};
    std::vector<QVariant> members{QStringLiteral("00"), qlonglong(0), QStringLiteral("01"), QVariant()};
    std::vector<QVariant> names{QStringLiteral("PETROVSKI"), QStringLiteral("\u041f\u0435\u0442\u0440\u043e\u0432"),
                                QVariant(), QString(QLatin1String("")), QStringLiteral("Ko~o")};
};

// A hostile source database: 300 insured persons whose values go round the
// pools (so that every value occurs), the special citizen numbers among them
// (repeated, multibyte; the unknown ones left out), and `visits` visits with
// values at random over the pools.
void fillHostile(SourceDatabase &db, int visits, bool withIndexes)
{
    const Pools pools;
    std::mt19937 random(20241209);
    auto pick = [&](const std::vector<QVariant> &pool) { return pool[random() % pool.size()]; };
    auto cycle = [](const std::vector<QVariant> &pool, int i) { return pool[std::size_t(i) % pool.size()]; };

    db.exec(QStringLiteral("BEGIN"));
    db.addInstitution(QStringLiteral("PZU Test"));
    db.addDoctor(QStringLiteral("L01"), QStringLiteral("Petrovski"), QStringLiteral("Marko"), true);
    db.addDoctor(QStringLiteral("O'Neil"), QStringLiteral("O'Neil"), QStringLiteral("Ana"), true);
    std::vector<QVariant> insured;
    for (int i = 0; i < 300; ++i)
        insured.push_back(QStringLiteral("%1%2").arg(1000000000 + i * 7919).arg(i % 2 ? 450 : 550));
    for (const QVariant &mb : pools.citizenNumbers) {
        // Unknown numbers; the empty one has no sex digits to read.
        if (mb.toString() == u"9999999999999" || mb.toString().isEmpty() || mb.typeId() == QMetaType::QByteArray)
            continue;
        const int copies = mb.toString() == u"0909990400077" ? 2 : mb.toString() == u"0808880500088" ? 3 : 1;
        for (int i = 0; i < copies; ++i)
            insured.push_back(mb);
    }
    for (int i = 0; i < int(insured.size()); ++i)
        db.insert(QStringLiteral("osigurenici"), {{"MB", insured[std::size_t(i)]},
                                                  {"DAT_R", cycle(pools.births, i)},
                                                  {"MESTO_S", cycle(pools.settlements, i)},
                                                  {"OSNOV", cycle(pools.bases, i / 3)},
                                                  {"CLEN", cycle(pools.members, i / 5)},
                                                  {"PRE", QStringLiteral("person")}});
    // A person insured under no visit's number, whose birth date could not
    // be read had any visit joined it.
    db.insert(QStringLiteral("osigurenici"), {{"MB", QStringLiteral("5555555555555")}, {"DAT_R", QStringLiteral("x")}});
    for (int i = 0; i < visits; ++i)
        db.insert(QStringLiteral("PREGLEDI1"), {{"RED_BR", i + 1},
                                                {"MB", random() % 4 ? pick(insured) : pick(pools.citizenNumbers)},
                                                {"PRE", pick(pools.names)},
                                                {"IME", pick(pools.names)},
                                                {"LEKAR_S", pick(pools.doctors)},
                                                {"S_DIJA", pick(pools.categories)},
                                                {"VidNaUsluga", pick(pools.kinds)},
                                                {"DATA", pick(pools.visitDates)},
                                                {"S_DIJA2", pick(pools.subCategories)}});
    db.exec(QStringLiteral("COMMIT"));
    if (withIndexes)
        for (const QString &statement : data::sourceIndexStatements())
            db.exec(statement);
}

std::unique_ptr<data::Database> openSource(const SourceDatabase &source)
{
    auto opened = data::Database::open(data::sqliteFile(source.path()));
    EXPECT_TRUE(opened.ok()) << (opened ? std::string() : opened.message().toStdString());
    return opened ? std::move(opened).value() : nullptr;
}

// The periods compared: the whole span (read by a scan), short ones (read
// through the DATA index where there is one), and ones whose ends cut
// through the non-ISO texts ("2024-2-3" lies between 2024-01-01 and
// 2024-03-31; "2024-03-15 10:00" after 2024-03-15).
const std::pair<QDate, QDate> kPeriods[] = {
    {QDate(2023, 1, 1), QDate(2025, 12, 31)},
    {QDate(2024, 1, 1), QDate(2024, 3, 31)},
    {QDate(2024, 3, 15), QDate(2024, 3, 15)},
    {QDate(2024, 2, 3), QDate(2024, 2, 29)},
};

std::vector<data::VisitSelection> selectionsOver(QDate from, QDate to)
{
    return tarel::testing::selectionsOver(from, to, {QStringLiteral("L01"), QStringLiteral("O'Neil")});
}

class SourceEquivalence : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { fillHostile(source, 4000, GetParam()); }
    SourceDatabase source;
};

TEST_P(SourceEquivalence, EverySourceReadsTheSameRecordsAndFigures)
{
    auto database = openSource(source);
    ASSERT_TRUE(database);
    bool sawRepeated = false, sawUnmatched = false, sawNoCode = false, sawNonIso = false;
    qint64 records = 0;
    for (const auto &[from, to] : kPeriods)
        for (const data::VisitSelection &selection : selectionsOver(from, to)) {
            SCOPED_TRACE(describe(selection));
            QString referenceError;
            data::SourceFigures reference;
            const QStringList expected =
                recordsOf(*database, VisitSourceKind::Statements, selection, &reference, &referenceError);
            ASSERT_TRUE(referenceError.isEmpty()) << referenceError.toStdString();
            records += expected.size();
            sawRepeated |= reference.repeatedPersons > 0;
            sawUnmatched |= reference.unmatchedVisits > 0;
            sawNoCode |= reference.noSettlementCode > 0;
            sawNonIso |= reference.nonIsoVisitDates > 0;
            for (VisitSourceKind kind : kOtherSources) {
                SCOPED_TRACE(nameOf(kind));
                QString error;
                data::SourceFigures figures;
                const QStringList got = recordsOf(*database, kind, selection, &figures, &error);
                ASSERT_TRUE(error.isEmpty()) << error.toStdString();
                EXPECT_EQ(got, expected);
                EXPECT_EQ(figures.repeatedPersons, reference.repeatedPersons);
                EXPECT_EQ(figures.unmatchedVisits, reference.unmatchedVisits);
                EXPECT_EQ(figures.noSettlementCode, reference.noSettlementCode);
                EXPECT_EQ(figures.nonIsoVisitDates, reference.nonIsoVisitDates);
            }
        }
    // The comparison is not vacuous: rows were read and every oddity occurred.
    EXPECT_GT(records, 5000);
    EXPECT_TRUE(sawRepeated && sawUnmatched && sawNoCode && sawNonIso);
}

TEST_P(SourceEquivalence, EveryReportIsTheSameByteForByte)
{
    auto database = openSource(source);
    ASSERT_TRUE(database);
    const Result<std::vector<data::Doctor>> doctors = database->doctors();
    ASSERT_TRUE(doctors.ok() && doctors->size() == 2);
    // Two periods: the whole span, and one that cuts through non-ISO texts.
    for (const engine::ReportDefinition &report : engine::reportTable())
        for (const auto &[from, to] : {kPeriods[0], kPeriods[1]}) {
            const bool morbidity = report.kind == engine::ReportKind::Morbidity;
            for (int doctor = -1; doctor < (morbidity ? 2 : 0); ++doctor)
                for (data::AreaFilter area : {data::AreaFilter::Both, data::AreaFilter::Urban, data::AreaFilter::Rural}) {
                    if (!morbidity && area != data::AreaFilter::Both)
                        continue;
                    engine::Request request;
                    request.report = &report;
                    request.from = from;
                    request.to = to;
                    request.area = area;
                    request.today = QDate(2026, 1, 1);
                    if (doctor >= 0)
                        request.doctor = (*doctors)[std::size_t(doctor)];
                    SCOPED_TRACE(report.commandName().toStdString() + " " + from.toString(Qt::ISODate).toStdString()
                                 + " " + request.doctorText().toStdString() + " " + request.areaText().toStdString());
                    QByteArray expected;
                    for (VisitSourceKind kind : kSources) {
                        engine::RunOptions options;
                        options.source = kind;
                        const Result<report::TfrxReport> filled = tarel::testing::runForm(*database, request, options);
                        ASSERT_TRUE(filled.ok()) << nameOf(kind) << ": " << filled.message().toStdString();
                        const QByteArray prepared = report::serializePrepared(report::prepare(*filled));
                        if (kind == VisitSourceKind::Statements)
                            expected = prepared;
                        else
                            EXPECT_TRUE(prepared == expected) << nameOf(kind) << ": the prepared reports differ";
                    }
                }
        }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutIndexes, SourceEquivalence, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "Indexed" : "NoIndexes";
                         });

// Tables declared otherwise than the program's schema (a settlement code
// declared as text, which SQLite then compares as text; citizen numbers
// compared without regard to case) are read with the statements' meaning.
TEST(SourceEquivalence, OtherDeclarationsKeepTheStatementsMeaning)
{
    SourceDatabase source;
    source.exec(QStringLiteral("drop table osigurenici"));
    source.exec(QStringLiteral("create table osigurenici (MB TEXT COLLATE NOCASE, DAT_R DATE, MESTO_S TEXT, "
                               "OSNOV TEXT, CLEN TEXT)"));
    source.exec(QStringLiteral("insert into osigurenici values ('ab0198045001', '1980-01-01', '400017', '1', '00'), "
                               "('CD0198545002', '1990-01-01', '300100', '5', NULL), ('EF0198045003', NULL, '', '1', '01')"));
    source.exec(QStringLiteral("insert into PREGLEDI1 (RED_BR, MB, VidNaUsluga, DATA) values (1, 'AB0198045001', '1', "
                               "'2024-03-15'), (2, 'cd0198545002', '2', '2024-03-15'), (3, 'ef0198045003', '3', '2024-03-15')"));
    auto database = openSource(source);
    ASSERT_TRUE(database);
    for (const data::VisitSelection &selection : selectionsOver(QDate(2024, 1, 1), QDate(2024, 12, 31))) {
        SCOPED_TRACE(describe(selection));
        QString error;
        const QStringList expected = recordsOf(*database, VisitSourceKind::Statements, selection, nullptr, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        for (VisitSourceKind kind : kOtherSources)
            EXPECT_EQ(recordsOf(*database, kind, selection, nullptr, &error), expected) << nameOf(kind);
        if (selection.statement == data::VisitSelection::Statement::Visits) {
            EXPECT_EQ(expected.size(), 3);
            EXPECT_EQ(expected.filter(QStringLiteral("urban")).size(), 1); // '400017' equals 400017 as text
        }
    }
}

// A visit whose birth date cannot be read ends the run on every source with
// the same message: the unreadable text, then the visit.
TEST(SourceErrors, TheSameMessageNamesTheVisit)
{
    SourceDatabase source;
    source.addInstitution(QStringLiteral("PZU Test"));
    SourceDatabase::Visit good;
    source.addVisit(good);
    SourceDatabase::Visit bad;
    bad.mb = QStringLiteral("0202980455028");
    bad.datR = QStringLiteral("31.12.1970");
    bad.redBr = 4711;
    bad.pre = QStringLiteral("\u041f\u0415\u0422\u0420\u041e\u0412\u0421\u041a\u0418\u001b[2J");
    bad.ime = QStringLiteral("MARKO");
    source.addVisit(bad);
    auto database = openSource(source);
    ASSERT_TRUE(database);
    const QString expected = QStringLiteral(
        "'31.12.1970' is not a valid date\n"
        "Visit RED_BR 4711 of 2024-03-15, \u041f\u0415\u0422\u0420\u041e\u0412\u0421\u041a\u0418\\x1b[2J MARKO.");
    for (const char *name : {"general-medicine", "visits-general-medicine"})
        for (VisitSourceKind kind : kSources) {
            engine::Request request;
            request.report = engine::findReport(QLatin1String(name));
            request.from = QDate(2024, 1, 1);
            request.to = QDate(2024, 12, 31);
            engine::RunOptions options;
            options.source = kind;
            const Result<report::TfrxReport> run = tarel::testing::runForm(*database, request, options);
            ASSERT_FALSE(run.ok()) << name << ", " << nameOf(kind);
            EXPECT_EQ(run.message(), expected) << name << ", " << nameOf(kind);
        }
}

} // namespace
