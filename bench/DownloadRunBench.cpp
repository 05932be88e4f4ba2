// Download runs of feeds of 50 items each from loopback servers into a fresh database, then the
// same run with every feed unchanged (304 answers); and, for the split, the downloads alone and
// the parsing alone. The runs are measured for 200 and 1 000 feeds, with every answer given at
// once and 50 ms or 200 ms late, as distant servers answer. The feeds are spread over several
// servers, one port each standing for one host, as a reader's subscriptions are. Memory is
// measured by bench/compare_newsboat.py, in a process that holds no servers.
#include "BenchDatabase.h"
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

constexpr int MostFeeds = 1000;
constexpr int ItemsPerFeed = 50;
constexpr int Hosts = 25;

std::string FeedPath(int feed) {
    return "/feed" + std::to_string(feed);
}

struct RunSetup {
    TestEnvironment env;
    std::vector<std::unique_ptr<LoopbackServer>> hosts;
    QString databasePath = env.Path("rss.qpdb");

    RunSetup() {
        TheAppSettings().installFolder = env.Path("install");
        QDir().mkpath(TheAppSettings().installFolder);
        CRegistrySettings::ForQuillpost().Write(Key::UseCM, 0);
        for (int host = 0; host < Hosts; ++host)
            hosts.push_back(std::make_unique<LoopbackServer>());
        for (int feed = 0; feed < MostFeeds; ++feed) {
            LoopbackServer::Response response;
            response.body = GenerateRss20Items(ItemsPerFeed, 700, feed * 1000);
            response.lastModified = "Mon, 03 Jan 2005 10:00:00 GMT";
            HostOf(feed).Set(FeedPath(feed), response);
        }
    }

    LoopbackServer& HostOf(int feed) { return *hosts[std::size_t(feed % Hosts)]; }

    void SetLatency(int ms) {
        for (auto& host : hosts)
            host->SetLatency(ms);
    }

    // A fresh database holding `feeds` feeds, none downloaded yet.
    void FreshDatabase(CRssDatabase& db, int feeds) {
        QFile::remove(databasePath);
        QFile::remove(databasePath + "-wal");
        QFile::remove(databasePath + "-shm");
        db.CreateDatabase(databasePath, false, false);
        db.OpenDatabase(databasePath, false);
        AddNumberedFeeds(db, feeds, [this](int feed) { return HostOf(feed).Url(FeedPath(feed)); });
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

// Arguments: feeds, latency in milliseconds.
void BM_Run_FirstDownload(benchmark::State& state) {
    RunSetup& setup = Setup();
    setup.SetLatency(int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        {
            CRssDatabase db;
            setup.FreshDatabase(db, int(state.range(0)));
            state.ResumeTiming();
            RunAllFeeds(db);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

void BM_Run_Unchanged(benchmark::State& state) {
    RunSetup& setup = Setup();
    setup.SetLatency(0);
    CRssDatabase db;
    setup.FreshDatabase(db, int(state.range(0)));
    RunAllFeeds(db);
    setup.SetLatency(int(state.range(1)));
    for (auto _ : state)
        RunAllFeeds(db);
}

void BM_Split_DownloadsOnly(benchmark::State& state) {
    RunSetup& setup = Setup();
    setup.SetLatency(0);
    const QString target = setup.env.Path("webData.htm");
    CHttpDownloader::StartSession(Key::MaxTransfers.runtimeDefault,
                                  Key::MaxTransfersPerServer.runtimeDefault);
    for (auto _ : state)
        for (int feed = 0; feed < 200; ++feed)
            CHttpDownloader::Download(setup.HostOf(feed).Url(FeedPath(feed)), target, false,
                                      QString(), false);
    CHttpDownloader::EndSession();
}

void BM_Split_ParseOnly(benchmark::State& state) {
    RunSetup& setup = Setup();
    setup.SetLatency(0);
    const QString target = setup.env.Path("feed.xml");
    CHttpDownloader::Download(setup.HostOf(0).Url(FeedPath(0)), target, false, QString(), false);
    CFeedData record;
    for (auto _ : state)
        for (int feed = 0; feed < 200; ++feed)
            ParseFeedFile(record, target);
}

void RunSizes(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"feeds", "latency_ms"});
    for (int feeds : {200, MostFeeds})
        for (int latency : {0, 50, 200})
            bench->Args({feeds, latency});
}

BENCHMARK(BM_Run_FirstDownload)
    ->Apply(RunSizes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_Run_Unchanged)
    ->Apply(RunSizes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_Split_DownloadsOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Split_ParseOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
