// The main view: its screens, menus, keys and the commands that switch between them.

#include "gui/window/QuillpostView.h"

#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "gui/desktop/Icons.h"
#include "gui/dialogs/MappingDlg.h"
#include "gui/dialogs/NetworkConnectionDlg.h"
#include "gui/dialogs/SettingsDlg.h"
#include "gui/dialogs/SyncAccountDlg.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/FirstStartNote.h"
#include "gui/screens/HelpWindow.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/screens/ReadingPane.h"
#include "gui/window/WideLayout.h"
#include "gui/window/WindowState.h"
#include "net/RunLock.h"
#include "store/Prompt.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeySequence>
#include <QListView>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int StartupDelayMs = 300;
constexpr int ScheduleIntervalMs = 60 * 1000;
} // namespace

CQuillpostView::CQuillpostView(const StartOptions& options, ConnectivityProbe probe,
                               QWidget* parent)
    : QWidget(parent), options_(options), bars_(new QStackedWidget), screens_(new QStackedWidget),
      feedList_(new CFeedListScreen(db_)), itemList_(new CItemListScreen(db_)),
      progress_(new CDownloadProgressWnd(db_, probe)), firstStartNote_(new CFirstStartNote),
      search_(db_), databaseOptions_(
                        db_, [this] { return progress_->IsRunning(); }, this),
      feedAddresses_(
          db_, probe, [this] { return startupDone_; }, databaseOptions_, this),
      startup_(db_, options_), startupTimer_(new QTimer(this)), scheduleTimer_(new QTimer(this)),
      probe_(std::move(probe)) {
    setObjectName(QStringLiteral("QuillpostView"));
    CreateActions();
    CreateMainMenu();
    // Created once, all hidden until the start-up sequence shows the remembered one.
    AddScreen(itemList_);
    AddScreen(feedList_);
    AddScreen(progress_);
    CreateCommandBars();
    CreateNavigationKeys();
    CreateLayoutActions();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bars_);
    layout->addWidget(firstStartNote_);
    layout->addWidget(screens_, 1);
    bars_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    ConnectListScreens();
    connect(firstStartNote_, &CFirstStartNote::updateAllRequested, this,
            [this] { OnCommand(UpdateAllFeeds); });
    connect(firstStartNote_, &CFirstStartNote::wizardRequested, this,
            [this] { OnCommand(FeedWizard); });
    CreateWideLayout();
    ApplyListFont();
    connect(progress_, &CDownloadProgressWnd::refreshRequested, this,
            [this] { OnCommand(DownloadFinished); });

    // The sequence runs once the empty window has been painted, so that its messages stand
    // over a window: right after the first paint, or after a while if no paint comes (a
    // window started hidden).
    startupTimer_->setSingleShot(true);
    startupTimer_->setInterval(StartupDelayMs);
    connect(startupTimer_, &QTimer::timeout, this, &CQuillpostView::RunStartupSequence);
    ConnectStartupSequence();
    startupTimer_->start();
    scheduleTimer_->setInterval(ScheduleIntervalMs);
    connect(scheduleTimer_, &QTimer::timeout, this, &CQuillpostView::EvaluateReloadSchedule);
}

CQuillpostView::~CQuillpostView() {
    // The progress page stops its run and waits for the worker while the database it works on
    // is still there (child widgets would otherwise outlive the view's members).
    delete progress_;
    // The item screen lives in whichever layout is shown; it goes with the view.
    if (wideShown_)
        wide_->ReleaseItemScreen();
    delete itemList_;
}

void CQuillpostView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!startupDone_ && startupTimer_->isActive() && startupTimer_->interval() != 0)
        startupTimer_->start(0);
}

