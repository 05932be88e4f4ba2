// The feed list and the item list with its reading mode, driven with keys and the mouse.
#include "ScreensFixture.h"
#include "gui/desktop/Contrast.h"
#include "gui/desktop/Icons.h"
#include "gui/screens/ReadingPane.h"
#include "store/AudioCache.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QMap>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <functional>

namespace {

// "DeleteFeedYes": a case's entry and answer, as its test's name.
template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return (QString::fromLatin1(info.param.entry).remove(u' ') +
            (info.param.answer ? QStringLiteral("Yes") : QStringLiteral("No")))
        .toStdString();
}

// The fragments of a document with their text, colour and link.
struct Fragment {
    QString text;
    QColor color;
    QString href;
};

QList<Fragment> Fragments(const QTextDocument* document) {
    QList<Fragment> fragments;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            fragments << Fragment{it.fragment().text(),
                                  it.fragment().charFormat().foreground().color(),
                                  it.fragment().charFormat().anchorHref()};
    return fragments;
}

} // namespace

namespace {

// The "Podcast" feed's episode at `url`, as a download would leave it in the audio cache: its
// path, empty when it could not be written.
QString PutEpisodeInCache(const QString& url) {
    const QString audio = AudioCacheFilePath(TheAppSettings().audioFolder,
                                             FeedLabelOf(QStringLiteral("Podcast")), url);
    QDir().mkpath(QFileInfo(audio).path());
    QFile file(audio);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(2048, 'a')) == 2048 ? audio
                                                                                        : QString();
}

} // namespace

TEST_F(ScreensTest, ViewsMenusListUserViewsInTheMenuUpToEightViewsThenInASubMenu) {
    const qint32 feed = AddFeed(QStringLiteral("Harbour News"), Items(2));
    // With the two built-in Views and the reserved View 3, five user Views make eight.
    AddView(3, QStringLiteral("Reserved"), {feed});
    for (int i = 0; i < 5; ++i)
        AddView(100 + i, QStringLiteral("User %1").arg(i), {feed});
    StartView();
    const QStringList userViews = {QStringLiteral("User 0"), QStringLiteral("User 1"),
                                   QStringLiteral("User 2"), QStringLiteral("User 3"),
                                   QStringLiteral("User 4")};
    Press(Qt::Key_Right);
    ASSERT_NE(Feeds()->OpenMenu(), nullptr);
    EXPECT_EQ(Entries(Feeds()->OpenMenu()),
              QStringList({"Add New View...", "Export as OPML...", "Show All Feeds", "-"}) +
                  userViews + QStringList({"-", "Cancel"}));
    Feeds()->OpenMenu()->close();

    AddView(105, QStringLiteral("User 5"), {feed});
    view_->ReloadLists();
    QStringList inSubMenu;
    for (const QString& label : userViews + QStringList{QStringLiteral("User 5")})
        inSubMenu << QStringLiteral("Views>") + label;
    const std::pair<CListScreen*, QStringList> screens[] = {
        {Feeds(), QStringList({"Add New View...", "Export as OPML...", "Show All Feeds", "-"})},
        {Items(), QStringList({"Search...", "Search Results", "What's New", "-", "Mark all Read",
                               "Mark all Unread", "-"})}};
    for (const auto& [screen, head] : screens) {
        view_->SwitchScreen(screen->ScreenId());
        Press(Qt::Key_Right);
        ASSERT_NE(screen->OpenMenu(), nullptr);
        EXPECT_EQ(Entries(screen->OpenMenu()), head + inSubMenu + QStringList({"-", "Cancel"}));
        screen->OpenMenu()->close();
    }
}

