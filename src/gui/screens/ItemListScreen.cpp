// The item list screen ("View Mode"), its reading mode and its commands on items.

#include "gui/screens/ItemListScreen.h"

#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "gui/desktop/Contrast.h"
#include "gui/desktop/Icons.h"
#include "gui/desktop/Launcher.h"
#include "gui/dialogs/ItemPropertiesDlg.h"
#include "gui/dialogs/SearchDlg.h"
#include "gui/dialogs/ViewPropertiesDlg.h"
#include "gui/models/ListDates.h"
#include "gui/screens/ReadingPane.h"
#include "store/AudioCache.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <optional>

namespace {
const QString ConfirmDelete = QStringLiteral("Confirm Delete");
constexpr int DefaultReadAfter = 10;
} // namespace

CItemListScreen::CItemListScreen(CRssDatabase& db, QWidget* parent)
    : CListScreen(Id, QStringLiteral("RSSView"), parent), db_(db), body_(new QStackedWidget),
      pane_(new CReadingPane), readTimer_(new QTimer(this)) {
    SetStripText(QStringLiteral("Listing is being loaded..."));
    List()->setModel(&model_);
    List()->setIconSize(CItemListModel::IconArea);
    body_->addWidget(List());
    body_->addWidget(pane_);
    SetBody(body_);
    CreateButtons();
    CreateTable();
    readTimer_->setSingleShot(true);
    connect(readTimer_, &QTimer::timeout, this, &CItemListScreen::OnReadTimer);
    connect(List(), &QListView::activated, this, [this] { EnterReadingMode(); });
    connect(pane_, &CReadingPane::linkTapped, this, [](const QUrl& link) { OpenLink(link); });
    // The Delete key alone: the desktop's standard delete keys include Ctrl+D, the RSS Database
    // command's.
    auto* remove = new QShortcut(QKeySequence(Qt::Key_Delete), this);
    remove->setContext(Qt::WidgetWithChildrenShortcut);
    connect(remove, &QShortcut::activated, this, [this] { OnCommand(DeleteItem); });
    ReadSettings(false);
}

CItemListScreen::~CItemListScreen() = default;

// The table shares the list's model and selection, so that every command of the screen acts on
// the row selected in either.
void CItemListScreen::CreateTable() {
    split_ = new QSplitter(Qt::Vertical);
    split_->setObjectName(QStringLiteral("ItemSplitter"));
    split_->setChildrenCollapsible(false);
    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("ItemTable"));
    table_->setModel(&model_);
    table_->setSelectionModel(List()->selectionModel());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setIconSize(CItemListModel::IconArea);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setFrameShape(QFrame::NoFrame);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setSortIndicatorClearable(true);
    // The store's order until the user clicks a header.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    table_->viewport()->installEventFilter(this);
    split_->addWidget(table_);
    body_->addWidget(split_);
    connect(table_, &QTableView::activated, this, [this] { OpenSelectedLink(); });
    connect(List()->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (wide_)
            ShowSelectedItem();
    });
}

void CItemListScreen::SetWide(bool wide) {
    if (wide == wide_)
        return;
    const qint32 selected = CurrentRow() < 0 ? 0 : model_.Item(CurrentRow()).FeedItemID;
    LeaveReadingMode();
    wide_ = wide;
    model_.SetTableColumns(wide);
    if (wide) {
        split_->insertWidget(1, pane_);
        pane_->show();
        body_->setCurrentWidget(split_);
        QHeaderView* header = table_->horizontalHeader();
        header->setSectionResizeMode(CItemListModel::TitleColumn, QHeaderView::Stretch);
        header->resizeSection(CItemListModel::FeedColumn, 180);
        header->resizeSection(CItemListModel::AuthorColumn, 140);
        header->resizeSection(CItemListModel::DateColumn, 150);
    } else {
        body_->insertWidget(1, pane_);
        body_->setCurrentWidget(List());
    }
    SetButtonBarVisible(!wide && showButtons_);
    SelectRow(selected == 0 ? 0 : RowOfItem(selected));
}

bool CItemListScreen::StepToUnread(int step) {
    for (int row = CurrentRow() + step; row >= 0; row += step) {
        if (row >= model_.rowCount() && model_.canFetchMore(QModelIndex()))
            model_.fetchMore(QModelIndex());
        if (row >= model_.rowCount())
            return false;
        if (model_.Item(row).Status != ItemUnread)
            continue;
        SelectRow(row);
        if (!wide_ && mode_ == ReadingMode)
            ShowSelectedItem();
        return true;
    }
    return false;
}

