// Sync with the real Tiny Tiny RSS server on loopback (scripts/ttrss-server start
// build/ttrss.env sets it up): the first sync of 10 000 items, and a sync that brings 100 new
// items and sends 100 read marks.
#include "store/RssDatabase.h"
#include "support/TestEnvironment.h"
#include "sync/TtRssServer.h"
#include "sync/TtRssSource.h"

#include <QUuid>
#include <benchmark/benchmark.h>

namespace {

constexpr int BenchFeeds = 10;
constexpr int ItemsPerFeed = 1000;

// The server with the benchmark's 10 000 items, made once; none when it is not set up.
TtRssServer* Server() {
    static std::unique_ptr<TtRssServer> server = [] {
        auto made = TtRssServer::FromSetup(QStringLiteral(QUILLPOST_BUILD_DIR "/ttrss.env"));
        if (!made || !made->Start())
            return std::unique_ptr<TtRssServer>();
        bool missing = false;
        for (int i = 0; i < BenchFeeds; ++i) {
            const QString url = made->WriteFeed(QStringLiteral("bench%1").arg(i), ItemsPerFeed);
            if (made->FeedNumber(url) == 0) {
                made->Api(QStringLiteral("subscribeToFeed"), {{QStringLiteral("feed_url"), url}});
                missing = true;
            }
        }
        if (missing)
            made->RunUpdater();
        return made;
    }();
    return server.get();
}

struct SyncedDatabase {
    TestEnvironment env;
    CRssDatabase db;

    bool Open(TtRssServer& server) {
        const QString path = env.Path(QStringLiteral("rss.qpdb"));
        return db.CreateDatabase(path, false, true) && db.OpenDatabase(path, false) == 1 &&
               db.SetAccount({QStringLiteral("ttrss"), server.Url(), TtRssServer::User(), 0});
    }
    bool Sync(TtRssServer& server, SyncReport& report) {
        QString message;
        return CTtRssSource(server.Url(), TtRssServer::User(), TtRssServer::Password())
            .Sync(db, report, message);
    }
};

void BM_FirstSync(benchmark::State& state) {
    TtRssServer* server = Server();
    if (!server) {
        state.SkipWithError("no Tiny Tiny RSS server is set up (scripts/ttrss-server)");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        SyncedDatabase local;
        local.Open(*server);
        SyncReport report;
        state.ResumeTiming();
        if (!local.Sync(*server, report))
            state.SkipWithError("the sync failed");
        state.counters["items"] = report.itemsAdded;
    }
}
BENCHMARK(BM_FirstSync)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_HundredNewItemsAndHundredReadMarks(benchmark::State& state) {
    TtRssServer* server = Server();
    if (!server) {
        state.SkipWithError("no Tiny Tiny RSS server is set up (scripts/ttrss-server)");
        return;
    }
    SyncedDatabase local;
    SyncReport report;
    if (!local.Open(*server) || !local.Sync(*server, report)) {
        state.SkipWithError("the first sync failed");
        return;
    }
    // A feed of this run's own: the server keeps what earlier runs brought.
    const QString newFeed = QStringLiteral("benchnew") + QUuid::createUuid().toString(QUuid::Id128);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        const QString url = server->WriteFeed(newFeed, 100 * round);
        if (server->FeedNumber(url) == 0)
            server->Api(QStringLiteral("subscribeToFeed"), {{QStringLiteral("feed_url"), url}});
        server->RunUpdater(server->FeedNumber(url));
        if (round == 1) // the new feed itself comes at the first round
            local.Sync(*server, report);
        // 100 read marks, from whichever of the account's feeds still has unread items.
        int marked = 0;
        for (const qint32 feedID : local.db.AccountFeeds()) {
            local.db.LoadFeedItems(feedID, 10000);
            for (const CFeedItemRecord& item : std::vector(local.db.ItemList))
                if (item.Status == ItemUnread && marked < 100 &&
                    local.db.SetItemStatus(item.FeedItemID, ItemRead))
                    ++marked;
        }
        report = SyncReport();
        state.ResumeTiming();
        if (!local.Sync(*server, report))
            state.SkipWithError("the sync failed");
        state.counters["items"] = report.itemsAdded;
        state.counters["sent"] = report.changesSent;
    }
}
BENCHMARK(BM_HundredNewItemsAndHundredReadMarks)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace
