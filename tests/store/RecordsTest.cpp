// Tests of single records: reads, writes, deletes and purges.

#include "StoreFixture.h"
#include "store/AudioCache.h"
#include "text/RecordId.h"

#include <QDir>
#include <QFile>

namespace {

using RecordsTest = StoreFixture;

TEST_F(RecordsTest, RecordsRoundTrip) {
    CViewRecord view;
    view.ViewID = 500;
    view.Label = "It's <mine> & \"yours\"";
    view.HideRead = true;
    view.SortBy = 2;
    view.Keywords = "a, b";
    ASSERT_TRUE(db_.InsertView(view));
    auto read = db_.GetView(500);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Label, view.Label);
    EXPECT_TRUE(read->HideRead);
    EXPECT_TRUE(read->DPadSkipRead);
    EXPECT_EQ(read->NumToShow, 1000); // a new View shows a thousand
    EXPECT_TRUE(read->IsKeywordView);

    read->Label = "Renamed";
    read->NumToShow = 75;
    ASSERT_TRUE(db_.UpdateView(*read));
    EXPECT_EQ(db_.GetView(500)->Label, "Renamed");
    EXPECT_EQ(db_.GetView(500)->NumToShow, 75);
    EXPECT_FALSE(db_.GetView(999).has_value());

    AddFeed(10, "Feed");
    Sql({"Update Feeds Set Description1 = '" + QString(255, 'a') +
         "', Description2 = 'bc' "
         "Where FeedID = 10"});
    auto feed = db_.GetFeed(10);
    ASSERT_TRUE(feed.has_value());
    EXPECT_EQ(feed->Description, QString(255, 'a') + "bc");
    feed->Priority = 77;
    feed->ExtendedAudio = true;
    feed->Title = "not written by UpdateFeed";
    ASSERT_TRUE(db_.UpdateFeed(*feed));
    EXPECT_EQ(db_.GetFeed(10)->Priority, 77);
    EXPECT_TRUE(db_.GetFeed(10)->ExtendedAudio);
    EXPECT_EQ(db_.GetFeed(10)->Title, "Feed");

    CSubscriptionRecord subscription;
    subscription.SubscriptionID = 40;
    subscription.Title = "News &amp; more";
    subscription.SubscriptionUrl = "http://x/list.opml";
    ASSERT_TRUE(db_.InsertSubscription(subscription, false));
    const auto stored = db_.GetSubscription(40);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->Title, "News & more");
    EXPECT_EQ(db_.GetView(stored->ViewID)->Label, "News & more");
}

// A single item and a listed item come from the same columns: the list leaves out only what the
// item's properties alone show.
TEST_F(RecordsTest, AnItemReadsAlikeAloneAndInItsList) {
    AddFeed(10, "Feed");
    Sql({"Insert Into FeedItems(FeedItemID,FeedID,Title,Status,GUID,ItemDate,LinkUrl,LinkUrl2,"
         "Keywords,DateEntered) Values(7,10,'Seven',2,'guid-7','2026-03-04 05:06:07',"
         "'http://x/first-half','/second-half','alpha, beta','2026-03-05 00:00:00')"});

    const auto item = db_.GetItem(7);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->FeedID, 10);
    EXPECT_EQ(item->Title, "Seven");
    EXPECT_EQ(item->Status, 2);
    EXPECT_EQ(item->GUID, "guid-7");
    EXPECT_EQ(item->Link, "http://x/first-half/second-half");
    EXPECT_EQ(item->ItemDate, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    EXPECT_EQ(item->Keywords, "alpha, beta");
    EXPECT_EQ(item->DateEntered, QDateTime(QDate(2026, 3, 5), QTime(0, 0), Qt::UTC));

    ASSERT_TRUE(db_.LoadFeedItems(10, 10));
    ASSERT_EQ(db_.ItemList.size(), 1u);
    const CFeedItemRecord& listed = db_.ItemList.front();
    EXPECT_EQ(listed.FeedItemID, 7);
    EXPECT_EQ(listed.Title, item->Title);
    EXPECT_EQ(listed.Status, item->Status);
    EXPECT_EQ(listed.Link, item->Link);
    EXPECT_EQ(listed.ItemDate, item->ItemDate);
}

