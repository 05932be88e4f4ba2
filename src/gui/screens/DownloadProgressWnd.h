// The download progress page.

#pragma once

#include "gui/models/ProgressListModel.h"
#include "gui/screens/Screen.h"
#include "net/DownloadManager.h"
#include "net/DownloadProgressModel.h"
#include "sync/AccountRunSync.h"

class CRssDatabase;
class QLabel;
class QListView;
class QPushButton;

// The download progress page ("RSSReload"): one row per step of the run, the header with the
// count, and Cancel (the first asks the run to stop after its entry, the next stops it now).
// The worker's reports are handled on the user-interface thread while the worker waits, so the
// page repaints, scrolls and takes the Cancel click during a run.
class CDownloadProgressWnd : public CScreen {
    Q_OBJECT
public:
    static constexpr int Id = 2040;

    CDownloadProgressWnd(CRssDatabase& db, ConnectivityProbe probe, QWidget* parent = nullptr);
    ~CDownloadProgressWnd() override;

    // Each is refused while a run is shown; true when the run started.
    bool StartFeedRun(qint32 feedID);
    bool StartViewRun(qint32 viewID);
    bool StartAudioRun();
    bool StartAccountRun();
    void OnCancel();

    bool IsActive() const { return model_.IsActive(); }
    bool IsRunning() const { return manager_.IsBusy(); }
    QString Header() const;
    QListView* List() const { return list_; }
    QPushButton* CancelButton() const { return cancel_; }
    const CDownloadProgressModel& Progress() const { return model_; }
    void OnNavigationKey(NavigationKey key) override;

signals:
    // The run ended (or was stopped): the main view goes back and reloads its lists.
    void refreshRequested();
    // The run's rows or state changed (on the user-interface thread, while the worker waits).
    void progressChanged();

private:
    // The run's model, its reports taken on the user-interface thread.
    class CUiProgressModel : public CDownloadProgressModel {
    public:
        using CDownloadProgressModel::CDownloadProgressModel;
        void OnDownloadNotification(int code, int value) override;
    };

    bool Start(const std::function<bool()>& start);
    void ShowModel();

    CAccountRunSync accountSync_;
    CDownloadManager manager_;
    CUiProgressModel model_;
    CProgressListModel rows_;
    QLabel* header_;
    QListView* list_;
    QPushButton* cancel_;
};