void CQuillpostView::CreateActions() {
    struct Entry {
        int command;
        const char* text;
        QKeySequence keys;
        const char* themeIcon;
        const char* ownIcon;
    };
    const Entry entries[] = {
        {UpdateAllFeeds, "Update All Feeds", QKeySequence(Qt::CTRL | Qt::Key_R), "view-refresh",
         "update"},
        {DownloadAudioData, "Download Audio Data", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A),
         "audio-x-generic", "audio"},
        {DatabaseOptions, "RSS Database...", QKeySequence(Qt::CTRL | Qt::Key_D), "drive-harddisk",
         "database"},
        {FeedWizard, "Feed Wizard...", QKeySequence(Qt::CTRL | Qt::Key_N), "list-add", "add"},
        {RssMapping, "RSS Mapping...", QKeySequence(Qt::CTRL | Qt::Key_M), "document-properties",
         "mapping"},
        {QuillpostSettings, "Quillpost Settings...", QKeySequence(Qt::CTRL | Qt::Key_Comma),
         "preferences-system", "settings"},
        {NetworkConnection, "Network Connection...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
         "network-wired", "network"},
        {ServerAccount, "Server Account...", QKeySequence(), "network-server", "update"},
        {Help, "Help", QKeySequence(Qt::Key_F1), "help-contents", "help"},
        {Exit, "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q), "application-exit", "exit"},
        {ShowFeedList, "Feed List", QKeySequence(Qt::CTRL | Qt::Key_1), "view-list-text", "feeds"},
        {ShowItemList, "Item List", QKeySequence(Qt::CTRL | Qt::Key_2), "view-list-details",
         "items"},
        {ShowScreenHelp, "About This Screen", QKeySequence(Qt::SHIFT | Qt::Key_F1), "help-about",
         "help"},
        {UpdateAllFromBar, "Update All", QKeySequence(), "view-refresh", "update"},
        {CancelDownload, "Cancel", QKeySequence(Qt::Key_Escape), "process-stop", "cancel"},
    };
    for (const Entry& entry : entries) {
        auto* action = new QAction(
            CommandIcon(QString::fromLatin1(entry.themeIcon), QString::fromLatin1(entry.ownIcon)),
            QString::fromLatin1(entry.text), this);
        action->setData(entry.command);
        action->setShortcut(entry.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, command = entry.command] { OnCommand(command); });
        actions_.insert(entry.command, action);
        addAction(action);
    }
    actions_[UpdateAllFromBar]->setToolTip(QStringLiteral("Update All Feeds (Ctrl+R)"));
    actions_[CancelDownload]->setEnabled(false);
}

void CQuillpostView::CreateMainMenu() {
    mainMenu_ = new QMenu(QStringLiteral("&Options"), this);
    mainMenu_->setObjectName(QStringLiteral("MainMenu"));
    const std::initializer_list<int> order = {UpdateAllFeeds,
                                              DownloadAudioData,
                                              0,
                                              DatabaseOptions,
                                              0,
                                              FeedWizard,
                                              RssMapping,
                                              0,
                                              QuillpostSettings,
                                              NetworkConnection,
                                              ServerAccount,
                                              0,
                                              Help,
                                              0,
                                              Exit};
    for (int command : order) {
        if (command == 0)
            mainMenu_->addSeparator();
        else
            mainMenu_->addAction(actions_[command]);
    }
}

void CQuillpostView::AddScreen(CScreen* screen) {
    screens_->addWidget(screen);
    bars_->addWidget(screen->CommandBar());
}

CScreen* CQuillpostView::Screen(int screenId) const {
    switch (screenId) {
    case CItemListScreen::Id:
        return itemList_;
    case CFeedListScreen::Id:
        return feedList_;
    case CDownloadProgressWnd::Id:
        return progress_;
    default:
        return nullptr;
    }
}

void CQuillpostView::CreateCommandBars() {
    // Each list screen's bar starts with the main menu's button on the left.
    for (CScreen* screen : {static_cast<CScreen*>(feedList_), static_cast<CScreen*>(itemList_)}) {
        QToolBar* bar = screen->CommandBar();
        auto* options = new QToolButton(bar);
        options->setObjectName(QStringLiteral("OptionsButton"));
        options->setText(QStringLiteral("Options"));
        options->setIcon(CommandIcon(QStringLiteral("open-menu"), QStringLiteral("menu")));
        options->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        options->setPopupMode(QToolButton::InstantPopup);
        options->setMenu(mainMenu_);
        bar->addWidget(options);
        bar->addSeparator();
        bar->addAction(actions_[screen == feedList_ ? ShowItemList : ShowFeedList]);
        bar->addAction(actions_[UpdateAllFromBar]);
        auto* spacer = new QWidget(bar);
        spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        bar->addWidget(spacer);
        bar->addAction(actions_[ShowScreenHelp]);
    }
    // The page is left by the run's end: while it runs, the worker holds the database that the
    // list screens read.
    progress_->CommandBar()->addAction(actions_[CancelDownload]);
}

