// The trend's data and files: the series of every count cell read from the
// period tables, the flagged cells most severe first, the JSON exactly as
// documented and the CSV.

#include "smalltrend.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tarel;
using namespace tarel::result;
using namespace tarel::trend;
using namespace tarel::trend::testing;

TEST(Trend, FlaggedCellsMostSevereFirst)
{
    const Trend trend = smallTrend();
    const std::vector<CellSeries> all = cellSeries(trend);
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(all[0].values, (std::vector<qint64>{3, 3, 4, 9})); // row 1 of both sexes: derived per period
    EXPECT_EQ(all[7].values, (std::vector<qint64>{4, 5, 5, 2})); // the chapter's boys

    std::vector<std::pair<std::string, Flag>> flagged;
    for (const CellSeries &one : flaggedCells(all))
        flagged.emplace_back(trend.cells[std::size_t(one.cell)].name.toStdString(), one.statistics.flag);
    // Row 1's boys are gone (the chapter's are not: 2 is within 5 of 4.67).
    // Row 1's girls and the chapter's are new: 9 after nothing, in the form's
    // order. The chapter's total (4.67 ± 0.47, now 11) lies farther out than
    // row 1's (3.33 ± 0.47, now 9); both are extreme.
    const std::vector<std::pair<std::string, Flag>> expected = {
        {"Memo1", Flag::Gone}, {"Memo2", Flag::New}, {"Memo22", Flag::New}, {"Memo20", Flag::Extreme},
        {"Memo0", Flag::Extreme}};
    EXPECT_EQ(flagged, expected);
    EXPECT_DOUBLE_EQ(*all[0].ratio(), 9 / (10.0 / 3));
    EXPECT_FALSE(all[2].ratio()); // a mean of nothing
}

TEST(Trend, JsonAsDocumented)
{
    Trend trend = smallTrend();
    trend.cells.resize(3);
    const QByteArray expected =
        "{\"report\": \"children\", \"doctor\": null, \"area\": \"rural\",\n"
        " \"periods\": [{\"from\": \"2024-01-01\", \"to\": \"2024-01-31\"}, {\"from\": \"2024-02-01\", \"to\": "
        "\"2024-02-29\"}, {\"from\": \"2024-03-01\", \"to\": \"2024-03-31\"}, {\"from\": \"2024-04-01\", \"to\": "
        "\"2024-04-30\"}],\n"
        " \"cells\": [\n"
        "  {\"cell\": \"Memo0\", \"row\": \"1\", \"column\": \"4\", \"values\": [3, 3, 4, 9], \"mean\": "
        "3.3333333333333335, \"sd\": 0.47140452079103173, \"flag\": \"extreme\"},\n"
        "  {\"cell\": \"Memo1\", \"row\": \"1\", \"column\": \"5\", \"values\": [3, 3, 4, 0], \"mean\": "
        "3.3333333333333335, \"sd\": 0.47140452079103173, \"flag\": \"gone\"},\n"
        "  {\"cell\": \"Memo2\", \"row\": \"1\", \"column\": \"6\", \"values\": [0, 0, 0, 9], \"mean\": 0, \"sd\": "
        "0, \"flag\": \"new\"}\n"
        " ],\n"
        " \"doctors\": [\n"
        "  {\"code\": \"L01\", \"name\": \"Петровски Марко\", \"values\": [5, 6, 7, 0], \"flag\": \"silent\"},\n"
        "  {\"code\": \"L02\", \"name\": \"Живковска Снежана\", \"values\": [1, 0, 2, 3], \"flag\": null}\n"
        " ]}\n";
    EXPECT_EQ(trendJson(trend).toStdString(), expected.toStdString());

    // With a doctor, no history and nothing in the lists, still JSON with every key.
    trend.doctor = Doctor{QStringLiteral("L\"7"), QStringLiteral("X")};
    trend.periods.erase(trend.periods.begin(), trend.periods.begin() + 3);
    trend.tables.erase(trend.tables.begin(), trend.tables.begin() + 3);
    trend.doctors.clear();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(trendJson(trend), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject object = document.object();
    EXPECT_EQ(object.value(u"doctor").toString(), u"L\"7");
    const QJsonObject first = object.value(u"cells").toArray().at(0).toObject();
    EXPECT_EQ(first.value(u"values").toArray(), QJsonArray{9});
    EXPECT_TRUE(first.value(u"mean").isNull());
    EXPECT_TRUE(first.value(u"sd").isNull());
    EXPECT_TRUE(first.value(u"flag").isNull());
    EXPECT_EQ(object.value(u"doctors").toArray(), QJsonArray());
}

TEST(Trend, CsvForASpreadsheet)
{
    const QString csv = QString::fromUtf8(trendCsv(smallTrend()));
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 1 + 9 + 2 + 1); // header, cells, doctors and the end of the last line
    EXPECT_EQ(lines[0], QString::fromUtf8("\uFEFFkind,name,row,column,number,label,heading,2024-01-01/2024-01-31,"
                                          "2024-02-01/2024-02-29,2024-03-01/2024-03-31,2024-04-01/2024-04-30,mean,"
                                          "sd,flag"));
    EXPECT_EQ(lines[1], QString::fromUtf8("cell,Memo0,1,4,1,Тифус,Total,3,3,4,9,3.3333333333333335,"
                                          "0.47140452079103173,extreme"));
    EXPECT_EQ(lines[6], QStringLiteral("cell,Memo12,2,6,2,\"Second, \"\"quoted\"\"\",0-9 / f,0,0,0,0,0,0,"));
    EXPECT_EQ(lines[10], QString::fromUtf8("doctor,L01,,,,Петровски Марко,,5,6,7,0,,,silent"));
    EXPECT_TRUE(lines[12].isEmpty());
}
