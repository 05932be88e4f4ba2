// The item search of the Search Results View, cancellable and off the window's thread.

#pragma once

#include "store/RssDatabase.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// A search of the items as the Search Results View shows it: the newest matches, as many as the
// View shows, first; then the count of all matches. Run where it is asked for (the command
// line), or on a thread of its own with a connection of its own (the windows), where a newer
// search or typing on cancels it. It only reads: FillSearchResults stores what it found.
class CDatabaseSearch : public QObject {
    Q_OBJECT
public:
    struct Request {
        QString text;
        CRssDatabase::SearchPlaces places;
    };
    using Shown = std::vector<CFeedItemRecord>;

    explicit CDatabaseSearch(QObject* parent = nullptr);
    // Cancels the search and waits for its thread.
    ~CDatabaseSearch() override;

    // On the caller's thread: `shown` gets the newest matches as soon as they are found,
    // `counted` the count of all once it is done. False when the search failed or was
    // cancelled before its end.
    static bool Run(CRssDatabase& db, const Request& request, const std::atomic<bool>& cancel,
                    const std::function<void(const Shown&)>& shown,
                    const std::function<void(const CMatchCounts&)>& counted);

    // On a thread of its own, on the database file at `path`; a search still running is
    // cancelled first. The signals come on this object's thread.
    void Start(const QString& path, const Request& request);
    void Cancel();
    bool IsRunning() const { return running_; }

signals:
    void shownFound(const CDatabaseSearch::Shown& items);
    void counted(const CMatchCounts& counts);
    // The search ended, done or not; not sent for a cancelled one.
    void finished(bool done);

private:
    void StopThread();

    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool running_ = false;
};