bool CItemListScreen::PageOrNextUnread() {
    QScrollBar* bar = pane_->verticalScrollBar();
    if (CurrentRow() >= 0 && bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + bar->pageStep());
        return true;
    }
    return StepToUnread(1);
}

void CItemListScreen::ToggleRead() {
    const int row = CurrentRow();
    if (row < 0 || RowIcon(row) == ItemLocked)
        return;
    readTimer_->stop();
    SetItemStatus(row, RowIcon(row) == ItemRead ? ItemUnread : ItemRead);
    emit itemStatusChanged();
}

void CItemListScreen::CreateButtons() {
    AddButton(QStringLiteral("qp_properties"), QStringLiteral("document-properties"),
              QStringLiteral("Item commands"), [this] { OpenContextMenuAtBar(); });
    webButton_ = AddButton(QStringLiteral("qp_web"), QStringLiteral("internet-web-browser"),
                           QStringLiteral("Open the item's link"), [this] { OpenSelectedLink(); });
    AddButton(QStringLiteral("qp_up"), QStringLiteral("go-up"), QStringLiteral("Previous item"),
              [this] { OnNavigationKey(NavigationKey::Up); });
    modeButton_ = AddButton(QStringLiteral("qp_description"), QStringLiteral("document-open"),
                            QStringLiteral("Read the item"),
                            [this] { OnNavigationKey(NavigationKey::Action); });
    AddButton(QStringLiteral("qp_down"), QStringLiteral("go-down"), QStringLiteral("Next item"),
              [this] { OnNavigationKey(NavigationKey::Down); });
    webButton_->setEnabled(false);
}

void CItemListScreen::ReadSettings(bool redraw) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    feedID_ = store.Read(Key::ItemViewCurrentFeedID);
    viewID_ = store.Read(Key::ItemViewCurrentViewID);
    allFeeds_ = store.Read(Key::ItemViewAllFeeds) != 0;
    const bool showDates = store.Read(Key::ShowIVDates) != 0;
    dateFormat_ = store.Read(Key::DateFormat);
    showButtons_ = store.Read(Key::ShowIVButtons) != 0;
    SetButtonBarVisible(!wide_ && (showButtons_ || mode_ == ReadingMode));
    const bool datesChanged = showDates != showDates_;
    showDates_ = showDates;
    if (redraw && datesChanged)
        Refresh();
}

// Colours the user left at their defaults follow the desktop's palette, so that a dark desktop
// reads its items light on dark. The handheld's text colour, which earlier settings screens
// wrote as they were saved, counts as left at its default.
PageColors CItemListScreen::Colors() const {
    constexpr int HandheldTextColour = 0xC07B7B;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const auto stored = [&](const IntKey& key) -> std::optional<QColor> {
        const int value = store.Read(key);
        if (value == key.runtimeDefault || (&key == &Key::TxColor && value == HandheldTextColour))
            return std::nullopt;
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    };
    const QColor base = stored(Key::BgColor).value_or(palette().color(QPalette::Base));
    const QColor text = stored(Key::TxColor).value_or(palette().color(QPalette::Text));
    const QColor link =
        stored(Key::LkColor).value_or(ReadableOn(palette().color(QPalette::Link), base));
    const auto value = [](const QColor& colour) {
        return quint32(colour.red() | colour.green() << 8 | colour.blue() << 16);
    };
    return {value(base), value(text), value(link)};
}

void CItemListScreen::Clear() {
    LeaveReadingMode();
    model_.Clear();
    longData_.clear();
    SetStripText(QStringLiteral("No View Available"));
}

// The next `count` items of the cursor; with `unreadOnly`, read ones are passed over and more
// are read in their place, so that a short batch still means the end of the list.
std::vector<CFeedItemRecord> CItemListScreen::ReadItems(CItemCursor& cursor, int count,
                                                        bool unreadOnly) {
    std::vector<CFeedItemRecord> items;
    for (;;) {
        const int wanted = count - int(items.size());
        db_.LoadMoreItems(cursor, wanted);
        std::vector<CFeedItemRecord> more = std::exchange(db_.ItemList, {});
        const bool last = int(more.size()) < wanted;
        std::copy_if(std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()),
                     std::back_inserter(items), [unreadOnly](const CFeedItemRecord& item) {
                         return !unreadOnly || item.Status == ItemUnread;
                     });
        if (last || int(items.size()) >= count)
            return items;
    }
}

