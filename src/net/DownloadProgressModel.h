// What the progress page shows of a run, without widgets.

#pragma once

#include "net/DownloadManager.h"

#include <QString>
#include <functional>
#include <mutex>
#include <vector>

// What the progress page shows of a run, without widgets: one row per step, a header and the
// counters. The desktop page and the command line both display it.
class CDownloadProgressModel : public IDownloadObserver {
public:
    // Notice marks a row that tells the user something and is no entry of the run.
    enum Icon { InProgress = 0, Succeeded = 1, Failed = 2, Notice = 3 };
    struct Row {
        QString title;
        QString status;
        int icon = InProgress;
        // Why the entry failed or what was cut of it ("HTTP 404", "timed out"); shown beside
        // the status.
        QString note = QString();
        // The Feed a feed entry's row is about; 0 for other rows (pages, enclosures, notices),
        // as titles need not be unique.
        qint32 feedID = 0;
    };

    // How the last run ended: the DN_END value (-1 before an end), its entries and how many
    // of them failed.
    struct Outcome {
        int end = -1;
        int entries = 0;
        int failures = 0;
    };

    explicit CDownloadProgressModel(CDownloadManager& manager);

    // Each builds its list and starts the run; true only when the run started.
    bool StartFeedRun(qint32 feedID);
    bool StartViewRun(qint32 viewID);
    bool StartAudioRun();
    bool StartAccountRun();
    // The first cancel lets the current entry finish; the next one stops the run at once.
    void OnCancel();

    void OnDownloadNotification(int code, int value) override;
    // Asks what to do about a run another process has going and sends that run the answer.
    void AnswerBusyNotice();

    std::vector<Row> Rows() const;
    QString Header() const;
    int Total() const;
    int Done() const;
    bool IsActive() const;
    Outcome LastOutcome() const;

    // The status of the row a first cancel adds: how the user stops the run at once.
    QString CancelAgainText = QStringLiteral("in a few minutes. Press \"Cancel\", again.");

    // Called after every change of the rows (on the thread that reported it).
    std::function<void()> OnChanged;
    // Asks the screens to reload their lists when a run ended.
    std::function<void()> OnRefresh;

private:
    bool StartRun(const std::function<bool()>& build, const QString& emptyText,
                  const QString& emptyCaption);
    void AddRow(const QString& title, const QString& status, int icon = InProgress);
    void SetEntryRow(const QString& status, int icon, const QString& note = QString());
    void Changed();

    CDownloadManager& manager_;
    mutable std::mutex mutex_;
    std::vector<Row> rows_;
    std::size_t entryRow_ = 0; // the row of the entry under way, which its outcome lands on
    QString header_ = QStringLiteral("Downloading Feed Data: 1 of 1");
    int total_ = 0;
    int done_ = 0;
    bool active_ = false;
    bool cancelling_ = false;
    Outcome outcome_;
};
