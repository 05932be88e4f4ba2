// The delete and purge commands of both programs: their questions and what they change.

#include "app/UserCommands.h"

#include "config/RegistrySettings.h"
#include "exchange/Backup.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

namespace {

const QString ConfirmDelete = QStringLiteral("Confirm Delete");

CommandOutcome Outcome(bool done) {
    return done ? CommandOutcome::Done : CommandOutcome::Failed;
}

} // namespace

CommandOutcome DeleteFeedCommand(CRssDatabase& db, qint32 feedID) {
    if (!CurrentPrompt().AskYesNo(
            QStringLiteral("Are you sure you want to delete the selected Feed?"), ConfirmDelete))
        return CommandOutcome::Declined;
    WaitCursor wait;
    return Outcome(db.DeleteFeed(feedID));
}

CommandOutcome PurgeFeedCommand(CRssDatabase& db, qint32 feedID) {
    if (!CurrentPrompt().AskYesNo(QStringLiteral("Are you sure you want to purge Item data "
                                                 "associated with the selected Feed?"),
                                  ConfirmDelete))
        return CommandOutcome::Declined;
    WaitCursor wait;
    // A purged Feed is enabled again, so that the next run fills it anew.
    return Outcome(db.PurgeFeedData(feedID) && db.SetFeedStatus(feedID, 2));
}

CommandOutcome DeleteViewCommand(CRssDatabase& db, qint32 viewID) {
    if (viewID <= LastReservedViewID)
        return CommandOutcome::Refused;
    if (!CurrentPrompt().AskYesNo(
            QStringLiteral("Are you sure you want to delete the current View?"), ConfirmDelete))
        return CommandOutcome::Declined;
    return Outcome(db.DeleteView(viewID));
}

CommandOutcome DeleteSubscriptionCommand(CRssDatabase& db, qint32 subscriptionID) {
    if (!CurrentPrompt().AskYesNo(
            QStringLiteral("Are you sure you want to delete the selected Subscription?"),
            QStringLiteral("Confirm")))
        return CommandOutcome::Declined;
    WaitCursor wait;
    return Outcome(db.DeleteSubscription(subscriptionID));
}

CommandOutcome PurgeDatabaseCommand(CRssDatabase& db, const QString& backupPath) {
    if (!CurrentPrompt().AskYesNo(
            QStringLiteral("This will Purge all old Feed data from the database.\n\nIt will not "
                           "delete your Feeds, but will simply remove all currently cached "
                           "content data.\n\nDo you want to continue?"),
            QStringLiteral("Confirm")))
        return CommandOutcome::Declined;
    WaitCursor wait;
    // The backup is a safety net, not a condition: the user asked for the purge.
    SaveBackup(db, backupPath);
    if (!db.PurgeAllData())
        return CommandOutcome::Failed;
    CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    return CommandOutcome::Done;
}
