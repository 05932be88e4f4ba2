// Fresh record numbers from the seconds since 2001 and a process-wide counter.

#include "text/RecordId.h"

#include <QDateTime>
#include <mutex>

namespace {
std::mutex recordCounterMutex;
std::int32_t recordCounter = 0;
std::int32_t lastIssued = 0;
} // namespace

std::int32_t SecondsSince2001() {
    // UTC rather than the wall clock: a clock set back by daylight saving would otherwise hand
    // out numbers that were already used an hour earlier.
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const qint64 msecs = epoch.msecsTo(QDateTime::currentDateTimeUtc());
    return static_cast<std::int32_t>((msecs + 500) / 1000);
}

std::int32_t NewRecordID() {
    // The clock is read under the same lock as the counter: otherwise a thread that read the
    // clock just before a second ticked over could take a counter value that another thread,
    // reading the next second, already combined into the same sum.
    std::lock_guard lock(recordCounterMutex);
    const std::int32_t id = SecondsSince2001() + recordCounter++;
    lastIssued = id > lastIssued ? id : lastIssued + 1;
    return lastIssued;
}

void RaiseRecordIdFloor(std::int32_t used) {
    std::lock_guard lock(recordCounterMutex);
    if (used > lastIssued)
        lastIssued = used;
}
