// When the next automatic reload is due: times of day, intervals or coming online.

#include "net/ReloadSchedule.h"

#include "text/RecordId.h"

#include <QDateTime>
#include <algorithm>

namespace {
constexpr int MinutesPerDay = 1440;
const IntKey* const TimeKeys[] = {&Key::ReloadTime1, &Key::ReloadTime2, &Key::ReloadTime3,
                                  &Key::ReloadTime4, &Key::ReloadTime5, &Key::ReloadTime6};
} // namespace

CReloadSchedule::CReloadSchedule(CRegistrySettings store) : store_(std::move(store)) {}

int CReloadSchedule::CurrentMinute() {
    const QTime now = QTime::currentTime();
    return now.hour() * 60 + now.minute();
}

bool CReloadSchedule::MinutesMatch(int a, int b) {
    const int difference = a - b;
    return std::abs(difference) <= 1 || std::abs(difference) == MinutesPerDay - 1;
}

void CReloadSchedule::LoadRunSettings() {
    OnStart = store_.Read(Key::ReloadOnStart) != 0;
    OnActiveSync = store_.Read(Key::ReloadOnAS) != 0;
    for (std::size_t i = 0; i < Times.size(); ++i) {
        const int time = store_.Read(*TimeKeys[i]);
        Times[i] = time >= 1 ? time : -1;
    }
    ComputeNextReloadIfUnset();
    const int autoTime = store_.Read(Key::AudioAutoTime);
    AutoTime = autoTime < 1 ? -1 : autoTime;
}

void CReloadSchedule::ComputeNextReloadIfUnset() {
    const bool hasInterval = store_.Read(Key::ReloadFrequency) != 0;
    const bool isSet = store_.Read(Key::NextReload) != -1;
    if (hasInterval != isSet)
        ComputeNextReload();
}

void CReloadSchedule::ComputeNextReload() {
    ComputeNextReload(CurrentMinute());
}

void CReloadSchedule::ComputeNextReload(int nowMinute) {
    const int frequency = store_.Read(Key::ReloadFrequency);
    int next = -1;
    if (frequency != 0) {
        next = nowMinute + frequency;
        if (next > MinutesPerDay)
            next -= MinutesPerDay;
    }
    store_.Write(Key::NextReload, next);
}

CReloadSchedule::Due CReloadSchedule::IsReloadDue(bool online) {
    return IsReloadDue(CurrentMinute(), SecondsSince2001(), online);
}

CReloadSchedule::Due CReloadSchedule::IsReloadDue(int nowMinute, qint32 nowSeconds, bool online) {
    Due due = Due::No;
    if (OnActiveSync) {
        const bool wasOnline = store_.Read(Key::WasOnline) != 0;
        if (online != wasOnline)
            store_.Write(Key::WasOnline, online ? 1 : 0);
        if (online && !wasOnline)
            due = Due::Feeds;
    }
    if (due == Due::No && std::any_of(Times.begin(), Times.end(), [nowMinute](int time) {
            return time != -1 && MinutesMatch(time, nowMinute);
        }))
        due = Due::Feeds;
    if (due == Due::No && AutoTime != -1 && MinutesMatch(AutoTime, nowMinute))
        due = Due::Audio;
    if (due == Due::No) {
        const int next = store_.Read(Key::NextReload);
        if (store_.Read(Key::ReloadFrequency) == 0 || next == -1)
            return Due::No;
        if (!MinutesMatch(next, nowMinute)) {
            if (store_.Read(Key::ResetNextReload) != 0) {
                store_.Write(Key::ResetNextReload, 0);
                ComputeNextReload(nowMinute);
            }
            return Due::No;
        }
        due = Due::Feeds;
    }
    const qint32 lastRefresh = store_.Read(Key::BackgroundLastRefresh).toInt();
    return nowSeconds - lastRefresh < MinimumSecondsBetweenRuns ? Due::No : due;
}

bool CReloadSchedule::HasSchedule() const {
    return OnActiveSync ||
           std::any_of(Times.begin(), Times.end(), [](int time) { return time != -1; }) ||
           store_.Read(Key::NextReload) != -1 || AutoTime != -1;
}
