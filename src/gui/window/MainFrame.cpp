#include "gui/window/MainFrame.h"

#include "config/RegistrySettings.h"
#include "gui/desktop/Icons.h"
#include "gui/window/DesktopPresence.h"
#include "gui/window/QuillpostView.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

CMainFrame::CMainFrame(const StartOptions& options, ConnectivityProbe probe, QWidget* parent)
    : QMainWindow(parent), view_(new CQuillpostView(options, std::move(probe), this)),
      status_(new QLabel), warning_(new QLabel) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Quillpost"));
    setWindowIcon(ApplicationIcon());
    setCentralWidget(view_);
    CreateMenuBar();
    statusBar()->addWidget(status_, 1);
    warning_->setObjectName(QStringLiteral("StatusWarning"));
    statusBar()->addPermanentWidget(warning_);
    statusBar()->setSizeGripEnabled(true);
    resize(760, 560);
    connect(view_, &CQuillpostView::closeRequested, this, &QWidget::close, Qt::QueuedConnection);
    connect(view_, &CQuillpostView::stateChanged, this, &CMainFrame::UpdateStatusLine);
    connect(view_, &CQuillpostView::statusWarning, warning_, &QLabel::setText);
    presence_ = new CDesktopPresence(this, view_);
}

void CMainFrame::CreateMenuBar() {
    menuBar()->addMenu(view_->MainMenu());
    QMenu* go = menuBar()->addMenu(QStringLiteral("&View"));
    go->addAction(view_->Action(CQuillpostView::ShowFeedList));
    go->addAction(view_->Action(CQuillpostView::ShowItemList));
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
