// The database of feeds, items, Views and subscriptions.

#pragma once

#include "feeds/FeedData.h"
#include "store/AdoConnection.h"
#include "store/AdoRecordset.h"
#include "store/DatabaseMutex.h"
#include "store/ExtendedDataQueue.h"
#include "store/ItemCursor.h"
#include "store/Records.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The database of feeds, items, Views and subscriptions, and every operation on it. Each
// operation takes the access bracket: the database must be open, connected and locked (the
// lock shared by every process that uses the file); engine failures are caught, the lock is
// released and the failure value returned, so nothing here throws to its caller.
class CRssDatabase {
public:
    static constexpr const char* CurrentVersion = "2.0";
    static constexpr int LockTimeoutMs = 10000;

    CRssDatabase();
    ~CRssDatabase();
    CRssDatabase(const CRssDatabase&) = delete;
    CRssDatabase& operator=(const CRssDatabase&) = delete;

    // When on, Unlock does nothing: a download run takes the lock once and keeps it.
    bool HoldLock = false;
    bool UseLock = true;
    // Check that the file still exists before each operation.
    bool VerifyFile = true;
    // An out-of-date file is refused without offering the upgrade.
    bool NoUpgradePrompt = false;

    bool IsOpen() const { return isOpen_; }
    bool IsLocked() const { return isLocked_; }
    // Whether the open file can only be read (its permissions, a read-only file system): every
    // change would fail, so callers say so before they start one.
    bool IsReadOnly() const;
    QString DatabasePath() const { return databasePath_; }

    // Lifecycle
    bool CreateDatabase(const QString& path, bool askBeforeOverwrite, bool noDefaultViews);
    // 1 opened; 0 failed; -1 the lock was not obtained; -2 an upgrade, or a new database in an
    // empty file, was declined or not offered.
    int OpenDatabase(const QString& path, bool showMissingMessage);
    bool CloseDatabase();
    bool Connect();
    void Disconnect();
    bool Lock();
    void Unlock();
    QString GetDatabaseVersion();
    // Rebuilds the file without its free pages, in place.
    bool CompactDatabase();
    // A consistent copy of the whole database in a file of its own, taken under the lock.
    bool SnapshotDatabase(const QString& path);
    // Replaces the whole content with a snapshot's; false, leaving the database as it was,
    // when the file is no snapshot of a database of this version.
    bool RestoreSnapshot(const QString& path);

    // Feed updates
    // Stores what a downloaded feed file brings: the feed's header, its new items with their
    // text, enclosures and keyword-View memberships, and trims old items. True also when the
    // file shows the feed unchanged. `contentType` is the HTTP answer's, for the character set
    // of a file that names none; relative links resolve against the feed's stored address.
    // `iconSource`, when given, gets where the feed's icon comes from when the file was read
    // (not when its digest showed it unchanged).
    bool MergeFeedFile(qint32 feedID, const QString& path, IExtendedDataQueue* queue,
                       const QString& contentType = {},
                       std::optional<FeedIconSource>* iconSource = nullptr);
    // The same for a feed file parsed already (against the feed's address), whose bytes have
    // the MD5 `digest`: the file is not read again.
    bool MergeParsedFeed(qint32 feedID, const CFeedData& feed, const QString& digest,
                         IExtendedDataQueue* queue);
    // A megabyte of text is plenty for reading a page offline, and no page may fill the disk.
    static constexpr qint64 ExtendedDataLimit = 1024 * 1024;
    // What was kept of a page: its characters, and whether its markup or text was dropped.
    struct StoredPage {
        qint64 characters = 0;
        bool markupDropped = false;
        bool cut = false;
    };
    // Stores an item's fetched page, its relative links made absolute. A page of more than
    // `maxCharacters` is stored as its text without markup, cut at `maxCharacters`. Nothing
    // when the storing failed.
    std::optional<StoredPage> StoreExtendedData(qint32 feedID, qint32 feedItemID,
                                                const QString& path, const QString& pageUrl,
                                                qint64 maxCharacters = ExtendedDataLimit);
    // Titles and addresses as a feed writes them are decoded and stripped of markup; plain ones
    // (restored from a backup) are stored as they are.
    enum class FeedText { AsInFeed, Plain };
    bool InsertFeed(const CFeedRecord& feed, qint32 viewID, qint32 subscriptionID,
                    FeedText text = FeedText::AsInFeed);
    // Replaces a subscription's feeds with those of a newly read list.
    bool RefreshSubscription(qint32 subscriptionID, const QString& listPath);

    // The validators of a feed's last complete download; kept in a table of their own.
    HttpValidators GetHttpValidators(qint32 feedID);
    bool SetHttpValidators(qint32 feedID, const HttpValidators& validators);

