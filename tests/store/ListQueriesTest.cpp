// Tests of the item and feed lists.

#include "StoreFixture.h"

#include <algorithm>
#include <vector>

namespace {

class ListQueriesTest : public StoreFixture {
protected:
    QList<qint32> ListedIDs() const {
        QList<qint32> ids;
        for (const auto& item : db_.ItemList)
            ids << item.FeedItemID;
        return ids;
    }

    const QDateTime now_ = NowGmt();
};

// A View capped at N shows the newest N items of all its feeds together, however they fall among
// the feeds, in the View's order; a View without a limit shows every item. Two busy feeds hold
// the newest items, eighteen quiet ones with a higher priority a few old ones each: 401 items.
TEST_F(ListQueriesTest, ACappedViewShowsTheNewestItemsOfAllItsFeeds) {
    struct Stored {
        qint32 feed;
        qint32 id;
        QDateTime date; // invalid: no date
        bool read;
    };
    std::vector<Stored> stored;
    QList<qint32> feeds;
    for (qint32 feed = 1; feed <= 20; ++feed) {
        feeds << feed;
        AddFeed(feed, QString("F%1").arg(feed), feed);
    }
    for (int minute = 0; minute < 346; ++minute)
        stored.push_back(
            {minute % 2 ? 2 : 1, 100000 - minute, now_.addSecs(-minute * 60), minute < 10});
    for (qint32 feed = 3; feed <= 20; ++feed)
        for (int hour = 0; hour < 3; ++hour)
            stored.push_back(
                {feed, feed * 100 + hour, now_.addDays(-10).addSecs(-hour * 3600), false});
    stored.push_back({20, 1, QDateTime(), false});
    ASSERT_EQ(stored.size(), 401u);
    for (const Stored& item : stored)
        AddItem(item.feed, item.id, item.date.isValid() ? item.date : now_,
                item.read ? ItemRead : ItemUnread);
    Sql({"Update FeedItems Set ItemDate = Null Where FeedItemID = 1"});

    // The model: newest first, ties to the larger number, items without a date last.
    std::sort(stored.begin(), stored.end(), [](const Stored& a, const Stored& b) {
        if (a.date.isValid() != b.date.isValid())
            return a.date.isValid();
        return a.date != b.date ? a.date > b.date : a.id > b.id;
    });
    const auto newest = [&](int most, bool hideRead) {
        std::vector<Stored> shown;
        for (const Stored& item : stored)
            if (!(hideRead && item.read) && (most == NoItemLimit || int(shown.size()) < most))
                shown.push_back(item);
        return shown;
    };
    const auto byDate = [](const std::vector<Stored>& items) {
        QList<qint32> ids;
        for (const Stored& item : items)
            ids << item.id;
        return ids;
    };
    // By priority: feed by feed, the highest priority first, each newest number first.
    const auto byFeed = [](std::vector<Stored> items) {
        std::stable_sort(items.begin(), items.end(), [](const Stored& a, const Stored& b) {
            return a.feed != b.feed ? a.feed > b.feed : a.id > b.id;
        });
        QList<qint32> ids;
        for (const Stored& item : items)
            ids << item.id;
        return ids;
    };

    struct Case {
        int numToShow;
        int sortBy;
        bool hideRead;
    };
    const Case cases[] = {{30, 2, false},          {30, 0, false},         {30, 2, true},
                          {30, 0, true},           {400, 2, false},        {10000, 0, false},
                          {NoItemLimit, 2, false}, {NoItemLimit, 0, true}, {1, 0, false}};
    qint32 viewID = 900;
    for (const Case& test : cases) {
        SCOPED_TRACE(QString("%1 items, sorted %2, hide read %3")
                         .arg(test.numToShow)
                         .arg(test.sortBy)
                         .arg(test.hideRead)
                         .toStdString());
        AddView(++viewID, "V", feeds, test.numToShow, test.sortBy);
        ASSERT_TRUE(db_.LoadViewItems(viewID, test.hideRead));
        const std::vector<Stored> expected = newest(test.numToShow, test.hideRead);
        EXPECT_EQ(ListedIDs(), test.sortBy == 2 ? byDate(expected) : byFeed(expected));
        for (int page : {7, 64}) {
            CItemCursor cursor;
            ASSERT_TRUE(db_.OpenViewItems(cursor, viewID, test.hideRead));
            QList<qint32> paged;
            while (!cursor.done && db_.LoadMoreItems(cursor, page))
                paged << ListedIDs();
            EXPECT_EQ(paged, test.sortBy == 2 ? byDate(expected) : byFeed(expected)) << page;
        }
    }

    AddView(++viewID, "Empty", {}, 30);
    ASSERT_TRUE(db_.LoadViewItems(viewID, false));
    EXPECT_TRUE(db_.ItemList.empty());
    EXPECT_EQ(db_.CountViewItems(viewID, 0), 0);
    EXPECT_FALSE(db_.LoadViewItems(12345, false));
}

// Rows that earlier builds stored with five-digit years cannot be read; the lists show the
// others all the same.
TEST_F(ListQueriesTest, ARowThatCannotBeReadNeverStopsTheList) {
    AddFeed(1, "Good");
    AddFeed(2, "Bad");
    AddItem(1, 10, now_);
    AddItem(1, 11, now_);
    AddItem(1, 12, now_.addSecs(-60));
    Sql({"Update Feeds Set LastFeedDate = '20005-01-03 10:30:15' Where FeedID = 2",
         "Update FeedItems Set ItemDate = '20005-01-03 10:30:15' Where FeedItemID = 11"});
    ASSERT_TRUE(db_.LoadFeedList(false));
    ASSERT_EQ(db_.FeedList.size(), 1u);
    EXPECT_EQ(db_.FeedList[0].Title, "Good");
    ASSERT_TRUE(db_.LoadFeedItems(1, 0));
    EXPECT_EQ(ListedIDs(), QList<qint32>({10, 12}));
    AddView(900, "V", {1});
    ASSERT_TRUE(db_.LoadViewItems(900, false));
    EXPECT_EQ(ListedIDs(), QList<qint32>({12, 10}));
}

TEST_F(ListQueriesTest, ReadAndAgeFilters) {
    AddFeed(1, "F");
    AddItem(1, 10, now_.addSecs(-(3 * 86400 + 23 * 3600)));
    AddItem(1, 11, now_.addSecs(-4 * 86400 - 60));
    AddItem(1, 12, now_.addDays(2)); // dated in the future
    AddItem(1, 13, now_, ItemRead);
    AddItem(1, 14, now_, ItemHidden);
    AddView(900, "V", {1});
    CViewRecord view = *db_.GetView(900);

    ASSERT_TRUE(db_.LoadViewItems(900, false));
    EXPECT_EQ(ListedIDs(), QList<qint32>({13, 12, 11, 10}));
    ASSERT_TRUE(db_.LoadViewItems(900, true)); // hide-read argument alone
    EXPECT_EQ(ListedIDs(), QList<qint32>({12, 11, 10}));

    view.HideAfter = 3;
    view.HideRead = true;
    ASSERT_TRUE(db_.UpdateView(view));
    ASSERT_TRUE(db_.LoadViewItems(900, false));
    EXPECT_EQ(ListedIDs(), QList<qint32>({12, 10}));
}

TEST_F(ListQueriesTest, DisabledFeedsAndOrderings) {
    AddFeed(1, "Low", 1, 2, now_.addDays(-1));
    AddFeed(2, "High", 9, 2, now_.addDays(-5));
    AddFeed(3, "Off", 50, 1, now_);
    AddItem(1, 10, now_.addSecs(-100));
    AddItem(1, 11, now_.addSecs(-300));
    AddItem(2, 20, now_.addSecs(-200));
    AddItem(2, 21, now_.addSecs(-50));
    AddItem(3, 30, now_);
    AddView(900, "By priority", {1, 2, 3}, 30, 0);
    AddView(901, "By feed date", {1, 2, 3}, 30, 1);
    AddView(902, "By item date", {1, 2, 3}, 30, 2);
    const std::pair<qint32, QList<qint32>> expected[] = {
        {900, {21, 20, 11, 10}}, {901, {11, 10, 21, 20}}, {902, {21, 10, 20, 11}}};
    for (const auto& [viewID, ids] : expected) {
        ASSERT_TRUE(db_.LoadViewItems(viewID, false));
        EXPECT_EQ(ListedIDs(), ids) << viewID;
    }
    EXPECT_EQ(db_.CountViewItems(900, 0), 4);
    EXPECT_EQ(db_.CountViewItems(900, ItemUnread), 4);
    EXPECT_EQ(db_.CountFeedItems(3, 0), 1);
    ASSERT_TRUE(db_.LoadFeedItems(3, 0));
    EXPECT_EQ(ListedIDs(), QList<qint32>{30}); // still listed as a feed
    ASSERT_TRUE(db_.LoadFeedItems(1, 1));
    EXPECT_EQ(ListedIDs(), QList<qint32>{10});
    // Membership lists disabled feeds too; only the item lists leave them out.
    EXPECT_EQ(*db_.GetViewFeedIDs(900), QList<qint32>({3, 2, 1}));

    ASSERT_TRUE(db_.LoadFeedList(true));
    QStringList titles;
    for (const auto& feed : db_.FeedList)
        titles << feed.Title;
    EXPECT_EQ(titles, QStringList({"Off", "High", "Low"}));
    ASSERT_TRUE(db_.LoadFeedList(false));
    EXPECT_EQ(db_.FeedList.front().Title, "High");
}

TEST_F(ListQueriesTest, WhatsNewHoldsTheFiftyNewest) {
    AddFeed(1, "F");
    AddFeed(2, "G", 1, 1);
    for (int i = 0; i < 60; ++i)
        AddItem(i % 2 ? 1 : 2, 1000 + i, now_.addSecs(-(i / 2) * 60));
    AddItem(1, 5000, now_.addDays(-100), ItemHidden);
    ASSERT_TRUE(db_.RebuildWhatsNew());
    const QStringList members = Rows("Select FeedItemID,Priority From ViewFeedItems Where "
                                     "ViewID = 1 Order By FeedItemID");
    ASSERT_EQ(members.size(), 50);
    // Ties on the date go to the larger item number, so the 10 oldest drop out.
    EXPECT_EQ(members.front(), "1000|0");
    EXPECT_EQ(members.back(), "1049|0");
    EXPECT_EQ(db_.CountViewItems(1, 0), 50);
    ASSERT_TRUE(db_.LoadViewItems(1, false));
    EXPECT_EQ(db_.ItemList.size(), 25u); // the disabled feed's items are left out
}

TEST_F(ListQueriesTest, SearchAndKeywordViews) {
    AddFeed(1, "F", 7);
    AddItem(1, 10, now_, ItemUnread, "Apple and pear");
    AddItem(1, 11, now_.addSecs(-60), ItemLocked, "O''Reilly books");
    AddItem(1, 12, now_.addSecs(-120), ItemRead, "Nothing");
    Sql({"Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
         "Values(12,1,1,0,'a pear in the text')",
         "Update FeedItems Set Keywords = 'fruit' Where FeedItemID = 11"});

    CRssDatabase::SearchResults found;
    db_.SearchItems(" o'reilly ", found, true, false, false, true);
    EXPECT_EQ(found.feedItemIDs, QList<qint32>{11});
    EXPECT_EQ(found.titles, QStringList{"O'Reilly books"});
    db_.SearchItems("pear", found, true, true, true, true);
    EXPECT_EQ(found.feedItemIDs, QList<qint32>({11, 10, 12}));
    db_.SearchItems("x'); Delete From FeedItems; --", found, true, true, true, true);
    EXPECT_EQ(Count("FeedItems"), 3);

    AddView(900, "Fruit", {}, 30, 0, " pear , , fruit,PEAR");
    ASSERT_TRUE(db_.RebuildKeywordView(900, true, true, true));
    EXPECT_EQ(Rows("Select FeedItemID,Priority From ViewFeedItems Where ViewID = 900"),
              QStringList({"10|7", "12|7", "11|7"}));
    EXPECT_EQ(db_.CountViewItems(900, ItemLocked), 1);
    EXPECT_EQ(db_.CountViewItems(900, ItemUnread), 1);
    ASSERT_TRUE(db_.LoadViewItems(900, false));
    EXPECT_EQ(ListedIDs(), QList<qint32>({12, 11, 10}));
    // A rebuild that finds what the View holds keeps its rows; a feed's new priority is taken,
    // and a new match counted.
    const QString members =
        QStringLiteral("Select rowid,FeedItemID,Priority From ViewFeedItems Where ViewID = 900 "
                       "Order By FeedItemID");
    const QStringList held = Rows(members);
    ASSERT_TRUE(db_.RebuildKeywordView(900, true, true, true));
    EXPECT_EQ(Rows(members), held);
    Sql({"Update Feeds Set Priority = 3 Where FeedID = 1"});
    ASSERT_TRUE(db_.RebuildKeywordView(900, true, true, true));
    AddItem(1, 13, now_.addSecs(-180), ItemUnread, "Pear tart");
    ASSERT_TRUE(db_.RebuildKeywordView(900, true, true, true));
    EXPECT_EQ(Rows("Select FeedItemID,Priority From ViewFeedItems Where ViewID = 900 Order By "
                   "FeedItemID"),
              QStringList({"10|3", "11|3", "12|3", "13|3"}));
    EXPECT_EQ(db_.CountViewItems(900, 0), 4);
    EXPECT_EQ(db_.CountViewItems(900, ItemUnread), 2);
    EXPECT_EQ(db_.CountViewItems(900, ItemLocked), 1);
    // A rebuild replaces the memberships with their counts, and the counts go on being kept.
    Sql({"Update Views Set Keywords = 'fruit' Where ViewID = 900"});
    ASSERT_TRUE(db_.RebuildKeywordView(900, true, true, true));
    EXPECT_EQ(Rows("Select FeedItemID From ViewFeedItems Where ViewID = 900"), QStringList{"11"});
    EXPECT_EQ(db_.CountViewItems(900, 0), 1);
    EXPECT_EQ(db_.CountViewItems(900, ItemLocked), 1);
    Sql({"Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) Values(900,1,12,7)"});
    EXPECT_EQ(db_.CountViewItems(900, 0), 2);
    EXPECT_FALSE(db_.RebuildKeywordView(1, true, true, true));
    EXPECT_FALSE(db_.RebuildKeywordView(2, true, true, true)); // no keywords
}

// Titles and keywords are tested in one reading of the rows; the items found by their title still
// come first, then those found in their keywords only, each part in feed order.
TEST_F(ListQueriesTest, SearchListsTitleMatchesBeforeKeywordMatches) {
    for (qint32 feed = 1; feed <= 3; ++feed)
        AddFeed(feed, QString("F%1").arg(feed));
    AddItem(1, 20, now_, ItemUnread, "Plums");
    AddItem(2, 22, now_, ItemUnread, "Pear cider");
    AddItem(3, 21, now_, ItemUnread, "Pear jam");
    AddItem(1, 23, now_, ItemUnread, "Apples");
    Sql({"Update FeedItems Set Keywords = 'pears' Where FeedItemID In (20, 21)"});
    const struct {
        bool byTitle;
        bool byKeywords;
        QList<qint32> found;
    } cases[] = {
        {true, false, {22, 21}},
        {false, true, {20, 21}},
        {true, true, {22, 21, 20}},
    };
    for (const auto& searched : cases) {
        CRssDatabase::SearchResults found;
        db_.SearchItems("PEAR", found, searched.byTitle, searched.byKeywords, false, false);
        EXPECT_EQ(found.feedItemIDs, searched.found)
            << searched.byTitle << " " << searched.byKeywords;
    }
}

TEST_F(ListQueriesTest, MembershipAndAudioLists) {
    AddFeed(1, "Talk: The Show?");
    AddFeed(2, "Other");
    AddView(900, "Beta", {1});
    AddView(901, "Alpha", {1, 2});
    EXPECT_EQ(*db_.GetFeedViewIDs(1), QList<qint32>({901, 900}));
    ASSERT_TRUE(db_.SetFeedViews(1, {900}));
    EXPECT_EQ(*db_.GetFeedViewIDs(1), QList<qint32>{900});
    ASSERT_TRUE(db_.ClearViewMembership(901));
    EXPECT_TRUE(db_.GetViewFeedIDs(901)->isEmpty());
    EXPECT_FALSE(db_.GetViewFeedIDs(4242).has_value());

    Sql({"Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) "
         "Values(5,1,'http://a/5.mp3',100,0,0)",
         "Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) "
         "Values(6,77,'http://a/6.mp3',200,0,0)"});
    ASSERT_TRUE(db_.LoadAudioList(0));
    ASSERT_EQ(db_.AudioList.size(), 2u);
    EXPECT_EQ(db_.AudioList[0].FeedItemID, 6);
    EXPECT_EQ(db_.AudioList[0].FeedLabel, "rss");
    EXPECT_EQ(db_.AudioList[1].FeedLabel, "Talk_ The Show_");
    ASSERT_TRUE(db_.SetAudioStatus(5, 1));
    ASSERT_TRUE(db_.LoadAudioList(1));
    EXPECT_EQ(db_.AudioList.size(), 1u);

    ASSERT_TRUE(db_.LoadViewList());
    QStringList labels;
    for (const auto& view : db_.ViewList)
        labels << view.Label;
    EXPECT_EQ(labels, QStringList({"Alpha", "Beta", "Search Results", "Whats New"}));
}

} // namespace

