// Counts and searches checked against plain queries after random changes.

#include "StoreFixture.h"
#include "config/AppSettings.h"
#include "store/SqlText.h"

#include <QSet>
#include <random>

namespace {

// Merges, trims, deletes, purges, edits, status changes, View rebuilds and another program's
// statements in random order; after each, every count equals a plain count and every search
// through the index finds what a Like over all rows finds.
class StoreModelTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        TheAppSettings().autoPurgeFD = false;
        for (qint32 feedID : Feeds)
            InsertFeed(feedID);
        AddView(900, "Two feeds", {Feeds[0], Feeds[1]});
        AddView(901, "Pears", {}, 30, 0, "pear");
    }
    void TearDown() override { TheAppSettings().autoPurgeFD = false; }

    void InsertFeed(qint32 feedID) {
        CFeedRecord feed;
        feed.FeedID = feedID;
        feed.Title = QStringLiteral("Feed %1").arg(feedID);
        feed.MaxItems = 6;
        ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
    }

    QString Phrase(int words) {
        QStringList phrase;
        for (int i = 0; i < words; ++i)
            phrase << QString::fromUtf8(Vocabulary[random_() % std::size(Vocabulary)]);
        return phrase.join(u' ');
    }

    void Merge(qint32 feedID) {
        QByteArray xml = "<rss version=\"2.0\"><channel><title>F</title>";
        for (int i = int(random_() % 8); i >= 0; --i)
            xml += "<item><title>" + Phrase(2).toHtmlEscaped().toUtf8() + "</title><guid>g" +
                   QByteArray::number(++guids_) + "</guid><description>" +
                   Phrase(1 + int(random_() % 6)).toHtmlEscaped().toUtf8() +
                   "</description></item>";
        const QString file =
            env_.WriteFile(QStringLiteral("feed%1.xml").arg(guids_), xml + "</channel></rss>");
        ASSERT_TRUE(db_.MergeFeedFile(feedID, file, nullptr));
    }

    std::optional<qint32> AnyItem() {
        const QStringList ids = Rows("Select FeedItemID From FeedItems");
        if (ids.isEmpty())
            return std::nullopt;
        return ids[int(random_() % ids.size())].toInt();
    }

    void RandomStep() {
        const qint32 feedID = Feeds[random_() % std::size(Feeds)];
        switch (random_() % 10) {
        case 0:
        case 1:
        case 2:
            Merge(feedID);
            return;
        case 3:
            if (const auto id = AnyItem()) {
                ASSERT_TRUE(db_.SetItemStatus(*id, qint16(random_() % 4)));
            }
            return;
        case 4:
            ChangeAsAnotherProgram();
            return;
        case 5:
            if (const auto id = AnyItem()) {
                auto item = *db_.GetItem(*id);
                item.Keywords = Phrase(1);
                ASSERT_TRUE(db_.UpdateItem(item));
            }
            return;
        case 6:
            if (const auto id = AnyItem()) {
                ASSERT_TRUE(db_.DeleteItem(*id));
            }
            return;
        case 7:
            ASSERT_TRUE(db_.PurgeFeedData(feedID));
            return;
        case 8:
            ASSERT_TRUE(db_.DeleteFeed(feedID));
            InsertFeed(feedID);
            ASSERT_TRUE(db_.SetFeedViews(feedID, feedID == Feeds[2] ? QList<qint32>()
                                                                    : QList<qint32>{900}));
            return;
        default:
            if (random_() % 4 == 0) {
                ASSERT_TRUE(db_.PurgeAllData());
            } else if (random_() % 2 == 0) {
                ASSERT_TRUE(db_.RebuildWhatsNew());
            } else {
                ASSERT_TRUE(db_.RebuildKeywordView(901, true, true, true));
            }
            return;
        }
    }

    // Statements of another program on the same file, past every function of the store: a
    // status, a membership or an item's feed changed in place.
    void ChangeAsAnotherProgram() {
        const auto id = AnyItem();
        if (!id)
            return;
        const QString statements[] = {
            QStringLiteral("Update FeedItems Set Status = %1 Where FeedItemID = %2")
                .arg(random_() % 4)
                .arg(*id),
            QStringLiteral("Update FeedItems Set FeedID = %1 Where FeedItemID = %2")
                .arg(Feeds[random_() % std::size(Feeds)])
                .arg(*id),
            QStringLiteral("Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) Select "
                           "901,FeedID,FeedItemID,0 From FeedItems Where FeedItemID = %1")
                .arg(*id),
            QStringLiteral("Update ViewFeedItems Set ViewID = 1 Where FeedItemID = %1").arg(*id),
            QStringLiteral("Delete From ViewFeedItems Where FeedItemID = %1").arg(*id),
        };
        Sql({statements[random_() % std::size(statements)]});
    }

    void CheckCounts() {
        const auto all = db_.CountAllFeedItems();
        for (qint32 feedID : Feeds) {
            const int unread =
                Count("FeedItems", QStringLiteral("FeedID = %1 And Status = 1").arg(feedID));
            const int shown =
                Count("FeedItems", QStringLiteral("FeedID = %1 And Status <> 0").arg(feedID));
            EXPECT_EQ(db_.CountFeedItems(feedID, ItemUnread), unread) << feedID;
            EXPECT_EQ(db_.CountFeedItems(feedID, 0), shown) << feedID;
            EXPECT_EQ(all.value(feedID).unread, unread) << feedID;
            EXPECT_EQ(all.value(feedID).total, shown) << feedID;
        }
        const QString inView = QStringLiteral("FeedID In (%1,%2)").arg(Feeds[0]).arg(Feeds[1]);
        EXPECT_EQ(db_.CountViewItems(900, ItemUnread),
                  Count("FeedItems", inView + QStringLiteral(" And Status = 1")));
        EXPECT_EQ(db_.CountViewItems(900, ItemLocked),
                  Count("FeedItems", inView + QStringLiteral(" And Status = 3")));
        EXPECT_EQ(db_.CountViewItems(900, 0),
                  Count("FeedItems", inView + QStringLiteral(" And Status <> 0")));
        for (qint32 view : {qint32(WhatsNewViewID), 901}) {
            const QString members =
                QStringLiteral("ViewFeedItems Inner Join FeedItems On "
                               "FeedItems.FeedItemID = ViewFeedItems.FeedItemID Where "
                               "ViewID = %1 And Status ")
                    .arg(view);
            EXPECT_EQ(db_.CountViewItems(view, ItemUnread), Count(members + "= 1")) << view;
            EXPECT_EQ(db_.CountViewItems(view, ItemLocked), Count(members + "= 3")) << view;
            EXPECT_EQ(db_.CountViewItems(view, 0), Count(members + "<> 0")) << view;
        }
        // Every kept count, of the feeds and Views the steps touch and of any other.
        EXPECT_EQ(Rows("Select FeedID,Shown,Unread,Locked From FeedItemCounts Where Shown <> 0 "
                       "Or Unread <> 0 Or Locked <> 0 Order By FeedID"),
                  Rows("Select FeedID,Count(*),Sum(Status = 1),Sum(Status = 3) From FeedItems "
                       "Where Status <> 0 Group By FeedID Order By FeedID"));
        EXPECT_EQ(Rows("Select ViewID,Shown,Unread,Locked From ViewItemCounts Where Shown <> 0 "
                       "Or Unread <> 0 Or Locked <> 0 Order By ViewID"),
                  Rows("Select ViewID,Count(*),Sum(Status = 1),Sum(Status = 3) From "
                       "ViewFeedItems Inner Join FeedItems On FeedItems.FeedItemID = "
                       "ViewFeedItems.FeedItemID Where Status <> 0 Group By ViewID Order By "
                       "ViewID"));
    }

    QSet<QString> Searched(const QString& text, bool title, bool keywords, bool body) {
        CRssDatabase::SearchResults found;
        db_.SearchItems(text, found, title, keywords, body, true);
        QSet<QString> ids;
        for (qint32 id : found.feedItemIDs)
            ids << QString::number(id);
        return ids;
    }

    QSet<QString> Liked(const QString& text, const QString& where) {
        const QString pattern = u'%' + QString(text).replace(u'\'', QStringLiteral("''")) + u'%';
        const QStringList ids =
            Rows(QStringLiteral("Select Distinct FeedItems.FeedItemID From "
                                "FeedItems Left Join FeedItemShortData On "
                                "FeedItems.FeedItemID = "
                                "FeedItemShortData.FeedItemID Where ") +
                 QString(where).replace(QStringLiteral("PATTERN"), u'\'' + pattern + u'\''));
        return QSet<QString>(ids.cbegin(), ids.cend());
    }

    void CheckSearches() {
        for (const char* word : Searches) {
            const QString text = QString::fromUtf8(word);
            EXPECT_EQ(Searched(text, true, false, false), Liked(text, "Title Like PATTERN"))
                << word;
            EXPECT_EQ(Searched(text, false, true, false), Liked(text, "Keywords Like PATTERN"))
                << word;
            EXPECT_EQ(Searched(text, false, false, true),
                      Liked(text, "FeedItemShortData.TextData Like PATTERN"))
                << word;
        }
    }

    static constexpr qint32 Feeds[] = {11, 12, 13};
    static constexpr const char* Vocabulary[] = {"apple",  "Pear", "pearl",      "plum",    "fig",
                                                 "O'Neil", "50%",  "\"quoted\"", "Ünïcode", "kiwi",
                                                 "peach",  "AND",  "NEAR",       "tab\tbed"};
    // Words, parts of words, phrases, wildcards, the index's own operators, and texts whose
    // runs of three all hold white space.
    static constexpr const char* Searches[] = {
        "pear",     "PEAR", "ear", "pl",   "apple pear", "o'neil", "50%",  "%",        "_ig",
        "\"quoted", "ünï",  "AND", "near", "* OR (",     "e p",    "b\tb", "tab\tbed", "g f"};
    std::mt19937 random_{16};
    int guids_ = 0;
};

