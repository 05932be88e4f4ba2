// The lock a process holds while it runs downloads.

#pragma once

#include "config/RegistrySettings.h"

#include <QString>

// Held by a process for as long as it runs downloads, so that a run state left behind by a
// process that died (killed, crashed, a power cut) is known for what it is: the kernel drops the
// lock with its process. Every run holds it shared; one holder anywhere keeps the state alive.
class CRunLock {
public:
    CRunLock() = default;
    ~CRunLock();
    CRunLock(const CRunLock&) = delete;
    CRunLock& operator=(const CRunLock&) = delete;

    void Hold();
    void Release();

    // Whether a run of any process, this one included, holds the lock now.
    static bool HeldAnywhere();
    static QString FilePath();

private:
    int fd_ = -1;
};

// AutoReload\BackgroundStatus, read as 0 (idle) when no process holds a run any longer.
int LiveBackgroundStatus(const CRegistrySettings& store);
