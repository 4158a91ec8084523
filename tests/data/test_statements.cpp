#include "dialect.h"
#include "statements.h"

#include <gtest/gtest.h>

using namespace tarel::data;

TEST(Statements, MorbidityStatementGetsTheFilterLineAsLineFive)
{
    const QStringList stored = morbidityStatement();
    ASSERT_EQ(stored.size(), 5);
    EXPECT_EQ(stored[4], QStringLiteral("order by data"));

    EXPECT_EQ(morbidityStatementFor(false, AreaFilter::Both)[4], QString());
    EXPECT_EQ(morbidityStatementFor(true, AreaFilter::Both)[4], QStringLiteral("and pregledi1.Lekar_s =:lekar_s"));

    const QString urban = morbidityFilterLine(true, AreaFilter::Urban);
    EXPECT_TRUE(urban.startsWith(QStringLiteral(
        "and pregledi1.Lekar_s =:lekar_s and (osigurenici.MESTO_S =400017 or osigurenici.MESTO_S =400262 or ")));
    EXPECT_TRUE(urban.endsWith(QStringLiteral("or osigurenici.MESTO_S =412066)")));
    EXPECT_EQ(urban.count(QStringLiteral("osigurenici.MESTO_S =")), 38);

    const QString rural = morbidityFilterLine(false, AreaFilter::Rural);
    EXPECT_TRUE(rural.startsWith(QStringLiteral(" and MESTO_S <>400017 and MESTO_S <>400262")));
    EXPECT_EQ(rural.count(QStringLiteral(" and MESTO_S <>")), 38);
}

TEST(Statements, VisitStatementsSpreadTheCodesOverFiveLines)
{
    const QStringList urban = qPosetaDecaGradStatement();
    const QStringList rural = qPosetaDecaSeloStatement();
    ASSERT_EQ(urban.size(), 8);
    ASSERT_EQ(rural.size(), 8);
    const int perLine[] = {7, 8, 8, 8, 7};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(urban[2 + i].count(QStringLiteral("osigurenici.MESTO_S =4")), perLine[i]) << i;
        EXPECT_EQ(rural[2 + i].count(QStringLiteral("MESTO_S <>4")), perLine[i]) << i;
    }
    EXPECT_TRUE(urban[2].startsWith(QStringLiteral("and (osigurenici.MESTO_S =400017 or ")));
    EXPECT_TRUE(urban[3].startsWith(QStringLiteral("or osigurenici.MESTO_S =")));
    EXPECT_TRUE(urban[6].endsWith(QStringLiteral(" or osigurenici.MESTO_S='')")));
    EXPECT_TRUE(rural[2].startsWith(QStringLiteral("and MESTO_S <>400017 and ")));
    EXPECT_TRUE(rural[3].startsWith(QStringLiteral("and MESTO_S <>")));
    EXPECT_TRUE(rural[6].endsWith(QStringLiteral(" and MESTO_S<>''")));
    EXPECT_EQ(urban[7], QStringLiteral("order by data"));
}

TEST(Dialect, RewritesOnlyConcatenationAndEmptyStringComparisons)
{
    struct Case {
        const char *what;
        const char *in;
        const char *out;
    };
    const Case cases[] = {
        {"concatenation", "select lekar_s,pre+' '+ime as ime,ops_s from Lekari",
         "select lekar_s,pre||' '||ime as ime,ops_s from Lekari"},
        {"integer equals empty string", "or osigurenici.MESTO_S='')", "or 1=0)"},
        {"integer differs from empty string", " and MESTO_S<>''", " and MESTO_S IS NOT NULL"},
        {"quoted doctor code untouched", "and x='a+b'", "and x='a+b'"},
        {"other statements untouched", "select * from PZO", "select * from PZO"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(adaptStatement(QString::fromLatin1(c.in), Engine::SQLite), QString::fromLatin1(c.out)) << c.what;
}

// MariaDB reads "||" as a logical or and compares table names with regard to
// case; Firebird and PostgreSQL take the standard forms. The same statement
// keeps its meaning on each.
TEST(Dialect, EachEngineGetsItsConcatenationAndTableNames)
{
    const QString doctors = qLekarStatement().join(QLatin1Char('\n'));
    EXPECT_EQ(adaptStatement(doctors, Engine::MySQL),
              QStringLiteral("select lekar_s,concat(pre,' ',ime) as ime,ops_s from lekari\nwhere aktiven=true"));
    EXPECT_EQ(adaptStatement(doctors, Engine::Firebird), adaptStatement(doctors, Engine::PostgreSQL));
    const QString visits = adaptStatement(qPosetaDecaGradStatement().join(QLatin1Char('\n')), Engine::MySQL);
    EXPECT_TRUE(visits.startsWith(QStringLiteral(
        "select * from  pregledi1 inner join osigurenici on osigurenici.mb = pregledi1.mb")));
    EXPECT_TRUE(visits.contains(QStringLiteral(" or 1=0)")));
    // A name that merely contains a table's name is left alone.
    EXPECT_EQ(adaptStatement(QStringLiteral("select PZO_X from PZO"), Engine::MySQL),
              QStringLiteral("select PZO_X from pzo"));
}

// The loader's tables compare texts byte for byte on every engine.
TEST(Dialect, SchemaKeepsTextsComparedByteForByte)
{
    const QStringList schema = sourceSchemaStatements();
    ASSERT_EQ(schema.size(), 4);
    const QString firebird = adaptSchemaStatement(schema[0], Engine::Firebird);
    EXPECT_TRUE(firebird.contains(QStringLiteral("MB VARCHAR(500) CHARACTER SET OCTETS")));
    EXPECT_TRUE(firebird.contains(QStringLiteral(", \"TIME\" VARCHAR(500)")));
    EXPECT_FALSE(firebird.contains(QStringLiteral(" TEXT")));
    const QString maria = adaptSchemaStatement(schema[0], Engine::MySQL);
    EXPECT_TRUE(maria.startsWith(QStringLiteral("CREATE TABLE pregledi1 (")));
    EXPECT_TRUE(maria.endsWith(QStringLiteral("COLLATE utf8mb4_nopad_bin")));
    EXPECT_EQ(adaptSchemaStatement(sourceIndexStatements()[0], Engine::Firebird),
              QStringLiteral("CREATE INDEX pregledi1_data ON PREGLEDI1 (DATA)"));
    EXPECT_EQ(adaptSchemaStatement(schema[0], Engine::PostgreSQL), schema[0]);
}

TEST(Statements, UrbanSettlementCodes)
{
    EXPECT_EQ(UrbanSettlementCodes.size(), 38u);
    EXPECT_TRUE(isUrbanSettlement(412066));
    EXPECT_FALSE(isUrbanSettlement(412067));
    EXPECT_EQ(areaText(AreaFilter::Both), QStringLiteral("Grad i Selo"));
}
