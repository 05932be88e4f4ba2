// The lists the screens show, searches, View membership and counts.
#include "store/AudioCache.h"
#include "store/DatabaseAccess.h"

#include <QSet>
#include <algorithm>
#include <iterator>
#include <limits>

namespace {

// A View ordered by item date that shows up to this many items has them read when opened and
// sorted; a larger one is read a page at a time down the date index.
constexpr int FewItems = 2048;

QString FeedOrder(const CViewRecord& view) {
    return view.SortBy == 0
               ? QStringLiteral(" Order By Feeds.Priority Desc, Feeds.LastFeedDate Desc")
               : QStringLiteral(" Order By Feeds.LastFeedDate Desc, Feeds.Priority Desc");
}

// The table that holds a View's members: its feeds, or, for a keyword View, its items.
QString MembershipTable(const CViewRecord& view) {
    return view.IsKeywordView ? QStringLiteral("ViewFeedItems") : QStringLiteral("ViewFeeds");
}

QString MemberFeedsQuery(const CViewRecord& view, const QString& columns) {
    const QString table = MembershipTable(view);
    return QStringLiteral("Select %1 From Feeds Inner Join %2 On Feeds.FeedID = %2.FeedID Where "
                          "Feeds.Status <> 0 And %2.ViewID = %3")
        .arg(columns, table, SqlInt(view.ViewID));
}

// The View's feeds, each once: a keyword View names a feed once per member item, so its feeds
// are read through the memberships rather than joined with every one of them.
QString DistinctMemberFeedsQuery(const CViewRecord& view, const QString& columns) {
    if (!view.IsKeywordView)
        return MemberFeedsQuery(view, columns);
    return QStringLiteral("Select %1 From Feeds Where Feeds.Status <> 0 And Feeds.FeedID In "
                          "(Select FeedID From ViewFeedItems Where ViewID = %2)")
        .arg(columns, SqlInt(view.ViewID));
}

// What makes a row of FeedItems one of a View's rows, its feed aside: for a keyword View its
// membership (ViewFeedItems joined), for the others that it is not hidden.
QString ViewItemCondition(const CViewRecord& view) {
    return view.IsKeywordView ? QStringLiteral("FeedItems.FeedItemID = ViewFeedItems.FeedItemID "
                                               "And ViewFeedItems.ViewID = ") +
                                    SqlInt(view.ViewID)
                              : QStringLiteral("FeedItems.Status <> 0");
}

QString MembershipJoin(const CViewRecord& view, const QString& join) {
    return view.IsKeywordView ? join + QStringLiteral(" ViewFeedItems") : QString();
}

// The rows of one feed that a View may show, as the View's item query joins them.
QString ViewItemsOfFeed(const CViewRecord& view, const QString& feedID) {
    return QStringLiteral("From FeedItems") + MembershipJoin(view, QStringLiteral(" Inner Join")) +
           QStringLiteral(" Where FeedItems.FeedID = ") + feedID + QStringLiteral(" And ") +
           ViewItemCondition(view);
}

// Whole days from the item's date to `now`; an item dated after it is 0 days old.
qint64 AgeInDays(const QDateTime& itemDate, const QDateTime& now) {
    return itemDate.isValid() ? std::max<qint64>(0, itemDate.secsTo(now) / 86400) : 0;
}

bool Shows(const CFeedItemRecord& item, const CItemCursor& cursor) {
    if ((cursor.view.HideRead || cursor.hideRead) && item.Status == ItemRead)
        return false;
    if (cursor.view.HideAfter < 1)
        return true;
    const qint64 age = AgeInDays(item.ItemDate, cursor.now);
    return age < 1 || age <= cursor.view.HideAfter;
}

QString HiddenReadCondition(const CItemCursor& cursor) {
    return cursor.view.HideRead || cursor.hideRead ? QStringLiteral(" And FeedItems.Status <> 2")
                                                   : QString();
}

// The rows with a date that the View's age limit may show; empty when it has no limit.
QString DatedRowsShown(const CItemCursor& cursor) {
    if (cursor.view.HideAfter < 1)
        return {};
    return QStringLiteral("FeedItems.ItemDate >= ") +
           SqlText(StoredDateText(cursor.now.addDays(-(cursor.view.HideAfter + 1)).addSecs(-60)));
}

// The rows a View hides, said in SQL on FeedItems so that the engine passes them over in its
// indexes: read items when they are hidden, and items older than the View's days. Every row read
// is still checked by Shows; this only has to let each row through that Shows would show, so
// the age limit has a minute to spare and items without a date pass.
QString HiddenItemsCondition(const CItemCursor& cursor) {
    const QString dated = DatedRowsShown(cursor);
    return HiddenReadCondition(cursor) +
           (dated.isEmpty() ? QString()
                            : QStringLiteral(" And (") + dated +
                                  QStringLiteral(" Or FeedItems.ItemDate Is Null)"));
}

// The rows of a View's feeds read down the date index: the rows come in the list's order, so a
// page costs the rows read to fill it. The View's own filter is checked on each row read.
QString RowsOfViewByDate(const CItemCursor& cursor) {
    return QStringLiteral("Select ") + ListedItemColumns +
           QStringLiteral(" From FeedItems Indexed By FeedItemsNewest_PI") +
           MembershipJoin(cursor.view, QStringLiteral(" Cross Join")) +
           QStringLiteral(" Where FeedItems.FeedID In (") + SqlIntList(cursor.feedIDs) +
           QStringLiteral(") And ") + ViewItemCondition(cursor.view) + HiddenReadCondition(cursor);
}

// Of each of the View's feeds, at least as many rows as it may show: its members, or its rows
// not hidden by status. Read from one index, without the rows themselves.
QString RowsPerFeedAtMost(const CItemCursor& cursor) {
    if (cursor.view.IsKeywordView)
        return QStringLiteral("Select FeedID,Count(*) From ViewFeedItems Where ViewID = ") +
               SqlInt(cursor.view.ViewID) + QStringLiteral(" And FeedID In (") +
               SqlIntList(cursor.feedIDs) + QStringLiteral(") Group By FeedID");
    return QStringLiteral("Select FeedItems.FeedID,Count(*) From FeedItems Where FeedItems.FeedID "
                          "In (") +
           SqlIntList(cursor.feedIDs) + QStringLiteral(") And FeedItems.Status <> 0") +
           HiddenReadCondition(cursor) + QStringLiteral(" Group By FeedItems.FeedID");
}

// In the order by date the rows with a date come first, those without last. Each part is read
// with a condition that is one range of an index on the date, so that the index gives the rows
// in order: the dated rows after the last one read, then the undated ones.
QString DatedRowsAfterLast(const CItemCursor& cursor) {
    if (!cursor.started)
        return QStringLiteral(" And FeedItems.ItemDate Is Not Null");
    return QStringLiteral(" And (FeedItems.ItemDate,FeedItems.FeedItemID) < (%1,%2)")
        .arg(SqlText(cursor.lastDate), SqlInt(cursor.lastItemID));
}

QString UndatedRowsAfterLast(const CItemCursor& cursor, bool amongUndated) {
    return QStringLiteral(" And FeedItems.ItemDate Is Null") +
           (amongUndated
                ? QStringLiteral(" And FeedItems.FeedItemID < ") + SqlInt(cursor.lastItemID)
                : QString());
}

// The rows at or above a row in the order by date: every row with a later date or the same date
// and at least its number; below a row without a date, every dated row as well.
QString RowsUpTo(const QString& date, qint32 itemID) {
    if (date.isNull())
        return QStringLiteral(" And (FeedItems.ItemDate Is Not Null Or FeedItems.FeedItemID >= ") +
               SqlInt(itemID) + u')';
    return QStringLiteral(" And (FeedItems.ItemDate,FeedItems.FeedItemID) >= (%1,%2)")
        .arg(SqlText(date), SqlInt(itemID));
}

QString SqlLimit(int count) {
    return QStringLiteral(" Limit ") + SqlInt(count);
}

constexpr int AllItems = std::numeric_limits<int>::max();

// Identifiers in the order first seen, each once.
class UniqueIDs {
public:
    void Add(qint32 id) {
        if (!seen_.contains(id)) {
            seen_.insert(id);
            ids_ << id;
        }
    }
    QList<qint32> List() const { return ids_; }

private:
    QList<qint32> ids_;
    QSet<qint32> seen_;
};

// The kept count a kind reads: unread items, locked ones where they are counted apart, or every
// shown item.
QString CountColumn(int kind, bool lockedCounts) {
    if (kind == ItemUnread)
        return QStringLiteral("Unread");
    if (kind == ItemLocked && lockedCounts)
        return QStringLiteral("Locked");
    return QStringLiteral("Shown");
}

} // namespace

