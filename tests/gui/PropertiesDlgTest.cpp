// The Feed, item and View property dialogs, edited with the mouse and keys, and what OK and
// Cancel leave in the database.
#include "ModalScript.h"
#include "PropertyTreeDriver.h"
#include "ScreensFixture.h"
#include "app/Properties.h"
#include "gui/dialogs/FeedPropertiesDlg.h"
#include "gui/dialogs/ItemPropertiesDlg.h"
#include "gui/dialogs/ViewPropertiesDlg.h"
#include "gui/screens/HelpWindow.h"
#include "store/AdoConnection.h"

#include <QDialogButtonBox>
#include <QPushButton>

namespace {

class PropertiesDlgTest : public ScreensTest {
protected:
    void SetUp() override {
        ScreensTest::SetUp();
        feed_ = AddFeed(QStringLiteral("Harbour News"), Items(3));
        AddView(3, QStringLiteral("Reserved"), {feed_});
        AddView(40, QStringLiteral("Local"), {feed_});
        AddView(41, QStringLiteral("Weather"), {});
        // Memberships written by the dialog get priority 0; these show whether they were.
        Sql(QStringLiteral("Update ViewFeeds Set Priority = 7"));
        db_.LoadViewList();
        db_.LoadFeedList(false);
    }

    void Sql(const QString& statement) {
        CAdoConnection connection;
        ASSERT_EQ(connection.Open(dbPath_), 0);
        ASSERT_TRUE(connection.Execute(statement)) << statement.toStdString();
    }

    QStringList Rows(const QString& sql) {
        CAdoConnection connection;
        EXPECT_EQ(connection.Open(dbPath_), 0);
        CAdoRecordset rows;
        EXPECT_TRUE(rows.Open(sql, connection, CAdoRecordset::Mode::Read));
        QStringList lines;
        for (; !rows.IsEOF(); rows.MoveNext())
            lines << rows.Field(0).GetString() + u'|' + rows.Field(1).GetString();
        return lines;
    }

    QStringList Memberships() {
        return Rows(QStringLiteral("Select ViewID, Priority From ViewFeeds Where FeedID = %1 "
                                   "Order By ViewID")
                        .arg(feed_));
    }

    static void Press(CPropertiesDlg& dialog, QDialogButtonBox::StandardButton button) {
        QTest::mouseClick(dialog.Buttons()->button(button), Qt::LeftButton);
    }

    // A dialog opened from a menu becomes the active window once the menu has let go; keys
    // and clicks meant for its editors wait for that.
    static void Activate(QWidget& dialog) {
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == &dialog; }));
    }

    // Shows the dialog as the screens do, without blocking the test.
    static void Show(CPropertiesDlg& dialog) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    static QStringList Entries(CPropertyTree& tree, const QString& checkList) {
        QStringList names;
        PropertyItem list = tree.Find(checkList);
        for (int i = 0; i < list->childCount(); ++i)
            names << list->child(i)->text(0);
        return names;
    }

    qint32 feed_ = 0;
};

// The lists' "Properties" entries open the dialog for the row the menu was opened on.
TEST_F(PropertiesDlgTest, PropertiesEntriesOpenTheDialogOfTheirRow) {
    const qint32 quay = AddFeed(QStringLiteral("Quay Weekly"), Items(1));
    StartView();
    ModalScript script;
    script.Handle([](QWidget* widget) {
        auto& dialog = *qobject_cast<CFeedPropertiesDlg*>(widget);
        Activate(dialog);
        CPropertyTree& tree = *dialog.Tree();
        EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Title"))), QStringLiteral("Quay Weekly"));
        PropertyTreeDriver driver(tree);
        driver.Open(QStringLiteral("Settings"));
        driver.Type(tree.Find(QStringLiteral("Priority")), QStringLiteral("60"));
        Press(dialog, QDialogButtonBox::Ok);
    });
    ASSERT_TRUE(Trigger(ContextMenu(Feeds(), RowOf(Feeds(), CFeedListModel::FeedIdRole, quay)),
                        QStringLiteral("Properties")));
    EXPECT_EQ(db_.GetFeed(quay)->Priority, 60);
    EXPECT_EQ(Feeds()->SelectedFeedID(), quay);

    OpenFeed(feed_);
    QString shownFeed;
    script.Handle([&shownFeed](QWidget* widget) {
        auto& dialog = *qobject_cast<CItemPropertiesDlg*>(widget);
        shownFeed = dialog.Tree()->Text(dialog.Tree()->Find(QStringLiteral("Feed")));
        Press(dialog, QDialogButtonBox::Cancel);
    });
    ASSERT_TRUE(Trigger(ContextMenu(Items(), 0), QStringLiteral("Properties")));
    EXPECT_EQ(shownFeed, QStringLiteral("Harbour News"));
    EXPECT_EQ(script.unexpected, 0);
}

