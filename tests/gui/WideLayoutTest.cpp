// The wide window: the feed tree, the item table and the reading pane driven with real clicks
// and key presses.
#include "gui/window/WideLayout.h"

#include "ScreensFixture.h"
#include "gui/desktop/Icons.h"
#include "gui/screens/ReadingPane.h"
#include "gui/window/MainFrame.h"
#include "gui/window/RunStatus.h"
#include "gui/window/SearchRunner.h"
#include "gui/window/WindowState.h"
#include "support/TestImages.h"

#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <set>

namespace {

class WideLayoutTest : public ScreensTest {
protected:
    void TearDown() override {
        frame_.reset();
        ScreensTest::TearDown();
    }

    void StartFrame() {
        frame_ = std::make_unique<CMainFrame>(StartOptions{}, [] { return true; });
        frame_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return View()->StartupDone(); }, 10000));
        frame_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    }
    // Closes the window as the user does and starts the program's window again.
    void Restart() {
        frame_->close();
        frame_.reset();
        StartFrame();
    }

    CQuillpostView* View() const { return frame_->View(); }
    CWideLayout* Wide() const { return View()->WideLayout(); }
    QTreeView* Tree() const { return Wide()->Tree(); }
    CItemListScreen* ItemScreen() const { return View()->ItemListScreen(); }
    QTableView* Table() const { return ItemScreen()->Table(); }

    QModelIndex TreeRow(CFeedTreeModel::Kind kind, qint32 id) const {
        return Wide()->TreeModel().Find(kind, id);
    }
    // The unread count shown beside a row, "" for none.
    QString CountShown(CFeedTreeModel::Kind kind, qint32 id) const {
        return TreeRow(kind, id).siblingAtColumn(CFeedTreeModel::UnreadColumn).data().toString();
    }
    void ClickTree(CFeedTreeModel::Kind kind, qint32 id) {
        const QModelIndex row = TreeRow(kind, id);
        ASSERT_TRUE(row.isValid());
        Tree()->scrollTo(row);
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, Tree()->visualRect(row).center());
    }
    void ClickRow(int row) {
        const QModelIndex index = Table()->model()->index(row, 0);
        QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {},
                          Table()->visualRect(index).center());
    }
    QStringList Titles() const {
        QStringList titles;
        for (int row = 0; row < Table()->model()->rowCount(); ++row)
            titles << Table()->model()->index(row, CItemListModel::TitleColumn).data().toString();
        return titles;
    }
    QString SelectedTitle() const {
        return Table()
            ->currentIndex()
            .siblingAtColumn(CItemListModel::TitleColumn)
            .data()
            .toString();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(WideLayoutTest, FirstStartOpensTheWideLayoutWithCountsAndTheClickedArticle) {
    const qint32 harbour = AddFeed(QStringLiteral("Harbour"), Items(3));
    const qint32 market = AddFeed(QStringLiteral("Market"), Items(2));
    db_.SetItemStatus(ItemIDs(market)[0], ItemRead);
    StartFrame();
    ASSERT_TRUE(View()->IsWide());
    EXPECT_GE(frame_->width(), CWindowState::WideThreshold);
    EXPECT_FALSE(View()->FeedListScreen()->isVisible());

    EXPECT_EQ(CountShown(CFeedTreeModel::FeedNode, harbour), QStringLiteral("3"));
    EXPECT_EQ(CountShown(CFeedTreeModel::FeedNode, market), QStringLiteral("1"));
    EXPECT_EQ(CountShown(CFeedTreeModel::AllFeedsNode, 0), QStringLiteral("4"));
    EXPECT_TRUE(
        TreeRow(CFeedTreeModel::FeedNode, harbour).data(Qt::FontRole).value<QFont>().bold());

    ClickTree(CFeedTreeModel::FeedNode, market);
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("Story 0"), QStringLiteral("Story 1")}));
    EXPECT_EQ(Table()->model()->index(0, CItemListModel::FeedColumn).data().toString(),
              QStringLiteral("Market"));
    // Unread rows are bold, read ones not.
    EXPECT_FALSE(Table()->model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(Table()->model()->index(1, 0).data(Qt::FontRole).value<QFont>().bold());

    ClickRow(1);
    EXPECT_TRUE(ItemScreen()->Pane()->isVisible());
    EXPECT_TRUE(ItemScreen()->Pane()->toPlainText().contains(QStringLiteral("Text of story 1")));

    // M marks it read: the table, the database and the counts follow.
    Key(Qt::Key_M);
    EXPECT_EQ(ItemStatus(ItemIDs(market)[1]), ItemRead);
    EXPECT_EQ(CountShown(CFeedTreeModel::FeedNode, market), QString());
    EXPECT_EQ(CountShown(CFeedTreeModel::AllFeedsNode, 0), QStringLiteral("3"));
    Key(Qt::Key_M);
    EXPECT_EQ(ItemStatus(ItemIDs(market)[1]), ItemUnread);
}

