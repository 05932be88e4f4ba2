#include "net/HttpDownloader.h"

#include "text/TextFile.h"

#include <QFile>
#include <QUrl>
#include <curl/curl.h>
#include <mutex>

std::atomic<int> CHttpDownloader::BufferSize{4096};
std::atomic<bool> CHttpDownloader::SkipHeaders{true};
std::atomic<bool> CHttpDownloader::KeepSession{false};
std::atomic<bool> CHttpDownloader::CancelRequested{false};

namespace {

std::once_flag curlInitialised;
// Each thread that downloads during a run (the worker and the one fetching ahead) keeps its own.
thread_local CURL* cachedSession = nullptr;

struct Transfer {
    QFile* file;
    qint64 written = 0;
    qint64 sizeCap;
    bool overCap = false;
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

size_t WriteBody(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const qint64 bytes = qint64(size * count);
    if (transfer->written + bytes > transfer->sizeCap) {
        transfer->overCap = true;
        return 0;
    }
    if (transfer->file->write(data, bytes) != bytes)
        return 0;
    transfer->written += bytes;
    return size_t(bytes);
}

int CheckCancel(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<const Transfer*>(context);
    return CHttpDownloader::CancelRequested || (transfer->abort && *transfer->abort) ? 1 : 0;
}

// The run's kept handle keeps its connection cache across downloads; other calls get their own.
CURL* AcquireSession() {
    std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (!CHttpDownloader::KeepSession)
        return curl_easy_init();
    if (!cachedSession)
        cachedSession = curl_easy_init();
    curl_easy_reset(cachedSession);
    return cachedSession;
}

void ReleaseSession(CURL* curl) {
    if (curl != cachedSession)
        curl_easy_cleanup(curl);
}

void SetRequestOptions(CURL* curl, const QByteArray& url, bool useProxy, const QByteArray& proxy,
                       Transfer& transfer) {
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, CHttpDownloader::UserAgent);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
    // Ten seconds without a byte end the transfer.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 10L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE,
                     long(std::max(1024, CHttpDownloader::BufferSize.load())));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    if (useProxy)
        curl_easy_setopt(curl, CURLOPT_PROXY, proxy.constData());
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

void CHttpDownloader::CloseCachedSession() {
    if (cachedSession)
        curl_easy_cleanup(cachedSession);
    cachedSession = nullptr;
}

namespace {

struct Outcome {
    CURLcode result = CURLE_FAILED_INIT;
    long status = 0;
    QString finalUrl;
    HttpValidators validators;
};

// One transfer of `url` into the open file, with the conditional headers when given.
Outcome Perform(const QString& url, QFile& file, bool useProxy, const QString& proxy,
                qint64 sizeCap, const HttpValidators& known, const std::atomic<bool>* abort) {
    Outcome outcome;
    Transfer transfer{&file, 0, sizeCap, false, {}, abort};
    CURL* curl = AcquireSession();
    if (!curl)
        return outcome;
    const QByteArray encodedUrl = url.toUtf8();
    const QByteArray encodedProxy = proxy.toUtf8();
    SetRequestOptions(curl, encodedUrl, useProxy, encodedProxy, transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_slist* headers = nullptr;
    if (!known.etag.isEmpty())
        headers =
            curl_slist_append(headers, ("If-None-Match: " + known.etag).toLatin1().constData());
    if (!known.lastModified.isEmpty())
        headers = curl_slist_append(
            headers, ("If-Modified-Since: " + known.lastModified).toLatin1().constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    outcome.result = curl_easy_perform(curl);
    if (outcome.result == CURLE_COULDNT_CONNECT && !CHttpDownloader::CancelRequested &&
        !(abort && *abort))
        outcome.result = curl_easy_perform(curl); // one retry of the connection
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &outcome.status);
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    outcome.finalUrl = effective ? QString::fromUtf8(effective) : url;
    outcome.validators = transfer.validators;
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    ReleaseSession(curl);
    return outcome;
}

} // namespace

bool CHttpDownloader::Download(const QString& url, const QString& targetPath, bool useProxy,
                               const QString& proxy, bool followRefresh, qint64 sizeCap,
                               const std::atomic<bool>* abort, QString* contentType) {
    QFile::remove(targetPath);
    QFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const Outcome outcome = Perform(url, file, useProxy, proxy, sizeCap, {}, abort);
    file.close();
    const bool statusChecked = !SkipHeaders || followRefresh;
    if (outcome.result != CURLE_OK || CancelRequested || (statusChecked && outcome.status != 200)) {
        file.remove();
        return false;
    }
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
    return Download(target, targetPath, useProxy, proxy, false, sizeCap, abort, contentType);
}

CHttpDownloader::Result
CHttpDownloader::DownloadIfChanged(const QString& url, const QString& targetPath, bool useProxy,
                                   const QString& proxy, const HttpValidators& known,
                                   HttpValidators& received, const std::atomic<bool>* abort) {
    QFile::remove(targetPath);
    QFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly))
        return Result::Failed;
    const Outcome outcome = Perform(url, file, useProxy, proxy, DefaultSizeCap, known, abort);
    file.close();
    const bool aborted = CancelRequested || (abort && *abort);
    if (outcome.result == CURLE_OK && !aborted && outcome.status == 304) {
        file.remove();
        return Result::NotModified;
    }
    if (outcome.result != CURLE_OK || CancelRequested || (!SkipHeaders && outcome.status != 200)) {
        file.remove();
        return Result::Failed;
    }
    received = outcome.status == 200 ? outcome.validators : HttpValidators();
    return Result::Complete;
}