bool CRssDatabase::LoadViewList() {
    ViewList.clear();
    return WithAccess(false, [&] {
        for (auto rows = Query(QStringLiteral("Select ViewID,ParentID,Label,Status From Views "
                                              "Where Status <> 0 Order By Label"));
             !rows->IsEOF(); rows->MoveNext()) {
            CViewRecord view;
            view.ViewID = rows->Field(0).GetLong();
            view.ParentID = rows->Field(1).GetLong();
            view.Label = rows->Field(2).GetString();
            view.Status = rows->Field(3).GetShort();
            ViewList.push_back(view);
        }
        return true;
    });
}

bool CRssDatabase::LoadFeedList(bool byPriority) {
    FeedList.clear();
    const QString order =
        byPriority ? QStringLiteral(" Order By Priority Desc, LastDownloadDate Asc, Title")
                   : QStringLiteral(" Order By Title");
    return WithAccess(false, [&] {
        const auto rows = Query(QStringLiteral("Select FeedID,Title,Status,Priority,LastFeedDate,"
                                               "FeedUrl,FeedType From Feeds Where Status <> 0") +
                                order);
        TakeReadableRows(*rows, [&](CAdoRecordset& row) {
            CFeedRecord feed;
            feed.FeedID = row.Field(0).GetLong();
            feed.Title = row.Field(1).GetString();
            feed.Status = row.Field(2).GetShort();
            feed.Priority = row.Field(3).GetShort();
            feed.LastFeedDate = row.Field(4).GetDate();
            feed.FeedUrl = row.Field(5).GetString();
            feed.FeedType = row.Field(6).GetShort();
            FeedList.push_back(feed);
            return true;
        });
        return true;
    });
}

