// Tests of merging a parsed feed into the database.

#include "StoreFixture.h"
#include "config/AppSettings.h"

#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStringEncoder>
#include <atomic>
#include <optional>
#include <thread>

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
        feed.MaxItems = 50;
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

// WordPress writes GUIDs with '?'; a title with a hexadecimal reference once held a NUL, and
// the two together cut the duplicate test's statement short, so the item was dropped.
TEST_F(FeedMergeTest, TitlesWithReferencesAndGuidsWithQuestionMarksAreStored) {
    const QString file = env_.WriteFile(
        "wordpress.xml",
        "<rss version=\"2.0\"><channel><title>Blog</title><item><title>Don&#x27;t panic</title>"
        "<guid>https://example.com/?p=2</guid></item><item><title>Plain</title>"
        "<guid>https://example.com/?p=1</guid></item></channel></rss>");
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, file, nullptr));
    EXPECT_EQ(Items(), QStringList({"https://example.com/?p=2|Don't panic",
                                    "https://example.com/?p=1|Plain"}));
}

// GUIDs, titles and date keys written like statement dates are found again as written.
TEST_F(FeedMergeTest, DateLikeKeysAndTitlesAreFoundAgain) {
    const std::vector<TestItem> items = {{"By guid", "01/02/2005 10:30", "", "", "", ""},
                                         {"12/25/2005 10:00", "g", "", "", "", ""},
                                         {"By date", "", "03/04/2005 11:00", "", "", ""}};
    ASSERT_TRUE(
        db_.MergeFeedFile(FeedID, FeedFile(items, "Sun, 02 Jan 2005 10:30:15 GMT"), nullptr));
    ASSERT_TRUE(
        db_.MergeFeedFile(FeedID, FeedFile(items, "Mon, 03 Jan 2005 10:30:15 GMT"), nullptr));
    ASSERT_TRUE(
        db_.MergeFeedFile(FeedID, FeedFile(items, "Tue, 04 Jan 2005 10:30:15 GMT"), nullptr));
    EXPECT_EQ(Items(), QStringList({"01/02/2005 10:30|By guid", "g|12/25/2005 10:00",
                                    "03/04/2005 11:00|By date"}));
    EXPECT_EQ(Rows("Select ItemDate From FeedItems Where Title = 'By date'"),
              QStringList{"2005-03-04 11:00:00"});
}

// Many feeds gain items without changing their channel date: a document with other bytes is
// merged whatever its channel date says.
TEST_F(FeedMergeTest, NewItemsUnderAnUnchangedChannelDateAreStored) {
    const QString channelDate = "Mon, 03 Jan 2005 10:30:15 GMT";
    std::vector<TestItem> items = {{"A", "g1", "", "", "", ""}, {"B", "g2", "", "", "", ""}};
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items, channelDate), nullptr));
    items.push_back({"C", "g3", "", "", "", ""});
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items, channelDate), nullptr));
    EXPECT_EQ(Items(), QStringList({"g3|C", "g1|A", "g2|B"}));
}

// A date past year 9999 is no date: the item and the feed take the time of the merge, and the
// lists read them.
TEST_F(FeedMergeTest, DatesBeyondYear9999AreUnreadable) {
    const QDateTime before = NowGmt().addSecs(-1);
    ASSERT_TRUE(
        db_.MergeFeedFile(FeedID,
                          FeedFile({{"Far", "g", "Mon, 03 Jan 20005 10:30:15 GMT", "", "", ""}},
                                   "Mon, 03 Jan 20005 10:30:15 GMT"),
                          nullptr));
    ASSERT_TRUE(db_.LoadFeedList(false));
    ASSERT_EQ(db_.FeedList.size(), 1u);
    EXPECT_GE(db_.FeedList[0].LastFeedDate, before.addSecs(-60));
    ASSERT_TRUE(db_.LoadFeedItems(FeedID, 0));
    ASSERT_EQ(db_.ItemList.size(), 1u);
    EXPECT_GE(db_.ItemList[0].ItemDate, before);
}

