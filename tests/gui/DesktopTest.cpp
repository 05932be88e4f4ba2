// The program as a desktop citizen: a quiet first start, the command line, one instance per
// user, the tray icon and the desktop notification.
#include "GuiFixture.h"
#include "gui/desktop/DesktopNotifier.h"
#include "gui/desktop/SingleInstance.h"
#include "gui/desktop/TrayIcon.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/window/DesktopPresence.h"
#include "store/FeedIconCache.h"
#include "support/LoopbackServer.h"
#include "support/TestImages.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QProcess>
#include <QWindow>
#include <thread>

namespace {

class DesktopTest : public GuiFixture {};

// A session bus of the test's own, started with dbus-run-session; the session's command prints
// the bus address and waits until the test closes its input.
class SessionBus {
public:
    SessionBus() {
        session_.start(QStringLiteral("dbus-run-session"),
                       {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                        QStringLiteral("echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat")});
        if (session_.waitForStarted() && session_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(session_.readLine()).trimmed();
    }
    ~SessionBus() {
        session_.closeWriteChannel();
        if (!session_.waitForFinished(5000))
            session_.kill();
    }
    bool Running() const { return !address_.isEmpty(); }
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess session_;
    QString address_;
};

// The desktop's notification service, on the test's bus: it records each notification as
// "summary | body | actions" and can report a click on the last one.
class NotificationListener : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationListener(QDBusConnection bus) : bus_(std::move(bus)) {}
    bool Register() {
        return bus_.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
               bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                   QDBusConnection::ExportAllSlots);
    }
    void Click() {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << lastId_ << QStringLiteral("default");
        bus_.send(signal);
    }

    QStringList received;
    // The image each notification showed, "" for none.
    QStringList images;

public slots:
    uint Notify(const QString& application, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout) {
        Q_UNUSED(application);
        Q_UNUSED(icon);
        Q_UNUSED(timeout);
        images.append(hints.value(QStringLiteral("image-path")).toString());
        received.append(summary + QStringLiteral(" | ") + body + QStringLiteral(" | ") +
                        actions.join(u','));
        lastId_ = replacesId != 0 ? replacesId : lastId_ + 1;
        return lastId_;
    }

private:
    QDBusConnection bus_;
    uint lastId_ = 0;
};

QByteArray Feed(const QString& title, int items) {
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title>";
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<item><title>%1 item %2</title><guid>%1-%2</guid></item>")
                   .arg(title)
                   .arg(i)
                   .toUtf8();
    return xml + "</channel></rss>";
}

// The real program on a fresh account: the database is made and the window runs without one
// message box (an unattended start prints each one as "caption: text").
TEST_F(DesktopTest, AFreshAccountsFirstStartShowsNoMessageBox) {
    QProcess program;
    program.start(QStringLiteral(QUILLPOST_GUI), {QStringLiteral("--quit-after-start")});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    const QString printed = QString::fromUtf8(program.readAllStandardError());
    for (const char* caption : {"First Time Use: ", "Quillpost Warnings: ", "Database Notice: "})
        EXPECT_FALSE(printed.contains(QLatin1String(caption))) << printed.toStdString();
    EXPECT_TRUE(QFileInfo::exists(TheAppSettings().installFolder + QStringLiteral("/rss.qpdb")));
    EXPECT_EQ(store_.Read(Key::FirstTime), 0);
}

// A settings-only start has no window to bring forward, so it takes no hand-over: a later start
// runs as the program's only window.
TEST_F(DesktopTest, ASettingsOnlyStartTakesNoHandOver) {
    MakeDatabase(QStringLiteral("settings.qpdb"), {QStringLiteral("One")});
    QProcess settings;
    settings.start(QStringLiteral(QUILLPOST_GUI), {QStringLiteral("/t")});
    ASSERT_TRUE(settings.waitForStarted());
    // Its settings dialog is open by now.
    QTest::qWait(1500);
    EXPECT_EQ(settings.state(), QProcess::Running);
    QLocalSocket socket;
    socket.connectToServer(CSingleInstance::ServerName());
    EXPECT_FALSE(socket.waitForConnected(500));
    settings.kill();
    settings.waitForFinished();
}

// A running instance that accepts but never answers (hung) is taken over by the next start,
// which then answers the starts after it.
TEST_F(DesktopTest, AStartTakesOverFromAnUnresponsiveInstance) {
    QLocalServer hung;
    QLocalServer::removeServer(CSingleInstance::ServerName());
    ASSERT_TRUE(hung.listen(CSingleInstance::ServerName()));
    // This thread runs no event loop meanwhile: the connection is made but never read.
    CSingleInstance next;
    EXPECT_FALSE(next.HandOverToRunningInstance(QStringLiteral("https://127.0.0.1/feed")));
    ASSERT_TRUE(next.Listen());
    QString received;
    QObject::connect(&next, &CSingleInstance::activationRequested,
                     [&](const QString& argument) { received = argument; });
    bool handedOver = false;
    std::thread later([&] {
        handedOver = CSingleInstance().HandOverToRunningInstance(QStringLiteral("/var/tmp/x.opml"));
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 8000));
    later.join();
    EXPECT_TRUE(handedOver);
    EXPECT_EQ(received, QStringLiteral("/var/tmp/x.opml"));
}

