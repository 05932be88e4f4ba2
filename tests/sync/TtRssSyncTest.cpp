// Sync against the real Tiny Tiny RSS server of Debian's packages (see scripts/ttrss-server).
#include "store/RssDatabase.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"
#include "sync/TtRssServer.h"
#include "sync/TtRssSource.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUuid>
#include <gtest/gtest.h>
#include <thread>

namespace {

class TtRssSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = TtRssServer::FromSetup(QStringLiteral(QUILLPOST_BUILD_DIR "/ttrss.env"));
        if (!server_)
            GTEST_SKIP() << TtRssServer::NotSetUp;
        ASSERT_TRUE(server_->Start()) << "php -S did not serve tt-rss within 10 s";
        path_ = env_.Path(QStringLiteral("rss.qpdb"));
        ASSERT_TRUE(db_.CreateDatabase(path_, false, true));
        ASSERT_EQ(db_.OpenDatabase(path_, false), 1);
        ASSERT_TRUE(
            db_.SetAccount({QStringLiteral("ttrss"), server_->Url(), TtRssServer::User(), 0}));
    }

    CTtRssSource Source(const QString& password = TtRssServer::Password()) const {
        return CTtRssSource(server_->Url(), TtRssServer::User(), password);
    }

    bool Sync(QString* message = nullptr) {
        SyncReport report;
        QString text;
        const bool synced = Source().Sync(db_, report, text);
        if (message)
            *message = text;
        return synced;
    }

    // A feed of its own for each test, subscribed through the source and downloaded by the
    // server; its local number after a sync.
    qint32 SubscribedFeed(int items, QString* url = nullptr) {
        const QString name = QStringLiteral("f") + QUuid::createUuid().toString(QUuid::Id128);
        const QString address = server_->WriteFeed(name, items);
        QString message;
        EXPECT_TRUE(Source().Subscribe(address, message)) << message.toStdString();
        EXPECT_TRUE(server_->RunUpdater(server_->FeedNumber(address)));
        EXPECT_TRUE(Sync(&message)) << message.toStdString();
        if (url)
            *url = address;
        return LocalFeed(server_->FeedNumber(address));
    }

    // Runs quillpost-cli on the database at `path`. No desktop secret store answers it, unless
    // it runs in a session of its own with gnome-keyring's (`inKeyring`).
    static int Cli(const QString& path, const QStringList& arguments, QString* output = nullptr,
                   bool inKeyring = false) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/nonexistent/bus"));
        process.setProcessEnvironment(environment);
        const QStringList command =
            QStringList{QStringLiteral(QUILLPOST_CLI), QStringLiteral("--db"), path} << arguments;
        if (inKeyring)
            process.start(QStringLiteral("dbus-run-session"),
                          QStringList{QStringLiteral("--"), QStringLiteral("sh"),
                                      QStringLiteral("-c"), KeyringThenCommand,
                                      QStringLiteral("sh")}
                              << command);
        else
            process.start(command[0], command.mid(1));
        process.waitForFinished(120000);
        if (output)
            *output = QString::fromUtf8(process.readAll());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // The secret store of a GNOME session, started unlocked on the session's own bus (its
    // keyring goes to the test's data folder), then the command.
    static inline const QString KeyringThenCommand = QStringLiteral(
        "printf unlock | gnome-keyring-daemon --unlock --components=secrets >/dev/null && "
        "exec \"$@\"");

    qint32 LocalFeed(int remote) { return db_.AccountFeeds().value(remote); }

    // Title -> status of the feed's stored items.
    QHash<QString, qint16> LocalItems(qint32 feedID) {
        QHash<QString, qint16> items;
        db_.LoadFeedItems(feedID, 10000);
        for (const CFeedItemRecord& item : db_.ItemList)
            items.insert(item.Title, item.Status);
        return items;
    }

    qint32 LocalItemID(qint32 feedID, const QString& title) {
        db_.LoadFeedItems(feedID, 10000);
        for (const CFeedItemRecord& item : db_.ItemList)
            if (item.Title == title)
                return item.FeedItemID;
        return 0;
    }

    TestEnvironment env_;
    std::unique_ptr<TtRssServer> server_;
    QString path_;
    CRssDatabase db_;
};

