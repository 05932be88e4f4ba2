// A download run's progress printed on a terminal or as plain lines.

#pragma once

#include "net/DownloadProgressModel.h"

#include <mutex>
#include <vector>

// Prints a run's rows as they change: on a terminal a live line with the count that becomes a
// plain line when its entry is done; otherwise one plain line per change.
class CProgressPrinter {
public:
    CProgressPrinter(const CDownloadProgressModel& model, bool terminal);
    void Update();

private:
    const CDownloadProgressModel& model_;
    bool terminal_;
    std::mutex mutex_;
    std::vector<CDownloadProgressModel::Row> printed_;
};