TEST_F(StoreModelTest, CountsAndSearchesFollowEveryChange) {
    for (int step = 0; step < 200; ++step) {
        RandomStep();
        if (HasFatalFailure())
            return;
        CheckCounts();
        if (step % 4 == 0)
            CheckSearches();
        if (HasFailure())
            FAIL() << "after step " << step;
    }
    CheckSearches();
}

// The index keeps the runs of three within words, case folded, and leaves out those that hold
// white space: the search still finds every row Like finds, by its runs within words or, when
// it has none, by Like alone.
TEST_F(StoreFixture, SearchIndexKeepsTheRunsWithinWords) {
    AddFeed(5, "Five");
    AddItem(5, 50, NowGmt(), ItemUnread, "Boats\tin the Harbour");
    const auto indexed = [&](const QString& run) {
        return Rows(
            QStringLiteral("Select rowid From ItemTitleSearch Where ItemTitleSearch Match ") +
            SqlText(u'"' + run + u'"'));
    };
    for (const char* run : {"boa", "HAR", "the", "our"})
        EXPECT_EQ(indexed(QString::fromUtf8(run)), QStringList{"50"}) << run;
    for (const char* run : {"s\ti", "e h", " Ha", "in "})
        EXPECT_EQ(indexed(QString::fromUtf8(run)), QStringList()) << run;
    for (const char* text : {"the harbour", "s\tin", "E H", "boats\tin the harbour"}) {
        CRssDatabase::SearchResults found;
        db_.SearchItems(QString::fromUtf8(text), found, true, false, false, false);
        EXPECT_EQ(found.feedItemIDs, QList<qint32>{50}) << text;
    }
}

