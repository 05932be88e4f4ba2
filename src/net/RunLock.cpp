// The lock file a process holds shared while it runs downloads.

#include "net/RunLock.h"

#include "store/DatabaseMutex.h"

#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
int OpenLockFile() {
    return open(QFile::encodeName(CRunLock::FilePath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                0600);
}
} // namespace

CRunLock::~CRunLock() {
    Release();
}

QString CRunLock::FilePath() {
    return CDatabaseMutex::LockFilePath(QStringLiteral("QuillpostRun"));
}

void CRunLock::Hold() {
    if (fd_ >= 0)
        return;
    fd_ = OpenLockFile();
    // Shared: only the brief exclusive test of HeldAnywhere can make this wait.
    if (fd_ >= 0 && flock(fd_, LOCK_SH) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

void CRunLock::Release() {
    if (fd_ < 0)
        return;
    close(fd_); // drops the lock
    fd_ = -1;
}

bool CRunLock::HeldAnywhere() {
    const int fd = OpenLockFile();
    // Without the file nothing can be told: the state stands as written.
    if (fd < 0)
        return true;
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return !free;
}

int LiveBackgroundStatus(const CRegistrySettings& store) {
    const int status = store.Read(Key::BackgroundStatus);
    return status != 0 && !CRunLock::HeldAnywhere() ? 0 : status;
}
