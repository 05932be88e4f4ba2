// The two list screens on the offscreen platform, on two databases: the benchmark database
// (1 000 feeds of 50 items) and one of 1 000 feeds of 500 items (500 000 items, built once and
// kept under the build folder). On each: switching the feed list to a View, opening a Feed's
// items, opening a keyword View of many items, scrolling it to its end a page at a time and
// showing an item in the reading pane. The resident memory after the runs is reported as a
// counter; run one database at a time (--benchmark_filter=/500k) to read it for that one.
//
// Then the wide window, the program's own main window started on 500 000 items in 4 000 feeds
// (built once and kept): its start to the first painted rows of the item table, the first rows
// of any feed or View selected in the tree, the unread counts of the whole tree, and the
// resident memory with that database open (--benchmark_filter=Wide alone, so that no other
// database is in memory). And the window during a run of 200 feeds from loopback servers: the
// longest time its event loop went without a tick of a 5 ms timer.
#include "BenchDatabase.h"
#include "FeedGenerator.h"
#include "ScaleDatabase.h"
#include "config/AppSettings.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/window/MainFrame.h"
#include "gui/window/QuillpostView.h"
#include "gui/window/WideLayout.h"
#include "store/RssDatabase.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
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

// The wide window ------------------------------------------------------------------------------

const ScaleShape WideShape{"wide-500k", 4000, 125, TramsViewItems};
constexpr QSize WideSize(1280, 800);

// A configuration of its own whose current database is `path`, as after a first start.
struct WindowEnvironment {
    TestEnvironment env;
    explicit WindowEnvironment(const QString& path) {
        const CRegistrySettings store = CRegistrySettings::ForQuillpost();
        TheAppSettings().Load(store);
        QDir().mkpath(TheAppSettings().installFolder);
        QDir().mkpath(TheAppSettings().audioFolder);
        store.Write(Key::Database, path);
        store.Write(Key::FirstTime, 0);
        // The size warning is about the user's data, not the window's speed.
        store.Write(Key::WarnMaxDatabase, 0);
    }
};

// Notes the first paint of the item table once it has rows.
class FirstRowsPainted : public QObject {
public:
    explicit FirstRowsPainted(QTableView* table) : table_(table) {
        table->viewport()->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && table_->model()->rowCount() > 0)
            painted = true;
        return false;
    }

private:
    QTableView* table_;
};

