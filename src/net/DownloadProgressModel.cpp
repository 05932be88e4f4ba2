// The rows, header and counters of a download run, for both front ends.

#include "net/DownloadProgressModel.h"

#include "config/RegistrySettings.h"
#include "store/Prompt.h"

namespace {
QString EndStatus(int endValue) {
    switch (endValue) {
    case 0:
        return QStringLiteral("- Status: OK");
    case 2:
        return QStringLiteral("- Status: Lost Network Connection");
    case 3:
        return QStringLiteral("- Status: Stopped - the disk is full");
    default:
        return QStringLiteral("Status: Cancelled by User");
    }
}
} // namespace

CDownloadProgressModel::CDownloadProgressModel(CDownloadManager& manager) : manager_(manager) {}

std::vector<CDownloadProgressModel::Row> CDownloadProgressModel::Rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

QString CDownloadProgressModel::Header() const {
    std::lock_guard lock(mutex_);
    return header_;
}

int CDownloadProgressModel::Total() const {
    std::lock_guard lock(mutex_);
    return total_;
}

int CDownloadProgressModel::Done() const {
    std::lock_guard lock(mutex_);
    return done_;
}

bool CDownloadProgressModel::IsActive() const {
    std::lock_guard lock(mutex_);
    return active_;
}

CDownloadProgressModel::Outcome CDownloadProgressModel::LastOutcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
}

void CDownloadProgressModel::Changed() {
    if (OnChanged)
        OnChanged();
}

void CDownloadProgressModel::AddRow(const QString& title, const QString& status, int icon) {
    std::lock_guard lock(mutex_);
    rows_.push_back({title, status, icon});
}

void CDownloadProgressModel::SetEntryRow(const QString& status, int icon, const QString& note) {
    std::lock_guard lock(mutex_);
    if (entryRow_ < rows_.size()) {
        Row& row = rows_[entryRow_];
        row.status = status;
        row.icon = icon;
        row.note = note;
    }
}

bool CDownloadProgressModel::StartRun(const std::function<bool()>& build, const QString& emptyText,
                                      const QString& emptyCaption) {
    {
        std::lock_guard lock(mutex_);
        if (active_)
            return false;
        rows_.clear();
        cancelling_ = false;
        outcome_ = Outcome();
    }
    Changed();
    manager_.LoadRunSettings();
    manager_.SetObserver(this);
    if (!build()) {
        CurrentPrompt().ShowMessage(emptyText, emptyCaption);
        return false;
    }
    return manager_.StartRun() == 1;
}

bool CDownloadProgressModel::StartFeedRun(qint32 feedID) {
    return StartRun([&] { return manager_.BuildFeedList(feedID); },
                    QStringLiteral("Could not Build Download Listing"),
                    QStringLiteral("Download Error"));
}

bool CDownloadProgressModel::StartViewRun(qint32 viewID) {
    return StartRun([&] { return manager_.BuildViewList(viewID); },
                    QStringLiteral("Could not Build Download Listing"),
                    QStringLiteral("Download Error"));
}

bool CDownloadProgressModel::StartAccountRun() {
    return StartRun([&] { return manager_.BuildAccountList(); },
                    QStringLiteral("Could not Build Download Listing"),
                    QStringLiteral("Download Error"));
}

bool CDownloadProgressModel::StartAudioRun() {
    return StartRun([&] { return manager_.BuildAudioList(); },
                    QStringLiteral("No Audio Content available for download."),
                    QStringLiteral("Download Notice"));
}

void CDownloadProgressModel::OnCancel() {
    bool first;
    {
        std::lock_guard lock(mutex_);
        if (!active_ && !cancelling_)
            return;
        first = !cancelling_;
        if (first) {
            cancelling_ = true;
            rows_.push_back(
                {QStringLiteral("If downloading does not stop,"), CancelAgainText, Notice});
            header_ = QStringLiteral("Cancelling Download");
        } else {
            active_ = true; // so that the end of the run is shown
        }
    }
    // Shown before the cancel reaches the worker; the outcome of the entry under way still
    // lands on that entry's own row.
    Changed();
    manager_.Cancel(false);
    if (!first && OnRefresh)
        OnRefresh();
}

