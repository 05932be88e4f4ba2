// The main view: the screens, the main menu, the keys and the database they work on.

#pragma once

#include "app/FeedWizard.h"
#include "app/RunTally.h"
#include "gui/desktop/CommandLine.h"
#include "gui/window/DatabaseOptions.h"
#include "gui/window/FeedAddresses.h"
#include "gui/window/SearchRunner.h"
#include "gui/window/StartupSequence.h"
#include "net/InternetConnection.h"
#include "net/ReloadSchedule.h"
#include "store/RssDatabase.h"

#include <QHash>
#include <QWidget>
#include <memory>
#include <optional>

class CDownloadProgressWnd;
class CFeedListScreen;
class CFirstStartNote;
class CItemListScreen;
class CScreen;
class CWideLayout;
class QAction;
class QActionGroup;
class QMenu;
class QShortcut;
class QStackedWidget;
class QTimer;

// The main view: the three screens (item list, feed list, download progress), one shown at a
// time with its command bar, the main menu, the navigation keys, the start-up sequence and
// the database they all work on. A wide window shows instead the wide layout: the feed tree,
// the item table and the reading pane side by side.
class CQuillpostView : public QWidget {
    Q_OBJECT
public:
    enum Command {
        ShowMainMenu = 32772,
        ShowFeedList = 32773,
        ShowItemList = 32774,
        ShowScreenHelp = 32775,
        UpdateAllFromBar = 32776,
        LeaveProgress = 32777,
        LeaveProgressToo = 32778,
        CancelDownload = 32781,
        DownloadFinished = 32784,
        UpdateAllFeeds = 3001,
        DownloadAudioData = 3011,
        DatabaseOptions = 3012,
        FeedWizard = 3006,
        RssMapping = 3007,
        QuillpostSettings = 3002,
        NetworkConnection = 3005,
        ServerAccount = 3013,
        Help = 3003,
        Exit = 57665, // the standard application-exit command
        LayoutAutomatic = 6001,
        LayoutWide = 6002,
        LayoutNarrow = 6003,
        ReadingPaneBeside = 6004,
    };
    enum class RunKind { AllFeeds, OneFeed, OneView, Audio, Account };

    // The probe tells whether the machine is online, for runs and the reload schedule.
    CQuillpostView(const StartOptions& options, ConnectivityProbe probe, QWidget* parent = nullptr);
    ~CQuillpostView() override;

    void OnCommand(int command);
    void SwitchScreen(int screenId);
    int ActiveScreen() const { return activeScreen_; }
    bool StartDownloadRun(RunKind kind, qint32 id = 0);

    // A later start asked this window to come forward, with the address it was given, if any.
    void OnActivationRequested(const QString& argument = QString());
    CFeedAddresses& FeedAddresses() { return feedAddresses_; }

    // Reloads the in-memory lists of Views and Feeds, and both list screens.
    void ReloadLists();
    void RefreshScreens();

    QAction* Action(int command) const { return actions_.value(command); }
    QMenu* MainMenu() const { return mainMenu_; }
    CRssDatabase& Database() { return db_; }
    CFeedListScreen* FeedListScreen() const { return feedList_; }
    CItemListScreen* ItemListScreen() const { return itemList_; }
    CDownloadProgressWnd* ProgressScreen() const { return progress_; }
    CFirstStartNote* FirstStartNote() const { return firstStartNote_; }
    CWideLayout* WideLayout() const { return wide_; }
    bool IsWide() const { return wideShown_; }
    // Saves the splitters and the item table's columns for the next start.
    void SaveLayoutState();
    bool StartupDone() const { return startupDone_; }

    // The start-up sequence, run once the empty window is on screen.
    void RunStartupSequence();
    // Looks at the reload schedule and starts a due reload; called every minute.
    void EvaluateReloadSchedule();
    // The titles of these feeds, in the order of the feed list.
    QStringList FeedTitles(const QList<qint32>& feedIDs) const;
    // The icon file of the first of these feeds that has one of its own, or empty.
    QString FeedIconFile(const QList<qint32>& feedIDs) const;
    // The item list with Whats New, the items the latest runs brought.
    void ShowWhatsNew();

signals:
    void startupFinished();
    // The program is to end (Exit, or after a fatal start-up message).
    void closeRequested();
    // The database, its lists or the screen changed; for the status line.
    void stateChanged();
    // Something the user should know that does not stop the work, for the status bar.
    void statusWarning(const QString& text);
    // The unread items of the database, after each change of the lists.
    void unreadCountChanged(int unread);
    // A run of feeds, started by the user or by the schedule, has ended.
    void feedRunFinished(const RunTally& tally);
    // A run was asked for while one goes on.
    void runRefused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateActions();
    void CreateMainMenu();
    void CreateCommandBars();
    void CreateNavigationKeys();
    void CreateLayoutActions();
    void CreateWideLayout();
    // Shows the wide or the narrow layout, as chosen in the View menu or by the width.
    void ApplyLayout();
    void SetWideLayout(bool wide);
    void PlaceReadingPane();
    void AddScreen(CScreen* screen);
    CScreen* Screen(int screenId) const;
    void OnDownloadRunEnded();
    void ShowHelpPage(const QString& page);
    void OpenSettings();
    // The list font of General\FontSize, as loaded at start-up or saved by the settings.
    void ApplyListFont();
    void OpenNetworkConnection();
    void OpenServerAccount();
    void OpenFeed(qint32 feedID);
    void ConnectListScreens();
    void EmitUnreadCount();
    // The list screens take the remembered Views and Feed and the display settings again.
    void ReadScreenSettings();

    void ConnectStartupSequence();
    // The first load of the lists and the remembered screen.
    void LoadScreens();

    CRssDatabase db_;
    StartOptions options_;
    QHash<int, QAction*> actions_;
    QMenu* mainMenu_ = nullptr;
    QStackedWidget* bars_;
    QStackedWidget* screens_;
    CFeedListScreen* feedList_;
    CItemListScreen* itemList_;
    CDownloadProgressWnd* progress_;
    CFirstStartNote* firstStartNote_;
    // The unread counts when the current run started, to tell what it brought.
    QHash<qint32, CRssDatabase::FeedCounts> unreadBeforeRun_;
    CBackgroundSearch search_;
    CDatabaseOptions databaseOptions_;
    CFeedAddresses feedAddresses_;
    CStartupSequence startup_;
    CWideLayout* wide_ = nullptr;
    QList<QShortcut*> navigationKeys_;
    bool wideShown_ = false;
    int activeScreen_ = 0;
    int returnScreen_ = 0;
    bool audioRun_ = false;
    bool startupDone_ = false;
    QTimer* startupTimer_;
    QTimer* scheduleTimer_;
    CReloadSchedule schedule_;
    ConnectivityProbe probe_;
};
