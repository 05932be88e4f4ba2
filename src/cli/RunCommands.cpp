// Download runs: updates, audio and the timed background reload.
#include "cli/CliApplication.h"
#include "cli/ProgressPrinter.h"
#include "config/AppSettings.h"
#include "net/DownloadProgressModel.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

std::atomic<int> interrupts{0};

void CountInterrupt(int) {
    ++interrupts;
}

enum RunKind { AllFeeds, OneFeed, OneView, AudioEnclosures };

} // namespace

// A run of another process is answered with the Busy Notice before this one waits for the
// database, which that run holds: No leaves it going, Cancel (--cancel-background) asks it to
// stop after its current entry, Yes (--stop-background or --yes) to stop at once.
bool CCliApplication::NoRunElsewhere() {
    if (LiveBackgroundStatus(CRegistrySettings::ForQuillpost()) != 1)
        return true;
    // The answers touch only the run state, not the database, which stays unopened.
    CRssDatabase unopened;
    CDownloadManager manager(unopened);
    CDownloadProgressModel(manager).AnswerBusyNotice();
    Fail(QStringLiteral("a background reload is running; this run did not start"));
    return false;
}

// The first Ctrl-C asks the run to stop after its entry; the second stops it at once. The
// status tells a timer what happened: 0 the run completed without a failed entry, 1 it could
// not start, did not complete or an entry failed, 130 it was interrupted.
int CCliApplication::RunDownloads(int kind, qint32 id) {
    // The database lock is taken feed by feed, so that other programs (a status bar asking for
    // the unread count) wait one feed at the most; a second run anywhere is refused by the run
    // state instead.
    CDownloadManager manager(*db_);
    CDownloadProgressModel model(manager);
    model.CancelAgainText = QStringLiteral("press Ctrl-C again to stop at once");
    CProgressPrinter printer(model, isatty(STDOUT_FILENO));
    model.OnChanged = [&printer] { printer.Update(); };
    interrupts = 0;
    struct sigaction action {};
    action.sa_handler = CountInterrupt;
    sigaction(SIGINT, &action, nullptr);

    const bool started = kind == AudioEnclosures ? model.StartAudioRun()
                         : kind == OneView       ? model.StartViewRun(id)
                                                 : model.StartFeedRun(kind == OneFeed ? id : 0);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    int handled = 0;
    for (int turn = 0; started && manager.IsBusy(); ++turn) {
        if (interrupts > handled) {
            ++handled;
            model.OnCancel();
        }
        // Yes to another process's Busy Notice ends this run's state: the run stops at once.
        // Twice a second is soon enough for a person and cheap for the configuration file.
        if (turn % 10 == 9 && store.Read(Key::BackgroundStatus) == 0) {
            model.OnCancel();
            model.OnCancel();
        }
        WaitDeliveringNetworkChanges(50);
    }
    manager.WaitForWorker();
    signal(SIGINT, SIG_DFL);
    if (interrupts > 0)
        return Interrupted;
    const CDownloadProgressModel::Outcome outcome = model.LastOutcome();
    if (!started)
        return Failed;
    // Every later entry would have failed the same way: the reason, and what was done before.
    if (outcome.end == 3) // DN_END: stopped for want of room
        return Fail(QStringLiteral("the disk is full: the run stopped after %1 downloads, %2 of "
                                   "them stored")
                        .arg(outcome.entries)
                        .arg(outcome.entries - outcome.failures));
    if (outcome.failures > 0)
        return Fail(
            QStringLiteral("%1 of %2 downloads failed").arg(outcome.failures).arg(outcome.entries));
    return outcome.end == 0 ? Success : Failed;
}

int CCliApplication::Update(const CArguments& arguments) {
    qint32 id = 0;
    if (arguments.Has("--feed") || arguments.Has("--view")) {
        id = arguments.Value(arguments.Has("--feed") ? "--feed" : "--view").toInt();
        if (arguments.Has("--feed") ? !db_->GetFeed(id) : !db_->GetView(id))
            return Fail(QStringLiteral("there is no %1 %2")
                            .arg(arguments.Has("--feed") ? "feed" : "View")
                            .arg(id));
    }
    if (id != 0)
        return RunDownloads(arguments.Has("--feed") ? OneFeed : OneView, id);
    return WithAccountSync(RunDownloads(AllFeeds, 0));
}

// Updating every feed also syncs the server account, whose feeds no site download touches; a
// server that cannot be reached leaves the local feeds' update as it went.
int CCliApplication::WithAccountSync(int downloads) {
    if (downloads == Interrupted || !db_->GetAccount())
        return downloads;
    const int synced = SyncAccount();
    return downloads != Success ? downloads : synced;
}

int CCliApplication::Audio(const CArguments&) {
    return RunDownloads(AudioEnclosures, 0);
}

// Meant to run every minute from a timer: does the due reload, or nothing.
int CCliApplication::ReloadIfDue(const CArguments&) {
    CReloadSchedule schedule;
    schedule.LoadRunSettings();
    const auto due = schedule.IsReloadDue(SystemIsOnline());
    if (due == CReloadSchedule::Due::No)
        return Success;
    // A timer must not wait for a run of another process, nor start a second one.
    if (LiveBackgroundStatus(CRegistrySettings::ForQuillpost()) == 1)
        return Fail(QStringLiteral("a download run is in progress; this reload is skipped"));
    if (!OpenDatabase())
        return Failed;
    db_->SetAudioFolder(TheAppSettings().audioFolder);
    if (due == CReloadSchedule::Due::Audio)
        return RunDownloads(AudioEnclosures, 0);
    return WithAccountSync(RunDownloads(AllFeeds, 0));
}
