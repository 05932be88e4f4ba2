// The item list screen ("View Mode") and its reading mode.

#pragma once

#include "app/ItemPage.h"
#include "gui/models/ItemListModel.h"
#include "gui/screens/ListScreen.h"
#include "store/ItemCursor.h"

#include <QHash>

class CReadingPane;
class CRssDatabase;
class QSplitter;
class QStackedWidget;
class QTableView;
class QTimer;

// "View Mode": the items of one View or Feed, marked unread, read or locked, and the reading
// mode that shows one item at a time. An item on screen for the View's or Feed's read-after
// time becomes read; up and down move through the items, passing read ones when skip-read is on.
class CItemListScreen : public CListScreen {
    Q_OBJECT
public:
    static constexpr int Id = 2010;
    static constexpr int ListMode = 2012;
    static constexpr int ReadingMode = 2014;
    enum Command {
        ViewProperties = 4001,
        Search = 4002,
        MarkAsRead = 4003,
        DeleteItem = 4004,
        ItemProperties = 4005,
        LockItem = 4006,
        MarkAsUnread = 4007,
        UnlockItem = 4008,
        MarkAllUnread = 4009,
        DeleteAudioContent = 4010,
        WhatsNew = 4011,
        SearchResults = 4012,
        MarkAllRead = 4013,
        SelectViewBase = 4100,
    };

    explicit CItemListScreen(CRssDatabase& db, QWidget* parent = nullptr);
    ~CItemListScreen() override;

    void ShowFeed(qint32 feedID);
    // View 0 stands for the first View of the in-memory list.
    void ShowView(qint32 viewID);
    // The items of every Feed together, newest first (the wide window's "Show All Feeds").
    void ShowAllFeeds();
    bool ShowsAllFeeds() const { return allFeeds_; }
    // Shows again what is shown: the remembered View, or the remembered Feed.
    void Refresh();
    void Clear();
    // Reads the remembered Feed or View and the display settings; with `redraw`, a change of
    // the dates setting reloads the rows.
    void ReadSettings(bool redraw);

    void OnNavigationKey(NavigationKey key) override;
    void OnCommand(int command) override;
    QMenu* BuildViewsMenu() override;
    QMenu* BuildContextMenu() override;

    int Mode() const { return mode_; }
    qint32 CurrentFeedID() const { return feedID_; }
    qint32 CurrentViewID() const { return viewID_; }
    const CItemListModel& Model() const { return model_; }
    CReadingPane* Pane() const { return pane_; }
    QTimer* ReadTimer() const { return readTimer_; }
    QAction* WebButton() const { return webButton_; }
    void EnterReadingMode();
    void LeaveReadingMode();

    // Side by side: the items as a table above (or beside) the reading pane, which shows the
    // selected item at once; otherwise the list and the reading mode one at a time.
    void SetWide(bool wide);
    bool IsWide() const { return wide_; }
    QTableView* Table() const { return table_; }
    QSplitter* Splitter() const { return split_; }
    // Moves to the next (step 1) or previous (-1) unread item of the list and shows it; false
    // when there is none that way.
    bool StepToUnread(int step);
    // Pages the article down; at its end moves to the next unread item (false when none).
    bool PageOrNextUnread();
    // Marks the selected item read, or unread again when it was read.
    void ToggleRead();
    void OpenSelectedLink();
    // Lists only unread items (and shows again what is shown).
    void SetUnreadOnly(bool unreadOnly);
    bool UnreadOnly() const { return unreadOnly_; }

signals:
    void feedListRequested();
    // An item of the Feed shown here was read: the feed list marks its row read.
    void feedItemRead();
    // The View's properties were changed here; the feed list refreshes when it shows it.
    void viewEdited(qint32 viewID);
    // Items were marked, deleted or read: the unread counts shown elsewhere change.
    void itemStatusChanged();

private:
    struct LongData {
        QString description;
        QString extended;
    };
    void CreateButtons();
    void LoadItems(const QString& stripText, const std::function<void(CItemCursor&)>& open);
    void BeginList(qint32 viewID, qint32 feedID, bool allFeeds);
    QHash<qint32, QString> CachedAudioFiles();
    std::vector<CFeedItemRecord> ReadItems(CItemCursor& cursor, int count, bool unreadOnly);
    void ShowSelectedItem();
    const LongData& LongDataOf(qint32 feedItemID);
    QString FeedTitleOf(qint32 feedID) const;
    void EditCurrentView();
    void EditItem(int row);
    PageColors Colors() const;
    void Step(int step);
    void OnReadTimer();
    void SetItemStatus(int row, qint16 status);
    void SetAllStatus(qint16 from, qint16 to);
    void OpenSearch();
    void DeleteSelectedItem();
    void DeleteSelectedAudio();
    void SelectAfterRemoval(int removedRow);
    void ReportItemGone(int row);
    void PlayAudio(int row);
    void CreateTable();
    int RowOfItem(qint32 feedItemID) const;
    int RowIcon(int row) const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

    CRssDatabase& db_;
    CItemListModel model_;
    QStackedWidget* body_;
    CReadingPane* pane_;
    QTimer* readTimer_;
    QTableView* table_ = nullptr;
    QSplitter* split_ = nullptr;
    bool wide_ = false;
    bool unreadOnly_ = false;
    QAction* webButton_ = nullptr;
    QAction* modeButton_ = nullptr;
    QHash<qint32, LongData> longData_;
    int mode_ = ListMode;
    qint32 feedID_ = 0;
    qint32 viewID_ = 0;
    bool allFeeds_ = false;
    qint32 currentItemID_ = 0;
    int readAfter_ = 10;
    bool skipRead_ = true;
    bool showDates_ = true;
    int dateFormat_ = 1;
    bool showButtons_ = true;
};