TEST_F(ScreensTest, ViewsMenuOffersTheCurrentViewsCommandsByItsKind) {
    const qint32 feed = AddFeed(QStringLiteral("Harbour News"), Items(2));
    AddView(3, QStringLiteral("Reserved"), {feed});
    AddView(100, QStringLiteral("Plain"), {feed});
    AddView(101, QStringLiteral("Keyword"), {}, QStringLiteral("Story"));
    StartView();
    const struct {
        qint32 viewID;
        QStringList feedListEntries;
        bool itemListOffersProperties;
    } cases[] = {
        // Reserved Views are the program's own: nothing edits or deletes them.
        {WhatsNewViewID, {}, false},
        {SearchResultsViewID, {}, false},
        {3, {}, false},
        {100, {"View Properties", "Update View Feeds", "Delete View"}, true},
        {101,
         {"View Properties", "Update View Feeds", "Rebuild Dynamic View", "Delete View"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.viewID);
        store_.Write(Key::FeedViewCurrentViewID, c.viewID);
        Feeds()->ReadSettings(false);
        Feeds()->Refresh();
        std::unique_ptr<QMenu> menu(Feeds()->BuildViewsMenu());
        const QStringList entries = Entries(menu.get());
        if (c.feedListEntries.isEmpty())
            for (const char* command : {"View Properties", "Update View Feeds", "Delete View"})
                EXPECT_FALSE(entries.contains(QString::fromLatin1(command))) << command;
        else
            EXPECT_EQ(entries.mid(4, c.feedListEntries.size() + 1),
                      c.feedListEntries + QStringList{QStringLiteral("-")});
        Items()->ShowView(c.viewID);
        std::unique_ptr<QMenu> itemMenu(Items()->BuildViewsMenu());
        EXPECT_EQ(Entries(itemMenu.get()).contains(QStringLiteral("View Properties")),
                  c.itemListOffersProperties);
        EXPECT_FALSE(Entries(itemMenu.get()).contains(QStringLiteral("Reserved")));
    }
}

TEST_F(ScreensTest, StripClickOpensTheViewsMenuAndAViewEntryFiltersTheFeeds) {
    const qint32 harbour = AddFeed(QStringLiteral("Harbour News"), Items(2));
    const qint32 trams = AddFeed(QStringLiteral("Tram Works"), Items(2));
    const qint32 off = AddFeed(QStringLiteral("Old Feed"), Items(1));
    db_.SetFeedStatus(off, 1);
    AddView(100, QStringLiteral("Transport"), {trams, off});
    StartView();
    EXPECT_EQ(Feeds()->StripText(), QStringLiteral("Show All Feeds"));
    EXPECT_EQ(Feeds()->List()->model()->rowCount(), 3);

    QTest::mouseClick(Feeds()->Strip(), Qt::LeftButton);
    ASSERT_NE(Feeds()->OpenMenu(), nullptr);
    ASSERT_TRUE(Trigger(Feeds()->OpenMenu(), QStringLiteral("Transport")));
    EXPECT_EQ(Feeds()->StripText(), QStringLiteral("Filter: Transport"));
    // The disabled member is left out of a View.
    EXPECT_EQ(Feeds()->List()->model()->rowCount(), 1);
    EXPECT_EQ(Feeds()->SelectedFeedID(), trams);
    EXPECT_EQ(store_.Read(Key::FeedViewCurrentViewID), 100);
    EXPECT_EQ(RowOf(Feeds(), CFeedListModel::FeedIdRole, harbour), -1);
}

struct FeedCommandCase {
    const char* entry;
    bool answer;
    bool onView;          // the command works on the current View, not a Feed row
    const char* question; // empty: none asked
    std::function<void(ScreensTest&, CRssDatabase&, qint32 feed, int items)> check;
};

class FeedCommandTest : public ScreensTest,
                        public ::testing::WithParamInterface<FeedCommandCase> {};

TEST_P(FeedCommandTest, RunsFromTheMenusWithItsConfirmation) {
    const FeedCommandCase& c = GetParam();
    AddFeed(QStringLiteral("Alpha"), Items(2));
    const qint32 feed = AddFeed(QStringLiteral("Bravo"), Items(3));
    AddView(100, QStringLiteral("Transport"), {feed});
    if (QString::fromLatin1(c.entry) == u"Enable Feed")
        db_.SetFeedStatus(feed, 1);
    StartView();
    prompt_.answers = {c.answer};
    QMenu* menu;
    if (c.onView) {
        store_.Write(Key::FeedViewCurrentViewID, 100);
        Feeds()->ReadSettings(false);
        Feeds()->Refresh();
        Press(Qt::Key_Right);
        menu = Feeds()->OpenMenu();
    } else {
        menu = ContextMenu(Feeds(), RowOf(Feeds(), CFeedListModel::FeedIdRole, feed));
    }
    ASSERT_NE(menu, nullptr);
    prompt_.questions.clear();
    ASSERT_TRUE(Trigger(menu, QString::fromLatin1(c.entry)))
        << Entries(menu).join(u',').toStdString();
    EXPECT_EQ(prompt_.questions,
              *c.question ? QStringList{QString::fromLatin1(c.question)} : QStringList());
    c.check(*this, db_, feed, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FeedCommandTest,
    ::testing::Values(
        FeedCommandCase{"Delete Feed", true, false,
                        "Confirm Delete: Are you sure you want to delete the selected Feed?",
                        [](ScreensTest& t, CRssDatabase& db, qint32 feed, int) {
                            EXPECT_FALSE(db.GetFeed(feed));
                            EXPECT_EQ(db.CountFeedItems(feed, 0), 0);
                            // The last row went; the one before it is selected.
                            EXPECT_EQ(t.FeedRows(), 1);
                            EXPECT_EQ(t.SelectedFeedRow(), 0);
                        }},
        FeedCommandCase{"Delete Feed", false, false,
                        "Confirm Delete: Are you sure you want to delete the selected Feed?",
                        [](ScreensTest& t, CRssDatabase& db, qint32 feed, int items) {
                            EXPECT_TRUE(db.GetFeed(feed));
                            EXPECT_EQ(db.CountFeedItems(feed, 0), items);
                            EXPECT_EQ(t.FeedRows(), 2);
                        }},
        FeedCommandCase{"Purge Feed Data", true, false,
                        "Confirm Delete: Are you sure you want to purge Item data associated "
                        "with the selected Feed?",
                        [](ScreensTest&, CRssDatabase& db, qint32 feed, int) {
                            EXPECT_EQ(db.CountFeedItems(feed, 0), 0);
                            EXPECT_EQ(db.GetFeed(feed)->Status, 2);
                        }},
        FeedCommandCase{"Purge Feed Data", false, false,
                        "Confirm Delete: Are you sure you want to purge Item data associated "
                        "with the selected Feed?",
                        [](ScreensTest&, CRssDatabase& db, qint32 feed, int items) {
                            EXPECT_EQ(db.CountFeedItems(feed, 0), items);
                        }},
        FeedCommandCase{"Disable Feed", true, false, "",
                        [](ScreensTest& t, CRssDatabase& db, qint32 feed, int) {
                            EXPECT_EQ(db.GetFeed(feed)->Status, 1);
                            EXPECT_EQ(t.FeedIcon(feed), IconDisabled);
                        }},
        FeedCommandCase{"Enable Feed", true, false, "",
                        [](ScreensTest& t, CRssDatabase& db, qint32 feed, int) {
                            EXPECT_EQ(db.GetFeed(feed)->Status, 2);
                            EXPECT_EQ(t.FeedIcon(feed), IconUnread);
                        }},
        FeedCommandCase{"Delete View", true, true,
                        "Confirm Delete: Are you sure you want to delete the current View?",
                        [](ScreensTest& t, CRssDatabase& db, qint32, int) {
                            EXPECT_FALSE(db.GetView(100));
                            EXPECT_EQ(t.Feeds()->StripText(), QStringLiteral("Show All Feeds"));
                            EXPECT_EQ(t.FeedRows(), 2);
                        }},
        FeedCommandCase{"Delete View", false, true,
                        "Confirm Delete: Are you sure you want to delete the current View?",
                        [](ScreensTest& t, CRssDatabase& db, qint32, int) {
                            EXPECT_TRUE(db.GetView(100));
                            EXPECT_EQ(t.Feeds()->StripText(), QStringLiteral("Filter: Transport"));
                        }}),
    CaseName<FeedCommandCase>);

TEST_F(ScreensTest, ActivatingAFeedOpensItsItemsInTheItemList) {
    const qint32 alpha = AddFeed(QStringLiteral("Alpha"), Items(2));
    const qint32 bravo = AddFeed(QStringLiteral("Bravo"), Items(4));
    StartView();
    OpenFeed(bravo);
    EXPECT_EQ(view_->ActiveScreen(), CItemListScreen::Id);
    EXPECT_EQ(Items()->StripText(), QStringLiteral("Feed: Bravo"));
    EXPECT_EQ(Items()->List()->model()->rowCount(), 4);
    EXPECT_EQ(Items()->List()->currentIndex().row(), 0);
    EXPECT_EQ(store_.Read(Key::ItemViewCurrentFeedID), bravo);
    EXPECT_EQ(store_.Read(Key::ItemViewCurrentViewID), 0);

    // Left goes back; the action key opens the selected Feed.
    Press(Qt::Key_Left);
    EXPECT_EQ(view_->ActiveScreen(), CFeedListScreen::Id);
    Select(Feeds(), RowOf(Feeds(), CFeedListModel::FeedIdRole, alpha));
    Press(Qt::Key_Return);
    EXPECT_EQ(view_->ActiveScreen(), CItemListScreen::Id);
    EXPECT_EQ(Items()->StripText(), QStringLiteral("Feed: Alpha"));
}

// The list gives every row the height of its first: with dates shown, every row has two lines,
// an undated one too, so that no dated row under it is cut.
TEST(ItemListModel, WithDatesShownEveryRowHasTwoLines) {
    CFeedItemRecord undated;
    undated.FeedItemID = 1;
    undated.Title = QStringLiteral("Undated");
    CFeedItemRecord dated = undated;
    dated.FeedItemID = 2;
    dated.ItemDate = QDateTime(QDate(2025, 3, 1), QTime(10, 0), Qt::UTC);
    CItemListModel model;
    const std::pair<int, qsizetype> cases[] = {{0, 2}, {1, 2}, {-1, 1}};
    for (const auto& [dateFormat, lines] : cases) {
        model.SetItems({undated, dated}, {}, dateFormat);
        for (int row = 0; row < model.rowCount(); ++row)
            EXPECT_EQ(model.index(row, 0).data().toString().split(u'\n').size(), lines)
                << dateFormat << " " << row;
    }
}

TEST_F(ScreensTest, RowsShowTheIconOfTheirStatusAndTheAudioMark) {
    QList<ItemSpec> specs = Items(3);
    specs[2].enclosure = server_.Url("/show.mp3");
    const qint32 feed = AddFeed(QStringLiteral("Podcast"), specs);
    const qint32 read = AddFeed(QStringLiteral("Read Feed"), Items(1));
    const qint32 off = AddFeed(QStringLiteral("Off Feed"), Items(1));
    db_.SetFeedStatus(read, 3);
    db_.SetFeedStatus(off, 1);
    const QList<qint32> ids = ItemIDs(feed);
    db_.SetItemStatus(ids[1], ItemRead);
    db_.SetItemStatus(ids[2], ItemLocked);
    // The enclosure counts as audio once its file is in the cache.
    db_.SetAudioStatus(ids[2], 1);
    const QString audio = PutEpisodeInCache(server_.Url("/show.mp3"));
    ASSERT_FALSE(audio.isEmpty());
    StartView();

    const std::pair<qint32, int> feedIcons[] = {
        {feed, IconUnread}, {read, IconRead}, {off, IconDisabled}};
    for (const auto& [id, icon] : feedIcons)
        EXPECT_EQ(FeedIcon(id), icon) << id;

    OpenFeed(feed);
    const struct {
        int icon;
        bool audio;
    } rows[] = {{IconUnread, false}, {IconRead, false}, {IconLocked, true}};
    QAbstractItemModel* model = Items()->List()->model();
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(model->index(row, 0).data(CItemListModel::IconIndexRole).toInt(), rows[row].icon);
        EXPECT_EQ(model->index(row, 0).data(CItemListModel::HasAudioRole).toBool(),
                  rows[row].audio);
    }

    // A click on the audio mark plays the file through the configured player.
    store_.Write(Key::AudioPlayer, QStringLiteral("/usr/bin/player"));
    const QRect rect = Items()->List()->visualRect(model->index(2, 0));
    QTest::mouseClick(
        Items()->List()->viewport(), Qt::LeftButton, {},
        QPoint(rect.left() + CItemListModel::IconArea.width() - 8, rect.center().y()));
    EXPECT_EQ(launcher_.calls, QStringList{QStringLiteral("/usr/bin/player | ") + audio});
}

TEST_F(ScreensTest, AnItemOnScreenForTheReadAfterTimeBecomesReadUnlessLocked) {
    const struct {
        int readAfter;
        qint16 before;
        qint16 after;
    } cases[] = {
        {1, ItemUnread, ItemRead}, {1, ItemLocked, ItemLocked}, {0, ItemUnread, ItemUnread}};
    QList<qint32> feeds;
    for (const auto& c : cases) {
        const qint32 feed = AddFeed(QStringLiteral("Feed %1").arg(feeds.size()), Items(2));
        CFeedRecord record = *db_.GetFeed(feed);
        record.ReadAfter = qint16(c.readAfter);
        db_.UpdateFeed(record);
        db_.SetItemStatus(ItemIDs(feed)[0], c.before);
        feeds << feed;
    }
    StartView();
    for (int i = 0; i < feeds.size(); ++i) {
        SCOPED_TRACE(i);
        const qint32 item = ItemIDs(feeds[i])[0];
        Press(Qt::Key_Left);
        OpenFeed(feeds[i]);
        Press(Qt::Key_Return);
        ASSERT_EQ(Items()->Mode(), CItemListScreen::ReadingMode);
        EXPECT_EQ(Items()->ReadTimer()->isActive(), cases[i].readAfter > 0);
        if (cases[i].after != cases[i].before) {
            EXPECT_EQ(ItemStatus(item), cases[i].before);
            QTRY_COMPARE_WITH_TIMEOUT(ItemStatus(item), cases[i].after, 5000);
            // Reading an item of a Feed marks the Feed's row read in the feed list.
            EXPECT_EQ(FeedIcon(feeds[i]), IconRead);
        } else if (Items()->ReadTimer()->isActive()) {
            QTRY_VERIFY_WITH_TIMEOUT(!Items()->ReadTimer()->isActive(), 5000);
            EXPECT_EQ(ItemStatus(item), cases[i].after);
        }
    }
}

TEST_F(ScreensTest, UpAndDownPassReadItemsAndLeaveReadingModeAtTheEnd) {
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), Items(5));
    const QList<qint32> ids = ItemIDs(feed);
    for (int row : {1, 2, 4})
        db_.SetItemStatus(ids[row], ItemRead);
    StartView();
    OpenFeed(feed);
    const struct {
        Qt::Key key;
        int row;
        int mode;
    } steps[] = {
        {Qt::Key_Down, 3, CItemListScreen::ListMode},
        {Qt::Key_Down, 4, CItemListScreen::ListMode}, // read, and nothing after it
        {Qt::Key_Up, 3, CItemListScreen::ListMode},
        {Qt::Key_Up, 0, CItemListScreen::ListMode},
        {Qt::Key_Return, 0, CItemListScreen::ReadingMode},
        {Qt::Key_Down, 3, CItemListScreen::ReadingMode},
        {Qt::Key_Down, 4, CItemListScreen::ListMode}, // only read items follow: back to the list
    };
    for (const auto& step : steps) {
        Press(step.key);
        EXPECT_EQ(Items()->List()->currentIndex().row(), step.row);
        EXPECT_EQ(Items()->Mode(), step.mode);
    }
}

