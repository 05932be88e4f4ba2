// The download run: feeds, pages and audio fetched, stored and reported step by step.

#include "net/DownloadManager.h"

#include "config/AppSettings.h"
#include "net/DownloadAhead.h"
#include "net/HttpDownloader.h"
#include "store/AudioCache.h"
#include "store/DiskFull.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"
#include "text/RecordId.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace {

constexpr float BytesPerMB = 1048576.0f;

qint64 VolumeFreeKb(const QString& folder) {
    return QStorageInfo(folder).bytesAvailable() / 1024;
}

// Kilobytes, then megabytes, as the cache has always been accounted.
float FileMB(const QString& path) {
    return float(QFileInfo(path).size() / 1024) / 1024.0f;
}

} // namespace

CDownloadManager::CDownloadManager(CRssDatabase& db, ConnectivityProbe probe)
    : FreeSpaceKb(VolumeFreeKb), db_(db), schedule_(store_), connection_(probe) {
    LoadNetworkInformation();
}

CDownloadManager::~CDownloadManager() {
    if (!runEnded_)
        Cancel(true);
    WaitForWorker();
}

void CDownloadManager::Notify(int code, int value) {
    if (observer_)
        observer_->OnDownloadNotification(code, value);
}

// What a worker abandoned by a forced cancel still does is no longer reported.
void CDownloadManager::NotifyRun(int code, int value) {
    if (!runEnded_)
        Notify(code, value);
}

int CDownloadManager::ItemCount() const {
    std::lock_guard lock(itemsMutex_);
    return int(items_.size());
}

CDownloadItem CDownloadManager::Item(int index) const {
    std::lock_guard lock(itemsMutex_);
    return items_.at(std::size_t(index));
}

QString CDownloadManager::CurrentTitle() const {
    std::lock_guard lock(itemsMutex_);
    return currentTitle_;
}

QString CDownloadManager::LastNote() const {
    std::lock_guard lock(itemsMutex_);
    return lastNote_;
}

void CDownloadManager::Append(CDownloadItem item) {
    std::lock_guard lock(itemsMutex_);
    items_.push_back(std::move(item));
}

bool CDownloadManager::LoadRunSettings() {
    if (busy_)
        return false;
    schedule_.LoadRunSettings();
    proxy_ = ProxyFor(ReadNetworkSettings(store_));
    return true;
}

bool CDownloadManager::BuildList(const std::function<QList<qint32>()>& feedIDs, bool withAccount) {
    if (busy_.exchange(true))
        return false;
    ReclaimAbandonedRun();
    ClearItems();
    db_.LoadFeedList(true);
    // A server account's feeds come from its server, never from their sites: a list that holds
    // one syncs the account instead, first, so that its new items are among the run's.
    const QSet<qint32> accountFeeds = db_.AccountFeedIDs();
    const QList<qint32> ids = feedIDs();
    const bool syncsAccount =
        withAccount || std::any_of(ids.begin(), ids.end(),
                                   [&](qint32 feedID) { return accountFeeds.contains(feedID); });
    if (syncsAccount && sync_)
        if (std::optional<CDownloadItem> entry = sync_->Prepare(db_)) {
            entry->IsAccountSync = true;
            Append(*std::move(entry));
        }
    for (qint32 feedID : ids) {
        if (accountFeeds.contains(feedID))
            continue;
        const auto feed = std::find_if(db_.FeedList.begin(), db_.FeedList.end(),
                                       [feedID](const CFeedRecord& record) {
                                           return record.FeedID == feedID && record.Status != 1;
                                       });
        if (feed != db_.FeedList.end())
            Append({feed->FeedUrl, TheAppSettings().DownloadFilePath(), feed->Title, feed->FeedID,
                    0, false});
    }
    busy_ = false;
    return ItemCount() > 0;
}

bool CDownloadManager::BuildFeedList(qint32 feedID) {
    return BuildList(
        [this, feedID] {
            QList<qint32> ids;
            for (const CFeedRecord& feed : db_.FeedList)
                if (feedID == 0 || feed.FeedID == feedID)
                    ids << feed.FeedID;
            return ids;
        },
        feedID == 0);
}

bool CDownloadManager::BuildViewList(qint32 viewID) {
    return BuildList(
        [this, viewID] { return db_.GetViewFeedIDs(viewID).value_or(QList<qint32>()); }, false);
}

