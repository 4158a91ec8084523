// The figures a source counts while it reads, on a database where each has a
// known value; every source counts the same.
#include "database.h"
#include "figuresdata.h"
#include "sourcedatabase.h"
#include "visitsource.h"

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

} // namespace
