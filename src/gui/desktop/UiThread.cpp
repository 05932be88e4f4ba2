// Runs work on the user-interface thread and waits for it.

#include "gui/desktop/UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

std::atomic<int> releasedDepth{0};

// One call handed to the user-interface thread; whichever side comes first decides whether it
// runs (taken up) or not (dropped).
struct PendingCall {
    enum class State { Waiting, Done, Dropped };
    std::mutex mutex;
    std::condition_variable finished;
    State state = State::Waiting;
};

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

} // namespace

UiThreadCallsReleased::UiThreadCallsReleased() {
    ++releasedDepth;
}

UiThreadCallsReleased::~UiThreadCallsReleased() {
    --releasedDepth;
}

void RunOnUiThread(const std::function<void()>& work) {
    if (OnUiThread()) {
        work();
        return;
    }
    if (releasedDepth > 0)
        return;
    auto call = std::make_shared<PendingCall>();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [call, work] {
            std::unique_lock lock(call->mutex);
            if (call->state != PendingCall::State::Waiting)
                return;
            // The work may show a dialog; the worker keeps waiting meanwhile.
            work();
            call->state = PendingCall::State::Done;
            call->finished.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(call->mutex, std::defer_lock);
    for (;;) {
        lock.lock();
        if (call->state == PendingCall::State::Done)
            return;
        if (releasedDepth > 0) {
            call->state = PendingCall::State::Dropped;
            return;
        }
        call->finished.wait_for(lock, std::chrono::milliseconds(50));
        lock.unlock();
    }
}