TEST_F(RecordsTest, ASubscriptionReadsAlikeAloneAndInTheList) {
    CSubscriptionRecord subscription;
    subscription.SubscriptionID = 41;
    subscription.Title = "From a file";
    subscription.SubscriptionUrl = "/home/me/list.opml";
    subscription.IsFromFile = true;
    ASSERT_TRUE(db_.InsertSubscription(subscription, false));

    const auto stored = db_.GetSubscription(41);
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(stored->IsFromFile);
    EXPECT_EQ(stored->SubscriptionUrl, "/home/me/list.opml");
    ASSERT_TRUE(db_.LoadSubscriptionList());
    ASSERT_EQ(db_.SubscriptionList.size(), 1u);
    const CSubscriptionRecord& listed = db_.SubscriptionList.front();
    EXPECT_EQ(listed.SubscriptionID, 41);
    EXPECT_EQ(listed.ViewID, stored->ViewID);
    EXPECT_EQ(listed.Title, stored->Title);
    EXPECT_EQ(listed.SubscriptionUrl, stored->SubscriptionUrl);
    EXPECT_TRUE(listed.IsFromFile);
}

// Adding a feed asks the store whether its address is taken, with one lookup by address: the
// addresses as written, of listed feeds (a Status 0 feed is listed nowhere) and subscriptions.
TEST_F(RecordsTest, KnownAddressesAreFoundByOneIndexedLookup) {
    AddFeed(1, "Listed");
    AddFeed(2, "Gone", 1, 0);
    Sql({"Update Feeds Set FeedUrl = 'http://127.0.0.1/a.xml' Where FeedID = 1",
         "Update Feeds Set FeedUrl = 'http://127.0.0.1/o''clock.xml' Where FeedID = 2"});
    CSubscriptionRecord subscription;
    subscription.SubscriptionID = 7;
    subscription.SubscriptionUrl = "http://127.0.0.1/list.opml";
    ASSERT_TRUE(db_.InsertSubscription(subscription, true));

    const struct {
        const char* address;
        bool feed;
        bool subscription;
    } cases[] = {
        {"http://127.0.0.1/a.xml", true, false},     {"http://127.0.0.1/A.xml", false, false},
        {"http://127.0.0.1/a.xml ", false, false},   {"http://127.0.0.1/o'clock.xml", false, false},
        {"http://127.0.0.1/list.opml", false, true}, {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(db_.IsKnownFeedUrl(c.address), c.feed);
        EXPECT_EQ(db_.IsKnownSubscriptionUrl(c.address), c.subscription);
    }
    EXPECT_TRUE(Rows("Explain Query Plan Select 1 From Feeds Where FeedUrl = 'x' And Status <> 0")
                    .join(u' ')
                    .contains("FeedsUrl_PI"));
}

// A new address may answer with the old one's ETag by chance; its body must still be read.
TEST_F(RecordsTest, ANewAddressForgetsTheOldAddresssValidators) {
    CFeedRecord feed;
    feed.FeedID = 10;
    feed.FeedUrl = "http://old.example/feed";
    ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
    const HttpValidators validators{"\"v1\"", "Mon, 03 Jan 2005 10:30:15 GMT", {}};
    ASSERT_TRUE(db_.SetHttpValidators(10, validators));

    auto stored = db_.GetFeed(10);
    stored->Priority = 9;
    ASSERT_TRUE(db_.UpdateFeed(*stored));
    EXPECT_EQ(db_.GetHttpValidators(10).etag, validators.etag);

    stored->FeedUrl = "http://new.example/feed";
    ASSERT_TRUE(db_.UpdateFeed(*stored));
    EXPECT_TRUE(db_.GetHttpValidators(10).IsEmpty());
    EXPECT_EQ(db_.GetFeed(10)->FeedUrl, "http://new.example/feed");
}

TEST_F(RecordsTest, NewNumbersStayAboveThoseAnotherProcessStored) {
    const qint32 stored = SecondsSince2001() + 50000;
    AddItem(1, stored, NowGmt());
    ASSERT_TRUE(db_.GetView(1).has_value()); // the next lock looks at what is stored
    EXPECT_GT(NewRecordID(), stored);
}

TEST_F(RecordsTest, ItemTextJoinsPiecesInOrder) {
    Sql({"Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
         "Values(1,10,2,0,'second')",
         "Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
         "Values(1,10,1,0,'first ')"});
    const auto text = db_.GetItemText(1, 0);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Text, "first second");
    EXPECT_EQ(text->FeedID, 10);
    EXPECT_FALSE(db_.GetItemText(1, 1).has_value());
}

