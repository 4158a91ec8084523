#include "schoolyouth.h"

#include "catalogue.h"
#include "catalogueexpect.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tarel::tabulation;
using namespace Qt::StringLiterals;

using namespace tarel::testing;

class SchoolYouthCatalogue : public ::testing::Test {
protected:
    static const RowCatalogue &catalogue()
    {
        const auto loaded = tarel::reports::schoolYouthReport().catalogue();
        EXPECT_TRUE(loaded.ok()) << loaded.message().toStdString();
        return *loaded.value();
    }
};

TEST_F(SchoolYouthCatalogue, LoadsOnceWithItsRowsAndBlocks)
{
    const auto first = tarel::reports::schoolYouthReport().catalogue();
    ASSERT_TRUE(first.ok()) << first.message().toStdString();
    EXPECT_EQ(first.value(), tarel::reports::schoolYouthReport().catalogue().value());
    EXPECT_EQ(catalogue().rowCount(), 318);
    // No chapter XVI: the codes skip "016".
    expectBlocks(catalogue(), {{1, 72, "1"},      {73, 111, "2"},    {112, 118, "3"},   {119, 134, "4"},
                               {135, 142, "5"},   {143, 150, "6"},   {151, 158, "7"},   {159, 162, "8"},
                               {163, 184, "9"},   {185, 198, "10"},  {199, 216, "011"}, {217, 222, "012"},
                               {223, 236, "013"}, {237, 258, "014"}, {259, 262, "015"}, {263, 273, "017"},
                               {274, 276, "018"}, {277, 296, "019"}, {297, 304, "020"}, {305, 318, "021"}});
    EXPECT_EQ(catalogue().blocks()[4].numeral, u"IV"_s); // chapter V prints "IV", as stored
    EXPECT_EQ(catalogue().blocks()[7].codeRange, u"H65-H95"_s);
    EXPECT_EQ(catalogue().blocks()[16].codeRange, u"R01 - R99"_s);
}

TEST_F(SchoolYouthCatalogue, PrintedOrdinalsAndTexts)
{
    expectOrdinals(catalogue(), 296, {u"a)"_s, u"b)"_s, u"v)"_s, u"g)"_s, u"d)"_s, u"|)"_s, u"e)"_s, u"`)"_s});
    EXPECT_EQ(catalogue().rows()[304].ordinal, u"297"_s);
    EXPECT_EQ(catalogue().rows()[317].ordinal, u"310"_s);
    struct Case {
        int row;
        QString label;
        QString code;
    };
    const Case cases[] = {
        {10, u"Druga tuberkoloza"_s, u"A17-A19 ( + bez + A18.0+)"_s},
        {31, u"Q +  - treska"_s, u"A78"_s},
        {55, u"[istozomijaza"_s, u"B56"_s}, // the printed code stays as stored
        {113, u"Anemija poradi deficit na glikoza - 6 - fosfat / dehidrogeneza + (G6PD)"_s, u"D55.0"_s},
        {147, u"Tranzitorni cerebralni ishemi~ni napadi i srodni sindromi"_s, u"G45"_s},
        {313, u"Upotreba na tutun"_s, u"Z70.0"_s},
    };
    for (const Case &c : cases) {
        const CatalogueRow &row = catalogue().rows()[size_t(c.row - 1)];
        EXPECT_EQ(joined(row.label), c.label) << "row " << c.row;
        EXPECT_EQ(joined(row.code), c.code) << "row " << c.row;
    }
}

