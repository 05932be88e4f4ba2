// Fetches one address into a file through libcurl.

#include "net/HttpDownloader.h"

#include "net/TransferSession.h"
#include "store/DiskFull.h"
#include "text/TextFile.h"

#include <QNetworkProxy>
#include <QBuffer>
#include <QSaveFile>
#include <QUrl>
#include <cerrno>
#include <curl/curl.h>
#include <memory>
#include <mutex>

std::atomic<int> CHttpDownloader::BufferSize{4096};
std::atomic<bool> CHttpDownloader::SkipHeaders{true};
std::atomic<bool> CHttpDownloader::CancelRequested{false};

TransferLimits TransferLimits::ForEnclosure(qint64 sizeCap) {
    return {sizeCap, DefaultTimeMs + sizeCap * 1000 / SlowestEnclosureBytesPerSecond};
}

namespace {

std::once_flag curlInitialised;
thread_local QString lastFailure;
thread_local bool lastAnswerMultiplexed = false;

// The run's session; a transfer holds it as long as it runs, so that the session ends only
// after the last of them.
std::mutex sessionMutex;
std::shared_ptr<CTransferSession> runSession;

std::shared_ptr<CTransferSession> CurrentSession() {
    std::lock_guard lock(sessionMutex);
    return runSession;
}

struct Transfer {
    QIODevice* file;
    qint64 written = 0;
    qint64 sizeCap;
    bool overCap = false;
    bool diskFull = false;
    HttpValidators validators; // from the response headers
    const std::atomic<bool>* abort = nullptr;
};

// Keeps the ETag, Last-Modified and Content-Type headers of the final response.
size_t ReadHeader(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/"))
        transfer->validators = {};
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QString value = QString::fromLatin1(line.mid(colon + 1).trimmed());
        if (name == "etag")
            transfer->validators.etag = value;
        else if (name == "last-modified")
            transfer->validators.lastModified = value;
        else if (name == "content-type")
            transfer->validators.contentType = value;
    }
    return size * count;
}

// Whether the write that just failed failed for want of room. The download run stops at the
// first such failure instead of failing every remaining feed the same way.
bool FailedForWantOfRoom() {
    const bool full = errno == ENOSPC || errno == EDQUOT;
    if (full)
        NoteDiskFull();
    return full;
}

// The body goes to the file in writes of at most BufferSize bytes.
size_t WriteBody(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const qint64 bytes = qint64(size * count);
    if (transfer->written + bytes > transfer->sizeCap) {
        transfer->overCap = true;
        return 0;
    }
    const qint64 chunk = std::max(1, CHttpDownloader::BufferSize.load());
    for (qint64 offset = 0; offset < bytes; offset += chunk) {
        const qint64 piece = std::min(chunk, bytes - offset);
        if (transfer->file->write(data + offset, piece) != piece) {
            transfer->diskFull = FailedForWantOfRoom();
            return 0;
        }
    }
    transfer->written += bytes;
    return size_t(bytes);
}

int CheckCancel(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<const Transfer*>(context);
    return CHttpDownloader::CancelRequested || (transfer->abort && *transfer->abort) ? 1 : 0;
}

// The transfers of a run look names up and resume TLS sessions through one cache.
class RunCaches {
public:
    RunCaches() : share_(curl_share_init()) {
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, Lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, Unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    }
    CURLSH* Share() const { return share_; }

private:
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<RunCaches*>(self)->MutexOf(data).lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<RunCaches*>(self)->MutexOf(data).unlock();
    }
    std::mutex& MutexOf(curl_lock_data data) {
        return mutexes_[std::size_t(data) % std::size(mutexes_)];
    }

    CURLSH* share_;
    std::mutex mutexes_[CURL_LOCK_DATA_LAST];
};

// Lives as long as the process, like libcurl's global state: the handles of every run point at
// it.
CURLSH* SharedRunCaches() {
    static RunCaches caches;
    return caches.Share();
}

CURL* NewHandle() {
    std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return curl_easy_init();
}

// Sets options one after the other and keeps the first that libcurl refused: a transfer never
// runs with part of its options silently missing.
class OptionSetter {
public:
    explicit OptionSetter(CURL* curl) : curl_(curl) {}

    template <typename Value> OptionSetter& Set(CURLoption option, Value value) {
        if (refusal_.isEmpty())
            if (const CURLcode code = curl_easy_setopt(curl_, option, value); code != CURLE_OK)
                refusal_ = Describe(option, code);
        return *this;
    }
    // Empty while every option was taken.
    const QString& Refusal() const { return refusal_; }

private:
    static QString Describe(CURLoption option, CURLcode code) {
        const curl_easyoption* known = curl_easy_option_by_id(option);
        return QStringLiteral("libcurl refused the option %1: %2")
            .arg(known ? QString::fromLatin1(known->name) : QString::number(option),
                 QString::fromUtf8(curl_easy_strerror(code)));
    }