// "add" stores the feed with the current time as its date and merges its first download at
// once: a channel date that cannot be read, or one of the same minute, must not make that
// first merge look unchanged.
TEST_F(FeedMergeTest, AFeedNeverMergedIsNeverUnchanged) {
    const QString sameMinute =
        QLocale::c().toString(NowGmt(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    qint32 feedID = 500;
    for (const QString& channelDate : {QStringLiteral("not a date"), sameMinute}) {
        CFeedRecord feed;
        feed.FeedID = ++feedID;
        feed.FeedUrl = "http://example.org/new";
        ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
        ASSERT_TRUE(db_.MergeFeedFile(feedID, FeedFile({{"New", "n", "", "", "", ""}}, channelDate),
                                      nullptr));
        EXPECT_EQ(Count("FeedItems", QString("FeedID = %1").arg(feedID)), 1)
            << channelDate.toStdString();
    }
}

// A UTF-16 feed without a byte-order mark is read by its opening "<?".
TEST_F(FeedMergeTest, Utf16FeedsWithoutByteOrderMarkAreMerged) {
    const QString xml = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss version=\"2.0\">"
                        u"<channel><title>Caf\u00E9</title><item><title>\u65E5\u672C</title>"
                        u"<guid>u1</guid></item></channel></rss>"_qs;
    for (const auto byteOrder : {QSysInfo::LittleEndian, QSysInfo::BigEndian}) {
        db_.PurgeFeedData(FeedID);
        QStringEncoder encoder(byteOrder == QSysInfo::LittleEndian ? QStringConverter::Utf16LE
                                                                   : QStringConverter::Utf16BE);
        const QString file = env_.WriteFile("utf16.xml", encoder.encode(xml));
        ASSERT_TRUE(db_.MergeFeedFile(FeedID, file, nullptr)) << byteOrder;
        EXPECT_EQ(db_.GetFeed(FeedID)->Title, u"Caf\u00E9"_qs);
        EXPECT_EQ(Items(), QStringList{u"u1|\u65E5\u672C"_qs});
    }
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

// The author is kept as a reader knows the writer (the name, not the address) and goes with
// its item.
TEST_F(FeedMergeTest, AuthorsAreKeptByNameAndGoWithTheirItems) {
    const QString file = env_.WriteFile(
        "authors.xml",
        "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel>"
        "<title>T</title><item><title>A</title><guid>a</guid>"
        "<author>jo@example.org (Jo &amp;amp; Bloggs)</author></item>"
        "<item><title>B</title><guid>b</guid><dc:creator>Ann</dc:creator></item>"
        "<item><title>C</title><guid>c</guid><author>cy@example.org</author></item>"
        "<item><title>D</title><guid>d</guid></item></channel></rss>");
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, file, nullptr));
    ASSERT_TRUE(db_.LoadFeedItems(FeedID, 0));
    QStringList authors;
    for (const CFeedItemRecord& item : db_.ItemList)
        authors << item.Title + u'=' + item.Author;
    authors.sort();
    EXPECT_EQ(authors, (QStringList{"A=Jo & Bloggs", "B=Ann", "C=cy@example.org", "D="}));
    ASSERT_EQ(Count("FeedItemAuthors"), 3);
    ASSERT_TRUE(db_.DeleteFeed(FeedID));
    EXPECT_EQ(Count("FeedItemAuthors"), 0);
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

// Limits sized for a desktop: a new feed keeps five hundred items, and a feed without a limit
// keeps every item through every merge: "no limit" never trims.
TEST_F(FeedMergeTest, NewFeedsKeepHundredsAndNoLimitKeepsEveryItem) {
    struct Case {
        const char* name;
        std::optional<int> maxItems; // none: a new feed's own
        int first;                   // items of the first document
        int kept;                    // after a second document with ten new items
    };
    const Case cases[] = {{"a new feed", std::nullopt, 600, 500},
                          {"ten thousand", 10000, 2000, 2010},
                          {"no limit", NoItemLimit, 2000, 2010}};
    qint32 feedID = 2000;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        CFeedRecord feed;
        feed.FeedID = ++feedID;
        feed.FeedUrl = "http://example.org/feed";
        if (test.maxItems)
            feed.MaxItems = qint16(*test.maxItems);
        ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
        std::vector<TestItem> items;
        for (int i = 0; i < test.first; ++i)
            items.push_back({QString("Item %1").arg(i), QString("g%1").arg(i), "", "", "", ""});
        ASSERT_TRUE(db_.MergeFeedFile(feedID, FeedFile(items), nullptr));
        std::vector<TestItem> newer;
        for (int i = 0; i < 10; ++i)
            newer.push_back({QString("New %1").arg(i), QString("n%1").arg(i), "", "", "", ""});
        ASSERT_TRUE(db_.MergeFeedFile(feedID, FeedFile(newer), nullptr));
        EXPECT_EQ(Count("FeedItems", QString("FeedID = %1").arg(feedID)), test.kept);
        EXPECT_EQ(Count("FeedItems", QString("FeedID = %1 And Title = 'New 0'").arg(feedID)), 1);
    }
}

// A feed that keeps MaxItems merges only the items its trim would keep: the same items as a
// merge of the whole document followed by the trim (here done by hand on a feed that keeps
// every item). Copies of an item further down the document, items the feed holds already,
// locked items and items without a key all move what "newest" means.
TEST_F(FeedMergeTest, ACappedMergeKeepsWhatTheWholeMergeWouldKeep) {
    const auto item = [](const char* title, const char* guid) {
        return TestItem{title, guid, "", "", "", ""};
    };
    struct Case {
        const char* name;
        std::vector<std::vector<TestItem>> documents; // merged one after the other
        const char* lockedGuid;                       // locked after the first document
    };
    const std::vector<TestItem> stored = {item("S1", "s1"), item("S2", "s2"), item("S3", "s3")};
    const std::vector<Case> cases = {
        {"more new items than kept",
         {{item("A", "a"), item("B", "b"), item("C", "c"), item("D", "d"), item("E", "e")}},
         ""},
        {"a copy at the end of the document",
         {{item("A", "a"), item("B", "b"), item("C", "c"), item("D", "d"), item("E", "e"),
           item("A", "a")}},
         ""},
        {"same key, another title",
         {{item("A", "a"), item("A2", "a"), item("B", "b"), item("C", "c"), item("A", "a")}},
         ""},
        {"items the feed holds",
         {stored,
          {item("S1", "s1"), item("N1", "n1"), item("S2", "s2"), item("S3", "s3"),
           item("N2", "n2")}},
         ""},
        {"a locked item",
         {stored,
          {item("N1", "n1"), item("N2", "n2"), item("N3", "n3"), item("N4", "n4"),
           item("S2", "s2")}},
         "s2"},
        {"items without a key",
         {{item("A", ""), item("B", "b"), item("C", ""), item("D", "d"), item("E", "")},
          {item("A", ""), item("F", "f"), item("C", ""), item("D", "d"), item("E", "")}},
         ""},
    };
    constexpr int Kept = 3;
    qint32 nextFeed = 1000;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const qint32 capped = nextFeed++;
        const qint32 whole = nextFeed++;
        Sql({QString("Insert Into Feeds(FeedID,Title,MaxItems) Values(%1,'Capped',%2),"
                     "(%3,'Whole',32767)")
                 .arg(capped)
                 .arg(Kept)
                 .arg(whole)});
        const auto kept = [&](qint32 feed) {
            return Rows(QString("Select GUID,Title,Status From FeedItems Where FeedID = %1 Order "
                                "By FeedItemID Desc")
                            .arg(feed));
        };
        for (std::size_t i = 0; i < test.documents.size(); ++i) {
            const QString file = FeedFile(test.documents[i]);
            ASSERT_TRUE(db_.MergeFeedFile(capped, file, nullptr));
            ASSERT_TRUE(db_.MergeFeedFile(whole, file, nullptr));
            Sql({QString("Delete From FeedItems Where FeedID = %1 And Status <> 3 And FeedItemID "
                         "Not In (Select FeedItemID From FeedItems Where FeedID = %1 And Status "
                         "<> 3 Order By FeedItemID Desc Limit %2)")
                     .arg(whole)
                     .arg(Kept)});
            if (i == 0 && *test.lockedGuid)
                Sql({QString("Update FeedItems Set Status = 3 Where GUID = '%1'")
                         .arg(test.lockedGuid)});
            EXPECT_EQ(kept(capped), kept(whole)) << "after document " << i + 1;
        }
    }
}

