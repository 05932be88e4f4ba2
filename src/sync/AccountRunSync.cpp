// The sync of a database's server account as a step of a download run.
#include "sync/AccountRunSync.h"

#include "store/RssDatabase.h"
#include "sync/SyncAccount.h"

std::optional<CDownloadItem> CAccountRunSync::Prepare(CRssDatabase& db) {
    source_.reset();
    failure_.clear();
    const auto account = db.GetAccount();
    if (!account)
        return std::nullopt;
    // An account without its password is still an entry: its sync fails and says why.
    source_ = CSyncAccount(db).Source(failure_);
    CDownloadItem entry;
    entry.Url = account->Url;
    entry.Title = QStringLiteral("Sync: %1 at %2").arg(account->UserName, account->Url);
    return entry;
}

bool CAccountRunSync::Run(CRssDatabase& runDb, QString& note) {
    if (!source_) {
        note = failure_;
        return false;
    }
    SyncReport report;
    if (!source_->Sync(runDb, report, note))
        return false;
    note = CSyncAccount::Summary(report);
    return true;
}
