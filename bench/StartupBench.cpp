// The desktop program's start: from creating the main window to the first painted feed list,
// on a database of 1 000 feeds with 50 items each. Reports the resident memory at that moment.
#include "BenchDatabase.h"
#include "config/AppSettings.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/window/MainFrame.h"
#include "gui/window/QuillpostView.h"
#include "store/RssDatabase.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Notes the first paint of the feed list once it has rows.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(CFeedListScreen* screen) : screen_(screen) {
        screen->List()->viewport()->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && screen_->Model().rowCount() > 0)
            painted = true;
        return false;
    }

private:
    CFeedListScreen* screen_;
};

double StatusKb(const char* field) {
    // /proc files report size 0: read whole.
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).simplified().split(' ').value(0).toDouble();
    return 0;
}

struct StartupEnvironment {
    TestEnvironment env;
    StartupEnvironment() {
        const CRegistrySettings store = CRegistrySettings::ForQuillpost();
        TheAppSettings().Load(store);
        QDir().mkpath(TheAppSettings().audioFolder);
        const QString path = TheAppSettings().DatabasePath();
        CRssDatabase db;
        db.CreateDatabase(path, false, false);
        PopulateBenchDatabase(path);
        store.Write(Key::Database, path);
        store.Write(Key::FirstTime, 0);
        // The size warning is about the user's data, not the start's speed.
        store.Write(Key::WarnMaxDatabase, 0);
    }
};

void BM_StartupToFirstPaintedFeedList(benchmark::State& state) {
    static StartupEnvironment environment;
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto frame = std::make_unique<CMainFrame>(StartOptions{}, [] { return true; });
        FirstPaint paint(frame->View()->FeedListScreen());
        frame->show();
        while (!paint.painted)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        rows = frame->View()->FeedListScreen()->Model().rowCount();
        state.PauseTiming();
        frame.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["feeds"] = rows;
    state.counters["resident_MB"] = StatusKb("VmRSS:") / 1024.0;
    state.counters["peak_resident_MB"] = StatusKb("VmHWM:") / 1024.0;
}
BENCHMARK(BM_StartupToFirstPaintedFeedList)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