// A long merge lets another program at the database between its steps, even while this one
// holds the lock for a whole run: the other process gets the lock while the merge still runs.
TEST_F(FeedMergeTest, AnotherProcessGetsTheDatabaseDuringALongMerge) {
    Sql({QString("Update Feeds Set MaxItems = 32767 Where FeedID = %1").arg(FeedID)});
    std::vector<TestItem> items;
    for (int i = 0; i < 30000; ++i)
        items.push_back({QString("Item %1").arg(i), QString("g%1").arg(i), "", "", "text", ""});
    const QString file = FeedFile(items);
    db_.HoldLock = true;
    ASSERT_TRUE(db_.Lock());
    std::atomic<bool> merging = true;
    bool merged = false;
    std::thread merge([&] {
        merged = db_.MergeFeedFile(FeedID, file, nullptr);
        merging = false;
    });
    QProcess reader;
    reader.start(STORE_TEST_HELPER, {"try-lock", path_});
    const bool readerEnded = reader.waitForFinished(60000);
    const bool readerCameDuringTheMerge = merging;
    merge.join();
    db_.HoldLock = false;
    db_.Unlock();
    ASSERT_TRUE(readerEnded);
    EXPECT_EQ(reader.exitCode(), 0);
    EXPECT_TRUE(readerCameDuringTheMerge);
    EXPECT_TRUE(merged);
    EXPECT_EQ(Count("FeedItems"), 30000);
}

