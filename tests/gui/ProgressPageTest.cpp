// The download progress page during real runs.

#include "GuiFixture.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/screens/FeedListScreen.h"
#include "net/RunLock.h"
#include "support/LoopbackServer.h"

#include <QDir>
#include <QListView>
#include <QPushButton>
#include <map>
#include <sqlite3.h>

namespace {

QByteArray Feed(const QString& title, int items) {
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title>";
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<item><title>%1 item %2</title><guid>%1-%2</guid>"
                              "<description>text %2</description></item>")
                   .arg(title)
                   .arg(i)
                   .toUtf8();
    return xml + "</channel></rss>";
}

class ProgressPageTest : public GuiFixture {
protected:
    // Feeds in download order: the first has the highest priority.
    void MakeFeeds(const std::vector<std::pair<QString, std::string>>& feeds) {
        const QString path = env_.Path(QStringLiteral("run.qpdb"));
        CRssDatabase db;
        ASSERT_TRUE(db.CreateDatabase(path, false, false));
        ASSERT_EQ(db.OpenDatabase(path, false), 1);
        int priority = int(feeds.size()) + 1;
        for (const auto& [title, urlPath] : feeds) {
            CFeedRecord feed;
            feed.FeedID = NewRecordID();
            feed.Title = title;
            feed.FeedUrl = urlPath.starts_with("http") ? QString::fromStdString(urlPath)
                                                       : server_.Url(urlPath);
            feed.Priority = qint16(priority--);
            ASSERT_TRUE(db.InsertFeed(feed, 0, 0));
        }
        store_.Write(Key::Database, path);
        store_.Write(Key::FirstTime, 0);
        QDir().mkpath(TheAppSettings().audioFolder);
    }

    QStringList Rows() const {
        QStringList rows;
        const QAbstractItemModel* model = Page()->List()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString().replace(u'\n', u'|');
        return rows;
    }

    CDownloadProgressWnd* Page() const { return frame_->View()->ProgressScreen(); }

    bool WaitForEnd(int ms) {
        return QTest::qWaitFor([this] { return !Page()->IsActive() && !Page()->IsRunning(); }, ms);
    }

    LoopbackServer server_;
};

TEST_F(ProgressPageTest, ARunShowsEachFeedWhileTheWindowStaysResponsive) {
    server_.SetBody("/good", Feed("Good", 3));
    server_.Set("/slow", LoopbackServer::Slow(Feed("Slow", 2), 40, 60));
    MakeFeeds({{"Good", "/good"}, {"Missing", "http://127.0.0.1:9/feed"}, {"Slow", "/slow"}});
    CQuillpostView& view = Start();

    // The user interface thread keeps turning while the worker downloads.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    QTest::keyClick(frame_.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(view.ActiveScreen(), CDownloadProgressWnd::Id);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Page()->Header() == QStringLiteral("Downloading Feed Data: 3 of 3"); },
        10000));
    const int ticksBefore = ticks;
    QTest::qWait(300);
    EXPECT_GE(ticks - ticksBefore, 5);
    // It repaints and scrolls in the middle of the run.
    EXPECT_FALSE(Page()->grab().isNull());
    Page()->List()->scrollToTop();
    EXPECT_TRUE(Page()->IsActive());
    EXPECT_TRUE(Page()->CancelButton()->isEnabled());

    ASSERT_TRUE(WaitForEnd(20000));
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("Starting Download Process..."),
                                   QStringLiteral("Good|- Status: Done - Success"),
                                   QStringLiteral("Missing|- Status: Done - Failed To Download"),
                                   QStringLiteral("Slow|- Status: Done - Success"),
                                   QStringLiteral("Downloading Complete|- Status: OK")}));
    // The reason of a failure is the row's tooltip.
    EXPECT_EQ(Page()->List()->model()->index(2, 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("could not connect"));
    // The run's end brings the remembered screen back with its lists reloaded.
    EXPECT_TRUE(QTest::qWaitFor([&view] { return view.ActiveScreen() == CFeedListScreen::Id; }));
    // The worker marks the run over right after its last report.
    EXPECT_TRUE(QTest::qWaitFor([this] { return store_.Read(Key::BackgroundStatus) == 0; }));
    EXPECT_EQ(store_.Read(Key::TodayHasChanged), 1);
    EXPECT_EQ(view.FeedListScreen()->Model().rowCount(), 3);
    EXPECT_TRUE(script_.messages.isEmpty()) << script_.messages.join("\n").toStdString();
}

