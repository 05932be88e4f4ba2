// The feed wizard driven with clicks and keys, opened from the main window, against the loopback
// server; what it adds is checked in the database.
#include "GuiFixture.h"
#include "gui/desktop/SingleInstance.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/wizard/FeedWizardDlg.h"
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <thread>

namespace {

QByteArray Rss(const QString& title, int items) {
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() +
                     "</title><link>https://example.org/</link><description>About " +
                     title.toUtf8() + "</description>";
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<item><title>Story %1</title><guid>%2-%1</guid></item>")
                   .arg(i)
                   .arg(title)
                   .toUtf8();
    return xml + "</channel></rss>";
}

QByteArray Opml(const QString& title, const QStringList& feedUrls) {
    QByteArray xml =
        "<opml version=\"1.1\"><head><title>" + title.toUtf8() + "</title></head><body>";
    for (const QString& url : feedUrls)
        xml += "<outline title=\"Feed " + url.section(u'/', -1).toUtf8() + "\" xmlUrl=\"" +
               url.toUtf8() + "\"/>";
    return xml + "</body></opml>";
}

class FeedWizardTest : public GuiFixture {
protected:
    void SetUp() override {
        server_.SetBody("/news.xml", Rss(QStringLiteral("Harbour News"), 3));
        server_.SetBody("/sport.xml", Rss(QStringLiteral("Rowing"), 2));
        store_.Write(Key::OnlineListingUrl, server_.Url("/listing.xml"));
        store_.Write(Key::FeedSearchUrl, server_.Url("/"));
        server_.SetBody("/listing.xml", "<feeds version=\"1\"><category name=\"Local\">"
                                        "<feed label=\"Harbour News\" url=\"" +
                                            server_.Url("/news.xml").toUtf8() +
                                            "\" description=\"What happens at the quay\"/>"
                                            "<feed label=\"Rowing\" url=\"" +
                                            server_.Url("/sport.xml").toUtf8() +
                                            "\" description=\"Regattas\"/></category>"
                                            "<category name=\"Empty\"/></feeds>");
        MakeDatabase(QStringLiteral("wizard.qpdb"), {});
        QDir().mkpath(TheAppSettings().audioFolder); // no start-up warning about it
        view_ = &Start();
    }

    // Runs the steps on the next wizard that opens, and closes it if they left it open. They
    // run apart from the script's own answering, so that it answers the boxes they cause.
    void OnWizard(const std::function<void(CFeedWizardDlg&)>& steps, bool* ran = nullptr) {
        script_.Handle([this, steps, ran](QWidget* modal) {
            auto* wizard = qobject_cast<CFeedWizardDlg*>(modal);
            if (!wizard) {
                ADD_FAILURE() << "not the wizard";
                modal->close();
                return;
            }
            QTimer::singleShot(0, wizard, [this, wizard, steps, ran] {
                wizard_ = wizard;
                steps(*wizard);
                if (ran)
                    *ran = true;
                if (wizard->isVisible())
                    wizard->reject();
            });
        });
    }
    // Opens the wizard from the main menu (or the given command) and runs the steps on it.
    void RunWizard(const std::function<void(CFeedWizardDlg&)>& steps, QAction* opener = nullptr) {
        bool ran = false;
        OnWizard(steps, &ran);
        (opener ? opener : view_->Action(CQuillpostView::FeedWizard))->trigger();
        EXPECT_TRUE(ran);
    }