    // Records
    std::optional<CViewRecord> GetView(qint32 viewID);
    std::optional<CFeedRecord> GetFeed(qint32 feedID);
    std::optional<CFeedItemRecord> GetItem(qint32 feedItemID);
    std::optional<CSubscriptionRecord> GetSubscription(qint32 subscriptionID);
    std::optional<CItemText> GetItemText(qint32 feedItemID, qint16 kind);
    // Whether a listed Feed or a subscription has this address, as written: one indexed lookup
    // rather than a reload of the whole list.
    bool IsKnownFeedUrl(const QString& url);
    bool IsKnownSubscriptionUrl(const QString& address);
    bool InsertView(const CViewRecord& view);
    bool InsertSubscription(CSubscriptionRecord& subscription, bool withoutView);
    bool UpdateView(const CViewRecord& view);
    bool UpdateFeed(const CFeedRecord& feed);
    bool UpdateItem(const CFeedItemRecord& item);
    bool SetFeedStatus(qint32 feedID, qint16 status);
    // Locking an item keeps its text rows; unlocking releases them.
    bool SetItemStatus(qint32 feedItemID, qint16 status);
    bool SetAudioStatus(qint32 feedItemID, qint16 status);
    bool SetViewFeeds(qint32 viewID, const QList<qint32>& feedIDs);
    bool SetFeedViews(qint32 feedID, const QList<qint32>& viewIDs);
    bool DeleteView(qint32 viewID);
    bool DeleteFeed(qint32 feedID);
    bool DeleteItem(qint32 feedItemID);
    bool DeleteAudio(qint32 feedItemID);
    bool DeleteSubscription(qint32 subscriptionID);
    bool PurgeFeedData(qint32 feedID);
    bool PurgeAllData();

    // Lists
    std::vector<CViewRecord> ViewList;
    std::vector<CFeedRecord> FeedList;
    std::vector<CFeedItemRecord> ItemList;
    std::vector<CSubscriptionRecord> SubscriptionList;
    std::vector<CAudioEntry> AudioList;

    bool LoadViewList();
    bool LoadFeedList(bool byPriority);
    bool LoadFeedItems(qint32 feedID, int most);
    bool LoadViewItems(qint32 viewID, bool hideRead);
    // The same lists read a page at a time: open a cursor, then each LoadMoreItems fills
    // ItemList with the next `count` items (fewer at the end), in the order the whole list has.
    bool OpenFeedItems(CItemCursor& cursor, qint32 feedID, int most);
    // The items of every Feed together, newest first, as one Feed's items are listed.
    bool OpenAllFeedsItems(CItemCursor& cursor);
    bool OpenViewItems(CItemCursor& cursor, qint32 viewID, bool hideRead);
    bool LoadMoreItems(CItemCursor& cursor, int count);
    bool LoadSubscriptionList();
    bool LoadAudioList(qint16 audioStatus);

    struct SearchResults {
        QList<qint32> feedItemIDs;
        QStringList titles;
        QList<qint32> feedIDs;
    };
    // Appends the items whose title, keywords or text hold the text, each item once.
    void SearchItems(const QString& text, SearchResults& results, bool byTitle, bool byKeywords,
                     bool byText, bool newestFirst);
    // The items whose chosen fields hold the text (Like: "%" and "_" are wildcards, every
    // letter's case is folded), of every status, newest first as the lists by date: opened here,
    // read a page at a time by LoadMoreItems. A set `cancel` stops the reading between rows; the
    // cursor then stays where it was.
    struct SearchPlaces {
        bool title = true;
        bool keywords = true;
        bool text = true;
    };
    bool OpenSearch(CItemCursor& cursor, const QString& text, SearchPlaces places,
                    const std::atomic<bool>* cancel = nullptr);
    // Every match of the opened search, counted; none when cancelled or failed.
    std::optional<CMatchCounts> CountMatches(const CItemCursor& cursor);
    // View 2 ("Search Results") becomes the search's: the text its keywords, the items shown
    // (the newest matches) its members, and, when known, the counts of all matches its counts.
    bool FillSearchResults(const QString& text, const std::vector<CFeedItemRecord>& shown,
                           const std::optional<CMatchCounts>& all);
    std::optional<QList<qint32>> GetViewFeedIDs(qint32 viewID);
    std::optional<QList<qint32>> GetFeedViewIDs(qint32 feedID);
    bool ClearViewMembership(qint32 viewID);
    bool RebuildKeywordView(qint32 viewID, bool byTitle, bool byKeywords, bool byText);
    bool RebuildWhatsNew();
    // The newest item number stored, 0 in an empty database: item numbers only grow, so the
    // items a run stores are those above the number read before it.
    qint32 LastItemID();
    // "Whats New" becomes the items numbered above `lastBefore`: what a run brought.
    bool CollectWhatsNew(qint32 lastBefore);
    // kind 1 unread, 3 locked (Views only), anything else every shown item.
    qint32 CountFeedItems(qint32 feedID, int kind);
    qint32 CountViewItems(qint32 viewID, int kind);
    // The unread and shown items of every feed, as CountFeedItems counts them, in one reading.
    struct FeedCounts {
        qint32 unread = 0;
        qint32 total = 0;
    };
    QHash<qint32, FeedCounts> CountAllFeedItems();