bool CDownloadManager::BuildAccountList() {
    return BuildList([] { return QList<qint32>(); }, true);
}

void CDownloadManager::QueueExtendedData(qint32 feedID, qint32 feedItemID, const QString& url,
                                         const QString& title) {
    Append({url, TheAppSettings().DownloadFilePath(), title, feedID, feedItemID, false});
    NotifyRun(DN_COUNT, ItemCount());
}

bool CDownloadManager::BuildAudioList() {
    if (busy_.exchange(true))
        return false;
    ReclaimAbandonedRun();
    ClearItems();
    AudioScanPos = 0;
    QDir().mkpath(db_.AudioFolder());
    freeSpaceKbAtBuild_ = FreeSpaceKb(db_.AudioFolder());
    maxItemMB_ = store_.Read(Key::AudioMaxItemSize);
    maxTotalMB_ = store_.Read(Key::AudioMaxTotalSize);
    CacheMB = 0;
    db_.LoadAudioList(1);
    downloadedAudio_ = db_.AudioList;
    for (const CAudioEntry& entry : downloadedAudio_)
        CacheMB += FileMB(AudioCacheFilePath(db_.AudioFolder(), entry.FeedLabel, entry.Link));
    db_.LoadAudioList(0);
    for (const CAudioEntry& entry : db_.AudioList)
        AddAudioItem(entry.FeedID, entry.FeedItemID, entry.Link, entry.Size,
                     QStringLiteral("Audio Content - ") + entry.FeedLabel, entry.FeedLabel);
    busy_ = false;
    return ItemCount() > 0;
}

bool CDownloadManager::AddAudioItem(qint32 feedID, qint32 feedItemID, const QString& link,
                                    qint64 sizeBytes, const QString& title,
                                    const QString& feedLabel) {
    const QString path = AudioCacheFilePath(db_.AudioFolder(), feedLabel, link);
    // An enclosure whose file would lie outside the cache is refused.
    if (path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).path());
    const float sizeMB = float(sizeBytes) / BytesPerMB;
    // Enclosures without a usable announced size are never downloaded.
    if (sizeBytes < 1024 || sizeMB > float(maxItemMB_))
        return false;
    // Room is made by deleting the oldest downloaded files, each looked at once per list.
    while (CacheMB + sizeMB > float(maxTotalMB_)) {
        if (AudioScanPos >= int(downloadedAudio_.size()))
            return false;
        const CAudioEntry& oldest = downloadedAudio_[std::size_t(AudioScanPos++)];
        const QString oldPath =
            AudioCacheFilePath(db_.AudioFolder(), oldest.FeedLabel, oldest.Link);
        const float oldMB = FileMB(oldPath);
        if (QFileInfo(oldPath).size() >= 1024 && QFile::remove(oldPath))
            CacheMB -= oldMB;
        if (CacheMB + sizeMB < float(maxTotalMB_))
            break;
    }
    if (CacheMB + sizeMB > float(freeSpaceKbAtBuild_) / 1024.0f)
        return false;
    Append({link, path, title, feedID, feedItemID, true});
    Notify(DN_COUNT, ItemCount());
    return true;
}

// With the system's connection watched, a run stops when the network goes away.
bool CDownloadManager::PrepareConnection(const QStringList& urls) {
    proxy_ = ProxyFor(ReadNetworkSettings(store_));
    usesConnectionWatch_ = store_.Read(Key::UseCM) != 0;
    alreadyConnected_ = false;
    if (!usesConnectionWatch_)
        return true;
    if (connection_.CheckConnected() == 0) {
        alreadyConnected_ = true;
        connection_.ConnectAsync();
    } else if (std::any_of(urls.begin(), urls.end(), IsLocalNetworkAddress)) {
        // The check is about the Internet: a feed on this machine or the local network needs no
        // route to it, and the others fail with their own reasons.
        usesConnectionWatch_ = false;
    } else if (store_.Read(Key::UseAutoConnect) == 0 || connection_.ConnectAndWait() != 0) {
        connection_.Disconnect();
        return false;
    }
    return true;
}

void CDownloadManager::ReleaseConnection() {
    connection_.Disconnect();
}

