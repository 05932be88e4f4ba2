// The main window: the main view, its menu bar and status line.

#pragma once

#include "gui/desktop/CommandLine.h"
#include "net/InternetConnection.h"

#include <QMainWindow>

class CDesktopPresence;
class CQuillpostView;
class CRunStatus;
class QLabel;

// The main window "Quillpost": the main view, its menu bar and a status line with the download
// run's progress. Its size and place are kept between starts.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const StartOptions& options, ConnectivityProbe probe = SystemIsOnline,
                        QWidget* parent = nullptr);

    CQuillpostView* View() const { return view_; }
    CDesktopPresence* Presence() const { return presence_; }
    // A later start of the program asked this one to come forward, with its address, if any.
    void OnActivationRequested(const QString& argument);
    CRunStatus* RunStatus() const { return runStatus_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenuBar();
    void UpdateStatusLine();
    void RestoreGeometry();

    CQuillpostView* view_;
    QLabel* status_;
    // The resource warnings of this start, told once.
    QLabel* warning_;
    CDesktopPresence* presence_;
    CRunStatus* runStatus_;
};
