// The search box's searches, run away from the window's thread.

#include "gui/window/SearchRunner.h"

#include "store/RssDatabase.h"

#include <QThread>
#include <memory>

CBackgroundSearch::CBackgroundSearch(std::function<QString()> databasePath, QObject* parent)
    : QObject(parent), databasePath_(std::move(databasePath)) {}

CBackgroundSearch::~CBackgroundSearch() {
    pending_.reset();
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

bool CBackgroundSearch::FillSearchResults(const QString& path, const QString& text) {
    CRssDatabase db;
    if (db.OpenDatabase(path, false) != 1)
        return false;
    auto view = db.GetView(SearchResultsViewID);
    if (!view)
        return false;
    view->Keywords = text;
    return db.UpdateView(*view) && db.RebuildKeywordView(SearchResultsViewID, true, true, true);
}

void CBackgroundSearch::Start(const QString& text, Done done) {
    pending_.emplace(text, std::move(done));
    if (!worker_)
        RunNext();
}

void CBackgroundSearch::RunNext() {
    auto [text, done] = std::move(*pending_);
    pending_.reset();
    auto ok = std::make_shared<bool>(false);
    worker_ = QThread::create(
        [path = databasePath_(), text = text, ok] { *ok = FillSearchResults(path, text); });
    connect(worker_, &QThread::finished, this, [this, ok, done = std::move(done)] {
        worker_->deleteLater();
        worker_ = nullptr;
        // A newer text came while this one ran: its result is the one to show.
        if (pending_)
            RunNext();
        else if (done)
            done(*ok);
    });
    worker_->start();
}