TEST_F(PropertiesDlgTest, FeedPriorityIsStoredWithinZeroToHundred) {
    const std::pair<const char*, int> cases[] = {{"250", 100}, {"-5", 0}, {"42", 42}};
    for (const auto& [typed, stored] : cases) {
        CFeedPropertiesDlg dialog(db_, feed_);
        Show(dialog);
        PropertyTreeDriver driver(*dialog.Tree());
        driver.Open(QStringLiteral("Settings"));
        driver.Type(dialog.Tree()->Find(QStringLiteral("Priority")), QString::fromLatin1(typed));
        Press(dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(db_.GetFeed(feed_)->Priority, stored) << typed;
    }
}

TEST_F(PropertiesDlgTest, FeedDialogShowsTheFeedAndListsOnlyUserViews) {
    CFeedPropertiesDlg dialog(db_, feed_);
    Show(dialog);
    CPropertyTree& tree = *dialog.Tree();
    EXPECT_EQ(dialog.StripText(), QStringLiteral("Feed Properties"));
    EXPECT_TRUE(tree.Find(QStringLiteral("Status"))->isExpanded());
    EXPECT_EQ(tree.Description(), QStringLiteral("General status of the feed."));
    EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Title"))), QStringLiteral("Harbour News"));
    EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Version"))), QStringLiteral("RSS 2.0"));
    EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Total Items"))), QStringLiteral("3"));
    EXPECT_EQ(Entries(tree, QStringLiteral("View List")),
              QStringList({QStringLiteral("Local"), QStringLiteral("Weather")}));
    EXPECT_EQ(tree.CheckedIDs(tree.Find(QStringLiteral("View List"))), QList<qint32>{40});
}

// Every format the readers take has its name; only a code no reader gives is "Unknown".
TEST_F(PropertiesDlgTest, VersionNamesEveryFormatTheReadersTake) {
    const std::pair<qint16, const char*> cases[] = {{FeedTypeAtom10, "Atom 1.0"},
                                                    {FeedTypeJsonFeed, "JSON Feed"},
                                                    {FeedTypeAtom03, "Atom 0.03"},
                                                    {FeedTypeUnknown, "Unknown"}};
    for (const auto& [feedType, name] : cases) {
        Sql(QStringLiteral("Update Feeds Set FeedType = %1 Where FeedID = %2")
                .arg(feedType)
                .arg(feed_));
        CFeedPropertiesDlg dialog(db_, feed_);
        CPropertyTree& tree = *dialog.Tree();
        EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Version"))), QString::fromLatin1(name));
    }
}

TEST_F(PropertiesDlgTest, HelpOpensEachDialogsOwnPage) {
    CFeedPropertiesDlg feed(db_, feed_);
    CItemPropertiesDlg item(db_, ItemIDs(feed_).value(0), QString());
    CViewPropertiesDlg view(db_, 0);
    const std::pair<CPropertiesDlg*, const char*> cases[] = {
        {&feed, "Feed Properties"}, {&item, "Item Properties"}, {&view, "View Properties"}};
    for (const auto& [dialog, page] : cases) {
        Show(*dialog);
        Press(*dialog, QDialogButtonBox::Help);
        const auto* help = dialog->findChild<CHelpWindow*>();
        ASSERT_NE(help, nullptr) << page;
        EXPECT_EQ(help->windowTitle(), QString::fromLatin1(page));
    }
}

TEST_F(PropertiesDlgTest, FeedMembershipsAreRewrittenOnlyWhenTheTicksChange) {
    const QStringList before = Memberships();
    {
        CFeedPropertiesDlg dialog(db_, feed_);
        Show(dialog);
        PropertyTreeDriver(*dialog.Tree())
            .Type(dialog.Tree()->Find(QStringLiteral("RSS Url")),
                  QStringLiteral("http://127.0.0.1:9/moved"));
        Press(dialog, QDialogButtonBox::Ok);
    }
    EXPECT_EQ(db_.GetFeed(feed_)->FeedUrl, QStringLiteral("http://127.0.0.1:9/moved"));
    EXPECT_EQ(Memberships(), before);

    CFeedPropertiesDlg dialog(db_, feed_);
    Show(dialog);
    PropertyTreeDriver driver(*dialog.Tree());
    driver.Open(QStringLiteral("Views"));
    driver.ClickTick(dialog.Tree()->CheckEntry(dialog.Tree()->Find(QStringLiteral("View List")),
                                               QStringLiteral("Weather")),
                     0);
    Press(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(FeedViewIDs(db_, feed_), (QList<qint32>{40, 41}));
}

struct PurgeCase {
    bool answer;
    int itemsLeft;
    int notices;
};

class ExtendedDataTest : public PropertiesDlgTest,
                         public ::testing::WithParamInterface<PurgeCase> {};

TEST_P(ExtendedDataTest, SwitchingItOnAsksWhetherToPurgeTheCachedItems) {
    prompt_.answers = {GetParam().answer};
    CFeedPropertiesDlg dialog(db_, feed_);
    Show(dialog);
    PropertyTreeDriver driver(*dialog.Tree());
    driver.Open(QStringLiteral("Settings"));
    driver.ClickTick(dialog.Tree()->Find(QStringLiteral("Extended Data")));
    Press(dialog, QDialogButtonBox::Ok);
    ASSERT_EQ(prompt_.questions.size(), 1);
    EXPECT_TRUE(prompt_.questions[0].startsWith(
        QStringLiteral("Confirm: You have enabled \"Extended Data\" for this Feed.")));
    EXPECT_TRUE(db_.GetFeed(feed_)->ExtendedData);
    EXPECT_EQ(ItemIDs(feed_).size(), GetParam().itemsLeft);
    EXPECT_EQ(prompt_.messages.filter(QStringLiteral("Notice: ")).size(), GetParam().notices);
}

INSTANTIATE_TEST_SUITE_P(Answers, ExtendedDataTest,
                         ::testing::Values(PurgeCase{true, 0, 1}, PurgeCase{false, 3, 0}),
                         [](const auto& info) { return info.param.answer ? "Yes" : "No"; });

TEST_F(PropertiesDlgTest, CancelWritesNothing) {
    const QStringList before = Memberships();
    CFeedPropertiesDlg dialog(db_, feed_);
    Show(dialog);
    PropertyTreeDriver driver(*dialog.Tree());
    driver.Open(QStringLiteral("Settings"));
    driver.Type(dialog.Tree()->Find(QStringLiteral("Priority")), QStringLiteral("90"));
    driver.ClickTick(dialog.Tree()->Find(QStringLiteral("Audio Data")));
    Press(dialog, QDialogButtonBox::Cancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(db_.GetFeed(feed_)->Priority, CFeedRecord().Priority);
    EXPECT_FALSE(db_.GetFeed(feed_)->ExtendedAudio);
    EXPECT_EQ(Memberships(), before);
}

// A count the list does not offer, set from the command line, shows as its number and survives
// the dialog when its editor is opened and closed without a new choice.
TEST_F(PropertiesDlgTest, AnUnlistedMaxItemsIsShownAndKept) {
    CViewRecord view = *db_.GetView(41);
    view.NumToShow = 50000;
    ASSERT_TRUE(db_.UpdateView(view));
    CViewPropertiesDlg dialog(db_, 41);
    Show(dialog);
    CPropertyTree& tree = *dialog.Tree();
    PropertyTreeDriver driver(tree);
    driver.Open(QStringLiteral("Settings"));
    PropertyItem maxItems = tree.Find(QStringLiteral("Max Items"));
    EXPECT_EQ(maxItems->text(1), "50000");
    driver.ClickCell(maxItems, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Press(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(db_.GetView(41)->NumToShow, 50000);
}

TEST_F(PropertiesDlgTest, ARecordGoneIsReportedAndNothingIsWritten) {
    const qint32 item = ItemIDs(feed_).value(0);
    const QString restart = QStringLiteral(" is no longer valid.\n\nPlease restart Quillpost.");
    {
        CItemPropertiesDlg gone(db_, 999, QString());
        CViewPropertiesDlg goneView(db_, 999);
        EXPECT_EQ(gone.exec(), QDialog::Rejected);
        EXPECT_EQ(goneView.exec(), QDialog::Rejected);
    }
    EXPECT_EQ(prompt_.messages,
              QStringList({QStringLiteral("Invalid Database Record: This Feed Item") + restart,
                           QStringLiteral("Invalid Database Record: This View") + restart}));

    // Deleted while the dialog is open: OK reports it and adds nothing back.
    prompt_.messages.clear();
    CFeedPropertiesDlg dialog(db_, feed_);
    Show(dialog);
    ASSERT_TRUE(db_.DeleteFeed(feed_));
    PropertyTreeDriver driver(*dialog.Tree());
    driver.Open(QStringLiteral("Settings"));
    driver.Type(dialog.Tree()->Find(QStringLiteral("Priority")), QStringLiteral("9"));
    Press(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(prompt_.messages,
              QStringList(QStringLiteral("Invalid Database Record: This Feed") + restart));
    EXPECT_FALSE(db_.GetFeed(feed_).has_value());
    EXPECT_FALSE(db_.GetItem(item).has_value());
}

TEST_F(PropertiesDlgTest, WizardModeWritesNothingAndHandsBackTheValues) {
    CFeedRecord fresh;
    fresh.FeedID = NewRecordID();
    fresh.Title = QStringLiteral("Fresh");
    fresh.FeedUrl = QStringLiteral("http://127.0.0.1:9/fresh");
    CFeedPropertiesDlg dialog(db_, fresh);
    Show(dialog);
    CPropertyTree& tree = *dialog.Tree();
    EXPECT_EQ(dialog.StripText(), QStringLiteral("FW - Feed Properties (Step 3 of 3)"));
    EXPECT_EQ(tree.Description(), QStringLiteral("Feed specific settings."));
    PropertyTreeDriver driver(tree);
    driver.Type(tree.Find(QStringLiteral("Priority")), QStringLiteral("250"));
    driver.ClickTick(tree.Find(QStringLiteral("Extended Data")));
    driver.Open(QStringLiteral("Views"));
    driver.ClickTick(tree.CheckEntry(tree.Find(QStringLiteral("View List")), "Weather"), 0);
    Press(dialog, QDialogButtonBox::Ok);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.EditedFeed().Priority, 100);
    EXPECT_EQ(dialog.EditedFeed().Title, QStringLiteral("Fresh"));
    EXPECT_EQ(dialog.ViewIDs(), QList<qint32>{41});
    EXPECT_TRUE(dialog.ExtendedDataSwitchedOn());
    EXPECT_FALSE(db_.GetFeed(fresh.FeedID).has_value());
    EXPECT_TRUE(prompt_.questions.isEmpty());
}

TEST_F(PropertiesDlgTest, ItemKeywordsAreStored) {
    const qint32 item = ItemIDs(feed_).value(0);
    ASSERT_TRUE(db_.SetItemStatus(item, ItemLocked));
    CItemPropertiesDlg dialog(db_, item, QStringLiteral("Harbour News"));
    Show(dialog);
    CPropertyTree& tree = *dialog.Tree();
    EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Item State"))), QStringLiteral("Locked"));
    EXPECT_EQ(tree.Text(tree.Find(QStringLiteral("Feed"))), QStringLiteral("Harbour News"));
    PropertyTreeDriver driver(tree);
    driver.Open(QStringLiteral("Settings"));
    driver.Type(tree.Find(QStringLiteral("Keywords")), QStringLiteral("harbour, ferry"));
    Press(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(db_.GetItem(item)->Keywords, QStringLiteral("harbour, ferry"));
    EXPECT_EQ(ItemStatus(item), ItemLocked);
}

struct NewViewCase {
    const char* name;
    const char* keywords;
    bool dynamic;
    bool membershipBuilt;
};

class NewViewTest : public PropertiesDlgTest, public ::testing::WithParamInterface<NewViewCase> {};

// Through the feed list's "Add New View...": the new View becomes the current one.
TEST_P(NewViewTest, ANewViewIsAddedAndBuiltFromKeywordsOnlyInDynamicModeWithKeywords) {
    StartView();
    ModalScript script;
    script.Handle([](QWidget* widget) {
        auto& dialog = *qobject_cast<CViewPropertiesDlg*>(widget);
        Activate(dialog);
        EXPECT_EQ(dialog.StripText(), QStringLiteral("Add a New View"));
        CPropertyTree& tree = *dialog.Tree();
        PropertyTreeDriver driver(tree);
        driver.Type(tree.Find(QStringLiteral("Name")), QStringLiteral("Stories"));
        driver.Open(QStringLiteral("Feeds"));
        if (GetParam().dynamic)
            driver.ClickTick(tree.Find(QStringLiteral("Dynamic Mode")));
        driver.Type(tree.Find(QStringLiteral("Keywords")),
                    QString::fromLatin1(GetParam().keywords));
        Press(dialog, QDialogButtonBox::Ok);
    });
    Feeds()->OnCommand(CFeedListScreen::AddNewView);

    const qint32 viewID = Feeds()->CurrentViewID();
    const auto view = db_.GetView(viewID);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->Label, QStringLiteral("Stories"));
    EXPECT_EQ(view->Keywords, QString::fromLatin1(GetParam().keywords).trimmed());
    EXPECT_EQ(Feeds()->StripText(), QStringLiteral("Filter: Stories"));
    EXPECT_EQ(db_.CountViewItems(viewID, 0) > 0, GetParam().membershipBuilt);
}

INSTANTIATE_TEST_SUITE_P(Keywords, NewViewTest,
                         ::testing::Values(NewViewCase{"BlankDynamic", "   ", true, false},
                                           NewViewCase{"Dynamic", "Story", true, true},
                                           NewViewCase{"NotDynamic", "Story", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Max Items offers up to ten thousand and "no limit", the last two entries, for feeds and Views.
TEST_F(PropertiesDlgTest, MaxItemsOffersTenThousandAndNoLimit) {
    const struct {
        int upFromLast;
        int stored;
        QString shown;
    } cases[] = {{0, NoItemLimit, QStringLiteral("no limit")}, {1, 10000, QStringLiteral("10000")}};
    const auto choose = [](CPropertiesDlg& dialog, int upFromLast) {
        Show(dialog);
        CPropertyTree& tree = *dialog.Tree();
        PropertyTreeDriver driver(tree);
        driver.Open(QStringLiteral("Settings"));
        PropertyItem maxItems = tree.Find(QStringLiteral("Max Items"));
        driver.ClickCell(maxItems, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        for (int i = 0; i < upFromLast; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QString shown = maxItems->text(1);
        Press(dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return shown;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        CFeedPropertiesDlg feedDialog(db_, feed_);
        EXPECT_EQ(choose(feedDialog, c.upFromLast), c.shown);
        EXPECT_EQ(db_.GetFeed(feed_)->MaxItems, c.stored);
        CViewPropertiesDlg viewDialog(db_, 41);
        EXPECT_EQ(choose(viewDialog, c.upFromLast), c.shown);
        EXPECT_EQ(db_.GetView(41)->NumToShow, c.stored);
    }
}

TEST_F(PropertiesDlgTest, ViewSettingsAndFeedsAreStoredFromTheItemList) {
    StartView();
    Items()->ShowView(41);
    ModalScript script;
    script.Handle([](QWidget* widget) {
        auto& dialog = *qobject_cast<CViewPropertiesDlg*>(widget);
        Activate(dialog);
        CPropertyTree& tree = *dialog.Tree();
        EXPECT_TRUE(tree.Find(QStringLiteral("Status"))->isExpanded());
        PropertyTreeDriver driver(tree);
        driver.Open(QStringLiteral("Settings"));
        PropertyItem sortBy = tree.Find(QStringLiteral("Sort By"));
        driver.ClickCell(sortBy, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        driver.Open(QStringLiteral("Feeds"));
        driver.ClickTick(tree.CheckEntry(tree.Find(QStringLiteral("Feed Listing")),
                                         QStringLiteral("Harbour News")),
                         0);
        Press(dialog, QDialogButtonBox::Ok);
    });
    Items()->OnCommand(CItemListScreen::ViewProperties);
    EXPECT_EQ(db_.GetView(41)->SortBy, 1);
    EXPECT_EQ(db_.GetViewFeedIDs(41).value_or(QList<qint32>()), QList<qint32>{feed_});
    EXPECT_EQ(Items()->Model().rowCount(), 3);
}

} // namespace
