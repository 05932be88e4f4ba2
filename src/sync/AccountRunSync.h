// The sync of a database's server account as a step of a download run.
#pragma once

#include "net/DownloadManager.h"
#include "sync/FeedSource.h"

#include <memory>

// The sync of a database's server account as a step of a run of feeds (Update All, the timed
// reload). The password is read as the list is built, on the starter's thread, where the
// desktop's secret store answers; the sync itself runs on the run's worker, through the run's
// own database connection.
class CAccountRunSync : public IRunSync {
public:
    std::optional<CDownloadItem> Prepare(CRssDatabase& db) override;
    bool Run(CRssDatabase& runDb, QString& note) override;

private:
    std::unique_ptr<IFeedSource> source_;
    // Why the account has no source, told as the entry's failure.
    QString failure_;
};
