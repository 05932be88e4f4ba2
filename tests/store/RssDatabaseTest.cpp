// Tests of creating, opening and upgrading the database.

#include "StoreFixture.h"
#include "config/RegistrySettings.h"
#include "store/DatabaseMutex.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using RssDatabaseTest = StoreFixture;

TEST_F(RssDatabaseTest, NewDatabaseHoldsTheInitialRows) {
    const QString date = FormatDateShort(NowGmt()).left(10);
    const QStringList version =
        Rows("Select VersionInfoID,VersionNumber,CreatedBy From VersionInfo");
    EXPECT_EQ(version, QStringList{"1|2.0|Oxbowfield"});
    EXPECT_EQ(Rows("Select ViewID,ParentID,Label,ReadAfter,HideAfter,NumToShow,HideRead,"
                   "DPadSkipRead,SortBy,Status,Keywords From Views Order By ViewID"),
              QStringList({"1|0|Whats New|10|0|1000|1|1|2|2|---specialwhatsnew---",
                           "2|0|Search Results|10|0|1000|0|1|2|2|"}));
    EXPECT_EQ(db_.GetDatabaseVersion(), "2.0");
    for (const char* table : {"Feeds", "FeedItems", "ViewFeeds", "Subscriptions"})
        EXPECT_EQ(Count(table), 0) << table;
    EXPECT_EQ(Count("sqlite_master", "type = 'index'"), 24);

    ASSERT_TRUE(db_.CreateDatabase(env_.Path("bare.qpdb"), false, true));
    CRssDatabase bare;
    ASSERT_EQ(bare.OpenDatabase(env_.Path("bare.qpdb"), false), 1);
    EXPECT_FALSE(bare.GetView(1).has_value());
}

// A file made when the built-in Views showed 75 items keeps what it holds.
TEST_F(RssDatabaseTest, AnEarlierFileKeepsItsBuiltInViewLimits) {
    Sql({"Update Views Set NumToShow = 75 Where ViewID = 1",
         "Update Views Set NumToShow = 0 Where ViewID = 2"});
    CRssDatabase reopened;
    ASSERT_EQ(reopened.OpenDatabase(path_, false), 1);
    EXPECT_EQ(reopened.GetView(WhatsNewViewID)->NumToShow, 75);
    EXPECT_EQ(reopened.GetView(SearchResultsViewID)->NumToShow, 0);
}

TEST_F(RssDatabaseTest, CreationChecksSpaceAndAsksBeforeOverwriting) {
    const QString other = env_.Path("other.qpdb");
    db_.SetFreeSpaceProbe([](const QString&) { return qint64(199); });
    EXPECT_FALSE(db_.CreateDatabase(other, false, false));
    EXPECT_EQ(prompt_.messages.value(0), "Create Error: Sorry, but there is not enough available "
                                         "space. 200KB is needed, but only 199KB is available.");
    db_.SetFreeSpaceProbe([](const QString&) { return qint64(200); });
    EXPECT_TRUE(db_.CreateDatabase(other, false, false));

    prompt_.answers = {false};
    EXPECT_FALSE(db_.CreateDatabase(other, true, false));
    EXPECT_TRUE(prompt_.questions.value(0).startsWith("Overwrite Warning: A database already "
                                                      "exists."));
    prompt_.answers = {true};
    EXPECT_TRUE(db_.CreateDatabase(other, true, false));
}

// A file in the layout of version 1.0: Feeds without ReadAfter.
void WriteVersion1File(const QString& path, const QString& version) {
    CAdoConnection engine;
    CAdoRecordset create;
    ASSERT_EQ(engine.Open(QString()), 0);
    ASSERT_TRUE(create.Open("CREATE DATABASE '" + path + "'", engine, CAdoRecordset::Mode::Write));
    CAdoConnection db;
    ASSERT_EQ(db.Open(path), 0);
    for (const char* sql :
         {"CREATE TABLE VersionInfo(VersionInfoID int,VersionNumber varchar(10),CreatedBy "
          "varchar(50),DateCreated datetime)",
          "CREATE TABLE Feeds(FeedID int,Title varchar(255),GUID varchar(255),FeedType "
          "smallint,FeedUrl varchar(255),LinkUrl varchar(255),Description1 "
          "varchar(255),Description2 varchar(255),ReloadFrequency smallint,MaxItems "
          "smallint,ExtendedData smallint,ExtendedAudio smallint,Priority smallint,Status "
          "smallint,LastDigestKey varchar(255),LastDownloadDate datetime,LastFeedDate "
          "datetime,DateEntered datetime)",
          "Insert Into Feeds(FeedID,Title,MaxItems,Priority) Values(7,'Seven',40,3)",
          "Insert Into Feeds(FeedID,Title,MaxItems,Priority) Values(8,'Eight',20,4)"})
        ASSERT_TRUE(db.Execute(sql));
    ASSERT_TRUE(db.Execute("Insert Into VersionInfo(VersionInfoID,VersionNumber,CreatedBy,"
                           "DateCreated) Values(1,'" +
                           version + "','Oxbowfield','01/02/2004 10:00')"));
}

