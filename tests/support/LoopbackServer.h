// The tests' HTTP/1.1 server on 127.0.0.1 and its concurrency gauge.

#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Counts the requests being answered at once by one server or by several (each server port
// stands for one host). A request counts from its connection's arrival until just before the
// last byte of its answer goes out, so a client that opens its next connection as soon as an
// answer is complete is never counted twice.
class ConcurrencyGauge {
public:
    void Opened();
    void Closed();
    int Now();
    // The most at once since the gauge was made.
    int Peak();

private:
    std::mutex mutex_;
    int now_ = 0;
    int peak_ = 0;
};

// An HTTP/1.1 server on 127.0.0.1 and a free port, inside the test process. Each path answers
// with a scripted response; unknown paths get the fallback response, 404 unless one is set.
// Connections are served at once, each on a thread of its own, and closed after one response
// unless the server is told to keep them alive.
class LoopbackServer {
public:
    struct Response {
        int status = 200;
        std::vector<std::pair<std::string, std::string>> headers;
        QByteArray body;
        bool gzip = false;        // send the body gzip-compressed with its header
        int chunkDelayMs = 0;     // pause before each chunk of the body
        int chunkBytes = 0;       // 0: the body in one piece
        bool endless = false;     // keep sending chunks until the client goes away
        bool hang = false;        // accept the request and never answer
        std::string etag;         // sent, and a matching If-None-Match gets 304
        std::string lastModified; // sent, and a matching If-Modified-Since gets 304
    };

    // `shared`, when given, counts this server's requests too, with those of other servers.
    explicit LoopbackServer(ConcurrencyGauge* shared = nullptr);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // A body sent in chunks of `chunkBytes` with a pause of `delayMs` before each.
    static Response Slow(const QByteArray& body, int chunkBytes, int delayMs);

    void Set(const std::string& path, Response response);
    void SetBody(const std::string& path, const QByteArray& body, int status = 200);
    void SetRedirect(const std::string& path, const std::string& location);
    void SetFallback(Response response);
    // Every answer waits this long before its first byte, as on a distant server.
    void SetLatency(int ms) { latencyMs_ = ms; }
    // Connections stay open for further requests, as most servers keep them.
    void SetKeepAlive(bool keep) { keepAlive_ = keep; }
    // The connections accepted so far.
    int Connections() const { return connections_; }

    QString Url(const std::string& path) const;
    int Port() const { return port_; }
    // How often a path was asked for.
    int Hits(const std::string& path);
    // The request target (path and query, as sent) of the last request of a path.
    std::string LastTarget(const std::string& path);
    // The value of a request header in the last request of a path.
    std::string LastHeader(const std::string& path, const std::string& name);
    // The requests this server answers at once.
    ConcurrencyGauge& Concurrency() { return gauge_; }

private:
    void AcceptLoop();
    void Serve(int client);
    // True when the connection may take another request.
    bool Answer(int client);
    // Waits for the next request on a kept connection; false when the client goes away.
    bool NextRequestComes(int client);
    void Opened();
    void Closed();

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> latencyMs_{0};
    std::atomic<bool> keepAlive_{false};
    std::atomic<int> connections_{0};
    ConcurrencyGauge gauge_;
    ConcurrencyGauge* sharedGauge_;
    std::thread acceptor_;
    std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::optional<Response> fallback_;
    std::map<std::string, int> hits_;
    std::map<std::string, std::map<std::string, std::string>> lastHeaders_;
    std::map<std::string, std::string> lastTargets_;
    // Connections being served; each thread leaves by itself and the last one says so.
    std::vector<int> clients_;
    int serving_ = 0;
    std::condition_variable allServed_;
};
