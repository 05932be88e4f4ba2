// Downloading a run's entries several at a time, taken in order.

#pragma once

#include "net/HttpDownloader.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

struct CDownloadItem;

// Downloads a run's entries several at a time, each into a file of its own, on a pool of
// threads: the entry being taken first, then the ones after it. The entries are still taken one
// by one in order, so that what a run reports keeps its order; what was fetched and not taken
// is deleted. A host (name and port) gets at most as many transfers at once as it may have
// connections, until an answer shows that it speaks HTTP/2: then its transfers share one
// connection and it may take as many as the pool runs.
class CDownloadAhead {
public:
    // How far past the entry being taken the pool may fetch, in transfers: room to skip the
    // entries of a busy host, while few finished files wait on disk.
    static constexpr int WindowPerTransfer = 4;

    struct Fetched {
        CHttpDownloader::Result result = CHttpDownloader::Result::Failed;
        QString path;
        HttpValidators validators;
        QString failure;          // why it failed, for the user
        bool multiplexed = false; // the answer came over HTTP/2
    };
    // Fetches an entry into the file at `path`; a set abort flag ends the transfer.
    using Fetcher =
        std::function<Fetched(const CDownloadItem&, const QString& path, const std::atomic<bool>*)>;

    // `transfers` (at least 1) is how many downloads may run at once, `perServer` (at least 1)
    // how many connections one host may have; `first` is the entry the caller takes first. A set
    // `abandon` ends every transfer under way; it may be set from another thread, before the
    // pool goes.
    CDownloadAhead(int transfers, int perServer, int first, std::function<int()> count,
                   std::function<CDownloadItem(int)> item, Fetcher fetch,
                   std::atomic<bool>& abandon);
    // Every transfer under way is abandoned at once (`abandon` is set).
    ~CDownloadAhead();
    CDownloadAhead(const CDownloadAhead&) = delete;
    CDownloadAhead& operator=(const CDownloadAhead&) = delete;

    // The download of entry `index`, waited for while under way. Enclosures are downloaded
    // here, on the caller's thread, straight into the audio cache.
    Fetched Take(int index);

private:
    enum class State { Waiting, Fetching, Done, Taken };
    struct Entry {
        State state = State::Waiting;
        QString host;
        Fetched fetched;
    };

    void Run();
    // The first entry of the window that waits and whose host has room, or -1; called with the
    // mutex held.
    int NextToFetch();
    // How many transfers the host may have at once; called with the mutex held.
    int RoomOf(const QString& host) const;
    // The entry, looked at for the first time when it is new; called with the mutex held.
    Entry& At(int index);

    const int transfers_;
    const int perServer_;
    const int window_;
    std::function<int()> count_;
    std::function<CDownloadItem(int)> item_;
    Fetcher fetch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, Entry> entries_;
    std::map<QString, int> hostTransfers_; // transfers under way per host
    std::set<QString> multiplexingHosts_;  // hosts that answered over HTTP/2
    int current_;
    std::atomic<bool>& stop_;
    std::vector<std::thread> threads_;
};
