// The download manager: runs of feed, page and audio downloads and their notifications.

#pragma once

#include "config/RegistrySettings.h"
#include "net/ConnectionCheck.h"
#include "net/DownloadAhead.h"
#include "net/FeedIconFetcher.h"
#include "net/HttpDownloader.h"
#include "net/InternetConnection.h"
#include "net/ReloadSchedule.h"
#include "net/RunLock.h"
#include "store/ExtendedDataQueue.h"
#include "store/Records.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class CRssDatabase;

// One address of a run and where its body goes.
struct CDownloadItem {
    QString Url;
    QString FilePath;
    QString Title;
    qint32 FeedID = 0;
    qint32 FeedItemID = 0; // 0 for a feed, else the item whose page or enclosure this is
    bool IsAudio = false;
    // The sync of the database's server account, which no download of its own makes.
    bool IsAccountSync = false;
};

// The sync of a server account as a step of a run of feeds, beside the downloads of the local
// feeds: the run only knows when to call it, the layer that knows the accounts installs it.
class IRunSync {
public:
    virtual ~IRunSync() = default;
    // Called on the starter's thread as a list is built: the run's entry for the account (its
    // title and server address), or none when the database has no account.
    virtual std::optional<CDownloadItem> Prepare(CRssDatabase& db) = 0;
    // Called on the worker's thread with the run's own connection; `note` says what the sync
    // brought, or why it failed.
    virtual bool Run(CRssDatabase& runDb, QString& note) = 0;
};

// What a run reports, in this order for each entry: ITEM_START, DOWNLOADED (when the body
// came), ITEM_DONE.
enum DownloadNotification {
    DN_BUSY = 1,          // refused: another run is marked as going
    DN_START = 3,         // value: number of entries
    DN_END = 4,           // value: 0 completed, 1 cancelled, 2 network lost, 3 disk full
    DN_ITEM_START = 5,    // value: index of the entry
    DN_ITEM_DONE = 6,     // value: 1 success, -1 processing failed, 0 download failed
    DN_DOWNLOADED = 7,    // value: 1
    DN_COUNT = 8,         // value: new number of entries
    DN_EMPTY = 9,         // refused: nothing to download
    DN_NO_CONNECTION = 10 // refused: no Internet connection
};

// Receives a run's notifications synchronously, on the thread that sends them (the worker's
// for most); a screen passes them on to its own thread and waits.
class IDownloadObserver {
public:
    virtual ~IDownloadObserver() = default;
    virtual void OnDownloadNotification(int code, int value) = 0;
};

// Runs of downloads on a worker thread: feeds in priority order, the pages their new items
// ask for, or pending audio enclosures. Each downloaded body goes to the data store.
class CDownloadManager : public IExtendedDataQueue {
public:
    // The most downloads one run makes at once, whatever the configuration asks for.
    static constexpr int MostTransfers = 32;
    // The most text the pages of one run may add to the database, in characters.
    static constexpr qint64 DefaultExtendedDataPerRun = 50LL * 1024 * 1024;

    CDownloadManager(CRssDatabase& db, ConnectivityProbe probe = SystemIsOnline);
    ~CDownloadManager() override;
    CDownloadManager(const CDownloadManager&) = delete;
    CDownloadManager& operator=(const CDownloadManager&) = delete;

    void SetObserver(IDownloadObserver* observer) { observer_ = observer; }
    // A run of every feed, and of any list that holds an account's feed, then syncs the account.
    void SetRunSync(IRunSync* sync) { sync_ = sync; }

    // Refused (false) while busy.
    bool LoadRunSettings();
    bool BuildFeedList(qint32 feedID);
    bool BuildViewList(qint32 viewID);
    bool BuildAudioList();
    // The account's sync alone: a feed just subscribed on the server comes in at once.
    bool BuildAccountList();
    bool AddAudioItem(qint32 feedID, qint32 feedItemID, const QString& link, qint64 sizeBytes,
                      const QString& title, const QString& feedLabel);
    void QueueExtendedData(qint32 feedID, qint32 feedItemID, const QString& url,
                           const QString& title) override;

    // 1 started; 0 busy; -1 nothing to download; -2 another run is marked as going; -3 no
    // connection.
    int StartRun();
    // The first cancel lets the current entry finish; a second one, or force, ends the run
    // state at once (the worker abandons its transfer and exits by itself).
    void Cancel(bool force);
    // One download outside a run; `contentType`, when given, gets the answer's Content-Type. A
    // set `abort` ends the transfer as a failure (a dialog's Cancel while a server is slow).
    bool DownloadOne(const QString& url, const QString& filePath, QString* contentType = nullptr,
                     const std::atomic<bool>* abort = nullptr);
    // Blocks until the worker of the last run has exited.
    void WaitForWorker();