void CDownloadProgressModel::AnswerBusyNotice() {
    const IPrompt::Answer answer = CurrentPrompt().AskYesNoCancel(
        QStringLiteral("Background Download operation is currently in progress.\n\nDo you want "
                       "to send a request to cancel background downloading?\n\nOptions...\nYes - "
                       "Force Download to terminate, now.\nNo - Let background download "
                       "continue.\nCancel - Send request to cancel download."),
        QStringLiteral("Busy Notice"));
    if (answer == IPrompt::Answer::Cancel) {
        manager_.Cancel(false);
        CurrentPrompt().ShowMessage(
            QStringLiteral("Your request has been sent.\n\nYou may now resume using Quillpost"),
            QStringLiteral("Notice"));
    } else if (answer == IPrompt::Answer::Yes) {
        manager_.Cancel(true);
        CurrentPrompt().ShowMessage(QStringLiteral("Background Download has be terminated.\n\nYou "
                                                   "may now resume using Quillpost"),
                                    QStringLiteral("Notice"));
    }
}

void CDownloadProgressModel::OnDownloadNotification(int code, int value) {
    switch (code) {
    case DN_BUSY:
        AnswerBusyNotice();
        return;
    case DN_NO_CONNECTION:
        CurrentPrompt().ShowMessage(QStringLiteral("Could not establish an Internet connection."),
                                    QStringLiteral("Download Error"));
        return;
    case DN_START: {
        std::lock_guard lock(mutex_);
        rows_.push_back({QStringLiteral("Starting Download Process..."), QString(), InProgress});
        done_ = 0;
        active_ = true;
        total_ = value;
        outcome_ = Outcome();
        break;
    }
    case DN_COUNT: {
        std::lock_guard lock(mutex_);
        total_ = value;
        break;
    }
    case DN_ITEM_START: {
        const CDownloadItem entry = manager_.Item(value);
        std::lock_guard lock(mutex_);
        if (!active_)
            return;
        ++done_;
        entryRow_ = rows_.size();
        rows_.push_back({manager_.CurrentTitle(), QStringLiteral("- Status: Downloading Data..."),
                         InProgress, QString(), entry.FeedItemID == 0 ? entry.FeedID : 0});
        header_ = QStringLiteral("Downloading Feed Data: %1 of %2").arg(done_).arg(total_);
        break;
    }
    case DN_DOWNLOADED:
        if (!IsActive())
            return;
        SetEntryRow(QStringLiteral("- Status: Processing Data..."), InProgress);
        break;
    case DN_ITEM_DONE: {
        std::unique_lock lock(mutex_);
        if (!active_)
            return;
        ++outcome_.entries;
        outcome_.failures += value == 1 ? 0 : 1;
        lock.unlock();
        if (value == 1)
            SetEntryRow(QStringLiteral("- Status: Done - Success"), Succeeded, manager_.LastNote());
        else
            SetEntryRow(value == -1 ? QStringLiteral("- Status: Done - Failed To Process")
                                    : QStringLiteral("- Status: Done - Failed To Download"),
                        Failed, manager_.LastNote());
        break;
    }
    case DN_END: {
        {
            std::lock_guard lock(mutex_);
            if (!active_)
                return;
            done_ = total_ = 0;
            rows_.push_back({QStringLiteral("Downloading Complete"), EndStatus(value), InProgress});
            header_ = QStringLiteral("Downloading Complete");
            active_ = false;
            outcome_.end = value;
        }
        CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
        Changed();
        if (OnRefresh)
            OnRefresh();
        return;
    }
    default:
        return;
    }
    Changed();
}