TEST_F(WideLayoutTest, ShowAllFeedsListsTheItemsOfEveryFeedNewestFirst) {
    const auto titled = [](const QString& prefix, int count) {
        QList<ItemSpec> items = Items(count);
        for (int i = 0; i < count; ++i)
            items[i].title = prefix + QString::number(i);
        return items;
    };
    AddFeed(QStringLiteral("Harbour"), titled(QStringLiteral("Harbour "), 3));
    AddFeed(QStringLiteral("Market"), titled(QStringLiteral("Market "), 1));
    StartFrame();
    ClickTree(CFeedTreeModel::AllFeedsNode, 0);
    EXPECT_TRUE(ItemScreen()->ShowsAllFeeds());
    const QStringList titles = Titles();
    ASSERT_EQ(titles.size(), 4) << titles.join(u',').toStdString();
    // The two newest come first, in either order (their dates may be the same second).
    EXPECT_EQ(QSet<QString>(titles.begin(), titles.begin() + 2),
              (QSet<QString>{QStringLiteral("Harbour 0"), QStringLiteral("Market 0")}));
    EXPECT_EQ(titles.mid(2),
              (QStringList{QStringLiteral("Harbour 1"), QStringLiteral("Harbour 2")}));
    QSet<QString> feeds;
    for (int row = 0; row < 4; ++row)
        feeds << Table()->model()->index(row, CItemListModel::FeedColumn).data().toString();
    EXPECT_EQ(feeds, (QSet<QString>{QStringLiteral("Harbour"), QStringLiteral("Market")}));
    EXPECT_EQ(Tree()->currentIndex(), TreeRow(CFeedTreeModel::AllFeedsNode, 0));
}

TEST_F(WideLayoutTest, AHeaderClickSortsTheTable) {
    QList<ItemSpec> items = Items(3);
    items[0].title = QStringLiteral("beta");
    items[1].title = QStringLiteral("Alpha");
    items[2].title = QStringLiteral("gamma");
    const qint32 feed = AddFeed(QStringLiteral("Harbour"), items);
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, feed);
    EXPECT_EQ(Titles(), (QStringList{"beta", "Alpha", "gamma"}));
    QHeaderView* header = Table()->horizontalHeader();
    const auto clickHeader = [header](int column) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    };
    clickHeader(CItemListModel::TitleColumn);
    const QStringList first = Titles();
    clickHeader(CItemListModel::TitleColumn);
    const QStringList second = Titles();
    // One click sorts one way, the next the other, the case of the letters aside.
    EXPECT_TRUE((first == QStringList{"Alpha", "beta", "gamma"} &&
                 second == QStringList{"gamma", "beta", "Alpha"}) ||
                (second == QStringList{"Alpha", "beta", "gamma"} &&
                 first == QStringList{"gamma", "beta", "Alpha"}))
        << first.join(u',').toStdString() << " / " << second.join(u',').toStdString();
    // By date: the oldest item is the last of the feed.
    clickHeader(CItemListModel::DateColumn);
    const QString oldestOrNewest = Titles().front();
    EXPECT_TRUE(oldestOrNewest == QStringLiteral("beta") ||
                oldestOrNewest == QStringLiteral("gamma"));
}

