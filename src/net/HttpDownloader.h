// The one HTTP operation: fetching an address into a file.

#pragma once

#include "store/Records.h"

#include <QString>
#include <atomic>

// The one HTTP operation: fetch an address into a file. Redirects are followed, gzip and deflate
// bodies are stored decoded, HTTPS certificates are verified, HTTP/2 is spoken where a secure
// server offers it, and a failed, cancelled or oversized transfer never leaves a file behind.

// What one transfer may take: bytes of body and milliseconds from start to end.
struct TransferLimits {
    // No feed or page may fill the disk,
    static constexpr qint64 DefaultSizeCap = 50LL * 1024 * 1024;
    // nor keep a run busy for as long as its server likes, however steadily its bytes come.
    static constexpr qint64 DefaultTimeMs = 60 * 1000;
    // An enclosure gets the time a slow line needs for the largest one admitted.
    static constexpr qint64 SlowestEnclosureBytesPerSecond = 32 * 1024;

    qint64 sizeBytes = DefaultSizeCap;
    qint64 timeMs = DefaultTimeMs;

    static TransferLimits ForEnclosure(qint64 sizeCap);
};

class CHttpDownloader {
public:
    enum class Result { Failed, Complete, NotModified };
    using Limits = TransferLimits;

    static constexpr const char* UserAgent = "Quillpost/" QUILLPOST_VERSION;
    static constexpr qint64 DefaultSizeCap = TransferLimits::DefaultSizeCap;
    static constexpr qint64 DefaultTimeLimitMs = TransferLimits::DefaultTimeMs;

    // Process-wide settings and state shared by every call.
    // The size of each write to the file; curl's own receive buffer is left as it is.
    static std::atomic<int> BufferSize;
    // False: only a 200 answer is a success; true: only an HTTP error status (400 and up)
    // fails, other statuses are not looked at.
    static std::atomic<bool> SkipHeaders;
    // Polled while a transfer runs; a set flag ends it as a failure. A call may bring a flag of
    // its own (`abort`) that ends its transfer the same way.
    static std::atomic<bool> CancelRequested;
    // Between these two calls (a download run) every download, from whichever thread, goes
    // through one set of connections: at most `connections` open at once and
    // `connectionsPerServer` to one server, each kept alive for the next download from its
    // server, and one HTTP/2 connection carrying all of a server's downloads at once.
    static void StartSession(int connections, int connectionsPerServer);
    static void EndSession();

    // TRUE when targetPath holds the whole body. Whatever stood at targetPath is replaced only
    // by a complete body; a failed transfer leaves it as it was. With useProxy the proxy is
    // "host:port", or "" for none at all; without, the desktop's proxy for the address or the
    // *_proxy environment is used;
    // followRefresh replaces an HTML refresh page by one further download of its target.
    // `contentType`, when given, gets the answer's Content-Type.
    static bool Download(const QString& url, const QString& targetPath, bool useProxy,
                         const QString& proxy, bool followRefresh, const Limits& limits = {},
                         const std::atomic<bool>* abort = nullptr, QString* contentType = nullptr);

    // A conditional request: `known` is sent back to the server; a "304 Not Modified" answer
    // gives NotModified and no file. `received` gets the validators of a complete body.
    static Result DownloadIfChanged(const QString& url, const QString& targetPath, bool useProxy,
                                    const QString& proxy, const HttpValidators& known,
                                    HttpValidators& received,
                                    const std::atomic<bool>* abort = nullptr);

    // Posts `body`, of the type `contentType`, and takes the answer's body whole into `answer`.
    // True for a 200 answer; LastFailure says why not.
    static bool Post(const QString& url, const QByteArray& body, const QByteArray& contentType,
                     QByteArray& answer, const Limits& limits = {});

    // Why the calling thread's last download failed, in a few words for the user ("HTTP 404",
    // "could not resolve host", "timed out"); empty after a success.
    static QString LastFailure();
    // Whether the calling thread's last answer came over HTTP/2, where one connection carries
    // many downloads at once.
    static bool LastAnswerMultiplexed();
};