void CItemListScreen::SetUnreadOnly(bool unreadOnly) {
    if (unreadOnly == unreadOnly_)
        return;
    unreadOnly_ = unreadOnly;
    Refresh();
}

QHash<qint32, QString> CItemListScreen::CachedAudioFiles() {
    QHash<qint32, QString> files;
    db_.LoadAudioList(1);
    for (const CAudioEntry& entry : db_.AudioList) {
        const QString path = AudioCacheFilePath(db_.AudioFolder(), entry.FeedLabel, entry.Link);
        if (QFileInfo(path).size() > 0)
            files.insert(entry.FeedItemID, path);
    }
    return files;
}

// `open` opens the cursor over the list; its rows are read a page at a time as the list
// scrolls, so that a View of many thousand items opens at once.
void CItemListScreen::LoadItems(const QString& stripText,
                                const std::function<void(CItemCursor&)>& open) {
    SetStripText(QStringLiteral("View is being loaded..."));
    model_.Clear();
    longData_.clear();
    repaint();
    auto cursor = std::make_shared<CItemCursor>();
    {
        WaitCursor wait;
        open(*cursor);
        QHash<qint32, QString> audio = CachedAudioFiles();
        QHash<qint32, QString> feedTitles;
        for (const CFeedRecord& feed : db_.FeedList)
            feedTitles.insert(feed.FeedID, feed.Title);
        model_.SetFeeds(std::move(feedTitles), FeedIcons(db_.FeedList));
        model_.SetSource([this, cursor, unreadOnly = unreadOnly_](
                             int count) { return ReadItems(*cursor, count, unreadOnly); },
                         std::move(audio), showDates_ ? dateFormat_ : -1);
    }
    SetStripText(stripText);
    // The author column only where the list's feeds name their authors.
    table_->setColumnHidden(CItemListModel::AuthorColumn, !model_.HasAuthors());
    SelectRow(0);
    List()->scrollToTop();
}

// The reading mode left and the list's settings at their defaults until its record is read;
// the choice is written to the configuration, so that the next start shows the list again.
void CItemListScreen::BeginList(qint32 viewID, qint32 feedID, bool allFeeds) {
    LeaveReadingMode();
    viewID_ = viewID;
    feedID_ = feedID;
    allFeeds_ = allFeeds;
    currentItemID_ = 0;
    readAfter_ = DefaultReadAfter;
    skipRead_ = true;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.Write(Key::ItemViewCurrentViewID, viewID);
    store.Write(Key::ItemViewCurrentFeedID, feedID);
    store.Write(Key::ItemViewAllFeeds, allFeeds ? 1 : 0);
}

void CItemListScreen::ShowFeed(qint32 feedID) {
    BeginList(0, feedID, false);
    const auto feed = std::find_if(db_.FeedList.begin(), db_.FeedList.end(),
                                   [feedID](const CFeedRecord& f) { return f.FeedID == feedID; });
    if (feed == db_.FeedList.end()) {
        Clear();
        return;
    }
    LoadItems(QStringLiteral("Feed: ") + feed->Title, [&](CItemCursor& cursor) {
        if (const auto record = db_.GetFeed(feedID))
            readAfter_ = record->ReadAfter;
        db_.OpenFeedItems(cursor, feedID, 0);
    });
}

void CItemListScreen::ShowView(qint32 viewID) {
    if (viewID == 0 && !db_.ViewList.empty())
        viewID = db_.ViewList.front().ViewID;
    BeginList(viewID, 0, false);
    const auto view = std::find_if(db_.ViewList.begin(), db_.ViewList.end(),
                                   [viewID](const CViewRecord& v) { return v.ViewID == viewID; });
    if (view == db_.ViewList.end()) {
        Clear();
        return;
    }
    LoadItems(view->Label, [&](CItemCursor& cursor) {
        if (const auto record = db_.GetView(viewID)) {
            readAfter_ = record->ReadAfter;
            skipRead_ = record->DPadSkipRead;
        }
        db_.OpenViewItems(cursor, viewID, false);
    });
}

void CItemListScreen::ShowAllFeeds() {
    BeginList(0, 0, true);
    LoadItems(QStringLiteral("Show All Feeds"),
              [this](CItemCursor& cursor) { db_.OpenAllFeedsItems(cursor); });
}

