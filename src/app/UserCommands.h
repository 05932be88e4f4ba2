// The commands that delete or purge, written once for both programs with their confirmations.

#pragma once

#include <QString>
#include <QtGlobal>

class CRssDatabase;

// Each command asks the installed prompt its question first, so that the desktop shows a box and
// the command line answers from its flags; nothing changes unless the answer is Yes. The front
// end reads its lists again afterwards in its own way.
enum class CommandOutcome {
    Done,
    Declined, // the user answered No
    Refused,  // the target may not be changed this way (a reserved View)
    Failed,   // the store could not do it
};

// Deletes a Feed with its items and memberships.
CommandOutcome DeleteFeedCommand(CRssDatabase& db, qint32 feedID);

// Removes a Feed's items and cached data; the Feed stays, enabled, to be downloaded again.
CommandOutcome PurgeFeedCommand(CRssDatabase& db, qint32 feedID);

// Deletes a View the user made; the reserved Views are refused without a question.
CommandOutcome DeleteViewCommand(CRssDatabase& db, qint32 viewID);

// Deletes a subscription; its Feeds stay.
CommandOutcome DeleteSubscriptionCommand(CRssDatabase& db, qint32 subscriptionID);

// Removes every Feed's items, after an automatic backup to `backupPath` that is made whatever
// its own result: the Feeds, Views and subscriptions stay.
CommandOutcome PurgeDatabaseCommand(CRssDatabase& db, const QString& backupPath);