// A merge that leaves most of the file free gives the space back: a file made now frees its
// pages on request, an older one without that is rebuilt once and frees them on request after.
TEST_F(FeedMergeTest, AMergeThatDeletesMostOfTheFileGivesTheSpaceBack) {
    for (const bool olderFile : {false, true}) {
        SCOPED_TRACE(olderFile ? "older file" : "new file");
        Sql({"Delete From FeedItems", "Delete From FeedItemShortData",
             QString("Update Feeds Set MaxItems = 32767, LastDigestKey = '' Where FeedID = %1")
                 .arg(FeedID)});
        if (olderFile)
            Sql({"PRAGMA auto_vacuum=NONE", "VACUUM"});
        std::vector<TestItem> items;
        for (int i = 0; i < 4000; ++i)
            items.push_back({QString("Item %1").arg(i), QString("g%1").arg(i), "", "",
                             QString(2000, QChar('a' + i % 26)), ""});
        ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), nullptr));
        Sql({"PRAGMA wal_checkpoint(TRUNCATE)"});
        const qint64 full = QFileInfo(path_).size();
        Sql({QString("Update Feeds Set MaxItems = 50 Where FeedID = %1").arg(FeedID)});
        items.insert(items.begin(), {"Newer", "new", "", "", "", ""});
        ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), nullptr));
        EXPECT_EQ(Count("FeedItems"), 50);
        EXPECT_LT(QFileInfo(path_).size(), full / 4);
        EXPECT_EQ(Rows("PRAGMA auto_vacuum"), QStringList{"2"});
        EXPECT_EQ(Rows("PRAGMA integrity_check"), QStringList{"ok"});
    }
}

