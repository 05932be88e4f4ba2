// The run's icon thread: the feeds' own pictures and their sites' favicons, asked once a day.

#include "net/FeedIconFetcher.h"

#include "feeds/FeedLinks.h"
#include "net/HttpDownloader.h"

#include <QFile>
#include <QUrl>

CFeedIconFetcher::CFeedIconFetcher(const QString& folder, const ProxyArguments& proxy)
    : cache_(folder), proxy_(proxy), now_(QDateTime::currentDateTimeUtc()),
      thread_([this] { Run(); }) {}

// A run ended by a forced cancel still remembers the tries it made.
CFeedIconFetcher::~CFeedIconFetcher() {
    if (thread_.joinable()) {
        Abandon();
        Finish(false);
    }
}

void CFeedIconFetcher::Abandon() {
    abandon_ = true;
    {
        std::lock_guard lock(mutex_);
        queue_.clear();
    }
    changed_.notify_all();
}

QStringList CFeedIconFetcher::IconAddresses(const QString& feedUrl, const FeedIconSource& source) {
    QStringList addresses;
    if (IsWebAddress(source.iconUrl))
        addresses << source.iconUrl;
    const QUrl site(IsWebAddress(source.homeLink) ? source.homeLink : feedUrl);
    if (IsWebAddress(site.toString()) && !site.host().isEmpty())
        addresses << site.resolved(QUrl(QStringLiteral("/favicon.ico"))).toString();
    return addresses;
}

void CFeedIconFetcher::FeedRead(const QString& feedUrl, const FeedIconSource& source) {
    const QStringList addresses = IconAddresses(feedUrl, source);
    {
        std::lock_guard lock(mutex_);
        cache_.SetAddresses(feedUrl, addresses);
        queue_.push_back(addresses);
    }
    changed_.notify_all();
}

void CFeedIconFetcher::FeedUnchanged(const QString& feedUrl) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(cache_.Addresses(feedUrl));
    }
    changed_.notify_all();
}

void CFeedIconFetcher::Finish(bool fetchQueued) {
    {
        std::unique_lock lock(mutex_);
        if (!fetchQueued)
            queue_.clear();
        changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    cache_.Save();
}

void CFeedIconFetcher::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        const QStringList addresses = queue_.front();
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        FetchFor(addresses);
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

// An address is asked once a run at most: feeds of one site share its favicon.
void CFeedIconFetcher::FetchFor(const QStringList& addresses) {
    for (const QString& address : addresses) {
        {
            std::lock_guard lock(mutex_);
            if (cache_.HasFreshIcon(address, now_))
                return;
            if (asked_.count(address) || !cache_.MayAsk(address, now_))
                continue;
            asked_.insert(address);
            cache_.NoteTry(address, now_);
        }
        if (Fetch(address))
            return;
    }
}

bool CFeedIconFetcher::Fetch(const QString& address) {
    const QString path = scratch_.filePath(QStringLiteral("icon"));
    if (abandon_ || !scratch_.isValid() ||
        !CHttpDownloader::Download(address, path, proxy_.useProxy, proxy_.proxy, false,
                                   {CFeedIconCache::MostBytes, TransferTimeMs}, &abandon_))
        return false;
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.remove();
    std::lock_guard lock(mutex_);
    return cache_.Keep(address, bytes);
}
