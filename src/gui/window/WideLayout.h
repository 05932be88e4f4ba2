// The wide window's layout: tool bar, feed tree, item table and reading pane.

#pragma once

#include "gui/models/FeedTreeModel.h"

#include <QWidget>

class CDownloadProgressModel;
class CItemListScreen;
class CRssDatabase;
class ISearchRunner;
class QAction;
class QLineEdit;
class QShortcut;
class QSplitter;
class QTimer;
class QToolBar;
class QTreeView;

// The layout of a wide window: a tool bar across the top (search box, "Unread only", Mark All
// Read, Update All, Update), the feed tree on the left and, on the right, the item list screen
// with its table and reading pane. The tree chooses what the item screen lists; the keys of a
// desktop reader (N, P, M, Space, Return, Tab, Ctrl+F) work across both.
class CWideLayout : public QWidget {
    Q_OBJECT
public:
    CWideLayout(CRssDatabase& db, CItemListScreen* items, ISearchRunner& search,
                QWidget* parent = nullptr);

    // Takes the item screen into the right half, or gives it back (to no parent).
    void TakeItemScreen();
    void ReleaseItemScreen();

    // Builds the tree again from the in-memory lists and selects what the item screen shows.
    void Rebuild();
    void UpdateCounts();
    // Goes to the next (1) or previous (-1) unread item, in the next Feed of the tree when the
    // list has no more; false when there is none anywhere.
    bool StepToUnread(int step);
    // Space: pages the article, then goes on to the next unread item.
    void PageOrNextUnread();
    // A run went on: as each Feed is stored the counts are read again, and Feeds that failed
    // are marked (those that succeeded lose their mark).
    void OnRunProgress(const CDownloadProgressModel& progress);

    QTreeView* Tree() const { return tree_; }
    CFeedTreeModel& TreeModel() { return model_; }
    QSplitter* Splitter() const { return split_; }
    QLineEdit* SearchBox() const { return searchBox_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QAction* UnreadOnlyAction() const { return unreadOnly_; }

signals:
    void updateAllRequested();
    void feedUpdateRequested(qint32 feedID);
    void viewUpdateRequested(qint32 viewID);

private:
    void CreateToolBar();
    void CreateKeys();
    // The keys are the wide layout's only while it is shown.
    void SetKeysEnabled(bool enabled);
    void OnTreeSelection(const QModelIndex& index);
    void SelectShownInTree();
    void UpdateSelection();
    void StartSearch();
    void OnSearchDone(bool ok);
    // The next Feed row after (or before) the selected one that has unread items.
    QModelIndex NextFeedWithUnread(int step) const;

    CRssDatabase& db_;
    CItemListScreen* items_;
    ISearchRunner& search_;
    CFeedTreeModel model_;
    QToolBar* toolBar_;
    QSplitter* split_;
    QTreeView* tree_;
    QLineEdit* searchBox_;
    QAction* unreadOnly_ = nullptr;
    QTimer* searchDelay_;
    QList<QShortcut*> keys_;
    bool selecting_ = false;
    std::size_t runRowsSeen_ = 0;
};
