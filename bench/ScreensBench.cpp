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
#include <chrono>
#include <cstdio>
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

// Where the window's thread spent a stretch of wall time: on a processor, waiting for one (the
// machine's other work: with 2 cores and a load of 8 most of a gap can be this), and the rest
// asleep (waiting for a lock, the disk or the worker). From the kernel's schedstat, in ns.
struct ThreadTimes {
    qint64 wallNs = 0;
    qint64 runNs = 0;
    qint64 queuedNs = 0;

    static ThreadTimes Now() {
        ThreadTimes now;
        now.wallNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
        if (std::FILE* file = std::fopen("/proc/thread-self/schedstat", "r")) {
            long long run = 0, queued = 0;
            if (std::fscanf(file, "%lld %lld", &run, &queued) == 2) {
                now.runNs = run;
                now.queuedNs = queued;
            }
            std::fclose(file);
        }
        return now;
    }
    ThreadTimes operator-(const ThreadTimes& earlier) const {
        return {wallNs - earlier.wallNs, runNs - earlier.runNs, queuedNs - earlier.queuedNs};
    }
    qint64 AsleepNs() const { return std::max<qint64>(0, wallNs - runNs - queuedNs); }
};

// The machine's load over the last minute, to read the wall times beside.
double LoadAverage() {
    double load = 0;
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0;
        std::fclose(file);
    }
    return load;
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

// Notes the first paint of the item table after it was armed: with rows, or of a list that has
// none (a View may be empty).
class TablePainted : public QObject {
public:
    explicit TablePainted(QTableView* table) : table_(table) {
        table->viewport()->installEventFilter(this);
    }
    void Arm() { painted_ = false; }
    bool Painted() const { return painted_; }

    // Handles the window's events until the table has painted, as the event loop would.
    void Wait() {
        while (!painted_)
            QApplication::processEvents(QEventLoop::AllEvents);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    QTableView* table_;
    bool painted_ = true;
};

// The main window made and shown wide as the program's start does; the time from its making
// to the first painted rows of its item table.
ThreadTimes StartWideWindow(std::unique_ptr<CMainFrame>& frame) {
    const ThreadTimes start = ThreadTimes::Now();
    frame = std::make_unique<CMainFrame>(StartOptions{}, [] { return true; });
    frame->resize(WideSize);
    QTableView* table = frame->View()->ItemListScreen()->Table();
    TablePainted painted(table);
    frame->show();
    // The first paint may come before the list is read; the user waits for its rows, or sees
    // that it has none once the start-up sequence has read it.
    do {
        painted.Arm();
        painted.Wait();
    } while (table->model()->rowCount() == 0 && !frame->View()->StartupDone());
    return ThreadTimes::Now() - start;
}

// The window as left by a user who read "Show All Feeds": its start opens the longest list,
// all 500 000 items.
struct WideWindow {
    WindowEnvironment environment{BuiltScaleDatabase(WideShape)};
    std::unique_ptr<CMainFrame> frame;

    WideWindow() { CRegistrySettings::ForQuillpost().Write(Key::ItemViewAllFeeds, 1); }

