// Fetching the feeds' icons beside the feeds of a download run.

#pragma once

#include "feeds/FeedData.h"
#include "net/ConnectionCheck.h"
#include "store/FeedIconCache.h"

#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

// Fetches the icons of a run's feeds while the run goes on with its feeds: a thread of its own
// asks through the run's connections and its proxy, so that the run waits for icons only at its
// end, for those still under way. A feed's icon comes from its own picture, else from its web
// site's /favicon.ico; a site is asked at most once a day and an answer over
// CFeedIconCache::MostBytes is dropped. Failures are silent: the feed keeps the generic icon.
class CFeedIconFetcher {
public:
    // How long one icon may take, however steadily its bytes come.
    static constexpr qint64 TransferTimeMs = 15 * 1000;

    CFeedIconFetcher(const QString& folder, const ProxyArguments& proxy);
    // Abandons what is left, and writes the index.
    ~CFeedIconFetcher();
    CFeedIconFetcher(const CFeedIconFetcher&) = delete;
    CFeedIconFetcher& operator=(const CFeedIconFetcher&) = delete;

    // The addresses a feed's icon is taken from, in order: its own picture, then the favicon of
    // its web site (`source.homeLink`, else the feed's own address). Only web addresses.
    static QStringList IconAddresses(const QString& feedUrl, const FeedIconSource& source);

    // A feed was downloaded and read.
    void FeedRead(const QString& feedUrl, const FeedIconSource& source);
    // A feed was downloaded unchanged: its icon comes from where it came before.
    void FeedUnchanged(const QString& feedUrl);
    // Waits for the icons asked for (or, without `fetchQueued`, for the one under way only),
    // ends the thread and writes the index. Called once.
    void Finish(bool fetchQueued);
    // Drops what is queued and ends the transfer under way at once; callable from any thread.
    void Abandon();

private:
    void Run();
    // Fetches the first of the feed's addresses that gives an icon; called without the mutex.
    void FetchFor(const QStringList& addresses);
    bool Fetch(const QString& address);

    CFeedIconCache cache_; // guarded by mutex_
    ProxyArguments proxy_;
    std::atomic<bool> abandon_{false};
    QTemporaryDir scratch_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QStringList> queue_;
    std::set<QString> asked_; // addresses asked in this run, whatever came of it
    QDateTime now_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