    CURL* curl_;
    QString refusal_;
};

// The proxy the desktop names for the address, as libcurl writes it; empty when it names none,
// and libcurl then reads the *_proxy environment itself.
QByteArray SystemProxyFor(const QByteArray& url) {
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(QUrl::fromEncoded(url)));
    if (proxies.isEmpty())
        return {};
    const QNetworkProxy& proxy = proxies.first();
    const char* scheme = proxy.type() == QNetworkProxy::HttpProxy     ? "http://"
                         : proxy.type() == QNetworkProxy::Socks5Proxy ? "socks5h://"
                                                                      : nullptr;
    if (!scheme || proxy.hostName().isEmpty())
        return {};
    return scheme + QUrl::toAce(proxy.hostName()) + ':' + QByteArray::number(proxy.port());
}

void SetRequestOptions(OptionSetter& options, const QByteArray& url, bool useProxy,
                       const QByteArray& proxy, qint64 timeLimitMs, Transfer& transfer) {
    options.Set(CURLOPT_URL, url.constData())
        .Set(CURLOPT_USERAGENT, CHttpDownloader::UserAgent)
        .Set(CURLOPT_FOLLOWLOCATION, 1L)
        .Set(CURLOPT_MAXREDIRS, 10L)
        .Set(CURLOPT_PROTOCOLS_STR, "http,https")
        .Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https")
        .Set(CURLOPT_CONNECTTIMEOUT_MS, 5000L)
        // Ten seconds without a byte end the transfer, and so does the overall limit.
        .Set(CURLOPT_LOW_SPEED_LIMIT, 1L)
        .Set(CURLOPT_LOW_SPEED_TIME, 10L)
        .Set(CURLOPT_TIMEOUT_MS, long(timeLimitMs))
        .Set(CURLOPT_ACCEPT_ENCODING, "")
        // HTTP/2 where a secure server offers it, HTTP/1.1 otherwise.
        .Set(CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_2TLS))
        .Set(CURLOPT_NOSIGNAL, 1L)
        .Set(CURLOPT_WRITEFUNCTION, WriteBody)
        .Set(CURLOPT_WRITEDATA, &transfer)
        .Set(CURLOPT_NOPROGRESS, 0L)
        .Set(CURLOPT_XFERINFOFUNCTION, CheckCancel)
        .Set(CURLOPT_XFERINFODATA, &transfer)
        .Set(CURLOPT_HEADERFUNCTION, ReadHeader)
        .Set(CURLOPT_HEADERDATA, &transfer);
    // An empty proxy of the caller's is no proxy at all, not even the environment's.
    if (useProxy)
        options.Set(CURLOPT_PROXY, proxy.constData());
    else if (const QByteArray system = SystemProxyFor(url); !system.isEmpty())
        options.Set(CURLOPT_PROXY, system.constData());
    // OpenSSL's own variable names the certificates to trust instead of the system's, as for
    // other programs on OpenSSL: libcurl alone would read only the bundle path built into it.
    if (const QByteArray caFile = qgetenv("SSL_CERT_FILE"); !caFile.isEmpty())
        options.Set(CURLOPT_CAINFO, caFile.constData());
}

// The address an HTML refresh page points to, or empty when the page asks for none.
QString RefreshTarget(const QString& page, const QString& host, const QString& finalUrl) {
    const QString text = page.toLower();
    if (!text.contains(QStringLiteral("http-equiv=refresh")) &&
        !text.contains(QStringLiteral("http-equiv=\"refresh\"")) &&
        !text.contains(QStringLiteral("http-equiv='refresh'")))
        return {};
    QChar quote = u'"';
    qsizetype content = text.indexOf(QStringLiteral("content=\""));
    if (content < 0) {
        quote = u'\'';
        content = text.indexOf(QStringLiteral("content='"));
    }
    if (content < 0)
        return {};
    const qsizetype url = text.indexOf(QStringLiteral("url="), content);
    const qsizetype close = url < 0 ? -1 : text.indexOf(quote, url + 4);
    if (close < 0)
        return {};
    const QString target = text.mid(url + 4, close - url - 4).trimmed();
    if (target.startsWith(QStringLiteral("http")))
        return target;
    if (target.startsWith(u'/'))
        return QStringLiteral("http://") + host + target;
    const qsizetype lastSlash = finalUrl.lastIndexOf(u'/');
    return lastSlash >= 0 ? finalUrl.left(lastSlash) + u'/' + target : finalUrl + u'/' + target;
}

