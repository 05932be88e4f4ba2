// The two list screens on a large database, on the offscreen platform: switching the feed list
// to a View, opening a Feed's items, opening a keyword View of many items and showing an item in
// the reading pane. The resident memory after the runs is reported as a counter.
#include "config/RegistrySettings.h"
#include "gui/FeedListScreen.h"
#include "gui/ItemListScreen.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Feeds = 1000;
constexpr int ItemsPerFeed = 100;
constexpr qint32 FeedsView = 100;       // 100 member Feeds
constexpr qint32 KeywordView = 101;     // 3 items in 10 of every Feed: 30 000 items
constexpr int KeywordViewItems = 30000; // the most a View can be set to show is 32 767

void Populate(const QString& path) {
    CAdoConnection db;
    db.Open(path);
    db.Execute(QStringLiteral("BEGIN"));
    const QDateTime now = NowGmt();
    for (int feed = 1; feed <= Feeds; ++feed) {
        db.Execute(QStringLiteral("Insert Into Feeds(FeedID,Title,Priority,Status,MaxItems,"
                                  "ReadAfter,LastFeedDate,LastDownloadDate) Values(%1,'Feed %1',"
                                  "%2,2,%3,5,'%4','%4')")
                       .arg(feed)
                       .arg(feed % 10)
                       .arg(ItemsPerFeed)
                       .arg(StoredDateText(now)));
        for (int i = 0; i < ItemsPerFeed; ++i) {
            const int item = feed * 1000 + i;
            db.Execute(QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,GUID,Title,LinkUrl,"
                                      "LinkUrl2,Status,ItemDate,DateEntered) Values(%1,%2,'g%1',"
                                      "'Story %1 about %3','http://example.org/%1','',1,'%4','%4')")
                           .arg(item)
                           .arg(feed)
                           .arg(i % 10 < 3 ? QStringLiteral("harbour") : QStringLiteral("trams"))
                           .arg(StoredDateText(now.addSecs(-(i * 3600 + feed)))));
            db.Execute(QStringLiteral("Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,"
                                      "Keep,TextData) Values(%1,%2,1,0,'<p>Item %1 covers the "
                                      "council budget, the <a href=\"http://example.org/\">tram "
                                      "line</a> and the harbour works.</p>')")
                           .arg(item)
                           .arg(feed));
        }
    }
    for (int feed = 1; feed <= 100; ++feed)
        db.Execute(QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(%1,%2,0)")
                       .arg(FeedsView)
                       .arg(feed * 7));
    db.Execute(QStringLiteral("Insert Into Views(ViewID,ParentID,Label,ReadAfter,HideAfter,"
                              "NumToShow,HideRead,DPadSkipRead,SortBy,Status,Keywords) Values"
                              "(%1,0,'Hundred Feeds',5,0,75,0,1,0,2,''),(%2,0,'Harbour',0,0,%3,0,"
                              "1,1,2,'harbour')")
                   .arg(FeedsView)
                   .arg(KeywordView)
                   .arg(KeywordViewItems));
    db.Execute(QStringLiteral("COMMIT"));
}

struct Screens {
    QTemporaryDir dir;
    CRssDatabase db;
    std::unique_ptr<CFeedListScreen> feedList;
    std::unique_ptr<CItemListScreen> itemList;
    int viewIndex = 0;

    Screens() {
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        const QString path = dir.filePath(QStringLiteral("rss.qpdb"));
        db.CreateDatabase(path, false, false);
        Populate(path);
        db.OpenDatabase(path, false);
        db.RebuildKeywordView(KeywordView, true, false, false);
        db.LoadViewList();
        db.LoadFeedList(false);
        for (std::size_t i = 0; i < db.ViewList.size(); ++i)
            if (db.ViewList[i].ViewID == FeedsView)
                viewIndex = int(i);
        feedList = std::make_unique<CFeedListScreen>(db);
        itemList = std::make_unique<CItemListScreen>(db);
        for (QWidget* screen :
             {static_cast<QWidget*>(feedList.get()), static_cast<QWidget*>(itemList.get())}) {
            screen->resize(480, 640);
            screen->show();
        }
        feedList->Refresh();
        QCoreApplication::processEvents();
    }
};

Screens& TheScreens() {
    static Screens screens;
    return screens;
}

void BM_FeedListSwitchToView(benchmark::State& state) {
    Screens& s = TheScreens();
    bool all = false;
    for (auto _ : state) {
        // Alternates between the View and all Feeds, so each pass loads a different list.
        s.feedList->OnCommand(all ? int(CFeedListScreen::ShowAllFeeds)
                                  : CFeedListScreen::SelectViewBase + s.viewIndex);
        QCoreApplication::processEvents();
        all = !all;
    }
    state.counters["rows"] = s.feedList->Model().rowCount();
}
BENCHMARK(BM_FeedListSwitchToView)->Unit(benchmark::kMillisecond);

void BM_ItemListOpenFeed(benchmark::State& state) {
    Screens& s = TheScreens();
    int feed = 1;
    for (auto _ : state) {
        s.itemList->ShowFeed(feed);
        QCoreApplication::processEvents();
        feed = feed % Feeds + 1;
    }
    state.counters["rows"] = s.itemList->Model().ItemCount();
}
BENCHMARK(BM_ItemListOpenFeed)->Unit(benchmark::kMillisecond);

void BM_ItemListOpenKeywordView(benchmark::State& state) {
    Screens& s = TheScreens();
    for (auto _ : state) {
        s.itemList->ShowView(KeywordView);
        QCoreApplication::processEvents();
    }
    state.counters["items"] = s.itemList->Model().ItemCount();
    state.counters["rowsHandedToTheView"] = s.itemList->List()->model()->rowCount();
}
BENCHMARK(BM_ItemListOpenKeywordView)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ItemListOpenItemInReadingPane(benchmark::State& state) {
    Screens& s = TheScreens();
    s.itemList->ShowView(KeywordView);
    s.itemList->EnterReadingMode();
    for (auto _ : state) {
        s.itemList->OnNavigationKey(NavigationKey::Down);
        QCoreApplication::processEvents();
    }
    s.itemList->LeaveReadingMode();
}
BENCHMARK(BM_ItemListOpenItemInReadingPane)->Unit(benchmark::kMillisecond);

// Resident memory of the process in megabytes, from /proc (read whole: it reports size 0).
double ResidentMB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void BM_ResidentMemory(benchmark::State& state) {
    TheScreens();
    for (auto _ : state)
        benchmark::DoNotOptimize(ResidentMB());
    state.counters["residentMB"] = ResidentMB();
}
BENCHMARK(BM_ResidentMemory)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
