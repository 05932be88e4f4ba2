// What a feed update writes: the merge of a downloaded feed file, an item's fetched page, new
// feeds and the reload of a subscription list.
#include "config/AppSettings.h"
#include "feeds/FeedParser.h"
#include "feeds/SubscriptionList.h"
#include "store/AdoException.h"
#include "store/AudioCache.h"
#include "store/DatabaseAccess.h"
#include "text/DateFormat.h"
#include "text/FileDigest.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"
#include "text/TextFile.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <chrono>

namespace {

constexpr qsizetype TitleLimit = 255;
constexpr qsizetype ColumnLimit = 255;
constexpr qsizetype SplitTextLimit = 510;
constexpr qsizetype TextPieceLength = 31999;

// Over the limit, the text keeps limit - 3 characters and gains "...".
QString Cut(const QString& text, qsizetype limit) {
    return text.size() > limit ? text.left(limit - 3) + QStringLiteral("...") : text;
}

QString PlainLink(const QString& raw) {
    return UnwrapCData(DecodeEntities(raw));
}

} // namespace

// A long merge is written in steps, each one transaction; between two, whoever waits for the
// database has it, so that no reader waits for the whole merge.
class CRssDatabase::MergeSteps {
public:
    explicit MergeSteps(CRssDatabase& db) : db_(db) { Begin(); }
    bool Due() const { return std::chrono::steady_clock::now() - started_ >= StepLength; }
    void Next() {
        if (!transaction_->Commit())
            THROW_ADO(CAdoException::UpdateRefused);
        transaction_.reset();
        db_.YieldLock();
        Begin();
    }
    bool Commit() { return transaction_->Commit(); }

private:
    // Short beside the second a reader may be kept waiting.
    static constexpr auto StepLength = std::chrono::milliseconds(250);

    void Begin() {
        transaction_.emplace(*db_.connection_);
        started_ = std::chrono::steady_clock::now();
    }

    CRssDatabase& db_;
    std::optional<ScopedTransaction> transaction_;
    std::chrono::steady_clock::time_point started_;
};

// The journals of a merge's statements stay in memory for the merge: on disk, the engine opens,
// writes and drops a temporary file for every statement whose journal outgrows a few pages,
// which took as long as the rest of a large merge.
class JournalsInMemory {
public:
    explicit JournalsInMemory(CAdoConnection& connection) : connection_(connection) {
        connection_.Execute(QStringLiteral("PRAGMA temp_store=MEMORY"));
    }
    ~JournalsInMemory() { connection_.Execute(QStringLiteral("PRAGMA temp_store=DEFAULT")); }
    JournalsInMemory(const JournalsInMemory&) = delete;
    JournalsInMemory& operator=(const JournalsInMemory&) = delete;

private:
    CAdoConnection& connection_;
};

struct CRssDatabase::MergeSettings {
    qint16 maxItems = CFeedRecord().MaxItems;
    bool extendedData = false;
    bool extendedAudio = false;
    qint16 priority = 1;
    QString feedLabel;
    // The keyword Views (but "Whats New") and their keywords, case folded; read once per merge.
    std::vector<std::pair<qint32, QStringList>> keywordViews;
};

// What a merge has done so far.
struct CRssDatabase::MergeTally {
    int extendedCount = 0; // items queued for their extended data
    QList<qint32> added;   // items stored by this merge
};

bool CRssDatabase::MergeFeedFile(qint32 feedID, const QString& path, IExtendedDataQueue* queue,
                                 const QString& contentType,
                                 std::optional<FeedIconSource>* iconSource) {
    const QString digest = Md5FileDigest(path);
    const std::optional<CFeedRecord> stored = GetFeed(feedID);
    if (stored && !digest.isEmpty() && stored->LastDigestKey == digest)
        return true;
    CFeedData feed;
    if (!ParseFeedFile(feed, path, {stored ? stored->FeedUrl : QString(), contentType}))
        return false;
    if (iconSource)
        *iconSource = IconSourceOf(feed);
    return MergeFeed(feedID, stored, feed, digest, queue);
}