QString HostOf(const QString& url) {
    const QUrl parsed(url);
    return parsed.port() == -1 ? parsed.host()
                               : parsed.host() + u':' + QString::number(parsed.port());
}

} // namespace

void CHttpDownloader::StartSession(int connections, int connectionsPerServer) {
    auto session = std::make_shared<CTransferSession>(connections, connectionsPerServer);
    std::lock_guard lock(sessionMutex);
    runSession = std::move(session);
}

void CHttpDownloader::EndSession() {
    std::shared_ptr<CTransferSession> ending;
    std::lock_guard lock(sessionMutex);
    ending.swap(runSession); // goes once its last transfer has returned it
}

namespace {

struct Outcome {
    CURLcode result = CURLE_FAILED_INIT;
    long status = 0;
    QString finalUrl;
    HttpValidators validators;
    QString refusedOption; // set when the transfer could not be set up
    bool overCap = false;
    bool diskFull = false;
    bool notModified = false; // a 304 answer to a conditional request
    bool multiplexed = false; // the answer came over HTTP/2
};

bool Aborted(const std::atomic<bool>* abort) {
    return CHttpDownloader::CancelRequested || (abort && *abort);
}

// What a request sends besides its address: a body to post, and its type.
struct RequestBody {
    QByteArray data;
    QByteArray contentType;
};

curl_slist* RequestHeaders(const HttpValidators& known, const RequestBody* body) {
    curl_slist* headers = nullptr;
    if (body)
        headers = curl_slist_append(headers, ("Content-Type: " + body->contentType).constData());
    if (!known.etag.isEmpty())
        headers =
            curl_slist_append(headers, ("If-None-Match: " + known.etag).toLatin1().constData());
    if (!known.lastModified.isEmpty())
        headers = curl_slist_append(
            headers, ("If-Modified-Since: " + known.lastModified).toLatin1().constData());
    return headers;
}

// One transfer of `url` into the open file, with the conditional headers when given.
Outcome Perform(const QString& url, QIODevice& file, bool useProxy, const QString& proxy,
                const CHttpDownloader::Limits& limits, const HttpValidators& known,
                const std::atomic<bool>* abort, const RequestBody* body = nullptr) {
    Outcome outcome;
    Transfer transfer{&file, 0, limits.sizeBytes, false, false, {}, abort};
    CURL* curl = NewHandle();
    if (!curl)
        return outcome;
    const std::shared_ptr<CTransferSession> session = CurrentSession();
    const QByteArray encodedUrl = url.toUtf8();
    const QByteArray encodedProxy = proxy.toUtf8();
    curl_slist* headers = RequestHeaders(known, body);
    OptionSetter options(curl);
    SetRequestOptions(options, encodedUrl, useProxy, encodedProxy, limits.timeMs, transfer);
    options.Set(CURLOPT_HTTPHEADER, headers);
    if (session) {
        options.Set(CURLOPT_SHARE, SharedRunCaches());
        // A second transfer to a secure server whose first connection is still being made waits
        // to learn whether it can share that one. Plain HTTP is always HTTP/1.1 here, so
        // waiting would only hold transfers back.
        if (url.startsWith(QStringLiteral("https:"), Qt::CaseInsensitive))
            options.Set(CURLOPT_PIPEWAIT, 1L);
    }
    if (body)
        options.Set(CURLOPT_POSTFIELDSIZE, long(body->data.size()))
            .Set(CURLOPT_POSTFIELDS, body->data.constData());
    outcome.refusedOption = options.Refusal();
    if (outcome.refusedOption.isEmpty()) {
        const auto run = [&] {
            return session ? session->Perform(curl, [abort] { return Aborted(abort); })
                           : curl_easy_perform(curl);
        };
        outcome.result = run();
        if (outcome.result == CURLE_COULDNT_CONNECT && !Aborted(abort))
            outcome.result = run(); // one retry of the connection
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &outcome.status);
        long version = 0;
        curl_easy_getinfo(curl, CURLINFO_HTTP_VERSION, &version);
        outcome.multiplexed = version >= CURL_HTTP_VERSION_2_0;
        char* effective = nullptr;
        curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
        outcome.finalUrl = effective ? QString::fromUtf8(effective) : url;
        outcome.validators = transfer.validators;
    }
    outcome.overCap = transfer.overCap;
    outcome.diskFull = transfer.diskFull;
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    return outcome;
}

