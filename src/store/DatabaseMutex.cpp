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
} // namespace

// What every object of one name in this process shares: the file and which thread holds it.
struct CDatabaseMutex::Shared {
    std::mutex guard;
    std::condition_variable released;
    std::thread::id owner;
    int depth = 0;
    int fd = -1;

    ~Shared() {
        if (fd >= 0)
            close(fd);
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
    created->fd = open(QFile::encodeName(CDatabaseMutex::LockFilePath(name)).constData(),
                       O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(shared_->guard);
    if (shared_->depth > 0 && shared_->owner == self) {
        ++shared_->depth;
        ++depth_;
        return true;
    }
    // Other threads of this process first, then other processes. The thread reserves the lock
    // in the process before it waits for the file, so that no other thread polls alongside.
    if (!shared_->released.wait_until(lock, deadline, [this] { return shared_->depth == 0; }))
        return false;
    shared_->owner = self;
    shared_->depth = 1;
    lock.unlock();
    while (flock(shared_->fd, LOCK_EX | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            lock.lock();
            shared_->depth = 0;
            shared_->owner = {};
            shared_->released.notify_all();
            return false;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    ++depth_;
    return true;
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
