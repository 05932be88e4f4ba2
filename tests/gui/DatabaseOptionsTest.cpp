// The "RSS Database Options" dialog driven with real clicks.

#include "GuiFixture.h"
#include "gui/dialogs/DatabaseOptionsDlg.h"
#include "gui/screens/FeedListScreen.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>

namespace {

class DatabaseOptionsTest : public GuiFixture {
protected:
    // Answers the options dialog: clicks the choice, then OK.
    void ChooseOption(CDatabaseOptionsDlg::Option option) {
        script_.Handle([option](QWidget* dialog) {
            for (QRadioButton* button : dialog->findChildren<QRadioButton*>())
                if (button->text() == CDatabaseOptionsDlg::ChoiceText(option))
                    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
    }

    CQuillpostView& StartOn(const QStringList& feeds) {
        current_ = MakeDatabase(QStringLiteral("current.qpdb"), feeds);
        QDir().mkpath(TheAppSettings().audioFolder);
        CQuillpostView& view = Start();
        script_.messages.clear();
        return view;
    }

    QStringList ShownFeeds() const {
        QStringList titles;
        const CFeedListModel& model = frame_->View()->FeedListScreen()->Model();
        for (int row = 0; row < model.rowCount(); ++row)
            titles << model.index(row).data().toString();
        return titles;
    }

    void RunOptions() { frame_->View()->OnCommand(CQuillpostView::DatabaseOptions); }

    QString current_;
};

TEST_F(DatabaseOptionsTest, EachChoiceShowsItsDescription) {
    CDatabaseOptionsDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("RSS Database Options"));
    EXPECT_EQ(dialog.Chosen(), CDatabaseOptionsDlg::Open);
    const struct {
        CDatabaseOptionsDlg::Option option;
        const char* startOfDescription;
    } cases[] = {
        {CDatabaseOptionsDlg::Create, "Option for creating a new Quillpost database."},
        {CDatabaseOptionsDlg::ImportBackup, "Option for adding the Feed/View listings"},
        {CDatabaseOptionsDlg::Purge, "Option for purging the old feed item data"},
        {CDatabaseOptionsDlg::SaveBackup, "Option for saving your Feed/View listings"},
        {CDatabaseOptionsDlg::Open, "Option for opening an existing Quillpost database"},
    };
    for (const auto& c : cases) {
        for (QRadioButton* button : dialog.findChildren<QRadioButton*>())
            if (button->text() == CDatabaseOptionsDlg::ChoiceText(c.option))
                QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        EXPECT_EQ(dialog.Chosen(), c.option);
        EXPECT_TRUE(dialog.Description().startsWith(QLatin1String(c.startOfDescription)))
            << dialog.Description().toStdString();
    }
}

TEST_F(DatabaseOptionsTest, OpenSwitchesToTheChosenDatabaseAndARefusedFileKeepsTheCurrentOne) {
    CQuillpostView& view = StartOn({QStringLiteral("Current")});
    const QString other = MakeDatabase(QStringLiteral("other.qpdb"), {QStringLiteral("Other")});
    store_.Write(Key::Database, current_);

    const QString broken = env_.WriteFile(QStringLiteral("broken.qpdb"), "no database here");
    ChooseOption(CDatabaseOptionsDlg::Open);
    script_.ChooseFile(broken);
    RunOptions();
    EXPECT_EQ(script_.fileTitles, QStringList(QStringLiteral("Select RSS Database File (*.qpdb)")));
    EXPECT_EQ(script_.messages,
              QStringList(QStringLiteral("Quillpost: Could not Open the Quillpost "
                                         "Database.\n\nPlease select a "
                                         "different database.")));
    EXPECT_EQ(view.Database().DatabasePath(), current_);
    EXPECT_EQ(ShownFeeds(), QStringList(QStringLiteral("Current")));

    store_.Write(Key::FeedViewCurrentViewID, 1);
    ChooseOption(CDatabaseOptionsDlg::Open);
    script_.ChooseFile(other);
    RunOptions();
    EXPECT_EQ(script_.messages.size(), 1);
    EXPECT_EQ(store_.Read(Key::Database), other);
    EXPECT_EQ(store_.Read(Key::FeedViewCurrentViewID), 0);
    EXPECT_EQ(ShownFeeds(), QStringList(QStringLiteral("Other")));
}

TEST_F(DatabaseOptionsTest, CreateThenCancelChangesNothingAndCreateMakesAnEmptyCurrentDatabase) {
    CQuillpostView& view = StartOn({QStringLiteral("Current")});
    ChooseOption(CDatabaseOptionsDlg::Create);
    script_.ChooseFile(QString());
    RunOptions();
    EXPECT_EQ(script_.fileTitles, QStringList(QStringLiteral("Create a new RSS Database")));
    EXPECT_TRUE(script_.messages.isEmpty());
    EXPECT_EQ(store_.Read(Key::Database), current_);
    EXPECT_EQ(view.Database().DatabasePath(), current_);
    EXPECT_EQ(ShownFeeds(), QStringList(QStringLiteral("Current")));

    ChooseOption(CDatabaseOptionsDlg::Create);
    script_.ChooseFile(env_.Path(QStringLiteral("fresh")));
    RunOptions();
    const QString fresh = env_.Path(QStringLiteral("fresh.qpdb"));
    EXPECT_TRUE(QFile::exists(fresh));
    EXPECT_EQ(script_.messages,
              QStringList(QStringLiteral(
                  "New Database: A new Quillpost database has been created.\n\nYou should now "
                  "use the Feed Wizard (from the main menu) or add New View (from the top-right "
                  "menu).")));
    EXPECT_EQ(store_.Read(Key::Database), fresh);
    EXPECT_EQ(view.Database().DatabasePath(), fresh);
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
    EXPECT_TRUE(ShownFeeds().isEmpty());
}

TEST_F(DatabaseOptionsTest, BackupsAreSavedAndImportedAndAnUnreadableOneIsReported) {
    CQuillpostView& view = StartOn({QStringLiteral("Alpha"), QStringLiteral("Beta")});
    ChooseOption(CDatabaseOptionsDlg::SaveBackup);
    script_.ChooseFile(env_.Path(QStringLiteral("saved")));
    RunOptions();
    const QString backup = env_.Path(QStringLiteral("saved.qpbk"));
    EXPECT_EQ(script_.messages,
              QStringList(QStringLiteral("Backup Created: A Quillpost Backup file has been "
                                         "created...\n") +
                          backup));

    // Into a new, empty database.
    ChooseOption(CDatabaseOptionsDlg::Create);
    script_.ChooseFile(env_.Path(QStringLiteral("restored")));
    RunOptions();
    ASSERT_TRUE(ShownFeeds().isEmpty());
    script_.messages.clear();
    ChooseOption(CDatabaseOptionsDlg::ImportBackup);
    script_.ChooseFile(backup);
    RunOptions();
    EXPECT_TRUE(script_.messages.isEmpty()) << script_.messages.join(u' ').toStdString();
    QStringList shown = ShownFeeds();
    shown.sort();
    EXPECT_EQ(shown, QStringList({QStringLiteral("Alpha"), QStringLiteral("Beta")}));

    const QString unreadable = env_.WriteFile(QStringLiteral("bad.qpbk"), "<not a backup");
    ChooseOption(CDatabaseOptionsDlg::ImportBackup);
    script_.ChooseFile(unreadable);
    RunOptions();
    EXPECT_EQ(script_.messages,
              QStringList(QStringLiteral("Quillpost: Could not Import data from Backup file...") +
                          unreadable));
    EXPECT_EQ(view.Database().FeedList.size(), 2u);
}

TEST_F(DatabaseOptionsTest, PurgeAsksFirstAndKeepsAnAutomaticBackup) {
    CQuillpostView& view = StartOn({QStringLiteral("Feed")});
    const qint32 feedID = view.Database().FeedList.at(0).FeedID;
    const QString file = env_.WriteFile(
        QStringLiteral("feed.xml"),
        "<rss version=\"2.0\"><channel><title>Feed</title><item><title>One</title><guid>1</guid>"
        "</item><item><title>Two</title><guid>2</guid></item></channel></rss>");
    ASSERT_TRUE(view.Database().MergeFeedFile(feedID, file, nullptr));
    ASSERT_EQ(view.Database().CountFeedItems(feedID, 0), 2);
    const QString autoBackup = TheAppSettings().installFolder + QStringLiteral("/rssAutoBAK.qpbk");

    for (const bool yes : {false, true}) {
        script_.messages.clear();
        ChooseOption(CDatabaseOptionsDlg::Purge);
        script_.Press(yes ? QMessageBox::Yes : QMessageBox::No);
        RunOptions();
        ASSERT_EQ(script_.messages.size(), 1);
        EXPECT_TRUE(script_.messages[0].startsWith(
            QStringLiteral("Confirm: This will Purge all old Feed data from the database.")));
        EXPECT_EQ(view.Database().CountFeedItems(feedID, 0), yes ? 0 : 2);
        EXPECT_EQ(QFile::exists(autoBackup), yes);
    }
    EXPECT_EQ(ShownFeeds(), QStringList(QStringLiteral("Feed")));
}

} // namespace
