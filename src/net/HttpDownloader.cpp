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
std::mutex sessionMutex;
CURL* cachedSession = nullptr;

struct Transfer {
    QFile* file;
    qint64 written = 0;
    qint64 sizeCap;
    bool overCap = false;
};

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

int CheckCancel(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return CHttpDownloader::CancelRequested ? 1 : 0;
}

// The run's kept handle keeps its connection cache across downloads; other calls get their own.
CURL* AcquireSession() {
    std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (!CHttpDownloader::KeepSession)
        return curl_easy_init();
    std::lock_guard lock(sessionMutex);
    if (!cachedSession)
        cachedSession = curl_easy_init();
    curl_easy_reset(cachedSession);
    return cachedSession;
}

void ReleaseSession(CURL* curl) {
    std::lock_guard lock(sessionMutex);
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
    std::lock_guard lock(sessionMutex);
    if (cachedSession)
        curl_easy_cleanup(cachedSession);
    cachedSession = nullptr;
}

bool CHttpDownloader::Download(const QString& url, const QString& targetPath, bool useProxy,
                               const QString& proxy, bool followRefresh, qint64 sizeCap) {
    QFile::remove(targetPath);
    QFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    Transfer transfer{&file, 0, sizeCap};
    CURL* curl = AcquireSession();
    if (!curl) {
        file.remove();
        return false;
    }
    const QByteArray encodedUrl = url.toUtf8();
    const QByteArray encodedProxy = proxy.toUtf8();
    SetRequestOptions(curl, encodedUrl, useProxy, encodedProxy, transfer);
    CURLcode result = curl_easy_perform(curl);
    if (result == CURLE_COULDNT_CONNECT && !CancelRequested) // one retry of the connection
        result = curl_easy_perform(curl);

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    const QString finalUrl = effective ? QString::fromUtf8(effective) : url;
    ReleaseSession(curl);
    file.close();

    const bool statusChecked = !SkipHeaders || followRefresh;
    if (result != CURLE_OK || CancelRequested || (statusChecked && status != 200)) {
        file.remove();
        return false;
    }
    if (!followRefresh)
        return true;
    CTextFile page;
    if (!page.Open(targetPath, CTextFile::Mode::Read))
        return true;
    const QString target = RefreshTarget(page.ReadAll(), HostOf(url), finalUrl);
    page.Close();
    if (target.isEmpty())
        return true;
    return Download(target, targetPath, useProxy, proxy, false, sizeCap);
}
