#include "net/InternetConnection.h"

#include <QFile>
#include <QUrl>

namespace {

// True when a line of a kernel routing table matches.
bool AnyRoute(const char* table, const std::function<bool(const QList<QByteArray>&)>& isDefault) {
    QFile routes(QString::fromLatin1(table));
    if (!routes.open(QIODevice::ReadOnly))
        return false;
    while (!routes.atEnd())
        if (isDefault(routes.readLine().simplified().split(' ')))
            return true;
    return false;
}

} // namespace

bool SystemHasInternetRoute() {
    // IPv4: destination 00000000. IPv6: destination :: with prefix length 0, not on loopback.
    return AnyRoute("/proc/net/route",
                    [](const QList<QByteArray>& fields) {
                        return fields.size() > 1 && fields[1] == "00000000";
                    }) ||
           AnyRoute("/proc/net/ipv6_route", [](const QList<QByteArray>& fields) {
               return fields.size() > 9 && fields[0] == QByteArray(32, '0') && fields[1] == "00" &&
                      fields[9] != "lo";
           });
}

CInternetConnection::CInternetConnection(ConnectivityProbe probe) : probe_(std::move(probe)) {}

CInternetConnection::~CInternetConnection() {
    Disconnect();
}

void CInternetConnection::QueryProxy() {
    QString proxy = qEnvironmentVariable("http_proxy");
    if (proxy.isEmpty())
        proxy = qEnvironmentVariable("HTTP_PROXY");
    const QUrl url = QUrl::fromUserInput(proxy);
    HasProxy = !proxy.isEmpty() && !url.host().isEmpty();
    // The user name and password a proxy address may carry are never kept.
    ProxyServer =
        HasProxy ? url.host() + (url.port() == -1 ? QString() : u':' + QString::number(url.port()))
                 : QString();
}

int CInternetConnection::CheckConnected() {
    Connected = probe_();
    if (Connected)
        QueryProxy();
    return Connected ? 0 : 1;
}

int CInternetConnection::ConnectAsync() {
    Disconnect();
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    watcher_ = std::thread([this] { Watch(); });
    return 0;
}

// Connected follows the probe until the connection, once up, goes away, or until Disconnect.
void CInternetConnection::Watch() {
    std::unique_lock lock(mutex_);
    bool wasUp = false;
    while (!stopRequested_) {
        const bool up = probe_();
        if (up && !Connected)
            QueryProxy();
        Connected = up;
        if (wasUp && !up)
            break;
        wasUp = wasUp || up;
        stop_.wait_for(lock, std::chrono::milliseconds(WatchIntervalMs),
                       [this] { return stopRequested_; });
    }
    Connected = false;
}

int CInternetConnection::ConnectAndWait() {
    ConnectAsync();
    for (int attempt = 0; attempt < 20 && !Connected; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(WatchIntervalMs));
    return Connected ? 0 : 1;
}

void CInternetConnection::Disconnect() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    stop_.notify_all();
    if (watcher_.joinable())
        watcher_.join();
}
