// The item search of the Search Results View, run in place or on a thread of its own.

#include "app/DatabaseSearch.h"

#include <QMetaObject>
#include <limits>

CDatabaseSearch::CDatabaseSearch(QObject* parent) : QObject(parent) {}

CDatabaseSearch::~CDatabaseSearch() {
    StopThread();
}

bool CDatabaseSearch::Run(CRssDatabase& db, const Request& request, const std::atomic<bool>& cancel,
                          const std::function<void(const Shown&)>& shown,
                          const std::function<void(const CMatchCounts&)>& counted) {
    const auto view = db.GetView(SearchResultsViewID);
    if (!view)
        return false;
    // The matches come newest first: a capped View shows the newest of them.
    const int most = Limits(view->NumToShow) ? view->NumToShow : std::numeric_limits<int>::max();
    CItemCursor cursor;
    if (!db.OpenSearch(cursor, request.text, request.places, &cancel) ||
        !db.LoadMoreItems(cursor, most) || cancel)
        return false;
    shown(db.ItemList);
    const std::optional<CMatchCounts> counts = db.CountMatches(cursor);
    if (!counts || cancel)
        return false;
    counted(*counts);
    return true;
}

void CDatabaseSearch::Start(const QString& path, const Request& request) {
    StopThread();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancel_ = cancel;
    running_ = true;
    // Each result is handed over only while this run is still the one asked for.
    const auto deliver = [this, cancel](auto&& signal) {
        QMetaObject::invokeMethod(
            this,
            [this, cancel, signal = std::forward<decltype(signal)>(signal)] {
                if (!*cancel)
                    signal();
            },
            Qt::QueuedConnection);
    };
    thread_ = std::thread([this, path, request, cancel, deliver] {
        CRssDatabase db;
        db.NoUpgradePrompt = true;
        const bool done =
            db.OpenDatabase(path, false) == 1 &&
            Run(
                db, request, *cancel,
                [&](const Shown& items) { deliver([this, items] { emit shownFound(items); }); },
                [&](const CMatchCounts& counts) {
                    deliver([this, counts] { emit counted(counts); });
                });
        deliver([this, done] {
            running_ = false;
            emit finished(done);
        });
    });
}

void CDatabaseSearch::Cancel() {
    if (cancel_)
        *cancel_ = true;
    running_ = false;
}

void CDatabaseSearch::StopThread() {
    Cancel();
    if (thread_.joinable())
        thread_.join();
}