// The list reads its rows a batch at a time; stepping past the last row read reads on, read
// items passed over on both sides of the boundary.
TEST_F(ScreensTest, UpAndDownCrossTheRowsReadSoFar) {
    constexpr int Batch = CItemListModel::BatchSize;
    const qint32 feed = AddFeed(QStringLiteral("Long"), Items(Batch + 8), Batch + 8);
    const QList<qint32> ids = ItemIDs(feed);
    ASSERT_EQ(ids.size(), Batch + 8);
    for (int row = Batch - 6; row < Batch + 3; ++row)
        db_.SetItemStatus(ids[row], ItemRead);
    StartView();
    OpenFeed(feed);
    QAbstractItemModel* model = Items()->List()->model();
    EXPECT_EQ(model->rowCount(), Batch);
    Select(Items(), Batch - 7);
    Press(Qt::Key_Return);
    Press(Qt::Key_Down);
    EXPECT_EQ(Items()->List()->currentIndex().row(), Batch + 3);
    EXPECT_EQ(Items()->List()->currentIndex().data(CItemListModel::FeedItemIdRole).toInt(),
              ids[Batch + 3]);
    EXPECT_EQ(Items()->Mode(), CItemListScreen::ReadingMode);
    EXPECT_LE(model->rowCount(), 2 * Batch);
    Press(Qt::Key_Up);
    EXPECT_EQ(Items()->List()->currentIndex().row(), Batch - 7);
}

