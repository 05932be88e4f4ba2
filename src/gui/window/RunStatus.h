// A download run as the status bar shows it.

#pragma once

#include "net/DownloadProgressModel.h"

#include <QWidget>
#include <vector>

class CDownloadProgressWnd;
class QLabel;
class QPushButton;
class QToolButton;

// A download run as the status bar shows it, whatever screen is up: "Updating 3 of 200: <feed>"
// with Cancel while it goes on; at its end a summary ("200 feeds: 196 updated, 4 failed — show")
// that stays until dismissed, its "show" listing the failures with their reasons.
class CRunStatus : public QWidget {
    Q_OBJECT
public:
    explicit CRunStatus(CDownloadProgressWnd* run, QWidget* parent = nullptr);

    QString Text() const;
    QPushButton* CancelButton() const { return cancel_; }
    QToolButton* DismissButton() const { return dismiss_; }
    // The failed entries of the last run, one line each: "title: reason".
    QStringList Failures() const;
    // Says that a run is going on already, instead of starting another.
    void SayRunning();

signals:
    // One more Feed of the run was stored: counts shown elsewhere change.
    void entryFinished();
    void failuresListRequested();

private:
    void OnProgress();
    void ShowSummary();
    void Dismiss();

    CDownloadProgressWnd* run_;
    QLabel* text_;
    QPushButton* cancel_;
    QToolButton* dismiss_;
    int finished_ = 0;
    bool wasActive_ = false;
};
