// Classification of in-memory records by the general-medicine catalogue: the
// index lookup against testing every row's rule. Google Benchmark.
//
//   bench_classify [--benchmark_filter=...]

#include "catalogue.h"
#include "generalmedicine.h"

#include <QCoreApplication>
#include <QString>

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace tarel;

namespace {

struct Record {
    QString category;
    QString subCategory;
};

// 10,000,000 records drawn from every category letter with sub-categories,
// from a fixed seed so every run classifies the same records.
const std::vector<Record> &records()
{
    static const std::vector<Record> all = [] {
        std::vector<QString> categories, subCategories;
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            for (int number = 0; number < 100; ++number)
                categories.push_back(QString(QLatin1Char(letter)) + QString::number(number).rightJustified(2, QLatin1Char('0')));
        for (const char *sub : {"", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0+", "*"})
            subCategories.push_back(QString::fromLatin1(sub));
        std::mt19937_64 random(20261209);
        std::vector<Record> list;
        list.reserve(10'000'000);
        for (int i = 0; i < 10'000'000; ++i)
            list.push_back({categories[random() % categories.size()], subCategories[random() % subCategories.size()]});
        return list;
    }();
    return all;
}

const tabulation::RowCatalogue &catalogue()
{
    static const tabulation::RowCatalogue *loaded = [] {
        auto result = reports::generalMedicineReport().catalogue();
        if (!result)
            qFatal("%s", qPrintable(result.message()));
        return *result;
    }();
    return *loaded;
}

void indexLookup(benchmark::State &state)
{
    const auto &list = records();
    const auto &rows = catalogue();
    for (auto _ : state) {
        long long matches = 0;
        for (const Record &record : list)
            matches += qsizetype(rows.classify(record.category, record.subCategory).size());
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * qint64(list.size()));
}

void everyRule(benchmark::State &state)
{
    const auto &list = records();
    const auto &rows = catalogue();
    const std::size_t sample = 200'000; // the naive way is too slow for all 10,000,000 per iteration
    for (auto _ : state) {
        long long matches = 0;
        for (std::size_t i = 0; i < sample; ++i)
            matches += qsizetype(rows.classifyByTestingEveryRule(list[i].category, list[i].subCategory).size());
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * qint64(sample));
}

} // namespace

BENCHMARK(indexLookup)->Unit(benchmark::kMillisecond);
BENCHMARK(everyRule)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
