// The per-user lock on a database, an flock()ed file, re-entrant within a thread.

#include "store/DatabaseMutex.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr auto PollInterval = std::chrono::milliseconds(5);
// How long a yielding holder stays away at most while the waiters take their turn.
constexpr auto HandOverLimit = std::chrono::milliseconds(200);
constexpr auto HandOverPoll = std::chrono::milliseconds(1);

int OpenLockFile(const QString& path) {
    return open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}
} // namespace

// What every object of one name in this process shares: the file and which thread holds it.
// A process waiting for the file holds a shared lock on a second file meanwhile, so that a
// holder can tell that someone waits.
struct CDatabaseMutex::Shared {
    std::mutex guard;
    std::condition_variable released;
    std::thread::id owner;
    int depth = 0;
    int waiting = 0; // threads of this process waiting for their turn
    int fd = -1;
    int waitFd = -1;

    ~Shared() {
        for (int file : {fd, waitFd})
            if (file >= 0)
                close(file);
    }
};

namespace {
std::mutex registryGuard;

std::shared_ptr<CDatabaseMutex::Shared> SharedFor(const QString& name) {
    static QHash<QString, std::weak_ptr<CDatabaseMutex::Shared>> registry;
    std::lock_guard lock(registryGuard);
    if (auto existing = registry.value(name).lock())
        return existing;
    auto created = std::make_shared<CDatabaseMutex::Shared>();
    const QString path = CDatabaseMutex::LockFilePath(name);
    created->fd = OpenLockFile(path);
    created->waitFd = OpenLockFile(path + QStringLiteral(".waiting"));
    registry.insert(name, created);
    return created;
}
} // namespace

CDatabaseMutex::CDatabaseMutex(const QString& name) : shared_(SharedFor(name)) {}

CDatabaseMutex::~CDatabaseMutex() {
    while (depth_ > 0)
        Unlock();
}

QString CDatabaseMutex::LockFilePath(const QString& name) {
    const QString runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeFolder.isEmpty() && QDir(runtimeFolder).exists())
        return runtimeFolder + u'/' + name + QStringLiteral(".lock");
    // The temporary folder is shared by every user: each gets a lock of their own.
    return QDir::tempPath() + u'/' + name + u'-' + QString::number(getuid()) +
           QStringLiteral(".lock");
}

bool CDatabaseMutex::Lock(int timeoutMs) {
    if (shared_->fd < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    {
        std::lock_guard lock(shared_->guard);
        if (shared_->depth > 0 && shared_->owner == std::this_thread::get_id()) {
            ++shared_->depth;
            ++depth_;
            return true;
        }
    }
    if (!Acquire(1, deadline))
        return false;
    ++depth_;
    return true;
}

// Other threads of this process first, then other processes. The thread reserves the lock in
// the process before it waits for the file, so that no other thread polls alongside.
bool CDatabaseMutex::Acquire(int depth, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(shared_->guard);
    ++shared_->waiting;
    const bool reserved =
        shared_->released.wait_until(lock, deadline, [this] { return shared_->depth == 0; });
    --shared_->waiting;
    if (!reserved)
        return false;
    shared_->owner = std::this_thread::get_id();
    shared_->depth = depth;
    lock.unlock();
    if (shared_->waitFd >= 0)
        flock(shared_->waitFd, LOCK_SH);
    bool taken;
    while (!(taken = flock(shared_->fd, LOCK_EX | LOCK_NB) == 0) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(PollInterval);
    if (shared_->waitFd >= 0)
        flock(shared_->waitFd, LOCK_UN);
    if (taken)
        return true;
    lock.lock();
    shared_->depth = 0;
    shared_->owner = {};
    shared_->released.notify_all();
    return false;
}

// Called with the guard held, while no thread of this process waits for the file: the wait file
// is shared by the process, so its own announcement would look like another's.
bool CDatabaseMutex::OthersWait() {
    if (shared_->waiting > 0)
        return true;
    if (shared_->waitFd < 0 || flock(shared_->waitFd, LOCK_EX | LOCK_NB) != 0)
        return shared_->waitFd >= 0;
    flock(shared_->waitFd, LOCK_UN);
    return false;
}

bool CDatabaseMutex::Yield(int timeoutMs) {
    std::unique_lock lock(shared_->guard);
    // Held also by another object, which counts on keeping it: no yield. The object may have
    // been locked by another thread than the one that yields (a run takes the lock on the
    // thread that starts it and writes on its worker): it is taken back for the yielding one.
    if (depth_ == 0 || shared_->depth != depth_ || !OthersWait())
        return true;
    shared_->depth = 0;
    shared_->owner = {};
    flock(shared_->fd, LOCK_UN);
    shared_->released.notify_all();
    // A thread of this process that takes its turn reserves the lock; another process that
    // takes it drops its announcement.
    const auto handOver = std::chrono::steady_clock::now() + HandOverLimit;
    do {
        lock.unlock();
        std::this_thread::sleep_for(HandOverPoll);
        lock.lock();
    } while (shared_->depth == 0 && OthersWait() && std::chrono::steady_clock::now() < handOver);
    lock.unlock();
    if (Acquire(depth_, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)))
        return true;
    depth_ = 0;
    return false;
}

void CDatabaseMutex::Unlock() {
    if (depth_ == 0)
        return;
    std::lock_guard lock(shared_->guard);
    --depth_;
    if (--shared_->depth == 0) {
        flock(shared_->fd, LOCK_UN);
        shared_->owner = {};
        shared_->released.notify_all();
    }
}
