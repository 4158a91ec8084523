#include "generalmedicine.h"

#include "catalogue.h"
#include "catalogueexpect.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tarel::tabulation;
using namespace Qt::StringLiterals;

using namespace tarel::testing;

class GeneralMedicineCatalogue : public ::testing::Test {
protected:
    static const RowCatalogue &catalogue()
    {
        const auto loaded = tarel::reports::generalMedicineReport().catalogue();
        EXPECT_TRUE(loaded.ok()) << loaded.message().toStdString();
        return *loaded.value();
    }
};

TEST_F(GeneralMedicineCatalogue, LoadsOnceWithItsRowsAndBlocks)
{
    const auto first = tarel::reports::generalMedicineReport().catalogue();
    ASSERT_TRUE(first.ok()) << first.message().toStdString();
    EXPECT_EQ(first.value(), tarel::reports::generalMedicineReport().catalogue().value());
    EXPECT_EQ(catalogue().rowCount(), 308);
    expectBlocks(catalogue(), {{1, 59, "1"},      {60, 98, "2"},     {99, 102, "3"},    {103, 113, "4"},
                               {114, 121, "5"},   {122, 131, "6"},   {132, 141, "7"},   {142, 144, "8"},
                               {145, 166, "9"},   {167, 182, "10"},  {183, 202, "011"}, {203, 207, "012"},
                               {208, 219, "013"}, {220, 234, "014"}, {235, 239, "015"}, {240, 247, "016"},
                               {248, 251, "017"}, {252, 271, "018"}, {272, 279, "019"}, {280, 308, "020"}});
    const ChapterBlock &first5 = catalogue().blocks()[4];
    EXPECT_EQ(first5.numeral, u"V"_s);
    EXPECT_EQ(catalogue().blocks()[0].numeral, u" I"_s);
    EXPECT_EQ(catalogue().blocks()[0].codeRange, u"A00 - B99"_s);
    EXPECT_EQ(catalogue().blocks()[15].numeral, u"XVII"_s);
    EXPECT_EQ(catalogue().blocks()[18].codeRange, u"V01 - Y98"_s);
}

TEST_F(GeneralMedicineCatalogue, PrintedOrdinalsAndTexts)
{
    expectOrdinals(catalogue(), 271, {u"a"_s, u"b"_s, u"v"_s, u"g"_s, u"d"_s, u"|"_s, u"e"_s, u"`"_s});
    EXPECT_EQ(catalogue().rows()[279].ordinal, u"272"_s);
    EXPECT_EQ(catalogue().rows()[307].ordinal, u"300"_s);

    struct Case {
        int row;
        QString label;
        QString code;
    };
    const Case cases[] = {
        {9, u"Tuberkoloza na koskite i zglobovite"_s, u"A18.0+"_s},
        {24, u"Povratni treski "_s, u"A68"_s},
        {27, u"Q + -treska"_s, u"A78"_s},
        {40, u"Bolest od virusot na humna /  imunodeficiencija (HIV)"_s, u"B20-B24"_s},
        {98, u"Drugi + in situ + benigni neoplazmi neoplazmi i + neoplazmi so nesigurna ili so nepoznata priroda"_s,
         u"D00-D05,D07-D21, / D26,D28-D29, / D31-D32,D34-48"_s},
        {196, u"Drugi bolesti na crevata i pritoneumot"_s, u"K52-K55,K58-K67 /  + (bez K59.3)"_s},
        {206, u"Urtikarija"_s, u"L50( + bez + )L50.0"_s},
    };
    for (const Case &c : cases) {
        const CatalogueRow &row = catalogue().rows()[size_t(c.row - 1)];
        EXPECT_EQ(joined(row.label), c.label) << "row " << c.row;
        EXPECT_EQ(joined(row.code), c.code) << "row " << c.row;
    }
}