bool CRssDatabase::LoadFeedItems(qint32 feedID, int most) {
    CItemCursor cursor;
    return OpenFeedItems(cursor, feedID, most) && LoadMoreItems(cursor, AllItems);
}

bool CRssDatabase::OpenFeedItems(CItemCursor& cursor, qint32 feedID, int most) {
    ItemList.clear();
    cursor = CItemCursor();
    cursor.kind = CItemCursor::Kind::Feed;
    cursor.feedID = feedID;
    cursor.most = most;
    return true;
}

bool CRssDatabase::OpenAllFeedsItems(CItemCursor& cursor) {
    OpenFeedItems(cursor, 0, 0);
    cursor.everyFeed = true;
    return true;
}

// Rows latest first, those without a date last, from the row after the cursor's last one; each
// row read moves the cursor past it. `datedShown` narrows the rows with a date. `limit` rows at
// most (0: no limit); `take` says whether to go on. Returns false when the rows ran out.
bool CRssDatabase::ReadOnByDate(CItemCursor& cursor, const QString& select,
                                const QString& datedShown, int limit,
                                const std::function<bool(CAdoRecordset&)>& take) {
    const bool amongUndated = cursor.started && cursor.lastDate.isNull();
    int read = 0;
    const auto readRows = [&](const QString& after) {
        bool stopped = false;
        const auto rows =
            Query(select + after +
                  QStringLiteral(" Order By FeedItems.ItemDate Desc,FeedItems.FeedItemID Desc") +
                  (limit > 0 ? SqlLimit(limit - read) : QString()));
        TakeReadableRows(*rows, [&](CAdoRecordset& row) {
            ++read;
            cursor.started = true;
            cursor.lastItemID = row.Field(0).GetLong();
            cursor.lastDate = row.Field(4).GetString();
            stopped = !take(row) || read == limit;
            return !stopped;
        });
        return stopped;
    };
    if (!amongUndated && readRows(DatedRowsAfterLast(cursor) + datedShown))
        return true;
    return readRows(UndatedRowsAfterLast(cursor, amongUndated));
}

