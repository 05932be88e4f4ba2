#include "net/DownloadAhead.h"

#include "net/DownloadManager.h"

#include <QFile>

CDownloadAhead::CDownloadAhead(int depth, int first, std::function<int()> count,
                               std::function<CDownloadItem(int)> item, Fetcher fetch)
    : depth_(depth), count_(std::move(count)), item_(std::move(item)), fetch_(std::move(fetch)),
      current_(first), thread_([this] { Run(); }) {}

// Transfers under way are abandoned: nothing fetched ahead is used once the run is over.
CDownloadAhead::~CDownloadAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    for (const auto& [index, entry] : entries_)
        if (entry.state == State::Done)
            QFile::remove(entry.fetched.path);
}

int CDownloadAhead::NextToFetch() {
    const int count = count_();
    for (int index = current_ + 1; index <= current_ + depth_ && index < count; ++index)
        if (!entries_.count(index))
            return index;
    return -1;
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
        const CDownloadItem item = item_(index);
        // Enclosures go straight into the audio cache by the worker itself.
        if (item.IsAudio) {
            entry.state = State::Taken;
            continue;
        }
        lock.unlock();
        const Fetched fetched =
            fetch_(item, item.FilePath + QStringLiteral(".ahead%1").arg(index), &stop_);
        lock.lock();
        entries_[index].fetched = fetched;
        entries_[index].state = State::Done;
        changed_.notify_all();
    }
    CHttpDownloader::CloseCachedSession();
}

CDownloadAhead::Fetched CDownloadAhead::Take(int index) {
    std::unique_lock lock(mutex_);
    current_ = index;
    changed_.notify_all();
    auto it = entries_.find(index);
    if (it == entries_.end() || it->second.state == State::Taken) {
        entries_[index].state = State::Taken;
        lock.unlock();
        const CDownloadItem item = item_(index);
        return fetch_(item, item.FilePath, nullptr);
    }
    changed_.wait(lock, [&] { return entries_[index].state == State::Done; });
    Entry& entry = entries_[index];
    entry.state = State::Taken;
    return entry.fetched;
}