int CDownloadManager::StartRun() {
    if (busy_)
        return 0;
    ReclaimAbandonedRun();
    CHttpDownloader::CancelRequested = false;
    if (ItemCount() == 0) {
        Notify(DN_EMPTY, 0);
        return -1;
    }
    if (LiveBackgroundStatus(store_) == 1) {
        Notify(DN_BUSY, 0);
        return -2;
    }
    busy_ = true;
    schedule_.ComputeNextReload();
    if (!PrepareConnection(ItemUrls())) {
        busy_ = false;
        Notify(DN_NO_CONNECTION, 0);
        return -3;
    }
    transfers_ = std::clamp(store_.Read(Key::MaxTransfers), 1, MostTransfers);
    transfersPerServer_ = std::clamp(store_.Read(Key::MaxTransfersPerServer), 1, transfers_);
    runLock_.Hold();
    store_.Write(Key::BackgroundStatus, 1);
    aborted_ = false;
    lostNetwork_ = false;
    diskFull_ = false;
    TakeDiskFull(); // a sign given before this run is not its own
    runEnded_ = false;
    extendedDataLeft_ = ExtendedDataPerRun;
    Notify(DN_START, ItemCount());
    StartItem(0);
    // Read here, so that the worker touches nothing but its own connection.
    validators_.clear();
    bool bringsItems = false;
    for (int index = 0; index < ItemCount(); ++index) {
        const CDownloadItem item = Item(index);
        bringsItems = bringsItems || item.IsAccountSync;
        if (!item.IsAudio && !item.IsAccountSync && item.FeedItemID == 0)
            validators_[item.FeedID] = db_.GetHttpValidators(item.FeedID);
    }
    bringsItems = bringsItems || !validators_.empty();
    lastItemBeforeRun_ = bringsItems ? std::optional(db_.LastItemID()) : std::nullopt;
    runDb_ = OpenRunDatabase();
    if (runDb_ && OnRunDatabaseOpened)
        OnRunDatabaseOpened(*runDb_);
    CHttpDownloader::StartSession(transfers_, transfersPerServer_);
    abandonTransfers_ = false;
    // The last run's icons are written before this run reads them.
    icons_.reset();
    icons_ = lastItemBeforeRun_
                 ? std::make_unique<CFeedIconFetcher>(CAppSettings::FeedIconFolder(), proxy_)
                 : nullptr;
    worker_ = std::thread([this] { WorkerLoop(); });
    return 1;
}

void CDownloadManager::StartItem(int index) {
    {
        std::lock_guard lock(itemsMutex_);
        index_ = index;
        currentTitle_ = items_.at(std::size_t(index)).Title;
    }
    NotifyRun(DN_ITEM_START, index);
}

// The worker stores through a connection of its own, so that the window (or whoever started
// the run) goes on reading and writing through its own meanwhile: SQLite's WAL lets readers
// read while the worker writes, and each store takes the database lock only for its own step,
// so that a writer elsewhere waits one feed at the most.
std::unique_ptr<CRssDatabase> CDownloadManager::OpenRunDatabase() const {
    auto runDb = std::make_unique<CRssDatabase>();
    runDb->UseLock = db_.UseLock;
    runDb->VerifyFile = db_.VerifyFile;
    runDb->NoUpgradePrompt = true; // the file is the one already open, upgraded or refused
    if (runDb->OpenDatabase(db_.DatabasePath(), false) != 1)
        return nullptr;
    return runDb;
}

void CDownloadManager::WorkerLoop() {
    if (ProcessEntries()) {
        // The icons still under way finish within the run's connections; a cancelled run
        // waits for the one being fetched only.
        if (icons_)
            icons_->Finish(!aborted_);
        if (lastItemBeforeRun_ && runDb_)
            runDb_->CollectWhatsNew(*lastItemBeforeRun_);
        EndRun(true);
    }
    // Closed when the run is over, so that no connection stays on a file that compaction or
    // a restore may replace.
    runDb_.reset();
}

