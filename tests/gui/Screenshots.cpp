// Makes the README's pictures from the real widgets: quillpost_screenshots OUTPUT-FOLDER.
// Runs on a private configuration and data folder with the demonstration Feeds; the download
// page shows a run against a loopback server.
#include "app/FirstUse.h"
#include "config/AppSettings.h"
#include "gui/desktop/TrayIcon.h"
#include "gui/dialogs/DatabaseOptionsDlg.h"
#include "gui/dialogs/FeedPropertiesDlg.h"
#include "gui/dialogs/MappingDlg.h"
#include "gui/dialogs/NetworkConnectionDlg.h"
#include "gui/dialogs/SearchDlg.h"
#include "gui/dialogs/SettingsDlg.h"
#include "gui/dialogs/SyncAccountDlg.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/HelpWindow.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/window/DesktopPresence.h"
#include "gui/window/MainFrame.h"
#include "gui/window/QuillpostView.h"
#include "gui/window/WideLayout.h"
#include "gui/wizard/FeedWizardDlg.h"
#include "support/LoopbackServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>

namespace {

QString outputFolder;

void Save(const QPixmap& picture, const char* name) {
    const QString path = outputFolder + u'/' + QString::fromLatin1(name);
    if (!picture.save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// `iconUrl`, when given, is the feed's own picture.
QByteArray Feed(const QString& title, int items, const QString& iconUrl = {}) {
    static const char* const stories[] = {
        "Council approves the new tram line to the harbour",
        "Lighthouse reopens after two years of restoration",
        "Ferry timetable changes for the winter months",
        "Fish market moves to the east quay",
        "Rowing club wins the autumn regatta",
    };
    static const char* const authors[] = {"Maria Jensen", "Tom Okafor", "Lena Brandt"};
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title>";
    if (!iconUrl.isEmpty())
        xml += "<image><url>" + iconUrl.toUtf8() + "</url></image>";
    const QDateTime newest = QDateTime::currentDateTimeUtc().addSecs(-600);
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<item><title>%1</title><guid>%2-%3</guid>"
                              "<link>https://example.org/%3</link><pubDate>%4</pubDate>"
                              "<author>newsdesk@example.org (%5)</author>"
                              "<description><![CDATA[<p>After two years of consultation the "
                              "council voted 31 to 9 for the <b>harbour tram</b>. Work on the "
                              "first section starts in March; the line should carry 12 000 "
                              "passengers a day.</p><p>Residents of the old town asked for "
                              "quieter night works and a bus service during the closures. "
                              "<a href='https://example.org/plan'>Read the full plan</a>.</p>]]>"
                              "</description></item>")
                   .arg(QString::fromLatin1(stories[i % 5]), title)
                   .arg(i)
                   .arg(newest.addSecs(-5400 * i).toString(Qt::RFC2822Date))
                   .arg(QString::fromLatin1(authors[i % 3]))
                   .toUtf8();
    return xml + "</channel></rss>";
}

// A site's icon as sites draw theirs: the first letter of its name on a square of its colour.
QByteArray SiteIcon(const QString& name, int index) {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv((index * 67) % 360, 170, 185));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    QFont font;
    font.setBold(true);
    font.setPixelSize(21);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(icon.rect(), Qt::AlignCenter, name.left(1).toUpper());
    painter.end();
    return ImageFile(icon, "PNG");
}

// Each demonstration Feed's own site, which serves its icon.
struct IconSites {
    std::vector<std::unique_ptr<LoopbackServer>> servers;

