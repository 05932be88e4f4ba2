// Desktop notifications over the session bus.

#include "gui/desktop/DesktopNotifier.h"

#include <QDBusMessage>
#include <QUrl>
#include <QVariantMap>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
// The service's default: it decides how long the notification stays.
constexpr int ServerTimeout = -1;
} // namespace

CDesktopNotifier::CDesktopNotifier(QObject* parent)
    : QObject(parent), bus_(QDBusConnection::sessionBus()) {
    UseBus(bus_);
}

void CDesktopNotifier::UseBus(const QDBusConnection& bus) {
    bus_.disconnect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(OnActionInvoked(uint, QString)));
    bus_ = bus;
    bus_.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
}

void CDesktopNotifier::Notify(const QString& summary, const QString& body,
                              const QString& imageFile) {
    if (!bus_.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QVariantMap hints = {{QStringLiteral("desktop-entry"), QStringLiteral("quillpost")}};
    if (!imageFile.isEmpty())
        hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(imageFile).toString());
    call << QStringLiteral("Quillpost") << lastId_ << QStringLiteral("quillpost") << summary << body
         << QStringList({QStringLiteral("default"), QStringLiteral("Show Whats New")}) << hints
         << ServerTimeout;
    // Asynchronous: a missing or slow service never holds up the window.
    bus_.callWithCallback(call, this, SLOT(OnNotified(uint)));
}

void CDesktopNotifier::OnNotified(uint id) {
    lastId_ = id;
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    if (id == lastId_ && id != 0 && action == u"default")
        emit activated();
}
