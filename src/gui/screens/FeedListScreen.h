// The feed list screen ("RSS Mode").

#pragma once

#include "gui/models/FeedListModel.h"
#include "gui/screens/ListScreen.h"

class CRssDatabase;
class QLabel;
class QStackedWidget;

// "RSS Mode": the Feeds of the current View, or all Feeds, and the place where Feeds and Views
// are managed: enabled, disabled, updated, purged, deleted, exported.
class CFeedListScreen : public CListScreen {
    Q_OBJECT
public:
    static constexpr int Id = 2020;
    enum Command {
        ViewProperties = 5001,
        AddNewView = 5002,
        ShowAllFeeds = 5003,
        FeedProperties = 5007,
        DeleteView = 5008,
        DeleteFeed = 5009,
        DisableFeed = 5011,
        EnableFeed = 5012,
        PurgeFeedData = 5013,
        UpdateFeed = 5014,
        RebuildDynamicView = 5015,
        ExportAsOpml = 5016,
        UpdateViewFeeds = 5017,
        SelectViewBase = 5100,
    };

    explicit CFeedListScreen(CRssDatabase& db, QWidget* parent = nullptr);

    // Reloads the rows for the current View (FeedView\CurrentViewID) from the in-memory lists.
    void Refresh();
    void Clear();
    // Reads the current View and the display settings; with `redraw`, a change of the dates
    // setting reloads the rows.
    void ReadSettings(bool redraw);
    // An item of the Feed shown in the item list was read: an unread Feed row becomes read.
    void MarkSelectedFeedRead();
    void OnNavigationKey(NavigationKey key) override;
    void OnCommand(int command) override;
    QMenu* BuildViewsMenu() override;
    QMenu* BuildContextMenu() override;

    const CFeedListModel& Model() const { return model_; }
    qint32 SelectedFeedID() const;
    qint32 CurrentViewID() const { return viewID_; }

signals:
    void feedActivated(qint32 feedID);
    void itemListRequested();
    // The item list shows what was deleted or purged here: it reloads.
    void itemListRefreshRequested();
    // A View's Feeds or items changed; the item list reloads when it shows that View.
    void viewChanged(qint32 viewID);
    void feedUpdateRequested(qint32 feedID);
    void viewUpdateRequested(qint32 viewID);
    void feedWizardRequested();

private:
    // Loads the rows of View index `index` of the in-memory list; -1 shows all Feeds.
    void LoadRows(int index);
    int IndexOfView(qint32 viewID) const;
    void ShowRowsOrEmptyNote();
    void SetSelectedFeedStatus(qint16 status);
    void ShowSelectedFeedStatus(qint16 status);
    void DeleteSelectedFeed();
    void PurgeSelectedFeed();
    void EditView(qint32 viewID);
    void EditSelectedFeed();
    void DeleteCurrentView();
    void RebuildCurrentView();
    void ExportCurrentViewAsOpml();
    bool SelectedIsKeywordView() const;
    void CreateButtons();

    CRssDatabase& db_;
    QStackedWidget* body_;
    QLabel* emptyNote_;
    CFeedListModel model_;
    qint32 viewID_ = 0;
    bool showDates_ = false;
    int dateFormat_ = 1;
};