bool CRssDatabase::MergeParsedFeed(qint32 feedID, const CFeedData& feed, const QString& digest,
                                   IExtendedDataQueue* queue) {
    return MergeFeed(feedID, GetFeed(feedID), feed, digest, queue);
}

bool CRssDatabase::MergeFeed(qint32 feedID, const std::optional<CFeedRecord>& stored,
                             const CFeedData& feed, const QString& digest,
                             IExtendedDataQueue* queue) {
    MergeSettings settings;
    if (stored) {
        settings.maxItems = stored->MaxItems;
        settings.extendedData = stored->ExtendedData;
        settings.extendedAudio = stored->ExtendedAudio;
        settings.priority = stored->Priority;
        settings.feedLabel = PlainText(stored->Title);
    }
    // Other bytes are always merged, whatever the channel date says: many feeds gain items
    // without changing it, and the digest above already skips a document that did not change.
    const std::optional<QDateTime> channelDate =
        feed.Date.isEmpty() ? std::nullopt : std::optional(ParseItemDate(feed.Date));

    // A merge that fits in one step is one transaction: other processes see the feed as it was
    // or as merged. A longer one lands in steps, each whole, with the header last, so that a
    // merge cut short is made again by the next download.
    const bool merged = WithAccess(false, [&] {
        const JournalsInMemory journals(*connection_);
        MergeSteps steps(*this);
        const QDateTime now = NowGmt();
        // A feed deleted while its body was on the way (the window and a run work side by
        // side) takes no items: they would belong to no feed.
        if (Query(QStringLiteral("Select 1 From Feeds Where FeedID = ") + SqlInt(feedID))->IsEOF())
            return false;
        settings.keywordViews = KeywordViews();
        QList<qint32> seenItems;
        MergeTally tally;
        PauseSearchIndex();
        for (const std::size_t index : MergeOrder(feedID, feed.Items, settings.maxItems)) {
            if (const auto id = MergeItem(feedID, feed.Items[index], settings, now, tally, queue))
                seenItems << *id;
            if (steps.Due()) {
                IndexAddedItems(std::exchange(tally.added, {}));
                steps.Next();
                PauseSearchIndex();
            }
        }
        IndexAddedItems(tally.added);
        TrimItems(feedID, settings.maxItems, seenItems, steps);
        return WriteFeedHeader(feedID, feed, digest, channelDate.value_or(now), now) &&
               steps.Commit();
    });
    if (merged)
        GiveBackFreeSpace();
    return merged;
}

// A server account's items come parsed, each with its server number; one already stored under
// that number is passed over, so a sync cut off and started again stores nothing twice.
std::optional<int> CRssDatabase::MergeAccountItems(const std::vector<CAccountItem>& items) {
    const QHash<qint32, qint32> feeds = AccountFeeds();
    int stored = 0;
    const bool merged = ApplyForAccount([&] {
        MergeSettings settings;
        settings.keywordViews = KeywordViews();
        MergeTally tally;
        const QDateTime now = NowGmt();
        PauseSearchIndex();
        for (const CAccountItem& item : items) {
            const qint32 feedID = feeds.value(item.RemoteFeedID);
            if (feedID == 0)
                continue;
            const auto known = Query(QStringLiteral("Select FeedItemID From AccountItems Where "
                                                    "RemoteID = ") +
                                     SqlInt(item.RemoteID));
            if (!known->IsEOF())
                continue;
            CFeedItemData parsed;
            parsed.Title = item.Title;
            parsed.Link = item.Link;
            parsed.Content = item.Content;
            parsed.Date = item.Date.toUTC().toString(Qt::ISODate);
            // The server's number names the item for good, whatever its title becomes.
            parsed.Guid = QStringLiteral("tt-rss:%1").arg(item.RemoteID);
            const auto id = MergeItem(feedID, parsed, settings, now, tally, nullptr);
            if (!id)
                return false;
            const qint16 status = item.Starred ? ItemLocked : item.Unread ? ItemUnread : ItemRead;
            if (!connection_->ExecuteAll(QStringList{
                    QStringLiteral("Insert Or Ignore Into AccountItems(FeedItemID,RemoteID,"
                                   "ServerUnread,ServerStarred) Values(%1,%2,%3,%4)")
                        .arg(SqlInt(*id), SqlInt(item.RemoteID), SqlInt(item.Unread),
                             SqlInt(item.Starred)),
                    QStringLiteral("Update FeedItems Set Status = %1 Where FeedItemID = %2")
                        .arg(SqlInt(status), SqlInt(*id))}))
                return false;
            ++stored;
        }
        IndexAddedItems(tally.added);
        return true;
    });
    return merged ? std::optional(stored) : std::nullopt;
}

