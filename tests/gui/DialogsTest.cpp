// The main menu, help pages, network dialog and the second start.

#include "GuiFixture.h"
#include "gui/desktop/SingleInstance.h"
#include "gui/dialogs/NetworkConnectionDlg.h"
#include "gui/screens/HelpWindow.h"
#include "support/LoopbackServer.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>

namespace {

class DialogsTest : public GuiFixture {};

TEST_F(DialogsTest, TheMainMenuHasItsEntriesInOrder) {
    MakeDatabase(QStringLiteral("menu.qpdb"), {});
    CQuillpostView& view = Start();
    QStringList entries;
    for (QAction* action : view.MainMenu()->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(entries, QStringList({"Update All Feeds", "Download Audio Data", "-",
                                    "RSS Database...", "-", "Feed Wizard...", "RSS Mapping...", "-",
                                    "Quillpost Settings...", "Network Connection...",
                                    "Server Account...", "-", "Help", "-", "Exit"}));
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !frame_->isVisible(); }));
}

TEST_F(DialogsTest, HelpPagesShipWithTheProgram) {
    for (const char* page : {"help.htm", "fvInfo.htm", "ivlInfo.htm", "ivdInfo.htm", "newDB.htm",
                             "backupDB.htm", "network.htm", "mapping.htm", "settings.htm"}) {
        CHelpWindow window(QString::fromLatin1(page));
        EXPECT_FALSE(window.Browser()->document()->isEmpty()) << page;
        EXPECT_FALSE(window.windowTitle().isEmpty()) << page;
    }
    MakeDatabase(QStringLiteral("help.qpdb"), {});
    Start();
    QTest::keyClick(frame_.get(), Qt::Key_F1);
    auto* help = frame_->findChild<CHelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Quillpost Help"));
}

TEST_F(DialogsTest, NetworkDialogSavesOnOkOnlyAndAProxyNeedsAnAddress) {
    {
        CNetworkConnectionDlg dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Configure Network Connection"));
        EXPECT_TRUE(dialog.ConnectionManagerButton()->isChecked());
        EXPECT_TRUE(dialog.SystemProxyButton()->isChecked());
        EXPECT_FALSE(dialog.PortEdit()->isEnabled());
        QTest::mouseClick(dialog.DirectButton(), Qt::LeftButton, {},
                          QPoint(8, dialog.DirectButton()->height() / 2));
        QTest::mouseClick(dialog.UserProxyButton(), Qt::LeftButton, {},
                          QPoint(8, dialog.UserProxyButton()->height() / 2));
        QTest::keyClicks(dialog.PortEdit(), QStringLiteral("3128"));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    }
    EXPECT_EQ(store_.ReadInt("Settings", "UseCM", -7), -7);

    CNetworkConnectionDlg dialog;
    QTest::mouseClick(dialog.DirectButton(), Qt::LeftButton, {},
                      QPoint(8, dialog.DirectButton()->height() / 2));
    QTest::mouseClick(dialog.UserProxyButton(), Qt::LeftButton, {},
                      QPoint(8, dialog.UserProxyButton()->height() / 2));
    QTest::keyClicks(dialog.PortEdit(), QStringLiteral("3128"));
    QTest::mouseClick(dialog.AutoConnectBox(), Qt::LeftButton, {},
                      QPoint(8, dialog.AutoConnectBox()->height() / 2));
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    EXPECT_EQ(store_.Read(Key::UseCM), 0);
    EXPECT_EQ(store_.Read(Key::UseProxy), 0); // chosen, but without an address
    EXPECT_EQ(store_.Read(Key::SystemProxy), 1);
    EXPECT_EQ(store_.Read(Key::ProxyPort), QStringLiteral("3128"));
    EXPECT_EQ(store_.Read(Key::UseAutoConnect), 1);
    EXPECT_EQ(store_.Read(Key::TodayHasChanged), 1);

    CNetworkConnectionDlg reopened;
    EXPECT_TRUE(reopened.DirectButton()->isChecked());
    EXPECT_TRUE(reopened.SystemProxyButton()->isChecked());
    EXPECT_EQ(reopened.PortEdit()->text(), QStringLiteral("3128"));
    QTest::mouseClick(reopened.NoProxyButton(), Qt::LeftButton, {},
                      QPoint(8, reopened.NoProxyButton()->height() / 2));
    reopened.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(store_.Read(Key::SystemProxy), 0);
    EXPECT_TRUE(CNetworkConnectionDlg().NoProxyButton()->isChecked());
}

TEST_F(DialogsTest, TestConnectionUsesTheValuesShown) {
    LoopbackServer server;
    server.SetBody("/webcheck.xml", "<webTest><version>1</version></webTest>");
    store_.Write(Key::WebCheckUrl, server.Url("/webcheck.xml"));
    QDir().mkpath(TheAppSettings().installFolder);
    CNetworkConnectionDlg dialog;
    // A proxy that does not exist, checked but without an address: not used.
    QTest::mouseClick(dialog.DirectButton(), Qt::LeftButton, {},
                      QPoint(8, dialog.DirectButton()->height() / 2));
    QTest::mouseClick(dialog.UserProxyButton(), Qt::LeftButton, {},
                      QPoint(8, dialog.UserProxyButton()->height() / 2));
    QTest::keyClicks(dialog.PortEdit(), QStringLiteral("9"));
    QTest::mouseClick(dialog.TestButton(), Qt::LeftButton);
    EXPECT_EQ(script_.messages,
              QStringList(QStringLiteral("Success: The Internet Connection is OK.")));
    EXPECT_EQ(server.Hits("/webcheck.xml"), 1);
    // Nothing was saved by the test.
    EXPECT_EQ(store_.ReadInt("Settings", "UseCM", -7), -7);
}

// The real program in two processes: the second start hands over and ends at once.
TEST_F(DialogsTest, ASecondStartHandsOverToTheRunningProgram) {
    MakeDatabase(QStringLiteral("instance.qpdb"), {QStringLiteral("One")});
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(QStringLiteral(QUILLPOST_GUI), {});
    ASSERT_TRUE(first.waitForStarted());
    // The running one answers once it listens.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            QLocalSocket socket;
            socket.connectToServer(CSingleInstance::ServerName());
            return socket.waitForConnected(100);
        },
        10000));
    QTest::qWait(800); // its start-up sequence, and a message box it may show, are under way
    store_.Write(Key::StartMode, 1);

    QProcess second;
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(QUILLPOST_GUI), {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    // The running one took the hand-over: it opened its settings and lowered the flag.
    EXPECT_TRUE(QTest::qWaitFor([this] { return store_.Read(Key::StartMode) == 0; }, 5000));
    first.kill();
    first.waitForFinished();
}

} // namespace
