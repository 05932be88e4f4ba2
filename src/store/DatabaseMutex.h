#pragma once

#include <QString>
#include <memory>

// A lock shared by every process of the user under one name: an flock()ed file in the runtime
// folder. The kernel releases it when its holder dies, so an abandoned lock is obtained at once.
// Within a process it is re-entrant for the thread that holds it (start-up and imports open
// short-lived databases on the same file while the application's one holds the lock).
class CDatabaseMutex {
public:
    explicit CDatabaseMutex(const QString& name);
    ~CDatabaseMutex();
    CDatabaseMutex(const CDatabaseMutex&) = delete;
    CDatabaseMutex& operator=(const CDatabaseMutex&) = delete;

    // False when the lock could not be had within the time.
    bool Lock(int timeoutMs);
    void Unlock();

    // The lock file of a name: $XDG_RUNTIME_DIR/<name>.lock, else <name>-<user id>.lock in the
    // temporary folder.
    static QString LockFilePath(const QString& name);

    // The state every object of one name in a process shares.
    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    int depth_ = 0; // how often this object holds the lock
};