void CQuillpostView::CreateNavigationKeys() {
    // Taken by the main window and passed to the screen shown, whatever has the focus in it.
    const std::pair<int, NavigationKey> keys[] = {
        {Qt::Key_Up, NavigationKey::Up},         {Qt::Key_Down, NavigationKey::Down},
        {Qt::Key_Left, NavigationKey::Left},     {Qt::Key_Right, NavigationKey::Right},
        {Qt::Key_Return, NavigationKey::Action}, {Qt::Key_Enter, NavigationKey::Action}};
    for (const auto& [key, navigation] : keys) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, navigation = navigation] {
            if (CScreen* screen = Screen(activeScreen_))
                screen->OnNavigationKey(navigation);
        });
        navigationKeys_ << shortcut;
    }
}

void CQuillpostView::CreateLayoutActions() {
    auto* group = new QActionGroup(this);
    const std::pair<int, const char*> choices[] = {{LayoutAutomatic, "Automatic Layout"},
                                                   {LayoutWide, "Wide Layout"},
                                                   {LayoutNarrow, "Narrow Layout"}};
    const int chosen = LayoutAutomatic + int(CWindowState::ChosenLayout());
    for (const auto& [command, text] : choices) {
        auto* action = new QAction(QString::fromLatin1(text), group);
        action->setCheckable(true);
        action->setChecked(command == chosen);
        connect(action, &QAction::triggered, this,
                [this, command = command] { OnCommand(command); });
        actions_.insert(command, action);
    }
    auto* beside = new QAction(QStringLiteral("Reading Pane Beside the Items"), this);
    beside->setCheckable(true);
    beside->setChecked(CWindowState::ReadingPaneBeside());
    connect(beside, &QAction::triggered, this, [this] { OnCommand(ReadingPaneBeside); });
    actions_.insert(ReadingPaneBeside, beside);
}

void CQuillpostView::CreateWideLayout() {
    wide_ = new CWideLayout(db_, itemList_, search_);
    screens_->addWidget(wide_);
    connect(progress_, &CDownloadProgressWnd::progressChanged, this, [this] {
        if (wideShown_)
            wide_->OnRunProgress(progress_->Progress());
    });
    connect(wide_, &CWideLayout::updateAllRequested, this, [this] { OnCommand(UpdateAllFeeds); });
    connect(wide_, &CWideLayout::feedUpdateRequested, this,
            [this](qint32 feedID) { StartDownloadRun(RunKind::OneFeed, feedID); });
    connect(wide_, &CWideLayout::viewUpdateRequested, this,
            [this](qint32 viewID) { StartDownloadRun(RunKind::OneView, viewID); });
}

void CQuillpostView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void CQuillpostView::ApplyLayout() {
    switch (CWindowState::ChosenLayout()) {
    case CWindowState::Layout::Wide:
        SetWideLayout(true);
        return;
    case CWindowState::Layout::Narrow:
        SetWideLayout(false);
        return;
    case CWindowState::Layout::Automatic:
        SetWideLayout(width() >= CWindowState::WideThreshold);
        return;
    }
}