TEST_F(RssDatabaseTest, Version1FileIsUpgradedWhenTheUserAgrees) {
    const QString old = env_.Path("old.qpdb");
    WriteVersion1File(old, "1.0");
    CRssDatabase declined;
    prompt_.answers = {false};
    EXPECT_EQ(declined.OpenDatabase(old, false), -2);
    EXPECT_TRUE(prompt_.questions.value(0).startsWith("Database Update Required: The Database "
                                                      "structure needs to be updated.  This may"));
    declined.NoUpgradePrompt = true;
    EXPECT_EQ(declined.OpenDatabase(old, false), -2);
    EXPECT_EQ(prompt_.questions.size(), 1);

    CRssDatabase upgraded;
    prompt_.answers = {true};
    ASSERT_EQ(upgraded.OpenDatabase(old, false), 1);
    EXPECT_EQ(upgraded.GetDatabaseVersion(), "2.0");
    CAdoConnection db;
    ASSERT_EQ(db.Open(old), 0);
    CAdoRecordset rows;
    ASSERT_TRUE(rows.Open("Select * From Feeds", db, CAdoRecordset::Mode::Read));
    // ReadAfter sits before MaxItems, at positions 9 and 10.
    QStringList feeds;
    for (; !rows.IsEOF(); rows.MoveNext())
        feeds << rows.Field("Title").GetString() + ":" + rows.Field(9).GetString() + ":" +
                     rows.Field(10).GetString();
    EXPECT_EQ(feeds, QStringList({"Seven:10:40", "Eight:10:20"}));
    EXPECT_EQ(CRegistrySettings::ForQuillpost().Read(Key::TodayHasChanged), 1);

    // The upgraded file has every later table at once, without being opened again.
    const HttpValidators validators{"\"v1\"", "", {}};
    ASSERT_TRUE(upgraded.SetHttpValidators(7, validators));
    EXPECT_EQ(upgraded.GetHttpValidators(7).etag, validators.etag);
    EXPECT_TRUE(upgraded.CompactDatabase());
}

TEST_F(RssDatabaseTest, FileOfAnotherVersionIsNotOpened) {
    const QString future = env_.Path("future.qpdb");
    WriteVersion1File(future, "3.0");
    CRssDatabase other;
    prompt_.answers = {true};
    EXPECT_EQ(other.OpenDatabase(future, false), 0);
    prompt_.answers = {false};
    EXPECT_EQ(other.OpenDatabase(future, false), -2);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.OpenDatabase(env_.Path("missing.qpdb"), false), 0);
}

TEST_F(RssDatabaseTest, MissingFileIsReportedOnce) {
    ASSERT_TRUE(db_.LoadViewList());
    QFile::remove(path_);
    EXPECT_FALSE(db_.LoadViewList());
    EXPECT_FALSE(db_.GetView(1).has_value());
    ASSERT_EQ(prompt_.messages.size(), 1);
    EXPECT_EQ(prompt_.messages[0], "Missing Database: The database is no longer connected to..." +
                                       path_ + "\n\nPlease, Re-open the database.");
}