// Files written before the search index, the kept counts and the later indexes gain them on
// their first open.
class SchemaUpgradeTest : public StoreFixture {
protected:
    // Takes away what later builds added, as a file of an earlier build has it.
    void MakeEarlierFile(const QString& version) {
        AddFeed(5, "Five");
        AddItem(5, 50, NowGmt(), ItemUnread, "Harbour news");
        AddItem(5, 51, NowGmt(), ItemUnread, "Tram news");
        AddItem(5, 53, NowGmt(), ItemLocked, "Kept news");
        AddFeed(6, "Six");
        AddItem(6, 60, NowGmt(), ItemRead, "Read news");
        Sql({"Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
             "Values(51,5,1,0,'boats in the harbour')",
             "Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
             "Values(50,5,2,0,'the second piece names a lighthouse')",
             "Insert Into Views(ViewID,ParentID,Label,Status,Keywords) Values(70,0,'Trams',2,"
             "'tram')",
             "Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) Values(70,5,51,1)",
             "Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) Values(70,5,53,1)"});
        QStringList statements;
        for (const char* trigger :
             {"ItemTitleSearch_Added", "ItemTitleSearch_Removed", "ItemTitleSearch_Changed",
              "ItemTextSearch_Added", "ItemTextSearch_Removed", "ItemTextSearch_Changed",
              "ItemCounts_ItemAdded", "ItemCounts_ItemRemoved", "ItemCounts_ItemChanged",
              "ItemCounts_MemberAdded", "ItemCounts_MemberRemoved", "ItemCounts_MemberChanged"})
            statements << QStringLiteral("DROP TRIGGER ") + QLatin1String(trigger);
        for (const char* index :
             {"FeedItemsStatus_PI", "FeedItemsDate_PI", "FeedItemsNewest_PI",
              "ViewFeedItemsFeed_PI", "FeedItemShortDataFeed_PI", "FeedItemLongDataFeed_PI",
              "ViewFeedItemsFeedID_PI", "FeedsUrl_PI"})
            statements << QStringLiteral("DROP INDEX ") + QLatin1String(index);
        statements << "DROP TABLE ItemTitleSearch"
                   << "DROP TABLE ItemTextSearch"
                   << "DROP TABLE FeedItemCounts"
                   << "DROP TABLE ViewItemCounts"
                   << "DROP TABLE SearchIndexPaused";
        if (version == "1.0")
            statements << "ALTER TABLE Feeds DROP COLUMN ReadAfter";
        statements << "Update VersionInfo Set VersionNumber = '" + version + "'";
        Sql(statements);
    }

