// The main window: the main view, its menu bar and status line.

#include "gui/window/MainFrame.h"

#include "config/RegistrySettings.h"
#include "gui/desktop/Icons.h"
#include "gui/window/DesktopPresence.h"
#include "gui/window/QuillpostView.h"
#include "gui/window/RunStatus.h"
#include "gui/window/WindowState.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

CMainFrame::CMainFrame(const StartOptions& options, ConnectivityProbe probe, QWidget* parent)
    : QMainWindow(parent), view_(new CQuillpostView(options, std::move(probe), this)),
      status_(new QLabel), warning_(new QLabel),
      runStatus_(new CRunStatus(view_->ProgressScreen())) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Quillpost"));
    setWindowIcon(ApplicationIcon());
    setCentralWidget(view_);
    CreateMenuBar();
    statusBar()->addWidget(status_, 1);
    warning_->setObjectName(QStringLiteral("StatusWarning"));
    statusBar()->addPermanentWidget(warning_);
    statusBar()->addPermanentWidget(runStatus_);
    statusBar()->setSizeGripEnabled(true);
    RestoreGeometry();
    connect(view_, &CQuillpostView::runRefused, runStatus_, &CRunStatus::SayRunning);
    connect(view_, &CQuillpostView::closeRequested, this, &QWidget::close, Qt::QueuedConnection);
    connect(view_, &CQuillpostView::stateChanged, this, &CMainFrame::UpdateStatusLine);
    connect(view_, &CQuillpostView::statusWarning, warning_, &QLabel::setText);
    presence_ = new CDesktopPresence(this, view_);
}

// A first start opens a desktop reader's window, wide enough for the feeds, the items and the
// article side by side; the window manager fits it to a smaller screen.
void CMainFrame::RestoreGeometry() {
    const QRect normal = CWindowState::NormalGeometry();
    if (normal.width() < 200 || normal.height() < 150) {
        resize(1280, 800);
        return;
    }
    resize(normal.size());
    move(normal.topLeft());
    if (CWindowState::Maximized())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    CWindowState::SetGeometry(isMaximized() ? normalGeometry() : QRect(pos(), size()),
                              isMaximized());
    view_->SaveLayoutState();
    QMainWindow::closeEvent(event);
}

void CMainFrame::CreateMenuBar() {
    menuBar()->addMenu(view_->MainMenu());
    QMenu* go = menuBar()->addMenu(QStringLiteral("&View"));
    go->addAction(view_->Action(CQuillpostView::ShowFeedList));
    go->addAction(view_->Action(CQuillpostView::ShowItemList));
    go->addSeparator();
    for (int command : {CQuillpostView::LayoutAutomatic, CQuillpostView::LayoutWide,
                        CQuillpostView::LayoutNarrow, CQuillpostView::ReadingPaneBeside})
        go->addAction(view_->Action(command));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(view_->Action(CQuillpostView::Help));
    help->addAction(view_->Action(CQuillpostView::ShowScreenHelp));
    help->addSeparator();
    help->addAction(QStringLiteral("About Quillpost"), this, [this] {
        QMessageBox::about(this, QStringLiteral("About Quillpost"),
                           QStringLiteral("<h3>Quillpost %1</h3><p>A news-feed reader for the "
                                          "Linux desktop: RSS and Atom feeds, Views, podcasts."
                                          "</p>")
                               .arg(QApplication::applicationVersion()));
    });
}

void CMainFrame::UpdateStatusLine() {
    CRssDatabase& db = view_->Database();
    if (!db.IsOpen()) {
        status_->setText(QStringLiteral("No database open"));
        return;
    }
    const QString last = CRegistrySettings::ForQuillpost().Read(Key::LastRefreshDate);
    status_->setText(
        QStringLiteral("%1 Feeds, %2 Views  \u2014  %3%4")
            .arg(db.FeedList.size())
            .arg(db.ViewList.size())
            .arg(db.DatabasePath(),
                 last.isEmpty() ? QString() : QStringLiteral("  \u2014  last update ") + last));
}

void CMainFrame::OnActivationRequested(const QString& argument) {
    view_->OnActivationRequested(argument);
}