TEST_F(SchoolYouthCatalogue, ClassifiesTheTrickyDiagnoses)
{
    expectRows(catalogue(), {
        {"bone tuberculosis", u"A18", {u"0+"}, {9}},
        {"other tuberculosis by its marked texts", u"A18", {u"1+", u"5+", u"2"}, {10}},
        {"A18 texts listed nowhere", u"A18", {u"0", u"9", u""}, {}},
        {"otitis media also in other ear diseases", u"H70", {u"1"}, {159, 162}},
        {"otitis media only", u"H70", {u"0"}, {159}},
        {"H81.0 in two rows", u"H81", {u"0"}, {160, 162}},
        {"H81 otherwise", u"H81", {u"1", u""}, {162}},
        {"tobacco use", u"Z72", {u"0"}, {313}},
        {"other lifestyle problems", u"Z72", {u"4", u"9"}, {317}},
        {"Z72 texts listed nowhere", u"Z72", {u"5", u"8", u""}, {}},
        {"diabetes without complications in two rows", u"E11", {u"9"}, {122, 123}},
        {"diabetes with complications", u"E11", {u"2"}, {123}},
        {"iron deficiency anaemia", u"D50", {u"", u"0", u"9"}, {112}},
        {"G6PD deficiency in two rows", u"D55", {u"0"}, {113, 116}},
        {"other anaemia", u"D55", {u"1", u""}, {116}},
        {"central nervous system", u"C70", {u""}, {98}},
        {"central nervous system", u"C72", {u""}, {98}},
        {"brain", u"C71", {u""}, {97}},
        {"viral meningitis in two rows", u"A87", {u""}, {35, 49}},
        {"enterobiasis printed D80", u"B80", {u""}, {64}},
        {"lower case", u"a01", {u""}, {}},
        {"trailing blank", u"A01 ", {u""}, {}},
        {"listed nowhere", u"H80", {u""}, {}},
        {"listed nowhere", u"H33", {u""}, {}},
        {"listed nowhere", u"S45", {u""}, {}},
        {"listed nowhere", u"T01", {u""}, {}},
        {"listed nowhere", u"X00", {u""}, {}},
        {"listed nowhere", u"Z58", {u""}, {}},
        {"listed nowhere", u"Z89", {u""}, {}},
        {"perinatal", u"P07", {u""}, {}},
        {"an uncomplicated delivery is no complication", u"O80", {u""}, {}},
        {"complications of delivery", u"O81", {u""}, {262}},
    });
}

// Rows whose counts follow their printed code text instead of the stored
// counting blocks.
TEST_F(SchoolYouthCatalogue, CorrectedRowsCountTheirPrintedCategories)
{
    expectRows(catalogue(), {
        {"transient ischaemic attacks", u"G45", {u"", u"9"}, {147}},
        {"nerve disorders", u"G50", {u""}, {148}},
        {"nerve disorders", u"G59", {u""}, {148}},
        {"cerebral palsy", u"G80", {u""}, {149}},
        {"cerebral palsy", u"G83", {u""}, {149}},
        {"other nervous diseases", u"G10", {u""}, {150}},
        {"other nervous diseases", u"G20", {u""}, {150}},
        {"other nervous diseases", u"G30", {u""}, {150}},
        {"other nervous diseases", u"G65", {u""}, {150}},
        {"other nervous diseases", u"G99", {u""}, {150}},
        {"multiple sclerosis", u"G35", {u""}, {144}},
        {"schistosomiasis", u"B65", {u""}, {55}},
        {"trypanosomiasis once", u"B56", {u""}, {54}},
        {"malnutrition", u"E41", {u""}, {124}},
        {"malnutrition", u"E45", {u""}, {124}},
        {"vitamin B deficiency", u"E52", {u""}, {126}},
        {"glaucoma", u"H40", {u""}, {158}},
        {"glaucoma", u"H42", {u""}, {158}},
        {"pneumoconiosis", u"J60", {u""}, {198}},
        {"pneumoconiosis", u"J65", {u""}, {198}},
    });
    for (int row = 147; row <= 150; ++row)
        EXPECT_FALSE(catalogue().rows()[size_t(row - 1)].rule.empty()) << row;
}

TEST_F(SchoolYouthCatalogue, OnlyTheListedVisitsCountInTwoRows)
{
    std::vector<Shared> shared{
        {u"A34"_s, {}, {14, 21}},         {u"A35"_s, {}, {14, 21}},   {u"A49"_s, {u"1"_s}, {20, 21}},
        {u"A78"_s, {}, {31, 72}},         {u"A87"_s, {}, {35, 49}},   {u"A95"_s, {}, {36, 37}},
        {u"B35"_s, {u"0"_s}, {50, 51}},   {u"D55"_s, {u"0"_s}, {113, 116}},
        {u"H70"_s, {u"1"_s, u"2"_s, u"8"_s, u"9"_s, u""_s}, {159, 162}},
        {u"H81"_s, {u"0"_s}, {160, 162}}, {u"L40"_s, {}, {219, 222}}, {u"N97"_s, {}, {257, 258}},
        {u"Z61"_s, {}, {311, 318}},       {u"Z70"_s, {}, {312, 318}},
    };
    for (auto &&range : {sharedRange(u'B', 50, 54, {}, {51, 52}), sharedRange(u'E', 10, 14, {u"9"_s}, {122, 123}),
                         sharedRange(u'F', 20, 29, {}, {136, 137}), sharedRange(u'L', 20, 22, {}, {218, 222}),
                         sharedRange(u'L', 24, 30, {}, {218, 222}), sharedRange(u'L', 60, 60, {}, {221, 222}),
                         sharedRange(u'L', 62, 68, {}, {221, 222}), sharedRange(u'L', 70, 75, {}, {221, 222})})
        shared.insert(shared.end(), range.begin(), range.end());
    expectSharedExactly(catalogue(), shared);
}