bool CDownloadManager::ProcessEntries() {
    // Entries download several at a time while one is processed; they are still taken in
    // order. Leaving this scope abandons every transfer still under way.
    CDownloadAhead ahead(
        transfers_, transfersPerServer_, index_, [this] { return ItemCount(); },
        [this](int index) { return Item(index); },
        [this](const CDownloadItem& item, const QString& path, const std::atomic<bool>* abort) {
            return Fetch(item, path, abort);
        },
        abandonTransfers_);
    for (;;) {
        const CDownloadItem item = Item(index_);
        const CDownloadAhead::Fetched download = ahead.Take(index_);
        // A forced cancel may have ended the run meanwhile: then the worker leaves quietly.
        if (runEnded_)
            return false;
        CHttpDownloader::CancelRequested = false;
        int result = 0;
        QString note = download.failure;
        if (item.IsAccountSync) {
            // A sync that fails is one failed entry with the server's reason, like a download.
            result = runDb_ && sync_->Run(*runDb_, note) ? 1 : 0;
            if (runEnded_)
                return false;
        } else if (download.result != CHttpDownloader::Result::Failed) {
            NotifyRun(DN_DOWNLOADED, 1);
            // "Not modified" is an unchanged feed, like a body whose digest is known.
            result = (download.result == CHttpDownloader::Result::NotModified
                          ? FeedNotModified(item)
                          : Process(item, download.path, download.validators, note))
                         ? 1
                         : -1;
            if (download.path != item.FilePath)
                QFile::remove(download.path);
            if (runEnded_)
                return false;
        }
        if (!AfterItem(result, note))
            return true;
    }
}

// Feeds are asked for conditionally with what the server said about their last body.
CDownloadAhead::Fetched CDownloadManager::Fetch(const CDownloadItem& item, const QString& path,
                                                const std::atomic<bool>* abort) {
    CDownloadAhead::Fetched fetched;
    fetched.path = path;
    if (item.IsAccountSync) {
        // The worker syncs when it takes the entry, through the run's own connection.
        fetched.result = CHttpDownloader::Result::Complete;
        return fetched;
    }
    if (!item.IsAudio && item.FeedItemID == 0) {
        const auto known = validators_.find(item.FeedID);
        fetched.result = CHttpDownloader::DownloadIfChanged(
            item.Url, path, proxy_.useProxy, proxy_.proxy,
            known == validators_.end() ? HttpValidators() : known->second, fetched.validators,
            abort);
    } else {
        const auto limits =
            item.IsAudio ? CHttpDownloader::Limits::ForEnclosure(qint64(maxItemMB_) * 1048576)
                         : CHttpDownloader::Limits();
        fetched.result = CHttpDownloader::Download(item.Url, path, proxy_.useProxy, proxy_.proxy,
                                                   false, limits, abort)
                             ? CHttpDownloader::Result::Complete
                             : CHttpDownloader::Result::Failed;
    }
    fetched.failure = CHttpDownloader::LastFailure();
    fetched.multiplexed = CHttpDownloader::LastAnswerMultiplexed();
    return fetched;
}

bool CDownloadManager::Process(const CDownloadItem& item, const QString& path,
                               const HttpValidators& received, QString& note) {
    if (!runDb_)
        return false;
    if (item.IsAudio)
        return runDb_->SetAudioStatus(item.FeedItemID, 1);
    if (item.FeedItemID != 0)
        return StoreExtendedData(item, path, note);
    return MergeFeed(item, path, received);
}

// A feed's icon is looked at with the feed, whether or not its file changed.
bool CDownloadManager::MergeFeed(const CDownloadItem& item, const QString& path,
                                 const HttpValidators& received) {
    std::optional<FeedIconSource> iconSource;
    if (!runDb_->MergeFeedFile(item.FeedID, path, this, received.contentType, &iconSource) ||
        !runDb_->SetHttpValidators(item.FeedID, received))
        return false;
    if (iconSource)
        icons_->FeedRead(item.Url, *iconSource);
    else
        icons_->FeedUnchanged(item.Url);
    return true;
}

bool CDownloadManager::FeedNotModified(const CDownloadItem& item) {
    icons_->FeedUnchanged(item.Url);
    return true;
}

// Pages are stored within the item's and the run's limit; what was left out is told.
bool CDownloadManager::StoreExtendedData(const CDownloadItem& item, const QString& path,
                                         QString& note) {
    if (extendedDataLeft_ <= 0) {
        note = QStringLiteral("not stored: the %1 KB of pages one run may store are used up")
                   .arg(ExtendedDataPerRun / 1024);
        return false;
    }
    const qint64 limit = std::min(CRssDatabase::ExtendedDataLimit, extendedDataLeft_);
    const auto kept =
        runDb_->StoreExtendedData(item.FeedID, item.FeedItemID, path, item.Url, limit);
    if (!kept)
        return false;
    extendedDataLeft_ -= kept->characters;
    if (kept->cut)
        note = QStringLiteral("cut to %1 KB of text").arg(limit / 1024);
    else if (kept->markupDropped)
        note = QStringLiteral("stored as text without markup");
    return true;
}