    void ExpectSearchable(CRssDatabase& db) {
        EXPECT_EQ(prompt_.progress, QStringList{"Building the search index..."});
        EXPECT_EQ(Count("sqlite_master", "type = 'index'"), 24);
        EXPECT_EQ(Count("sqlite_master", "type = 'trigger'"), 17);
        CRssDatabase::SearchResults found;
        db.SearchItems("harbour", found, true, false, true, false);
        EXPECT_EQ(QSet<qint32>(found.feedItemIDs.cbegin(), found.feedItemIDs.cend()),
                  QSet<qint32>({50, 51}));
        CRssDatabase::SearchResults secondPiece;
        db.SearchItems("lighthouse", secondPiece, false, false, true, false);
        EXPECT_EQ(secondPiece.feedItemIDs, QList<qint32>{50});
        // Rows written after the upgrade are found too, and deleted ones no longer.
        AddItem(5, 52, NowGmt(), ItemUnread, "More harbour");
        ASSERT_TRUE(db.DeleteItem(50));
        CRssDatabase::SearchResults after;
        db.SearchItems("harbour", after, true, false, true, false);
        EXPECT_EQ(QSet<qint32>(after.feedItemIDs.cbegin(), after.feedItemIDs.cend()),
                  QSet<qint32>({51, 52}));
    }

    // The counts of the rows written before, and of the changes after, the first open.
    void ExpectCounted(CRssDatabase& db) {
        EXPECT_EQ(db.CountAllFeedItems().value(5).unread, 2);
        EXPECT_EQ(db.CountAllFeedItems().value(5).total, 3);
        EXPECT_EQ(db.CountFeedItems(6, 0), 1);
        EXPECT_EQ(db.CountFeedItems(6, ItemUnread), 0);
        EXPECT_EQ(db.CountViewItems(70, ItemUnread), 1);
        EXPECT_EQ(db.CountViewItems(70, ItemLocked), 1);
        EXPECT_EQ(db.CountViewItems(70, 0), 2);
        ASSERT_TRUE(db.SetItemStatus(51, ItemRead));
        ASSERT_TRUE(db.DeleteItem(53));
        EXPECT_EQ(db.CountFeedItems(5, ItemUnread), 1);
        EXPECT_EQ(db.CountFeedItems(5, 0), 2);
        EXPECT_EQ(db.CountViewItems(70, ItemUnread), 0);
        EXPECT_EQ(db.CountViewItems(70, 0), 1);
    }
};

TEST_F(SchemaUpgradeTest, AnEarlierVersion2FileGainsTheIndexOnOpen) {
    db_.CloseDatabase();
    MakeEarlierFile("2.0");
    CRssDatabase reopened;
    ASSERT_EQ(reopened.OpenDatabase(path_, false), 1);
    ExpectCounted(reopened);
    ExpectSearchable(reopened);
}

