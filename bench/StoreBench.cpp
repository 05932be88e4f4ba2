// The data store's list loads, counts, searches and rebuilds on a database of 1 000 feeds with
// 50 items each (1 KB of text per item) and a few keyword Views.
#include "BenchDatabase.h"
#include "store/RssDatabase.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct BenchDatabase {
    QTemporaryDir dir;
    CRssDatabase db;

    BenchDatabase() {
        const QString path = dir.filePath(QStringLiteral("rss.qpdb"));
        db.CreateDatabase(path, false, false);
        PopulateBenchDatabase(path);
        db.OpenDatabase(path, false);
        db.RebuildKeywordView(KeywordView, true, false, false);
    }
};

CRssDatabase& Db() {
    static BenchDatabase database;
    return database.db;
}

void BM_LoadViewItems_TwentyFeeds(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().LoadViewItems(TwentyFeedView, false);
    state.counters["items"] = double(Db().ItemList.size());
}

void BM_LoadViewItems_KeywordView(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().LoadViewItems(KeywordView, false);
    state.counters["items"] = double(Db().ItemList.size());
}

void BM_LoadFeedItems(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().LoadFeedItems(500, 0);
}

void BM_CountViewItems(benchmark::State& state) {
    Db();
    for (auto _ : state)
        benchmark::DoNotOptimize(Db().CountViewItems(TwentyFeedView, 1));
}

void BM_SearchItems_Title(benchmark::State& state) {
    Db();
    for (auto _ : state) {
        CRssDatabase::SearchResults found;
        Db().SearchItems(QStringLiteral("harbour"), found, true, false, false, true);
        benchmark::DoNotOptimize(found.feedItemIDs.size());
    }
}

void BM_SearchItems_Text(benchmark::State& state) {
    Db();
    for (auto _ : state) {
        CRssDatabase::SearchResults found;
        Db().SearchItems(QStringLiteral("Item 4242 covers"), found, false, false, true, true);
        benchmark::DoNotOptimize(found.feedItemIDs.size());
    }
}

void BM_RebuildWhatsNew(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().RebuildWhatsNew();
}

void BM_RebuildKeywordView(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().RebuildKeywordView(102, true, false, false);
}

void BM_CompactDatabase(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().CompactDatabase();
}

BENCHMARK(BM_LoadViewItems_TwentyFeeds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadViewItems_KeywordView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFeedItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountViewItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchItems_Title)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchItems_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildWhatsNew)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildKeywordView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompactDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