struct ItemCommandCase {
    const char* entry;
    bool answer;
    qint16 before;
    const char* question;
    qint16 after; // -1: the item is gone
};

class ItemCommandTest : public ScreensTest,
                        public ::testing::WithParamInterface<ItemCommandCase> {};

TEST_P(ItemCommandTest, RunsFromTheItemMenuWithItsConfirmation) {
    const ItemCommandCase& c = GetParam();
    QList<ItemSpec> specs = Items(3);
    specs[1].enclosure = server_.Url("/show.mp3");
    const qint32 feed = AddFeed(QStringLiteral("Podcast"), specs);
    const QList<qint32> ids = ItemIDs(feed);
    db_.SetItemStatus(ids[1], c.before);
    db_.SetAudioStatus(ids[1], 1);
    const QString audio = PutEpisodeInCache(server_.Url("/show.mp3"));
    ASSERT_FALSE(audio.isEmpty());
    StartView();
    OpenFeed(feed);
    prompt_.answers = {c.answer};
    QMenu* menu = ContextMenu(Items(), 1);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(Trigger(menu, QString::fromLatin1(c.entry)))
        << Entries(menu).join(u',').toStdString();
    EXPECT_EQ(prompt_.questions,
              *c.question ? QStringList{QString::fromLatin1(c.question)} : QStringList());
    EXPECT_EQ(ItemStatus(ids[1]), c.after);
    QAbstractItemModel* model = Items()->List()->model();
    if (c.after < 0) {
        EXPECT_EQ(model->rowCount(), 2);
        EXPECT_EQ(Items()->List()->currentIndex().row(), 1);
        EXPECT_FALSE(QFile::exists(audio));
    } else {
        EXPECT_EQ(model->index(1, 0).data(CItemListModel::IconIndexRole).toInt(), c.after);
    }
    const bool audioDeleted = QString::fromLatin1(c.entry) == u"Delete Audio Content" && c.answer;
    if (c.after >= 0) {
        EXPECT_EQ(QFile::exists(audio), !audioDeleted);
        EXPECT_EQ(model->index(1, 0).data(CItemListModel::HasAudioRole).toBool(), !audioDeleted);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ItemCommandTest,
    ::testing::Values(
        ItemCommandCase{"Mark As Read", true, ItemUnread, "", ItemRead},
        ItemCommandCase{"Mark As UnRead", true, ItemRead, "", ItemUnread},
        ItemCommandCase{"Lock Item", true, ItemRead, "", ItemLocked},
        ItemCommandCase{"UnLock Item", true, ItemLocked, "", ItemRead},
        ItemCommandCase{"Delete Item", true, ItemUnread,
                        "Confirm Delete: Are you sure you want to delete the selected item?", -1},
        ItemCommandCase{"Delete Item", false, ItemUnread,
                        "Confirm Delete: Are you sure you want to delete the selected item?",
                        ItemUnread},
        ItemCommandCase{"Delete Audio Content", true, ItemUnread,
                        "Confirm Delete: Are you sure you want to delete the Audio Content for "
                        "the selected item?",
                        ItemUnread},
        ItemCommandCase{"Delete Audio Content", false, ItemUnread,
                        "Confirm Delete: Are you sure you want to delete the Audio Content for "
                        "the selected item?",
                        ItemUnread}),
    CaseName<ItemCommandCase>);

TEST_F(ScreensTest, MarkAllReadAndUnreadChangeEveryRowButLockedOnes) {
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), Items(3));
    const QList<qint32> ids = ItemIDs(feed);
    db_.SetItemStatus(ids[1], ItemRead);
    db_.SetItemStatus(ids[2], ItemLocked);
    StartView();
    OpenFeed(feed);
    const std::pair<const char*, QList<qint16>> steps[] = {
        {"Mark all Read", {ItemRead, ItemRead, ItemLocked}},
        {"Mark all Unread", {ItemUnread, ItemUnread, ItemLocked}}};
    for (const auto& [entry, statuses] : steps) {
        Press(Qt::Key_Right);
        ASSERT_TRUE(Trigger(Items()->OpenMenu(), QString::fromLatin1(entry)));
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(ItemStatus(ids[row]), statuses[row]) << entry << row;
    }
}