    // The server account (see AccountRecords.cpp). Rows written for the server's sake are no
    // local changes: they wait in AccountChanges only when a user's action made them.
    std::optional<CAccountRecord> GetAccount();
    // Replaces the account; a different server or user forgets what the last one was told.
    bool SetAccount(const CAccountRecord& account);
    // Forgets the account; its feeds stay, as feeds downloaded from their sites.
    bool DeleteAccount();
    // Server feed and category numbers and the local feed and View each has become.
    QHash<qint32, qint32> AccountFeeds();
    QHash<qint32, qint32> AccountViews();
    // The local feeds the account owns, which no site download touches.
    QSet<qint32> AccountFeedIDs();
    // A new local feed for a server feed, in one step with its link to it.
    bool AddAccountFeed(qint32 remoteID, const CFeedRecord& feed);
    bool AddAccountView(qint32 remoteID, const CViewRecord& view);
    // Removes a feed or View the server no longer has, without telling the server.
    bool RemoveAccountFeed(qint32 feedID);
    bool RemoveAccountView(qint32 viewID);
    // Stores the items not stored yet, in one transaction; the number stored.
    std::optional<int> MergeAccountItems(const std::vector<CAccountItem>& items);
    // Per server feed, how many of its stored items were unread on the server when last seen.
    QHash<qint32, int> AccountUnreadCounts();
    // The server's states as last read: the items of the server feeds `feeds` are unread when
    // in `unread`, read otherwise; every item is starred when in `starred`. Every stored item
    // of the account then takes that state (starred is locked), but those with a change still
    // to send.
    bool ApplyAccountStates(const QSet<qint32>& feeds, const QSet<qint32>& unread,
                            const QSet<qint32>& starred);
    std::vector<CAccountChange> PendingAccountChanges();
    // Forgets sent changes, unless one was made again since it was read.
    bool ClearAccountChanges(const std::vector<CAccountChange>& sent);

    // Runs work on the connection inside the access bracket, holding the lock throughout, also
    // across the operations the work calls. False when the bracket fails or the work throws.
    bool RunExclusive(const std::function<bool(CAdoConnection&)>& work);