namespace {

// Four feeds of twelve items and a fifth of 4 000: dates shared by several items, read items,
// old items and items without a date, so that every page boundary falls on a tie or a filtered
// row somewhere, and Views ordered by item date both of few items and of many.
class PagedListsTest : public ListQueriesTest {
protected:
    void SetUp() override {
        ListQueriesTest::SetUp();
        for (qint32 feed = 1; feed <= 4; ++feed) {
            AddFeed(feed, QString("F%1").arg(feed), feed % 3, 2, now_.addDays(-feed));
            for (int i = 0; i < 12; ++i) {
                const qint32 id = feed * 100 + i;
                const QDateTime date = now_.addDays(-(i % 5)).addSecs(-(i % 2) * 3600 * feed);
                AddItem(feed, id, date, i % 4 == 1 ? ItemRead : ItemUnread,
                        i % 3 == 0 ? QStringLiteral("tram %1").arg(id) : QString());
            }
        }
        Sql({"Update FeedItems Set ItemDate = Null Where FeedItemID = 307"});
        AddFeed(5, "F5", 1, 2, now_.addDays(-3));
        Sql({QStringLiteral(
                 "Insert Into FeedItems(FeedItemID,FeedID,Title,Status,ItemDate,LinkUrl,LinkUrl2) "
                 "With Recursive n(i) As (Select 0 Union All Select i + 1 From n Where i < 3999) "
                 "Select 5000 + i, 5, Case When i % 3 = 0 Then 'tram ' Else 'Item ' End || i, "
                 "Case When i % 4 = 1 Then 2 Else 1 End, Case When i % 97 = 5 Then Null Else "
                 "strftime('%Y-%m-%d %H:%M:%S', '") +
             StoredDateText(now_) +
             QStringLiteral("', '-' || (i % 5) || ' days', '-' || (i % 2) || ' hours') End, "
                            "'', '' From n")});
    }