TEST_F(ScreensTest, ThePageShowsTheConfiguredColoursAndFontSize) {
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), Items(1));
    store_.Write(Key::BgColor, 0x00123456);
    store_.Write(Key::TxColor, 0x00010203);
    store_.Write(Key::LkColor, 0x0000A000);
    StartView();
    QMap<int, int> pointSizes;
    for (int fontSize : {7, 8, 9, 10, 11, 12}) {
        SCOPED_TRACE(fontSize);
        store_.Write(Key::ItemFontSize, fontSize);
        Press(Qt::Key_Left);
        OpenFeed(feed);
        Press(Qt::Key_Return);
        const QTextDocument* page = Items()->Pane()->document();
        pointSizes[fontSize] = page->defaultFont().pointSize();
        // Colours as stored are 0x00BBGGRR.
        EXPECT_EQ(page->rootFrame()->frameFormat().background().color(), QColor(0x56, 0x34, 0x12));
        bool sawText = false;
        bool sawLink = false;
        for (const Fragment& fragment : Fragments(page)) {
            if (fragment.href == u"http://example.org/story0") {
                EXPECT_EQ(fragment.color, QColor(0x00, 0xA0, 0x00)) << fragment.text.toStdString();
                sawLink = true;
            } else if (fragment.text.contains(QStringLiteral("Text of story 0"))) {
                EXPECT_EQ(fragment.color, QColor(0x03, 0x02, 0x01));
                sawText = true;
            }
        }
        EXPECT_TRUE(sawText);
        EXPECT_TRUE(sawLink);
    }
    // smallest < smaller < normal (9, and 11 as any other value) < larger < largest
    EXPECT_LT(pointSizes[7], pointSizes[8]);
    EXPECT_LT(pointSizes[8], pointSizes[9]);
    EXPECT_EQ(pointSizes[9], pointSizes[11]);
    EXPECT_LT(pointSizes[9], pointSizes[10]);
    EXPECT_LT(pointSizes[10], pointSizes[12]);
}