void CRssDatabase::AppendFeedPage(CItemCursor& cursor, int count) {
    const int wanted = cursor.most == 0 ? count : std::min(count, cursor.most - cursor.taken);
    const bool more = ReadOnByDate(
        cursor,
        QStringLiteral("Select ") + ListedItemColumns +
            QStringLiteral(" From FeedItems Where FeedItems.Status <> 0") +
            (cursor.everyFeed ? QString()
                              : QStringLiteral(" And FeedItems.FeedID = ") + SqlInt(cursor.feedID)),
        QString(), wanted, [&](CAdoRecordset& row) {
            ItemList.push_back(ReadListedItem(row));
            ++cursor.taken;
            return true;
        });
    cursor.done = !more || (cursor.most != 0 && cursor.taken >= cursor.most);
}

// The View's feeds in display order, each once, disabled ones left out.
QList<qint32> CRssDatabase::ShownFeedsOfView(const CViewRecord& view) {
    UniqueIDs feedIDs;
    for (auto rows =
             Query(DistinctMemberFeedsQuery(view, QStringLiteral("Feeds.FeedID,Feeds.Status")) +
                   FeedOrder(view));
         !rows->IsEOF(); rows->MoveNext())
        if (rows->Field(1).GetShort() != 1)
            feedIDs.Add(rows->Field(0).GetLong());
    return feedIDs.List();
}

// Reads on in the cursor's feed, at most `count` shown items; moves to the next feed when this
// one has no more rows. Returns how many items were appended.
int CRssDatabase::AppendShownItemsOfFeed(CItemCursor& cursor, int count) {
    const CViewRecord& view = cursor.view;
    const QString feedID = SqlInt(cursor.feedIDs[cursor.feedIndex]);
    const QString after =
        cursor.started ? QStringLiteral(" And FeedItems.FeedItemID < ") + SqlInt(cursor.lastItemID)
                       : QString();
    const auto rows =
        Query(QStringLiteral("Select ") + ListedItemColumns + u' ' + ViewItemsOfFeed(view, feedID) +
              cursor.hiddenCondition + after +
              QStringLiteral(" Order By FeedItems.FeedItemID Desc") + SqlLimit(count));
    int read = 0;
    int appended = 0;
    TakeReadableRows(*rows, [&](CAdoRecordset& row) {
        ++read;
        cursor.started = true;
        cursor.lastItemID = row.Field(0).GetLong();
        CFeedItemRecord item = ReadListedItem(row);
        if (!Shows(item, cursor))
            return true;
        ItemList.push_back(std::move(item));
        ++appended;
        return appended < count;
    });
    if (read < count) {
        ++cursor.feedIndex;
        cursor.started = false;
    }
    return appended;
}

