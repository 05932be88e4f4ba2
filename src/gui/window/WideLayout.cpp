// The wide window's layout: tool bar, feed tree, item table and reading pane.

#include "gui/window/WideLayout.h"

#include "gui/desktop/Icons.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/screens/ReadingPane.h"
#include "gui/window/SearchRunner.h"
#include "net/DownloadProgressModel.h"
#include "store/RssDatabase.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
// Typing pauses this long before the search starts.
constexpr int SearchPauseMs = 300;
} // namespace

CWideLayout::CWideLayout(CRssDatabase& db, CItemListScreen* items, ISearchRunner& search,
                         QWidget* parent)
    : QWidget(parent), db_(db), items_(items), search_(search), toolBar_(new QToolBar),
      split_(new QSplitter(Qt::Horizontal)), tree_(new QTreeView), searchBox_(new QLineEdit),
      searchDelay_(new QTimer(this)) {
    setObjectName(QStringLiteral("WideLayout"));
    split_->setObjectName(QStringLiteral("WideSplitter"));
    split_->setChildrenCollapsible(false);
    tree_->setObjectName(QStringLiteral("FeedTree"));
    tree_->setModel(&model_);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setFrameShape(QFrame::NoFrame);
    tree_->setTabKeyNavigation(false);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(CFeedTreeModel::NameColumn, QHeaderView::Stretch);
    tree_->header()->setSectionResizeMode(CFeedTreeModel::UnreadColumn,
                                          QHeaderView::ResizeToContents);
    split_->addWidget(tree_);
    split_->setStretchFactor(0, 0);
    CreateToolBar();
    CreateKeys();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(split_, 1);

    connect(tree_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) { OnTreeSelection(index); });
    connect(items_, &CItemListScreen::itemStatusChanged, this, &CWideLayout::UpdateCounts);
    searchDelay_->setSingleShot(true);
    searchDelay_->setInterval(SearchPauseMs);
    connect(searchDelay_, &QTimer::timeout, this, &CWideLayout::StartSearch);
}

void CWideLayout::CreateToolBar() {
    toolBar_->setObjectName(QStringLiteral("WideToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* updateAll =
        toolBar_->addAction(CommandIcon(QStringLiteral("view-refresh"), QStringLiteral("update")),
                            QStringLiteral("Update All"), this, &CWideLayout::updateAllRequested);
    updateAll->setObjectName(QStringLiteral("UpdateAllButton"));
    QAction* update = toolBar_->addAction(
        CommandIcon(QStringLiteral("emblem-synchronizing"), QStringLiteral("update")),
        QStringLiteral("Update"), this, &CWideLayout::UpdateSelection);
    update->setObjectName(QStringLiteral("UpdateButton"));
    update->setToolTip(QStringLiteral("Update the selected Feed or View"));
    toolBar_->addSeparator();
    QAction* markAll = toolBar_->addAction(
        CommandIcon(QStringLiteral("mail-mark-read"), QStringLiteral("qp_read")),
        QStringLiteral("Mark All Read"), this,
        [this] { items_->OnCommand(CItemListScreen::MarkAllRead); });
    markAll->setObjectName(QStringLiteral("MarkAllReadButton"));
    unreadOnly_ =
        toolBar_->addAction(CommandIcon(QStringLiteral("view-filter"), QStringLiteral("qp_unread")),
                            QStringLiteral("Unread only"));
    unreadOnly_->setObjectName(QStringLiteral("UnreadOnlyButton"));
    unreadOnly_->setCheckable(true);
    connect(unreadOnly_, &QAction::toggled, items_, &CItemListScreen::SetUnreadOnly);
    auto* spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar_->addWidget(spacer);
    searchBox_->setObjectName(QStringLiteral("SearchBox"));
    searchBox_->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    searchBox_->setClearButtonEnabled(true);
    searchBox_->setMinimumWidth(260);
    searchBox_->setMaximumWidth(360);
    toolBar_->addWidget(searchBox_);
    // Typing on drops the search of the shorter text and waits for the next pause.
    connect(searchBox_, &QLineEdit::textEdited, this, [this] {
        search_.Cancel();
        searchDelay_->start();
    });
    connect(searchBox_, &QLineEdit::returnPressed, this, &CWideLayout::StartSearch);
}

void CWideLayout::CreateKeys() {
    const auto bind = [this](const QKeySequence& keys, auto&& act) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, act);
        shortcut->setEnabled(false);
        keys_ << shortcut;
    };
    bind(QKeySequence(Qt::Key_N), [this] { StepToUnread(1); });
    bind(QKeySequence(Qt::Key_P), [this] { StepToUnread(-1); });
    bind(QKeySequence(Qt::Key_M), [this] { items_->ToggleRead(); });
    bind(QKeySequence(Qt::Key_Space), [this] { PageOrNextUnread(); });
    bind(QKeySequence(Qt::Key_Return), [this] { items_->OpenSelectedLink(); });
    bind(QKeySequence(Qt::Key_Enter), [this] { items_->OpenSelectedLink(); });
    bind(QKeySequence::Find, [this] {
        searchBox_->setFocus(Qt::ShortcutFocusReason);
        searchBox_->selectAll();
    });
}

void CWideLayout::SetKeysEnabled(bool enabled) {
    for (QShortcut* key : keys_)
        key->setEnabled(enabled);
}

void CWideLayout::TakeItemScreen() {
    SetKeysEnabled(true);
    split_->addWidget(items_);
    split_->setStretchFactor(1, 1);
    items_->SetWide(true);
    items_->Pane()->setTabChangesFocus(true);
    items_->Table()->setTabKeyNavigation(false);
    setTabOrder(tree_, items_->Table());
    setTabOrder(items_->Table(), items_->Pane());
    setTabOrder(items_->Pane(), searchBox_);
    items_->show();
}

