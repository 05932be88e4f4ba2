// The feed list screen ("RSS Mode") and its commands on Feeds and Views.

#include "gui/screens/FeedListScreen.h"

#include "app/UserCommands.h"
#include "config/RegistrySettings.h"
#include "exchange/OpmlExport.h"
#include "gui/desktop/Icons.h"
#include "gui/dialogs/FeedPropertiesDlg.h"
#include "gui/dialogs/ViewPropertiesDlg.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <algorithm>

CFeedListScreen::CFeedListScreen(CRssDatabase& db, QWidget* parent)
    : CListScreen(Id, QStringLiteral("RSSFeeds"), parent), db_(db), body_(new QStackedWidget),
      emptyNote_(MakeNote(QStringLiteral(
          "<p><b>No Feeds to show</b></p><p>Add Feeds with the Feed Wizard, or open another "
          "database through <i>Options &rarr; RSS Database...</i></p>"))) {
    SetStripText(QStringLiteral("Listing is being loaded..."));
    List()->setModel(&model_);
    body_->addWidget(List());
    body_->addWidget(emptyNote_);
    SetBody(body_);
    CreateButtons();
    connect(List(), &QListView::activated, this, [this](const QModelIndex& index) {
        emit feedActivated(index.data(CFeedListModel::FeedIdRole).toInt());
    });
    ReadSettings(false);
}

void CFeedListScreen::CreateButtons() {
    AddButton(QStringLiteral("qp_properties"), QStringLiteral("document-properties"),
              QStringLiteral("Feed commands"), [this] { OpenContextMenuAtBar(); });
    AddButton(QStringLiteral("qp_add"), QStringLiteral("list-add"), QStringLiteral("Feed Wizard"),
              [this] { emit feedWizardRequested(); });
    AddButton(QStringLiteral("qp_up"), QStringLiteral("go-up"), QStringLiteral("Previous Feed"),
              [this] { OnNavigationKey(NavigationKey::Up); });
    AddButton(QStringLiteral("qp_list"), QStringLiteral("document-open"),
              QStringLiteral("Open the Feed's items"),
              [this] { OnNavigationKey(NavigationKey::Action); });
    AddButton(QStringLiteral("qp_down"), QStringLiteral("go-down"), QStringLiteral("Next Feed"),
              [this] { OnNavigationKey(NavigationKey::Down); });
}

void CFeedListScreen::ReadSettings(bool redraw) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    viewID_ = store.Read(Key::FeedViewCurrentViewID);
    const bool showDates = store.Read(Key::ShowFVDates) != 0;
    dateFormat_ = store.Read(Key::DateFormat);
    SetButtonBarVisible(store.Read(Key::ShowFVButtons) != 0);
    const bool datesChanged = showDates != showDates_;
    showDates_ = showDates;
    if (redraw && datesChanged)
        Refresh();
}

qint32 CFeedListScreen::SelectedFeedID() const {
    const QModelIndex current = List()->currentIndex();
    return current.isValid() ? current.data(CFeedListModel::FeedIdRole).toInt() : 0;
}

void CFeedListScreen::Clear() {
    model_.Clear();
    SetStripText(QStringLiteral("Show All Feeds"));
    ShowRowsOrEmptyNote();
}

void CFeedListScreen::ShowRowsOrEmptyNote() {
    body_->setCurrentWidget(model_.rowCount() > 0 ? static_cast<QWidget*>(List()) : emptyNote_);
}

int CFeedListScreen::IndexOfView(qint32 viewID) const {
    const auto found =
        std::find_if(db_.ViewList.begin(), db_.ViewList.end(), [viewID](const CViewRecord& view) {
            return viewID != 0 && view.ViewID == viewID;
        });
    return found == db_.ViewList.end() ? -1 : int(found - db_.ViewList.begin());
}

void CFeedListScreen::Refresh() {
    LoadRows(IndexOfView(viewID_));
}

