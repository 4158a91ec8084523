#include "children.h"

#include "catalogue.h"
#include "catalogueexpect.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tarel::tabulation;
using namespace Qt::StringLiterals;

using namespace tarel::testing;

class ChildrenCatalogue : public ::testing::Test {
protected:
    static const RowCatalogue &catalogue()
    {
        const auto loaded = tarel::reports::childrenReport().catalogue();
        EXPECT_TRUE(loaded.ok()) << loaded.message().toStdString();
        return *loaded.value();
    }
};

TEST_F(ChildrenCatalogue, LoadsOnceWithItsRowsAndBlocks)
{
    const auto first = tarel::reports::childrenReport().catalogue();
    ASSERT_TRUE(first.ok()) << first.message().toStdString();
    EXPECT_EQ(first.value(), tarel::reports::childrenReport().catalogue().value());
    EXPECT_EQ(catalogue().rowCount(), 244);
    // No chapter XV: the codes skip "015".
    expectBlocks(catalogue(), {{1, 72, "1"},      {73, 78, "2"},     {79, 85, "3"},     {86, 102, "4"},
                               {103, 105, "5"},   {106, 108, "6"},   {109, 114, "7"},   {115, 117, "8"},
                               {118, 124, "9"},   {125, 138, "10"},  {139, 151, "011"}, {152, 157, "012"},
                               {158, 169, "013"}, {170, 180, "014"}, {181, 189, "016"}, {190, 204, "017"},
                               {205, 207, "018"}, {208, 227, "019"}, {228, 235, "020"}, {236, 244, "021"}});
    EXPECT_EQ(catalogue().blocks()[14].numeral, u" XVI"_s);
    EXPECT_EQ(catalogue().blocks()[14].codeRange, u"P00-P96"_s);
    EXPECT_EQ(catalogue().blocks()[11].numeral, u"XII"_s);
    EXPECT_EQ(catalogue().blocks()[17].codeRange, u"S00-T98 "_s);
}

TEST_F(ChildrenCatalogue, PrintedOrdinalsAndTexts)
{
    expectOrdinals(catalogue(), 227, {u"a)"_s, u"b)"_s, u"v)"_s, u"g)"_s, u"d)"_s, u"|)"_s, u"e)"_s, u"`)"_s});
    EXPECT_EQ(catalogue().rows()[235].ordinal, u"228"_s);
    EXPECT_EQ(catalogue().rows()[243].ordinal, u"236"_s);
    struct Case {
        int row;
        QString label;
        QString code;
    };
    const Case cases[] = {
        // Rows 136 and 137 print the labels of what they count.
        {136, u"Astma"_s, u"J45-J46"_s},
        {137, u"Bronhiektazija"_s, u"J47"_s},
        {139, u"Dentalien karies"_s, u"K02"_s},
        {66, u"Pedikuloza predizvikana so  / Pediculus humanus capitis"_s, u"B85.0"_s},
        {83, u"Drugi anemii"_s, u"D51-D55,D58-D64 / (bez  + D55.0)"_s},
        {242, u"Deca vo kontakt so zdravstvenite slu`bi za specifi~ni proceduri i zdravstvena za{tita"_s,
         u"Z40-Z48,Z50-Z54   "_s},
    };
    for (const Case &c : cases) {
        const CatalogueRow &row = catalogue().rows()[size_t(c.row - 1)];
        EXPECT_EQ(joined(row.label), c.label) << "row " << c.row;
        EXPECT_EQ(joined(row.code), c.code) << "row " << c.row;
    }
}

TEST_F(ChildrenCatalogue, ClassifiesTheTrickyDiagnoses)
{
    expectRows(catalogue(), {
        {"bone tuberculosis also in other tuberculosis", u"A18", {u"0+"}, {9, 10}},
        {"other tuberculosis", u"A18", {u"0", u""}, {10}},
        {"G6PD deficiency", u"D55", {u"0"}, {80}},
        {"other anaemia", u"D55", {u"1", u""}, {83}},
        {"D55 text listed nowhere", u"D55", {u"4"}, {}},
        {"diabetes without complications in two rows", u"E11", {u"9"}, {89, 90}},
        {"diabetes with complications", u"E11", {u"2"}, {90}},
        {"head lice", u"B85", {u"0"}, {66}},
        {"body lice", u"B85", {u"1"}, {67}},
        {"B85 texts listed nowhere", u"B85", {u"2", u""}, {}},
        {"other bacterial diseases", u"A20", {u""}, {22}},
        {"anthrax", u"A22", {u""}, {11}},
        {"asthma", u"J45", {u""}, {136}},
        {"bronchiectasis", u"J47", {u""}, {137}},
        {"dental caries", u"K02", {u""}, {139}},
        {"hepatitis B printed B15", u"B16", {u""}, {43}},
        {"schistosomiasis", u"B65", {u""}, {55}},
        {"viral meningitis in two rows", u"A87", {u""}, {34, 48}},
        {"lower case", u"a01", {u""}, {}},
        {"trailing blank", u"A01 ", {u""}, {}},
        {"listed nowhere", u"X00", {u""}, {}},
        {"listed nowhere", u"S45", {u""}, {}},
        {"listed nowhere", u"E03", {u""}, {}},
        {"listed nowhere", u"Z72", {u"0"}, {}},
        {"pregnancy", u"O80", {u""}, {}},
        {"perinatal", u"P07", {u""}, {182}},
    });
    for (const QString &category : categoriesFrom(u'O', 0, 99))
        EXPECT_TRUE(catalogue().classify(category, u"").empty()) << category.toStdString();
}

TEST_F(ChildrenCatalogue, OnlyTheListedVisitsCountInTwoRows)
{
    std::vector<Shared> shared{
        {u"A18"_s, {u"0+"_s}, {9, 10}}, {u"A49"_s, {u"1"_s}, {21, 22}}, {u"A78"_s, {}, {30, 72}},
        {u"A87"_s, {}, {34, 48}},       {u"B36"_s, {u"0"_s}, {49, 51}}, {u"E70"_s, {u"0"_s}, {99, 102}},
        {u"Z38"_s, {}, {240, 244}},     {u"Z61"_s, {}, {243, 244}},
    };
    const auto diabetes = sharedRange(u'E', 10, 14, {u"9"_s}, {89, 90});
    shared.insert(shared.end(), diabetes.begin(), diabetes.end());
    expectSharedExactly(catalogue(), shared);
}