TEST_F(RssDatabaseTest, CompactionKeepsEveryRowInOrder) {
    AddFeed(30, "C");
    AddFeed(10, "A");
    AddFeed(20, "B");
    for (int i = 0; i < 5; ++i)
        AddItem(10 * (i % 3 + 1), 100 - i, NowGmt().addDays(-i));
    Sql({"Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
         "Values(100,10,1,0,'text ''quoted''')",
         "Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(2,30,1)",
         "Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) Values(1,10,100,0)",
         "Insert Into Subscriptions(SubscriptionID,ViewID,Title) Values(5,2,'S')",
         "Insert Into SubscriptionFeeds(SubscriptionID,FeedID) Values(5,30)",
         "Insert Into FeedItemLongData(FeedItemID,FeedID,LinkOrder,Keep) Values(99,20,1,1)",
         "Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) "
         "Values(98,30,'http://a/x.mp3',5,0,0)"});
    const char* tables[] = {"Views",
                            "Feeds",
                            "ViewFeeds",
                            "ViewFeedItems",
                            "Subscriptions",
                            "SubscriptionFeeds",
                            "FeedItems",
                            "FeedItemShortData",
                            "FeedItemLongData",
                            "FeedItemAudioData"};
    std::map<QString, QStringList> before;
    for (const char* table : tables)
        before[table] = Rows(QString("Select * From ") + table);

    ASSERT_TRUE(db_.CompactDatabase());
    EXPECT_FALSE(QFile::exists(env_.Path("rss1029102Temp.qpdb")));
    for (const char* table : tables)
        EXPECT_EQ(Rows(QString("Select * From ") + table), before[table]) << table;
    EXPECT_EQ(Rows("Select VersionNumber From VersionInfo"), QStringList{"2.0"});
    EXPECT_TRUE(db_.GetFeed(20).has_value()); // reconnects to the new file
}

// VACUUM cannot run while a query of the same connection is still being read; the file is then
// left as it was.
TEST_F(RssDatabaseTest, FailedCompactionLeavesTheOriginal) {
    AddFeed(10, "A");
    AddFeed(20, "B");
    bool compacted = true;
    ASSERT_TRUE(db_.RunExclusive([&](CAdoConnection& connection) {
        CAdoRecordset reading;
        reading.Open("Select FeedID From Feeds", connection, CAdoRecordset::Mode::Read);
        compacted = db_.CompactDatabase();
        return true;
    }));
    EXPECT_FALSE(compacted);
    EXPECT_EQ(Count("Feeds"), 2);
    EXPECT_EQ(Rows("PRAGMA integrity_check"), QStringList{"ok"});
}

// A feed's items are found by their key through an index, not by reading every item of the
// feed, so that a merge grows with its items rather than with their square; files made before
// the index get it when they are opened.
TEST_F(RssDatabaseTest, TheDuplicateTestFindsAnItemByItsKey) {
    auto plan = [this] {
        return Rows("EXPLAIN QUERY PLAN Select FeedItemID From FeedItems Where FeedID = 1 AND "
                    "GUID = 'g' AND Title = 't'")
            .join(u' ');
    };
    EXPECT_TRUE(plan().contains("(FeedID=? AND GUID=?)")) << plan().toStdString();
    Sql({"DROP INDEX FeedItemsKey_PI"});
    CRssDatabase reopened;
    ASSERT_EQ(reopened.OpenDatabase(path_, false), 1);
    EXPECT_TRUE(plan().contains("(FeedID=? AND GUID=?)")) << plan().toStdString();
}

class TwoProcessTest : public StoreFixture {
protected:
    void TearDown() override {
        if (helper_.state() != QProcess::NotRunning) {
            helper_.kill();
            helper_.waitForFinished();
        }
    }

    void StartHelper(const char* mode, const char* ready) {
        helper_.start(STORE_TEST_HELPER, {mode, path_});
        ASSERT_TRUE(helper_.waitForStarted());
        ASSERT_TRUE(helper_.waitForReadyRead(10000));
        ASSERT_EQ(helper_.readLine().trimmed(), ready);
    }

    QProcess helper_;
};