    // Where cached enclosures live; the application's audio folder unless set.
    void SetAudioFolder(const QString& folder) { audioFolder_ = folder; }
    QString AudioFolder() const { return audioFolder_; }
    // The free kilobytes of the volume holding a folder; replaceable for tests.
    void SetFreeSpaceProbe(std::function<qint64(const QString&)> probe) {
        freeSpaceKb_ = std::move(probe);
    }

private:
    bool CreateInEmptyFile(const QString& path);
    // Runs `work` inside the access bracket; `failure` when the bracket fails or work throws.
    template <typename Result, typename Work> Result WithAccess(Result failure, Work&& work);
    // The first row of a query read into a record; none when there is no row.
    template <typename Record, typename Reader>
    std::optional<Record> ReadFirstRow(const QString& sql, Reader&& read);
    // Changes the first row of a write-mode query; a missing row changes nothing and succeeds.
    template <typename Change> bool ChangeFirstRow(const QString& sql, Change&& change);
    bool ExecuteWithID(const QStringList& statementPrefixes, qint32 id);
    // "Whats New" becomes the first `limit` unread or read items (Status <> 0) that meet the
    // extra `condition` ("And …"), newest first.
    bool FillWhatsNew(const QString& condition, qsizetype limit);
    // A read-mode recordset on the connection; an empty one when the engine refuses the query.
    std::unique_ptr<CAdoRecordset> Query(const QString& sql);
    std::unique_ptr<CAdoRecordset> QueryForWrite(const QString& sql);
    bool UpgradeFromVersion1();
    // The tables and indexes added after version 2.0 files were first written.
    void CreateMissingTables();
    bool HasTable(const QString& name);
    void BuildSearchIndex(const QStringList& dropEarlier);
    bool SearchIndexKeepsWordEnds();
    static QStringList DropSearchIndex();
    void RenewSearchInsertTriggers();
    void PauseSearchIndex();
    // Ends the pause: writes the index entries of the items added while it lasted.
    void IndexAddedItems(const QList<qint32>& feedItemIDs);
    void BuildItemCounts();
    bool DeleteAllItemRows(const QStringList& deletes);
    struct ViewMember {
        qint32 feedItemID;
        qint32 feedID;
        qint16 priority;
    };
    bool ReplaceViewMembers(qint32 viewID, const std::vector<ViewMember>& members);
    void RaiseRecordIdFloorToStoredIds();
    void YieldLock();
    bool WriteInitialRows(CAdoConnection& connection, bool noDefaultViews);
    void DeleteCachedAudioOfFeed(qint32 feedID);
    void DeleteCachedAudio(const CAudioEntry& entry);
    const CAudioEntry* AudioEntryOf(qint32 feedItemID) const;
    bool SetKeep(qint32 feedItemID, bool keep);
    // The items' rows and their cached enclosures; inside the access bracket.
    bool DeleteItemRows(const QList<qint32>& feedItemIDs);
    // The memberships whose `column` (ViewID or FeedID) holds `id` become one with each of
    // `others`.
    bool ReplaceViewFeeds(const QString& column, qint32 id, const QList<qint32>& others);
    // The feed's row and every row that hangs on it but its subscription links.
    bool DeleteFeedRows(qint32 feedID);
    QList<qint32> SubscriptionFeedIDs(qint32 subscriptionID);
    class MergeSteps;
    struct MergeSettings;
    bool MergeFeed(qint32 feedID, const std::optional<CFeedRecord>& stored, const CFeedData& feed,
                   const QString& digest, IExtendedDataQueue* queue);
    // The keys and titles of the feed's items that a merge finds again.
    QSet<std::pair<QString, QString>> StoredIdentities(qint32 feedID);
    std::vector<std::size_t> MergeOrder(qint32 feedID, const std::vector<CFeedItemData>& items,
                                        qint16 maxItems);
    qint64 PragmaValue(const char* name);
    void GiveBackFreeSpace();
    bool RebuildFile();
    // False when the feed is no longer stored.
    bool WriteFeedHeader(qint32 feedID, const CFeedData& feed, const QString& digest,
                         const QDateTime& feedDate, const QDateTime& now);
    void StoreTextPieces(const QString& table, qint32 feedID, qint32 feedItemID,
                         const QString& text);
    struct MergeTally;
    std::optional<qint32> MergeItem(qint32 feedID, const CFeedItemData& parsed,
                                    const MergeSettings& settings, const QDateTime& now,
                                    MergeTally& tally, IExtendedDataQueue* queue);
    std::vector<std::pair<qint32, QStringList>> KeywordViews();
    void AddKeywordMemberships(qint32 feedID, qint32 feedItemID, const CFeedItemData& parsed,
                               const MergeSettings& settings);
    void TrimItems(qint32 feedID, qint16 maxItems, const QList<qint32>& seenItems,
                   MergeSteps& steps);
    bool ResetFeedsForNextDownload(const QString& sql, bool keepDisabled);
    QList<qint32> ShownFeedsOfView(const CViewRecord& view);
    QSet<qint32> FeedsWithShownItems(const CViewRecord& view, const QString& hidden);
    bool ReadOnByDate(CItemCursor& cursor, const QString& select, const QString& datedShown,
                      int limit, const std::function<bool(CAdoRecordset&)>& take);
    void AppendFeedPage(CItemCursor& cursor, int count);
    QString NewestShownItems(const CItemCursor& cursor, qint64 shownAtMost);
    bool OpenViewItemsByDate(CItemCursor& cursor, qint64 shownAtMost);
    qint64 ShownItemsAtMost(const CItemCursor& cursor);
    void AppendViewPageByDate(CItemCursor& cursor, int count);
    void AppendViewPage(CItemCursor& cursor, int count);
    int AppendShownItemsOfFeed(CItemCursor& cursor, int count);
    std::optional<QList<qint32>> IndexedItems(const CItemCursor& cursor, int most);
    static CMatchCounts CountsOf(const std::vector<CFeedItemRecord>& items);
    void AppendMatchesPage(CItemCursor& cursor, int count);
    static QString MatchesByDate(const CItemCursor& cursor);
    std::optional<QString> NewestRowsBound(const CItemCursor& cursor, int rows);
    bool CommonAmongNewestRows(const CItemCursor& cursor);

    // Runs `work` in one transaction whose writes are the server's, not the user's.
    bool ApplyForAccount(const std::function<bool()>& work);
    void ReplaceStates(const QString& table, const QSet<qint32>& remoteIDs);

    std::unique_ptr<CAdoConnection> connection_;
    CDatabaseMutex mutex_;
    bool isOpen_ = false;
    bool isLocked_ = false;
    bool showMissingMessage_ = false;
    QString databasePath_;
    QString audioFolder_;
    std::function<qint64(const QString&)> freeSpaceKb_;
};