    template <typename Widget> Widget* Find(const char* name) const {
        auto* widget = wizard_->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* name) const {
        auto* button = Find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // Clicks Next (or Done) and waits until a download it started has ended.
    void Next() const {
        Click("NextButton");
        EXPECT_TRUE(QTest::qWaitFor([this] { return !wizard_->IsBusy(); }, 15000));
    }
    void Go() const {
        Click("GoButton");
        EXPECT_TRUE(QTest::qWaitFor([this] { return !wizard_->IsBusy(); }, 15000));
    }
    void ChooseMethod(CFeedWizardDlg::Method method) const {
        Click(qPrintable(QStringLiteral("MethodChoice%1").arg(method)));
        Next();
    }
    void Type(const char* field, const QString& text) const {
        auto* edit = Find<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, text);
    }
    void SelectRow(const char* list, int row) const {
        auto* widget = Find<QListWidget>(list);
        const QRect rect = widget->visualItemRect(widget->item(row));
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QString Status() const { return Find<QLabel>("StatusLine")->text(); }

    std::vector<CFeedRecord> Feeds() {
        CRssDatabase& db = view_->Database();
        db.LoadFeedList(false);
        return db.FeedList;
    }
    int ItemsOf(qint32 feedID) { return view_->Database().CountFeedItems(feedID, 0); }

    LoopbackServer server_;
    CQuillpostView* view_ = nullptr;
    CFeedWizardDlg* wizard_ = nullptr;
};

TEST_F(FeedWizardTest, AnAddressAddsTheFeedNowOrForLater) {
    struct Case {
        bool later;
        QString title;
        int items;
        int hits;
    };
    const QString url = server_.Url("/news.xml");
    for (const Case& c :
         {Case{false, QStringLiteral("Harbour News"), 3, 1}, Case{true, server_.Url(""), 0, 0}}) {
        SCOPED_TRACE(c.later);
        const int hitsBefore = server_.Hits("/news.xml");
        RunWizard([&](CFeedWizardDlg& wizard) {
            EXPECT_EQ(Find<QLabel>("TitleStrip")->text(),
                      QStringLiteral("Feed Wizard - Select Method"));
            ChooseMethod(CFeedWizardDlg::AddFeedMethod);
            EXPECT_EQ(Find<QLabel>("TitleStrip")->text(),
                      QStringLiteral("FW - Enter Url (Step 2 of 3)"));
            Type("AddressEdit", url);
            if (c.later)
                Click("LaterBox");
            Next();
            ASSERT_EQ(wizard.CurrentPage(), CFeedWizardDlg::PropertiesPage) << qPrintable(Status());
            EXPECT_EQ(Find<QLabel>("TitleStrip")->text(),
                      QStringLiteral("FW - Feed Properties (Step 3 of 3)"));
            Next(); // Done
            EXPECT_FALSE(wizard.isVisible());
        });
        const auto feeds = Feeds();
        ASSERT_EQ(feeds.size(), 1u);
        EXPECT_EQ(feeds[0].FeedUrl, url);
        EXPECT_EQ(feeds[0].Title, c.title);
        EXPECT_EQ(ItemsOf(feeds[0].FeedID), c.items);
        EXPECT_EQ(server_.Hits("/news.xml") - hitsBefore, c.hits);
        // The feed list shows it at once.
        EXPECT_EQ(view_->FeedListScreen()->List()->model()->rowCount(), 1);
        EXPECT_EQ(store_.Read(Key::TodayHasChanged), 1);
        view_->Database().DeleteFeed(feeds[0].FeedID);
    }
}

// Each page that adds a feed refuses one whose address is in the database, and stays.
TEST_F(FeedWizardTest, AKnownFeedIsRefusedOnTheAddressListingAndSearchPages) {
    CFeedRecord known;
    known.FeedID = NewRecordID();
    known.Title = QStringLiteral("Harbour News");
    known.FeedUrl = server_.Url("/news.xml");
    view_->Database().InsertFeed(known, 0, 0);
    server_.SetBody("/search.php", "<rss version=\"2.0\"><channel><title>Found</title>"
                                   "<item><title>Harbour News</title><source url=\"" +
                                       server_.Url("/news.xml").toUtf8() +
                                       "\">Harbour</source></item></channel></rss>");
    const QString refused = QStringLiteral(
        "Duplicate Feed: Please Enter a different Feed.\n\nThe current Feed already exists in "
        "the database.");
    RunWizard([&](CFeedWizardDlg& wizard) {
        ChooseMethod(CFeedWizardDlg::AddFeedMethod);
        Type("AddressEdit", server_.Url("/news.xml"));
        Next();
        EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::AddressPage);
        EXPECT_EQ(script_.messages.value(0),
                  QStringLiteral("Duplicate Feed: Please Enter a different Feed Url.\n\nThe "
                                 "current Feed already exists in the database."));
        Click("BackButton");
        ChooseMethod(CFeedWizardDlg::ListingMethod);
        SelectRow("ListingFeeds", 0);
        Next();
        EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::ListingPage);
        EXPECT_EQ(script_.messages.value(1), refused);
        Click("BackButton");
        ChooseMethod(CFeedWizardDlg::SearchMethod);
        Type("SearchEdit", QStringLiteral("harbour"));
        Go();
        SelectRow("SearchResults", 0);
        Next();
        EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::SearchPage);
        EXPECT_EQ(script_.messages.value(2), refused);
    });
    EXPECT_EQ(Feeds().size(), 1u);
    EXPECT_EQ(server_.Hits("/news.xml"), 0);
}

