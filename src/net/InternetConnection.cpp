// Whether the machine is online, from the system's network information or the routing table.

#include "net/InternetConnection.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QNetworkInformation>
#include <QThread>
#include <QUrl>

namespace {

using Reachability = QNetworkInformation::Reachability;

// What the loaded back-end last reported, where every thread may read it: the back-end itself
// lives on the main thread, which delivers its changes.
std::atomic<bool> backendLoaded{false};
std::atomic<int> reportedReachability{int(Reachability::Unknown)};

constexpr int EventSliceMs = 20;

bool OnMainThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

std::optional<QByteArray> ReadWhole(const QString& path) {
    // Files under /proc report the size 0: only reading to the end gives their text.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool AnyLine(const QByteArray& table, const std::function<bool(const QList<QByteArray>&)>& match) {
    for (const QByteArray& line : table.split('\n'))
        if (match(line.simplified().split(' ')))
            return true;
    return false;
}

} // namespace

// The platform's default back-end (NetworkManager) where its service runs, else any that
// reports reachability (GLib's network monitor). Tried once, on the main thread.
void LoadNetworkInformation() {
    static bool tried = false;
    if (tried || !OnMainThread())
        return;
    tried = true;
    if (!QNetworkInformation::loadDefaultBackend() &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation* information = QNetworkInformation::instance();
    if (!information || !information->supports(QNetworkInformation::Feature::Reachability))
        return;
    reportedReachability = int(information->reachability());
    QObject::connect(information, &QNetworkInformation::reachabilityChanged, information,
                     [](Reachability reachability) { reportedReachability = int(reachability); });
    backendLoaded = true;
}

void WaitDeliveringNetworkChanges(int milliseconds) {
    if (!OnMainThread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(deadline.remainingTime()));
        std::this_thread::sleep_for(std::chrono::milliseconds(
            qMin<qint64>(EventSliceMs, qMax<qint64>(deadline.remainingTime(), 0))));
    }
}

bool HasDefaultIPv4Route(const QByteArray& table) {
    // Destination 00000000.
    return AnyLine(table, [](const QList<QByteArray>& fields) {
        return fields.size() > 1 && fields[1] == "00000000";
    });
}

bool HasDefaultIPv6Route(const QByteArray& table) {
    // Destination :: with prefix length 0, not the loopback's "unreachable" entry.
    return AnyLine(table, [](const QList<QByteArray>& fields) {
        return fields.size() > 9 && fields[0] == QByteArray(32, '0') && fields[1] == "00" &&
               fields[9] != "lo";
    });
}

std::optional<bool> RoutingTablesSayOnline(const QString& ipv4Table, const QString& ipv6Table) {
    const std::optional<QByteArray> ipv4 = ReadWhole(ipv4Table);
    const std::optional<QByteArray> ipv6 = ReadWhole(ipv6Table);
    if (!ipv4 && !ipv6)
        return std::nullopt;
    return (ipv4 && HasDefaultIPv4Route(*ipv4)) || (ipv6 && HasDefaultIPv6Route(*ipv6));
}

std::optional<bool> NetworkInformationSaysOnline() {
    LoadNetworkInformation();
    if (!backendLoaded)
        return std::nullopt;
    const auto reachability = Reachability(reportedReachability.load());
    if (reachability == Reachability::Unknown)
        return std::nullopt;
    return reachability == Reachability::Online;
}

bool IsLocalNetworkAddress(const QString& url) {
    const QString host = QUrl(url).host().toLower();
    if (host.isEmpty())
        return false;
    const QHostAddress address(host);
    if (address.isNull())
        return host == u"localhost" || host.endsWith(u".localhost") || !host.contains(u'.') ||
               host.endsWith(u".local") || host.endsWith(u".home.arpa");
    static const QList<QPair<QHostAddress, int>> privateRanges = {
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16"))};
    for (const auto& range : privateRanges)
        if (address.isInSubnet(range))
            return true;
    return address.isLoopback() || address.isLinkLocal() || address.isUniqueLocalUnicast();
}

// The back-end's word that the machine is online is taken; its word that it is offline is
// checked against the kernel, because a back-end may miss the network coming back (Qt's GLib
// back-end keeps reporting the state it started with), and a window started offline would then
// never download again.
bool SystemIsOnline() {
    const std::optional<bool> reported = NetworkInformationSaysOnline();
    if (reported.value_or(false))
        return true;
    return RoutingTablesSayOnline().value_or(reported.value_or(true));
}

CInternetConnection::CInternetConnection(ConnectivityProbe probe) : probe_(std::move(probe)) {}

CInternetConnection::~CInternetConnection() {
    Disconnect();
}

int CInternetConnection::CheckConnected() {
    Connected = probe_();
    return Connected ? 0 : 1;
}

int CInternetConnection::ConnectAsync() {
    Disconnect();
    std::lock_guard lock(mutex_);
    stopRequested_ = false;
    watcher_ = std::thread([this] { Watch(); });
    return 0;
}

// Connected follows the probe until the connection, once up, goes away, or until Disconnect.
void CInternetConnection::Watch() {
    std::unique_lock lock(mutex_);
    bool wasUp = false;
    while (!stopRequested_) {
        const bool up = probe_();
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
        WaitDeliveringNetworkChanges(WatchIntervalMs);
    return Connected ? 0 : 1;
}

// Safe from several threads at once: only the first takes the watcher to join.
void CInternetConnection::Disconnect() {
    std::thread watcher;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
        watcher = std::move(watcher_);
    }
    stop_.notify_all();
    if (watcher.joinable())
        watcher.join();
}