void CRssDatabase::AppendViewPage(CItemCursor& cursor, int count) {
    int appended = 0;
    while (appended < count) {
        if (cursor.feedIndex >= int(cursor.feedIDs.size())) {
            cursor.done = true;
            return;
        }
        if (cursor.onlyFeedsWithShownItems &&
            !cursor.feedsWithShownItems.contains(cursor.feedIDs[cursor.feedIndex])) {
            ++cursor.feedIndex;
            continue;
        }
        appended += AppendShownItemsOfFeed(cursor, count - appended);
    }
}

// Feeds of the View with a row it would show; only asked when the View hides rows, so that a
// View whose rows are hidden costs an index probe per feed rather than a reading of its rows.
QSet<qint32> CRssDatabase::FeedsWithShownItems(const CViewRecord& view, const QString& hidden) {
    QSet<qint32> feedIDs;
    for (auto rows = Query(DistinctMemberFeedsQuery(view, QStringLiteral("Feeds.FeedID")) +
                           QStringLiteral(" And Exists(Select 1 ") +
                           ViewItemsOfFeed(view, QStringLiteral("Feeds.FeedID")) + hidden + u')');
         !rows->IsEOF(); rows->MoveNext())
        feedIDs.insert(rows->Field(0).GetLong());
    return feedIDs;
}

bool CRssDatabase::LoadViewItems(qint32 viewID, bool hideRead) {
    CItemCursor cursor;
    return OpenViewItems(cursor, viewID, hideRead) && LoadMoreItems(cursor, AllItems);
}

bool CRssDatabase::OpenViewItems(CItemCursor& cursor, qint32 viewID, bool hideRead) {
    ItemList.clear();
    cursor = CItemCursor();
    const auto view = GetView(viewID);
    if (!view)
        return false;
    cursor.kind = CItemCursor::Kind::ViewByFeed;
    cursor.view = *view;
    cursor.hideRead = hideRead;
    cursor.now = NowGmt();
    const bool capped = Limits(cursor.view.NumToShow);
    qint64 shownAtMost = 0;
    const bool opened = WithAccess(false, [&] {
        cursor.feedIDs = ShownFeedsOfView(cursor.view);
        // Only a cap or the order by date needs to know how many items there may be.
        if (capped || cursor.view.SortBy == 2)
            shownAtMost = ShownItemsAtMost(cursor);
        const QString newest = NewestShownItems(cursor, shownAtMost);
        if (capped)
            shownAtMost = std::min<qint64>(shownAtMost, cursor.view.NumToShow);
        cursor.hiddenCondition = HiddenItemsCondition(cursor) + newest;
        cursor.byDateQuery = RowsOfViewByDate(cursor) + newest;
        cursor.onlyFeedsWithShownItems = !cursor.hiddenCondition.isEmpty();
        if (cursor.onlyFeedsWithShownItems)
            cursor.feedsWithShownItems = FeedsWithShownItems(cursor.view, cursor.hiddenCondition);
        return true;
    });
    return opened && (cursor.view.SortBy != 2 || OpenViewItemsByDate(cursor, shownAtMost));
}

// A View capped at N shows the newest N items of all its feeds together, however they fall
// among the feeds. Walks down the date index to the Nth item the View shows and returns the
// condition that keeps the rows up to it; empty when the View shows every item anyway.
QString CRssDatabase::NewestShownItems(const CItemCursor& cursor, qint64 shownAtMost) {
    const int most = cursor.view.NumToShow;
    if (!Limits(most) || shownAtMost <= most)
        return {};
    const QString dated = DatedRowsShown(cursor);
    CItemCursor walk;
    int shown = 0;
    ReadOnByDate(walk, RowsOfViewByDate(cursor),
                 dated.isEmpty() ? QString() : QStringLiteral(" And ") + dated, 0,
                 [&](CAdoRecordset& row) {
                     return !(Shows(ReadListedItem(row), cursor) && ++shown == most);
                 });
    return shown < most ? QString() : RowsUpTo(walk.lastDate, walk.lastItemID);
}