void CFeedListScreen::LoadRows(int index) {
    const bool all = index < 0 || index >= int(db_.ViewList.size());
    viewID_ = all ? 0 : db_.ViewList[std::size_t(index)].ViewID;
    SetStripText(all ? QStringLiteral("Show All Feeds")
                     : QStringLiteral("Filter: ") + db_.ViewList[std::size_t(index)].Label);
    CRegistrySettings::ForQuillpost().Write(Key::FeedViewCurrentViewID, viewID_);

    model_.Clear();
    repaint();
    std::vector<CFeedRecord> shown;
    {
        WaitCursor wait;
        if (all) {
            shown = db_.FeedList;
        } else {
            // A View lists its enabled member Feeds, in the order of the list of all Feeds.
            const QList<qint32> members = db_.GetViewFeedIDs(viewID_).value_or(QList<qint32>());
            std::copy_if(db_.FeedList.begin(), db_.FeedList.end(), std::back_inserter(shown),
                         [&members](const CFeedRecord& feed) {
                             return feed.Status != 1 && members.contains(feed.FeedID);
                         });
        }
    }
    model_.SetFeeds(shown, showDates_ ? dateFormat_ : -1);
    ShowRowsOrEmptyNote();
    if (model_.rowCount() > 0) {
        SelectRow(0);
        List()->scrollToTop();
    }
}

void CFeedListScreen::OnNavigationKey(NavigationKey key) {
    switch (key) {
    case NavigationKey::Up:
        StepSelection(-1);
        return;
    case NavigationKey::Down:
        StepSelection(1);
        return;
    case NavigationKey::Action:
        if (CurrentRow() >= 0)
            emit feedActivated(SelectedFeedID());
        return;
    case NavigationKey::Left:
        emit itemListRequested();
        return;
    case NavigationKey::Right:
        OpenViewsMenu();
        return;
    }
}

bool CFeedListScreen::SelectedIsKeywordView() const {
    const auto view = db_.GetView(viewID_);
    return view && view->IsKeywordView;
}

QMenu* CFeedListScreen::BuildViewsMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ViewsMenu"));
    AddCommand(menu, AddNewView, QStringLiteral("Add New View..."));
    AddCommand(menu, ExportAsOpml, QStringLiteral("Export as OPML..."));
    AddCommand(menu, ShowAllFeeds, QStringLiteral("Show All Feeds"));
    menu->addSeparator();
    // Reserved Views ("Whats New", "Search Results") are the program's own: they are neither
    // edited nor deleted.
    if (viewID_ > LastReservedViewID) {
        AddCommand(menu, ViewProperties, QStringLiteral("View Properties"));
        AddCommand(menu, UpdateViewFeeds, QStringLiteral("Update View Feeds"));
        if (SelectedIsKeywordView())
            AddCommand(menu, RebuildDynamicView, QStringLiteral("Rebuild Dynamic View"));
        AddCommand(menu, DeleteView, QStringLiteral("Delete View"));
        menu->addSeparator();
    }
    AddUserViewsAndCancel(menu, db_.ViewList, SelectViewBase);
    return menu;
}

QMenu* CFeedListScreen::BuildContextMenu() {
    const int row = CurrentRow();
    if (row < 0)
        return nullptr;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("FeedMenu"));
    if (model_.index(row).data(CFeedListModel::IconIndexRole).toInt() == IconDisabled) {
        AddCommand(menu, EnableFeed, QStringLiteral("Enable Feed"));
    } else {
        AddCommand(menu, UpdateFeed, QStringLiteral("Update Feed"));
        menu->addSeparator();
        AddCommand(menu, DisableFeed, QStringLiteral("Disable Feed"));
    }
    AddCommand(menu, DeleteFeed, QStringLiteral("Delete Feed"));
    AddCommand(menu, PurgeFeedData, QStringLiteral("Purge Feed Data"));
    menu->addSeparator();
    AddCommand(menu, FeedProperties, QStringLiteral("Properties"));
    return menu;
}

void CFeedListScreen::OnCommand(int command) {
    if (command >= SelectViewBase && command < SelectViewBase + 400) {
        LoadRows(command - SelectViewBase);
        return;
    }
    switch (command) {
    case ViewProperties:
        if (viewID_ > LastReservedViewID)
            EditView(viewID_);
        return;
    case AddNewView:
        EditView(0);
        return;
    case FeedProperties:
        EditSelectedFeed();
        return;
    case ShowAllFeeds:
        LoadRows(-1);
        return;
    case DeleteView:
        DeleteCurrentView();
        return;
    case DeleteFeed:
        DeleteSelectedFeed();
        return;
    case DisableFeed:
        SetSelectedFeedStatus(1);
        return;
    case EnableFeed:
        SetSelectedFeedStatus(2);
        return;
    case PurgeFeedData:
        PurgeSelectedFeed();
        return;
    case UpdateFeed:
        if (const qint32 feedID = SelectedFeedID()) {
            SetSelectedFeedStatus(2);
            emit feedUpdateRequested(feedID);
        }
        return;
    case RebuildDynamicView:
        RebuildCurrentView();
        return;
    case ExportAsOpml:
        ExportCurrentViewAsOpml();
        return;
    case UpdateViewFeeds:
        if (viewID_ != 0)
            emit viewUpdateRequested(viewID_);
        return;
    default:
        return;
    }
}

