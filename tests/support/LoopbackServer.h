#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// An HTTP/1.1 server on 127.0.0.1 and a free port, inside the test process. Each path answers
// with a scripted response; unknown paths get the fallback response, 404 unless one is set.
// Connections are served on threads of their own and closed after one response.
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

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // A body sent in chunks of `chunkBytes` with a pause of `delayMs` before each.
    static Response Slow(const QByteArray& body, int chunkBytes, int delayMs);

    void Set(const std::string& path, Response response);
    void SetBody(const std::string& path, const QByteArray& body, int status = 200);
    void SetRedirect(const std::string& path, const std::string& location);
    void SetFallback(Response response);

    QString Url(const std::string& path) const;
    int Port() const { return port_; }
    // How often a path was asked for.
    int Hits(const std::string& path);
    // The request target (path and query, as sent) of the last request of a path.
    std::string LastTarget(const std::string& path);
    // The value of a request header in the last request of a path.
    std::string LastHeader(const std::string& path, const std::string& name);

private:
    void AcceptLoop();
    void Serve(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::optional<Response> fallback_;
    std::map<std::string, int> hits_;
    std::map<std::string, std::map<std::string, std::string>> lastHeaders_;
    std::map<std::string, std::string> lastTargets_;
    std::vector<std::thread> workers_;
    std::vector<int> clients_;
};
