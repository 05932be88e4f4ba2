// Whether the machine is online, and connecting when it is not.

#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Whether the machine has a usable route to the Internet right now.
using ConnectivityProbe = std::function<bool()>;

// Whether the machine is online: the system's network information (NetworkManager or GLib) when
// it says so, else whether the kernel has a default route. Where neither answers the machine
// counts as online, so that a download fails with its own reason rather than being refused.
bool SystemIsOnline();

// Loads a back-end of the system's network information once. Only the application's main thread
// loads one (it delivers the back-end's changes); on any other thread this does nothing.
void LoadNetworkInformation();
// What the loaded back-end reports; none without one or while it does not know.
std::optional<bool> NetworkInformationSaysOnline();
// Whether the kernel's routing tables hold a default route; none when they cannot be read.
std::optional<bool>
RoutingTablesSayOnline(const QString& ipv4Table = QStringLiteral("/proc/net/route"),
                       const QString& ipv6Table = QStringLiteral("/proc/net/ipv6_route"));
// A default route in the text of /proc/net/route or of /proc/net/ipv6_route.
bool HasDefaultIPv4Route(const QByteArray& table);
bool HasDefaultIPv6Route(const QByteArray& table);
// Whether the address's host is this machine or on the local network (loopback, private and
// link-local addresses, "localhost", single-label and ".local" names): such a host is reached
// without a route to the Internet.
bool IsLocalNetworkAddress(const QString& url);

// Sleeps; on the main thread it goes on delivering events meanwhile, the network
// information's changes among them.
void WaitDeliveringNetworkChanges(int milliseconds);

// The connection a download run needs: found up, or waited for, and watched while the run
// holds it, so that the run can stop when the network goes away.
class CInternetConnection {
public:
    explicit CInternetConnection(ConnectivityProbe probe = SystemIsOnline);
    ~CInternetConnection();
    CInternetConnection(const CInternetConnection&) = delete;
    CInternetConnection& operator=(const CInternetConnection&) = delete;

    // 0 when a connection is up now, else 1.
    int CheckConnected();
    // Starts watching the connection; Connected follows it until Disconnect.
    int ConnectAsync();
    // Watches and waits up to 20 × 500 ms for the connection; 0 when it is up.
    int ConnectAndWait();
    void Disconnect();

    std::atomic<bool> Connected{false};

    static constexpr int WatchIntervalMs = 500;

private:
    void Watch();

    ConnectivityProbe probe_;
    std::thread watcher_;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopRequested_ = false;
};
