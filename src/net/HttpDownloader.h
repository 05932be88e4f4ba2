#pragma once

#include "store/Records.h"

#include <QString>
#include <atomic>

// The one HTTP operation: fetch an address into a file. Redirects are followed, gzip and deflate
// bodies are stored decoded, HTTPS certificates are verified, and a failed, cancelled or
// oversized transfer never leaves a file behind.

class CHttpDownloader {
public:
    enum class Result { Failed, Complete, NotModified };

    static constexpr const char* UserAgent =
        "Mozilla/2.0 (compatible; MSIE 3.02; Windows CE; 240x320)";
    // No feed or page may fill the disk.
    static constexpr qint64 DefaultSizeCap = 50LL * 1024 * 1024;

    // Process-wide settings and state shared by every call.
    static std::atomic<int> BufferSize;
    static std::atomic<bool> SkipHeaders;
    // Set by the download run: each of its threads reuses one connection cache across its
    // downloads.
    static std::atomic<bool> KeepSession;
    // Polled while a transfer runs; a set flag ends it as a failure. A call may bring a flag of
    // its own (`abort`) that ends its transfer the same way.
    static std::atomic<bool> CancelRequested;
    // Drops the calling thread's connection cache kept for a run.
    static void CloseCachedSession();

    // TRUE when targetPath holds the whole body. The proxy is "host:port"; followRefresh
    // replaces an HTML refresh page by one further download of its target. sizeCap bounds the
    // body in bytes. `contentType`, when given, gets the answer's Content-Type.
    static bool Download(const QString& url, const QString& targetPath, bool useProxy,
                         const QString& proxy, bool followRefresh, qint64 sizeCap = DefaultSizeCap,
                         const std::atomic<bool>* abort = nullptr, QString* contentType = nullptr);

    // A conditional request: `known` is sent back to the server; a "304 Not Modified" answer
    // gives NotModified and no file. `received` gets the validators of a complete body.
    static Result DownloadIfChanged(const QString& url, const QString& targetPath, bool useProxy,
                                    const QString& proxy, const HttpValidators& known,
                                    HttpValidators& received,
                                    const std::atomic<bool>* abort = nullptr);
};
