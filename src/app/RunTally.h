// What a download run brought, and the sentence that tells it.

#pragma once

#include "store/RssDatabase.h"

#include <QHash>
#include <QString>

// What a download run brought, told by the unread counts of each feed before and after it.
struct RunTally {
    int newItems = 0;
    // The feeds that gained unread items.
    QList<qint32> feedIDs;
};

RunTally CompareUnread(const QHash<qint32, CRssDatabase::FeedCounts>& before,
                       const QHash<qint32, CRssDatabase::FeedCounts>& after);
int TotalUnread(const QHash<qint32, CRssDatabase::FeedCounts>& counts);
// "12 new items in 3 feeds", "1 new item in 1 feed", "No new items".
QString RunTallyText(const RunTally& tally);
