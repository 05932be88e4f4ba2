// Makes the README's pictures from the real widgets: a demonstration database filled through
// the merge from feeds served on the loopback address, the main window on the offscreen
// platform, and one picture per screen. Usage: quillpost-screenshots FOLDER
#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "gui/FeedListScreen.h"
#include "gui/ItemListScreen.h"
#include "gui/MainFrame.h"
#include "gui/QuillpostView.h"
#include "net/HttpDownloader.h"
#include "store/RssDatabase.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"
#include "text/RecordId.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QTest>

namespace {

struct DemoItem {
    const char* title;
    const char* text;
};

struct DemoFeed {
    const char* title;
    std::vector<DemoItem> items;
};

const std::vector<DemoFeed>& DemoFeeds() {
    static const std::vector<DemoFeed> feeds = {
        {"Harbour Town Gazette",
         {{"Council approves the new tram line to the harbour",
           "<p>After two years of consultation the council voted 31 to 9 for the "
           "<b>harbour tram</b>. Work on the first section starts in March; the line should "
           "carry 12 000 passengers a day.</p><p>Residents of the old town asked for quieter "
           "night works and a bus replacement during the closures. "
           "<a href='https://example.org/tram-plan'>Read the full plan</a>.</p>"},
          {"Lighthouse reopens after restoration", "<p>The 1873 lighthouse is open again.</p>"},
          {"Ferry timetable changes for the winter", "<p>Fewer crossings from November.</p>"},
          {"Fish market moves to the east quay", "<p>The market opens at 6 on Saturdays.</p>"}}},
        {"Open Source Weekly",
         {{"Kernel 7.2 released with a new scheduler", "<p>Faster on small machines.</p>"},
          {"Desktop environments agree on a notification spec", "<p>Finally.</p>"},
          {"A decade of reproducible builds", "<p>What changed since 2015.</p>"}}},
        {"The Science Desk",
         {{"Comet visible to the naked eye next week", "<p>Look north-west after dusk.</p>"},
          {"Why octopuses dream", "<p>A new study of sleep in cephalopods.</p>"}}},
        {"Morning Podcast", {{"Episode 112: Tides and trams", "<p>Our weekly show.</p>"}}},
        {"City Sports", {{"Rowing club wins the autumn regatta", "<p>Third year running.</p>"}}},
    };
    return feeds;
}

QByteArray Rss(const DemoFeed& feed) {
    QString xml = QStringLiteral("<rss version=\"2.0\"><channel><title>%1</title>")
                      .arg(QString::fromUtf8(feed.title));
    const QDateTime newest = QDateTime::currentDateTimeUtc().addSecs(-600);
    for (std::size_t i = 0; i < feed.items.size(); ++i)
        xml += QStringLiteral("<item><title>%1</title><link>https://example.org/%2</link>"
                              "<pubDate>%3</pubDate><description><![CDATA[%4]]></description>"
                              "</item>")
                   .arg(QString::fromUtf8(feed.items[i].title))
                   .arg(i)
                   .arg(newest.addSecs(-5400 * qint64(i)).toString(Qt::RFC2822Date),
                        QString::fromUtf8(feed.items[i].text));
    return (xml + QStringLiteral("</channel></rss>")).toUtf8();
}

void FillDemoDatabase(CRssDatabase& db, LoopbackServer& server, const QString& downloadPath) {
    QList<qint32> newsFeeds;
    for (std::size_t f = 0; f < DemoFeeds().size(); ++f) {
        const std::string path = "/demo" + std::to_string(f) + ".xml";
        server.SetBody(path, Rss(DemoFeeds()[f]));
        CFeedRecord feed;
        feed.FeedID = NewRecordID();
        feed.Title = QString::fromUtf8(DemoFeeds()[f].title);
        feed.FeedUrl = server.Url(path);
        db.InsertFeed(feed, 0, 0);
        CHttpDownloader::Download(feed.FeedUrl, downloadPath, false, QString(), false);
        db.MergeFeedFile(feed.FeedID, downloadPath, nullptr);
        if (f < 2)
            newsFeeds << feed.FeedID;
    }
    CViewRecord view;
    view.ViewID = NewRecordID();
    view.Label = QStringLiteral("Local News");
    db.InsertView(view);
    db.SetViewFeeds(view.ViewID, newsFeeds);
    // Some of it read, a Feed read through, one item kept.
    db.LoadFeedList(false);
    db.SetFeedStatus(db.FeedList[3].FeedID, 3);
    db.LoadFeedItems(newsFeeds[0], 0);
    db.SetItemStatus(db.ItemList[1].FeedItemID, 2);
    db.SetItemStatus(db.ItemList[2].FeedItemID, 3);
}

void Save(QWidget* window, const QString& path) {
    QCoreApplication::processEvents();
    window->grab().save(path);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        qWarning("usage: quillpost-screenshots FOLDER");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    TestEnvironment env;
    LoopbackServer server;
    TheAppSettings().installFolder = env.Path(QStringLiteral("install"));
    TheAppSettings().audioFolder = env.Path(QStringLiteral("audio"));
    const QString dbPath = env.Path(QStringLiteral("rss.qpdb"));
    {
        CRssDatabase db;
        db.CreateDatabase(dbPath, false, false);
        db.OpenDatabase(dbPath, false);
        FillDemoDatabase(db, server, env.Path(QStringLiteral("download.xml")));
    }
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.Write(Key::Database, dbPath);
    store.Write(Key::FirstTime, 0);
    store.Write(Key::ShowFVDates, 1);

    CMainFrame frame{StartOptions{}};
    frame.resize(760, 560);
    frame.show();
    QTest::qWaitForWindowExposed(&frame);
    CQuillpostView* view = frame.View();
    view->RunStartupSequence();
    view->SwitchScreen(CFeedListScreen::Id);
    Save(&frame, folder + QStringLiteral("/feed-list.png"));

    CFeedListScreen* feeds = view->FeedListScreen();
    feeds->List()->setCurrentIndex(feeds->List()->model()->index(0, 0));
    emit feeds->feedActivated(feeds->SelectedFeedID());
    view->ItemListScreen()->List()->setCurrentIndex(
        view->ItemListScreen()->List()->model()->index(0, 0));
    Save(&frame, folder + QStringLiteral("/item-list.png"));
    view->ItemListScreen()->EnterReadingMode();
    Save(&frame, folder + QStringLiteral("/reading.png"));
    return 0;
}
