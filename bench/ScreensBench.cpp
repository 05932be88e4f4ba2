// The two list screens on the benchmark database, on the offscreen platform: switching the feed
// list to a View, opening a Feed's items, opening a keyword View of many items and showing an
// item in the reading pane. The resident memory after the runs is reported as a counter.
#include "BenchDatabase.h"
#include "config/RegistrySettings.h"
#include "gui/FeedListScreen.h"
#include "gui/ItemListScreen.h"
#include "store/RssDatabase.h"

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// On the shared benchmark database: a keyword View of the items about trams (six in seven of
// them), set to show the most a View can show.
constexpr qint32 TramsView = 110;
constexpr int TramsViewItems = 32767;

void AddTramsView(CRssDatabase& db) {
    CViewRecord view;
    view.ViewID = TramsView;
    view.Label = QStringLiteral("Trams");
    view.Keywords = QStringLiteral("trams");
    view.NumToShow = TramsViewItems;
    view.HideAfter = 0;
    view.ReadAfter = 0;
    view.SortBy = 1;
    db.InsertView(view);
    db.RebuildKeywordView(TramsView, true, false, false);
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
        PopulateBenchDatabase(path);
        db.OpenDatabase(path, false);
        AddTramsView(db);
        db.LoadViewList();
        db.LoadFeedList(false);
        for (std::size_t i = 0; i < db.ViewList.size(); ++i)
            if (db.ViewList[i].ViewID == TwentyFeedView)
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
        feed = feed % BenchFeeds + 1;
    }
    state.counters["rows"] = s.itemList->Model().ItemCount();
}
BENCHMARK(BM_ItemListOpenFeed)->Unit(benchmark::kMillisecond);

void BM_ItemListOpenKeywordView(benchmark::State& state) {
    Screens& s = TheScreens();
    for (auto _ : state) {
        s.itemList->ShowView(TramsView);
        QCoreApplication::processEvents();
    }
    state.counters["items"] = s.itemList->Model().ItemCount();
    state.counters["rowsHandedToTheView"] = s.itemList->List()->model()->rowCount();
}
BENCHMARK(BM_ItemListOpenKeywordView)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ItemListOpenItemInReadingPane(benchmark::State& state) {
    Screens& s = TheScreens();
    s.itemList->ShowView(TramsView);
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