// An item is known within its feed by its key (its guid, else its date text, else its link)
// and its title, both as stored. An item without a key is new on every merge.
namespace {

QString ItemKey(const CFeedItemData& parsed) {
    return (!parsed.Guid.isEmpty()   ? parsed.Guid
            : !parsed.Date.isEmpty() ? parsed.Date
                                     : PlainLink(parsed.Link))
        .left(ColumnLimit);
}

QString ItemTitle(const CFeedItemData& parsed) {
    return Cut(PlainText(parsed.Title), TitleLimit);
}

// RSS gives an address, often followed by the name in brackets ("jo@example.org (Jo Bloggs)"):
// the name is what a reader knows the writer by.
QString ItemAuthor(const CFeedItemData& parsed) {
    const QString author = PlainText(parsed.Author).simplified();
    static const QRegularExpression addressAndName(QStringLiteral(R"(^\S+@\S+\s*\((.+)\)$)"));
    const QRegularExpressionMatch match = addressAndName.match(author);
    return Cut(match.hasMatch() ? match.captured(1).trimmed() : author, TitleLimit);
}

using ItemIdentity = std::pair<QString, QString>; // key, title

} // namespace

QSet<ItemIdentity> CRssDatabase::StoredIdentities(qint32 feedID) {
    QSet<ItemIdentity> stored;
    for (auto rows = Query(QStringLiteral("Select GUID,Title From FeedItems Where FeedID = ") +
                           SqlInt(feedID) + QStringLiteral(" And GUID <> ''"));
         !rows->IsEOF(); rows->MoveNext())
        stored.insert({rows->Field(0).GetString(), rows->Field(1).GetString()});
    return stored;
}

// The positions of the document's items to merge, in the order they are merged: from its last
// item to its first, so that the first (normally the newest) gets the largest number and the
// trim, which keeps the largest numbers, keeps the newest.
//
// When the trim keeps at most maxItems, only the items it would keep are merged: the new items
// rank above every stored one (their numbers are larger), and among themselves by the position
// at which the merge first stores them, which is the last place their identity occurs in the
// document (earlier copies find that row). So the kept new items are the first maxItems whose
// last occurrence is reached going down the document and that the feed does not hold yet.
// With "remove old data", or a feed without a limit, every item of the document stays, and all
// are merged.
std::vector<std::size_t>
CRssDatabase::MergeOrder(qint32 feedID, const std::vector<CFeedItemData>& items, qint16 maxItems) {
    const std::size_t kept = std::size_t(std::max<qint16>(maxItems, 0));
    std::vector<std::size_t> order;
    if (TheAppSettings().autoPurgeFD || !Limits(maxItems) || items.size() <= kept) {
        for (std::size_t index = items.size(); index-- > 0;)
            order.push_back(index);
        return order;
    }
    // Titles are worked out only where a key occurs twice or an item is a candidate.
    std::vector<QString> keys;
    keys.reserve(items.size());
    QHash<QString, int> keyCounts;
    for (const CFeedItemData& item : items)
        if (const QString& key = keys.emplace_back(ItemKey(item)); !key.isEmpty())
            ++keyCounts[key];
    QHash<ItemIdentity, std::size_t> lastOfRepeated;
    for (std::size_t index = 0; index < items.size(); ++index)
        if (keyCounts.value(keys[index]) > 1)
            lastOfRepeated.insert({keys[index], ItemTitle(items[index])}, index);
    const QSet<ItemIdentity> stored = StoredIdentities(feedID);
    for (std::size_t index = 0; index < items.size() && order.size() < kept; ++index) {
        if (!keys[index].isEmpty()) {
            const ItemIdentity identity{keys[index], ItemTitle(items[index])};
            if (lastOfRepeated.value(identity, index) != index || stored.contains(identity))
                continue;
        }
        order.push_back(index);
    }
    std::reverse(order.begin(), order.end());
    return order;
}