    bool IsBusy() const { return busy_; }
    int ItemCount() const;
    CDownloadItem Item(int index) const;
    QString CurrentTitle() const;
    // Why the entry just done (or the last DownloadOne) failed, or what was cut of it; empty
    // when there is nothing to say.
    QString LastNote() const;

    // The audio accounting of the last list built.
    float CacheMB = 0;
    int AudioScanPos = 0;
    // The free kilobytes of the audio folder's volume; replaceable for tests.
    std::function<qint64(const QString&)> FreeSpaceKb;
    // Replaceable for tests.
    qint64 ExtendedDataPerRun = DefaultExtendedDataPerRun;
    // Replaceable for tests: handed the worker's connection as soon as a run has opened it.
    std::function<void(CRssDatabase&)> OnRunDatabaseOpened;

private:
    // For downloads of these addresses.
    bool PrepareConnection(const QStringList& urls);
    void ReleaseConnection();
    void Notify(int code, int value);
    void NotifyRun(int code, int value);
    void ReclaimAbandonedRun();
    QStringList ItemUrls();
    void ClearItems();
    void Append(CDownloadItem item);
    void StartItem(int index);
    std::unique_ptr<CRssDatabase> OpenRunDatabase() const;
    void WorkerLoop();
    // True when the run went through its list; false when a forced cancel ended it meanwhile.
    bool ProcessEntries();
    CDownloadAhead::Fetched Fetch(const CDownloadItem& item, const QString& path,
                                  const std::atomic<bool>* abort);
    // `note` gets what the user should know of the outcome: why it failed, what was cut.
    bool Process(const CDownloadItem& item, const QString& path, const HttpValidators& received,
                 QString& note);
    bool MergeFeed(const CDownloadItem& item, const QString& path, const HttpValidators& received);
    // A feed the server says has not changed since its last download.
    bool FeedNotModified(const CDownloadItem& item);
    bool StoreExtendedData(const CDownloadItem& item, const QString& path, QString& note);
    // True when the run goes on with another entry.
    bool AfterItem(int result, const QString& note);
    // Ends the run state once: by the worker at the end of its list, or by a forced cancel.
    void EndRun(bool byWorker);
    bool BuildList(const std::function<QList<qint32>()>& feedIDs, bool withAccount);

    CRssDatabase& db_; // the starter's connection: builds lists, reads before a run
    std::unique_ptr<CRssDatabase> runDb_; // the worker's own, for the run's stores
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    CReloadSchedule schedule_;
    CInternetConnection connection_;
    CRunLock runLock_; // held while BackgroundStatus names a run of this process
    IDownloadObserver* observer_ = nullptr;
    IRunSync* sync_ = nullptr;

    mutable std::mutex itemsMutex_;
    std::vector<CDownloadItem> items_;
    int index_ = 0;
    QString currentTitle_;
    QString lastNote_;

    std::atomic<bool> busy_{false};
    std::atomic<bool> aborted_{false};
    std::atomic<bool> lostNetwork_{false};
    std::atomic<bool> diskFull_{false};
    std::atomic<bool> runEnded_{true};
    std::atomic<bool> listAbandoned_{false};    // a forced cancel left the list to its worker
    std::atomic<bool> abandonTransfers_{false}; // ends every transfer of the run under way
    std::mutex endMutex_;
    std::thread worker_;

    std::map<qint32, HttpValidators> validators_; // per feed, read when the run starts
    qint64 extendedDataLeft_ = 0;                 // characters the run's pages may still add
    int transfers_ = 1;                           // downloads at once, read when the run starts
    int transfersPerServer_ = 1;                  // connections to one server, read likewise
    // The newest item before a run of feeds, whose new items "Whats New" then shows; none for
    // a run without feeds (audio), which leaves it as it is.
    std::optional<qint32> lastItemBeforeRun_;
    // The icons of a run of feeds, fetched beside them. Replaced only when a run starts, so
    // that a forced cancel may abandon them while the worker still holds them.
    std::unique_ptr<CFeedIconFetcher> icons_;
    ProxyArguments proxy_;
    bool usesConnectionWatch_ = false;
    bool alreadyConnected_ = false;

    // Audio accounting while a list is built.
    std::vector<CAudioEntry> downloadedAudio_;
    qint64 freeSpaceKbAtBuild_ = 0;
    int maxItemMB_ = 2;
    int maxTotalMB_ = 10;
};