void CItemListScreen::Refresh() {
    LeaveReadingMode();
    if (allFeeds_) {
        ShowAllFeeds();
        return;
    }
    if (db_.ViewList.empty())
        viewID_ = 0;
    if (viewID_ == 0 && feedID_ != 0)
        ShowFeed(feedID_);
    else
        ShowView(viewID_);
}

void CItemListScreen::EnterReadingMode() {
    if (CurrentRow() < 0)
        return;
    if (wide_) {
        pane_->setFocus();
        return;
    }
    body_->setCurrentWidget(pane_);
    mode_ = ReadingMode;
    pane_->SetFontSmoothing(!TheAppSettings().isVGA);
    ShowSelectedItem();
    if (mode_ != ReadingMode)
        return;
    webButton_->setEnabled(true);
    modeButton_->setIcon(CommandIcon(QStringLiteral("view-list-text"), QStringLiteral("qp_list")));
    modeButton_->setText(QStringLiteral("Back to the list"));
    SetButtonBarVisible(true);
    pane_->setFocus();
}

void CItemListScreen::LeaveReadingMode() {
    readTimer_->stop();
    if (wide_)
        return;
    const bool wasReading = mode_ == ReadingMode;
    body_->setCurrentWidget(List());
    mode_ = ListMode;
    webButton_->setEnabled(false);
    modeButton_->setIcon(
        CommandIcon(QStringLiteral("document-open"), QStringLiteral("qp_description")));
    modeButton_->setText(QStringLiteral("Read the item"));
    SetButtonBarVisible(showButtons_);
    if (wasReading)
        List()->setFocus();
}

const CItemListScreen::LongData& CItemListScreen::LongDataOf(qint32 feedItemID) {
    auto found = longData_.find(feedItemID);
    if (found == longData_.end()) {
        LongData data;
        if (const auto text = db_.GetItemText(feedItemID, 0))
            data.description = text->Text;
        if (const auto text = db_.GetItemText(feedItemID, 1))
            data.extended = text->Text;
        found = longData_.insert(feedItemID, data);
    }
    return *found;
}

// The View's name and settings may have changed: it is shown again from the reloaded list.
void CItemListScreen::EditCurrentView() {
    const qint32 viewID = viewID_;
    CViewPropertiesDlg dialog(db_, viewID, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    db_.LoadViewList();
    ShowView(viewID);
    emit viewEdited(viewID);
}

void CItemListScreen::EditItem(int row) {
    const qint32 feedItemID = model_.index(row).data(CItemListModel::FeedItemIdRole).toInt();
    const auto item = db_.GetItem(feedItemID);
    CItemPropertiesDlg dialog(db_, feedItemID, item ? FeedTitleOf(item->FeedID) : QString(), this);
    dialog.exec();
}

QString CItemListScreen::FeedTitleOf(qint32 feedID) const {
    for (const CFeedRecord& feed : db_.FeedList)
        if (feed.FeedID == feedID)
            return feed.Title;
    return QString();
}

void CItemListScreen::ShowSelectedItem() {
    readTimer_->stop();
    const int row = CurrentRow();
    currentItemID_ = row < 0 ? 0 : model_.Item(row).FeedItemID;
    if (row < 0) {
        pane_->ClearPage();
        return;
    }
    // Another program may have deleted the item since the list was read.
    if (!db_.GetItem(currentItemID_)) {
        ReportItemGone(row);
        return;
    }
    if (readAfter_ > 0)
        readTimer_->start(readAfter_ * 1000);
    const CFeedItemRecord& item = model_.Item(row);
    const LongData& data = LongDataOf(item.FeedItemID);
    if (CRegistrySettings::ForQuillpost().Read(Key::ShowExtended) != 0 &&
        !data.extended.isEmpty()) {
        WaitCursor wait;
        pane_->ShowRaw(data.extended);
        return;
    }
    const bool dated = item.ItemDate.isValid() && item.ItemDate.date().year() != 0;
    const QString body = ComposeItemBody(
        FeedTitleOf(item.FeedID), item, dated ? RowDateText(item.ItemDate, dateFormat_) : QString(),
        data.description);
    const PageColors colors = Colors();
    pane_->ShowPage(
        WrapItemPage(body, colors), colors,
        ZoomLevel(FontSizeWord(CRegistrySettings::ForQuillpost().Read(Key::ItemFontSize))));
}

// The desktop went dark or light: the page shown takes the new palette.
void CItemListScreen::changeEvent(QEvent* event) {
    CListScreen::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && currentItemID_ != 0)
        ShowSelectedItem();
}

