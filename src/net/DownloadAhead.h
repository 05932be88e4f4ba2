#pragma once

#include "net/HttpDownloader.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

struct CDownloadItem;

// Downloads the entries after the one being processed while it is processed, a few at a time,
// each into a file of its own. The entries are still taken one by one in order, so that what a
// run reports keeps its order; what was fetched ahead and not taken is deleted.
class CDownloadAhead {
public:
    struct Fetched {
        CHttpDownloader::Result result = CHttpDownloader::Result::Failed;
        QString path;
        HttpValidators validators;
        QString failure; // why it failed, for the user
    };
    // Fetches an entry into the file at `path`; a set abort flag ends the transfer.
    using Fetcher =
        std::function<Fetched(const CDownloadItem&, const QString& path, const std::atomic<bool>*)>;

    // `first` is the entry the worker takes first: it is never fetched ahead.
    CDownloadAhead(int depth, int first, std::function<int()> count,
                   std::function<CDownloadItem(int)> item, Fetcher fetch);
    ~CDownloadAhead();
    CDownloadAhead(const CDownloadAhead&) = delete;
    CDownloadAhead& operator=(const CDownloadAhead&) = delete;

    // The download of entry `index`: the one made ahead (waited for while under way), else one
    // made now into the entry's own file.
    Fetched Take(int index);

private:
    enum class State { Fetching, Done, Taken };
    struct Entry {
        State state = State::Fetching;
        Fetched fetched;
    };

    void Run();
    // The next entry to fetch ahead, or -1; called with the mutex held.
    int NextToFetch();

    const int depth_;
    std::function<int()> count_;
    std::function<CDownloadItem(int)> item_;
    Fetcher fetch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, Entry> entries_;
    int current_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