// The item screen moves between the two layouts; the narrow screens' window-wide navigation
// keys are off in the wide one, where Up and Down move in the focused pane.
void CQuillpostView::SetWideLayout(bool wide) {
    if (wide == wideShown_)
        return;
    const int active = activeScreen_;
    wideShown_ = wide;
    for (QShortcut* key : navigationKeys_)
        key->setEnabled(!wide);
    if (wide) {
        wide_->TakeItemScreen();
        PlaceReadingPane();
        wide_->Splitter()->restoreState(CWindowState::Read("TreeSplitter"));
        itemList_->Table()->horizontalHeader()->restoreState(CWindowState::Read("ItemColumns"));
        if (db_.IsOpen())
            wide_->Rebuild();
        bars_->hide();
        screens_->setCurrentWidget(wide_);
        wide_->Tree()->setFocus();
    } else {
        SaveLayoutState();
        wide_->ReleaseItemScreen();
        screens_->insertWidget(0, itemList_);
        bars_->show();
        activeScreen_ = 0;
        SwitchScreen(active != 0 ? active : int(CFeedListScreen::Id));
    }
    emit stateChanged();
}

void CQuillpostView::PlaceReadingPane() {
    const bool beside = CWindowState::ReadingPaneBeside();
    QSplitter* split = itemList_->Splitter();
    split->setOrientation(beside ? Qt::Horizontal : Qt::Vertical);
    if (!split->restoreState(CWindowState::Read(beside ? "PaneBesideSplitter" : "PaneSplitter")))
        split->setSizes(beside ? QList<int>{500, 600} : QList<int>{280, 420});
}

void CQuillpostView::SaveLayoutState() {
    if (!wideShown_)
        return;
    CWindowState::Write("TreeSplitter", wide_->Splitter()->saveState());
    CWindowState::Write(CWindowState::ReadingPaneBeside() ? "PaneBesideSplitter" : "PaneSplitter",
                        itemList_->Splitter()->saveState());
    CWindowState::Write("ItemColumns", itemList_->Table()->horizontalHeader()->saveState());
}

void CQuillpostView::SwitchScreen(int screenId) {
    CScreen* screen = Screen(screenId);
    if (!screen)
        return;
    if (wideShown_) {
        // The wide layout shows both lists at once, and a run in the status bar: the list
        // asked for takes the focus.
        screens_->setCurrentWidget(wide_);
        if (screenId != CDownloadProgressWnd::Id) {
            activeScreen_ = screenId;
            CRegistrySettings::ForQuillpost().Write(Key::ActiveView, screenId);
            if (screenId == CFeedListScreen::Id)
                wide_->Tree()->setFocus();
            else
                itemList_->Table()->setFocus();
        }
        emit stateChanged();
        return;
    }
    if (screenId != CItemListScreen::Id)
        itemList_->LeaveReadingMode();
    activeScreen_ = screenId;
    screens_->setCurrentWidget(screen);
    bars_->setCurrentWidget(screen->CommandBar());
    if (screenId != CDownloadProgressWnd::Id)
        CRegistrySettings::ForQuillpost().Write(Key::ActiveView, screenId);
    const bool running = screenId == CDownloadProgressWnd::Id;
    actions_[CancelDownload]->setEnabled(running);
    emit stateChanged();
}

bool CQuillpostView::StartDownloadRun(RunKind kind, qint32 id) {
    if (progress_->IsActive() || progress_->IsRunning()) {
        emit runRefused();
        return false;
    }
    const int remembered =
        activeScreen_ == CDownloadProgressWnd::Id ? returnScreen_ : activeScreen_;
    audioRun_ = kind == RunKind::Audio;
    // The page is shown first, so that the run's first rows land on it.
    returnScreen_ = remembered;
    SwitchScreen(CDownloadProgressWnd::Id);
    const bool started = kind == RunKind::Audio     ? progress_->StartAudioRun()
                         : kind == RunKind::Account ? progress_->StartAccountRun()
                         : kind == RunKind::OneView
                             ? progress_->StartViewRun(id)
                             : progress_->StartFeedRun(kind == RunKind::OneFeed ? id : 0);
    if (!started) {
        SwitchScreen(remembered != 0 ? remembered : int(CFeedListScreen::Id));
        return false;
    }
    unreadBeforeRun_ = db_.CountAllFeedItems();
    return true;
}

void CQuillpostView::OnDownloadRunEnded() {
    if (activeScreen_ == CDownloadProgressWnd::Id)
        SwitchScreen(returnScreen_ != 0 ? returnScreen_ : int(CFeedListScreen::Id));
    ReloadLists();
    if (!audioRun_)
        emit feedRunFinished(CompareUnread(unreadBeforeRun_, db_.CountAllFeedItems()));
}

