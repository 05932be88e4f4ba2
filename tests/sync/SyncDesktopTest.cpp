// The desktop program with a server account, against the real Tiny Tiny RSS server (see
// scripts/ttrss-server): the account dialog, Update All and the Feed Wizard.
#include "gui/GuiFixture.h"
#include "gui/dialogs/SyncAccountDlg.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/window/RunStatus.h"
#include "gui/wizard/FeedWizardDlg.h"
#include "support/LoopbackServer.h"
#include "sync/SyncAccount.h"
#include "sync/TtRssServer.h"
#include "sync/TtRssSource.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUuid>

namespace {

// An address where no Tiny Tiny RSS answers: a web page on the loopback server.
const QByteArray NotTtRssPage = "<html><body>A blog</body></html>";

class SyncDesktopTest : public GuiFixture {
protected:
    void SetUp() override {
        server_ = TtRssServer::FromSetup(QStringLiteral(QUILLPOST_BUILD_DIR "/ttrss.env"));
        if (!server_)
            GTEST_SKIP() << TtRssServer::NotSetUp;
        ASSERT_TRUE(server_->Start()) << "php -S did not serve tt-rss within 10 s";
        path_ = MakeDatabase(QStringLiteral("rss.qpdb"), {});
        ASSERT_EQ(db_.OpenDatabase(path_, false), 1);
    }

    CAccountRecord Account() const {
        return {QStringLiteral("ttrss"), server_->Url(), TtRssServer::User(), 0};
    }

    void AddAccount() {
        QString message;
        ASSERT_TRUE(CSyncAccount(db_).Save(Account(), TtRssServer::Password(), message))
            << message.toStdString();
    }

    // A feed of its own on the server with `items` items, subscribed and downloaded there.
    QString ServerFeed(int items) {
        const QString url = server_->WriteFeed(
            QStringLiteral("d") + QUuid::createUuid().toString(QUuid::Id128), items);
        QString message;
        EXPECT_TRUE(CTtRssSource(server_->Url(), TtRssServer::User(), TtRssServer::Password())
                        .Subscribe(url, message))
            << message.toStdString();
        EXPECT_TRUE(server_->RunUpdater(server_->FeedNumber(url)));
        return url;
    }

    qint32 LocalFeedOf(const QString& url) {
        return db_.AccountFeeds().value(server_->FeedNumber(url));
    }

    int ItemCount(qint32 feedID) {
        db_.LoadFeedItems(feedID, 10000);
        return int(db_.ItemList.size());
    }

    // Waits for the end of the window's run; its progress.
    static const CDownloadProgressModel& WaitForRun(CQuillpostView& view) {
        CDownloadProgressWnd* progress = view.ProgressScreen();
        EXPECT_TRUE(QTest::qWaitFor(
            [progress] { return !progress->IsActive() && !progress->IsRunning(); }, 120000));
        return progress->Progress();
    }

    // Runs Update All from the main window's command and waits for its end.
    static const CDownloadProgressModel& UpdateAll(CQuillpostView& view) {
        view.Action(CQuillpostView::UpdateAllFeeds)->trigger();
        return WaitForRun(view);
    }

    // The run's row of the account's sync.
    static std::optional<CDownloadProgressModel::Row> SyncRow(const CDownloadProgressModel& run) {
        for (const auto& row : run.Rows())
            if (row.title.startsWith(QStringLiteral("Sync: ")))
                return row;
        return std::nullopt;
    }

    // The dialog's button clicked, and its login waited for.
    static void Click(CSyncAccountDlg& dialog, QPushButton* button) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&dialog] { return !dialog.IsBusy(); }, 30000));
    }

    static void Enter(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    // No desktop secret store answers on a bus that does not exist: the user's own is never
    // touched, and no store is started that would ask for a keyring password.
    ScopedEnv noBus_{"DBUS_SESSION_BUS_ADDRESS", QStringLiteral("unix:path=/nonexistent/bus")};
    std::unique_ptr<TtRssServer> server_;
    QString path_;
    CRssDatabase db_;
};