    CWideLayout* Wide() const { return frame->View()->WideLayout(); }
};

// Made by the first wide benchmark that runs, so that a run of the others builds no database.
std::unique_ptr<WideWindow>& WideWindowSlot() {
    static std::unique_ptr<WideWindow> window;
    return window;
}

// `started`: with its window shown, else (for the start benchmark) with none yet.
WideWindow& TheWideWindow(bool started = true) {
    auto& window = WideWindowSlot();
    if (!window)
        window = std::make_unique<WideWindow>();
    if (started && !window->frame)
        StartWideWindow(window->frame);
    return *window;
}

// The counters every wide benchmark ends with: the processor time beside the wall time (on a
// shared machine the difference is mostly others' work: see queuedMs) and the load at the end.
void ReportTimes(benchmark::State& state, const char* name, const ThreadTimes& times) {
    const std::string prefix(name);
    state.counters[prefix + "Ms"] = double(times.wallNs) / 1e6;
    state.counters[prefix + "CpuMs"] = double(times.runNs) / 1e6;
    state.counters[prefix + "QueuedMs"] = double(times.queuedNs) / 1e6;
    state.counters[prefix + "AsleepMs"] = double(times.AsleepNs()) / 1e6;
}

void ReportMachine(benchmark::State& state) {
    state.counters["load1"] = LoadAverage();
    state.counters["residentMB"] = ResidentMB();
}

// The window closed and started again each pass; the first start is the cold one of the
// process (fonts, icons and styles not yet loaded).
void WideStartToFirstRows(benchmark::State& state) {
    WideWindow& w = TheWideWindow(false);
    ThreadTimes first;
    ThreadTimes worst;
    bool isFirst = true;
    for (auto _ : state) {
        w.frame.reset();
        QApplication::processEvents();
        const ThreadTimes start = StartWideWindow(w.frame);
        state.SetIterationTime(double(start.wallNs) / 1e9);
        if (isFirst)
            first = start;
        isFirst = false;
        if (start.wallNs > worst.wallNs)
            worst = start;
    }
    state.counters["wide"] = w.frame->View()->IsWide();
    state.counters["allFeeds"] = w.frame->View()->ItemListScreen()->ShowsAllFeeds();
    state.counters["firstRows"] = w.frame->View()->ItemListScreen()->Table()->model()->rowCount();
    state.counters["feeds"] = double(w.frame->View()->Database().FeedList.size());
    ReportTimes(state, "first", first);
    ReportTimes(state, "worst", worst);
    ReportMachine(state);
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

constexpr qint64 SelectGoalNs = 50'000'000;

// Each pass selects the next row of a walk through the whole tree (every View, a Feed every few
// rows, so that the passes reach its end) and waits for the table's paint of its first rows.
void WideSelectTreeRow(benchmark::State& state) {
    WideWindow& w = TheWideWindow();
    QTreeView* tree = w.Wide()->Tree();
    QTableView* table = w.frame->View()->ItemListScreen()->Table();
    TablePainted painted(table);
    QApplication::processEvents();
    const QModelIndexList rows = TreeRows(*tree->model());
    const int stride = std::max(1, int(rows.size()) / int(state.max_iterations));
    ThreadTimes worst;
    ThreadTimes sum;
    int overGoal = 0;
    int at = 0;
    int emptyLists = 0;
    for (auto _ : state) {
        const ThreadTimes start = ThreadTimes::Now();
        painted.Arm();
        tree->setCurrentIndex(rows[at]);
        painted.Wait();
        const ThreadTimes took = ThreadTimes::Now() - start;
        state.SetIterationTime(double(took.wallNs) / 1e9);
        if (took.wallNs > worst.wallNs)
            worst = took;
        sum = {sum.wallNs + took.wallNs, sum.runNs + took.runNs, sum.queuedNs + took.queuedNs};
        overGoal += took.wallNs > SelectGoalNs;
        emptyLists += table->model()->rowCount() == 0;
        at = (at + stride) % int(rows.size());
    }
    state.counters["treeRows"] = double(rows.size());
    state.counters["emptyLists"] = emptyLists;
    state.counters["over50ms"] = overGoal;
    const qint64 passes = std::max<qint64>(1, state.iterations());
    ReportTimes(state, "mean", {sum.wallNs / passes, sum.runNs / passes, sum.queuedNs / passes});
    ReportTimes(state, "worst", worst);
    ReportMachine(state);
}

// The unread counts of every row of the tree read again and painted.
void WideTreeCounts(benchmark::State& state) {
    WideWindow& w = TheWideWindow();
    ThreadTimes worst;
    for (auto _ : state) {
        const ThreadTimes start = ThreadTimes::Now();
        w.Wide()->UpdateCounts();
        w.Wide()->Tree()->viewport()->repaint();
        const ThreadTimes took = ThreadTimes::Now() - start;
        state.SetIterationTime(double(took.wallNs) / 1e9);
        if (took.wallNs > worst.wallNs)
            worst = took;
    }
    state.counters["treeRows"] = double(TreeRows(w.Wide()->TreeModel()).size());
    ReportTimes(state, "worst", worst);
    ReportMachine(state);
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

// The gaps between the ticks of a 5 ms timer on the window's thread: the longest in wall time,
// and the one in which the thread itself worked longest (what is left of a gap on an idle
// machine).
class TickGaps : public QObject {
public:
    TickGaps() {
        ticks_.setInterval(5);
        connect(&ticks_, &QTimer::timeout, this, [this] { Tick(); });
    }
    void Start() {
        last_ = ThreadTimes::Now();
        ticks_.start();
    }
    void Stop() {
        Tick();
        ticks_.stop();
    }
    ThreadTimes longest;
    ThreadTimes busiest;

private:
    void Tick() {
        const ThreadTimes now = ThreadTimes::Now();
        const ThreadTimes gap = now - last_;
        if (gap.wallNs > longest.wallNs)
            longest = gap;
        if (gap.runNs > busiest.runNs)
            busiest = gap;
        last_ = now;
    }
    QTimer ticks_;
    ThreadTimes last_;
};

// The first download of 200 feeds, started from the wide window's tool bar as a user would;
// a 5 ms timer ticks on the window's thread meanwhile.
void WideRunEventLoopGap(benchmark::State& state) {
    static RunFeeds feeds;
    TickGaps gaps;
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
        state.ResumeTiming();
        frame->findChild<QAction*>(QStringLiteral("UpdateAllButton"))->trigger();
        gaps.Start();
        while (view->ProgressScreen()->IsRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        gaps.Stop();
        state.PauseTiming();
        stored = std::size_t(view->Database().CountAllFeedItems().size());
        frame.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["feedsWithItems"] = double(stored);
    ReportTimes(state, "longestGap", gaps.longest);
    ReportTimes(state, "busiestGap", gaps.busiest);
    state.counters["load1"] = LoadAverage();
}

void RegisterWideWindow() {
    // Manual time: each pass's own measure, without the closing of the window before it.
    benchmark::RegisterBenchmark("WideStartToFirstRows/500k", WideStartToFirstRows)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("WideSelectTreeRow/500k", WideSelectTreeRow)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(400);
    benchmark::RegisterBenchmark("WideTreeCounts/500k", WideTreeCounts)
        ->UseManualTime()
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
    WideWindowSlot().reset();
    benchmark::Shutdown();
    return 0;
}