void CItemListScreen::ReportItemGone(int row) {
    CurrentPrompt().ShowMessage(QStringLiteral("This Feed Item is no longer valid."),
                                QStringLiteral("Quillpost"));
    model_.RemoveItemRow(row);
    currentItemID_ = 0;
    LeaveReadingMode();
    SelectRow(std::min(row, model_.rowCount() - 1));
}

int CItemListScreen::RowIcon(int row) const {
    return model_.Item(row).Status;
}

int CItemListScreen::RowOfItem(qint32 feedItemID) const {
    for (int row = 0; row < model_.ItemCount(); ++row)
        if (model_.Item(row).FeedItemID == feedItemID)
            return row;
    return -1;
}

void CItemListScreen::OnReadTimer() {
    readTimer_->stop();
    const int row = currentItemID_ == 0 ? -1 : RowOfItem(currentItemID_);
    if (row >= 0 && RowIcon(row) == ItemUnread) {
        SetItemStatus(row, ItemRead);
        emit itemStatusChanged();
    }
}

void CItemListScreen::SetItemStatus(int row, qint16 status) {
    std::optional<WaitCursor> wait;
    if (mode_ == ListMode)
        wait.emplace();
    model_.SetStatus(row, status);
    db_.SetItemStatus(model_.Item(row).FeedItemID, status);
    if (feedID_ != 0 && viewID_ == 0 && status == ItemRead)
        emit feedItemRead();
}

void CItemListScreen::SetAllStatus(qint16 from, qint16 to) {
    WaitCursor wait;
    model_.FetchAll();
    for (int row = 0; row < model_.ItemCount(); ++row)
        if (RowIcon(row) == from)
            SetItemStatus(row, to);
}

void CItemListScreen::Step(int step) {
    for (;;) {
        if (!StepSelection(step)) {
            if (mode_ == ReadingMode)
                LeaveReadingMode();
            return;
        }
        if (skipRead_ && RowIcon(CurrentRow()) == ItemRead)
            continue;
        if (mode_ == ReadingMode)
            ShowSelectedItem();
        return;
    }
}

void CItemListScreen::OnNavigationKey(NavigationKey key) {
    switch (key) {
    case NavigationKey::Up:
        Step(-1);
        return;
    case NavigationKey::Down:
        Step(1);
        return;
    case NavigationKey::Action:
        if (mode_ == ReadingMode)
            LeaveReadingMode();
        else
            EnterReadingMode();
        return;
    case NavigationKey::Left:
        LeaveReadingMode();
        emit feedListRequested();
        return;
    case NavigationKey::Right:
        OpenViewsMenu();
        return;
    }
}

QMenu* CItemListScreen::BuildViewsMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ViewsMenu"));
    AddCommand(menu, Search, QStringLiteral("Search..."));
    AddCommand(menu, SearchResults, QStringLiteral("Search Results"));
    AddCommand(menu, WhatsNew, QStringLiteral("What's New"));
    menu->addSeparator();
    if (viewID_ > LastReservedViewID)
        AddCommand(menu, ViewProperties, QStringLiteral("View Properties"));
    AddCommand(menu, MarkAllRead, QStringLiteral("Mark all Read"));
    AddCommand(menu, MarkAllUnread, QStringLiteral("Mark all Unread"));
    menu->addSeparator();
    AddUserViewsAndCancel(menu, db_.ViewList, SelectViewBase);
    return menu;
}

QMenu* CItemListScreen::BuildContextMenu() {
    const int row = CurrentRow();
    if (row < 0)
        return nullptr;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ItemMenu"));
    if (!model_.AudioFile(row).isEmpty()) {
        AddCommand(menu, DeleteAudioContent, QStringLiteral("Delete Audio Content"));
        menu->addSeparator();
    }
    const int icon = RowIcon(row);
    if (icon == ItemLocked) {
        AddCommand(menu, UnlockItem, QStringLiteral("UnLock Item"));
    } else {
        if (icon == ItemRead)
            AddCommand(menu, MarkAsUnread, QStringLiteral("Mark As UnRead"));
        else
            AddCommand(menu, MarkAsRead, QStringLiteral("Mark As Read"));
        AddCommand(menu, LockItem, QStringLiteral("Lock Item"));
    }
    AddCommand(menu, DeleteItem, QStringLiteral("Delete Item"));
    menu->addSeparator();
    AddCommand(menu, ItemProperties, QStringLiteral("Properties"));
    return menu;
}

