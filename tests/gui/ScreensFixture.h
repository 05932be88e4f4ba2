// A database filled from loopback feeds and the real main view on it.

#pragma once

#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "gui/desktop/Launcher.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/window/QuillpostView.h"
#include "net/HttpDownloader.h"
#include "store/RssDatabase.h"
#include "support/LoopbackServer.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"
#include "support/TestEnvironment.h"
#include "text/RecordId.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

// Records what would have been started for a link or an audio file.
class RecordingLauncher : public ILauncher {
public:
    RecordingLauncher() { InstallLauncher(this); }
    ~RecordingLauncher() override { InstallLauncher(nullptr); }
    bool StartProgram(const QString& program, const QString& argument) override {
        calls << program + QStringLiteral(" | ") + argument;
        return true;
    }
    bool OpenWithDesktop(const QUrl& url) override {
        calls << QStringLiteral("desktop | ") + url.toString();
        return true;
    }
    QStringList calls;
};

struct ItemSpec {
    QString title;
    QString link;
    QString description;
    QString enclosure;          // an audio address, or empty
    QString author = QString(); // the RSS author element's text, or empty
};

// A database filled through the merge from feeds the loopback server serves, and the real main
// view started on it, shown on the offscreen platform.
class ScreensTest : public ::testing::Test {
public:
    CFeedListScreen* Feeds() const { return view_->FeedListScreen(); }
    CItemListScreen* Items() const { return view_->ItemListScreen(); }
    int FeedRows() const { return Feeds()->List()->model()->rowCount(); }
    int SelectedFeedRow() const { return Feeds()->List()->currentIndex().row(); }
    int FeedIcon(qint32 feedID) const {
        const int row = RowOf(Feeds(), CFeedListModel::FeedIdRole, feedID);
        return Feeds()->List()->model()->index(row, 0).data(CFeedListModel::IconIndexRole).toInt();
    }

protected:
    void SetUp() override {
        // A window closed after a run leaves the transfers' cancel flag raised (the program
        // ends with it, and each run lowers it when it starts); the downloads here come first.
        CHttpDownloader::CancelRequested = false;
        TheAppSettings().installFolder = env_.Path(QStringLiteral("install"));
        TheAppSettings().audioFolder = env_.Path(QStringLiteral("audio"));
        dbPath_ = env_.Path(QStringLiteral("rss.qpdb"));
        db_.SetAudioFolder(TheAppSettings().audioFolder);
        ASSERT_TRUE(db_.CreateDatabase(dbPath_, false, false));
        ASSERT_EQ(db_.OpenDatabase(dbPath_, true), 1);
        store_.Write(Key::Database, dbPath_);
        store_.Write(Key::FirstTime, 0);
    }

    void TearDown() override { view_.reset(); }

    // Serves a feed, adds it and merges it as a download would; items are dated an hour apart,
    // the first the newest.
    qint32 AddFeed(const QString& title, const QList<ItemSpec>& items,
                   qint16 maxItems = CFeedRecord().MaxItems) {
        const std::string path = "/feed" + std::to_string(++feeds_) + ".xml";
        server_.SetBody(path, Rss(title, items));
        CFeedRecord feed;
        feed.FeedID = NewRecordID();
        feed.Title = title;
        feed.FeedUrl = server_.Url(path);
        feed.MaxItems = maxItems;
        feed.ExtendedAudio = std::any_of(items.begin(), items.end(), [](const ItemSpec& item) {
            return !item.enclosure.isEmpty();
        });
        EXPECT_TRUE(db_.InsertFeed(feed, 0, 0));
        const QString file = env_.Path(QStringLiteral("download.xml"));
        EXPECT_TRUE(CHttpDownloader::Download(feed.FeedUrl, file, false, QString(), false));
        EXPECT_TRUE(db_.MergeFeedFile(feed.FeedID, file, nullptr));
        return feed.FeedID;
    }