TEST_F(WideLayoutTest, TheAuthorIsShownWhereTheFeedNamesOne) {
    QList<ItemSpec> items = Items(2);
    items[0].author = QStringLiteral("jo@example.org (Jo Bloggs)");
    const qint32 named = AddFeed(QStringLiteral("Named"), items);
    const qint32 anonymous = AddFeed(QStringLiteral("Anonymous"), Items(2));
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, named);
    EXPECT_FALSE(Table()->isColumnHidden(CItemListModel::AuthorColumn));
    EXPECT_EQ(Table()->model()->index(0, CItemListModel::AuthorColumn).data().toString(),
              QStringLiteral("Jo Bloggs"));
    EXPECT_EQ(Table()->model()->index(1, CItemListModel::AuthorColumn).data().toString(),
              QString());
    ClickRow(0);
    EXPECT_TRUE(ItemScreen()->Pane()->toPlainText().contains(QStringLiteral("Jo Bloggs")));
    // A list without any author has no column for it.
    ClickTree(CFeedTreeModel::FeedNode, anonymous);
    EXPECT_TRUE(Table()->isColumnHidden(CItemListModel::AuthorColumn));
}

TEST_F(WideLayoutTest, NAndSpaceGoOnToTheNextFeedsUnreadItems) {
    const qint32 first = AddFeed(QStringLiteral("First"), Items(3));
    const qint32 second = AddFeed(QStringLiteral("Second"), Items(2));
    db_.SetItemStatus(ItemIDs(first)[1], ItemRead);
    db_.SetItemStatus(ItemIDs(second)[0], ItemRead);
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, first);
    ClickRow(0);
    Key(Qt::Key_N); // passes the read "Story 1"
    EXPECT_EQ(SelectedTitle(), QStringLiteral("Story 2"));
    EXPECT_EQ(ItemScreen()->CurrentFeedID(), first);
    Key(Qt::Key_N); // the first feed has no more: the next one's first unread item
    EXPECT_EQ(ItemScreen()->CurrentFeedID(), second);
    EXPECT_EQ(SelectedTitle(), QStringLiteral("Story 1"));
    EXPECT_TRUE(ItemScreen()->Pane()->toPlainText().contains(QStringLiteral("Text of story 1")));
    Key(Qt::Key_P); // back to the first feed
    EXPECT_EQ(ItemScreen()->CurrentFeedID(), first);

    // Space on a short article goes on to the next unread item, across feeds too.
    ClickTree(CFeedTreeModel::FeedNode, first);
    ClickRow(2);
    Key(Qt::Key_Space);
    EXPECT_EQ(ItemScreen()->CurrentFeedID(), second);
    EXPECT_EQ(SelectedTitle(), QStringLiteral("Story 1"));
}

TEST_F(WideLayoutTest, SpacePagesALongArticleFirst) {
    QList<ItemSpec> items = Items(2);
    items[0].description = QStringLiteral("<p>line</p>").repeated(200);
    const qint32 feed = AddFeed(QStringLiteral("Long"), items);
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, feed);
    ClickRow(0);
    QScrollBar* bar = ItemScreen()->Pane()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    Key(Qt::Key_Space);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(SelectedTitle(), QStringLiteral("Story 0"));
    while (bar->value() < bar->maximum())
        Key(Qt::Key_Space);
    Key(Qt::Key_Space);
    EXPECT_EQ(SelectedTitle(), QStringLiteral("Story 1"));
}

TEST_F(WideLayoutTest, TheSearchBoxFindsAsYouTypeWhateverTheCase) {
    QList<ItemSpec> items = Items(3);
    items[1].title = QStringLiteral("Tram Line Opens");
    const qint32 feed = AddFeed(QStringLiteral("Harbour"), items);
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, feed);
    Key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), Wide()->SearchBox());
    QTest::keyClicks(Wide()->SearchBox(), QStringLiteral("tram li"));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return ItemScreen()->CurrentViewID() == SearchResultsViewID; }, 10000));
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("Tram Line Opens")});
    EXPECT_EQ(Tree()->currentIndex(), TreeRow(CFeedTreeModel::ViewNode, SearchResultsViewID));
    // The typing went on in the box while the search ran.
    EXPECT_EQ(Wide()->SearchBox()->text(), QStringLiteral("tram li"));
}

