// When feeds and audio reload by themselves.

#pragma once

#include "config/RegistrySettings.h"

#include <array>
#include <functional>

// When feeds and audio reload by themselves: at set times of day, every n minutes, or when the
// machine comes online. The keys are shared with whatever evaluates the rule periodically.
class CReloadSchedule {
public:
    enum class Due { No, Feeds, Audio };

    explicit CReloadSchedule(CRegistrySettings store = CRegistrySettings::ForQuillpost());

    // Reads the schedule; NextReload is computed when it is unset (or left from an interval
    // since switched off), so that an interval reload keeps its minute until that comes.
    void LoadRunSettings();
    // NextReload: the minute of the day an interval reload falls on, -1 without an interval.
    void ComputeNextReload(int nowMinute);
    void ComputeNextReload();

    // The rule for a reload now: the minute of the day, SecondsSince2001, and whether the
    // machine is online (the sign that used to be a desktop cradle: offline to online). Whether
    // it was online when last looked at is kept in the store, because a timer asks each time
    // from a new process.
    Due IsReloadDue(int nowMinute, qint32 nowSeconds, bool online);
    Due IsReloadDue(bool online);
    bool HasSchedule() const;

    // Minutes of the day match when at most one apart, across midnight too.
    static bool MinutesMatch(int a, int b);
    static int CurrentMinute();

    bool OnStart = false;
    bool OnActiveSync = false;
    std::array<int, 6> Times{-1, -1, -1, -1, -1, -1};
    int AutoTime = -1;

    // A reload this soon after the end of the last run is not due.
    static constexpr int MinimumSecondsBetweenRuns = 300;

private:
    void ComputeNextReloadIfUnset();

    CRegistrySettings store_;
};
