// The main window on the desktop: title, tray icon, notifications and closing to the tray.

#pragma once

#include "app/RunTally.h"

#include <QObject>

class CDesktopNotifier;
class CQuillpostView;
class CTrayIcon;
class QMainWindow;

// The main window on the desktop: the unread count in its title and in the tray icon's tooltip,
// a notification when a run brings new items (a click shows Whats New), and closing to the tray
// when the user chose it. Where no tray exists the window closes as any other.
class CDesktopPresence : public QObject {
    Q_OBJECT
public:
    CDesktopPresence(QMainWindow* window, CQuillpostView* view);

    // Null where the desktop has no tray or the user turned the icon off.
    CTrayIcon* TrayIcon() const { return tray_; }
    CDesktopNotifier* Notifier() const { return notifier_; }
    // Makes the tray icon whether or not the desktop has a tray (for the screenshots and tests).
    void CreateTrayIcon();

    static QString TitleWithCount(int unread);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnUnreadCount(int unread);
    void OnRunFinished(const RunTally& tally);

    QMainWindow* window_;
    CQuillpostView* view_;
    CTrayIcon* tray_ = nullptr;
    CDesktopNotifier* notifier_;
    bool exiting_ = false;
};
