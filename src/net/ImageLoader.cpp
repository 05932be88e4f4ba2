// The reading pane's image fetches, each on a pool thread, delivered back to the loader.

#include "net/ImageLoader.h"

#include "config/RegistrySettings.h"
#include "net/ConnectionCheck.h"
#include "net/HttpDownloader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <mutex>

struct CImageLoader::Guard {
    std::mutex mutex;
    CImageLoader* loader = nullptr;
};

namespace {

QByteArray DownloadBytes(const QUrl& url, const ProxyArguments& proxy) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image"));
    if (!dir.isValid() ||
        !CHttpDownloader::Download(url.toString(QUrl::FullyEncoded), path, proxy.useProxy,
                                   proxy.proxy, false, {CImageLoader::SizeCap}))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

CImageLoader::CImageLoader(QObject* parent) : QObject(parent), guard_(std::make_shared<Guard>()) {
    guard_->loader = this;
}

CImageLoader::~CImageLoader() {
    const std::lock_guard lock(guard_->mutex);
    guard_->loader = nullptr;
}

bool CImageLoader::MayFetch(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return (scheme == u"http" || scheme == u"https") &&
           CRegistrySettings::ForQuillpost().Read(Key::ShowImages) != 0;
}

void CImageLoader::Fetch(const QUrl& url) {
    if (!MayFetch(url) || requested_.contains(url))
        return;
    requested_.insert(url);
    const ProxyArguments proxy = ProxyFor(ReadNetworkSettings(CRegistrySettings::ForQuillpost()));
    QThreadPool::globalInstance()->start([guard = guard_, page = page_, url, proxy] {
        const QByteArray bytes = DownloadBytes(url, proxy);
        if (bytes.isEmpty())
            return;
        const std::lock_guard lock(guard->mutex);
        // Posted while the loader is alive; Qt drops the call if it goes before it runs.
        if (CImageLoader* loader = guard->loader)
            QMetaObject::invokeMethod(
                loader, [loader, page, url, bytes] { loader->Deliver(page, url, bytes); },
                Qt::QueuedConnection);
    });
}

void CImageLoader::NewPage() {
    ++page_;
    requested_.clear();
}

void CImageLoader::Deliver(int page, const QUrl& url, const QByteArray& bytes) {
    if (page == page_)
        emit fetched(url, bytes);
}