    // A View ordered by item date shows what it shows ordered by feed date, in the order of the
    // lists by date: latest first, ties by the higher item number, items without a date last.
    QList<qint32> ByDateFromTheFeedOrder(qint32 viewID, bool hideRead) {
        CViewRecord view = *db_.GetView(viewID);
        view.SortBy = 1;
        EXPECT_TRUE(db_.UpdateView(view));
        EXPECT_TRUE(db_.LoadViewItems(viewID, hideRead));
        view.SortBy = 2;
        EXPECT_TRUE(db_.UpdateView(view));
        std::vector<CFeedItemRecord> items = db_.ItemList;
        std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            if (a.ItemDate.isValid() != b.ItemDate.isValid())
                return a.ItemDate.isValid();
            return a.ItemDate != b.ItemDate ? a.ItemDate > b.ItemDate : a.FeedItemID > b.FeedItemID;
        });
        QList<qint32> ids;
        for (const CFeedItemRecord& item : items)
            ids << item.FeedItemID;
        return ids;
    }

    // The list read through a cursor `page` items at a time.
    QList<qint32> PagedIDs(CItemCursor& cursor, int page) {
        QList<qint32> ids;
        for (int guard = 0; !cursor.done && guard < 1000; ++guard) {
            EXPECT_TRUE(db_.LoadMoreItems(cursor, page));
            EXPECT_LE(int(db_.ItemList.size()), page);
            ids << ListedIDs();
        }
        return ids;
    }
};

