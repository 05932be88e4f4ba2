// The search box's searches, run away from the window's thread.

#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QThread;

// Fills the Search Results View with the items that hold a text, away from the window's
// thread, so that typing in the search box never waits for the database.
class ISearchRunner {
public:
    // Called on the window's thread with whether the search ran.
    using Done = std::function<void(bool ok)>;
    virtual ~ISearchRunner() = default;
    // A later start supersedes an earlier one: only the last one's `done` is called.
    virtual void Start(const QString& text, Done done) = 0;
};

// Runs each search on a thread of its own with a connection of its own to the database at
// `databasePath()`, one search at a time; texts typed meanwhile wait, and only the last of them
// runs next.
class CBackgroundSearch : public QObject, public ISearchRunner {
    Q_OBJECT
public:
    explicit CBackgroundSearch(std::function<QString()> databasePath, QObject* parent = nullptr);
    ~CBackgroundSearch() override;

    void Start(const QString& text, Done done) override;
    bool IsBusy() const { return worker_ != nullptr; }

    // The search itself, on whatever thread calls it: the Search Results View of the database
    // at `path` is rebuilt from the items whose title, keywords or text hold `text`.
    static bool FillSearchResults(const QString& path, const QString& text);

private:
    void RunNext();

    std::function<QString()> databasePath_;
    QThread* worker_ = nullptr;
    std::optional<std::pair<QString, Done>> pending_;
};
