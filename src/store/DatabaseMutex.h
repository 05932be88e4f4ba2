// The lock every process of the user shares over the database.

#pragma once

#include <QString>
#include <chrono>
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
    // Lets a thread or process that waits for the lock have it, then takes it back as it was
    // held, for the calling thread; does nothing when none waits. False when it could not be
    // had again within the time: then this object no longer holds it.
    bool Yield(int timeoutMs);

    // The lock file of a name: $XDG_RUNTIME_DIR/<name>.lock, else <name>-<user id>.lock in the
    // temporary folder.
    static QString LockFilePath(const QString& name);

    // The state every object of one name in a process shares.
    struct Shared;

private:
    // Takes the lock for this thread at `depth` once this process and then the file are free.
    bool Acquire(int depth, std::chrono::steady_clock::time_point deadline);
    bool OthersWait();

    std::shared_ptr<Shared> shared_;
    int depth_ = 0; // how often this object holds the lock
};
