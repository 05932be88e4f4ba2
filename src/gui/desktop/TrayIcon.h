// The program's icon in the desktop's tray.

#pragma once

#include <QSystemTrayIcon>

class QAction;
class QMenu;

// The program's icon in the desktop's tray (StatusNotifierItem or XEmbed): its tooltip tells the
// unread items, a click brings the window forward, and its menu has Update All, what the last
// run brought and Quit.
class CTrayIcon : public QSystemTrayIcon {
    Q_OBJECT
public:
    CTrayIcon(QWidget* window, QAction* updateAll, QObject* parent = nullptr);

    void SetUnreadCount(int unread);
    void SetLastRun(const QString& summary);

    QMenu* Menu() const { return menu_; }
    QAction* LastRunEntry() const { return lastRun_; }

signals:
    void quitRequested();

private:
    void BringWindowForward();

    QWidget* window_;
    QMenu* menu_;
    QAction* lastRun_;
};