bool CRssDatabase::WriteFeedHeader(qint32 feedID, const CFeedData& feed, const QString& digest,
                                   const QDateTime& feedDate, const QDateTime& now) {
    const auto row = QueryForWrite(QStringLiteral("Select FeedID,Title,FeedType,LinkUrl,"
                                                  "Description1,Description2,LastDigestKey,"
                                                  "LastDownloadDate,LastFeedDate,Status From "
                                                  "Feeds Where FeedID = ") +
                                   SqlInt(feedID));
    if (row->IsEOF())
        return false;
    const QString description = Cut(feed.Description, SplitTextLimit);
    row->Field(1).SetString(Cut(PlainText(feed.Title), TitleLimit));
    row->Field(2).SetShort(feed.FeedType);
    row->Field(3).SetString(PlainLink(feed.Link));
    row->Field(4).SetString(description.left(ColumnLimit));
    row->Field(5).SetString(description.mid(ColumnLimit));
    row->Field(6).SetString(digest);
    row->Field(7).SetDate(now);
    row->Field(8).SetDate(feedDate);
    row->Field(9).SetShort(2);
    row->Update();
    return true;
}

// Stores one parsed item unless the feed holds it already; the item's number either way, or
// none when the duplicate test cannot run (then nothing of the item is written). A merge runs
// these statements for every item, so they go to the engine with their values bound, compiled
// once.
std::optional<qint32> CRssDatabase::MergeItem(qint32 feedID, const CFeedItemData& parsed,
                                              const MergeSettings& settings, const QDateTime& now,
                                              MergeTally& tally, IExtendedDataQueue* queue) {
    const qint32 id = NewRecordID();
    // An address is kept whole: a shortened one names another page or another episode. The
    // second column takes whatever the first does not hold.
    const QString link = PlainLink(parsed.Link);
    const QString key = ItemKey(parsed);
    const QString title = ItemTitle(parsed);
    // An item without a key is new on every merge: only a keyed one can be held already.
    if (!key.isEmpty()) {
        const auto held = connection_->FirstColumnBound(
            QStringLiteral("Select FeedItemID From FeedItems Where FeedID = ? And GUID = ? And "
                           "Title = ? Limit 1"),
            {feedID, key, title});
        if (!held)
            return std::nullopt;
        if (!held->isEmpty())
            return qint32(held->first());
    }

    const QDateTime itemDate = parsed.Date.isEmpty() ? now : ParseItemDate(parsed.Date);
    if (!itemDate.isValid() || !now.isValid())
        THROW_ADO(CAdoException::ValueRefused);
    if (!connection_->ExecuteBound(
            QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,GUID,Title,LinkUrl,LinkUrl2,"
                           "Status,ItemDate,DateEntered) Values(?,?,?,?,?,?,?,?,?)"),
            {id, feedID, key, title, link.left(ColumnLimit), link.mid(ColumnLimit),
             qint16(ItemUnread), StoredDateText(itemDate.toUTC()), StoredDateText(now.toUTC())}))
        THROW_ADO(CAdoException::UpdateRefused);
    tally.added << id;

    if (const QString author = ItemAuthor(parsed);
        !author.isEmpty() &&
        !connection_->ExecuteBound(
            QStringLiteral("Insert Or Replace Into FeedItemAuthors(FeedItemID,Author) Values(?,?)"),
            {id, author}))
        THROW_ADO(CAdoException::UpdateRefused);
    StoreTextPieces(QStringLiteral("FeedItemShortData"), feedID, id, parsed.Content);
    if (settings.extendedData) {
        ++tally.extendedCount;
        if (queue)
            queue->QueueExtendedData(feedID, id, link,
                                     QStringLiteral("Extended Data (%1) for: %2")
                                         .arg(tally.extendedCount)
                                         .arg(settings.feedLabel));
    }
    if (settings.extendedAudio && !parsed.EnclosureUrl.isEmpty() &&
        !connection_->Execute(
            QStringLiteral("Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,"
                           "Keep) Values(%1,%2,%3,%4,0,0)")
                .arg(SqlInt(id), SqlInt(feedID),
                     SqlText(DecodeEntities(DecodeEntities(parsed.EnclosureUrl))),
                     SqlInt(parsed.EnclosureLength))))
        THROW_ADO(CAdoException::UpdateRefused);
    AddKeywordMemberships(feedID, id, parsed, settings);
    return id;
}

