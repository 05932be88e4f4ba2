// A download run as the status bar shows it.

#include "gui/window/RunStatus.h"

#include "gui/desktop/Contrast.h"
#include "gui/screens/DownloadProgressWnd.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

CRunStatus::CRunStatus(CDownloadProgressWnd* run, QWidget* parent)
    : QWidget(parent), run_(run), text_(new QLabel),
      cancel_(new QPushButton(QStringLiteral("Cancel"))), dismiss_(new QToolButton) {
    setObjectName(QStringLiteral("RunStatus"));
    text_->setObjectName(QStringLiteral("RunStatusText"));
    text_->setTextFormat(Qt::RichText);
    cancel_->setObjectName(QStringLiteral("RunCancel"));
    dismiss_->setObjectName(QStringLiteral("RunDismiss"));
    dismiss_->setText(QStringLiteral("\u2715"));
    dismiss_->setToolTip(QStringLiteral("Dismiss"));
    dismiss_->setAutoRaise(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    layout->addWidget(cancel_);
    layout->addWidget(dismiss_);
    Dismiss();
    connect(run_, &CDownloadProgressWnd::progressChanged, this, &CRunStatus::OnProgress);
    connect(cancel_, &QPushButton::clicked, run_, &CDownloadProgressWnd::OnCancel);
    connect(dismiss_, &QToolButton::clicked, this, &CRunStatus::Dismiss);
    connect(text_, &QLabel::linkActivated, this, [this] {
        emit failuresListRequested();
        QMessageBox::information(this, QStringLiteral("Failed Feeds"), Failures().join(u'\n'));
    });
}

QString CRunStatus::Text() const {
    return text_->text();
}

QStringList CRunStatus::Failures() const {
    QStringList lines;
    for (const CDownloadProgressModel::Row& row : run_->Progress().Rows())
        if (row.icon == CDownloadProgressModel::Failed)
            lines << row.title + QStringLiteral(": ") +
                         (row.note.isEmpty() ? row.status : row.note);
    return lines;
}

void CRunStatus::SayRunning() {
    text_->setText(QStringLiteral("A download is already running."));
    dismiss_->setVisible(!run_->Progress().IsActive());
    show();
}

void CRunStatus::OnProgress() {
    const CDownloadProgressModel& progress = run_->Progress();
    if (!progress.IsActive()) {
        if (wasActive_)
            ShowSummary();
        wasActive_ = false;
        return;
    }
    wasActive_ = true;
    const CDownloadProgressModel::Outcome outcome = progress.LastOutcome();
    if (outcome.entries != finished_) {
        finished_ = outcome.entries;
        emit entryFinished();
    }
    const std::vector<CDownloadProgressModel::Row> rows = progress.Rows();
    const QString current = rows.size() > 1 ? rows.back().title : QString();
    text_->setText(QStringLiteral("Updating %1 of %2: %3")
                       .arg(progress.Done())
                       .arg(progress.Total())
                       .arg(current.toHtmlEscaped()));
    cancel_->show();
    dismiss_->hide();
    show();
}

void CRunStatus::ShowSummary() {
    const CDownloadProgressModel::Outcome outcome = run_->Progress().LastOutcome();
    finished_ = 0;
    QString text = QStringLiteral("%1 %2: %3 updated, %4 failed")
                       .arg(outcome.entries)
                       .arg(outcome.entries == 1 ? QStringLiteral("feed") : QStringLiteral("feeds"))
                       .arg(outcome.entries - outcome.failures)
                       .arg(outcome.failures);
    // The palette's link colour is often a dark blue, even where the desktop is dark.
    if (outcome.failures > 0)
        text +=
            QStringLiteral(" \u2014 <a href=\"show\" style=\"color:%1\">show</a>")
                .arg(ReadableOn(palette().color(QPalette::Link), palette().color(QPalette::Window))
                         .name());
    text_->setText(text);
    cancel_->hide();
    dismiss_->show();
    show();
}

void CRunStatus::Dismiss() {
    text_->clear();
    hide();
}