TEST_F(TtRssSyncTest, SubscribingInQuillpostSubscribesOnTheServerAndBringsItsItems) {
    QString url;
    const qint32 feedID = SubscribedFeed(2, &url);
    const int remote = server_->FeedNumber(url);
    ASSERT_NE(remote, 0) << "the server has no feed " << url.toStdString();
    ASSERT_NE(feedID, 0);
    EXPECT_EQ(db_.GetFeed(feedID)->FeedUrl, url);
    const auto items = LocalItems(feedID);
    EXPECT_EQ(items.size(), 2);
    const QString name = url.section(u'/', -1).section(u'.', 0, 0);
    const auto text = db_.GetItemText(LocalItemID(feedID, name + QStringLiteral(" 1")), 0);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->Text.contains(QStringLiteral("Body of ") + name + QStringLiteral(" 1")));
    // Site downloads leave the account's feeds to the server.
    EXPECT_TRUE(db_.AccountFeedIDs().contains(feedID));

    // New items on the server arrive at the next sync, the stored ones are not stored again.
    server_->WriteFeed(name, 5);
    ASSERT_TRUE(server_->RunUpdater(remote));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(LocalItems(feedID).size(), 5);
    ASSERT_TRUE(Sync());
    EXPECT_EQ(LocalItems(feedID).size(), 5);

    // Deleting the feed in Quillpost unsubscribes on the server at the next sync.
    ASSERT_TRUE(db_.DeleteFeed(feedID));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(server_->FeedNumber(url), 0);
}

TEST_F(TtRssSyncTest, ReadAndStarredGoBothWays) {
    QString url;
    const qint32 feedID = SubscribedFeed(3, &url);
    const QString name = url.section(u'/', -1).section(u'.', 0, 0);
    const int remote = server_->FeedNumber(url);
    const auto title = [&](int i) { return name + u' ' + QString::number(i); };

    // Quillpost to the server: read, and locked as starred.
    ASSERT_TRUE(db_.SetItemStatus(LocalItemID(feedID, title(1)), ItemRead));
    ASSERT_TRUE(db_.SetItemStatus(LocalItemID(feedID, title(2)), ItemLocked));
    EXPECT_EQ(db_.PendingAccountChanges().size(), 2u + 1u); // item 2: unread off, starred on
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(db_.PendingAccountChanges().empty());
    auto states = server_->ItemStates(remote);
    ASSERT_EQ(states.size(), 3);
    int unread = 0, marked = 0;
    for (const auto& [isUnread, isMarked] : states) {
        unread += isUnread;
        marked += isMarked;
    }
    EXPECT_EQ(unread, 1);
    EXPECT_EQ(marked, 1);

    // The server to Quillpost: every item unread, the third starred.
    QStringList ids;
    for (auto state = states.cbegin(); state != states.cend(); ++state)
        ids << QString::number(state.key());
    ASSERT_TRUE(server_->Api(QStringLiteral("updateArticle"),
                             {{QStringLiteral("article_ids"), ids.join(u',')},
                              {QStringLiteral("mode"), 1},
                              {QStringLiteral("field"), 2}}));
    ASSERT_TRUE(server_->Api(QStringLiteral("updateArticle"),
                             {{QStringLiteral("article_ids"), ids.join(u',')},
                              {QStringLiteral("mode"), 0},
                              {QStringLiteral("field"), 0}}));
    const auto third = std::find_if(states.cbegin(), states.cend(),
                                    [](const auto& state) { return state.first && !state.second; });
    ASSERT_TRUE(
        server_->Api(QStringLiteral("updateArticle"), {{QStringLiteral("article_ids"), third.key()},
                                                       {QStringLiteral("mode"), 1},
                                                       {QStringLiteral("field"), 0}}));
    ASSERT_TRUE(Sync());
    const auto items = LocalItems(feedID);
    EXPECT_EQ(items.value(title(1)), ItemUnread);
    EXPECT_EQ(items.value(title(2)), ItemUnread);
    EXPECT_EQ(items.value(title(3)), ItemLocked);
    // What the server said is no local change to send back.
    EXPECT_TRUE(db_.PendingAccountChanges().empty());
}

TEST_F(TtRssSyncTest, AChangeMadeWhileTheServerIsStoppedArrivesAfterItStarts) {
    QString url;
    const qint32 feedID = SubscribedFeed(1, &url);
    const int remote = server_->FeedNumber(url);
    const qint32 itemID = LocalItems(feedID).isEmpty() ? 0 : db_.ItemList.front().FeedItemID;
    ASSERT_NE(itemID, 0);

    server_->Stop();
    ASSERT_TRUE(db_.SetItemStatus(itemID, ItemRead));
    QString message;
    EXPECT_FALSE(Sync(&message));
    EXPECT_TRUE(message.contains(QStringLiteral("cannot be reached"))) << message.toStdString();
    EXPECT_EQ(db_.PendingAccountChanges().size(), 1u);
    EXPECT_EQ(db_.GetItem(itemID)->Status, ItemRead);

    ASSERT_TRUE(server_->Start());
    ASSERT_TRUE(Sync(&message)) << message.toStdString();
    EXPECT_TRUE(db_.PendingAccountChanges().empty());
    const auto states = server_->ItemStates(remote);
    ASSERT_EQ(states.size(), 1);
    EXPECT_FALSE(states.begin()->first);
}