// Test says what the server answered for each address and password; nothing is stored by it.
TEST_F(SyncDesktopTest, TheAccountDialogsTestSaysWhatTheServerAnswered) {
    LoopbackServer web;
    web.SetBody("/blog/api/", NotTtRssPage);
    struct Case {
        QString address;
        QString password;
        bool apiOff;
        QString shown;
    };
    const Case cases[] = {
        {server_->Url(), TtRssServer::Password(), false,
         QStringLiteral("Logged in to the Tiny Tiny RSS server at %1 as admin: ")
             .arg(server_->Url())},
        {server_->Url(), QStringLiteral("wrong"), false,
         QStringLiteral("Not logged in: the server refused the user name or password.")},
        {server_->Url(), TtRssServer::Password(), true,
         QStringLiteral("Not logged in: the server's API is switched off for this user")},
        {web.Url("/blog/"), TtRssServer::Password(), false,
         QStringLiteral("does not answer as a Tiny Tiny RSS server")},
    };
    const auto setApi = [this](bool on) {
        return server_->RunSql(QStringLiteral("update ttrss_user_prefs set value='%1' where "
                                              "pref_name='ENABLE_API_ACCESS'")
                                   .arg(on ? "true" : "false"));
    };
    CSyncAccountDlg dialog(db_);
    dialog.show();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.address.toStdString() + " " + test.password.toStdString());
        Enter(dialog.AddressEdit(), test.address);
        Enter(dialog.UserEdit(), TtRssServer::User());
        Enter(dialog.PasswordEdit(), test.password);
        EXPECT_TRUE(setApi(!test.apiOff));
        Click(dialog, dialog.TestButton());
        EXPECT_TRUE(setApi(true));
        EXPECT_TRUE(dialog.ResultLine()->text().contains(test.shown))
            << dialog.ResultLine()->text().toStdString();
    }
    EXPECT_FALSE(db_.GetAccount());
    EXPECT_FALSE(dialog.RemoveButton()->isEnabled());
}

// Save logs in first and stores only what the server took; without a secret store the password
// goes to a file the user alone reads, and the dialog says so. Remove asks first.
TEST_F(SyncDesktopTest, TheAccountDialogSavesAndRemovesTheAccount) {
    CSyncAccountDlg dialog(db_);
    dialog.show();
    Enter(dialog.AddressEdit(), server_->Url());
    Enter(dialog.UserEdit(), TtRssServer::User());
    Enter(dialog.PasswordEdit(), QStringLiteral("wrong"));
    Click(dialog, dialog.SaveButton());
    EXPECT_FALSE(db_.GetAccount());
    EXPECT_TRUE(dialog.ResultLine()->text().contains(QStringLiteral("refused")));

    Enter(dialog.PasswordEdit(), TtRssServer::Password());
    Click(dialog, dialog.SaveButton());
    const auto stored = db_.GetAccount();
    ASSERT_TRUE(stored) << dialog.ResultLine()->text().toStdString();
    EXPECT_EQ(stored->Url, server_->Url());
    EXPECT_EQ(stored->UserName, TtRssServer::User());
    EXPECT_TRUE(dialog.PasswordLine()->text().contains(QStringLiteral("No desktop secret store")))
        << dialog.PasswordLine()->text().toStdString();
    const QDir accounts(env_.ConfigFolder() + QStringLiteral("/Oxbowfield/accounts"));
    const QFileInfoList files = accounts.entryInfoList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(dialog.PasswordLine()->text().contains(files[0].absoluteFilePath()));

    // The dialog opened again shows the account, its password ready for Test.
    CSyncAccountDlg again(db_);
    EXPECT_EQ(again.AddressEdit()->text(), server_->Url());
    EXPECT_EQ(again.PasswordEdit()->text(), TtRssServer::Password());
    ASSERT_TRUE(again.RemoveButton()->isEnabled());

    script_.Press(QMessageBox::No);
    QTest::mouseClick(again.RemoveButton(), Qt::LeftButton);
    EXPECT_TRUE(db_.GetAccount());
    script_.Press(QMessageBox::Yes);
    QTest::mouseClick(again.RemoveButton(), Qt::LeftButton);
    EXPECT_FALSE(db_.GetAccount());
    EXPECT_TRUE(accounts.entryList(QDir::Files).isEmpty());
    ASSERT_EQ(script_.messages.size(), 2);
    EXPECT_TRUE(script_.messages[0].startsWith(QStringLiteral("Server Account: Remove")));
}

