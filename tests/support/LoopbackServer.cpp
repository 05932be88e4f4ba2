// The tests' HTTP/1.1 server on 127.0.0.1.

#include "support/LoopbackServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

namespace {

bool SendAll(int socket, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= std::size_t(sent);
    }
    return true;
}

QByteArray Gzipped(const QByteArray& body) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(body.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
    stream.avail_in = uInt(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

void ConcurrencyGauge::Opened() {
    std::lock_guard lock(mutex_);
    peak_ = std::max(peak_, ++now_);
}

void ConcurrencyGauge::Closed() {
    std::lock_guard lock(mutex_);
    --now_;
}

int ConcurrencyGauge::Now() {
    std::lock_guard lock(mutex_);
    return now_;
}

int ConcurrencyGauge::Peak() {
    std::lock_guard lock(mutex_);
    return peak_;
}

LoopbackServer::LoopbackServer(ConcurrencyGauge* shared) : sharedGauge_(shared) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, SOMAXCONN);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    acceptor_.join();
    std::unique_lock lock(mutex_);
    for (int client : clients_)
        shutdown(client, SHUT_RDWR);
    allServed_.wait(lock, [this] { return serving_ == 0; });
}

LoopbackServer::Response LoopbackServer::Slow(const QByteArray& body, int chunkBytes, int delayMs) {
    Response response;
    response.body = body;
    response.chunkBytes = chunkBytes;
    response.chunkDelayMs = delayMs;
    return response;
}

void LoopbackServer::Set(const std::string& path, Response response) {
    std::lock_guard lock(mutex_);
    responses_[path] = std::move(response);
}

void LoopbackServer::SetBody(const std::string& path, const QByteArray& body, int status) {
    Response response;
    response.status = status;
    response.body = body;
    Set(path, response);
}

void LoopbackServer::SetRedirect(const std::string& path, const std::string& location) {
    Response response;
    response.status = 302;
    response.headers = {{"Location", location}};
    Set(path, response);
}

void LoopbackServer::SetFallback(Response response) {
    std::lock_guard lock(mutex_);
    fallback_ = std::move(response);
}

QString LoopbackServer::Url(const std::string& path) const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port_) + QString::fromStdString(path);
}

int LoopbackServer::Hits(const std::string& path) {
    std::lock_guard lock(mutex_);
    return hits_[path];
}

std::string LoopbackServer::LastTarget(const std::string& path) {
    std::lock_guard lock(mutex_);
    return lastTargets_[path];
}

std::string LoopbackServer::LastHeader(const std::string& path, const std::string& name) {
    std::lock_guard lock(mutex_);
    return lastHeaders_[path][Lower(name)];
}

void LoopbackServer::AcceptLoop() {
    while (!stopping_) {
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        Opened();
        ++connections_;
        std::lock_guard lock(mutex_);
        clients_.push_back(client);
        ++serving_;
        std::thread([this, client] { Serve(client); }).detach();
    }
}

void LoopbackServer::Opened() {
    gauge_.Opened();
    if (sharedGauge_)
        sharedGauge_->Opened();
}

void LoopbackServer::Closed() {
    gauge_.Closed();
    if (sharedGauge_)
        sharedGauge_->Closed();
}

// The last thing the thread does with the server is to say that it is done.
void LoopbackServer::Serve(int client) {
    bool open = Answer(client);
    while (open && NextRequestComes(client)) {
        Opened();
        open = Answer(client);
    }
    std::lock_guard lock(mutex_);
    std::erase(clients_, client);
    close(client);
    --serving_;
    allServed_.notify_all();
}

bool LoopbackServer::NextRequestComes(int client) {
    while (!stopping_) {
        pollfd waiting{client, POLLIN, 0};
        if (poll(&waiting, 1, 100) > 0) {
            char probe;
            return recv(client, &probe, 1, MSG_PEEK) > 0;
        }
    }
    return false;
}

bool LoopbackServer::Answer(int client) {
    // Counted as answering until the last byte is about to go out, or the answer is given up.
    struct Counted {
        LoopbackServer& server;
        bool counting = true;
        void Done() {
            if (std::exchange(counting, false))
                server.Closed();
        }
        ~Counted() { Done(); }
    } counted{*this};
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, std::size_t(got));
    }
    std::istringstream lines(request);
    std::string method, target;
    lines >> method >> target;
    std::string path = target.substr(0, target.find('?'));
    std::map<std::string, std::string> headers;
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && line != "\r") {
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            headers[Lower(line.substr(0, colon))] = line.substr(colon + 2, line.size() - colon - 3);
    }
    Response response;
    bool known = false;
    {
        std::lock_guard lock(mutex_);
        ++hits_[path];
        lastHeaders_[path] = headers;
        lastTargets_[path] = target;
        if (auto it = responses_.find(path); it != responses_.end()) {
            response = it->second;
            known = true;
        } else if (fallback_) {
            response = *fallback_;
            known = true;
        }
    }
    if (!known) {
        response.status = 404;
        response.body = "not found";
    }
    if (!response.etag.empty())
        response.headers.emplace_back("ETag", response.etag);
    if (!response.lastModified.empty())
        response.headers.emplace_back("Last-Modified", response.lastModified);
    if ((!response.etag.empty() && headers["if-none-match"] == response.etag) ||
        (!response.lastModified.empty() && headers["if-modified-since"] == response.lastModified)) {
        response.status = 304;
        response.body.clear();
    }
    if (latencyMs_ > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs_));
    if (response.hang) {
        while (!stopping_) {
            pollfd waiting{client, POLLIN, 0};
            if (poll(&waiting, 1, 100) > 0) {
                char probe;
                if (recv(client, &probe, 1, MSG_PEEK) <= 0)
                    break;
            }
        }
        return false;
    }
    QByteArray body = response.gzip ? Gzipped(response.body) : response.body;
    std::ostringstream head;
    head << "HTTP/1.1 " << response.status << " Scripted\r\n";
    for (const auto& [name, value] : response.headers)
        head << name << ": " << value << "\r\n";
    if (response.gzip)
        head << "Content-Encoding: gzip\r\n";
    if (!response.endless)
        head << "Content-Length: " << body.size() << "\r\n";
    const bool keep = keepAlive_ && !response.endless;
    head << (keep ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n");
    const std::string headText = head.str();
    if (body.isEmpty())
        counted.Done();
    bool open = SendAll(client, headText.data(), headText.size());
    const int chunk = response.chunkBytes > 0 ? response.chunkBytes : int(body.size());
    do {
        for (int offset = 0; open && offset < body.size(); offset += chunk) {
            if (response.chunkDelayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(response.chunkDelayMs));
            if (!response.endless && offset + chunk >= body.size())
                counted.Done();
            open = !stopping_ &&
                   SendAll(client, body.constData() + offset,
                           std::size_t(std::min<qsizetype>(chunk, body.size() - offset)));
        }
    } while (open && response.endless && !stopping_);
    if (open && keep && !stopping_)
        return true;
    shutdown(client, SHUT_WR);
    return false;
}