void CWideLayout::ReleaseItemScreen() {
    SetKeysEnabled(false);
    items_->SetWide(false);
    items_->setParent(nullptr);
}

void CWideLayout::Rebuild() {
    selecting_ = true;
    model_.Rebuild(db_);
    tree_->expandAll();
    SelectShownInTree();
    selecting_ = false;
}

void CWideLayout::UpdateCounts() {
    if (db_.IsOpen())
        model_.UpdateCounts(db_);
}

// The row of what the item screen shows: "Show All Feeds", its Feed under that, or its View.
void CWideLayout::SelectShownInTree() {
    const QModelIndex shown = items_->ShowsAllFeeds() ? model_.Find(CFeedTreeModel::AllFeedsNode, 0)
                              : items_->CurrentViewID() != 0
                                  ? model_.Find(CFeedTreeModel::ViewNode, items_->CurrentViewID())
                                  : model_.Find(CFeedTreeModel::FeedNode, items_->CurrentFeedID());
    if (!shown.isValid())
        return;
    tree_->setCurrentIndex(shown);
    tree_->scrollTo(shown);
}

void CWideLayout::OnTreeSelection(const QModelIndex& index) {
    if (selecting_ || !index.isValid())
        return;
    switch (CFeedTreeModel::KindOf(index)) {
    case CFeedTreeModel::FeedNode:
        items_->ShowFeed(CFeedTreeModel::IdOf(index));
        return;
    case CFeedTreeModel::ViewNode:
        items_->ShowView(CFeedTreeModel::IdOf(index));
        return;
    case CFeedTreeModel::AllFeedsNode:
        items_->ShowAllFeeds();
        return;
    }
}

void CWideLayout::UpdateSelection() {
    const QModelIndex index = tree_->currentIndex();
    switch (index.isValid() ? CFeedTreeModel::KindOf(index) : CFeedTreeModel::AllFeedsNode) {
    case CFeedTreeModel::FeedNode:
        emit feedUpdateRequested(CFeedTreeModel::IdOf(index));
        return;
    case CFeedTreeModel::ViewNode:
        emit viewUpdateRequested(CFeedTreeModel::IdOf(index));
        return;
    case CFeedTreeModel::AllFeedsNode:
        emit updateAllRequested();
        return;
    }
}

QModelIndex CWideLayout::NextFeedWithUnread(int step) const {
    // The Feeds in the order the tree shows them, the selected one's place among them.
    QModelIndexList feeds;
    int at = -1;
    for (int top = 0; top < model_.rowCount(); ++top) {
        const QModelIndex parent = model_.index(top, 0);
        for (int row = 0; row < model_.rowCount(parent); ++row) {
            const QModelIndex feed = model_.index(row, 0, parent);
            if (feed == tree_->currentIndex())
                at = int(feeds.size());
            feeds << feed;
        }
    }
    for (int i = at + step; i >= 0 && i < feeds.size(); i += step)
        if (CFeedTreeModel::UnreadOf(feeds[i]) > 0 &&
            CFeedTreeModel::IdOf(feeds[i]) != items_->CurrentFeedID())
            return feeds[i];
    return {};
}

bool CWideLayout::StepToUnread(int step) {
    if (items_->StepToUnread(step))
        return true;
    const QModelIndex next = NextFeedWithUnread(step);
    if (!next.isValid())
        return false;
    tree_->setCurrentIndex(next);
    // The list opens at its first row; that one counts when it is unread.
    const QAbstractItemModel* rows = items_->Table()->model();
    if (rows->rowCount() > 0 &&
        rows->index(0, 0).data(CItemListModel::IconIndexRole).toInt() == ItemUnread)
        return true;
    return items_->StepToUnread(1);
}

void CWideLayout::PageOrNextUnread() {
    if (!items_->PageOrNextUnread())
        StepToUnread(1);
}

void CWideLayout::StartSearch() {
    searchDelay_->stop();
    const QString text = searchBox_->text().trimmed();
    if (text.isEmpty())
        return;
    search_.Start(text, [this](bool ok) { OnSearchDone(ok); });
}

void CWideLayout::OnSearchDone(bool ok) {
    if (!ok)
        return;
    UpdateCounts();
    const QModelIndex results = model_.Find(CFeedTreeModel::ViewNode, SearchResultsViewID);
    if (results.isValid() && tree_->currentIndex() != results)
        tree_->setCurrentIndex(results);
    else
        items_->ShowView(SearchResultsViewID);
}

void CWideLayout::OnRunProgress(const CDownloadProgressModel& progress) {
    const std::vector<CDownloadProgressModel::Row> rows = progress.Rows();
    if (rows.size() < runRowsSeen_)
        runRowsSeen_ = 0;
    bool stored = false;
    // A row in progress is passed over once a later one follows it (notes, a cancelled entry);
    // the last one is looked at again at the next change.
    for (; runRowsSeen_ < rows.size(); ++runRowsSeen_) {
        const CDownloadProgressModel::Row& row = rows[runRowsSeen_];
        if (row.icon == CDownloadProgressModel::InProgress) {
            if (runRowsSeen_ + 1 == rows.size())
                break;
            continue;
        }
        stored = true;
        if (row.feedID != 0)
            model_.SetFeedFailure(row.feedID, row.icon == CDownloadProgressModel::Failed
                                                  ? (row.note.isEmpty() ? row.status : row.note)
                                                  : QString());
    }
    if (stored)
        UpdateCounts();
}