// Lower case finds upper case beyond ASCII too; the newest match comes first.
TEST_F(WideLayoutTest, TheSearchBoxFoldsUnicodeCaseAndListsTheNewestFirst) {
    QList<ItemSpec> items = Items(3);
    items[0].title = QStringLiteral("\u00dcBER DEN DEICH");
    items[1].title = QStringLiteral("Harbour news");
    items[2].title = QStringLiteral("\u00dcber den Hafen");
    const qint32 feed = AddFeed(QStringLiteral("Harbour"), items);
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, feed);
    Key(Qt::Key_F, Qt::ControlModifier);
    // A key that is no ASCII letter is sent with its text, as a keyboard with that key sends it.
    QTest::sendKeyEvent(QTest::Click, Wide()->SearchBox(), Qt::Key_Udiaeresis,
                        QStringLiteral("\u00fc"), Qt::NoModifier);
    QTest::keyClicks(Wide()->SearchBox(), QStringLiteral("ber"));
    ASSERT_EQ(Wide()->SearchBox()->text(), QStringLiteral("\u00fcber"));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return ItemScreen()->CurrentViewID() == SearchResultsViewID; }, 10000));
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("\u00dcBER DEN DEICH"),
                                     QStringLiteral("\u00dcber den Hafen")}));
    EXPECT_EQ(CountShown(CFeedTreeModel::ViewNode, SearchResultsViewID), QStringLiteral("2"));
}

TEST_F(WideLayoutTest, ARunShowsItsProgressAndSummaryInTheStatusBar) {
    const qint32 slow = AddFeed(QStringLiteral("Slow"), Items(1));
    const qint32 gone = AddFeed(QStringLiteral("Gone"), Items(1));
    server_.Set("/feed1.xml", LoopbackServer::Slow(Rss(QStringLiteral("Slow"), Items(4)), 40, 100));
    server_.SetBody("/feed2.xml", "", 404);
    QDir().mkpath(TheAppSettings().installFolder);
    StartFrame();
    ASSERT_EQ(CountShown(CFeedTreeModel::FeedNode, slow), QStringLiteral("1"));
    CRunStatus* status = frame_->RunStatus();
    auto* update = Wide()->ToolBar()->widgetForAction(
        Wide()->ToolBar()->findChild<QAction*>(QStringLiteral("UpdateAllButton")));
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [status] { return status->Text().startsWith(QStringLiteral("Updating 1 of 2")); }, 10000))
        << status->Text().toStdString();
    EXPECT_TRUE(status->CancelButton()->isVisible());
    EXPECT_TRUE(View()->IsWide()); // no page switch: the window stays as it is

    // A second run is refused, and the status bar says why.
    View()->OnCommand(CQuillpostView::UpdateAllFeeds);
    EXPECT_EQ(status->Text(), QStringLiteral("A download is already running."));

    ASSERT_TRUE(QTest::qWaitFor(
        [status] { return status->Text().startsWith(QStringLiteral("2 feeds")); }, 20000));
    EXPECT_TRUE(status->Text().startsWith(QStringLiteral("2 feeds: 1 updated, 1 failed")))
        << status->Text().toStdString();
    EXPECT_FALSE(status->CancelButton()->isVisible());
    ASSERT_EQ(status->Failures().size(), 1) << status->Failures().join(u'\n').toStdString();
    EXPECT_TRUE(status->Failures()[0].startsWith(QStringLiteral("Gone: ")));
    EXPECT_EQ(CountShown(CFeedTreeModel::FeedNode, slow), QStringLiteral("4"));
    EXPECT_FALSE(Wide()->TreeModel().FeedFailure(gone).isEmpty());
    EXPECT_TRUE(TreeRow(CFeedTreeModel::FeedNode, gone)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("failed")));
    // The summary stays until dismissed.
    QTest::mouseClick(status->DismissButton(), Qt::LeftButton);
    EXPECT_FALSE(status->isVisible());
}