// The listing is fetched each time it is chosen; a chosen feed leads to the properties, and
// Back from there returns to the page that led there.
TEST_F(FeedWizardTest, TheListingIsFetchedEachTimeAndBackReturnsWhereItCameFrom) {
    server_.SetBody("/search.php", "<rss version=\"2.0\"><channel><title>Found</title>"
                                   "<item><title>Rowing</title><source url=\"" +
                                       server_.Url("/sport.xml").toUtf8() +
                                       "\">Rowing</source></item></channel></rss>");
    RunWizard([&](CFeedWizardDlg& wizard) {
        ChooseMethod(CFeedWizardDlg::ListingMethod);
        ASSERT_EQ(wizard.CurrentPage(), CFeedWizardDlg::ListingPage);
        Click("BackButton");
        ChooseMethod(CFeedWizardDlg::ListingMethod);
        EXPECT_EQ(server_.Hits("/listing.xml"), 2);
        EXPECT_EQ(Find<QComboBox>("CategoryChooser")->count(), 2);
        EXPECT_EQ(Find<QLabel>("ListingDescription")->text(),
                  QStringLiteral("Please Select a Feed"));
        SelectRow("ListingFeeds", 1);
        EXPECT_EQ(Find<QLabel>("ListingDescription")->text(), QStringLiteral("Regattas"));
        Next();
        ASSERT_EQ(wizard.CurrentPage(), CFeedWizardDlg::PropertiesPage);
        Click("BackButton");
        EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::ListingPage);

        Click("BackButton");
        ChooseMethod(CFeedWizardDlg::SearchMethod);
        Type("SearchEdit", QStringLiteral("rowing"));
        Go();
        SelectRow("SearchResults", 0);
        Next();
        ASSERT_EQ(wizard.CurrentPage(), CFeedWizardDlg::PropertiesPage);
        Click("BackButton");
        EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::SearchPage);

        Click("BackButton");
        ChooseMethod(CFeedWizardDlg::AddFeedMethod);
        Type("AddressEdit", server_.Url("/sport.xml"));
        Next();
        ASSERT_EQ(wizard.CurrentPage(), CFeedWizardDlg::PropertiesPage);
        Click("BackButton");
        EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::AddressPage);
        // And forward again to the end: the feed and its items are added.
        Next();
        Next();
    });
    const auto feeds = Feeds();
    ASSERT_EQ(feeds.size(), 1u);
    EXPECT_EQ(feeds[0].Title, QStringLiteral("Rowing"));
    EXPECT_EQ(ItemsOf(feeds[0].FeedID), 2);
}

TEST_F(FeedWizardTest, ASearchSendsBlanksAsPercent20AndListsEachFeedOnce) {
    auto item = [this](const char* title, const char* path, const char* description) {
        return QByteArray("<item><title>") + title + "</title><description>" + description +
               "</description><source url=\"" + server_.Url(path).toUtf8() + "\">s</source></item>";
    };
    server_.SetBody("/search.php",
                    "<rss version=\"2.0\"><channel><title>Found</title>" +
                        item("Harbour &amp; Quay", "/news.xml", "&lt;b&gt;Boats&lt;/b&gt;") +
                        item("Same address", "/news.xml", "other") +
                        item("Harbour &amp; Quay", "/other.xml", "&lt;b&gt;Boats&lt;/b&gt;") +
                        item("Rowing", "/sport.xml", "Regattas") + "</channel></rss>");
    RunWizard([&](CFeedWizardDlg& wizard) {
        ChooseMethod(CFeedWizardDlg::SearchMethod);
        Go();
        EXPECT_EQ(script_.messages.value(0), QStringLiteral("Notice: Please enter a search term"));
        Type("SearchEdit", QStringLiteral("harbour boats"));
        QTest::keyClick(Find<QLineEdit>("SearchEdit"), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !wizard.IsBusy(); }, 15000));
        auto* results = Find<QListWidget>("SearchResults");
        ASSERT_EQ(results->count(), 2);
        EXPECT_EQ(results->item(0)->text(), QStringLiteral("Harbour & Quay"));
        EXPECT_EQ(results->item(1)->text(), QStringLiteral("Rowing"));
        SelectRow("SearchResults", 0);
        EXPECT_EQ(Find<QLabel>("ResultDescription")->text(), QStringLiteral("Boats"));
    });
    EXPECT_EQ(
        server_.LastTarget("/search.php"),
        "/search.php?sort=&ie=&hl=&content=full&type=rss&limit=30&db=feeds&q=harbour%20boats");
}