// Colours left at their defaults follow the desktop's palette, dark or light, and change with
// it while an item is read; every colour shown reads on the page (4.5:1 at least), Qt's dark
// blue link on a dark desktop included. The handheld's text colour, which earlier settings
// screens stored, counts as a default.
TEST_F(ScreensTest, ThePageFollowsTheDesktopPaletteAndReads) {
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), Items(1));
    store_.Write(Key::TxColor, 0xC07B7B);
    const QPalette shipped = QApplication::palette();
    QPalette dark = shipped;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
    dark.setColor(QPalette::Link, QColor(0x00, 0x00, 0xFF));
    QPalette light = shipped;
    light.setColor(QPalette::Link, QColor(0x80, 0x80, 0xFF));
    StartView();
    OpenFeed(feed);
    Press(Qt::Key_Return);
    for (const auto& [name, palette] : {std::pair{"dark", dark}, std::pair{"light", light}}) {
        SCOPED_TRACE(name);
        QApplication::setPalette(palette);
        // The widgets hear of the new palette through the event loop, as on a desktop.
        QCoreApplication::processEvents();
        const QTextDocument* page = Items()->Pane()->document();
        const QColor background = page->rootFrame()->frameFormat().background().color();
        EXPECT_EQ(background, palette.color(QPalette::Base));
        bool sawLink = false;
        for (const Fragment& fragment : Fragments(page)) {
            if (fragment.href == u"http://example.org/story0") {
                sawLink = true;
            } else if (fragment.text.contains(QStringLiteral("Text of story 0"))) {
                EXPECT_EQ(fragment.color, palette.color(QPalette::Text));
            }
            EXPECT_GE(ContrastRatio(fragment.color, background), ReadableContrast)
                << fragment.text.toStdString() << " " << fragment.color.name().toStdString();
        }
        EXPECT_TRUE(sawLink);
    }
    QApplication::setPalette(shipped);
}

