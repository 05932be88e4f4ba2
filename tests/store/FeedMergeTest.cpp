#include "StoreFixture.h"
#include "config/AppSettings.h"

namespace {

struct TestItem {
    QString title;
    QString guid;
    QString date;
    QString link;
    QString content;
    QString enclosure;
};

class RecordingQueue : public IExtendedDataQueue {
public:
    void QueueExtendedData(qint32 feedID, qint32 feedItemID, const QString& url,
                           const QString& title) override {
        queued << QStringLiteral("%1|%2|%3|%4").arg(feedID).arg(feedItemID > 0).arg(url, title);
    }
    QStringList queued;
};

class FeedMergeTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        TheAppSettings().autoPurgeFD = false;
        CFeedRecord feed;
        feed.FeedID = FeedID;
        feed.Title = "Stored &amp;amp; <b>Title</b>";
        feed.FeedUrl = "http://example.org/feed";
        ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
    }
    void TearDown() override { TheAppSettings().autoPurgeFD = false; }

    QString FeedFile(const std::vector<TestItem>& items, const QString& channelDate = QString()) {
        QByteArray xml = "<rss version=\"2.0\"><channel><title>Chan &amp;amp; nel</title>"
                         "<link>http://example.org/</link><description>About</description>";
        if (!channelDate.isEmpty())
            xml += "<lastBuildDate>" + channelDate.toUtf8() + "</lastBuildDate>";
        for (const TestItem& item : items) {
            xml += "<item>";
            auto element = [&xml](const char* name, const QString& value) {
                if (!value.isEmpty())
                    xml += QByteArray("<") + name + ">" + value.toUtf8() + "</" + name + ">";
            };
            element("title", item.title);
            element("guid", item.guid);
            element("pubDate", item.date);
            element("link", item.link);
            element("description", item.content);
            if (!item.enclosure.isEmpty())
                xml += "<enclosure url=\"" + item.enclosure.toUtf8() +
                       "\" length=\"1234\" type=\"audio/mpeg\"/>";
            xml += "</item>";
        }
        return env_.WriteFile(QStringLiteral("feed%1.xml").arg(++files_), xml + "</channel></rss>");
    }

    QStringList Items() {
        return Rows("Select GUID,Title From FeedItems Order By FeedItemID Desc");
    }

    static constexpr qint32 FeedID = 77;
    int files_ = 0;
};

TEST_F(FeedMergeTest, FirstMergeWritesHeaderItemsAndText) {
    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID,
        FeedFile({{"First &amp;amp; &lt;i&gt;one&lt;/i&gt;", "g1", "Mon, 03 Jan 2005 10:30:15 EST",
                   "http://example.org/1?a=1&amp;b=2", "&lt;p&gt;Hello&lt;/p&gt;", ""},
                  {"Second", "", "2005-01-03 08:00:00", "http://example.org/2", "", ""}},
                 "Tue, 04 Jan 2005 10:30:15 -0500"),
        nullptr));
    const auto feed = db_.GetFeed(FeedID);
    ASSERT_TRUE(feed.has_value());
    EXPECT_EQ(feed->Title, "Chan & nel");
    EXPECT_EQ(feed->Description, "About");
    EXPECT_EQ(feed->FeedType, FeedTypeRss20);
    EXPECT_EQ(feed->LastDigestKey.size(), 32);
    EXPECT_EQ(feed->LastFeedDate, QDateTime(QDate(2005, 1, 4), QTime(15, 30, 15), Qt::UTC));
    // The first item of the document gets the larger number.
    EXPECT_EQ(Items(), QStringList({"g1|First & one", "2005-01-03 08:00:00|Second"}));
    EXPECT_EQ(Rows("Select LinkUrl,Status,ItemDate From FeedItems Order By FeedItemID Desc"),
              QStringList({"http://example.org/1?a=1&b=2|1|2005-01-03 15:30:15",
                           "http://example.org/2|1|2005-01-03 08:00:00"}));
    // Text is stored raw; it is decoded when shown.
    EXPECT_EQ(Rows("Select TextData From FeedItemShortData"),
              QStringList{"&lt;p&gt;Hello&lt;/p&gt;"});
}

TEST_F(FeedMergeTest, UnchangedFeedsWriteNothing) {
    const QString file = FeedFile({{"A", "g1", "", "", "", ""}}, "Mon, 03 Jan 2005 10:30:15 GMT");
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, file, nullptr));
    const QStringList before = Rows("Select * From Feeds");
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, file, nullptr));
    EXPECT_EQ(Rows("Select * From Feeds"), before);

    // Other bytes, same channel date to the minute.
    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID, FeedFile({{"B", "g2", "", "", "", ""}}, "Mon, 03 Jan 2005 10:30:59 GMT"), nullptr));
    EXPECT_EQ(Rows("Select * From Feeds"), before);
    EXPECT_EQ(Count("FeedItems"), 1);

    EXPECT_FALSE(db_.MergeFeedFile(FeedID, env_.WriteFile("bad.xml", "not a feed"), nullptr));
}

