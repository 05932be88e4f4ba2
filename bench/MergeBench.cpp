// MergeFeedFile on a 500-item RSS 2.0 feed with 2 KB descriptions: the first merge into an empty
// feed, the same file again (digest hit), and a changed file whose items are all stored already.
// Then one document of many short items merged into an empty feed, which must grow linearly.
#include "FeedGenerator.h"
#include "store/RssDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Items = 500;
constexpr int DescriptionChars = 2048;

struct MergeSetup {
    QTemporaryDir dir;
    CRssDatabase db;
    QString feedFile = dir.filePath("feed.xml");
    QString changedFile = dir.filePath("changed.xml");
    qint32 nextFeedID = 1;

    MergeSetup() {
        const QString path = dir.filePath("rss.qpdb");
        db.CreateDatabase(path, false, false);
        db.OpenDatabase(path, false);
        db.SetAudioFolder(dir.filePath("audio"));
        Write(feedFile, GenerateRss20Items(Items, DescriptionChars));
        // The same items, one channel date later: every item is already stored.
        Write(changedFile,
              GenerateRss20Items(Items, DescriptionChars, 0)
                  .replace("10:30:15 GMT</lastBuildDate>", "11:45:00 GMT</lastBuildDate>"));
    }

    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    qint32 NewFeed() {
        CFeedRecord feed;
        feed.FeedID = nextFeedID++;
        feed.Title = QStringLiteral("Bench");
        feed.MaxItems = Items;
        db.InsertFeed(feed, 0, 0);
        return feed.FeedID;
    }
};

MergeSetup& Setup() {
    static MergeSetup setup;
    return setup;
}

void BM_Merge_FirstIntoEmptyFeed(benchmark::State& state) {
    MergeSetup& setup = Setup();
    for (auto _ : state) {
        state.PauseTiming();
        const qint32 feed = setup.NewFeed();
        state.ResumeTiming();
        if (!setup.db.MergeFeedFile(feed, setup.feedFile, nullptr))
            state.SkipWithError("merge failed");
    }
}

void BM_Merge_DigestHit(benchmark::State& state) {
    MergeSetup& setup = Setup();
    const qint32 feed = setup.NewFeed();
    setup.db.MergeFeedFile(feed, setup.feedFile, nullptr);
    for (auto _ : state)
        setup.db.MergeFeedFile(feed, setup.feedFile, nullptr);
}

void BM_Merge_AllItemsKnown(benchmark::State& state) {
    MergeSetup& setup = Setup();
    const qint32 feed = setup.NewFeed();
    setup.db.MergeFeedFile(feed, setup.feedFile, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        // Forget the digest and date so that the file is merged item by item again.
        setup.db.PurgeFeedData(feed);
        setup.db.MergeFeedFile(feed, setup.feedFile, nullptr);
        state.ResumeTiming();
        setup.db.MergeFeedFile(feed, setup.changedFile, nullptr);
    }
}

// A feed keeping every item, so that the whole document is stored.
void BM_Merge_ManyItems(benchmark::State& state) {
    MergeSetup& setup = Setup();
    const int items = int(state.range(0));
    const QString file = setup.dir.filePath(QStringLiteral("many%1.xml").arg(items));
    MergeSetup::Write(file, GenerateRss20Items(items, 100));
    for (auto _ : state) {
        state.PauseTiming();
        CFeedRecord feed;
        feed.FeedID = setup.nextFeedID++;
        feed.Title = QStringLiteral("Many");
        feed.MaxItems = 32767;
        setup.db.InsertFeed(feed, 0, 0);
        state.ResumeTiming();
        if (!setup.db.MergeFeedFile(feed.FeedID, file, nullptr))
            state.SkipWithError("merge failed");
    }
    state.SetItemsProcessed(state.iterations() * items);
}

BENCHMARK(BM_Merge_FirstIntoEmptyFeed)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Merge_DigestHit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge_AllItemsKnown)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Merge_ManyItems)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000);

} // namespace
