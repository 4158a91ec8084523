// What every source does besides handing over the rows: the figures it
// counts while it reads (on a database where each has a known value), the
// snapshot it reads inside an open read transaction, and its wait for
// another program's lock, which the user sees and can cancel.
#include "database.h"
#include "figuresdata.h"
#include "persontable.h"
#include "sourcedatabase.h"
#include "visitsource.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace tarel;
namespace fixture = tarel::testing;
using fixture::SourceDatabase;

namespace {

TEST(SourceFigures, KnownValuesOnEverySource)
{
    SourceDatabase source;
    for (const QString &row : fixture::figureRows())
        source.exec(row);
    // Visit dates that no period selects as dates: a short text, a number,
    // a day that does not exist; empty and NULL are not counted.
    source.exec(QStringLiteral("insert into PREGLEDI1 (MB, VidNaUsluga, DATA) values ('Q', '9', '2024-2-3'), "
                               "('Q', '9', 20240203), ('Q', '9', '2023-02-30'), ('Q', '9', ''), ('Q', '9', NULL)"));
    auto opened = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    data::Database &database = **opened;

    for (const fixture::FigureCase &c : fixture::figureCases(3))
        for (data::VisitSourceKind kind : {data::VisitSourceKind::Statements, data::VisitSourceKind::ServerJoin,
                                           data::VisitSourceKind::ProgramJoin}) {
            data::SourceFigures figures;
            const Result<void> read = data::visitSourceOf(database, kind)->read(
                c.selection, data::FieldBirthDate, [](const data::VisitRecord &) -> Result<void> { return {}; },
                {}, &figures);
            ASSERT_TRUE(read.ok()) << read.message().toStdString();
            EXPECT_EQ(figures.repeatedPersons, c.figures.repeatedPersons) << c.what << ", source " << int(kind);
            EXPECT_EQ(figures.unmatchedVisits, c.figures.unmatchedVisits) << c.what << ", source " << int(kind);
            EXPECT_EQ(figures.noSettlementCode, c.figures.noSettlementCode) << c.what << ", source " << int(kind);
            EXPECT_EQ(figures.nonIsoVisitDates, c.figures.nonIsoVisitDates) << c.what << ", source " << int(kind);
        }
}

constexpr data::VisitSourceKind kSources[] = {data::VisitSourceKind::Statements, data::VisitSourceKind::ServerJoin,
                                              data::VisitSourceKind::ProgramJoin};

// The rows of January 2024's visit statements, counted.
Result<qint64> countRows(data::Database &database, data::VisitSourceKind kind, const data::ReadControl &control = {})
{
    qint64 rows = 0;
    const Result<void> read = data::visitSourceOf(database, kind)->read(
        fixture::figureSelection(data::VisitSelection::Statement::Visits, false, data::AreaFilter::Both),
        data::FieldBirthDate,
        [&](const data::VisitRecord &) -> Result<void> {
            ++rows;
            return {};
        },
        control);
    if (!read)
        return read.error();
    return rows;
}

// Several reads inside one read transaction see one snapshot, whatever is
// written meanwhile (a WAL database, so that the writer is not held back).
TEST(Sources, ReadsInOneTransactionSeeOneSnapshot)
{
    SourceDatabase source;
    source.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    for (const QString &row : fixture::figureRows())
        source.exec(row);
    auto opened = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    data::Database &database = **opened;
    for (data::VisitSourceKind kind : kSources) {
        qint64 before = 0;
        {
            const data::ReadTransaction transaction(database);
            ASSERT_TRUE(transaction.begun().ok());
            const Result<qint64> first = countRows(database, kind);
            ASSERT_TRUE(first.ok()) << first.message().toStdString();
            before = *first;
            source.exec(QStringLiteral("insert into PREGLEDI1 (MB, VidNaUsluga, DATA) values ('P1', '1', '2024-01-20')"));
            for (data::VisitSourceKind again : kSources)
                EXPECT_EQ(countRows(database, again).value(), before) << int(kind) << " then " << int(again);
        }
        EXPECT_EQ(countRows(database, kind).value(), before + 1) << int(kind);
    }
}

// While another program holds the database locked, the read waits and says
// so; it goes on when the lock is gone, and stops when the user cancels.
TEST(Sources, ALockIsWaitedForVisiblyAndCanBeCancelled)
{
    SourceDatabase source;
    for (const QString &row : fixture::figureRows())
        source.exec(row);
    auto opened = data::Database::open(data::sqliteFile(source.path()));
    ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
    data::Database &database = **opened;

    int waits = 0;
    data::ReadControl control;
    source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    control.waiting = [&] {
        if (++waits == 3)
            source.exec(QStringLiteral("COMMIT"));
    };
    const Result<qint64> waited = countRows(database, data::VisitSourceKind::ProgramJoin, control);
    ASSERT_TRUE(waited.ok()) << waited.message().toStdString();
    EXPECT_EQ(*waited, 5); // P1, P2 and R three times; N has no settlement code
    EXPECT_EQ(waits, 3);

    std::atomic<bool> cancel{false};
    control.cancel = &cancel;
    waits = 0;
    control.waiting = [&] {
        if (++waits == 2)
            cancel.store(true);
    };
    source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    const Result<qint64> stopped = countRows(database, data::VisitSourceKind::ProgramJoin, control);
    source.exec(QStringLiteral("COMMIT"));
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().kind, ErrorKind::Cancelled);
    EXPECT_EQ(waits, 2);
}

} // namespace

