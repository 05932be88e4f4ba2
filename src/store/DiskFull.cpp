// Notes and reports a write that failed for want of room.

#include "store/DiskFull.h"

#include <atomic>
#include <sqlite3.h>

namespace {

std::atomic<bool> diskFull{false};

// SQLite reports every failed statement to its error log, whichever call made it: the one
// place that sees a full disk in a merge, a record write or a commit alike.
void LogSqliteError(void*, int code, const char*) {
    NoteIfDiskFull(code);
}

// SQLite takes an error log only before its first use, so it is set when the program loads.
[[maybe_unused]] const bool sqliteLogSet =
    sqlite3_config(SQLITE_CONFIG_LOG, LogSqliteError, nullptr) == SQLITE_OK;

} // namespace

void NoteDiskFull() {
    diskFull = true;
}

void NoteIfDiskFull(int sqliteResult) {
    if ((sqliteResult & 0xff) == SQLITE_FULL)
        NoteDiskFull();
}

bool TakeDiskFull() {
    return diskFull.exchange(false);
}
