// A piece of work on a thread of its own, finished on the user-interface thread.

#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

// One piece of work on a thread of its own, so that a dialog keeps painting and answering its
// Cancel while a server is slow. The work gets an abort flag to hand to its transfers; when it
// ends, `finished` runs on the user-interface thread, unless the task was cancelled meanwhile.
class CBackgroundTask : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(const std::atomic<bool>& abort)>;

    explicit CBackgroundTask(QObject* parent = nullptr);
    // Aborts the work and waits for its thread.
    ~CBackgroundTask() override;

    // False while a work is still running.
    bool Start(Work work, std::function<void()> finished);
    // Asks the work to stop and returns at once; `finished` will not run.
    void Cancel();
    bool IsRunning() const { return running_; }

signals:
    void runningChanged(bool running);

private:
    void OnWorkEnded();

    std::thread thread_;
    std::atomic<bool> abort_{false};
    std::atomic<bool> running_{false};
    std::function<void()> finished_;
};
