// A download run of 200 feeds of 50 items each from a loopback server into a fresh database,
// then the same run with every feed unchanged; and, for the split, the downloads alone and the
// parsing alone.
#include "FeedGenerator.h"
#include "config/AppSettings.h"
#include "feeds/FeedParser.h"
#include "net/DownloadManager.h"
#include "net/HttpDownloader.h"
#include "store/RssDatabase.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Feeds = 200;
constexpr int ItemsPerFeed = 50;

struct RunSetup {
    TestEnvironment env;
    LoopbackServer server;
    QString databasePath = env.Path("rss.qpdb");

    RunSetup() {
        TheAppSettings().installFolder = env.Path("install");
        QDir().mkpath(TheAppSettings().installFolder);
        CRegistrySettings::ForQuillpost().Write(Key::UseCM, 0);
        for (int feed = 0; feed < Feeds; ++feed)
            server.SetBody("/feed" + std::to_string(feed),
                           GenerateRss20Items(ItemsPerFeed, 700, feed * 1000));
    }

    // A fresh database holding the 200 feeds, none downloaded yet.
    void FreshDatabase(CRssDatabase& db) {
        db.CreateDatabase(databasePath, false, false);
        db.OpenDatabase(databasePath, false);
        for (int feed = 0; feed < Feeds; ++feed) {
            CFeedRecord record;
            record.FeedID = feed + 1;
            record.Title = QStringLiteral("Feed %1").arg(feed);
            record.FeedUrl = server.Url("/feed" + std::to_string(feed));
            db.InsertFeed(record, 0, 0);
        }
    }
};

RunSetup& Setup() {
    static RunSetup setup;
    return setup;
}

void RunAllFeeds(CRssDatabase& db) {
    CDownloadManager manager(db, [] { return true; });
    manager.LoadRunSettings();
    manager.BuildFeedList(0);
    manager.StartRun();
    manager.WaitForWorker();
}

void BM_Run_FirstDownload(benchmark::State& state) {
    RunSetup& setup = Setup();
    for (auto _ : state) {
        state.PauseTiming();
        CRssDatabase db;
        setup.FreshDatabase(db);
        state.ResumeTiming();
        RunAllFeeds(db);
    }
}

void BM_Run_Unchanged(benchmark::State& state) {
    RunSetup& setup = Setup();
    CRssDatabase db;
    setup.FreshDatabase(db);
    RunAllFeeds(db);
    for (auto _ : state)
        RunAllFeeds(db);
}

void BM_Split_DownloadsOnly(benchmark::State& state) {
    RunSetup& setup = Setup();
    const QString target = setup.env.Path("webData.htm");
    CHttpDownloader::KeepSession = true;
    for (auto _ : state)
        for (int feed = 0; feed < Feeds; ++feed)
            CHttpDownloader::Download(setup.server.Url("/feed" + std::to_string(feed)), target,
                                      false, QString(), false);
    CHttpDownloader::KeepSession = false;
    CHttpDownloader::CloseCachedSession();
}

void BM_Split_ParseOnly(benchmark::State& state) {
    RunSetup& setup = Setup();
    const QString target = setup.env.Path("feed.xml");
    CHttpDownloader::Download(setup.server.Url("/feed0"), target, false, QString(), false);
    CFeedData record;
    for (auto _ : state)
        for (int feed = 0; feed < Feeds; ++feed)
            ParseFeedFile(record, target);
}

BENCHMARK(BM_Run_FirstDownload)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Run_Unchanged)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Split_DownloadsOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Split_ParseOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
