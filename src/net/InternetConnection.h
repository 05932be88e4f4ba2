#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Whether the machine has a usable route to the Internet right now.
using ConnectivityProbe = std::function<bool()>;

// A default route in the kernel's IPv4 or IPv6 routing table.
bool SystemHasInternetRoute();

// The connection a download run needs: found up, or waited for, and watched while the run
// holds it, so that the run can stop when the network goes away.
class CInternetConnection {
public:
    explicit CInternetConnection(ConnectivityProbe probe = SystemHasInternetRoute);
    ~CInternetConnection();
    CInternetConnection(const CInternetConnection&) = delete;
    CInternetConnection& operator=(const CInternetConnection&) = delete;

    // 0 when a connection is up now, else 1. Also reads the proxy the system names.
    int CheckConnected();
    // Starts watching the connection; Connected follows it until Disconnect.
    int ConnectAsync();
    // Watches and waits up to 20 × 500 ms for the connection; 0 when it is up.
    int ConnectAndWait();
    void Disconnect();

    std::atomic<bool> Connected{false};
    // The system's HTTP proxy ("host:port"), from the environment's http_proxy.
    bool HasProxy = false;
    QString ProxyServer;

    static constexpr int WatchIntervalMs = 500;

private:
    void QueryProxy();
    void Watch();

    ConnectivityProbe probe_;
    std::thread watcher_;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopRequested_ = false;
};