QString TransferFailure(const Outcome& outcome, const CHttpDownloader::Limits& limits) {
    switch (outcome.result) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("could not resolve host");
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("could not resolve proxy");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("could not connect");
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("timed out");
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("certificate not trusted");
    case CURLE_SSL_CONNECT_ERROR:
        return QStringLiteral("secure connection failed");
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("cancelled");
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return QStringLiteral("not an http or https address");
    case CURLE_TOO_MANY_REDIRECTS:
        return QStringLiteral("too many redirects");
    case CURLE_WRITE_ERROR:
        if (outcome.overCap)
            return QStringLiteral("larger than %1 KB").arg(limits.sizeBytes / 1024);
        return outcome.diskFull ? QStringLiteral("the disk is full")
                                : QStringLiteral("could not write the file");
    default:
        return QString::fromUtf8(curl_easy_strerror(outcome.result)).toLower();
    }
}

// Empty when the transfer brought a body that may be kept. An HTTP error status is a failure
// whatever SkipHeaders says: the body of an error page is never taken for the document.
QString FailureOf(const Outcome& outcome, const CHttpDownloader::Limits& limits,
                  const std::atomic<bool>* abort, bool statusChecked) {
    if (!outcome.refusedOption.isEmpty())
        return outcome.refusedOption;
    if (Aborted(abort))
        return QStringLiteral("cancelled");
    if (outcome.result != CURLE_OK)
        return TransferFailure(outcome, limits);
    if (outcome.status >= 400 || (statusChecked && outcome.status != 200))
        return QStringLiteral("HTTP %1").arg(outcome.status);
    return {};
}

// Downloads into a file beside the target that replaces it only once it holds a whole body.
// Sets lastFailure; the outcome tells the caller what came.
Outcome Fetch(const QString& url, const QString& targetPath, bool useProxy, const QString& proxy,
              const CHttpDownloader::Limits& limits, const HttpValidators& known,
              const std::atomic<bool>* abort, bool statusChecked) {
    lastFailure.clear();
    lastAnswerMultiplexed = false;
    QSaveFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly)) {
        lastFailure = QStringLiteral("could not create ") + targetPath;
        return {};
    }
    Outcome outcome = Perform(url, file, useProxy, proxy, limits, known, abort);
    lastAnswerMultiplexed = outcome.multiplexed;
    outcome.notModified =
        !known.IsEmpty() && outcome.result == CURLE_OK && outcome.status == 304 && !Aborted(abort);
    if (outcome.notModified)
        return outcome; // the empty file is discarded
    lastFailure = FailureOf(outcome, limits, abort, statusChecked);
    if (lastFailure.isEmpty() && !file.commit())
        lastFailure = FailedForWantOfRoom() ? QStringLiteral("the disk is full")
                                            : QStringLiteral("could not write ") + targetPath;
    return outcome;
}

} // namespace

bool CHttpDownloader::Post(const QString& url, const QByteArray& body,
                           const QByteArray& contentType, QByteArray& answer,
                           const Limits& limits) {
    lastFailure.clear();
    answer.clear();
    QBuffer buffer(&answer);
    buffer.open(QIODevice::WriteOnly);
    const RequestBody request{body, contentType};
    const Outcome outcome = Perform(url, buffer, false, {}, limits, {}, nullptr, &request);
    lastFailure = FailureOf(outcome, limits, nullptr, true);
    return lastFailure.isEmpty();
}

QString CHttpDownloader::LastFailure() {
    return lastFailure;
}

bool CHttpDownloader::LastAnswerMultiplexed() {
    return lastAnswerMultiplexed;
}

bool CHttpDownloader::Download(const QString& url, const QString& targetPath, bool useProxy,
                               const QString& proxy, bool followRefresh, const Limits& limits,
                               const std::atomic<bool>* abort, QString* contentType) {
    const Outcome outcome =
        Fetch(url, targetPath, useProxy, proxy, limits, {}, abort, !SkipHeaders || followRefresh);
    if (!lastFailure.isEmpty())
        return false;
    if (contentType)
        *contentType = outcome.validators.contentType;
    if (!followRefresh)
        return true;
    CTextFile page;
    if (!page.Open(targetPath, CTextFile::Mode::Read))
        return true;
    const QString target = RefreshTarget(page.ReadAll(), HostOf(url), outcome.finalUrl);
    page.Close();
    if (target.isEmpty())
        return true;
    return Download(target, targetPath, useProxy, proxy, false, limits, abort, contentType);
}

CHttpDownloader::Result
CHttpDownloader::DownloadIfChanged(const QString& url, const QString& targetPath, bool useProxy,
                                   const QString& proxy, const HttpValidators& known,
                                   HttpValidators& received, const std::atomic<bool>* abort) {
    const Outcome outcome =
        Fetch(url, targetPath, useProxy, proxy, Limits(), known, abort, !SkipHeaders);
    if (outcome.notModified)
        return Result::NotModified;
    if (!lastFailure.isEmpty())
        return Result::Failed;
    received = outcome.status == 200 ? outcome.validators : HttpValidators();
    return Result::Complete;
}