// A list from the web and one from a file: each becomes a View with its feeds, made current.
TEST_F(FeedWizardTest, ASubscriptionFromTheWebOrAFileBecomesAViewWithItsFeeds) {
    const QByteArray list = Opml(QStringLiteral("Town &amp; Sea"),
                                 {server_.Url("/news.xml"), server_.Url("/sport.xml")});
    server_.SetBody("/list.opml", list);
    const QString file = env_.WriteFile(QStringLiteral("mine.opml"), list);
    struct Case {
        CFeedWizardDlg::Method method;
        QString address;
        QString title;
    };
    for (const Case& c :
         {Case{CFeedWizardDlg::WebSubscriptionMethod, server_.Url("/list.opml"), QString()},
          Case{CFeedWizardDlg::FileSubscriptionMethod, file, QStringLiteral("From my file")}}) {
        SCOPED_TRACE(c.method);
        RunWizard([&](CFeedWizardDlg& wizard) {
            ChooseMethod(c.method);
            EXPECT_EQ(Find<QLabel>("TitleStrip")->text(),
                      QStringLiteral("FW - Add Subscription (Step 2 of 3)"));
            Type("AddressEdit", c.address);
            Next();
            ASSERT_EQ(wizard.CurrentPage(), CFeedWizardDlg::SubscriptionTitlePage)
                << qPrintable(Status());
            EXPECT_EQ(Find<QLineEdit>("SubscriptionTitleEdit")->text(),
                      QStringLiteral("Town & Sea"));
            Type("SubscriptionTitleEdit", QString());
            Next();
            EXPECT_EQ(script_.messages.takeLast(),
                      QStringLiteral("Missing Data: Please enter a Title"));
            Type("SubscriptionTitleEdit",
                 c.title.isEmpty() ? QStringLiteral("Town & Sea") : c.title);
            Next();
            EXPECT_FALSE(wizard.isVisible());
        });
        CRssDatabase& db = view_->Database();
        db.LoadSubscriptionList();
        ASSERT_EQ(db.SubscriptionList.size(), 1u);
        const CSubscriptionRecord subscription = db.SubscriptionList[0];
        EXPECT_EQ(subscription.IsFromFile, c.method == CFeedWizardDlg::FileSubscriptionMethod);
        EXPECT_EQ(subscription.SubscriptionUrl, c.address);
        EXPECT_EQ(db.GetView(subscription.ViewID)->Label,
                  c.title.isEmpty() ? QStringLiteral("Town & Sea") : c.title);
        EXPECT_EQ(Feeds().size(), 2u);
        EXPECT_EQ(store_.Read(Key::FeedViewCurrentViewID), subscription.ViewID);
        EXPECT_EQ(store_.Read(Key::ItemViewCurrentViewID), subscription.ViewID);
        // The same list again is refused on the address page.
        RunWizard([&](CFeedWizardDlg& wizard) {
            ChooseMethod(c.method);
            Type("AddressEdit", c.address);
            Next();
            EXPECT_EQ(wizard.CurrentPage(), CFeedWizardDlg::AddressPage);
            EXPECT_TRUE(script_.messages.takeLast().startsWith(
                QStringLiteral("Duplicate Subscription: Please Enter a different Subscription")));
        });
        db.DeleteSubscription(subscription.SubscriptionID);
    }
}