QStringList CQuillpostView::FeedTitles(const QList<qint32>& feedIDs) const {
    QStringList titles;
    for (const CFeedRecord& feed : db_.FeedList)
        if (feedIDs.contains(feed.FeedID))
            titles.append(feed.Title);
    return titles;
}

QString CQuillpostView::FeedIconFile(const QList<qint32>& feedIDs) const {
    const QHash<qint32, QString> files = FeedIconFiles(db_.FeedList);
    for (qint32 feedID : feedIDs)
        if (files.contains(feedID))
            return files.value(feedID);
    return {};
}

void CQuillpostView::ShowWhatsNew() {
    if (progress_->IsActive())
        return;
    itemList_->ShowView(WhatsNewViewID);
    SwitchScreen(CItemListScreen::Id);
}

void CQuillpostView::ReloadLists() {
    db_.LoadViewList();
    db_.LoadFeedList(false);
    RefreshScreens();
}

void CQuillpostView::RefreshScreens() {
    if (db_.IsOpen()) {
        feedList_->Refresh();
        itemList_->Refresh();
        if (wideShown_)
            wide_->Rebuild();
    } else {
        feedList_->Clear();
        itemList_->Clear();
    }
    emit stateChanged();
    EmitUnreadCount();
}

void CQuillpostView::EmitUnreadCount() {
    emit unreadCountChanged(db_.IsOpen() ? TotalUnread(db_.CountAllFeedItems()) : 0);
}

void CQuillpostView::ConnectStartupSequence() {
    connect(&startup_, &CStartupSequence::closeRequested, this, &CQuillpostView::closeRequested);
    connect(&startup_, &CStartupSequence::settingsRequested, this, &CQuillpostView::OpenSettings);
    connect(&startup_, &CStartupSequence::databaseCreated, firstStartNote_,
            &CFirstStartNote::ShowFor);
    connect(&startup_, &CStartupSequence::statusWarning, this, &CQuillpostView::statusWarning);
    connect(&startup_, &CStartupSequence::screensRequested, this, [this] {
        LoadScreens();
        startupDone_ = true;
        scheduleTimer_->start();
    });
    connect(&startup_, &CStartupSequence::reloadRequested, this,
            [this] { StartDownloadRun(RunKind::AllFeeds); });
    connect(&startup_, &CStartupSequence::addressHandedOver, &feedAddresses_,
            &CFeedAddresses::OpenHandedOverAddress);
    connect(&startup_, &CStartupSequence::finished, this, &CQuillpostView::startupFinished);
    connect(&databaseOptions_, &CDatabaseOptions::currentDatabaseChanged, this,
            &CQuillpostView::ReadScreenSettings);
    connect(&databaseOptions_, &CDatabaseOptions::listsChanged, this, &CQuillpostView::ReloadLists);
    connect(&databaseOptions_, &CDatabaseOptions::feedListRequested, this,
            [this] { SwitchScreen(CFeedListScreen::Id); });
    connect(&databaseOptions_, &CDatabaseOptions::closeRequested, this,
            &CQuillpostView::closeRequested);
    connect(&feedAddresses_, &CFeedAddresses::currentViewChanged, this,
            &CQuillpostView::ReadScreenSettings);
    connect(&feedAddresses_, &CFeedAddresses::listsChanged, this, &CQuillpostView::ReloadLists);
    connect(&feedAddresses_, &CFeedAddresses::accountSyncRequested, this,
            [this] { StartDownloadRun(RunKind::Account); });
}

void CQuillpostView::RunStartupSequence() {
    startupTimer_->stop();
    startup_.Run();
}

void CQuillpostView::LoadScreens() {
    // The lock is taken once for the whole first load, not once per query.
    db_.HoldLock = true;
    db_.LoadViewList();
    db_.LoadFeedList(false);
    const int remembered = CRegistrySettings::ForQuillpost().Read(Key::ActiveView);
    SwitchScreen(remembered == CItemListScreen::Id ? int(CItemListScreen::Id)
                                                   : int(CFeedListScreen::Id));
    ReadScreenSettings();
    RefreshScreens();
    db_.HoldLock = false;
    db_.Unlock();
}