TEST_F(GeneralMedicineCatalogue, ClassifiesTheTrickyDiagnoses)
{
    expectRows(catalogue(), {
        {"typhoid", u"A01", {u"", u"0"}, {1}},
        {"other intestinal infections", u"A00", {u""}, {7}},
        {"inside A07-A08", u"A08", {u"1"}, {7}},
        {"bone tuberculosis also in other tuberculosis", u"A18", {u"0+"}, {9, 10}},
        {"other tuberculosis only", u"A18", {u"0", u""}, {10}},
        {"streptococcal infection also in other bacterial", u"A49", {u"1"}, {17, 18}},
        {"other bacterial only", u"A49", {u"0"}, {18}},
        {"A31-A38 counted, not only the printed A36-A38", u"A33", {u""}, {18}},
        {"A36 to A38", u"A37", {u""}, {18}},
        {"tetanus in two rows", u"A34", {u""}, {14, 18}},
        {"tetanus in two rows", u"A35", {u""}, {14, 18}},
        {"malaria", u"B51", {u""}, {45}},
        {"toxic megacolon", u"K59", {u"3"}, {195}},
        {"other bowel diseases without K59.3", u"K59", {u"0", u"", u"1", u"2", u"4", u"8", u"9"}, {196}},
        {"K59 texts listed nowhere", u"K59", {u"5", u"6", u"7"}, {}},
        {"allergic urticaria", u"L50", {u"0"}, {205}},
        {"other urticaria", u"L50", {u"", u"1", u"2", u"3", u"4", u"5", u"6", u"8", u"9"}, {206}},
        {"L50.7 listed nowhere", u"L50", {u"7"}, {}},
        {"muscle disorders marked *", u"M63", {u"*"}, {215}},
        {"M63 without the mark", u"M63", {u"", u"0"}, {}},
        {"M60 whatever S_DIJA2", u"M60", {u"", u"3", u"*"}, {215}},
        {"M90-M99 in the other musculoskeletal diseases", u"M95", {u""}, {219}},
        {"blood pressure check", u"Z01", {u"3"}, {280}},
        {"other examinations", u"Z01", {u"", u"0", u"1", u"2", u"4", u"5", u"6", u"7", u"8", u"9"}, {293}},
        {"screening for other conditions", u"Z13", {u"0"}, {293}},
        {"screening for diabetes", u"Z13", {u"1"}, {291}},
        {"screening for cardiovascular disorders", u"Z13", {u"6"}, {292}},
        {"occupational noise also in other reasons", u"Z57", {u"0"}, {298, 308}},
        {"Z57 otherwise in other reasons only", u"Z57", {u"1", u""}, {308}},
        {"occupational dust", u"Z58", {u"1"}, {299}},
        {"Z58 otherwise nowhere", u"Z58", {u"0", u""}, {}},
        {"code text rule: H80 in the other ear diseases", u"H80", {u""}, {144}},
        {"code text rule: H95", u"H95", {u"1"}, {144}},
        {"accidents", u"W00", {u""}, {273}},
        {"accidents, last category", u"X59", {u""}, {273}},
        {"self-harm", u"X60", {u""}, {274}},
        {"viral meningitis in two rows", u"A87", {u""}, {31, 43}},
        {"inside a printed range without a rule", u"S45", {u"", u"0"}, {}},
        {"X00", u"X00", {u""}, {}},
        {"Z89", u"Z89", {u""}, {}},
        {"perinatal", u"P07", {u""}, {}},
        {"lower case", u"a01", {u""}, {}},
        {"trailing blank", u"A01 ", {u""}, {}},
    });
    for (const QString &category : categoriesFrom(u'P', 0, 99) + categoriesFrom(u'U', 0, 99))
        EXPECT_TRUE(catalogue().classify(category, u"").empty()) << category.toStdString();
}

TEST_F(GeneralMedicineCatalogue, OnlyTheListedVisitsCountInTwoRows)
{
    std::vector<Shared> shared{
        {u"A18"_s, {u"0+"_s}, {9, 10}},  {u"A34"_s, {}, {14, 18}},        {u"A35"_s, {}, {14, 18}},
        {u"A49"_s, {u"1"_s}, {17, 18}},  {u"A78"_s, {}, {27, 59}},        {u"A87"_s, {}, {31, 43}},
        {u"A95"_s, {}, {32, 33}},        {u"B26"_s, {}, {41, 43}},        {u"B27"_s, {}, {42, 43}},
        {u"C71"_s, {}, {84, 85}},        {u"Z57"_s, {u"0"_s}, {298, 308}}, {u"Z57"_s, {u"2"_s}, {299, 308}},
        {u"Z57"_s, {u"4"_s}, {300, 308}}, {u"Z57"_s, {u"5"_s}, {301, 308}},
        {u"Z57"_s, {u"3"_s, u"6"_s, u"9"_s}, {302, 308}},
    };
    expectSharedExactly(catalogue(), shared);
}