void CRssDatabase::StoreTextPieces(const QString& table, qint32 feedID, qint32 feedItemID,
                                   const QString& text) {
    const QString insert = QStringLiteral("Insert Into ") + table +
                           QStringLiteral("(FeedItemID,FeedID,LinkOrder,Keep,TextData) "
                                          "Values(?,?,?,?,?)");
    qint16 order = 1;
    for (qsizetype start = 0; start < text.size(); start += TextPieceLength)
        if (!connection_->ExecuteBound(
                insert, {feedItemID, feedID, order++, qint16(0), text.mid(start, TextPieceLength)}))
            THROW_ADO(CAdoException::UpdateRefused);
}

std::vector<std::pair<qint32, QStringList>> CRssDatabase::KeywordViews() {
    std::vector<std::pair<qint32, QStringList>> views;
    for (auto rows = Query(QStringLiteral("Select ViewID,Keywords From Views Where Status <> 0 "
                                          "And Keywords <> '' And ViewID <> 1"));
         !rows->IsEOF(); rows->MoveNext()) {
        const qint32 viewID = rows->Field(0).GetLong();
        QStringList keywords;
        for (const QString& keyword : rows->Field(1).GetString().split(u','))
            if (const QString folded = keyword.trimmed().toCaseFolded(); !folded.isEmpty())
                keywords << folded;
        views.emplace_back(viewID, keywords);
    }
    return views;
}

// Keyword Views take an item when one of their keywords occurs in its content or title, case
// folded. "Whats New" never takes part.
void CRssDatabase::AddKeywordMemberships(qint32 feedID, qint32 feedItemID,
                                         const CFeedItemData& parsed,
                                         const MergeSettings& settings) {
    if (settings.keywordViews.empty())
        return;
    const QString content = parsed.Content.toCaseFolded();
    const QString title = parsed.Title.toCaseFolded();
    for (const auto& [viewID, keywords] : settings.keywordViews)
        if (std::any_of(keywords.begin(), keywords.end(), [&](const QString& keyword) {
                return content.contains(keyword) || title.contains(keyword);
            }))
            if (!connection_->ExecuteBound(QStringLiteral("Insert Into ViewFeedItems(ViewID,FeedID,"
                                                          "FeedItemID,Priority) Values(?,?,?,?)"),
                                           {viewID, feedID, feedItemID, settings.priority}))
                THROW_ADO(CAdoException::UpdateRefused);
}