void CFeedListScreen::SetSelectedFeedStatus(qint16 status) {
    if (CurrentRow() < 0)
        return;
    WaitCursor wait;
    db_.SetFeedStatus(SelectedFeedID(), status);
    ShowSelectedFeedStatus(status);
}

// The kept list and the row follow a status the store already holds.
void CFeedListScreen::ShowSelectedFeedStatus(qint16 status) {
    const int row = CurrentRow();
    const qint32 feedID = SelectedFeedID();
    if (row < 0)
        return;
    for (CFeedRecord& feed : db_.FeedList)
        if (feed.FeedID == feedID)
            feed.Status = status;
    model_.SetIcon(row, CFeedListModel::IconForStatus(status));
}

void CFeedListScreen::MarkSelectedFeedRead() {
    const int row = CurrentRow();
    if (row >= 0 && model_.index(row).data(CFeedListModel::IconIndexRole).toInt() == IconUnread)
        SetSelectedFeedStatus(3);
}

void CFeedListScreen::DeleteSelectedFeed() {
    const int row = CurrentRow();
    const qint32 feedID = SelectedFeedID();
    if (row < 0 || DeleteFeedCommand(db_, feedID) == CommandOutcome::Declined)
        return;
    std::erase_if(db_.FeedList,
                  [feedID](const CFeedRecord& feed) { return feed.FeedID == feedID; });
    model_.RemoveFeedRow(row);
    SelectRow(std::min(row, model_.rowCount() - 1));
    ShowRowsOrEmptyNote();
    emit itemListRefreshRequested();
}

void CFeedListScreen::PurgeSelectedFeed() {
    const qint32 feedID = SelectedFeedID();
    if (feedID == 0 || PurgeFeedCommand(db_, feedID) == CommandOutcome::Declined)
        return;
    ShowSelectedFeedStatus(2);
    emit itemListRefreshRequested();
}

// The View edited or added becomes the current one; the item list follows when it shows it.
void CFeedListScreen::EditView(qint32 viewID) {
    CViewPropertiesDlg dialog(db_, viewID, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    db_.LoadViewList();
    LoadRows(IndexOfView(dialog.ViewID()));
    emit viewChanged(dialog.ViewID());
}

// Settings, address and memberships may all have changed: both lists are read again.
void CFeedListScreen::EditSelectedFeed() {
    const qint32 feedID = SelectedFeedID();
    if (feedID == 0)
        return;
    CFeedPropertiesDlg dialog(db_, feedID, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    db_.LoadFeedList(false);
    Refresh();
    for (int row = 0; row < model_.rowCount(); ++row)
        if (model_.index(row).data(CFeedListModel::FeedIdRole).toInt() == feedID)
            SelectRow(row);
    emit itemListRefreshRequested();
}

void CFeedListScreen::DeleteCurrentView() {
    const CommandOutcome outcome = DeleteViewCommand(db_, viewID_);
    if (outcome == CommandOutcome::Declined || outcome == CommandOutcome::Refused)
        return;
    db_.LoadViewList();
    LoadRows(-1);
    emit itemListRefreshRequested();
}

void CFeedListScreen::RebuildCurrentView() {
    const qint32 viewID = viewID_;
    {
        WaitCursor wait;
        db_.RebuildKeywordView(viewID, true, true, true);
    }
    Refresh();
    emit viewChanged(viewID);
}

void CFeedListScreen::ExportCurrentViewAsOpml() {
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export as OPML Subscription"),
                                                QString(), QStringLiteral("*.opml"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".opml"), Qt::CaseInsensitive))
        path += QStringLiteral(".opml");
    QList<qint32> feedIDs;
    for (int row = 0; row < model_.rowCount(); ++row)
        feedIDs << model_.index(row).data(CFeedListModel::FeedIdRole).toInt();
    WaitCursor wait;
    ExportOpml(db_, feedIDs, path);
}
