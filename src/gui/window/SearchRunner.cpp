// The search box's searches: the database search of every front end, run away from the
// window's thread.

#include "gui/window/SearchRunner.h"

#include "store/RssDatabase.h"

CBackgroundSearch::CBackgroundSearch(CRssDatabase& db, QObject* parent) : QObject(parent), db_(db) {
    connect(&search_, &CDatabaseSearch::shownFound, this,
            [this](const CDatabaseSearch::Shown& items) { shown_ = items; });
    connect(&search_, &CDatabaseSearch::counted, this,
            [this](const CMatchCounts& counts) { counts_ = counts; });
    connect(&search_, &CDatabaseSearch::finished, this, &CBackgroundSearch::OnFinished);
}

void CBackgroundSearch::Start(const QString& text, Done done) {
    text_ = text;
    shown_.clear();
    counts_.reset();
    done_ = std::move(done);
    search_.Start(db_.DatabasePath(), {text, CRssDatabase::SearchPlaces{}});
}

void CBackgroundSearch::Cancel() {
    search_.Cancel();
    done_ = nullptr;
}

void CBackgroundSearch::OnFinished(bool found) {
    const Done done = std::exchange(done_, nullptr);
    if (!done)
        return;
    done(found && counts_ && db_.FillSearchResults(text_, shown_, counts_));
}