// A View ordered by item date shows the items the feed-by-feed reading takes; only their order
// differs. A View that shows few items has them read when opened and sorted; a larger one is
// read a page at a time down the date index.
bool CRssDatabase::OpenViewItemsByDate(CItemCursor& cursor, qint64 shownAtMost) {
    if (shownAtMost > FewItems) {
        cursor.kind = CItemCursor::Kind::ViewByDate;
        return true;
    }
    std::vector<CFeedItemRecord> few;
    const bool read = WithAccess(false, [&] {
        while (!cursor.done) {
            AppendViewPage(cursor, FewItems);
            std::move(ItemList.begin(), ItemList.end(), std::back_inserter(few));
            ItemList.clear();
        }
        return true;
    });
    cursor.done = false;
    std::sort(few.begin(), few.end(), ListedBefore);
    cursor.items = std::move(few);
    cursor.kind = CItemCursor::Kind::Whole;
    return read;
}

// As many items as the View can show at most, counted from the indexes alone, as numbers each
// feed's shown items cannot exceed.
qint64 CRssDatabase::ShownItemsAtMost(const CItemCursor& cursor) {
    qint64 total = 0;
    for (auto rows = Query(RowsPerFeedAtMost(cursor)); !rows->IsEOF(); rows->MoveNext())
        total += rows->Field(1).GetLong();
    return total;
}

// Reads on down the date index, keeping the rows that the View shows.
void CRssDatabase::AppendViewPageByDate(CItemCursor& cursor, int count) {
    int appended = 0;
    const QString dated = DatedRowsShown(cursor);
    const QString datedShown = dated.isEmpty() ? QString() : QStringLiteral(" And ") + dated;
    cursor.done = !ReadOnByDate(cursor, cursor.byDateQuery, datedShown, 0, [&](CAdoRecordset& row) {
        CFeedItemRecord item = ReadListedItem(row);
        if (Shows(item, cursor)) {
            ItemList.push_back(std::move(item));
            ++appended;
        }
        return appended < count;
    });
}

bool CRssDatabase::LoadMoreItems(CItemCursor& cursor, int count) {
    ItemList.clear();
    if (cursor.cancel && *cursor.cancel)
        return true;
    if (cursor.kind == CItemCursor::Kind::Whole) {
        const std::size_t end =
            std::min(cursor.items.size(), cursor.handedOut + std::size_t(std::max(count, 0)));
        std::move(cursor.items.begin() + std::ptrdiff_t(cursor.handedOut),
                  cursor.items.begin() + std::ptrdiff_t(end), std::back_inserter(ItemList));
        cursor.handedOut = end;
        cursor.done = end == cursor.items.size();
        return true;
    }
    if (cursor.done || count <= 0)
        return true;
    return WithAccess(false, [&] {
        if (cursor.kind == CItemCursor::Kind::Feed)
            AppendFeedPage(cursor, count);
        else if (cursor.kind == CItemCursor::Kind::ViewByDate)
            AppendViewPageByDate(cursor, count);
        else if (cursor.kind == CItemCursor::Kind::Matches)
            AppendMatchesPage(cursor, count);
        else
            AppendViewPage(cursor, count);
        return true;
    });
}

bool CRssDatabase::LoadSubscriptionList() {
    SubscriptionList.clear();
    return WithAccess(false, [&] {
        for (auto rows = Query(QStringLiteral("Select ") + SubscriptionColumns +
                               QStringLiteral(" From Subscriptions Order By Title"));
             !rows->IsEOF(); rows->MoveNext())
            SubscriptionList.push_back(ReadSubscription(*rows));
        return true;
    });
}

