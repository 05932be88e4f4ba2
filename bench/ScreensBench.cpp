// The two list screens on the offscreen platform, on two databases: the benchmark database
// (1 000 feeds of 50 items) and one of 1 000 feeds of 500 items (500 000 items, built once and
// kept under the build folder). On each: switching the feed list to a View, opening a Feed's
// items, opening a keyword View of many items, scrolling it to its end a page at a time and
// showing an item in the reading pane. The resident memory after the runs is reported as a
// counter; run one database at a time (--benchmark_filter=/500k) to read it for that one.
#include "BenchDatabase.h"
#include "ScaleDatabase.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/ItemListScreen.h"
#include "store/RssDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <time.h>

namespace {

// On the benchmark database: a keyword View of the items about trams (six in seven of them).
constexpr qint32 BenchTramsView = 110;
constexpr int TramsViewItems = 50000;

void AddTramsView(CRssDatabase& db) {
    CViewRecord view;
    view.ViewID = BenchTramsView;
    view.Label = QStringLiteral("Trams");
    view.Keywords = QStringLiteral("trams");
    view.NumToShow = TramsViewItems;
    view.HideAfter = 0;
    view.ReadAfter = 0;
    view.SortBy = 1;
    db.InsertView(view);
    db.RebuildKeywordView(BenchTramsView, true, false, false);
}

// A database the screens are measured on, and the Views they show of it.
struct ScreensDatabase {
    const char* name;
    // Makes the database (in `dir` or where it is kept) and returns its path.
    std::function<QString(const QTemporaryDir& dir, CRssDatabase& db)> open;
    qint32 feedListView;
    qint32 tramsView;
    int feeds;
};

const ScreensDatabase Databases[] = {
    {"50k",
     [](const QTemporaryDir& dir, CRssDatabase& db) {
         const QString path = dir.filePath(QStringLiteral("rss.qpdb"));
         db.CreateDatabase(path, false, false);
         PopulateBenchDatabase(path);
         db.OpenDatabase(path, false);
         AddTramsView(db);
         return path;
     },
     TwentyFeedView, BenchTramsView, BenchFeeds},
    // A tenth of the items are about trams: 50 000, all shown, read ones too.
    {"500k",
     [](const QTemporaryDir&, CRssDatabase& db) {
         const QString path = BuiltScaleDatabase({"screens-500k", 1000, 500, TramsViewItems});
         db.OpenDatabase(path, false);
         return path;
     },
     SortViewBase, TramsView, 1000},
};

struct Screens {
    QTemporaryDir dir;
    CRssDatabase db;
    std::unique_ptr<CFeedListScreen> feedList;
    std::unique_ptr<CItemListScreen> itemList;
    int viewIndex = 0;