TEST_F(FeedMergeTest, IdentityByKeyAndTitle) {
    const std::vector<TestItem> items = {
        {"By guid", "g'1", "", "", "", ""},         {"By date", "", "2005-01-01 10:00", "", "", ""},
        {"By link", "", "", "http://x/'3", "", ""}, {"Same key", "g'1", "", "", "", ""},
        {"It's quoted", "k", "", "", "", ""},       {"Nothing", "", "", "", "", ""},
    };
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), nullptr));
    EXPECT_EQ(Count("FeedItems"), 6);
    ASSERT_TRUE(
        db_.MergeFeedFile(FeedID, FeedFile(items, "Sun, 02 Jan 2005 10:30:15 GMT"), nullptr));
    // Only the item without any key comes again.
    EXPECT_EQ(Count("FeedItems"), 7);
    EXPECT_EQ(Count("FeedItems", "Title = 'Nothing'"), 2);
    EXPECT_EQ(Count("FeedItems", "GUID = 'g''1'"), 2);
}

TEST_F(FeedMergeTest, ItemsWhoseDuplicateTestCannotRunAreSkipped) {
    Sql({"ALTER TABLE FeedItems RENAME COLUMN Title TO Headline"});
    EXPECT_TRUE(db_.MergeFeedFile(FeedID, FeedFile({{"A", "g1", "", "", "text", ""}}), nullptr));
    // No text rows without their item.
    EXPECT_EQ(Count("FeedItemShortData"), 0);
}

TEST_F(FeedMergeTest, AMergeThatFailsHalfWayIsRolledBackWhole) {
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile({{"Old", "old", "", "", "kept", ""}}), nullptr));
    const QStringList before = Rows("Select * From Feeds");
    // The engine refuses the text of the second new item.
    Sql({"CREATE TRIGGER refuse BEFORE INSERT ON FeedItemShortData WHEN NEW.TextData = 'boom' "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END"});
    EXPECT_FALSE(db_.MergeFeedFile(
        FeedID,
        FeedFile({{"Second", "s", "", "", "boom", ""}, {"First", "f", "", "", "fine", ""}},
                 "Sun, 02 Jan 2005 10:30:15 GMT"),
        nullptr));
    EXPECT_EQ(Rows("Select Title From FeedItems"), QStringList{"Old"});
    EXPECT_EQ(Rows("Select TextData From FeedItemShortData"), QStringList{"kept"});
    EXPECT_EQ(Rows("Select * From Feeds"), before); // the header was not rewritten either
    EXPECT_FALSE(db_.IsLocked());
}

TEST_F(FeedMergeTest, LongContentIsStoredInPieces) {
    const QString content = QString(31999, 'a') + QString(31999, 'b') + "cd";
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile({{"Long", "g", "", "", content, ""}}), nullptr));
    EXPECT_EQ(Rows("Select LinkOrder,length(TextData) From FeedItemShortData Order By LinkOrder"),
              QStringList({"1|31999", "2|31999", "3|2"}));
    const qint32 item = Rows("Select FeedItemID From FeedItems").value(0).toInt();
    EXPECT_EQ(db_.GetItemText(item, 0)->Text, content);
}

TEST_F(FeedMergeTest, KeywordViewsMatchContentOrTitle) {
    AddView(500, "Fruit", {}, 30, 0, " apple , , pie");
    AddView(501, "Cars", {}, 30, 0, "engine");
    Sql({"Update Views Set Keywords = 'apple' Where ViewID = 2",
         "Update Views Set Keywords = 'apple,everything' Where ViewID = 1"});
    ASSERT_TRUE(db_.MergeFeedFile(FeedID,
                                  FeedFile({{"An APPLE a day", "g1", "", "", "", ""},
                                            {"Dessert", "g2", "", "", "Cherry PIE recipe", ""},
                                            {"Nothing here", "g3", "", "", "everything else", ""}}),
                                  nullptr));
    EXPECT_EQ(Rows("Select ViewID,FeedItems.Title,ViewFeedItems.Priority From ViewFeedItems "
                   "Inner Join FeedItems On FeedItems.FeedItemID = ViewFeedItems.FeedItemID "
                   "Order By ViewID, FeedItems.Title"),
              QStringList({"2|An APPLE a day|1", "500|An APPLE a day|1", "500|Dessert|1"}));
}

TEST_F(FeedMergeTest, TrimmingKeepsTheNewestAndLockedItems) {
    std::vector<TestItem> items;
    for (int i = 0; i < 60; ++i)
        items.push_back({QString("Item %1").arg(i), QString("g%1").arg(i), "", "", "", ""});
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), nullptr));
    EXPECT_EQ(Count("FeedItems"), 50);
    EXPECT_EQ(Count("FeedItems", "Title = 'Item 0'"), 1); // the newest stay
    EXPECT_EQ(Count("FeedItems", "Title = 'Item 59'"), 0);

    // Locked items are kept and not counted.
    const qint32 oldest = Rows("Select Min(FeedItemID) From FeedItems").value(0).toInt();
    ASSERT_TRUE(db_.SetItemStatus(oldest, ItemLocked));
    items.insert(items.begin(), {"Newer", "new", "", "", "", ""});
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), nullptr));
    EXPECT_EQ(Count("FeedItems"), 51);
    EXPECT_EQ(Count("FeedItems", QString("FeedItemID = %1").arg(oldest)), 1);

    // With "remove old data", whatever the file no longer carries goes, under MaxItems too.
    TheAppSettings().autoPurgeFD = true;
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile({{"Only", "only", "", "", "", ""}}), nullptr));
    EXPECT_EQ(
        Rows("Select Title From FeedItems Order By FeedItemID Desc"),
        QStringList(
            {"Only", Rows(QString("Select Title From FeedItems Where FeedItemID = %1").arg(oldest))
                         .value(0)}));
}