TEST_F(ProgressPageTest, FirstCancelEndsAfterTheEntrySecondStopsAtOnce) {
    server_.Set("/slow", LoopbackServer::Slow(Feed("Slow", 2), 20, 50));
    LoopbackServer::Response hang;
    hang.hang = true;
    server_.Set("/hang", hang);
    MakeFeeds({{"Slow", "/slow"}, {"Next", "/slow"}, {"Hang", "/hang"}});
    CQuillpostView& view = Start();

    QTest::keyClick(frame_.get(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Rows().size() >= 2; }, 5000));
    QTest::mouseClick(Page()->CancelButton(), Qt::LeftButton);
    EXPECT_EQ(Page()->Header(), QStringLiteral("Cancelling Download"));
    EXPECT_TRUE(Rows().contains(QStringLiteral(
        "If downloading does not stop,|in a few minutes. Press \"Cancel\", again.")));
    ASSERT_TRUE(WaitForEnd(20000));
    EXPECT_EQ(Rows().last(), QStringLiteral("Downloading Complete|Status: Cancelled by User"));
    EXPECT_FALSE(Rows().join(u' ').contains(QStringLiteral("Next|")));
    EXPECT_TRUE(QTest::qWaitFor([&view] { return view.ActiveScreen() == CFeedListScreen::Id; }));

    // A feed that never answers.
    for (const CFeedRecord& feed : view.Database().FeedList)
        if (feed.Title != u"Hang")
            view.Database().SetFeedStatus(feed.FeedID, 1);
    QTest::keyClick(frame_.get(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Rows().join(u' ').contains(QStringLiteral("Hang|")); }, 5000));
    // The second cancel (Escape) comes before the entry could finish: the run state ends
    // within the click, without waiting for the worker.
    QTest::mouseClick(Page()->CancelButton(), Qt::LeftButton);
    QTest::keyClick(frame_.get(), Qt::Key_Escape);
    EXPECT_FALSE(Page()->IsActive());
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
    EXPECT_EQ(Rows().last(), QStringLiteral("Downloading Complete|Status: Cancelled by User"));
    EXPECT_TRUE(QTest::qWaitFor([&view] { return view.ActiveScreen() == CFeedListScreen::Id; }));
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
}