TEST_F(TwoProcessTest, LockHeldElsewhereMakesOperationsWaitAndFail) {
    StartHelper("hold-lock", "locked");
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(db_.GetView(1).has_value());
    EXPECT_GE(timer.elapsed(), 9500);

    // Once the holder dies the kernel drops its lock, and the next operation gets it at once.
    helper_.kill();
    helper_.waitForFinished();
    timer.restart();
    EXPECT_TRUE(db_.GetView(1).has_value());
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(TwoProcessTest, OneLockForBothProcesses) {
    db_.HoldLock = true;
    ASSERT_TRUE(db_.Lock());
    QProcess waiting;
    waiting.start(STORE_TEST_HELPER, {"try-lock", path_});
    ASSERT_TRUE(waiting.waitForStarted());
    QThread::msleep(300);
    EXPECT_EQ(waiting.state(), QProcess::Running); // blocked on the lock
    db_.HoldLock = false;
    db_.Unlock();
    ASSERT_TRUE(waiting.waitForFinished(5000));
    EXPECT_EQ(waiting.exitCode(), 0);
}

TEST_F(TwoProcessTest, KillingAWriterLeavesAReadableFile) {
    StartHelper("write-loop", "writing");
    QThread::msleep(400);
    helper_.kill();
    helper_.waitForFinished();
    CRssDatabase reopened;
    ASSERT_EQ(reopened.OpenDatabase(path_, false), 1);
    ASSERT_TRUE(reopened.LoadViewList());
    EXPECT_GT(reopened.ViewList.size(), 2u);
    EXPECT_EQ(Rows("PRAGMA integrity_check"), QStringList{"ok"});
}

// Another process writes while this one compacts again and again: it either holds its
// connection across the compactions (false) or starts while one runs (true). Every row either
// process stored is there afterwards, in a sound file.
class CompactionBesideAWriterTest : public TwoProcessTest,
                                    public ::testing::WithParamInterface<bool> {};

TEST_P(CompactionBesideAWriterTest, LosesNothing) {
    const bool writerStartsDuringCompaction = GetParam();
    // Enough rows, half of them freed, that a compaction takes a while.
    Sql({"Insert Into FeedItems(FeedItemID,FeedID,Title,Status) With Recursive n(i) As (Select 1 "
         "Union All Select i + 1 From n Where i < 40000) Select i, 1, hex(randomblob(60)), 1 "
         "From n",
         "Delete From FeedItems Where FeedItemID % 2 = 0"});
    std::atomic<bool> writerDone{false};
    std::atomic<int> compactions{0};
    std::atomic<bool> everyCompactionRan{true};
    auto compactUntilTheWriterEnds = [&] {
        CRssDatabase own;
        own.OpenDatabase(path_, false);
        do {
            if (!own.CompactDatabase())
                everyCompactionRan = false;
            ++compactions;
            QThread::msleep(50); // the writer's turn at the lock
        } while (!writerDone);
    };
    std::thread compactor;
    if (writerStartsDuringCompaction) {
        compactor = std::thread(compactUntilTheWriterEnds);
        QThread::msleep(20);
        helper_.start(STORE_TEST_HELPER, {"write-views", path_});
    } else {
        StartHelper("write-views", "writing");
        compactor = std::thread(compactUntilTheWriterEnds);
    }
    const bool finished = helper_.waitForFinished(60000);
    writerDone = true;
    compactor.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(helper_.exitCode(), 0);
    EXPECT_TRUE(everyCompactionRan);
    EXPECT_GE(compactions, 2);
    EXPECT_EQ(Rows("PRAGMA integrity_check"), QStringList{"ok"});
    EXPECT_EQ(Count("Views", "ViewID >= 1000"), 100);
    EXPECT_EQ(Count("FeedItems"), 20000);
}

INSTANTIATE_TEST_SUITE_P(WriterTiming, CompactionBesideAWriterTest, ::testing::Bool());

TEST_F(RssDatabaseTest, LockIsReentrantForOneThreadAndSharedWithOthers) {
    CRssDatabase second;
    ASSERT_EQ(second.OpenDatabase(path_, false), 1);
    db_.HoldLock = true;
    ASSERT_TRUE(db_.Lock());
    EXPECT_TRUE(second.GetView(1).has_value()); // same thread: not blocked

    bool otherThreadGotIt = true;
    std::thread other([&] {
        CRssDatabase third;
        third.OpenDatabase(path_, false);
        otherThreadGotIt = third.IsOpen();
    });
    QThread::msleep(200);
    db_.HoldLock = false;
    db_.Unlock();
    other.join();
    EXPECT_TRUE(otherThreadGotIt);
}

// Without a runtime folder the lock lives in the temporary folder that every user shares: each
// user has a lock file of their own there, or the first user's file would shut out the others.
TEST(DatabaseMutexTest, LockFileIsPerUserWithoutARuntimeFolder) {
    ScopedEnv noRuntimeFolder("XDG_RUNTIME_DIR", "");
    const QString name = QStringLiteral("QuillpostTestMutex%1").arg(getpid());
    EXPECT_EQ(CDatabaseMutex::LockFilePath(name),
              QDir::tempPath() + "/" + name + "-" + QString::number(getuid()) + ".lock");
    if (getuid() != 0)
        GTEST_SKIP() << "a second user needs root to be played";
    CDatabaseMutex mine(name);
    ASSERT_TRUE(mine.Lock(1000));
    constexpr uid_t otherUser = 65534;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setuid(otherUser) != 0)
            _exit(2);
        const int fd = open(QFile::encodeName(CDatabaseMutex::LockFilePath(name)).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        _exit(fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    mine.Unlock();
    QFile::remove(CDatabaseMutex::LockFilePath(name));
    QFile::remove(QDir::tempPath() + "/" + name + "-" + QString::number(otherUser) + ".lock");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