    static QByteArray Rss(const QString& title, const QList<ItemSpec>& items) {
        QString xml = QStringLiteral("<rss version=\"2.0\"><channel><title>%1</title>"
                                     "<link>http://127.0.0.1/</link>")
                          .arg(title);
        const QDateTime newest = QDateTime::currentDateTimeUtc().addSecs(-60);
        for (int i = 0; i < items.size(); ++i) {
            const ItemSpec& item = items[i];
            xml += QStringLiteral("<item><title>%1</title><guid>%2-%3</guid><pubDate>%4</pubDate>")
                       .arg(item.title.toHtmlEscaped(), title)
                       .arg(i)
                       .arg(newest.addSecs(-3600 * i).toString(Qt::RFC2822Date));
            if (!item.link.isEmpty())
                xml += QStringLiteral("<link>%1</link>").arg(item.link.toHtmlEscaped());
            if (!item.description.isEmpty())
                xml += QStringLiteral("<description><![CDATA[%1]]></description>")
                           .arg(item.description);
            if (!item.author.isEmpty())
                xml += QStringLiteral("<author>%1</author>").arg(item.author.toHtmlEscaped());
            if (!item.enclosure.isEmpty())
                xml += QStringLiteral("<enclosure url=\"%1\" length=\"2048\" "
                                      "type=\"audio/mpeg\"/>")
                           .arg(item.enclosure);
            xml += QStringLiteral("</item>");
        }
        return (xml + QStringLiteral("</channel></rss>")).toUtf8();
    }

    static QList<ItemSpec> Items(int count) {
        QList<ItemSpec> items;
        for (int i = 0; i < count; ++i)
            items << ItemSpec{QStringLiteral("Story %1").arg(i),
                              QStringLiteral("http://example.org/story%1").arg(i),
                              QStringLiteral("Text of story %1").arg(i), QString()};
        return items;
    }

    qint32 AddView(qint32 viewID, const QString& label, const QList<qint32>& feeds,
                   const QString& keywords = QString()) {
        CViewRecord view;
        view.ViewID = viewID;
        view.Label = label;
        view.Keywords = keywords;
        view.HideAfter = 0;
        EXPECT_TRUE(db_.InsertView(view));
        if (!feeds.isEmpty()) {
            EXPECT_TRUE(db_.SetViewFeeds(viewID, feeds));
        }
        return viewID;
    }

    // The Feed's items in list order.
    QList<qint32> ItemIDs(qint32 feedID) {
        db_.LoadFeedItems(feedID, 0);
        QList<qint32> ids;
        for (const CFeedItemRecord& item : db_.ItemList)
            ids << item.FeedItemID;
        return ids;
    }

    qint16 ItemStatus(qint32 feedItemID) {
        const auto item = db_.GetItem(feedItemID);
        return item ? item->Status : qint16(-1);
    }

    void StartView() {
        view_ = std::make_unique<CQuillpostView>(StartOptions{}, [] { return true; });
        view_->resize(640, 480);
        view_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
        view_->RunStartupSequence();
        view_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view_.get()));
    }

    void Press(Qt::Key key) { QTest::keyClick(view_.get(), key); }

    static int RowOf(CListScreen* screen, int role, qint32 id) {
        QAbstractItemModel* model = screen->List()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 0).data(role).toInt() == id)
                return row;
        return -1;
    }

    void Select(CListScreen* screen, int row) {
        screen->List()->setCurrentIndex(screen->List()->model()->index(row, 0));
    }

    // Opens the Feed's items as a user would: double-click on its row.
    void OpenFeed(qint32 feedID) {
        const int row = RowOf(Feeds(), CFeedListModel::FeedIdRole, feedID);
        ASSERT_GE(row, 0);
        QListView* list = Feeds()->List();
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    // The row's context menu, opened as a right click opens it.
    QMenu* ContextMenu(CListScreen* screen, int row) {
        QListView* list = screen->List();
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
        return screen->OpenMenu();
    }

    // Entries as shown: "-" for a separator, "Views>" before the entries of the sub-menu.
    static QStringList Entries(const QMenu* menu, const QString& prefix = QString()) {
        QStringList entries;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                entries << QStringLiteral("-");
            else if (action->menu())
                entries << Entries(action->menu(), action->text() + u'>');
            else
                entries << prefix + action->text();
        }
        return entries;
    }

    static bool Trigger(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions()) {
            if (action->menu() && Trigger(action->menu(), text))
                return true;
            if (!action->menu() && action->text() == text) {
                menu->close();
                action->trigger();
                return true;
            }
        }
        return false;
    }

    TestEnvironment env_;
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    ScriptedPrompt prompt_;
    RecordingLauncher launcher_;
    LoopbackServer server_;
    CRssDatabase db_;
    QString dbPath_;
    std::unique_ptr<CQuillpostView> view_;
    int feeds_ = 0;
};
