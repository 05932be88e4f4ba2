// Search counts and the reading of an item list a page at a time.

#pragma once

#include "store/Records.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// How many items a search matches: all, and of those the shown (Status not 0), unread and
// locked ones, as a View counts its items.
struct CMatchCounts {
    qint32 all = 0;
    qint32 shown = 0;
    qint32 unread = 0;
    qint32 locked = 0;
};

// Where a reading of a Feed's or a View's items stands, so that the list can be read a page at a
// time and each page continues exactly where the last one ended. Opened by
// CRssDatabase::OpenFeedItems or OpenViewItems, read on by LoadMoreItems.
struct CItemCursor {
    enum class Kind {
        // A Feed's items by date, read on after the last row's date and identifier.
        Feed,
        // A View's items feed by feed, each feed newest first, read on after the last row.
        ViewByFeed,
        // A View ordered by item date: the items the feed-by-feed reading takes, read on by date
        // after the last row.
        ViewByDate,
        // The same when it shows few items: those are read when opened and handed out from here.
        // Also a search with few matches.
        Whole,
        // The matches of a search that has many, read on down the date index after the last row.
        Matches,
    };
    Kind kind = Kind::Feed;
    bool done = false;

    // Feed: one Feed's items, or with `everyFeed` those of all Feeds together.
    qint32 feedID = 0;
    bool everyFeed = false;
    int most = 0;
    int taken = 0;
    bool started = false;
    // Feed and ViewByDate: the stored date text of the last row read (null when it had no date)
    // and its identifier.
    QString lastDate;
    qint32 lastItemID = 0;

    // ViewByFeed: the View as read when opened, and the time its age filter counts from.
    CViewRecord view;
    bool hideRead = false;
    QDateTime now;
    QList<qint32> feedIDs;
    // When the View hides rows: the feeds that have a row it shows; the others are passed over.
    bool onlyFeedsWithShownItems = false;
    QSet<qint32> feedsWithShownItems;
    QString hiddenCondition;
    int feedIndex = 0;

    // ViewByDate: the View's rows down the date index, the newest it shows when it is capped.
    QString byDateQuery;

    // Whole
    std::vector<CFeedItemRecord> items;
    std::size_t handedOut = 0;

    // Matches, and Whole for a search: what makes a row of FeedItems a match, and the items the
    // search index names as maybe holding the text (none when the text has no run it keeps).
    QString matchCondition;
    std::optional<QString> indexQuery;
    // The query names a letter or two as the prefix of the runs the index keeps.
    bool indexByPrefix = false;
    bool byTitleIndex = false;
    bool byTextIndex = false;
    // The index names the matches and no others: they need no test with Like.
    bool indexIsExact = false;
    // Matches: the items the index names, when the text has a run it keeps; only these rows
    // are read and tested as the date index is walked.
    std::shared_ptr<const QSet<qint32>> candidates;
    // Known when opened for a search with few matches.
    std::optional<CMatchCounts> counted;
    // Set from another thread to stop the reading; the page read so far is kept.
    const std::atomic<bool>* cancel = nullptr;
};