void CQuillpostView::dragEnterEvent(QDragEnterEvent* event) {
    if (CFeedAddresses::Carries(event->mimeData()))
        event->acceptProposedAction();
}

void CQuillpostView::dropEvent(QDropEvent* event) {
    if (!CFeedAddresses::Carries(event->mimeData()))
        return;
    event->acceptProposedAction();
    feedAddresses_.TakeDrop(event->mimeData());
}

void CQuillpostView::OpenNetworkConnection() {
    CNetworkConnectionDlg dialog(this);
    dialog.exec();
}

void CQuillpostView::OpenServerAccount() {
    if (!db_.IsOpen()) {
        CurrentPrompt().ShowMessage(QStringLiteral("No Quillpost database is open. A server "
                                                   "account belongs to the database it syncs: "
                                                   "open or create one first."),
                                    QStringLiteral("Server Account"));
        return;
    }
    CSyncAccountDlg dialog(db_, this);
    dialog.exec();
}

void CQuillpostView::ReadScreenSettings() {
    feedList_->ReadSettings(false);
    itemList_->ReadSettings(false);
}

void CQuillpostView::ConnectListScreens() {
    connect(feedList_, &CFeedListScreen::feedActivated, this, &CQuillpostView::OpenFeed);
    connect(feedList_, &CFeedListScreen::itemListRequested, this,
            [this] { OnCommand(ShowItemList); });
    connect(feedList_, &CFeedListScreen::itemListRefreshRequested, itemList_,
            &CItemListScreen::Refresh);
    connect(feedList_, &CFeedListScreen::viewChanged, this, [this](qint32 viewID) {
        if (CRegistrySettings::ForQuillpost().Read(Key::ItemViewCurrentViewID) == viewID)
            itemList_->Refresh();
    });
    connect(feedList_, &CFeedListScreen::feedUpdateRequested, this,
            [this](qint32 feedID) { StartDownloadRun(RunKind::OneFeed, feedID); });
    connect(feedList_, &CFeedListScreen::viewUpdateRequested, this,
            [this](qint32 viewID) { StartDownloadRun(RunKind::OneView, viewID); });
    connect(feedList_, &CFeedListScreen::feedWizardRequested, this,
            [this] { OnCommand(FeedWizard); });
    connect(itemList_, &CItemListScreen::feedListRequested, this,
            [this] { OnCommand(ShowFeedList); });
    connect(itemList_, &CItemListScreen::feedItemRead, feedList_,
            &CFeedListScreen::MarkSelectedFeedRead);
    connect(itemList_, &CItemListScreen::feedItemRead, this, &CQuillpostView::EmitUnreadCount);
    connect(itemList_, &CItemListScreen::viewEdited, this, [this](qint32 viewID) {
        if (feedList_->CurrentViewID() == viewID)
            feedList_->Refresh();
    });
}

void CQuillpostView::OpenFeed(qint32 feedID) {
    itemList_->ShowFeed(feedID);
    OnCommand(ShowItemList);
}

void CQuillpostView::ShowHelpPage(const QString& page) {
    CHelpWindow::Show(page, window());
}

void CQuillpostView::OpenSettings() {
    CSettingsDlg dialog(db_, this);
    if (dialog.exec() != QDialog::Accepted || options_.settingsOnly)
        return;
    ApplyListFont();
    feedList_->ReadSettings(true);
    itemList_->ReadSettings(true);
}

void CQuillpostView::ApplyListFont() {
    // The default size, "smaller", is the desktop's own font; each size above or below it is a
    // point more or less.
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() + TheAppSettings().fontSize -
                       Key::FontSize.runtimeDefault);
    feedList_->List()->setFont(font);
    itemList_->List()->setFont(font);
    itemList_->Table()->setFont(font);
    wide_->Tree()->setFont(font);
}

