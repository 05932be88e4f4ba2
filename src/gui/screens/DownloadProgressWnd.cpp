// The download progress page: the run's rows, its header and Cancel.

#include "gui/screens/DownloadProgressWnd.h"

#include "gui/desktop/UiThread.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

void CDownloadProgressWnd::CUiProgressModel::OnDownloadNotification(int code, int value) {
    RunOnUiThread([&] { CDownloadProgressModel::OnDownloadNotification(code, value); });
}

CDownloadProgressWnd::CDownloadProgressWnd(CRssDatabase& db, ConnectivityProbe probe,
                                           QWidget* parent)
    : CScreen(Id, QStringLiteral("RSSReload"), parent), manager_(db, std::move(probe)),
      model_(manager_), header_(MakeTitleStrip(QStringLiteral("Downloading Feed Data: 1 of 1"))),
      list_(new QListView), cancel_(new QPushButton(QStringLiteral("Cancel"))) {
    list_->setObjectName(QStringLiteral("ProgressList"));
    list_->setModel(&rows_);
    list_->setIconSize(QSize(16, 16));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setAlternatingRowColors(true);
    list_->setSpacing(1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 6, 8, 8);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(cancel_, &QPushButton::clicked, this, &CDownloadProgressWnd::OnCancel);
    // A run of every feed, or of one of the account's, syncs the database's server account too.
    manager_.SetRunSync(&accountSync_);
    model_.OnChanged = [this] { ShowModel(); };
    model_.OnRefresh = [this] { emit refreshRequested(); };
}

CDownloadProgressWnd::~CDownloadProgressWnd() {
    // The manager stops its run and waits for its worker, which must not wait for this thread.
    model_.OnChanged = nullptr;
    model_.OnRefresh = nullptr;
    UiThreadCallsReleased released;
    if (manager_.IsBusy())
        manager_.Cancel(true);
    manager_.WaitForWorker();
}

QString CDownloadProgressWnd::Header() const {
    return header_->text();
}

void CDownloadProgressWnd::ShowModel() {
    header_->setText(model_.Header());
    rows_.SetRows(model_.Rows());
    // Scrolling lays out every row; a page out of sight (a run of the wide window shows in
    // the status bar) has no need of it, and the next change after it is shown scrolls it.
    if (list_->isVisible())
        list_->scrollToBottom();
    cancel_->setEnabled(model_.IsActive());
    emit progressChanged();
}

bool CDownloadProgressWnd::Start(const std::function<bool()>& start) {
    if (model_.IsActive())
        return false;
    // The worker of the last run may still be leaving after a forced cancel; it is joined
    // first, its last reports dropped, so that none of the new run's is.
    {
        UiThreadCallsReleased released;
        manager_.WaitForWorker();
    }
    const bool started = start();
    ShowModel();
    return started;
}

bool CDownloadProgressWnd::StartFeedRun(qint32 feedID) {
    return Start([&] { return model_.StartFeedRun(feedID); });
}

bool CDownloadProgressWnd::StartViewRun(qint32 viewID) {
    return Start([&] { return model_.StartViewRun(viewID); });
}

bool CDownloadProgressWnd::StartAccountRun() {
    return Start([&] { return model_.StartAccountRun(); });
}

bool CDownloadProgressWnd::StartAudioRun() {
    return Start([&] { return model_.StartAudioRun(); });
}

void CDownloadProgressWnd::OnCancel() {
    model_.OnCancel();
    ShowModel();
}

void CDownloadProgressWnd::OnNavigationKey(NavigationKey key) {
    // All five act on the status list: up and left go back a row, down and right forward.
    if (key == NavigationKey::Up || key == NavigationKey::Left)
        MoveSelection(list_, -1);
    else if (key == NavigationKey::Down || key == NavigationKey::Right)
        MoveSelection(list_, 1);
}