TEST_F(FeedWizardTest, ASubscriptionIsReloadedOrDeleted) {
    server_.SetBody("/list.opml", Opml(QStringLiteral("Town"), {server_.Url("/news.xml")}));
    CDownloadManager downloads(view_->Database(), [] { return true; });
    const auto added =
        CFeedWizard(view_->Database(), downloads).Subscribe(server_.Url("/list.opml"), {});
    ASSERT_TRUE(added.ok()) << qPrintable(added.error);
    server_.SetBody("/list.opml", Opml(QStringLiteral("Town"),
                                       {server_.Url("/news.xml"), server_.Url("/sport.xml")}));
    RunWizard([&](CFeedWizardDlg& wizard) {
        ChooseMethod(CFeedWizardDlg::ReloadMethod);
        EXPECT_EQ(Find<QLabel>("TitleStrip")->text(),
                  QStringLiteral("FW - Reload Subscription (Step 2 of 2)"));
        Next();
        EXPECT_EQ(script_.messages.takeLast(),
                  QStringLiteral("Notice: Please select a Subscription to update"));
        SelectRow("SubscriptionList", 0);
        Next();
        EXPECT_FALSE(wizard.isVisible());
    });
    EXPECT_EQ(Feeds().size(), 2u);
    EXPECT_EQ(view_->FeedListScreen()->List()->model()->rowCount(), 2);

    // Deleted, then cancelled: the deletion stays and the screens show it.
    RunWizard([&](CFeedWizardDlg& wizard) {
        ChooseMethod(CFeedWizardDlg::ReloadMethod);
        SelectRow("SubscriptionList", 0);
        script_.Press(QMessageBox::Yes);
        Click("DeleteSubscriptionButton");
        EXPECT_EQ(
            script_.messages.takeLast(),
            QStringLiteral("Confirm: Are you sure you want to delete the selected Subscription?"));
        EXPECT_EQ(Find<QListWidget>("SubscriptionList")->count(), 0);
        Click("CancelButton");
        EXPECT_FALSE(wizard.isVisible());
    });
    CRssDatabase& db = view_->Database();
    db.LoadSubscriptionList();
    EXPECT_TRUE(db.SubscriptionList.empty());
    EXPECT_TRUE(Feeds().empty());
    EXPECT_EQ(view_->FeedListScreen()->List()->model()->rowCount(), 0);
}

// While a server is slow the wizard keeps answering, and Cancel ends it without waiting.
TEST_F(FeedWizardTest, CancelDuringASlowDownloadReturnsPromptly) {
    server_.Set("/slow.xml", LoopbackServer::Slow(Rss(QStringLiteral("Slow"), 5), 20, 500));
    QElapsedTimer clock;
    RunWizard([&](CFeedWizardDlg& wizard) {
        ChooseMethod(CFeedWizardDlg::AddFeedMethod);
        Type("AddressEdit", server_.Url("/slow.xml"));
        Click("NextButton");
        EXPECT_TRUE(wizard.IsBusy());
        // The page goes on painting its status line while the download runs.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return Status() == QStringLiteral("Downloading Data..."); }, 5000));
        QTest::qWait(300);
        EXPECT_TRUE(wizard.IsBusy());
        clock.start();
        Click("CancelButton");
        EXPECT_FALSE(wizard.isVisible());
    });
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(Feeds().empty());
}