void CItemListScreen::OnCommand(int command) {
    if (command >= SelectViewBase && command < SelectViewBase + 400) {
        const std::size_t index = std::size_t(command - SelectViewBase);
        if (index < db_.ViewList.size())
            ShowView(db_.ViewList[index].ViewID);
        return;
    }
    const int row = CurrentRow();
    const auto withRow = [row](auto&& act) {
        if (row >= 0)
            act();
    };
    switch (command) {
    case ViewProperties:
        if (viewID_ > LastReservedViewID)
            EditCurrentView();
        return;
    case Search:
        OpenSearch();
        return;
    case ItemProperties:
        withRow([&] { EditItem(row); });
        return;
    case MarkAsRead:
        withRow([&] { SetItemStatus(row, ItemRead); });
        break;
    case MarkAsUnread:
        withRow([&] { SetItemStatus(row, ItemUnread); });
        break;
    case LockItem:
        withRow([&] { SetItemStatus(row, ItemLocked); });
        break;
    case UnlockItem:
        withRow([&] { SetItemStatus(row, ItemRead); });
        break;
    case DeleteItem:
        DeleteSelectedItem();
        break;
    case DeleteAudioContent:
        DeleteSelectedAudio();
        return;
    case MarkAllRead:
        SetAllStatus(ItemUnread, ItemRead);
        break;
    case MarkAllUnread:
        SetAllStatus(ItemRead, ItemUnread);
        break;
    case WhatsNew:
        ShowView(WhatsNewViewID);
        return;
    case SearchResults:
        ShowView(SearchResultsViewID);
        return;
    default:
        return;
    }
    emit itemStatusChanged();
}

void CItemListScreen::OpenSearch() {
    CSearchDlg dialog(db_, this);
    if (dialog.exec() == QDialog::Accepted)
        ShowView(SearchResultsViewID);
}

void CItemListScreen::DeleteSelectedItem() {
    const int row = CurrentRow();
    if (row < 0 ||
        !CurrentPrompt().AskYesNo(
            QStringLiteral("Are you sure you want to delete the selected item?"), ConfirmDelete))
        return;
    db_.LoadAudioList(1);
    db_.DeleteItem(model_.Item(row).FeedItemID);
    longData_.remove(model_.Item(row).FeedItemID);
    model_.RemoveItemRow(row);
    SelectAfterRemoval(row);
}

void CItemListScreen::SelectAfterRemoval(int removedRow) {
    SelectRow(std::min(removedRow, model_.rowCount() - 1));
    if (mode_ != ReadingMode)
        return;
    if (CurrentRow() < 0)
        LeaveReadingMode();
    else
        ShowSelectedItem();
}

void CItemListScreen::DeleteSelectedAudio() {
    const int row = CurrentRow();
    if (row < 0 || model_.AudioFile(row).isEmpty() ||
        !CurrentPrompt().AskYesNo(QStringLiteral("Are you sure you want to delete the Audio "
                                                 "Content for the selected item?"),
                                  ConfirmDelete))
        return;
    db_.LoadAudioList(1);
    db_.DeleteAudio(model_.Item(row).FeedItemID);
    model_.RemoveAudio(row);
}

void CItemListScreen::OpenSelectedLink() {
    const int row = CurrentRow();
    if ((mode_ == ReadingMode || wide_) && row >= 0 && !model_.Item(row).Link.isEmpty())
        OpenLink(QUrl(model_.Item(row).Link));
}

void CItemListScreen::PlayAudio(int row) {
    const QString path = model_.AudioFile(row);
    if (!path.isEmpty())
        OpenAudioFile(path);
}

bool CItemListScreen::eventFilter(QObject* watched, QEvent* event) {
    // A click on a row's audio icon plays the enclosure instead of selecting the row.
    if (watched == List()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QModelIndex index = List()->indexAt(pos);
        const QRect rect = List()->visualRect(index);
        const int audioLeft = rect.left() + CItemListModel::IconArea.width() - 16;
        if (index.isValid() && index.data(CItemListModel::HasAudioRole).toBool() &&
            pos.x() >= audioLeft && pos.x() < audioLeft + 20) {
            PlayAudio(index.row());
            return true;
        }
    }
    return CListScreen::eventFilter(watched, event);
}