TEST_F(RecordsTest, LockingKeepsTheItemsText) {
    AddFeed(10, "F");
    AddItem(10, 1, NowGmt(), ItemUnread);
    AddItem(10, 2, NowGmt(), ItemUnread);
    Sql({"Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep) Values(1,10,1,0)",
         "Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep) Values(1,10,2,0)",
         "Insert Into FeedItemLongData(FeedItemID,FeedID,LinkOrder,Keep) Values(1,10,1,0)",
         "Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep) Values(2,10,1,1)"});
    auto keeps = [this](int item) {
        return Rows(QString("Select Keep From FeedItemShortData Where FeedItemID = %1 Union All "
                            "Select Keep From FeedItemLongData Where FeedItemID = %1")
                        .arg(item))
            .join(',');
    };
    const struct {
        int item;
        qint16 status;
        const char* keep;
    } steps[] = {
        {1, ItemLocked, "1,1,1"}, {1, ItemRead, "0,0,0"}, {1, ItemUnread, "0,0,0"},
        {2, ItemRead, "1"},       {2, ItemLocked, "1"},   {2, ItemUnread, "0"},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(db_.SetItemStatus(step.item, step.status));
        EXPECT_EQ(db_.GetItem(step.item)->Status, step.status);
        EXPECT_EQ(keeps(step.item), step.keep) << step.item << " -> " << step.status;
    }
}

class DeleteTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        AddFeed(10, "Kept");
        AddFeed(20, "Gone/Feed");
        for (qint32 feed : {10, 20}) {
            AddItem(feed, feed + 1, NowGmt(), ItemLocked);
            Sql({QString("Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep) "
                         "Values(%1,%2,1,1)")
                     .arg(feed + 1)
                     .arg(feed),
                 QString("Insert Into FeedItemLongData(FeedItemID,FeedID,LinkOrder,Keep) "
                         "Values(%1,%2,1,1)")
                     .arg(feed + 1)
                     .arg(feed),
                 QString("Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) "
                         "Values(%1,%2,'http://a/%2.mp3',10,1,0)")
                     .arg(feed + 1)
                     .arg(feed),
                 QString("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(2,%1,0)").arg(feed),
                 QString("Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) "
                         "Values(1,%1,%2,0)")
                     .arg(feed)
                     .arg(feed + 1),
                 QString("Insert Into SubscriptionFeeds(SubscriptionID,FeedID) Values(7,%1)")
                     .arg(feed)});
            audioFiles_ << CacheAudio(feed == 10 ? "Kept" : "Gone/Feed", feed);
        }
        Sql({"Insert Into Subscriptions(SubscriptionID,ViewID,Title) Values(7,300,'S')",
             "Insert Into Views(ViewID,Label,Status) Values(300,'S view',2)"});
    }

    QString CacheAudio(const QString& feedTitle, qint32 feed) {
        const QString path = AudioCacheFilePath(env_.Path("audio"), FeedLabelOf(feedTitle),
                                                QString("http://a/%1.mp3").arg(feed));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    int RowsOfFeed(qint32 feed) {
        int rows = 0;
        for (const char* table :
             {"Feeds", "ViewFeeds", "ViewFeedItems", "SubscriptionFeeds", "FeedItems",
              "FeedItemShortData", "FeedItemLongData", "FeedItemAudioData"})
            rows += Count(table, QString("FeedID = %1").arg(feed));
        return rows;
    }

    QStringList audioFiles_;
};

TEST_F(DeleteTest, DeleteFeedRemovesEveryDependentRowAndItsAudio) {
    ASSERT_TRUE(db_.DeleteFeed(20));
    EXPECT_EQ(RowsOfFeed(20), 0);
    EXPECT_EQ(RowsOfFeed(10), 8);
    EXPECT_TRUE(QFile::exists(audioFiles_[0]));
    EXPECT_FALSE(QFile::exists(audioFiles_[1]));
}

TEST_F(DeleteTest, DeleteSubscriptionRemovesItsViewAndFeeds) {
    ASSERT_TRUE(db_.DeleteSubscription(7));
    EXPECT_EQ(RowsOfFeed(10) + RowsOfFeed(20), 0);
    EXPECT_EQ(Count("Subscriptions"), 0);
    EXPECT_EQ(Count("Views", "ViewID = 300"), 0);
    EXPECT_EQ(Count("Views"), 2);
    // Cached audio of the feeds stays.
    EXPECT_TRUE(QFile::exists(audioFiles_[1]));
}

TEST_F(DeleteTest, DeleteItemAndView) {
    ASSERT_TRUE(db_.LoadAudioList(1));
    ASSERT_TRUE(db_.DeleteItem(11));
    EXPECT_EQ(RowsOfFeed(10), 3); // Feeds, ViewFeeds and SubscriptionFeeds
    EXPECT_FALSE(QFile::exists(audioFiles_[0]));
    ASSERT_TRUE(db_.DeleteView(2));
    EXPECT_EQ(Count("ViewFeeds"), 0);
    EXPECT_EQ(Count("Views", "ViewID = 2"), 0);
}