// A merge writes its items' search index entries once, at its end: the items it keeps are found
// through the index, those its own trim took away are not, and no pause outlasts it, so that the
// next writer's rows go into the index at once.
TEST_F(FeedMergeTest, TheSearchIndexHoldsWhatTheMergeKept) {
    std::vector<TestItem> items;
    for (int i = 0; i < 55; ++i)
        items.push_back(
            {QString("Ferry %1").arg(i), QString("g%1").arg(i), "", "", "to harbour", ""});
    ASSERT_TRUE(db_.MergeFeedFile(FeedID, FeedFile(items), nullptr));
    const auto indexed = [&](const char* table, const char* run) {
        return Rows(QStringLiteral("Select rowid From %1 Where %1 Match '\"%2\"' Order By rowid")
                        .arg(QLatin1String(table), QLatin1String(run)));
    };
    const QStringList kept = Rows("Select FeedItemID From FeedItems Order By FeedItemID");
    ASSERT_EQ(kept.size(), 50);
    EXPECT_EQ(indexed("ItemTitleSearch", "fer"), kept);
    EXPECT_EQ(indexed("ItemTextSearch", "arb"), kept);
    EXPECT_EQ(Count("SearchIndexPaused"), 0);
    AddItem(FeedID, 9000, NowGmt(), ItemUnread, "Ferry written by another program");
    EXPECT_EQ(indexed("ItemTitleSearch", "fer"), QStringList{"9000"} + kept);
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

TEST_F(FeedMergeTest, ReloadingASubscriptionKeepsTheFeedsStillListed) {
    CSubscriptionRecord subscription;
    subscription.SubscriptionID = 9;
    subscription.Title = "List";
    ASSERT_TRUE(db_.InsertSubscription(subscription, false));
    ASSERT_TRUE(db_.RefreshSubscription(
        9, env_.WriteFile("first.opml", "<opml><body><outline text=\"A\" xmlUrl=\"http://a/\"/>"
                                        "<outline text=\"B\" xmlUrl=\"http://b/?x=1&amp;y=2\"/>"
                                        "<outline text=\"Gone\" xmlUrl=\"http://g/\"/>"
                                        "</body></opml>")));
    auto idOf = [this](const QString& title) {
        return Rows("Select FeedID From Feeds Where Title = '" + title + "'").value(0).toInt();
    };
    const qint32 a = idOf("A"), b = idOf("B"), gone = idOf("Gone");
    AddItem(a, 100, NowGmt());
    AddItem(a, 101, NowGmt(), ItemLocked);
    AddItem(gone, 102, NowGmt());
    auto settings = db_.GetFeed(a);
    settings->MaxItems = 7;
    ASSERT_TRUE(db_.UpdateFeed(*settings));
    AddView(500, "Mine", {a});

    ASSERT_TRUE(db_.RefreshSubscription(
        9, env_.WriteFile("second.opml",
                          "<opml><body><outline text=\"B\" xmlUrl=\"http://b/?x=1&amp;y=2\"/>"
                          "<outline text=\"A renamed\" xmlUrl=\"http://a/\"/>"
                          "<outline text=\"New\" xmlUrl=\"http://n/\"/></body></opml>")));
    EXPECT_EQ(Rows("Select FeedID,Title From Feeds Where FeedID <> 77 Order By Title"),
              QStringList({QString("%1|A").arg(a), QString("%1|B").arg(b),
                           QString("%1|New").arg(idOf("New"))}));
    EXPECT_EQ(Rows("Select FeedItemID From FeedItems Order By FeedItemID"),
              QStringList({"100", "101"}));
    EXPECT_EQ(db_.GetFeed(a)->MaxItems, 7);
    EXPECT_EQ(db_.GetFeedViewIDs(a)->size(), 2); // the subscription's View and Mine
    EXPECT_EQ(Count("SubscriptionFeeds", "SubscriptionID = 9"), 3);
    EXPECT_EQ(db_.GetViewFeedIDs(subscription.ViewID)->size(), 3);
    EXPECT_EQ(Count("SubscriptionFeeds", QString("FeedID = %1").arg(gone)), 0);
}

TEST_F(FeedMergeTest, Atom10FeedIsStoredWithResolvedLinksAndContentByType) {
    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID,
        env_.WriteFile(
            "atom10.xml",
            "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"html\">A &amp;amp; B"
            "</title><link href=\"/\"/><updated>2025-03-01T10:00:00Z</updated>"
            "<entry><id>tag:e,1</id><title>Html</title><link href=\"posts/1\"/>"
            "<published>2025-02-28T08:00:00Z</published>"
            "<content type=\"html\">&lt;p&gt;Hi&lt;/p&gt;</content></entry>"
            "<entry xml:base=\"https://other.example/x/\"><id>tag:e,2</id><title>Xhtml</title>"
            "<link rel=\"alternate\" href=\"two\"/><content type=\"xhtml\"><div "
            "xmlns=\"http://www.w3.org/1999/xhtml\"><p>Two</p></div></content></entry>"
            "<entry><id>http://example.org/e/3</id><title>Text</title>"
            "<content>1 &lt; 2</content></entry></feed>"),
        nullptr));
    const auto feed = db_.GetFeed(FeedID);
    EXPECT_EQ(feed->FeedType, FeedTypeAtom10);
    EXPECT_EQ(feed->Title, "A & B");
    EXPECT_EQ(feed->LinkUrl, "http://example.org/");
    EXPECT_EQ(Rows("Select GUID,Title,LinkUrl From FeedItems Order By FeedItemID Desc"),
              QStringList({"tag:e,1|Html|http://example.org/posts/1",
                           "tag:e,2|Xhtml|https://other.example/x/two",
                           "http://example.org/e/3|Text|http://example.org/e/3"}));
    EXPECT_EQ(Rows("Select ItemDate From FeedItems Where GUID = 'tag:e,1'"),
              QStringList{"2025-02-28 08:00:00"});
    EXPECT_EQ(Rows("Select TextData From FeedItemShortData Order By FeedItemID Desc"),
              QStringList({"&lt;p&gt;Hi&lt;/p&gt;", "<p>Two</p>", "1 &amp;lt; 2"}));
}