// Locked items are never candidates. With "remove old data" off the newest MaxItems stay (all of
// them when the feed has no limit); with it on, every item the feed no longer carries goes.
// Deleted in runs, a step at a time.
void CRssDatabase::TrimItems(qint32 feedID, qint16 maxItems, const QList<qint32>& seenItems,
                             MergeSteps& steps) {
    const bool removeOldData = TheAppSettings().autoPurgeFD;
    if (!removeOldData && !Limits(maxItems))
        return;
    const QSet<qint32> seen(seenItems.cbegin(), seenItems.cend());
    QList<qint32> marked;
    int position = 0;
    for (auto rows = Query(QStringLiteral("Select FeedItemID From FeedItems Where Status <> 3 "
                                          "And FeedID = ") +
                           SqlInt(feedID) + QStringLiteral(" Order By FeedItemID Desc"));
         !rows->IsEOF(); rows->MoveNext()) {
        const qint32 id = rows->Field(0).GetLong();
        if (removeOldData ? !seen.contains(id) : ++position > maxItems)
            marked << id;
    }
    constexpr qsizetype RunLength = 500;
    for (qsizetype start = 0; start < marked.size(); start += RunLength) {
        if (!DeleteItemRows(marked.mid(start, RunLength)))
            THROW_ADO(CAdoException::UpdateRefused);
        if (steps.Due())
            steps.Next();
    }
}

qint64 CRssDatabase::PragmaValue(const char* name) {
    const auto row = Query(QStringLiteral("PRAGMA ") + QLatin1String(name));
    return row->IsEOF() ? 0 : row->Field(0).GetValue().toLongLong();
}

// A merge that left most of the file free (a feed that kept a few of many items) hands the
// space to the volume, instead of keeping it until the next compaction. A file that frees pages
// on request does so a step at a time; an older one is rebuilt once, which is quick while most
// of it is free and makes it free pages on request from then on.
void CRssDatabase::GiveBackFreeSpace() {
    constexpr qint64 LeastFreePages = 1024;
    constexpr qint64 PagesPerStep = 2048;
    constexpr qint64 IncrementalVacuum = 2;
    WithAccess(false, [&] {
        const qint64 freePages = PragmaValue("freelist_count");
        if (freePages < LeastFreePages || freePages * 2 < PragmaValue("page_count"))
            return true;
        if (PragmaValue("auto_vacuum") != IncrementalVacuum)
            return RebuildFile();
        while (PragmaValue("freelist_count") > 0) {
            if (!connection_->Execute(
                    QStringLiteral("PRAGMA incremental_vacuum(%1)").arg(PagesPerStep)))
                return false;
            YieldLock();
        }
        return connection_->Execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    });
}

std::optional<CRssDatabase::StoredPage>
CRssDatabase::StoreExtendedData(qint32 feedID, qint32 feedItemID, const QString& path,
                                const QString& pageUrl, qint64 maxCharacters) {
    CTextFile file;
    if (!file.Open(path, CTextFile::Mode::Read))
        return StoredPage();
    StoredPage kept;
    QString page = RewriteRelativeLinks(file.ReadAll(), pageUrl);
    if (page.size() > maxCharacters) {
        page = StripTags(page);
        kept.markupDropped = true;
        kept.cut = page.size() > maxCharacters;
        page.truncate(maxCharacters);
    }
    kept.characters = page.size();
    const bool stored = WithAccess(false, [&] {
        StoreTextPieces(QStringLiteral("FeedItemLongData"), feedID, feedItemID, page);
        return true;
    });
    return stored ? std::optional(kept) : std::nullopt;
}