// Update All syncs the account in the same run as the local feeds, each one entry of the run.
TEST_F(SyncDesktopTest, UpdateAllSyncsTheAccountBesideTheLocalFeeds) {
    AddAccount();
    const QString url = ServerFeed(3);
    LoopbackServer web;
    web.SetBody("/local.xml", "<rss version=\"2.0\"><channel><title>Local</title><item>"
                              "<title>Local 1</title><link>http://example.org/1</link></item>"
                              "</channel></rss>");
    CFeedRecord local;
    local.FeedID = NewRecordID();
    local.Title = QStringLiteral("Local");
    local.FeedUrl = web.Url("/local.xml");
    ASSERT_TRUE(db_.InsertFeed(local, 0, 0));

    const CDownloadProgressModel& run = UpdateAll(Start());
    EXPECT_EQ(run.LastOutcome().entries, 2);
    EXPECT_EQ(run.LastOutcome().failures, 0);
    const auto sync = SyncRow(run);
    ASSERT_TRUE(sync);
    EXPECT_EQ(sync->icon, CDownloadProgressModel::Succeeded);
    // The server is shared by the tests: its other feeds come too.
    EXPECT_TRUE(sync->note.contains(QStringLiteral(" new items"))) << sync->note.toStdString();
    EXPECT_EQ(ItemCount(LocalFeedOf(url)), 3);
    EXPECT_EQ(ItemCount(local.FeedID), 1);
    EXPECT_TRUE(script_.messages.isEmpty()) << script_.messages.join(u'\n').toStdString();
}

// The timed reload syncs the account as Update All does.
TEST_F(SyncDesktopTest, ADueTimedReloadSyncsTheAccount) {
    AddAccount();
    const QString url = ServerFeed(2);
    // Due now: a reload time of this minute (a minute of the day; 0 stands for none).
    store_.Write(Key::ReloadTime1, std::max(1, CReloadSchedule::CurrentMinute()));
    CQuillpostView& view = Start();
    view.EvaluateReloadSchedule();
    const auto sync = SyncRow(WaitForRun(view));
    ASSERT_TRUE(sync);
    EXPECT_EQ(sync->icon, CDownloadProgressModel::Succeeded) << sync->note.toStdString();
    EXPECT_EQ(ItemCount(LocalFeedOf(url)), 2);
}

// A database whose only feeds are the account's is no empty list; a server that cannot be
// reached is one failed entry that says why, and nothing else changes.
TEST_F(SyncDesktopTest, ASyncThatFailsIsOneFailureOfTheRunWithItsReason) {
    AddAccount();
    const QString url = ServerFeed(2);
    CQuillpostView& view = Start();
    EXPECT_EQ(UpdateAll(view).LastOutcome().failures, 0);
    const qint32 feedID = LocalFeedOf(url);
    ASSERT_NE(feedID, 0);

    server_->Stop();
    const CDownloadProgressModel& run = UpdateAll(view);
    EXPECT_EQ(run.LastOutcome().entries, 1);
    EXPECT_EQ(run.LastOutcome().failures, 1);
    const auto sync = SyncRow(run);
    ASSERT_TRUE(sync);
    EXPECT_EQ(sync->icon, CDownloadProgressModel::Failed);
    EXPECT_TRUE(sync->note.contains(QStringLiteral("cannot be reached")))
        << sync->note.toStdString();
    // The status bar's summary counts it, and its list of failures says why.
    auto* status = frame_->findChild<CRunStatus*>();
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([status] { return status->Text().contains(" 1 failed"); }))
        << status->Text().toStdString();
    EXPECT_TRUE(status->Failures().join(u'\n').contains(QStringLiteral("cannot be reached")));
    EXPECT_EQ(ItemCount(feedID), 2);
    EXPECT_TRUE(script_.messages.isEmpty()) << script_.messages.join(u'\n').toStdString();
}

// With an account, a feed added in the Feed Wizard is subscribed on the server and synced in.
TEST_F(SyncDesktopTest, TheFeedWizardSubscribesOnTheServer) {
    AddAccount();
    const QString url =
        server_->WriteFeed(QStringLiteral("w") + QUuid::createUuid().toString(QUuid::Id128), 1);
    CQuillpostView& view = Start();
    bool ran = false;
    script_.Handle([&](QWidget* widget) {
        auto* wizard = qobject_cast<CFeedWizardDlg*>(widget);
        ASSERT_NE(wizard, nullptr);
        ran = true;
        wizard->Begin({WizardRequest::AddFeed, url});
        auto* next = wizard->findChild<QAbstractButton*>(QStringLiteral("NextButton"));
        QTest::mouseClick(next, Qt::LeftButton);
    });
    view.Action(CQuillpostView::FeedWizard)->trigger();
    ASSERT_TRUE(ran);
    EXPECT_EQ(WaitForRun(view).LastOutcome().failures, 0);
    EXPECT_NE(server_->FeedNumber(url), 0);
    const qint32 feedID = LocalFeedOf(url);
    ASSERT_NE(feedID, 0);
    EXPECT_EQ(db_.GetFeed(feedID)->FeedUrl, url);
    ASSERT_FALSE(script_.messages.isEmpty());
    EXPECT_TRUE(script_.messages[0].contains(QStringLiteral("on the server")))
        << script_.messages.join(u'\n').toStdString();
}

} // namespace