// Every shipped colour reads on the shipped background, and a colour that does not read on its
// background is moved until it does, keeping its hue.
TEST(ContrastTest, ShippedColoursReadAndUnreadableOnesAreMoved) {
    const auto stored = [](int value) {
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    };
    const QColor background = stored(Key::BgColor.runtimeDefault);
    for (const IntKey* key : {&Key::TxColor, &Key::LkColor}) {
        EXPECT_GE(ContrastRatio(stored(key->runtimeDefault), background), ReadableContrast)
            << key->key;
        EXPECT_GE(ContrastRatio(stored(key->screenDefault), background), ReadableContrast)
            << key->key;
    }
    // The handheld's text colour did not.
    EXPECT_LT(ContrastRatio(stored(0xC07B7B), background), ReadableContrast);

    const struct {
        QColor wanted;
        QColor background;
    } cases[] = {{QColor(0x00, 0x00, 0xFF), QColor(0x2A, 0x2A, 0x2A)},
                 {QColor(0x2A, 0x82, 0xDA), QColor(0x35, 0x35, 0x35)},
                 {QColor(0x7B, 0x7B, 0xC0), QColor(0xFF, 0xFF, 0xFF)},
                 {QColor(0xC0, 0xC0, 0xC0), QColor(0xF0, 0xF0, 0xF0)},
                 {QColor(0x80, 0x80, 0x80), QColor(0x77, 0x77, 0x77)}};
    for (const auto& c : cases) {
        const QColor readable = ReadableOn(c.wanted, c.background);
        EXPECT_GE(ContrastRatio(readable, c.background), ReadableContrast)
            << c.wanted.name().toStdString() << " on " << c.background.name().toStdString();
        if (c.wanted.hslSaturation() > 0 && readable != QColor(Qt::white) &&
            readable != QColor(Qt::black)) {
            EXPECT_NEAR(readable.hslHue(), c.wanted.hslHue(), 2);
        }
    }
    const QColor alreadyReadable(0x00, 0x00, 0xFF);
    EXPECT_EQ(ReadableOn(alreadyReadable, Qt::white), alreadyReadable);
}

TEST_F(ScreensTest, AHighResolutionScreenReadsWithoutFontSmoothing) {
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), Items(1));
    StartView();
    auto smoothing = [&] {
        Press(Qt::Key_Left);
        OpenFeed(feed);
        Press(Qt::Key_Return);
        return Items()->Pane()->document()->defaultFont().styleStrategy() != QFont::NoAntialias;
    };
    EXPECT_TRUE(smoothing());
    TheAppSettings().isVGA = true;
    const bool onHighResolution = smoothing();
    TheAppSettings().isVGA = false;
    EXPECT_FALSE(onHighResolution);
    EXPECT_TRUE(smoothing());
}

namespace {

// Clicks the first link of the page whose target is `href`.
bool ClickLink(CReadingPane* pane, const QString& href) {
    const QTextDocument* page = pane->document();
    for (QTextBlock block = page->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(const_cast<QTextDocument*>(page));
            cursor.setPosition(it.fragment().position() + 1);
            const QPoint at = pane->cursorRect(cursor).center() - QPoint(2, 0);
            QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, at);
            return true;
        }
    return false;
}

} // namespace

