// The tray icon: unread count, last run and its menu.

#include "gui/desktop/TrayIcon.h"

#include "gui/desktop/Icons.h"

#include <QAction>
#include <QMenu>

CTrayIcon::CTrayIcon(QWidget* window, QAction* updateAll, QObject* parent)
    : QSystemTrayIcon(ApplicationIcon(), parent), window_(window), menu_(new QMenu(window)) {
    menu_->setObjectName(QStringLiteral("TrayMenu"));
    menu_->addAction(QStringLiteral("Show Quillpost"), this, &CTrayIcon::BringWindowForward);
    menu_->addAction(updateAll);
    menu_->addSeparator();
    lastRun_ = menu_->addAction(QStringLiteral("No update yet"));
    // A line to read, not a command.
    lastRun_->setEnabled(false);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Quit"), this, &CTrayIcon::quitRequested);
    setContextMenu(menu_);
    SetUnreadCount(0);
    connect(this, &QSystemTrayIcon::activated, this, [this](ActivationReason reason) {
        if (reason == Trigger || reason == DoubleClick)
            BringWindowForward();
    });
}

void CTrayIcon::SetUnreadCount(int unread) {
    setToolTip(unread == 0
                   ? QStringLiteral("Quillpost \u2014 no unread items")
                   : QStringLiteral("Quillpost \u2014 %1 unread %2")
                         .arg(unread)
                         .arg(unread == 1 ? QStringLiteral("item") : QStringLiteral("items")));
}

void CTrayIcon::SetLastRun(const QString& summary) {
    lastRun_->setText(QStringLiteral("Last update: ") + summary);
}

void CTrayIcon::BringWindowForward() {
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}