QColor IconColour(const QModelIndex& index) {
    return index.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage().pixelColor(8, 8);
}

// A run brings each feed's own icon to the tree and to the item table's Feed column; a feed
// whose site has none keeps the generic icon, and nothing says it failed.
TEST_F(WideLayoutTest, TheTreeAndTheTableShowEachFeedsOwnIcon) {
    const qint32 iconic = AddFeed(QStringLiteral("Iconic"), Items(1));
    const qint32 bare = AddFeed(QStringLiteral("Bare"), Items(1));
    // Iconic's web site is the test's server, which has a favicon; Bare's has none.
    server_.SetBody("/feed1.xml", "<rss version=\"2.0\"><channel><title>Iconic</title><link>" +
                                      server_.Url("/").toUtf8() +
                                      "</link><item><title>Fresh</title><guid>fresh</guid>"
                                      "</item></channel></rss>");
    server_.SetBody("/favicon.ico", ImageFileBytes("ICO", Qt::red));
    QDir().mkpath(TheAppSettings().installFolder);
    StartFrame();
    EXPECT_NE(IconColour(TreeRow(CFeedTreeModel::FeedNode, iconic)), QColor(Qt::red));

    ASSERT_TRUE(View()->StartDownloadRun(CQuillpostView::RunKind::AllFeeds));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return IconColour(TreeRow(CFeedTreeModel::FeedNode, iconic)) == Qt::red; }, 20000));
    const QModelIndex bareRow = TreeRow(CFeedTreeModel::FeedNode, bare);
    EXPECT_EQ(
        bareRow.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage(),
        ListIcon(bareRow.data(CFeedTreeModel::StatusIconRole).toInt()).pixmap(16, 16).toImage());
    EXPECT_TRUE(Wide()->TreeModel().FeedFailure(bare).isEmpty());

    ClickTree(CFeedTreeModel::AllFeedsNode, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Table()->model()->rowCount() == 3; }, 5000));
    for (int row = 0; row < 3; ++row) {
        const QModelIndex feed = Table()->model()->index(row, CItemListModel::FeedColumn);
        if (feed.data().toString() == u"Iconic")
            EXPECT_EQ(IconColour(feed), QColor(Qt::red));
        else
            EXPECT_TRUE(feed.data(Qt::DecorationRole).value<QIcon>().isNull());
    }
}

// Two Feeds may have one title: the failure is marked on the one that failed only.
TEST_F(WideLayoutTest, AFailureIsMarkedOnTheFeedThatFailedNotOnItsNamesake) {
    const qint32 good = AddFeed(QStringLiteral("Twin"), Items(1));
    const qint32 bad = AddFeed(QStringLiteral("Twin"), Items(1));
    server_.SetBody("/feed2.xml", "", 404);
    QDir().mkpath(TheAppSettings().installFolder);
    StartFrame();
    CRunStatus* status = frame_->RunStatus();
    ASSERT_TRUE(View()->StartDownloadRun(CQuillpostView::RunKind::AllFeeds));
    ASSERT_TRUE(QTest::qWaitFor(
        [status] { return status->Text().startsWith(QStringLiteral("2 feeds")); }, 20000));
    EXPECT_FALSE(Wide()->TreeModel().FeedFailure(bad).isEmpty());
    EXPECT_TRUE(Wide()->TreeModel().FeedFailure(good).isEmpty());
    EXPECT_FALSE(TreeRow(CFeedTreeModel::FeedNode, good)
                     .data(Qt::ToolTipRole)
                     .toString()
                     .contains(QStringLiteral("failed")));
}

