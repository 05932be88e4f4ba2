// The main window on the desktop: title, tray icon, notifications and closing to the tray.

#include "gui/window/DesktopPresence.h"

#include "config/RegistrySettings.h"
#include "gui/desktop/DesktopNotifier.h"
#include "gui/desktop/TrayIcon.h"
#include "gui/window/QuillpostView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>

CDesktopPresence::CDesktopPresence(QMainWindow* window, CQuillpostView* view)
    : QObject(window), window_(window), view_(view), notifier_(new CDesktopNotifier(this)) {
    if (CRegistrySettings::ForQuillpost().Read(Key::TrayIcon) != 0 &&
        QSystemTrayIcon::isSystemTrayAvailable())
        CreateTrayIcon();
    connect(view_, &CQuillpostView::unreadCountChanged, this, &CDesktopPresence::OnUnreadCount);
    connect(view_, &CQuillpostView::feedRunFinished, this, &CDesktopPresence::OnRunFinished);
    connect(notifier_, &CDesktopNotifier::activated, this, [this] {
        window_->showNormal();
        window_->raise();
        window_->activateWindow();
        view_->ShowWhatsNew();
    });
    // Exit closes the window itself, and ends the program whatever the tray setting says.
    connect(view_, &CQuillpostView::closeRequested, this, [this] { exiting_ = true; });
    window_->installEventFilter(this);
}

void CDesktopPresence::CreateTrayIcon() {
    if (tray_)
        return;
    tray_ = new CTrayIcon(window_, view_->Action(CQuillpostView::UpdateAllFeeds), this);
    connect(tray_, &CTrayIcon::quitRequested, qApp, &QCoreApplication::quit);
    tray_->show();
}

QString CDesktopPresence::TitleWithCount(int unread) {
    return unread == 0 ? QStringLiteral("Quillpost") : QStringLiteral("Quillpost (%1)").arg(unread);
}

void CDesktopPresence::OnUnreadCount(int unread) {
    window_->setWindowTitle(TitleWithCount(unread));
    if (tray_)
        tray_->SetUnreadCount(unread);
}

void CDesktopPresence::OnRunFinished(const RunTally& tally) {
    const QString summary = RunTallyText(tally);
    if (tray_)
        tray_->SetLastRun(summary);
    if (tally.newItems > 0 && CRegistrySettings::ForQuillpost().Read(Key::Notifications) != 0)
        notifier_->Notify(summary, view_->FeedTitles(tally.feedIDs).join(QStringLiteral(", ")),
                          view_->FeedIconFile(tally.feedIDs));
}

// The window's close (not Exit) hides the window in the tray when the user chose so; the
// program and its timed reload go on.
bool CDesktopPresence::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close && !exiting_ && tray_ &&
        CRegistrySettings::ForQuillpost().Read(Key::CloseToTray) != 0) {
        event->ignore();
        window_->hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
