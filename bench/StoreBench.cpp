// The data store's list loads, counts, searches and rebuilds on a database of 1 000 feeds with
// 50 items each (1 KB of text per item) and a few keyword Views.
#include "store/RssDatabase.h"
#include "text/DateFormat.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Feeds = 1000;
constexpr int ItemsPerFeed = 50;
constexpr qint32 TwentyFeedView = 100;
constexpr qint32 KeywordView = 101;

QString ItemText(int item) {
    QString text =
        QStringLiteral("<p>Item %1 covers the council budget and the new tram line.</p>").arg(item);
    while (text.size() < 1024)
        text += QStringLiteral(" Residents asked about parking, schools and the harbour works.");
    return text.left(1024);
}

void Populate(const QString& path) {
    CAdoConnection db;
    db.Open(path);
    db.Execute(QStringLiteral("BEGIN"));
    const QString date = StoredDateText(NowGmt());
    for (int feed = 1; feed <= Feeds; ++feed) {
        db.Execute(QStringLiteral("Insert Into Feeds(FeedID,Title,Priority,Status,MaxItems,"
                                  "LastFeedDate,LastDownloadDate) Values(%1,'Feed %1',%2,2,50,"
                                  "'%3','%3')")
                       .arg(feed)
                       .arg(feed % 10)
                       .arg(date));
        for (int i = 0; i < ItemsPerFeed; ++i) {
            const int item = feed * 1000 + i;
            const QString itemDate = StoredDateText(NowGmt().addSecs(-(i * 3600 + feed)));
            db.Execute(QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,GUID,Title,LinkUrl,"
                                      "LinkUrl2,Status,ItemDate,DateEntered) Values(%1,%2,'g%1',"
                                      "'Story %1 about %3','http://example.org/%1','',1,'%4','%4')")
                           .arg(item)
                           .arg(feed)
                           .arg(i % 7 ? QStringLiteral("trams") : QStringLiteral("harbour"))
                           .arg(itemDate));
            db.Execute(QStringLiteral("Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,"
                                      "Keep,TextData) Values(%1,%2,1,0,'%3')")
                           .arg(item)
                           .arg(feed)
                           .arg(ItemText(item)));
        }
    }
    for (int feed = 1; feed <= 20; ++feed)
        db.Execute(QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(%1,%2,0)")
                       .arg(TwentyFeedView)
                       .arg(feed * 37));
    db.Execute(QStringLiteral("Insert Into Views(ViewID,ParentID,Label,ReadAfter,HideAfter,"
                              "NumToShow,HideRead,DPadSkipRead,SortBy,Status,Keywords) Values"
                              "(%1,0,'Twenty',5,0,75,0,1,2,2,''),(%2,0,'Harbour',5,0,75,0,1,0,2,"
                              "'harbour'),(102,0,'Budget',5,0,75,0,1,0,2,'budget, schools')")
                   .arg(TwentyFeedView)
                   .arg(KeywordView));
    db.Execute(QStringLiteral("COMMIT"));
}

struct BenchDatabase {
    QTemporaryDir dir;
    CRssDatabase db;

    BenchDatabase() {
        const QString path = dir.filePath(QStringLiteral("rss.qpdb"));
        db.CreateDatabase(path, false, false);
        Populate(path);
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
        Db().LoadViewItems(TwentyFeedView, 10, false);
    state.counters["items"] = double(Db().ItemList.size());
}

void BM_LoadViewItems_KeywordView(benchmark::State& state) {
    Db();
    for (auto _ : state)
        Db().LoadViewItems(KeywordView, 10, false);
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