// A file indexed by a build whose insert triggers never waited for a merge gets the ones that do.
TEST_F(SchemaUpgradeTest, InsertTriggersThatNeverWaitAreWrittenAgain) {
    db_.CloseDatabase();
    Sql({"DROP TRIGGER ItemTitleSearch_Added", "DROP TRIGGER ItemTextSearch_Added",
         "DROP TABLE SearchIndexPaused",
         "CREATE TRIGGER ItemTitleSearch_Added AFTER INSERT ON FeedItems BEGIN INSERT INTO "
         "ItemTitleSearch(rowid,Title,Keywords) VALUES(new.FeedItemID,new.Title,new.Keywords); END",
         "CREATE TRIGGER ItemTextSearch_Added AFTER INSERT ON FeedItemShortData BEGIN INSERT INTO "
         "ItemTextSearch(rowid,TextData) VALUES(CASE WHEN new.LinkOrder = 1 THEN new.FeedItemID "
         "ELSE -(new.FeedItemID*65536+new.LinkOrder) END,new.TextData); END"});
    CRssDatabase reopened;
    ASSERT_EQ(reopened.OpenDatabase(path_, false), 1);
    EXPECT_EQ(Count("sqlite_master", "type = 'trigger' And sql Like '%SearchIndexPaused%'"), 2);
    EXPECT_EQ(Count("sqlite_master", "type = 'trigger'"), 17);
    EXPECT_TRUE(prompt_.progress.isEmpty()); // the index itself is kept
    AddFeed(5, "Five");
    AddItem(5, 50, NowGmt(), ItemUnread, "Harbour news");
    CRssDatabase::SearchResults found;
    reopened.SearchItems("harbour", found, true, false, false, false);
    EXPECT_EQ(found.feedItemIDs, QList<qint32>{50});
}

// A file indexed without the ends of words gets its index anew, so that a search for a letter
// or two finds through the index every item that holds them.
TEST_F(SchemaUpgradeTest, AnIndexWithoutWordEndsIsBuiltAgain) {
    AddFeed(5, "Five");
    AddItem(5, 50, NowGmt(), ItemUnread, "Harbour zq");
    AddItem(5, 51, NowGmt(), ItemUnread, "Tram news");
    db_.CloseDatabase();
    Sql({"DROP TABLE ItemTitleSearch", "DROP TABLE ItemTextSearch",
         "CREATE VIRTUAL TABLE ItemTitleSearch USING fts5(Title,Keywords,content='',"
         "tokenize='wordtrigram',detail=none,columnsize=0)",
         "CREATE VIRTUAL TABLE ItemTextSearch USING fts5(TextData,content='',"
         "tokenize='wordtrigram',detail=none,columnsize=0)",
         "INSERT INTO ItemTitleSearch(rowid,Title,Keywords) SELECT FeedItemID,Title,Keywords "
         "FROM FeedItems"});
    CRssDatabase reopened;
    ASSERT_EQ(reopened.OpenDatabase(path_, false), 1);
    EXPECT_EQ(prompt_.progress, QStringList{"Building the search index..."});
    EXPECT_EQ(Count("sqlite_master", "sql Like '%WordEnds%'"), 2);
    EXPECT_EQ(Count("sqlite_master", "type = 'trigger'"), 17);
    const auto indexed = [&](const char* prefix) {
        return Rows(
            QStringLiteral("Select rowid From ItemTitleSearch Where ItemTitleSearch Match ") +
            SqlText(QStringLiteral("\"%1\"*").arg(QString::fromUtf8(prefix))));
    };
    EXPECT_EQ(indexed("ZQ"), QStringList{"50"});
    EXPECT_EQ(indexed("q"), QStringList{"50"});
    EXPECT_EQ(indexed("ws"), QStringList{"51"});
    AddItem(5, 52, NowGmt(), ItemUnread, "More zq");
    ASSERT_TRUE(reopened.DeleteItem(50));
    EXPECT_EQ(indexed("zq"), QStringList{"52"});
}

TEST_F(SchemaUpgradeTest, ASnapshotOfAnEarlierFileGainsThemWhenRestored) {
    db_.CloseDatabase();
    MakeEarlierFile("2.0");
    const QString other = env_.Path("other.qpdb");
    CRssDatabase restored;
    ASSERT_TRUE(restored.CreateDatabase(other, false, false));
    ASSERT_EQ(restored.OpenDatabase(other, false), 1);
    ASSERT_TRUE(restored.RestoreSnapshot(path_));
    ExpectCounted(restored);
    CRssDatabase::SearchResults found;
    restored.SearchItems("harbour", found, true, false, true, false);
    EXPECT_EQ(QSet<qint32>(found.feedItemIDs.cbegin(), found.feedItemIDs.cend()),
              QSet<qint32>({50, 51}));
}

TEST_F(SchemaUpgradeTest, AVersion1FileGainsTheIndexWithTheUpgrade) {
    db_.CloseDatabase();
    MakeEarlierFile("1.0");
    CRssDatabase upgraded;
    prompt_.answers = {true};
    ASSERT_EQ(upgraded.OpenDatabase(path_, false), 1);
    EXPECT_EQ(upgraded.GetDatabaseVersion(), "2.0");
    ExpectCounted(upgraded);
    ExpectSearchable(upgraded);
}

} // namespace