bool CRssDatabase::InsertFeed(const CFeedRecord& feed, qint32 viewID, qint32 subscriptionID,
                              FeedText text) {
    const bool plain = text == FeedText::Plain;
    return WithAccess(false, [&] {
        const auto row = QueryForWrite(QStringLiteral(
            "Select FeedID,Title,GUID,FeedType,FeedUrl,LinkUrl,Description1,Description2,"
            "ReloadFrequency,ReadAfter,MaxItems,ExtendedData,ExtendedAudio,Priority,Status,"
            "LastDigestKey,LastDownloadDate,LastFeedDate,DateEntered From Feeds Where FeedID = 0"));
        row->AddNew();
        row->Field(0).SetLong(feed.FeedID);
        row->Field(1).SetString(plain ? feed.Title : PlainText(feed.Title));
        row->Field(2).SetString(feed.GUID);
        row->Field(3).SetShort(feed.FeedType);
        row->Field(4).SetString(plain ? feed.FeedUrl : PlainLink(feed.FeedUrl));
        row->Field(5).SetString(plain ? feed.LinkUrl : PlainLink(feed.LinkUrl));
        row->Field(6).SetString(feed.Description.left(ColumnLimit));
        row->Field(7).SetString(feed.Description.mid(ColumnLimit));
        row->Field(8).SetShort(feed.ReloadFrequency);
        row->Field(9).SetShort(feed.ReadAfter);
        row->Field(10).SetShort(feed.MaxItems);
        row->Field(11).SetBool(feed.ExtendedData);
        row->Field(12).SetBool(feed.ExtendedAudio);
        row->Field(13).SetShort(feed.Priority);
        row->Field(14).SetShort(feed.Status);
        row->Field(15).SetString(feed.LastDigestKey);
        row->Field(16).SetDate(feed.LastDownloadDate);
        row->Field(17).SetDate(feed.LastFeedDate);
        row->Field(18).SetDate(feed.DateEntered);
        row->Update();
        QStringList links;
        if (viewID != 0)
            links << QStringLiteral(
                         "Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(%1,%2,%3)")
                         .arg(viewID)
                         .arg(feed.FeedID)
                         .arg(feed.Priority);
        if (subscriptionID != 0)
            links << QStringLiteral("Insert Into SubscriptionFeeds(SubscriptionID,FeedID) "
                                    "Values(%1,%2)")
                         .arg(subscriptionID)
                         .arg(feed.FeedID);
        return connection_->ExecuteAll(links);
    });
}

// A feed still listed stays as it is, with its items, settings and View memberships; one no
// longer listed goes; a newly listed one is added empty, to be filled by the next download.
// Under one lock and in one transaction, so that nobody sees the list half reloaded.
bool CRssDatabase::RefreshSubscription(qint32 subscriptionID, const QString& listPath) {
    CFeedData list;
    if (!ParseSubscriptionList(list, listPath))
        return false;
    QSet<QString> listed;
    for (const CFeedItemData& outline : list.Items)
        listed.insert(PlainLink(outline.Link));
    return RunExclusive([&](CAdoConnection& connection) {
        ScopedTransaction transaction(connection);
        const auto subscription = GetSubscription(subscriptionID);
        const qint32 viewID = subscription ? subscription->ViewID : 0;
        QSet<QString> present;
        for (qint32 feedID : SubscriptionFeedIDs(subscriptionID)) {
            const auto feed = GetFeed(feedID);
            const QString address = feed ? feed->FeedUrl : QString();
            if (listed.contains(address) && !present.contains(address))
                present.insert(address);
            else if (!DeleteFeed(feedID))
                return false;
        }
        for (const CFeedItemData& outline : list.Items) {
            if (present.contains(PlainLink(outline.Link)))
                continue;
            CFeedRecord feed;
            feed.FeedID = NewRecordID();
            feed.Title = outline.Title.left(TitleLimit);
            feed.FeedUrl = outline.Link;
            if (!InsertFeed(feed, viewID, subscriptionID))
                return false;
            present.insert(PlainLink(outline.Link));
        }
        return transaction.Commit();
    });
}