TEST_F(ScreensTest, OnlyWebAndMailLinksLeaveTheProgramAndAsOneArgument) {
    const QString hrefs[] = {
        QStringLiteral("http://example.org/a b?x=1&y=2"),
        QStringLiteral("mailto:editor@example.org"), QStringLiteral("file:///etc/passwd"),
        QStringLiteral("javascript:alert(1)"), QStringLiteral("data:text/html,hello")};
    QString description;
    for (const QString& href : hrefs)
        description += QStringLiteral("<p><a href=\"%1\">link %1</a></p>").arg(href);
    const qint32 feed =
        AddFeed(QStringLiteral("Alpha"),
                {ItemSpec{QStringLiteral("Links"), QStringLiteral("https://example.org/item"),
                          description, QString()}});
    StartView();
    OpenFeed(feed);
    EXPECT_FALSE(Items()->WebButton()->isEnabled());
    Press(Qt::Key_Return);
    ASSERT_TRUE(Items()->WebButton()->isEnabled());

    const struct {
        QString href;
        QString launched; // empty: refused
    } cases[] = {
        {hrefs[0], QStringLiteral("desktop | http://example.org/a b?x=1&y=2")},
        {hrefs[1], QStringLiteral("desktop | mailto:editor@example.org")},
        {hrefs[2], QString()},
        {hrefs[3], QString()},
        {hrefs[4], QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.href.toStdString());
        launcher_.calls.clear();
        prompt_.messages.clear();
        ASSERT_TRUE(ClickLink(Items()->Pane(), c.href));
        EXPECT_EQ(launcher_.calls, c.launched.isEmpty() ? QStringList() : QStringList{c.launched});
        EXPECT_EQ(prompt_.messages.size(), c.launched.isEmpty() ? 1 : 0);
        if (c.launched.isEmpty()) {
            EXPECT_TRUE(prompt_.messages.value(0).startsWith(
                QStringLiteral("Link Refused: This link was not opened")));
        }
    }
    // The pane never navigated away from the item.
    EXPECT_TRUE(Items()->Pane()->source().isEmpty());
    EXPECT_TRUE(Items()->Pane()->toPlainText().contains(QStringLiteral("link file:///etc/passwd")));

    // The web button hands the item's link to the configured browser as one argument.
    store_.Write(Key::Browser, QStringLiteral("/opt/browser --new-window"));
    launcher_.calls.clear();
    Items()->ButtonBar()->widgetForAction(Items()->WebButton())->setFocus();
    QTest::mouseClick(Items()->ButtonBar()->widgetForAction(Items()->WebButton()), Qt::LeftButton);
    EXPECT_EQ(launcher_.calls,
              QStringList{QStringLiteral("/opt/browser --new-window | https://example.org/item")});
}

TEST_F(ScreensTest, ImagesAreFetchedOnlyWhenShowImagesIsOn) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    server_.SetBody("/picture.png", png);
    const QUrl image(server_.Url("/picture.png"));
    const QUrl local = QUrl::fromLocalFile(env_.WriteFile(QStringLiteral("local.png"), png));
    const qint32 feed = AddFeed(QStringLiteral("Alpha"),
                                {ItemSpec{QStringLiteral("Pictures"), QString(),
                                          QStringLiteral("<img src=\"%1\"><img src=\"%2\">")
                                              .arg(image.toString(), local.toString()),
                                          QString()}});
    StartView();
    OpenFeed(feed);
    const auto shownSize = [this](const QUrl& url) {
        return Items()
            ->Pane()
            ->document()
            ->resource(QTextDocument::ImageResource, url)
            .value<QImage>()
            .size();
    };
    Press(Qt::Key_Return);
    QTest::qWait(300);
    EXPECT_EQ(server_.Hits("/picture.png"), 0);
    EXPECT_NE(shownSize(image), QSize(3, 2));

    store_.Write(Key::ShowImages, 1);
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(shownSize(image), QSize(3, 2), 5000);
    EXPECT_EQ(server_.Hits("/picture.png"), 1);
    // Local files stay out whatever the setting.
    EXPECT_NE(shownSize(local), QSize(3, 2));
}

TEST_F(ScreensTest, AnItemDeletedElsewhereIsReportedWhenOpened) {
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), Items(2));
    StartView();
    OpenFeed(feed);
    db_.DeleteItem(ItemIDs(feed)[0]);
    Press(Qt::Key_Return);
    EXPECT_TRUE(
        prompt_.messages.contains(QStringLiteral("Quillpost: This Feed Item is no longer valid.")));
    EXPECT_EQ(Items()->Mode(), CItemListScreen::ListMode);
    EXPECT_EQ(Items()->List()->model()->rowCount(), 1);
}

TEST_F(ScreensTest, HostileMarkupShowsAsText) {
    const QString nested = QStringLiteral("<table><tr><td>").repeated(300) +
                           QStringLiteral("deep") +
                           QStringLiteral("</td></tr></table>").repeated(300);
    const QString cases[] = {
        QStringLiteral("<b>unclosed <i>tags <table><tr><td>cell"),
        QStringLiteral("before<script>document.write('injected')</script>after"),
        nested,
        QStringLiteral("word ").repeated(1024 * 1024),
    };
    QList<ItemSpec> specs;
    for (const QString& description : cases)
        specs << ItemSpec{QStringLiteral("Hostile"), QString(), description, QString()};
    const qint32 feed = AddFeed(QStringLiteral("Alpha"), specs);
    StartView();
    OpenFeed(feed);
    Press(Qt::Key_Return);
    for (int row = 0; row < int(std::size(cases)); ++row) {
        SCOPED_TRACE(row);
        ASSERT_EQ(Items()->List()->currentIndex().row(), row);
        ASSERT_EQ(Items()->Mode(), CItemListScreen::ReadingMode);
        const QString text = Items()->Pane()->toPlainText();
        EXPECT_TRUE(text.contains(QStringLiteral("Alpha"))) << text.left(200).toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("injected")));
        Press(Qt::Key_Down);
    }
}