TEST_F(TtRssSyncTest, ASyncCutOffHalfWayResumesWithoutDuplicates) {
    constexpr int Items = 3 * CTtRssSource::PageSize - 50;
    const QString name = QStringLiteral("f") + QUuid::createUuid().toString(QUuid::Id128);
    const QString url = server_->WriteFeed(name, Items);
    QString message;
    ASSERT_TRUE(Source().Subscribe(url, message)) << message.toStdString();
    const int remote = server_->FeedNumber(url);
    ASSERT_NE(remote, 0);
    ASSERT_TRUE(server_->RunUpdater(remote));

    // The server goes away as soon as the first page of items is stored.
    std::atomic<bool> done{false};
    bool firstSync = true;
    std::thread sync([&] {
        CRssDatabase db;
        db.OpenDatabase(path_, false);
        SyncReport report;
        QString text;
        firstSync = Source().Sync(db, report, text);
        done = true;
    });
    CRssDatabase watcher;
    ASSERT_EQ(watcher.OpenDatabase(path_, false), 1);
    while (!done) {
        const qint32 feedID = watcher.AccountFeeds().value(remote, 0);
        if (feedID != 0 && watcher.CountFeedItems(feedID, 0) > 0) {
            server_->Stop();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    sync.join();
    const qint32 feedID = LocalFeed(remote);
    EXPECT_FALSE(firstSync) << "the sync ended before the server was stopped";
    EXPECT_LT(db_.CountFeedItems(feedID, 0), Items);

    ASSERT_TRUE(server_->Start());
    ASSERT_TRUE(Sync(&message)) << message.toStdString();
    const auto items = LocalItems(feedID);
    EXPECT_EQ(items.size(), Items);
    EXPECT_EQ(int(db_.ItemList.size()), Items) << "an item was stored twice";
}

TEST_F(TtRssSyncTest, AnExpiredSessionLogsInAgain) {
    QString url;
    const qint32 feedID = SubscribedFeed(1, &url);
    ASSERT_NE(feedID, 0);
    CTtRssSource source = Source();
    SyncReport report;
    QString message;
    ASSERT_TRUE(source.Sync(db_, report, message)) << message.toStdString();
    // The server forgets every session, as it does when they expire.
    ASSERT_TRUE(server_->RunSql(QStringLiteral("delete from ttrss_sessions")));
    ASSERT_TRUE(
        db_.SetItemStatus(LocalItemID(feedID, LocalItems(feedID).keys().value(0)), ItemRead));
    EXPECT_TRUE(source.Sync(db_, report, message)) << message.toStdString();
    EXPECT_EQ(report.changesSent, 1);
    EXPECT_TRUE(db_.PendingAccountChanges().empty());
}

// Each refusal gets its own message and changes nothing in the database.
TEST_F(TtRssSyncTest, RefusalsSayWhyAndChangeNothing) {
    LoopbackServer notTtRss;
    notTtRss.SetBody("/api/", "<html>a blog</html>");
    struct Case {
        const char* what;
        std::function<bool(QString&)> sync;
        const char* message;
    } cases[] = {
        {"wrong password",
         [&](QString& message) {
             SyncReport report;
             return Source(QStringLiteral("wrong")).Sync(db_, report, message);
         },
         "refused the user name or password"},
        {"not tt-rss",
         [&](QString& message) {
             SyncReport report;
             return CTtRssSource(notTtRss.Url(""), TtRssServer::User(), TtRssServer::Password())
                 .Sync(db_, report, message);
         },
         "does not answer as a Tiny Tiny RSS server"},
        {"API switched off",
         [&](QString& message) {
             server_->RunSql(QStringLiteral("update ttrss_user_prefs set value='false' where "
                                            "pref_name='ENABLE_API_ACCESS'"));
             SyncReport report;
             const bool synced = Source().Sync(db_, report, message);
             server_->RunSql(QStringLiteral("update ttrss_user_prefs set value='true' where "
                                            "pref_name='ENABLE_API_ACCESS'"));
             return synced;
         },
         "API is switched off"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        QString message;
        EXPECT_FALSE(test.sync(message));
        EXPECT_TRUE(message.contains(QLatin1String(test.message))) << message.toStdString();
        EXPECT_TRUE(db_.AccountFeeds().isEmpty());
        EXPECT_EQ(db_.GetAccount()->LastItemID, 0);
    }
}

// The command line: the account belongs to the database named by --db, and is stored only when
// the server takes it.
TEST_F(TtRssSyncTest, TheCommandLineAddsSyncsShowsAndRemovesTheAccountOfItsDatabase) {
    const QString path = env_.Path(QStringLiteral("cli.qpdb"));
    const auto cli = [&](QStringList arguments, QString* output = nullptr) {
        return Cli(path, arguments, output);
    };
    ASSERT_EQ(cli({QStringLiteral("init")}), 0);
    const QString wrong = env_.WriteFile(QStringLiteral("wrong"), "wrong\n");
    const QString right = env_.WriteFile(QStringLiteral("right"), "password\n");
    const QStringList add = {QStringLiteral("account"),        QStringLiteral("add"),
                             QStringLiteral("ttrss"),          server_->Url(),
                             QStringLiteral("--user"),         TtRssServer::User(),
                             QStringLiteral("--password-file")};
    QString output;
    EXPECT_EQ(cli(add + QStringList{wrong}, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("refused the user name or password")));
    EXPECT_EQ(cli({QStringLiteral("account"), QStringLiteral("show")}, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("no account")));

    ASSERT_EQ(cli(add + QStringList{right}, &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("which you alone can read")));
    ASSERT_EQ(cli({QStringLiteral("sync")}, &output), 0) << output.toStdString();
    EXPECT_EQ(cli({QStringLiteral("account"), QStringLiteral("show")}, &output), 0);
    EXPECT_TRUE(output.contains(server_->Url()));
    // The test's own database, opened without --db's file, has its own account.
    EXPECT_EQ(db_.GetAccount()->LastItemID, 0);
    EXPECT_EQ(cli({QStringLiteral("account"), QStringLiteral("remove")}), 0);
    EXPECT_EQ(cli({QStringLiteral("account"), QStringLiteral("show")}), 1);
}

// Where a desktop secret store runs, the password goes there and no file is written; a password
// that an earlier add kept in the file, where none ran, still serves once one does.
TEST_F(TtRssSyncTest, ThePasswordGoesToASecretStoreWhereOneRunsAndAFileKeptOneStillServes) {
    if (QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty())
        GTEST_SKIP() << "no secret store to start: gnome-keyring-daemon and dbus-run-session "
                        "are needed (scripts/setup installs gnome-keyring and dbus-daemon)";
    const QString password = env_.WriteFile(QStringLiteral("password"), "password\n");
    const QStringList add = {QStringLiteral("account"),         QStringLiteral("add"),
                             QStringLiteral("ttrss"),           server_->Url(),
                             QStringLiteral("--user"),          TtRssServer::User(),
                             QStringLiteral("--password-file"), password};
    const QDir files(env_.ConfigFolder() + QStringLiteral("/Oxbowfield/accounts"));
    const QString earlier = env_.Path(QStringLiteral("earlier.qpdb"));
    const QString later = env_.Path(QStringLiteral("later.qpdb"));
    QString output;
    for (const QString& path : {earlier, later})
        ASSERT_EQ(Cli(path, {QStringLiteral("init")}), 0);
    ASSERT_EQ(Cli(earlier, add, &output), 0) << output.toStdString();
    ASSERT_EQ(files.entryList(QDir::Files).size(), 1);

    ASSERT_EQ(Cli(later, add, &output, true), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("kept in the desktop's secret store")))
        << output.toStdString();
    EXPECT_EQ(files.entryList(QDir::Files).size(), 1);
    // The keyring is the test's own, in its data folder; the next session opens it again.
    ASSERT_EQ(Cli(later, {QStringLiteral("sync")}, &output, true), 0) << output.toStdString();
    ASSERT_EQ(Cli(earlier, {QStringLiteral("sync")}, &output, true), 0) << output.toStdString();
    ASSERT_EQ(Cli(earlier, {QStringLiteral("account"), QStringLiteral("show")}, &output, true), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("which you alone can read")))
        << output.toStdString();
    // Without the secret store, the password kept there is not to be had.
    EXPECT_EQ(Cli(later, {QStringLiteral("sync")}, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("password is missing"))) << output.toStdString();
}

} // namespace
