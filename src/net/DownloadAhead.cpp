// Fetches a run's next entries in parallel on a thread pool while the run takes them in order.

#include "net/DownloadAhead.h"

#include "net/DownloadManager.h"

#include <QFile>
#include <QUrl>

namespace {

// Hosts are told apart by name and port, as connections are.
QString HostKey(const QString& url) {
    const QUrl parsed(url);
    return parsed.host().toLower() + u':' +
           QString::number(
               parsed.port(parsed.scheme().compare(u"https", Qt::CaseInsensitive) == 0 ? 443 : 80));
}

} // namespace

CDownloadAhead::CDownloadAhead(int transfers, int perServer, int first, std::function<int()> count,
                               std::function<CDownloadItem(int)> item, Fetcher fetch,
                               std::atomic<bool>& abandon)
    : transfers_(std::max(1, transfers)), perServer_(std::max(1, perServer)),
      window_(transfers_ * WindowPerTransfer), count_(std::move(count)), item_(std::move(item)),
      fetch_(std::move(fetch)), current_(first), stop_(abandon) {
    for (int thread = 0; thread < transfers_; ++thread)
        threads_.emplace_back([this] { Run(); });
}

// Nothing fetched and not taken is used once the run is over.
CDownloadAhead::~CDownloadAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
    for (const auto& [index, entry] : entries_)
        if (entry.state == State::Done)
            QFile::remove(entry.fetched.path);
}

CDownloadAhead::Entry& CDownloadAhead::At(int index) {
    const auto [it, added] = entries_.try_emplace(index);
    if (added) {
        const CDownloadItem item = item_(index);
        it->second.host = HostKey(item.Url);
        // Enclosures go straight into the audio cache, by the one who takes them.
        if (item.IsAudio)
            it->second.state = State::Taken;
    }
    return it->second;
}

int CDownloadAhead::NextToFetch() {
    const int end = std::min(count_(), current_ + window_);
    for (int index = current_; index < end; ++index) {
        const Entry& entry = At(index);
        if (entry.state == State::Waiting && hostTransfers_[entry.host] < RoomOf(entry.host))
            return index;
    }
    return -1;
}

int CDownloadAhead::RoomOf(const QString& host) const {
    return multiplexingHosts_.count(host) ? transfers_ : perServer_;
}

void CDownloadAhead::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        const int index = NextToFetch();
        if (index < 0) {
            changed_.wait(lock);
            continue;
        }
        Entry& entry = entries_[index];
        entry.state = State::Fetching;
        const QString host = entry.host;
        ++hostTransfers_[host];
        const CDownloadItem item = item_(index);
        lock.unlock();
        const Fetched fetched =
            fetch_(item, item.FilePath + QStringLiteral(".ahead%1").arg(index), &stop_);
        lock.lock();
        --hostTransfers_[host];
        if (fetched.multiplexed)
            multiplexingHosts_.insert(host);
        entries_[index].fetched = fetched;
        entries_[index].state = State::Done;
        changed_.notify_all();
    }
    // A Take waiting for an entry that no thread will fetch now learns that the pool stopped.
    changed_.notify_all();
}

CDownloadAhead::Fetched CDownloadAhead::Take(int index) {
    std::unique_lock lock(mutex_);
    current_ = index;
    // Entries before this one are done with.
    entries_.erase(entries_.begin(), entries_.lower_bound(index));
    changed_.notify_all();
    if (At(index).state == State::Taken) {
        lock.unlock();
        const CDownloadItem item = item_(index);
        return fetch_(item, item.FilePath, &stop_);
    }
    changed_.wait(lock, [&] { return stop_ || entries_[index].state == State::Done; });
    Entry& entry = entries_[index];
    if (entry.state != State::Done)
        return {CHttpDownloader::Result::Failed, {}, {}, QStringLiteral("cancelled")};
    entry.state = State::Taken;
    return entry.fetched;
}
