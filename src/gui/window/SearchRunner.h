// The search box's searches, run away from the window's thread.

#pragma once

#include "app/DatabaseSearch.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CRssDatabase;

// Fills the Search Results View with the items that hold a text, away from the window's
// thread, so that typing in the search box never waits for the database.
class ISearchRunner {
public:
    // Called on the window's thread with whether the search ran and its results were stored.
    using Done = std::function<void(bool ok)>;
    virtual ~ISearchRunner() = default;
    // A later start supersedes an earlier one: only the last one's `done` is called.
    virtual void Start(const QString& text, Done done) = 0;
    // The search under way is dropped, its `done` never called.
    virtual void Cancel() = 0;
};

// The database search of every front end (title, keywords and text, Unicode case folded, the
// newest matches first, all matches counted apart) on a thread and a connection of its own.
// What it found becomes the Search Results View through the window's own connection.
class CBackgroundSearch : public QObject, public ISearchRunner {
    Q_OBJECT
public:
    explicit CBackgroundSearch(CRssDatabase& db, QObject* parent = nullptr);

    void Start(const QString& text, Done done) override;
    void Cancel() override;
    bool IsBusy() const { return search_.IsRunning(); }

private:
    void OnFinished(bool found);

    CRssDatabase& db_;
    CDatabaseSearch search_;
    QString text_;
    CDatabaseSearch::Shown shown_;
    std::optional<CMatchCounts> counts_;
    Done done_;
};