bool CRssDatabase::LoadAudioList(qint16 audioStatus) {
    AudioList.clear();
    return WithAccess(false, [&] {
        for (auto rows = Query(QStringLiteral("Select FeedItemID,FeedID,Link,Size From "
                                              "FeedItemAudioData Where Status = ") +
                               SqlInt(audioStatus) +
                               (audioStatus == 0 ? QStringLiteral(" Order By FeedItemID Desc")
                                                 : QStringLiteral(" Order By FeedItemID")));
             !rows->IsEOF(); rows->MoveNext()) {
            CAudioEntry entry;
            entry.FeedItemID = rows->Field(0).GetLong();
            entry.FeedID = rows->Field(1).GetLong();
            entry.Link = rows->Field(2).GetString();
            entry.Size = rows->Field(3).GetLong();
            entry.FeedLabel = UnknownFeedLabel();
            AudioList.push_back(entry);
        }
        for (CAudioEntry& entry : AudioList) {
            const auto title = Query(QStringLiteral("Select Title From Feeds Where FeedID = ") +
                                     SqlInt(entry.FeedID));
            if (!title->IsEOF())
                entry.FeedLabel = FeedLabelOf(title->Field(0).GetString());
        }
        return true;
    });
}

std::optional<QList<qint32>> CRssDatabase::GetViewFeedIDs(qint32 viewID) {
    const auto view = GetView(viewID);
    if (!view)
        return std::nullopt;
    return WithAccess(std::optional<QList<qint32>>(), [&]() -> std::optional<QList<qint32>> {
        UniqueIDs feedIDs;
        for (auto rows = Query(MemberFeedsQuery(*view, QStringLiteral("Feeds.FeedID")) +
                               QStringLiteral(" Order By Feeds.Priority Desc"));
             !rows->IsEOF(); rows->MoveNext())
            feedIDs.Add(rows->Field(0).GetLong());
        return feedIDs.List();
    });
}

std::optional<QList<qint32>> CRssDatabase::GetFeedViewIDs(qint32 feedID) {
    // The list is handed out through the variable rather than as WithAccess's result: moving an
    // optional list through it trips a false "may be used uninitialized" in g++ 12.
    std::optional<QList<qint32>> viewIDs;
    WithAccess(false, [&] {
        QList<qint32> found;
        for (auto rows = Query(QStringLiteral("Select Views.ViewID From Views Inner Join ViewFeeds "
                                              "On Views.ViewID = ViewFeeds.ViewID Where "
                                              "ViewFeeds.FeedID = ") +
                               SqlInt(feedID) + QStringLiteral(" Order By Views.Label"));
             !rows->IsEOF(); rows->MoveNext())
            found << rows->Field(0).GetLong();
        viewIDs = std::move(found);
        return true;
    });
    return viewIDs;
}

bool CRssDatabase::ClearViewMembership(qint32 viewID) {
    return ExecuteWithID({QStringLiteral("Delete From ViewFeeds Where ViewID = "),
                          QStringLiteral("Delete From ViewFeedItems Where ViewID = "),
                          QStringLiteral("Delete From SearchMatchCounts Where ViewID = ")},
                         viewID);
}

bool CRssDatabase::RebuildKeywordView(qint32 viewID, bool byTitle, bool byKeywords, bool byText) {
    const auto view = GetView(viewID);
    if (!view || viewID == WhatsNewViewID || view->Keywords.isEmpty())
        return false;
    SearchResults found;
    for (const QString& keyword : view->Keywords.split(u','))
        SearchItems(keyword, found, byTitle, byKeywords, byText, false);
    return WithAccess(false, [&] {
        QHash<qint32, qint16> priorities;
        for (auto feeds = Query(QStringLiteral("Select FeedID,Priority From Feeds"));
             !feeds->IsEOF(); feeds->MoveNext())
            priorities.insert(feeds->Field(0).GetLong(), feeds->Field(1).GetShort());
        std::vector<ViewMember> members;
        members.reserve(std::size_t(found.feedItemIDs.size()));
        for (qsizetype i = 0; i < found.feedItemIDs.size(); ++i)
            members.push_back(
                {found.feedItemIDs[i], found.feedIDs[i], priorities.value(found.feedIDs[i], 1)});
        return ReplaceViewMembers(viewID, members);
    });
}

