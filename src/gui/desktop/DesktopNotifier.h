// Desktop notifications over the session bus.

#pragma once

#include <QDBusConnection>
#include <QObject>

// Desktop notifications through the notification service of the session bus
// (org.freedesktop.Notifications), which every Linux desktop runs. Each notification replaces
// the previous one of the program; a click on it (its default action) is reported. Without a
// service nothing is shown and nothing fails.
class CDesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit CDesktopNotifier(QObject* parent = nullptr);

    // The bus to talk to; the session bus unless changed.
    void UseBus(const QDBusConnection& bus);
    // `imageFile`, when given, is shown with it (a feed's icon).
    void Notify(const QString& summary, const QString& body, const QString& imageFile = {});

signals:
    // The user clicked the notification last sent.
    void activated();

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotified(uint id);

private:
    QDBusConnection bus_;
    uint lastId_ = 0;
};