// "quillpost URL", a later start's hand-over, a drop and a paste all open the address page.
TEST_F(FeedWizardTest, AnAddressFromOutsideOpensTheWizardWithIt) {
    const QString url = server_.Url("/news.xml");
    const QString file = env_.WriteFile(QStringLiteral("list.opml"), Opml("L", {url}));
    QStringList seen;
    const std::function<void(CFeedWizardDlg&)> record = [&](CFeedWizardDlg& wizard) {
        seen << QStringLiteral("%1 %2 %3")
                    .arg(wizard.CurrentPage())
                    .arg(wizard.CurrentMethod())
                    .arg(Find<QLineEdit>("AddressEdit")->text());
    };
    // Dropped.
    OnWizard(record);
    QMimeData dropped;
    dropped.setUrls({QUrl(QStringLiteral("feed://127.0.0.1/x.xml"))});
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(view_, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(view_, &drop);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 1; }, 5000));
    EXPECT_EQ(seen[0], QStringLiteral("2 0 http://127.0.0.1/x.xml"));

    // Pasted into the main window.
    QApplication::clipboard()->setText(file);
    OnWizard(record);
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2; }, 5000));
    EXPECT_EQ(seen[1], QStringLiteral("2 3 ") + file);

    // Handed over by a later start.
    CSingleInstance running;
    ASSERT_TRUE(running.Listen());
    QObject::connect(&running, &CSingleInstance::activationRequested, frame_.get(),
                     &CMainFrame::OnActivationRequested);
    OnWizard(record);
    bool handedOver = false;
    std::thread later([&] { handedOver = CSingleInstance().HandOverToRunningInstance(url); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() == 3; }, 8000));
    later.join();
    EXPECT_TRUE(handedOver);
    EXPECT_EQ(seen.value(2), QStringLiteral("2 0 ") + url);

    // Anything else is named as such.
    view_->OnActivationRequested(QStringLiteral("notes.txt"));
    EXPECT_EQ(script_.messages.value(script_.messages.size() - 1),
              QStringLiteral("Quillpost: \"notes.txt\" is neither the web address of a Feed nor "
                             "an OPML Subscription file."));

    // Given on the command line.
    frame_.reset();
    OnWizard([&](CFeedWizardDlg& wizard) {
        record(wizard);
        Next();
        Next();
    });
    StartOptions options;
    options.feedUrl = url;
    view_ = &Start(options);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 4; }, 8000));
    EXPECT_EQ(seen[3], QStringLiteral("2 0 ") + url);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Feeds().size() == 1; }, 8000));
}

// The address field starts with a web address found on the clipboard, and the paste button
// replaces what it holds.
TEST_F(FeedWizardTest, TheAddressStartsFromTheClipboard) {
    struct Case {
        QString clipboard;
        QString start;
    };
    for (const Case& c : {Case{QStringLiteral("https://example.org/feed"),
                               QStringLiteral("https://example.org/feed")},
                          Case{QStringLiteral("some words"), QStringLiteral("http://www.")}}) {
        QApplication::clipboard()->setText(c.clipboard);
        // From the feed list's second button.
        QAction* wizardButton = view_->FeedListScreen()->ButtonBar()->actions().value(1);
        ASSERT_NE(wizardButton, nullptr);
        EXPECT_EQ(wizardButton->toolTip(), QStringLiteral("Feed Wizard"));
        RunWizard(
            [&](CFeedWizardDlg&) {
                EXPECT_EQ(Find<QRadioButton>("MethodChoice0")->text(),
                          QStringLiteral("Add a New Feed"));
                EXPECT_TRUE(Find<QLabel>("MethodDescription")
                                ->text()
                                .startsWith(QStringLiteral(
                                    "Option for adding a new Feed to Quillpost by directly")));
                ChooseMethod(CFeedWizardDlg::AddFeedMethod);
                EXPECT_EQ(Find<QLineEdit>("AddressEdit")->text(), c.start);
                Type("AddressEdit", QStringLiteral("typed"));
                Click("PasteButton");
                EXPECT_EQ(Find<QLineEdit>("AddressEdit")->text(), c.clipboard);
            },
            wizardButton);
    }
}

} // namespace

// With no database open the wizard has nowhere to put a feed: the user is told so and may open
// or create one; the wizard opens only once there is one.
TEST_F(FeedWizardTest, WithoutADatabaseTheUserIsToldAndMayOpenOne) {
    ASSERT_TRUE(view_->Database().CloseDatabase());
    QAction* wizard = view_->Action(CQuillpostView::FeedWizard);
    ASSERT_TRUE(wizard->isEnabled());
    script_.Press(QMessageBox::No);
    wizard->trigger();
    ASSERT_EQ(script_.messages.size(), 1);
    EXPECT_TRUE(script_.messages[0].startsWith("Feed Wizard: No Quillpost database is open"))
        << script_.messages[0].toStdString();

    script_.Press(QMessageBox::Yes);
    QString offered;
    script_.Handle([&offered](QWidget* dialog) {
        offered = dialog->objectName();
        dialog->close();
    });
    wizard->trigger();
    EXPECT_EQ(script_.messages.size(), 2);
    EXPECT_EQ(offered, "DatabaseOptionsDlg");
    EXPECT_EQ(script_.unexpected, 0);
}