void CQuillpostView::OnActivationRequested(const QString& argument) {
    // A minimised window comes back as it was; a maximised or resized one is left as it is.
    QWidget* frame = window();
    frame->setWindowState((frame->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    frame->show();
    frame->raise();
    frame->activateWindow();
    // The flag is lowered before the dialog opens, so that a further hand-over while it is
    // open does not open a second one.
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const bool openSettings = store.Read(Key::StartMode) == 1;
    store.Write(Key::StartMode, 0);
    if (openSettings && !options_.settingsOnly) {
        options_.settingsOnly = true;
        OpenSettings();
        options_.settingsOnly = false;
    }
    if (!argument.isEmpty())
        feedAddresses_.OpenHandedOverAddress(argument);
}

void CQuillpostView::OnCommand(int command) {
    switch (command) {
    case ShowMainMenu:
        mainMenu_->popup(mapToGlobal(QPoint(0, bars_->height())));
        return;
    case ShowFeedList:
        SwitchScreen(CFeedListScreen::Id);
        return;
    case ShowItemList:
        SwitchScreen(CItemListScreen::Id);
        return;
    case LayoutAutomatic:
    case LayoutWide:
    case LayoutNarrow:
        CWindowState::SetChosenLayout(CWindowState::Layout(command - LayoutAutomatic));
        ApplyLayout();
        return;
    case ReadingPaneBeside:
        SaveLayoutState();
        CWindowState::SetReadingPaneBeside(actions_[ReadingPaneBeside]->isChecked());
        if (wideShown_)
            PlaceReadingPane();
        return;
    case ShowScreenHelp:
        ShowHelpPage(wideShown_                             ? QStringLiteral("help.htm#keys")
                     : activeScreen_ != CItemListScreen::Id ? QStringLiteral("fvInfo.htm")
                     : itemList_->Mode() == CItemListScreen::ReadingMode
                         ? QStringLiteral("ivdInfo.htm")
                         : QStringLiteral("ivlInfo.htm"));
        return;
    case UpdateAllFromBar:
    case UpdateAllFeeds:
        StartDownloadRun(RunKind::AllFeeds);
        return;
    case DownloadAudioData:
        StartDownloadRun(RunKind::Audio);
        return;
    case LeaveProgress:
    case LeaveProgressToo:
        if (activeScreen_ == CDownloadProgressWnd::Id && !progress_->IsRunning())
            SwitchScreen(returnScreen_ != 0 ? returnScreen_ : int(CFeedListScreen::Id));
        return;
    case CancelDownload:
        progress_->OnCancel();
        return;
    case DownloadFinished:
        OnDownloadRunEnded();
        return;
    case DatabaseOptions:
        databaseOptions_.Open();
        return;
    case FeedWizard:
        feedAddresses_.OpenFeedWizard();
        return;
    case RssMapping: {
        CMappingDlg dialog(this);
        dialog.exec();
        return;
    }
    case QuillpostSettings:
        OpenSettings();
        return;
    case NetworkConnection:
        OpenNetworkConnection();
        return;
    case ServerAccount:
        OpenServerAccount();
        return;
    case Help:
        ShowHelpPage(QStringLiteral("help.htm"));
        return;
    case Exit:
        emit closeRequested();
        return;
    default:
        return;
    }
}

void CQuillpostView::EvaluateReloadSchedule() {
    // Not while the user is in a dialog, which may be about to change the database.
    if (!startupDone_ || !db_.IsOpen() || progress_->IsActive() || progress_->IsRunning() ||
        QApplication::activeModalWidget())
        return;
    schedule_.LoadRunSettings();
    const CReloadSchedule::Due due = schedule_.IsReloadDue(probe_());
    if (due == CReloadSchedule::Due::No)
        return;
    // A reload of another process (quillpost-cli reload-if-due) is going: this one is skipped
    // without asking, as no user asked for it.
    if (LiveBackgroundStatus(CRegistrySettings::ForQuillpost()) == 1)
        return;
    StartDownloadRun(due == CReloadSchedule::Due::Audio ? RunKind::Audio : RunKind::AllFeeds);
}