TEST_F(DeleteTest, PurgesResetFeedsForTheNextDownload) {
    Sql({"Update Feeds Set Status = 1, LastDigestKey = 'abc' Where FeedID = 20",
         "Update Feeds Set Status = 3, LastDigestKey = 'def' Where FeedID = 10"});
    ASSERT_TRUE(db_.PurgeFeedData(20));
    EXPECT_EQ(RowsOfFeed(20), 3); // the feed and its links stay, locked items go too
    EXPECT_EQ(Rows("Select Status,LastDigestKey,LastDownloadDate,LastFeedDate From Feeds "
                   "Where FeedID = 20"),
              QStringList{"2||1900-01-01 00:00:00|1900-01-01 00:00:00"});
    EXPECT_FALSE(QFile::exists(audioFiles_[1]));
    EXPECT_TRUE(QFile::exists(audioFiles_[0]));

    Sql({"Update Feeds Set Status = 1 Where FeedID = 20"});
    ASSERT_TRUE(db_.PurgeAllData());
    EXPECT_EQ(Rows("Select FeedID,Status,LastDigestKey From Feeds Order By FeedID"),
              QStringList({"10|2|", "20|1|"}));
    EXPECT_EQ(db_.GetFeed(10)->LastFeedDate, QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC));
    for (const char* table : {"FeedItems", "FeedItemShortData", "FeedItemLongData",
                              "FeedItemAudioData", "ViewFeedItems"})
        EXPECT_EQ(Count(table), 0) << table;
    EXPECT_EQ(Count("ViewFeeds"), 2);
    EXPECT_TRUE(QFile::exists(audioFiles_[0])); // the whole purge deletes no audio
}

TEST(AudioCache, PathsStayInsideTheCacheFolder) {
    EXPECT_EQ(FeedLabelOf("A/B\\C:D*E?F\"G<H>I|J"), "A_B_C_D_E_F_G_H_I_J");
    EXPECT_EQ(FeedLabelOf(QString(50, 'x')), QString(40, 'x'));
    EXPECT_EQ(AudioCacheFilePath("/c", "Feed", "http://h/p/show.mp3"), "/c/Feed/show.mp3");
    EXPECT_EQ(AudioCacheFilePath("/c", "..", "http://h/.."), "/c/rss/enclosure.mp3");
    EXPECT_EQ(AudioCacheFilePath("/c", "", "http://h/dir/"), "/c/rss/enclosure.mp3");
    EXPECT_EQ(AudioCacheFilePath("/c", ".", "c:\\a\\b.mp3"), "/c/rss/b.mp3");
}

TEST(AudioCache, FileNamesFromFeedsNameNoOtherFolder) {
    const struct {
        const char* url;
        const char* file;
    } cases[] = {
        {"http://h/enc\\/../../../../home/user/.bashrc", ".bashrc"},
        {"http://h/enc\\..\\..\\x.mp3", "x.mp3"},
        {"http://h/enc%5C%2F..%2F..%2Fx.mp3", "enc....x.mp3"},
        {"http://h/a/..\\b/..\\c.mp3", "c.mp3"},
        {"http://h/%2e%2e", "enclosure.mp3"},
        {"http://h/....", "enclosure.mp3"},
        {"http://h/a%00b%0Ac\x7f.mp3", "abc.mp3"},
        {"http://h/show%20one.mp3", "show one.mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AudioCacheFilePath("/c", "Feed", c.url), QString("/c/Feed/") + c.file) << c.url;
    EXPECT_EQ(AudioCacheFilePath("/c",
                                 "a\x01\x1f"
                                 "b",
                                 "http://h/x.mp3"),
              "/c/ab/x.mp3");
    EXPECT_EQ(AudioCacheFilePath("/c", "...", "http://h/x.mp3"), "/c/rss/x.mp3");
}

TEST(AudioCache, AFolderLinkedOutsideTheCacheIsRefused) {
    TestEnvironment env;
    const QString cache = env.Path("audio");
    QDir().mkpath(cache);
    QDir().mkpath(env.Path("outside"));
    ASSERT_TRUE(QFile::link(env.Path("outside"), cache + "/Linked"));
    EXPECT_EQ(AudioCacheFilePath(cache, "Linked", "http://h/x.mp3"), "");
    EXPECT_EQ(AudioCacheFilePath(cache, "Plain", "http://h/x.mp3"), cache + "/Plain/x.mp3");
}

} // namespace