// A run brings new items: the window title and the tray tooltip count them, the tray menu says
// what the run brought, a notification goes to the desktop's service over D-Bus, and a click on
// it shows Whats New. With notifications turned off the run says nothing to the desktop.
TEST_F(DesktopTest, ARunWithNewItemsIsCountedAndNotified) {
    SessionBus bus;
    ASSERT_TRUE(bus.Running());
    NotificationListener listener(bus.Connect(QStringLiteral("listener")));
    ASSERT_TRUE(listener.Register());
    LoopbackServer server;
    server.SetBody("/alpha", Feed(QStringLiteral("Alpha"), 3));
    server.SetBody("/beta", Feed(QStringLiteral("Beta"), 2));
    // The feeds' site has a favicon: the notification shows it.
    server.SetBody("/favicon.ico", ImageFileBytes("ICO", Qt::darkCyan));
    MakeDatabase(QStringLiteral("tray.qpdb"), {QStringLiteral("Alpha"), QStringLiteral("Beta")},
                 server.Url("/"));
    CQuillpostView& view = Start();
    CDesktopPresence* presence = frame_->Presence();
    presence->Notifier()->UseBus(bus.Connect(QStringLiteral("notifier")));
    presence->CreateTrayIcon();
    CTrayIcon* tray = presence->TrayIcon();
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Quillpost"));

    const auto runAll = [&] {
        view.OnCommand(CQuillpostView::UpdateAllFeeds);
        return QTest::qWaitFor(
            [&] {
                return !view.ProgressScreen()->IsActive() && !view.ProgressScreen()->IsRunning();
            },
            20000);
    };
    ASSERT_TRUE(runAll());
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Quillpost (5)"));
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Quillpost \u2014 5 unread items"));
    EXPECT_EQ(tray->LastRunEntry()->text(), QStringLiteral("Last update: 5 new items in 2 feeds"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.received.size() == 1; }, 5000));
    EXPECT_EQ(listener.received[0],
              QStringLiteral("5 new items in 2 feeds | Alpha, Beta | default,Show Whats New"));
    const QString iconFile =
        CFeedIconCache(CAppSettings::FeedIconFolder()).IconFile(server.Url("/alpha"));
    ASSERT_FALSE(iconFile.isEmpty());
    EXPECT_EQ(listener.images[0], QUrl::fromLocalFile(iconFile).toString());

    listener.Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.ActiveScreen() == CItemListScreen::Id; }, 5000));
    EXPECT_EQ(store_.Read(Key::ItemViewCurrentViewID), int(WhatsNewViewID));

    store_.Write(Key::Notifications, 0);
    server.SetBody("/beta", Feed(QStringLiteral("Beta"), 3));
    ASSERT_TRUE(runAll());
    EXPECT_EQ(tray->LastRunEntry()->text(), QStringLiteral("Last update: 1 new item in 1 feed"));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Quillpost (6)"));
    QTest::qWait(300);
    EXPECT_EQ(listener.received.size(), 1);
}

// The tray menu's entries; closing the window from the desktop hides it in the tray when the
// user chose so (off by default), while Exit still ends the program.
TEST_F(DesktopTest, TheWindowClosesToTheTrayOnlyWhenChosen) {
    MakeDatabase(QStringLiteral("close.qpdb"), {QStringLiteral("One")});
    for (const bool closeToTray : {false, true}) {
        SCOPED_TRACE(closeToTray);
        if (closeToTray)
            store_.Write(Key::CloseToTray, 1);
        Start();
        frame_->Presence()->CreateTrayIcon();
        CTrayIcon* tray = frame_->Presence()->TrayIcon();
        QStringList entries;
        for (QAction* action : tray->Menu()->actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(entries, QStringList({"Show Quillpost", "Update All Feeds", "-", "No update yet",
                                        "-", "Quit"}));
        // The window manager's close: the window closes, or is only hidden in the tray.
        EXPECT_EQ(frame_->windowHandle()->close(), !closeToTray);
        EXPECT_FALSE(frame_->isVisible());
        if (closeToTray) {
            // Still running: the tray brings it back.
            emit tray->activated(QSystemTrayIcon::Trigger);
            EXPECT_TRUE(frame_->isVisible());
            frame_->View()->OnCommand(CQuillpostView::Exit);
            EXPECT_TRUE(QTest::qWaitFor([this] { return !frame_->isVisible(); }));
        }
        frame_.reset();
    }
}

} // namespace

#include "DesktopTest.moc"