// The main window made and shown wide; waits for its first painted rows and returns the time
// from its making to them.
qint64 StartWideWindow(std::unique_ptr<CMainFrame>& frame) {
    QElapsedTimer clock;
    clock.start();
    frame = std::make_unique<CMainFrame>(StartOptions{}, [] { return true; });
    frame->resize(WideSize);
    FirstRowsPainted rows(frame->View()->ItemListScreen()->Table());
    frame->show();
    while (!rows.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return clock.nsecsElapsed();
}

struct WideWindow {
    WindowEnvironment environment{BuiltScaleDatabase(WideShape)};
    std::unique_ptr<CMainFrame> frame;

    CWideLayout* Wide() const { return frame->View()->WideLayout(); }
};

WideWindow& TheWideWindow() {
    static WideWindow window;
    return window;
}

void WideStartToFirstRows(benchmark::State& state) {
    WideWindow& w = TheWideWindow();
    for (auto _ : state) {
        w.frame.reset();
        QApplication::processEvents();
        state.SetIterationTime(double(StartWideWindow(w.frame)) / 1e9);
    }
    state.counters["wide"] = w.frame->View()->IsWide();
    state.counters["feeds"] = double(w.frame->View()->Database().FeedList.size());
    state.counters["residentMB"] = ResidentMB();
}

// The tree's rows in the order shown: "Show All Feeds", each View, the Feeds beneath them.
QModelIndexList TreeRows(const QAbstractItemModel& model) {
    QModelIndexList rows;
    for (int top = 0; top < model.rowCount(); ++top) {
        const QModelIndex parent = model.index(top, 0);
        rows << parent;
        for (int row = 0; row < model.rowCount(parent); ++row)
            rows << model.index(row, 0, parent);
    }
    return rows;
}

// Each pass selects the next row of a walk through the whole tree (every View, a Feed every few
// rows, so that the passes reach its end) and paints the first rows of its list.
void WideSelectTreeRow(benchmark::State& state) {
    WideWindow& w = TheWideWindow();
    if (!w.frame)
        StartWideWindow(w.frame);
    QTreeView* tree = w.Wide()->Tree();
    QTableView* table = w.frame->View()->ItemListScreen()->Table();
    const QModelIndexList rows = TreeRows(*tree->model());
    const int stride = std::max(1, int(rows.size()) / int(state.max_iterations));
    qint64 worstNs = 0;
    int at = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        tree->setCurrentIndex(rows[at]);
        table->viewport()->repaint();
        const qint64 ns = clock.nsecsElapsed();
        state.SetIterationTime(double(ns) / 1e9);
        worstNs = std::max(worstNs, ns);
        at = (at + stride) % int(rows.size());
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["treeRows"] = double(rows.size());
    state.counters["worstMs"] = double(worstNs) / 1e6;
}

void WideTreeCounts(benchmark::State& state) {
    WideWindow& w = TheWideWindow();
    if (!w.frame)
        StartWideWindow(w.frame);
    for (auto _ : state)
        w.Wide()->UpdateCounts();
    state.counters["treeRows"] = double(TreeRows(w.Wide()->TreeModel()).size());
}

// Feeds of 50 items on loopback servers, one port standing for one host.
struct RunFeeds {
    static constexpr int Feeds = 200;
    static constexpr int Hosts = 25;
    std::vector<std::unique_ptr<LoopbackServer>> hosts;
    RunFeeds() {
        for (int host = 0; host < Hosts; ++host)
            hosts.push_back(std::make_unique<LoopbackServer>());
        for (int feed = 0; feed < Feeds; ++feed)
            Host(feed).SetBody(Path(feed), GenerateRss20Items(50, 700, feed * 1000));
    }
    LoopbackServer& Host(int feed) { return *hosts[std::size_t(feed % Hosts)]; }
    static std::string Path(int feed) { return "/feed" + std::to_string(feed); }

    // A fresh database at `path` holding the feeds, none downloaded yet.
    void MakeDatabase(const QString& path) {
        CRssDatabase db;
        db.CreateDatabase(path, false, false);
        db.OpenDatabase(path, false);
        AddNumberedFeeds(db, Feeds, [this](int feed) { return Host(feed).Url(Path(feed)); });
    }
};

// The first download of 200 feeds, started from the wide window's tool bar as a user would;
// a 5 ms timer ticks on the window's thread meanwhile.
void WideRunEventLoopGap(benchmark::State& state) {
    static RunFeeds feeds;
    qint64 worstGapNs = 0;
    std::size_t stored = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rss.qpdb"));
        feeds.MakeDatabase(path);
        WindowEnvironment environment(path);
        // No feed has items yet: the window is ready when its start-up sequence has run.
        auto frame = std::make_unique<CMainFrame>(StartOptions{}, [] { return true; });
        frame->resize(WideSize);
        frame->show();
        CQuillpostView* view = frame->View();
        while (!view->StartupDone())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QElapsedTimer sinceTick;
        QTimer ticks;
        ticks.setInterval(5);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            worstGapNs = std::max(worstGapNs, sinceTick.nsecsElapsed());
            sinceTick.start();
        });
        state.ResumeTiming();
        view->OnCommand(CQuillpostView::UpdateAllFeeds);
        sinceTick.start();
        ticks.start();
        while (view->ProgressScreen()->IsRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        ticks.stop();
        state.PauseTiming();
        view->Database().LoadFeedList(false);
        stored = view->Database().FeedList.size();
        frame.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["feeds"] = double(stored);
    state.counters["longestGapMs"] = double(worstGapNs) / 1e6;
}

void RegisterWideWindow() {
    benchmark::RegisterBenchmark("WideStartToFirstRows/500k", WideStartToFirstRows)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("WideSelectTreeRow/500k", WideSelectTreeRow)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(400);
    benchmark::RegisterBenchmark("WideTreeCounts/500k", WideTreeCounts)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("WideRunEventLoopGap/200", WideRunEventLoopGap)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const ScreensDatabase& database : Databases)
        RegisterScreens(database);
    RegisterWideWindow();
    benchmark::RunSpecifiedBenchmarks();
    AllScreens().clear();
    TheWideWindow().frame.reset();
    benchmark::Shutdown();
    return 0;
}