TEST_F(WideLayoutTest, TheWindowComesBackAsItWasLeft) {
    AddFeed(QStringLiteral("First"), Items(3));
    const qint32 second = AddFeed(QStringLiteral("Second"), Items(3));
    StartFrame();
    frame_->resize(1100, 700);
    ClickTree(CFeedTreeModel::FeedNode, second);
    Table()->sortByColumn(CItemListModel::TitleColumn, Qt::DescendingOrder);
    Table()->horizontalHeader()->resizeSection(CItemListModel::FeedColumn, 222);
    Wide()->Splitter()->setSizes({300, 800});
    const QList<int> treeSizes = Wide()->Splitter()->sizes();
    View()->Action(CQuillpostView::ReadingPaneBeside)->trigger();
    Restart();
    EXPECT_EQ(frame_->size(), QSize(1100, 700));
    ASSERT_TRUE(View()->IsWide());
    EXPECT_EQ(Tree()->currentIndex(), TreeRow(CFeedTreeModel::FeedNode, second));
    EXPECT_EQ(ItemScreen()->CurrentFeedID(), second);
    EXPECT_EQ(Table()->horizontalHeader()->sortIndicatorSection(), CItemListModel::TitleColumn);
    EXPECT_EQ(Titles().front(), QStringLiteral("Story 2"));
    EXPECT_EQ(Table()->horizontalHeader()->sectionSize(CItemListModel::FeedColumn), 222);
    EXPECT_EQ(Wide()->Splitter()->sizes(), treeSizes);
    EXPECT_EQ(ItemScreen()->Splitter()->orientation(), Qt::Horizontal);

    // "Show All Feeds" comes back too, and a Feed chosen after it takes its place again.
    ClickTree(CFeedTreeModel::AllFeedsNode, 0);
    Restart();
    EXPECT_EQ(Tree()->currentIndex(), TreeRow(CFeedTreeModel::AllFeedsNode, 0));
    EXPECT_TRUE(ItemScreen()->ShowsAllFeeds());
    EXPECT_EQ(Titles().size(), 6);
    ClickTree(CFeedTreeModel::FeedNode, second);
    Restart();
    EXPECT_EQ(Tree()->currentIndex(), TreeRow(CFeedTreeModel::FeedNode, second));
    EXPECT_FALSE(ItemScreen()->ShowsAllFeeds());

    // The narrow layout chosen in the View menu stays chosen, whatever the width.
    View()->Action(CQuillpostView::LayoutNarrow)->trigger();
    EXPECT_FALSE(View()->IsWide());
    Restart();
    EXPECT_FALSE(View()->IsWide());
    EXPECT_TRUE(View()->Action(CQuillpostView::LayoutNarrow)->isChecked());
}

TEST_F(WideLayoutTest, AHandedOverAddressKeepsTheWindowMaximised) {
    StartFrame();
    frame_->showMaximized();
    QTest::qWait(50);
    frame_->OnActivationRequested(QString());
    EXPECT_TRUE(frame_->isMaximized());
}

TEST_F(WideLayoutTest, NoKeyIsBoundTwice) {
    AddFeed(QStringLiteral("Harbour"), Items(2));
    for (bool wide : {true, false}) {
        StartFrame();
        View()->Action(wide ? CQuillpostView::LayoutWide : CQuillpostView::LayoutNarrow)->trigger();
        std::multiset<QString> keys;
        for (QAction* action : frame_->findChildren<QAction*>())
            for (const QKeySequence& key : action->shortcuts())
                keys.insert(key.toString());
        for (QShortcut* shortcut : frame_->findChildren<QShortcut*>())
            if (shortcut->isEnabled())
                for (const QKeySequence& key : shortcut->keys())
                    keys.insert(key.toString());
        for (const QString& key : keys)
            EXPECT_EQ(keys.count(key), 1u) << key.toStdString() << (wide ? " wide" : " narrow");
        frame_.reset();
    }
}

TEST_F(WideLayoutTest, DeleteAsksAndDeletesTheSelectedItem) {
    const qint32 feed = AddFeed(QStringLiteral("Harbour"), Items(3));
    const QList<qint32> ids = ItemIDs(feed);
    StartFrame();
    ClickTree(CFeedTreeModel::FeedNode, feed);
    ClickRow(1);
    prompt_.answers = {true};
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompt_.questions.size(), 1);
    EXPECT_FALSE(db_.GetItem(ids[1]));
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("Story 0"), QStringLiteral("Story 2")}));
    // Return opens the selected item's link.
    Key(Qt::Key_Return);
    EXPECT_EQ(launcher_.calls.value(0), QStringLiteral("desktop | http://example.org/story2"));
}

} // namespace
