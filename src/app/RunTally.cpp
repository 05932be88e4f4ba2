// What a download run brought, counted from the unread counts before and after it.

#include "app/RunTally.h"

RunTally CompareUnread(const QHash<qint32, CRssDatabase::FeedCounts>& before,
                       const QHash<qint32, CRssDatabase::FeedCounts>& after) {
    RunTally tally;
    for (auto feed = after.begin(); feed != after.end(); ++feed) {
        const int gained = feed->unread - before.value(feed.key()).unread;
        if (gained > 0) {
            tally.newItems += gained;
            tally.feedIDs.append(feed.key());
        }
    }
    return tally;
}

int TotalUnread(const QHash<qint32, CRssDatabase::FeedCounts>& counts) {
    int total = 0;
    for (const CRssDatabase::FeedCounts& feed : counts)
        total += feed.unread;
    return total;
}

QString RunTallyText(const RunTally& tally) {
    if (tally.newItems == 0)
        return QStringLiteral("No new items");
    return QStringLiteral("%1 new %2 in %3 %4")
        .arg(tally.newItems)
        .arg(tally.newItems == 1 ? QStringLiteral("item") : QStringLiteral("items"))
        .arg(tally.feedIDs.size())
        .arg(tally.feedIDs.size() == 1 ? QStringLiteral("feed") : QStringLiteral("feeds"));
}