// The window keeps a connection of its own while the worker merges: what the user does in the
// middle of a merge waits for that merge's step instead of running inside its transaction.
TEST_F(ProgressPageTest, TheWindowWorksOnItsOwnConnectionInTheMiddleOfAMerge) {
    server_.SetBody("/first", Feed("First", 3));
    server_.SetBody("/big", Feed("Big", 20000));
    server_.SetBody("/doomed", Feed("Doomed", 2));
    server_.SetBody("/last", Feed("Last", 2));
    MakeFeeds({{"First", "/first"}, {"Big", "/big"}, {"Doomed", "/doomed"}, {"Last", "/last"}});
    CQuillpostView& view = Start();
    CRssDatabase& db = view.Database();
    std::map<QString, CFeedRecord> feeds;
    for (const CFeedRecord& feed : db.FeedList)
        feeds[feed.Title] = feed;

    QTest::keyClick(frame_.get(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Rows().last() == QStringLiteral("Big|- Status: Processing Data..."); },
        20000));
    // The item list, Feed Properties and a delete, while the worker stores the big feed.
    ASSERT_TRUE(db.LoadFeedItems(feeds["First"].FeedID, 100));
    EXPECT_EQ(db.ItemList.size(), 3u);
    CFeedRecord edited = feeds["First"];
    edited.ReadAfter = 30;
    EXPECT_TRUE(db.UpdateFeed(edited));
    EXPECT_TRUE(db.DeleteFeed(feeds["Doomed"].FeedID));
    ASSERT_TRUE(WaitForEnd(60000));

    sqlite3* check = nullptr;
    ASSERT_EQ(sqlite3_open_v2(env_.Path(QStringLiteral("run.qpdb")).toUtf8().constData(), &check,
                              SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    const auto scalar = [check](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(check, sql, -1, &statement, nullptr);
        QString value;
        if (sqlite3_step(statement) == SQLITE_ROW)
            value =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return value;
    };
    EXPECT_EQ(scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
    EXPECT_EQ(scalar("Select Group_Concat(Title || ':' || ReadAfter || ':' || (Select Count(*) "
                     "From FeedItems Where FeedItems.FeedID = Feeds.FeedID), ',') From (Select * "
                     "From Feeds Order By Title) As Feeds"),
              QStringLiteral("Big:%1:%2,First:30:3,Last:%1:2")
                  .arg(feeds["Big"].ReadAfter)
                  .arg(feeds["Big"].MaxItems));
    EXPECT_EQ(scalar("Select Count(*) From FeedItems Where FeedID Not In (Select FeedID From "
                     "Feeds)"),
              QStringLiteral("0"));
    sqlite3_close(check);
}

TEST_F(ProgressPageTest, ARunMarkedAsGoingElsewhereGivesTheBusyNotice) {
    server_.SetBody("/good", Feed("Good", 1));
    MakeFeeds({{"Good", "/good"}});
    CQuillpostView& view = Start();
    CRunLock otherRun; // the run of another process, alive
    otherRun.Hold();
    store_.Write(Key::BackgroundStatus, 1);
    script_.Press(QMessageBox::Cancel);
    view.OnCommand(CQuillpostView::UpdateAllFeeds);
    ASSERT_EQ(script_.messages.size(), 2);
    EXPECT_TRUE(script_.messages[0].startsWith(
        QStringLiteral("Busy Notice: Background Download operation is currently in progress.")));
    EXPECT_EQ(script_.messages[1],
              QStringLiteral("Notice: Your request has been sent.\n\nYou may now resume using "
                             "Quillpost"));
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 2);
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
    EXPECT_FALSE(Page()->IsRunning());
}

TEST_F(ProgressPageTest, NothingToDownloadChangesNothing) {
    MakeFeeds({});
    CQuillpostView& view = Start();
    view.OnCommand(CQuillpostView::UpdateAllFeeds);
    EXPECT_EQ(script_.messages,
              QStringList(QStringLiteral("Download Error: Could not Build Download Listing")));
    view.OnCommand(CQuillpostView::DownloadAudioData);
    EXPECT_EQ(script_.messages.value(1),
              QStringLiteral("Download Notice: No Audio Content available for download."));
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
}

TEST_F(ProgressPageTest, ADueScheduledReloadRunsWhileTheProgramIsOpen) {
    server_.SetBody("/good", Feed("Good", 2));
    MakeFeeds({{"Good", "/good"}});
    // Due now: a reload time of this minute (a minute of the day; 0 stands for none).
    const int minute = std::max(1, CReloadSchedule::CurrentMinute());
    store_.Write(Key::ReloadTime1, minute);
    CQuillpostView& view = Start();

    // A run of another process is going: the timed reload is skipped without a question.
    CRunLock otherRun;
    otherRun.Hold();
    store_.Write(Key::BackgroundStatus, 1);
    view.EvaluateReloadSchedule();
    EXPECT_FALSE(Page()->IsRunning());
    EXPECT_TRUE(script_.messages.isEmpty());

    otherRun.Release();
    store_.Write(Key::BackgroundStatus, 0);
    view.EvaluateReloadSchedule();
    EXPECT_EQ(view.ActiveScreen(), CDownloadProgressWnd::Id);
    ASSERT_TRUE(WaitForEnd(10000));
    EXPECT_EQ(Rows().value(1), QStringLiteral("Good|- Status: Done - Success"));
    EXPECT_TRUE(QTest::qWaitFor([&view] { return view.ActiveScreen() == CFeedListScreen::Id; }));
    // Just done: not due again.
    view.EvaluateReloadSchedule();
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
}

} // namespace