namespace {

// The table the SQLite source joins with: every entry of a key is found,
// repeated keys and all, as the table grows from its smallest size; a blob
// never matches a text of the same bytes.
// What a read says it reads: the insured persons first (the program's own
// join reads them whole), then the visits of the period, with an estimate
// that follows the period (from the dates' index, or as the table is
// scanned without one), not the size of the table.
TEST(Sources, ProgressSaysWhatIsReadAndEstimatesThePeriodsVisits)
{
    SourceDatabase source;
    source.exec(QStringLiteral("insert into osigurenici (MB, DAT_R, MESTO_S) values ('0101980450012', '1980-01-01', 1)"));
    // 20,000 visits spread evenly over 2023 and 2024.
    source.exec(QStringLiteral("insert into PREGLEDI1 (MB, DATA, VidNaUsluga) "
                               "with recursive n(i) as (select 0 union all select i + 1 from n where i < 19999) "
                               "select '0101980450012', date('2023-01-01', '+' || (i * 731 / 20000) || ' days'), '1' "
                               "from n"));
    source.exec(QStringLiteral("create index pregledi1_data on PREGLEDI1 (DATA)"));
    using Stage = data::ReadProgress::Stage;
    struct Period {
        const char *what;
        QDate from, to;
    };
    const Period periods[] = {{"one month", {2024, 3, 1}, {2024, 3, 31}}, {"two years", {2023, 1, 1}, {2024, 12, 31}}};
    for (const bool indexed : {true, false}) {
        if (!indexed)
            source.exec(QStringLiteral("drop index pregledi1_data"));
        auto opened = data::Database::open(data::sqliteFile(source.path()));
        ASSERT_TRUE(opened.ok()) << opened.message().toStdString();
        for (const data::VisitSourceKind kind : kSources) {
            for (const Period &period : periods) {
                const std::string what = std::string(period.what) + (indexed ? ", indexed" : ", no index")
                    + ", source " + std::to_string(int(kind));
                std::vector<data::ReadProgress> reports;
                data::ReadControl control;
                control.progress = [&](const data::ReadProgress &progress) { reports.push_back(progress); };
                data::VisitSelection selection;
                selection.statement = data::VisitSelection::Statement::Visits;
                selection.from = period.from;
                selection.to = period.to;
                qint64 rows = 0;
                const Result<void> read = data::visitSourceOf(**opened, kind)->read(
                    selection, data::FieldBirthDate,
                    [&](const data::VisitRecord &) -> Result<void> {
                        ++rows;
                        return {};
                    },
                    control);
                ASSERT_TRUE(read.ok()) << what << ": " << read.message().toStdString();
                ASSERT_FALSE(reports.empty()) << what;
                // The persons, if at all, come before the visits.
                const auto visits = std::find_if(reports.begin(), reports.end(),
                                                 [](const data::ReadProgress &p) { return p.stage == Stage::Visits; });
                EXPECT_TRUE(std::all_of(reports.begin(), visits,
                                        [](const data::ReadProgress &p) { return p.stage == Stage::Persons; }))
                    << what;
                EXPECT_EQ(visits != reports.begin(), kind == data::VisitSourceKind::ProgramJoin) << what;
                EXPECT_TRUE(std::all_of(visits, reports.end(),
                                        [](const data::ReadProgress &p) { return p.stage == Stage::Visits; }))
                    << what;
                // The first estimate of the visits is near their number where
                // the dates' index tells it (the statements as written make
                // none); the last report has them all.
                if (indexed && kind != data::VisitSourceKind::Statements) {
                    EXPECT_GE(visits->estimated, rows * 4 / 5) << what;
                    EXPECT_LE(visits->estimated, rows * 5 / 4) << what;
                }
                EXPECT_EQ(reports.back(), (data::ReadProgress{Stage::Visits, rows, rows})) << what;
            }
        }
    }
}

TEST(PersonTable, FindsEveryEntryOfAKeyAsItGrows)
{
    data::PersonTable table;
    table.reserve(0);
    std::string entry;
    auto keyOf = [](int i) { return "0101" + std::to_string(i % 7000); };
    for (int i = 0; i < 10000; ++i) {
        const std::string key = keyOf(i);
        data::PersonTable::startEntry(entry, key.data(), key.size(), i % 3 == 0 ? data::HasSettlement : 0);
        entry += std::to_string(i) + '\0'; // a value of the test's own: a C string
        ASSERT_TRUE(table.add(key.data(), key.size(), false, entry).ok());
    }
    data::PersonTable::startEntry(entry, "01011", 5, data::BlobKey);
    entry += std::string("blob") + '\0';
    ASSERT_TRUE(table.add("01011", 5, true, entry).ok());
    EXPECT_EQ(table.count(), 10001);

    auto found = [&](const std::string &key, bool blob) {
        std::vector<std::string> values;
        table.forEach(key.data(), key.size(), blob, data::PersonTable::hashOf(key.data(), key.size(), blob),
                      [&](quint8 flags, const char *value) {
                          values.push_back(std::string(value) + ((flags & data::HasSettlement) ? "+" : ""));
                      });
        std::sort(values.begin(), values.end());
        return values;
    };
    for (int i : {0, 1, 2999, 3000, 6999})
        EXPECT_EQ(found(keyOf(i), false).size(), i < 3000 ? 2u : 1u) << i;
    EXPECT_EQ(found(keyOf(1), false), (std::vector<std::string>{"1", "7001"}));
    EXPECT_EQ(found(keyOf(3), false), (std::vector<std::string>{"3+", "7003"}));
    EXPECT_EQ(found("01011", true), std::vector<std::string>{"blob"});
    EXPECT_EQ(found("0101", false), std::vector<std::string>{});
    EXPECT_EQ(found("", false), std::vector<std::string>{});
}

} // namespace