TEST_F(FeedMergeTest, JsonFeedIsStoredWithItsAudioAttachments) {
    CFeedRecord feed = *db_.GetFeed(FeedID);
    feed.ExtendedAudio = true;
    ASSERT_TRUE(db_.UpdateFeed(feed));
    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID,
        env_.WriteFile(
            "feed.json",
            R"({"version": "https://jsonfeed.org/version/1.1", "title": "Fish & <i>chips</i>",
                "home_page_url": "https://json.example/?a=1&b=2",
                "items": [{"id": "j1", "title": "Episode 1 & 2", "url": "/ep/1",
                           "content_html": "<p>Show &amp; tell</p>",
                           "date_published": "2025-03-01T10:00:00Z",
                           "attachments": [{"url": "https://cdn.example/1.mp3",
                                            "mime_type": "audio/mpeg", "size_in_bytes": 5000}]},
                          {"id": "j2", "title": "Notes", "content_text": "x < y"}]})"),
        nullptr));
    EXPECT_EQ(db_.GetFeed(FeedID)->FeedType, FeedTypeJsonFeed);
    EXPECT_EQ(db_.GetFeed(FeedID)->Title, "Fish & chips");
    EXPECT_EQ(db_.GetFeed(FeedID)->LinkUrl, "https://json.example/?a=1&b=2");
    EXPECT_EQ(
        Rows("Select GUID,Title,LinkUrl,ItemDate From FeedItems Order By FeedItemID Desc").first(),
        "j1|Episode 1 & 2|http://example.org/ep/1|2025-03-01 10:00:00");
    EXPECT_EQ(Rows("Select TextData From FeedItemShortData Order By FeedItemID Desc"),
              QStringList({"&lt;p&gt;Show &amp;amp; tell&lt;/p&gt;", "x &amp;lt; y"}));
    EXPECT_EQ(Rows("Select Link,Size From FeedItemAudioData"),
              QStringList{"https://cdn.example/1.mp3|5000"});
}

