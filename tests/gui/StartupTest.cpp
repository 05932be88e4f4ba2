// The desktop program's first start and start-up warnings.

#include "GuiFixture.h"
#include "app/ResourceWarnings.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/FirstStartNote.h"
#include "gui/screens/ItemListScreen.h"
#include "store/DatabaseMutex.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
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
    // No box stops a first start; the window's note says what was made and what comes next.
    EXPECT_TRUE(script_.messages.isEmpty()) << script_.messages.join("\n").toStdString();
    CFirstStartNote* note = view.FirstStartNote();
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->findChild<QLabel*>()->text().contains(path));
    EXPECT_EQ(store_.Read(Key::Database), path);
    EXPECT_EQ(store_.Read(Key::FirstTime), 0);
    EXPECT_TRUE(view.Database().IsOpen());
    EXPECT_EQ(view.ActiveScreen(), CFeedListScreen::Id);
    EXPECT_EQ(view.FeedListScreen()->StripText(), QStringLiteral("Show All Feeds"));
    EXPECT_EQ(view.FeedListScreen()->Model().rowCount(), int(view.Database().FeedList.size()));
    EXPECT_GE(view.FeedListScreen()->Model().rowCount(), 12);

    // The note's second step opens the Feed Wizard and the note goes away.
    QString opened;
    script_.Handle([&](QWidget* dialog) {
        opened = dialog->windowTitle();
        dialog->close();
    });
    QTest::mouseClick(note->WizardButton(), Qt::LeftButton);
    EXPECT_EQ(opened, QStringLiteral("Feed Wizard"));
    EXPECT_FALSE(note->isVisible());
    frame_.reset();

    // A later start has nothing to say.
    CQuillpostView& again = Start();
    EXPECT_FALSE(again.FirstStartNote()->isVisible());
    EXPECT_TRUE(script_.messages.isEmpty());
}

// A resource warning is a line in the status bar, told at the first start where its condition
// holds and again only after the condition has gone and come back.
TEST_F(StartupTest, AResourceWarningIsToldOncePerCondition) {
    MakeDatabase(QStringLiteral("warn.qpdb"), {QStringLiteral("One")});
    const QString lowDisk = QStringLiteral("Less than 1048576 MB of disk space is available.");
    const struct {
        int lowDiskMB;
        bool told;
    } starts[] = {{1048576, true}, {1048576, false}, {1, false}, {1048576, true}};
    for (const auto& start : starts) {
        store_.Write(Key::WarnLowDisk, start.lowDiskMB);
        Start();
        QLabel* warning = frame_->findChild<QLabel*>(QStringLiteral("StatusWarning"));
        ASSERT_NE(warning, nullptr);
        EXPECT_EQ(warning->text(), start.told ? lowDisk : QString());
        EXPECT_TRUE(script_.messages.isEmpty()) << script_.messages.join("\n").toStdString();
        frame_.reset();
    }
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
        {{}, false},
        {{"/t"}, true},
        {{"-t"}, true},
        {{"-tt"}, true},
        {{"/x", "/t"}, false},
        {{"/tx"}, true},
        {{"/xt"}, false},
        {{"https://example.org/feed.xml", "-t"}, true},
        {{"--settings"}, true},
        {{"/tmp/list.opml"}, false},
        {{"/tmp"}, false},
        {{"/var/tmp/x.opml", "/t"}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseStartOptions(c.arguments).settingsOnly, c.settingsOnly)
            << c.arguments.join(' ').toStdString();
    const StartOptions options =
        ParseStartOptions({"--quit-after-start", "https://example.org/feed.xml"});
    EXPECT_TRUE(options.quitAfterStart);
    EXPECT_EQ(options.feedUrl, QStringLiteral("https://example.org/feed.xml"));
}

// A plain path to an OPML file, absolute or relative to the folder the program starts in, is
// the subscription to open, by its absolute path (a running program may be in another folder).
TEST(StartOptionsTest, PlainPathsNameTheSubscriptionFile) {
    TestEnvironment env;
    const QString file = env.WriteFile("list.opml", "<opml version=\"1.0\"/>");
    EXPECT_EQ(ParseStartOptions({file}).feedUrl, file);
    const QString before = QDir::currentPath();
    QDir::setCurrent(QFileInfo(file).path());
    EXPECT_EQ(ParseStartOptions({"list.opml", "/t"}).feedUrl, file);
    QDir::setCurrent(before);
}

QStringList Conditions(const QList<ResourceWarning>& warnings) {
    QStringList names;
    for (const ResourceWarning& warning : warnings)
        names.append(warning.condition);
    return names;
}

TEST(ResourceWarningsTest, EachCheckWarnsBelowItsLimitAndZeroTurnsItOff) {
    const ResourceMeasures plenty{1e9, 1e9, 0, true, QStringLiteral("/audio")};
    const WarningLimits defaults;
    EXPECT_TRUE(ResourceWarnings(defaults, plenty).isEmpty());

    ResourceMeasures tight = plenty;
    tight.availableRamKb = 1023;
    tight.freeDiskKb = 2047;
    tight.databaseKb = 5 * 1024 + 1;
    tight.audioFolderExists = false;
    const WarningLimits limits{1, 2, 5, true};
    const QList<ResourceWarning> warnings = ResourceWarnings(limits, tight);
    EXPECT_EQ(Conditions(warnings),
              QStringList({"LowRAM", "LowDisk", "MaxDatabase", "AudioCache"}));
    QStringList texts;
    for (const ResourceWarning& warning : warnings)
        texts.append(warning.text);
    EXPECT_EQ(texts, QStringList({"Less than 1 MB of RAM is available.",
                                  "Less than 2 MB of disk space is available.",
                                  "Your database is over 5 MB. You should remove old Feed data.",
                                  "Audio Cache folder cannot be created: /audio"}));
    EXPECT_TRUE(ResourceWarnings({0, 0, 0, false}, tight).isEmpty());

    ResourceMeasures exact = plenty;
    exact.databaseKb = 2000 * 1024;
    exact.availableRamKb = 100 * 1024;
    exact.freeDiskKb = 500 * 1024;
    EXPECT_TRUE(ResourceWarnings(defaults, exact).isEmpty());
    // The desktop's defaults: hundreds of megabytes of disk, not a 5 MB database.
    exact.freeDiskKb -= 1;
    exact.databaseKb += 1;
    EXPECT_EQ(Conditions(ResourceWarnings(defaults, exact)),
              QStringList({"LowDisk", "MaxDatabase"}));
}

TEST(ResourceWarningsTest, AMissingAudioFolderIsNoWarningWhileItCanBeMade) {
    TestEnvironment env;
    const QString dataFolder = env.Path(QStringLiteral("data"));
    QDir().mkpath(dataFolder);
    EXPECT_TRUE(MeasureResources({}, dataFolder, dataFolder + QStringLiteral("/rssAudio/more"))
                    .audioFolderExists);
    const QString file = env.WriteFile("plain", "not a folder");
    EXPECT_FALSE(
        MeasureResources({}, dataFolder, file + QStringLiteral("/rssAudio")).audioFolderExists);
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
