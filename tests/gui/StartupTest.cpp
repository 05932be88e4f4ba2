#include "GuiFixture.h"
#include "app/ResourceWarnings.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/ItemListScreen.h"
#include "store/DatabaseMutex.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>

namespace {

class StartupTest : public GuiFixture {};

QStringList WithCaption(const QStringList& messages, const QString& caption) {
    return messages.filter(QRegularExpression(u'^' + QRegularExpression::escape(caption) + ": "));
}

TEST_F(StartupTest, FirstStartCreatesTheDatabaseFromTheDemonstrationListing) {
    CQuillpostView& view = Start();
    const QString path = TheAppSettings().installFolder + QStringLiteral("/rss.qpdb");
    EXPECT_EQ(WithCaption(script_.messages, QStringLiteral("First Time Use")),
              QStringList({QStringLiteral("First Time Use: Quillpost will now create the "
                                          "Database...\n") +
                               path,
                           QStringLiteral("First Time Use: The Database has been created.\n\n"
                                          "Now, do \"Reload All Feed Data\" from main menu to "
                                          "update Feed information.")}));
    EXPECT_TRUE(WithCaption(script_.messages, QStringLiteral("Database Notice")).isEmpty());
    EXPECT_EQ(store_.Read(Key::Database), path);
    EXPECT_EQ(store_.Read(Key::FirstTime), 0);
    EXPECT_TRUE(view.Database().IsOpen());
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
    EXPECT_EQ(view.FeedListScreen()->StripText(), QStringLiteral("Show All Feeds"));
    EXPECT_EQ(view.FeedListScreen()->Model().rowCount(), int(view.Database().FeedList.size()));
    EXPECT_GE(view.FeedListScreen()->Model().rowCount(), 12);
}

TEST_F(StartupTest, FirstStartOffersTheEarlierVersionsListing) {
    const QString listing = QStringLiteral(
        "<?xml version=\"1.0\"?><quillpost version=\"2.0\"><sources><source label=\"Old "
        "Feed\" url=\"http://127.0.0.1:9/old\" parentPath=\"\"/></sources></quillpost>");
    for (const bool yes : {true, false}) {
        TestEnvironment env;
        TheAppSettings().Load(store_);
        QDir().mkpath(TheAppSettings().installFolder + QStringLiteral("/scripts"));
        QFile file(TheAppSettings().installFolder + QStringLiteral("/scripts/sourceList.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(listing.toUtf8());
        file.close();
        script_.messages.clear();
        script_.Press(yes ? QMessageBox::Yes : QMessageBox::No);

        CQuillpostView& view = Start();
        EXPECT_EQ(script_.messages.value(0),
                  QStringLiteral("First Time Use: Do you want import your Quillpost v1.42 feeds?"));
        const int rows = view.FeedListScreen()->Model().rowCount();
        if (yes)
            EXPECT_EQ(rows, 1);
        else
            EXPECT_GE(rows, 12);
        frame_.reset();
    }
}

// What the start-up says about the database General\Database names.
struct OpenCase {
    const char* name;
    std::function<QString(TestEnvironment&)> makeFile;
    bool opens;
};

TEST_F(StartupTest, OpeningTheDatabaseHasThreeOutcomesAndTheProgramGoesOn) {
    const QString notAvailable =
        QStringLiteral("Database Notice: The Quillpost database is not available.\n\nPlease "
                       "Open/Create a new Database, via the Options toolbar button (left side).");
    const std::vector<OpenCase> cases = {
        {"missing", [](TestEnvironment& env) { return env.Path("gone.qpdb"); }, false},
        {"not a database",
         [](TestEnvironment& env) { return env.WriteFile("text.qpdb", "just some text\n"); },
         false},
        {"newer version",
         [](TestEnvironment& env) {
             const QString path = env.Path("newer.qpdb");
             CRssDatabase db;
             db.CreateDatabase(path, false, false);
             db.OpenDatabase(path, false);
             db.RunExclusive([](CAdoConnection& connection) {
                 return connection.Execute(
                     "Update VersionInfo Set VersionNumber = '9.0' Where VersionInfoID = 1");
             });
             return path;
         },
         false},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        store_.Write(Key::FirstTime, 0);
        store_.Write(Key::Database, c.makeFile(env_));
        script_.messages.clear();
        CQuillpostView& view = Start();
        EXPECT_EQ(view.Database().IsOpen(), c.opens);
        EXPECT_TRUE(script_.messages.contains(notAvailable))
            << script_.messages.join("\n").toStdString();
        // The program runs on with empty lists.
        EXPECT_EQ(view.FeedListScreen()->Model().rowCount(), 0);
        EXPECT_EQ(view.FeedListScreen()->StripText(), QStringLiteral("Show All Feeds"));
        frame_.reset();
    }
    MakeDatabase(QStringLiteral("good.qpdb"), {QStringLiteral("One"), QStringLiteral("Two")});
    script_.messages.clear();
    CQuillpostView& view = Start();
    EXPECT_TRUE(WithCaption(script_.messages, QStringLiteral("Database Notice")).isEmpty());
    EXPECT_EQ(view.FeedListScreen()->Model().rowCount(), 2);
}

TEST_F(StartupTest, ADatabaseHeldByAnotherProcessIsReportedAsLocked) {
    MakeDatabase(QStringLiteral("held.qpdb"), {QStringLiteral("One")});
    // Another process holds the lock every process of the user takes.
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {CDatabaseMutex::LockFilePath(QStringLiteral("QuillpostDBMutex")),
                  QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    QTest::qWait(300);
    CQuillpostView& view = Start();
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(script_.messages.contains(QStringLiteral(
        "Database Notice: A Background Download is in progress and Quillpost cannot access the "
        "database at this time.\n\nPlease close Quillpost and wait until downloading is "
        "complete.")))
        << script_.messages.join("\n").toStdString();
    EXPECT_EQ(view.FeedListScreen()->Model().rowCount(), 0);
}

TEST_F(StartupTest, ScreensSwitchByMenuAndKeysAndTheListScreenIsRemembered) {
    MakeDatabase(QStringLiteral("keys.qpdb"),
                 {QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
    CQuillpostView& view = Start();
    QListView* list = view.FeedListScreen()->List();
    EXPECT_EQ(list->currentIndex().row(), 0);
    QTest::keyClick(frame_.get(), Qt::Key_Down);
    QTest::keyClick(frame_.get(), Qt::Key_Down);
    EXPECT_EQ(list->currentIndex().row(), 2);
    QTest::keyClick(frame_.get(), Qt::Key_Up);
    const QString selected = list->currentIndex().data().toString();
    // Return opens the selected Feed on the item list.
    QTest::keyClick(frame_.get(), Qt::Key_Return);
    EXPECT_EQ(view.ActiveScreen(), CItemListScreen::Id);
    EXPECT_EQ(view.ItemListScreen()->StripText(), QStringLiteral("Feed: ") + selected);
    EXPECT_EQ(store_.Read(Key::ActiveView), CItemListScreen::Id);
    QTest::keyClick(frame_.get(), Qt::Key_Left);
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
    QTest::keyClick(frame_.get(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(view.ActiveScreen(), CItemListScreen::Id);
    frame_.reset();

    CQuillpostView& again = Start();
    EXPECT_EQ(again.ActiveScreen(), CItemListScreen::Id);
    QTest::keyClick(frame_.get(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(store_.Read(Key::ActiveView), CFeedListScreen::Id);
}

TEST_F(StartupTest, SettingsOnlyStartShowsTheSettingsAndEnds) {
    MakeDatabase(QStringLiteral("settings.qpdb"), {QStringLiteral("One")});
    StartOptions options;
    options.settingsOnly = true;
    bool mainWindowShown = true;
    QString dialogTitle;
    script_.Handle([&](QWidget* dialog) {
        mainWindowShown = frame_->isVisible();
        dialogTitle = dialog->windowTitle();
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    });
    // The program does not show its main window with "/t".
    frame_ = std::make_unique<CMainFrame>(options, [] { return true; });
    prompt_.SetParent(frame_.get());
    QSignalSpy ended(frame_->View(), &CQuillpostView::closeRequested);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(dialogTitle, QStringLiteral("Quillpost Settings"));
    EXPECT_FALSE(mainWindowShown);
    EXPECT_TRUE(script_.messages.isEmpty());
    EXPECT_EQ(store_.Read(Key::TodayHasChanged), 1);
    EXPECT_FALSE(frame_->View()->Database().IsOpen());
}

TEST(StartOptionsTest, OnlyLeadingSwitchesOfTsCount) {
    const struct {
        QStringList arguments;
        bool settingsOnly;
    } cases[] = {
        {{}, false},           {{"/t"}, true},
        {{"-t"}, true},        {{"-tt"}, true},
        {{"/x", "/t"}, false}, {{"/tx"}, true},
        {{"/xt"}, false},      {{"https://example.org/feed.xml", "-t"}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseStartOptions(c.arguments).settingsOnly, c.settingsOnly)
            << c.arguments.join(' ').toStdString();
    const StartOptions options =
        ParseStartOptions({"--quit-after-start", "https://example.org/feed.xml"});
    EXPECT_TRUE(options.quitAfterStart);
    EXPECT_EQ(options.feedUrl, QStringLiteral("https://example.org/feed.xml"));
}

TEST(ResourceWarningsTest, EachCheckWarnsBelowItsLimitAndZeroTurnsItOff) {
    const ResourceMeasures plenty{1e9, 1e9, 0, true, QStringLiteral("/audio")};
    const WarningLimits defaults;
    EXPECT_EQ(ResourceWarningText(defaults, plenty), QString());

    ResourceMeasures tight = plenty;
    tight.availableRamKb = 1023;
    tight.freeDiskKb = 2047;
    tight.databaseKb = 5 * 1024 + 1;
    tight.audioFolderExists = false;
    const WarningLimits limits{1, 2, 5, true};
    EXPECT_EQ(ResourceWarningText(limits, tight),
              QStringLiteral("- Less than 1 MB of RAM is available.\n\n- Less than 2 MB of disk "
                             "space is available.\n\n- Your database is over 5 MB. You should "
                             "remove old Feed data.\n\n- Audio Cache folder does not "
                             "exist...\n/audio"));
    EXPECT_EQ(ResourceWarningText({0, 0, 0, false}, tight), QString());

    ResourceMeasures exact = plenty;
    exact.databaseKb = 5 * 1024;
    exact.availableRamKb = 1024;
    exact.freeDiskKb = 1024;
    EXPECT_EQ(ResourceWarningText(defaults, exact), QString());
}

TEST(ResourceWarningsTest, AvailableMemoryIsReadFromTheWholeFile) {
    TestEnvironment env;
    const QString meminfo =
        env.WriteFile("meminfo", "MemTotal:       16318436 kB\nMemFree:          512000 kB\n"
                                 "MemAvailable:    8123456 kB\nBuffers:          204800 kB\n");
    EXPECT_EQ(AvailableRamKb(meminfo), 8123456.0);
    EXPECT_EQ(AvailableRamKb(env.Path("missing")), -1.0);
    EXPECT_GT(AvailableRamKb(), 0.0);
}

} // namespace