    explicit Screens(const ScreensDatabase& database) {
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        database.open(dir, db);
        db.LoadViewList();
        db.LoadFeedList(false);
        for (std::size_t i = 0; i < db.ViewList.size(); ++i)
            if (db.ViewList[i].ViewID == database.feedListView)
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

// Each database's screens, made when its first benchmark runs; closed before the application
// ends, as widgets must be.
std::map<QString, std::unique_ptr<Screens>>& AllScreens() {
    static std::map<QString, std::unique_ptr<Screens>> screens;
    return screens;
}

Screens& TheScreens(const ScreensDatabase& database) {
    auto& slot = AllScreens()[QLatin1String(database.name)];
    if (!slot)
        slot = std::make_unique<Screens>(database);
    return *slot;
}

void FeedListSwitchToView(benchmark::State& state, const ScreensDatabase& database) {
    Screens& s = TheScreens(database);
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

void ItemListOpenFeed(benchmark::State& state, const ScreensDatabase& database) {
    Screens& s = TheScreens(database);
    int feed = 1;
    for (auto _ : state) {
        s.itemList->ShowFeed(feed);
        QCoreApplication::processEvents();
        feed = feed % database.feeds + 1;
    }
    state.counters["rows"] = s.itemList->Model().ItemCount();
}

// The keyword View as stored (by feed date), or ordered by item date for the run.
class TramsOrder {
public:
    TramsOrder(Screens& s, const ScreensDatabase& database, qint16 sortBy)
        : db_(s.db), view_(*s.db.GetView(database.tramsView)), stored_(view_.SortBy) {
        view_.SortBy = sortBy;
        db_.UpdateView(view_);
    }
    ~TramsOrder() {
        view_.SortBy = stored_;
        db_.UpdateView(view_);
    }

private:
    CRssDatabase& db_;
    CViewRecord view_;
    qint16 stored_;
};

void ItemListOpenKeywordView(benchmark::State& state, const ScreensDatabase& database,
                             qint16 sortBy) {
    Screens& s = TheScreens(database);
    TramsOrder order(s, database, sortBy);
    for (auto _ : state) {
        s.itemList->ShowView(database.tramsView);
        QCoreApplication::processEvents();
    }
    state.counters["items"] = s.itemList->Model().ItemCount();
    state.counters["rowsHandedToTheView"] = s.itemList->List()->model()->rowCount();
}

// The processor time of this thread: on a loaded machine a step's wall time also holds the time
// others ran.
qint64 ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The keyword View opened and scrolled to its last row a page at a time, as a user holding Page
// Down would; the worst single step is what the user feels as a freeze.
void ItemListScrollKeywordView(benchmark::State& state, const ScreensDatabase& database,
                               qint16 sortBy) {
    Screens& s = TheScreens(database);
    TramsOrder order(s, database, sortBy);
    QListView* list = s.itemList->List();
    QScrollBar* bar = list->verticalScrollBar();
    qint64 worstStepNs = 0;
    qint64 worstStepCpuNs = 0;
    int steps = 0;
    for (auto _ : state) {
        s.itemList->ShowView(database.tramsView);
        QCoreApplication::processEvents();
        steps = 0;
        QElapsedTimer step;
        while (bar->value() < bar->maximum() || list->model()->canFetchMore(QModelIndex())) {
            step.start();
            const qint64 cpuBefore = ThreadCpuNs();
            bar->setValue(bar->value() + bar->pageStep());
            QCoreApplication::processEvents();
            worstStepNs = std::max(worstStepNs, step.nsecsElapsed());
            worstStepCpuNs = std::max(worstStepCpuNs, ThreadCpuNs() - cpuBefore);
            ++steps;
        }
    }
    state.counters["rows"] = list->model()->rowCount();
    state.counters["steps"] = steps;
    state.counters["worstStepMs"] = double(worstStepNs) / 1e6;
    state.counters["worstStepCpuMs"] = double(worstStepCpuNs) / 1e6;
}

void ItemListOpenItemInReadingPane(benchmark::State& state, const ScreensDatabase& database) {
    Screens& s = TheScreens(database);
    s.itemList->ShowView(database.tramsView);
    s.itemList->EnterReadingMode();
    for (auto _ : state) {
        s.itemList->OnNavigationKey(NavigationKey::Down);
        QCoreApplication::processEvents();
    }
    s.itemList->LeaveReadingMode();
}

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

void ResidentMemory(benchmark::State& state, const ScreensDatabase& database) {
    TheScreens(database);
    for (auto _ : state)
        benchmark::DoNotOptimize(ResidentMB());
    state.counters["residentMB"] = ResidentMB();
}

void RegisterScreens(const ScreensDatabase& database) {
    const auto add = [&database](const std::string& name, auto run) {
        return benchmark::RegisterBenchmark(
                   (name + '/' + database.name).c_str(),
                   [&database, run](benchmark::State& state) { run(state, database); })
            ->Unit(benchmark::kMillisecond);
    };
    add("FeedListSwitchToView", FeedListSwitchToView);
    add("ItemListOpenFeed", ItemListOpenFeed);
    for (const auto& [order, sortBy] : {std::pair{"", 1}, std::pair{"ByItemDate", 2}}) {
        const auto sorted = [sortBy = qint16(sortBy)](auto run) {
            return [sortBy, run](benchmark::State& state, const ScreensDatabase& database) {
                run(state, database, sortBy);
            };
        };
        add(std::string("ItemListOpenKeywordView") + order, sorted(ItemListOpenKeywordView))
            ->Iterations(5);
        add(std::string("ItemListScrollKeywordView") + order, sorted(ItemListScrollKeywordView))
            ->Iterations(1);
    }
    add("ItemListOpenItemInReadingPane", ItemListOpenItemInReadingPane);
    add("ResidentMemory", ResidentMemory)->Iterations(1);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const ScreensDatabase& database : Databases)
        RegisterScreens(database);
    benchmark::RunSpecifiedBenchmarks();
    AllScreens().clear();
    benchmark::Shutdown();
    return 0;
}