struct PagedView {
    const char* name;
    int numToShow;
    int sortBy;
    const char* keywords; // none: a View of the five feeds
    bool viewHidesRead;
    int hideAfter;
    bool hideReadArgument;
};

TEST_F(PagedListsTest, PagesTogetherAreTheWholeList) {
    const PagedView views[] = {
        {"by priority", 30, 0, nullptr, false, 0, false},
        {"by feed date, capped", 10, 1, nullptr, false, 0, false},
        {"by item date", 40, 2, nullptr, false, 0, false},
        {"hide read", 100, 0, nullptr, true, 0, false},
        {"hide read by argument", 100, 1, nullptr, false, 0, true},
        {"hide after two days", 100, 0, nullptr, false, 2, false},
        {"both filters, by item date", 25, 2, nullptr, true, 2, false},
        {"capped to fewer than the feeds", 3, 0, nullptr, false, 0, false},
        {"crowded, by item date", 4, 2, nullptr, false, 0, false},
        {"keyword View", 32767, 1, "tram", false, 0, false},
        {"keyword View, filtered, capped", 7, 0, "tram", true, 1, false},
        {"keyword View by item date", 32767, 2, "tram", false, 0, false},
        {"keyword View by item date, filtered, capped", 300, 2, "tram", true, 1, false},
        // Thousands of items: read a page at a time down the date index.
        {"by item date, every item", 50000, 2, nullptr, false, 0, false},
        {"by item date, capped", 12000, 2, nullptr, false, 0, false},
        {"by item date, hide read", 50000, 2, nullptr, true, 0, false},
        {"by item date, hide read by argument", 50000, 2, nullptr, false, 0, true},
        {"by item date, hide after two days", 50000, 2, nullptr, false, 2, false},
        {"keyword View of thousands by item date", 50000, 2, "item", false, 0, false},
        {"keyword View of thousands by item date, capped", 11000, 2, "item", false, 0, false},
    };
    qint32 viewID = 900;
    for (const PagedView& v : views) {
        SCOPED_TRACE(v.name);
        ++viewID;
        AddView(viewID, v.name, v.keywords ? QList<qint32>() : QList<qint32>{1, 2, 3, 4, 5},
                v.numToShow, v.sortBy, QString::fromLatin1(v.keywords));
        CViewRecord view = *db_.GetView(viewID);
        view.HideRead = v.viewHidesRead;
        view.HideAfter = qint16(v.hideAfter);
        ASSERT_TRUE(db_.UpdateView(view));
        if (v.keywords) {
            ASSERT_TRUE(db_.RebuildKeywordView(viewID, true, false, false));
        }

        ASSERT_TRUE(db_.LoadViewItems(viewID, v.hideReadArgument));
        const QList<qint32> whole = ListedIDs();
        ASSERT_FALSE(whole.isEmpty());
        if (v.sortBy == 2) {
            EXPECT_EQ(whole, ByDateFromTheFeedOrder(viewID, v.hideReadArgument));
        }
        const std::vector<int> pages =
            whole.size() < 500 ? std::vector<int>{1, 2, 5, 256} : std::vector<int>{7, 256, 1000};
        for (int page : pages) {
            CItemCursor cursor;
            ASSERT_TRUE(db_.OpenViewItems(cursor, viewID, v.hideReadArgument));
            EXPECT_EQ(PagedIDs(cursor, page), whole) << "pages of " << page;
        }
    }
}

TEST_F(PagedListsTest, FeedPagesFollowDatesTiesAndRowsWithoutDate) {
    for (const auto& [feed, most] : {std::pair{3, 0}, std::pair{2, 0}, std::pair{1, 7}}) {
        ASSERT_TRUE(db_.LoadFeedItems(feed, most));
        const QList<qint32> whole = ListedIDs();
        ASSERT_EQ(whole.size(), most == 0 ? 12 : most);
        for (int page : {1, 3, 5}) {
            CItemCursor cursor;
            ASSERT_TRUE(db_.OpenFeedItems(cursor, feed, most));
            EXPECT_EQ(PagedIDs(cursor, page), whole) << "feed " << feed << ", pages of " << page;
        }
    }
    ASSERT_TRUE(db_.LoadFeedItems(3, 0));
    EXPECT_EQ(ListedIDs().back(), 307); // no date: last
}

} // namespace