bool CRssDatabase::RebuildWhatsNew() {
    return FillWhatsNew(QString(), 50);
}

qint32 CRssDatabase::LastItemID() {
    return WithAccess(qint32(0), [&] {
        const auto rows = Query(QStringLiteral("Select Max(FeedItemID) From FeedItems"));
        return rows->IsEOF() ? 0 : rows->Field(0).GetLong();
    });
}

bool CRssDatabase::CollectWhatsNew(qint32 lastBefore) {
    return FillWhatsNew(QStringLiteral(" And FeedItemID > ") + SqlInt(lastBefore),
                        std::numeric_limits<qsizetype>::max());
}

bool CRssDatabase::FillWhatsNew(const QString& condition, qsizetype limit) {
    if (!ClearViewMembership(WhatsNewViewID))
        return false;
    return WithAccess(false, [&] {
        QStringList inserts;
        auto rows = Query(QStringLiteral("Select FeedItemID,FeedID From FeedItems Where Status <> "
                                         "0") +
                          condition + QStringLiteral(" Order By ItemDate Desc,FeedItemID Desc"));
        for (; !rows->IsEOF() && inserts.size() < limit; rows->MoveNext())
            inserts << QStringLiteral("Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,"
                                      "Priority) Values(1,%1,%2,0)")
                           .arg(rows->Field(1).GetLong())
                           .arg(rows->Field(0).GetLong());
        rows.reset();
        ScopedTransaction transaction(*connection_);
        return connection_->ExecuteAll(inserts) && transaction.Commit();
    });
}

qint32 CRssDatabase::CountFeedItems(qint32 feedID, int kind) {
    return WithAccess(qint32(0), [&] {
        const auto rows =
            Query(QStringLiteral("Select ") + CountColumn(kind, false) +
                  QStringLiteral(" From FeedItemCounts Where FeedID = ") + SqlInt(feedID));
        return rows->IsEOF() ? 0 : rows->Field(0).GetLong();
    });
}

QHash<qint32, CRssDatabase::FeedCounts> CRssDatabase::CountAllFeedItems() {
    return WithAccess(QHash<qint32, FeedCounts>(), [&] {
        QHash<qint32, FeedCounts> counts;
        for (auto rows = Query(QStringLiteral("Select FeedID,Unread,Shown From FeedItemCounts "
                                              "Where Shown > 0"));
             !rows->IsEOF(); rows->MoveNext())
            counts.insert(rows->Field(0).GetLong(),
                          {rows->Field(1).GetLong(), rows->Field(2).GetLong()});
        return counts;
    });
}

qint32 CRssDatabase::CountViewItems(qint32 viewID, int kind) {
    const auto view = GetView(viewID);
    if (!view)
        return 0;
    const QString column = CountColumn(kind, true);
    return WithAccess(qint32(0), [&] {
        // A View of items has its own counts, and those of the matches of a search it does not
        // hold; a View of feeds adds up those of its enabled feeds, each once.
        const auto rows =
            view->IsKeywordView
                ? Query(QStringLiteral("Select Coalesce((Select %1 From ViewItemCounts Where "
                                       "ViewID = %2),0) + Coalesce((Select %1 From "
                                       "SearchMatchCounts Where ViewID = %2),0)")
                            .arg(column, SqlInt(viewID)))
                : Query(QStringLiteral("Select Coalesce(Sum(") + column +
                        QStringLiteral("),0) From FeedItemCounts Where FeedID In (") +
                        MemberFeedsQuery(*view, QStringLiteral("Feeds.FeedID")) +
                        QStringLiteral(" And Feeds.Status <> 1)"));
        return rows->IsEOF() ? 0 : rows->Field(0).GetLong();
    });
}
