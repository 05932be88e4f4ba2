#pragma once

#include "gui/FeedListModel.h"
#include "gui/Screen.h"

class CRssDatabase;
class QLabel;
class QListView;
class QStackedWidget;

// "RSS Mode": the Feeds of the current View, or all Feeds. Listing and opening Feeds work
// here; the screen's menus (views, Feed commands) and its button bar come with the Feed
// management commands.
class CFeedListScreen : public CScreen {
    Q_OBJECT
public:
    static constexpr int Id = 2020;

    explicit CFeedListScreen(QWidget* parent = nullptr);

    // Reloads the rows for the current View (FeedView\CurrentViewID) from the in-memory lists.
    void Refresh(CRssDatabase& db);
    void Clear();
    void OnNavigationKey(NavigationKey key) override;

    QString StripText() const;
    QListView* List() const { return list_; }
    const CFeedListModel& Model() const { return model_; }
    qint32 SelectedFeedID() const;

signals:
    void feedActivated(qint32 feedID);
    void itemListRequested();

private:
    void ShowRowsOrEmptyNote();

    QLabel* strip_;
    QStackedWidget* body_;
    QListView* list_;
    QLabel* emptyNote_;
    CFeedListModel model_;
};