TEST_F(FeedMergeTest, UnversionedRssStoresFullContentAndPermalinks) {
    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID,
        env_.WriteFile("rss.xml",
                       "<rss xmlns:content=\"http://purl.org/rss/1.0/modules/content/\"><channel>"
                       "<title>No version</title><item><title>Full</title>"
                       "<guid>http://example.org/p/1?x=1&amp;y=2</guid>"
                       "<description>Teaser</description>"
                       "<content:encoded><![CDATA[<p>The whole story</p>]]></content:encoded>"
                       "</item></channel></rss>"),
        nullptr));
    EXPECT_EQ(db_.GetFeed(FeedID)->FeedType, FeedTypeRss20);
    EXPECT_EQ(Rows("Select Title,LinkUrl From FeedItems"),
              QStringList{"Full|http://example.org/p/1?x=1&y=2"});
    EXPECT_EQ(Rows("Select TextData From FeedItemShortData"),
              QStringList{"<![CDATA[<p>The whole story</p>]]>"});
}

// A server that moves its feed from Atom 0.3 to 1.0 keeps the ids of its entries: the stored
// items stay, with their state, and only new entries are added.
TEST_F(FeedMergeTest, Atom03SubscriptionGoesOnWhenItsServerSwitchesToAtom10) {
    auto entry = [](const char* id, const char* title, const char* date) {
        return QByteArray("<entry><id>") + id + "</id><title>" + title + "</title><link href=\"" +
               id + "\"/><issued>" + date + "</issued><published>" + date + "</published></entry>";
    };
    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID,
        env_.WriteFile("v03.xml", "<feed version=\"0.3\"><title>Moving</title>" +
                                      entry("http://example.org/2", "Two", "2025-01-02T00:00:00Z") +
                                      entry("http://example.org/1", "One", "2025-01-01T00:00:00Z") +
                                      "</feed>"),
        nullptr));
    EXPECT_EQ(db_.GetFeed(FeedID)->FeedType, FeedTypeAtom03);
    const QStringList before = Rows("Select FeedItemID,GUID,Title From FeedItems");
    ASSERT_EQ(before.size(), 2);
    Sql({"Update FeedItems Set Status = 3 Where Title = 'One'"});

    ASSERT_TRUE(db_.MergeFeedFile(
        FeedID,
        env_.WriteFile("v10.xml",
                       "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Moving"
                       "</title>" +
                           entry("http://example.org/3", "Three", "2025-01-03T00:00:00Z") +
                           entry("http://example.org/2", "Two", "2025-01-02T00:00:00Z") +
                           entry("http://example.org/1", "One", "2025-01-01T00:00:00Z") +
                           "</feed>"),
        nullptr));
    EXPECT_EQ(db_.GetFeed(FeedID)->FeedType, FeedTypeAtom10);
    const QStringList after = Rows("Select FeedItemID,GUID,Title From FeedItems");
    EXPECT_EQ(after.size(), 3);
    for (const QString& row : before)
        EXPECT_TRUE(after.contains(row)) << row.toStdString();
    EXPECT_EQ(Rows("Select Title,Status From FeedItems Order By FeedItemID Desc"),
              QStringList({"Three|1", "Two|1", "One|3"}));
}

} // namespace
