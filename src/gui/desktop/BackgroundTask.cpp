// Runs one piece of work on its own thread while a dialog stays responsive.

#include "gui/desktop/BackgroundTask.h"

#include "gui/desktop/UiThread.h"

#include <QMetaObject>

CBackgroundTask::CBackgroundTask(QObject* parent) : QObject(parent) {}

CBackgroundTask::~CBackgroundTask() {
    abort_ = true;
    // The work may be waiting for this thread to show a status line: let it go.
    UiThreadCallsReleased released;
    if (thread_.joinable())
        thread_.join();
}

bool CBackgroundTask::Start(Work work, std::function<void()> finished) {
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    abort_ = false;
    running_ = true;
    finished_ = std::move(finished);
    emit runningChanged(true);
    thread_ = std::thread([this, work = std::move(work)] {
        work(abort_);
        // Queued on this object: a task destroyed meanwhile drops the call.
        QMetaObject::invokeMethod(this, &CBackgroundTask::OnWorkEnded, Qt::QueuedConnection);
    });
    return true;
}

void CBackgroundTask::Cancel() {
    abort_ = true;
}

void CBackgroundTask::OnWorkEnded() {
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    emit runningChanged(false);
    if (!abort_ && finished_)
        finished_();
}