    QString IconOf(const QString& title) {
        auto& site = servers.emplace_back(std::make_unique<LoopbackServer>());
        site->SetBody("/icon.png", SiteIcon(title, int(servers.size())));
        return site->Url("/icon.png");
    }
};

// Some Feeds read, one disabled, as after a while of use.
void VaryFeedStates(CRssDatabase& db) {
    db.LoadFeedList(false);
    for (std::size_t i = 0; i < db.FeedList.size(); ++i)
        if (i % 4 == 1)
            db.SetFeedStatus(db.FeedList[i].FeedID, 3);
        else if (i == 6)
            db.SetFeedStatus(db.FeedList[i].FeedID, 1);
}

// A fresh account's first start, with its note instead of message boxes, and the tray menu.
bool ShootFirstStart() {
    TestEnvironment fresh;
    TheAppSettings().Load(CRegistrySettings::ForQuillpost());
    CMainFrame frame(StartOptions{}, [] { return true; });
    frame.resize(820, 600);
    frame.show();
    if (!QTest::qWaitFor([&frame] { return frame.View()->StartupDone(); }, 10000))
        return false;
    QTest::qWait(200);
    Save(frame.grab(), "first-start.png");
    frame.Presence()->CreateTrayIcon();
    QMenu* tray = frame.Presence()->TrayIcon()->Menu();
    tray->adjustSize();
    Save(tray->grab(), "tray-menu.png");
    return true;
}

void ShootMainWindow(CMainFrame& frame) {
    Save(frame.grab(), "feed-list.png");
    // The Options menu, drawn where it opens under its button.
    auto* options = frame.findChild<QToolButton*>(QStringLiteral("OptionsButton"));
    QMenu* menu = frame.View()->MainMenu();
    menu->popup(options->mapToGlobal(QPoint(0, options->height())));
    QTest::qWait(200);
    QPixmap picture = frame.grab();
    QPainter painter(&picture);
    painter.drawPixmap(options->mapTo(&frame, QPoint(0, options->height())), menu->grab());
    painter.end();
    menu->hide();
    Save(picture, "main-menu.png");
}

// A run in progress, then cancelled; a second run goes through, so that the later pictures
// show the Feeds' icons.
void ShootProgressPage(CMainFrame& frame, LoopbackServer& server, IconSites& sites) {
    CRssDatabase& db = frame.View()->Database();
    std::vector<std::pair<std::string, QByteArray>> feeds;
    int index = 0;
    for (CFeedRecord feed : db.FeedList) {
        const std::string path = "/feed" + std::to_string(index++);
        const QByteArray body = Feed(feed.Title, 5, sites.IconOf(feed.Title));
        if (index == 3)
            feed.FeedUrl = QStringLiteral("http://127.0.0.1:9/gone.xml");
        else if (index > 5)
            server.Set(path, LoopbackServer::Slow(body, 10, 200));
        else
            server.SetBody(path, body);
        if (index != 3) {
            feed.FeedUrl = server.Url(path);
            feeds.emplace_back(path, body);
        }
        db.UpdateFeed(feed);
    }
    frame.View()->OnCommand(CQuillpostView::UpdateAllFeeds);
    CDownloadProgressWnd* page = frame.View()->ProgressScreen();
    if (!QTest::qWaitFor([page] { return page->List()->model()->rowCount() >= 7; }, 10000))
        std::fprintf(stderr, "the run did not get far enough\n");
    QTest::qWait(100);
    Save(frame.grab(), "progress.png");
    page->OnCancel();
    page->OnCancel();
    if (!QTest::qWaitFor([page] { return !page->IsActive() && !page->IsRunning(); }, 20000))
        std::fprintf(stderr, "the run did not end\n");
    for (const auto& [path, body] : feeds)
        server.SetBody(path, body);
    frame.View()->OnCommand(CQuillpostView::UpdateAllFeeds);
}

// A Feed's items with a few read and one locked, then its first item in the reading pane.
void ShootItemList(CMainFrame& frame) {
    CQuillpostView* view = frame.View();
    if (!QTest::qWaitFor([view] { return !view->ProgressScreen()->IsActive(); }, 20000))
        std::fprintf(stderr, "the run did not end\n");
    view->ReloadLists();
    CRssDatabase& db = view->Database();
    for (const CFeedRecord& feed : db.FeedList) {
        if (db.CountFeedItems(feed.FeedID, 0) == 0)
            continue;
        db.LoadFeedItems(feed.FeedID, 0);
        db.SetItemStatus(db.ItemList[1].FeedItemID, ItemRead);
        db.SetItemStatus(db.ItemList[2].FeedItemID, ItemLocked);
        db.SetItemStatus(db.ItemList[3].FeedItemID, ItemRead);
        view->ItemListScreen()->ShowFeed(feed.FeedID);
        break;
    }
    view->SwitchScreen(CItemListScreen::Id);
    QTest::qWait(100);
    Save(frame.grab(), "item-list.png");
    view->ItemListScreen()->EnterReadingMode();
    QTest::qWait(100);
    Save(frame.grab(), "reading.png");
}

// The settings with a colour selected and the RSS Mapping with an override typed in; neither
// is saved.
void ShootSettingsDialogs(CQuillpostView* view) {
    CSettingsDlg settings(view->Database(), view);
    settings.show();
    CPropertyTree* tree = settings.Tree();
    tree->Tree()->setCurrentItem(tree->Find(QStringLiteral("Html/Description View"))->child(1));
    QTest::qWait(100);
    Save(settings.grab(), "settings.png");
    settings.hide();

    CMappingDlg mapping(view);
    mapping.FormatChooser()->setCurrentIndex(5);
    mapping.Table()
        ->item(CMappingDlg::DateRow, CMappingDlg::OverrideColumn)
        ->setText(QStringLiteral("dc:date"));
    mapping.show();
    QTest::qWait(100);
    Save(mapping.grab(), "mapping.png");
    mapping.hide();
}

// A search with its results, once the download run has filled the database.
void ShootSearch(CQuillpostView* view) {
    CSearchDlg search(view->Database(), view);
    search.show();
    search.TermEdit()->setText(QStringLiteral("harbour"));
    search.GoButton()->click();
    QTRY_VERIFY(!search.IsSearching());
    QTest::qWait(100);
    Save(search.grab(), "search.png");
}

void ShootDialogs(CQuillpostView* parent) {
    CDatabaseOptionsDlg options(parent);
    options.Choose(CDatabaseOptionsDlg::Create);
    options.show();
    QTest::qWait(100);
    Save(options.grab(), "database-options.png");
    options.hide();

    CNetworkConnectionDlg network(parent);
    network.show();
    QTest::qWait(100);
    Save(network.grab(), "network-connection.png");
    network.hide();

    // Filled in as before Test; where the password goes is said below.
    CSyncAccountDlg account(parent->Database(), parent);
    account.AddressEdit()->setText(QStringLiteral("https://rss.example.org/tt-rss/"));
    account.UserEdit()->setText(QStringLiteral("alice"));
    account.PasswordEdit()->setText(QStringLiteral("correct horse"));
    account.show();
    QTest::qWait(100);
    Save(account.grab(), "server-account.png");
    account.hide();

    ShootSettingsDialogs(parent);

    CHelpWindow help(QStringLiteral("help.htm"), parent);
    help.show();
    QTest::qWait(100);
    Save(help.grab(), "help.png");
}

// The first Feed's properties with its settings open and the priority selected.
void ShootFeedProperties(QWidget* parent) {
    CRssDatabase db;
    db.OpenDatabase(TheAppSettings().DatabasePath(), false);
    db.LoadViewList();
    db.LoadFeedList(false);
    if (db.FeedList.empty())
        return;
    CFeedPropertiesDlg dialog(db, db.FeedList.front().FeedID, parent);
    CPropertyTree& tree = *dialog.Tree();
    tree.OpenCategory(tree.Find(QStringLiteral("Settings")));
    tree.Tree()->setCurrentItem(tree.Find(QStringLiteral("Priority")));
    dialog.show();
    QTest::qWait(100);
    Save(dialog.grab(), "feed-properties.png");
}

// The wizard's first page, its "Add a New Feed" page with an address from the clipboard, and
// the properties of a feed it read.
void ShootFeedWizard(CMainFrame& frame, LoopbackServer& server) {
    QApplication::clipboard()->setText(QStringLiteral("https://lwn.net/headlines/rss"));
    CFeedWizardDlg wizard(
        frame.View()->Database(), [] { return true; }, &frame);
    wizard.show();
    QTest::qWait(100);
    Save(wizard.grab(), "feed-wizard.png");
    auto* next = wizard.findChild<QPushButton*>(QStringLiteral("NextButton"));
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::qWait(100);
    Save(wizard.grab(), "feed-wizard-address.png");
    server.SetBody("/harbour.xml", Feed(QStringLiteral("Harbour Town News"), 5));
    auto* address = wizard.findChild<QLineEdit*>(QStringLiteral("AddressEdit"));
    address->setText(server.Url("/harbour.xml"));
    QTest::mouseClick(next, Qt::LeftButton);
    if (!QTest::qWaitFor(
            [&wizard] { return wizard.CurrentPage() == CFeedWizardDlg::PropertiesPage; }, 10000))
        std::fprintf(stderr, "the wizard did not read the feed\n");
    QTest::qWait(100);
    Save(wizard.grab(), "feed-wizard-properties.png");
}

// The desktop's dark colours, as a dark theme sets them.
QPalette DarkPalette() {
    QPalette dark;
    const QColor window(45, 45, 48), base(30, 30, 32), text(220, 220, 222);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, QColor(38, 38, 41));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(110, 170, 240));
    dark.setColor(QPalette::PlaceholderText, QColor(140, 140, 145));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 125));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 125));
    return dark;
}