TEST_F(FeedMergeTest, ExtendedDataAndEnclosuresFollowTheFeedSettings) {
    const std::vector<TestItem> items = {{"A", "a", "", "http://x/a", "", "http://x/a.mp3"},
                                         {"B", "b", "", "http://x/b", "", ""}};
    RecordingQueue queue;
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), &queue));
    EXPECT_TRUE(queue.queued.isEmpty());
    EXPECT_EQ(Count("FeedItemAudioData"), 0);

    CFeedRecord feed = *db_.GetFeed(FeedID);
    feed.ExtendedData = true;
    feed.ExtendedAudio = true;
    ASSERT_TRUE(db_.UpdateFeed(feed));
    ASSERT_TRUE(db_.PurgeFeedData(FeedID));
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), &queue));
    // The label is the stored title, which the first merge set from the channel.
    EXPECT_EQ(queue.queued, QStringList({"77|1|http://x/b|Extended Data (1) for: Chan & nel",
                                         "77|1|http://x/a|Extended Data (2) for: Chan & nel"}));
    EXPECT_EQ(Rows("Select Link,Size,Status,Keep From FeedItemAudioData"),
              QStringList{"http://x/a.mp3|1234|0|0"});
}

TEST_F(FeedMergeTest, ExtendedDataIsStoredWithAbsoluteLinks) {
    const QString page = env_.WriteFile("page.htm", "<a href=\"next.html\">n</a>");
    ASSERT_TRUE(db_.StoreExtendedData(FeedID, 5, page, "http://x/dir/page.html"));
    EXPECT_EQ(db_.GetItemText(5, 1)->Text, "<a href=\"http://x/dir/next.html\">n</a>");
    EXPECT_TRUE(db_.StoreExtendedData(FeedID, 6, env_.Path("missing.htm"), "http://x/"));
    EXPECT_FALSE(db_.GetItemText(6, 1).has_value());
}

TEST_F(FeedMergeTest, OverlongPagesAreStoredAsTextWithinTheLimit) {
    const struct {
        QByteArray page;
        const char* stored;
        bool markupDropped;
        bool cut;
    } cases[] = {
        {"<p>short</p>", "<p>short</p>", false, false},
        {"<p>a</p><p>b</p><p>c</p>", "a b c", true, false},
        {"<p>0123456789abcdef</p>", "0123456789ab", true, true},
    };
    qint32 item = 10;
    for (const auto& c : cases) {
        const QString page = env_.WriteFile("page.htm", c.page);
        const auto kept = db_.StoreExtendedData(FeedID, ++item, page, "http://x/", 12);
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(db_.GetItemText(item, 1)->Text, c.stored);
        EXPECT_EQ(kept->characters, QString(c.stored).size());
        EXPECT_EQ(kept->markupDropped, c.markupDropped) << c.page.constData();
        EXPECT_EQ(kept->cut, c.cut) << c.page.constData();
    }
}

TEST_F(FeedMergeTest, RefreshSubscriptionReplacesItsFeeds) {
    CSubscriptionRecord subscription;
    subscription.SubscriptionID = 9;
    subscription.Title = "List";
    ASSERT_TRUE(db_.InsertSubscription(subscription, false));
    CFeedRecord old;
    old.FeedID = 10;
    old.Title = "Old";
    ASSERT_TRUE(db_.InsertFeed(old, subscription.ViewID, 9));
    AddItem(10, 100, NowGmt());
    const QString list =
        env_.WriteFile("list.opml", "<opml><body><outline text=\"New A\" xmlUrl=\"http://a/\"/>"
                                    "<outline text=\"New B\" xmlUrl=\"http://b/\"/></body></opml>");
    ASSERT_TRUE(db_.RefreshSubscription(9, list));
    EXPECT_EQ(Rows("Select Title,FeedUrl From Feeds Where FeedID <> 77 Order By Title"),
              QStringList({"New A|http://a/", "New B|http://b/"}));
    EXPECT_EQ(Count("FeedItems"), 0);
    EXPECT_EQ(Count("SubscriptionFeeds", "SubscriptionID = 9"), 2);
    EXPECT_EQ(db_.GetViewFeedIDs(subscription.ViewID)->size(), 2);
    EXPECT_FALSE(db_.RefreshSubscription(9, env_.WriteFile("x.xml", "<rss/>")));
}

} // namespace