bool CDownloadManager::AfterItem(int result, const QString& note) {
    CHttpDownloader::CancelRequested = false;
    {
        std::lock_guard lock(itemsMutex_);
        lastNote_ = note;
    }
    NotifyRun(DN_ITEM_DONE, result);
    if (store_.Read(Key::BackgroundStatus) == 2)
        aborted_ = true;
    // A run already ended by a forced cancel stopped watching the connection itself: that is no
    // lost network. Connected is read first, so that a watch stopped by that end is seen as such.
    if (usesConnectionWatch_ && !connection_.Connected && !runEnded_) {
        aborted_ = true;
        lostNetwork_ = true;
    }
    // Every later entry would fail the same way: the run stops and says why, once.
    if (TakeDiskFull()) {
        aborted_ = true;
        diskFull_ = true;
    }
    const int next = index_ + 1;
    if (next >= ItemCount() || aborted_)
        return false;
    StartItem(next);
    return true;
}

void CDownloadManager::EndRun(bool byWorker) {
    {
        std::lock_guard lock(endMutex_);
        if (byWorker && runEnded_)
            return;
        runEnded_ = true;
    }
    CHttpDownloader::EndSession();
    ReleaseConnection();
    CHttpDownloader::CancelRequested = false;
    Notify(DN_END, diskFull_ ? 3 : lostNetwork_ ? 2 : aborted_ ? 1 : 0);
    // An abandoned worker still reads its entries: they go when it has left.
    if (byWorker) {
        ClearItems();
    } else {
        listAbandoned_ = true;
        abandonTransfers_ = true; // the worker's, whatever it is waiting for
        if (icons_)
            icons_->Abandon();
    }
    aborted_ = false;
    lostNetwork_ = false;
    diskFull_ = false;
    store_.Write(Key::BackgroundStatus, 0);
    store_.Write(Key::BackgroundLastRefresh, QString::number(SecondsSince2001()));
    store_.Write(Key::LastRefreshDate, FormatDateShort(QDateTime::currentDateTime()));
    // Not busy only once the run's time is stored: the schedule looks at it as soon as the run
    // is seen to be over.
    busy_ = false;
    runLock_.Release();
}

void CDownloadManager::Cancel(bool force) {
    CHttpDownloader::CancelRequested = true;
    if (!aborted_ && !force) {
        if (store_.Read(Key::BackgroundStatus) != 0)
            store_.Write(Key::BackgroundStatus, 2);
        aborted_ = true;
        return;
    }
    aborted_ = true;
    // Only a run marked as going is ended; the worker finds the run over when its transfer
    // returns and exits without touching the database again.
    if (store_.Read(Key::BackgroundStatus) != 0)
        EndRun(false);
}

void CDownloadManager::WaitForWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

// After a forced cancel the worker may still be inside a transfer or a merge: nothing of a new
// list, run or download may start before it has left, or it would report into the new run and
// share the database with it.
void CDownloadManager::ReclaimAbandonedRun() {
    WaitForWorker();
    if (listAbandoned_.exchange(false))
        ClearItems();
}

QStringList CDownloadManager::ItemUrls() {
    std::lock_guard lock(itemsMutex_);
    QStringList urls;
    for (const CDownloadItem& item : items_)
        urls.append(item.Url);
    return urls;
}

void CDownloadManager::ClearItems() {
    std::lock_guard lock(itemsMutex_);
    items_.clear();
}

bool CDownloadManager::DownloadOne(const QString& url, const QString& filePath,
                                   QString* contentType, const std::atomic<bool>* abort) {
    if (busy_.exchange(true))
        return false;
    ReclaimAbandonedRun();
    CHttpDownloader::CancelRequested = false;
    bool downloaded = false;
    QString failure = QStringLiteral("no Internet connection");
    if (PrepareConnection({url})) {
        downloaded = CHttpDownloader::Download(url, filePath, proxy_.useProxy, proxy_.proxy, false,
                                               {}, abort, contentType);
        failure = CHttpDownloader::LastFailure();
        ReleaseConnection();
    }
    {
        std::lock_guard lock(itemsMutex_);
        lastNote_ = downloaded ? QString() : failure;
    }
    busy_ = false;
    return downloaded;
}