// The wide layout at two sizes, light and dark, with a Feed of the demonstration run selected
// and its third item in the reading pane.
void ShootWideLayout(CMainFrame& frame) {
    CQuillpostView* view = frame.View();
    frame.View()->OnCommand(CQuillpostView::LayoutAutomatic);
    const struct {
        QSize size;
        bool dark;
        const char* name;
    } shots[] = {{{1280, 800}, false, "wide-1280.png"},
                 {{1920, 1080}, false, "wide-1920.png"},
                 {{1280, 800}, true, "wide-1280-dark.png"},
                 {{1920, 1080}, true, "wide-1920-dark.png"}};
    const QPalette light = QApplication::palette();
    for (const auto& shot : shots) {
        QApplication::setPalette(shot.dark ? DarkPalette() : light);
        frame.resize(shot.size);
        QTest::qWait(100);
        if (!view->IsWide()) {
            std::fprintf(stderr, "the window did not take the wide layout\n");
            return;
        }
        QTableView* table = view->ItemListScreen()->Table();
        // Selected afresh, so that the article is drawn in the palette of this shot.
        table->setCurrentIndex(table->model()->index(0, 0));
        table->setCurrentIndex(table->model()->index(2, 0));
        QTest::qWait(150);
        Save(frame.grab(), shot.name);
    }
    QApplication::setPalette(light);
    frame.resize(820, 600);
    QTest::qWait(100);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillpost_screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    outputFolder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outputFolder);

    if (!ShootFirstStart())
        return 1;
    TestEnvironment env;
    ScriptedPrompt prompt;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    TheAppSettings().Load(store);
    QDir().mkpath(TheAppSettings().audioFolder);
    RunFirstUse(TheAppSettings().DatabasePath());
    {
        CRssDatabase db;
        db.OpenDatabase(TheAppSettings().DatabasePath(), false);
        VaryFeedStates(db);
    }
    LoopbackServer server;
    IconSites sites;
    CMainFrame frame(StartOptions{}, [] { return true; });
    frame.resize(820, 600);
    frame.show();
    if (!QTest::qWaitFor([&frame] { return frame.View()->StartupDone(); }, 10000))
        return 1;
    QTest::qWait(200);
    ShootMainWindow(frame);
    ShootDialogs(frame.View());
    ShootProgressPage(frame, server, sites);
    ShootItemList(frame);
    ShootWideLayout(frame);
    ShootFeedProperties(&frame);
    ShootFeedWizard(frame, server);
    ShootSearch(frame.View());
    return 0;
}
