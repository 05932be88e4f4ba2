// Single records: reads, inserts, updates, status changes, deletes and purges.
#include "config/RegistrySettings.h"
#include "store/AdoException.h"
#include "store/AudioCache.h"
#include "store/DatabaseAccess.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"

#include <QDir>
#include <QFile>

namespace {

const QDateTime NeverDownloaded(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);

const QString ViewColumns = QStringLiteral(
    "ViewID,ParentID,Label,ReadAfter,HideAfter,NumToShow,HideRead,DPadSkipRead,SortBy,Status,"
    "Keywords,DateEntered");
const QString FeedColumns = QStringLiteral(
    "FeedID,Title,Status,GUID,FeedType,FeedUrl,LinkUrl,Description1,Description2,Priority,"
    "ReloadFrequency,ReadAfter,MaxItems,ExtendedData,ExtendedAudio,LastDigestKey,"
    "LastDownloadDate,LastFeedDate,DateEntered");

CViewRecord ReadView(CAdoRecordset& row) {
    CViewRecord view;
    view.ViewID = row.Field(QStringLiteral("ViewID")).GetLong();
    view.ParentID = row.Field(QStringLiteral("ParentID")).GetLong();
    view.Label = row.Field(QStringLiteral("Label")).GetString();
    view.Status = row.Field(QStringLiteral("Status")).GetShort();
    view.ReadAfter = row.Field(QStringLiteral("ReadAfter")).GetShort();
    view.HideAfter = row.Field(QStringLiteral("HideAfter")).GetShort();
    view.NumToShow = row.Field(QStringLiteral("NumToShow")).GetLong();
    view.HideRead = row.Field(QStringLiteral("HideRead")).GetBool();
    view.DPadSkipRead = row.Field(QStringLiteral("DPadSkipRead")).GetBool();
    view.SortBy = row.Field(QStringLiteral("SortBy")).GetShort();
    view.Keywords = row.Field(QStringLiteral("Keywords")).GetString();
    view.IsKeywordView = !view.Keywords.isEmpty();
    return view;
}

CFeedRecord ReadFeed(CAdoRecordset& row) {
    CFeedRecord feed;
    feed.FeedID = row.Field(QStringLiteral("FeedID")).GetLong();
    feed.Title = row.Field(QStringLiteral("Title")).GetString();
    feed.Status = row.Field(QStringLiteral("Status")).GetShort();
    feed.GUID = row.Field(QStringLiteral("GUID")).GetString();
    feed.FeedType = row.Field(QStringLiteral("FeedType")).GetShort();
    feed.FeedUrl = row.Field(QStringLiteral("FeedUrl")).GetString();
    feed.LinkUrl = row.Field(QStringLiteral("LinkUrl")).GetString();
    feed.Description = row.Field(QStringLiteral("Description1")).GetString();
    feed.Description += row.Field(QStringLiteral("Description2")).GetString();
    feed.Priority = row.Field(QStringLiteral("Priority")).GetShort();
    feed.ReloadFrequency = row.Field(QStringLiteral("ReloadFrequency")).GetShort();
    feed.ReadAfter = row.Field(QStringLiteral("ReadAfter")).GetShort();
    feed.MaxItems = row.Field(QStringLiteral("MaxItems")).GetShort();
    feed.ExtendedData = row.Field(QStringLiteral("ExtendedData")).GetBool();
    feed.ExtendedAudio = row.Field(QStringLiteral("ExtendedAudio")).GetBool();
    feed.LastDigestKey = row.Field(QStringLiteral("LastDigestKey")).GetString();
    feed.LastDownloadDate = row.Field(QStringLiteral("LastDownloadDate")).GetDate();
    feed.LastFeedDate = row.Field(QStringLiteral("LastFeedDate")).GetDate();
    feed.DateEntered = row.Field(QStringLiteral("DateEntered")).GetDate();
    return feed;
}

void WriteViewSettings(CAdoRecordset& row, const CViewRecord& view) {
    row.Field(QStringLiteral("Label")).SetString(view.Label);
    row.Field(QStringLiteral("ReadAfter")).SetShort(view.ReadAfter);
    row.Field(QStringLiteral("HideAfter")).SetShort(view.HideAfter);
    row.Field(QStringLiteral("NumToShow")).SetLong(view.NumToShow);
    row.Field(QStringLiteral("HideRead")).SetBool(view.HideRead);
    row.Field(QStringLiteral("DPadSkipRead")).SetBool(view.DPadSkipRead);
    row.Field(QStringLiteral("SortBy")).SetShort(view.SortBy);
    row.Field(QStringLiteral("Status")).SetShort(view.Status);
    row.Field(QStringLiteral("Keywords")).SetString(view.Keywords);
}

QStringList WithID(const QStringList& prefixes, qint32 id) {
    QStringList statements;
    for (const QString& prefix : prefixes)
        statements << prefix + SqlInt(id);
    return statements;
}

// What hangs on a feed besides its row and its subscription links.
const QStringList FeedDependents = {
    QStringLiteral("Delete From FeedHttpValidators Where FeedID = "),
    QStringLiteral("Delete From ViewFeeds Where FeedID = "),
    QStringLiteral("Delete From ViewFeedItems Where FeedID = "),
    QStringLiteral("Delete From FeedItems Where FeedID = "),
    QStringLiteral("Delete From FeedItemShortData Where FeedID = "),
    QStringLiteral("Delete From FeedItemLongData Where FeedID = "),
    QStringLiteral("Delete From FeedItemAudioData Where FeedID = "),
};

// A feed's cached item data; a purge removes it and keeps the feed with its links. What the
// server said about the last body goes too, so that the next download is never skipped.
const QStringList FeedItemData = {
    QStringLiteral("Delete From FeedHttpValidators Where FeedID = "),
    QStringLiteral("Delete From ViewFeedItems Where FeedID = "),
    QStringLiteral("Delete From FeedItems Where FeedID = "),
    QStringLiteral("Delete From FeedItemShortData Where FeedID = "),
    QStringLiteral("Delete From FeedItemLongData Where FeedID = "),
    QStringLiteral("Delete From FeedItemAudioData Where FeedID = "),
};

// The tables of an item's row and of every row that hangs on it.
const char* const ItemTables[] = {"ViewFeedItems", "FeedItems", "FeedItemShortData",
                                  "FeedItemLongData", "FeedItemAudioData"};

} // namespace

std::unique_ptr<CAdoRecordset> CRssDatabase::Query(const QString& sql) {
    auto recordset = std::make_unique<CAdoRecordset>();
    recordset->Open(sql, *connection_, CAdoRecordset::Mode::Read);
    return recordset;
}

std::unique_ptr<CAdoRecordset> CRssDatabase::QueryForWrite(const QString& sql) {
    auto recordset = std::make_unique<CAdoRecordset>();
    if (!recordset->Open(sql, *connection_, CAdoRecordset::Mode::Write))
        THROW_ADO(CAdoException::RecordsetNotCreated);
    return recordset;
}

template <typename Record, typename Reader>
std::optional<Record> CRssDatabase::ReadFirstRow(const QString& sql, Reader&& read) {
    return WithAccess(std::optional<Record>(), [&]() -> std::optional<Record> {
        const auto row = Query(sql);
        if (row->IsEOF())
            return std::nullopt;
        return read(*row);
    });
}

template <typename Change> bool CRssDatabase::ChangeFirstRow(const QString& sql, Change&& change) {
    return WithAccess(false, [&] {
        const auto row = QueryForWrite(sql);
        if (!row->IsEOF()) {
            change(*row);
            row->Update();
        }
        return true;
    });
}

bool CRssDatabase::ExecuteWithID(const QStringList& statementPrefixes, qint32 id) {
    return WithAccess(false,
                      [&] { return connection_->ExecuteAll(WithID(statementPrefixes, id)); });
}

std::optional<CViewRecord> CRssDatabase::GetView(qint32 viewID) {
    return ReadFirstRow<CViewRecord>(QStringLiteral("Select ") + ViewColumns +
                                         QStringLiteral(" From Views Where ViewID = ") +
                                         SqlInt(viewID),
                                     ReadView);
}

std::optional<CFeedRecord> CRssDatabase::GetFeed(qint32 feedID) {
    return ReadFirstRow<CFeedRecord>(QStringLiteral("Select ") + FeedColumns +
                                         QStringLiteral(" From Feeds Where FeedID = ") +
                                         SqlInt(feedID),
                                     ReadFeed);
}

std::optional<CFeedItemRecord> CRssDatabase::GetItem(qint32 feedItemID) {
    return ReadFirstRow<CFeedItemRecord>(QStringLiteral("Select ") + ItemDetailColumns +
                                             QStringLiteral(" From FeedItems Where FeedItemID = ") +
                                             SqlInt(feedItemID),
                                         ReadItemDetail);
}

std::optional<CSubscriptionRecord> CRssDatabase::GetSubscription(qint32 subscriptionID) {
    return ReadFirstRow<CSubscriptionRecord>(
        QStringLiteral("Select ") + SubscriptionColumns +
            QStringLiteral(" From Subscriptions Where SubscriptionID = ") + SqlInt(subscriptionID),
        ReadSubscription);
}

// Feeds of Status 0 are listed nowhere, so an address held only by one may be added again.
bool CRssDatabase::IsKnownFeedUrl(const QString& url) {
    return WithAccess(false, [&] {
        return !Query(QStringLiteral("Select 1 From Feeds Where FeedUrl = ") + SqlText(url) +
                      QStringLiteral(" And Status <> 0 Limit 1"))
                    ->IsEOF();
    });
}

bool CRssDatabase::IsKnownSubscriptionUrl(const QString& address) {
    return WithAccess(false, [&] {
        return !Query(QStringLiteral("Select 1 From Subscriptions Where SubscriptionUrl = ") +
                      SqlText(address) + QStringLiteral(" Limit 1"))
                    ->IsEOF();
    });
}

std::optional<CItemText> CRssDatabase::GetItemText(qint32 feedItemID, qint16 kind) {
    return WithAccess(std::optional<CItemText>(), [&]() -> std::optional<CItemText> {
        const QString table =
            kind == 1 ? QStringLiteral("FeedItemLongData") : QStringLiteral("FeedItemShortData");
        const auto rows =
            Query(QStringLiteral("Select FeedItemID,FeedID,LinkOrder,TextData From ") + table +
                  QStringLiteral(" Where FeedItemID = ") + SqlInt(feedItemID) +
                  QStringLiteral(" Order By LinkOrder"));
        if (rows->IsEOF())
            return std::nullopt;
        CItemText text;
        text.Kind = kind;
        text.FeedItemID = rows->Field(0).GetLong();
        text.FeedID = rows->Field(1).GetLong();
        for (; !rows->IsEOF(); rows->MoveNext())
            text.Text += rows->Field(3).GetString();
        return text;
    });
}

bool CRssDatabase::InsertView(const CViewRecord& view) {
    return WithAccess(false, [&] {
        const auto row = QueryForWrite(QStringLiteral("Select ") + ViewColumns +
                                       QStringLiteral(" From Views Where ViewID = 0"));
        row->AddNew();
        row->Field(QStringLiteral("ViewID")).SetLong(view.ViewID);
        row->Field(QStringLiteral("ParentID")).SetLong(view.ParentID);
        WriteViewSettings(*row, view);
        row->Field(QStringLiteral("DateEntered")).SetDate(NowGmt());
        row->Update();
        return true;
    });
}

bool CRssDatabase::InsertSubscription(CSubscriptionRecord& subscription, bool withoutView) {
    qint32 viewID = WhatsNewViewID;
    if (!withoutView) {
        CViewRecord view;
        view.ViewID = NewRecordID();
        view.Label = DecodeEntities(subscription.Title);
        if (!InsertView(view))
            return false;
        viewID = view.ViewID;
    }
    subscription.ViewID = viewID;
    return WithAccess(false, [&] {
        const auto row = QueryForWrite(QStringLiteral(
            "Select SubscriptionID,ViewID,Title,SubscriptionUrl,IsFromFile,DateEntered From "
            "Subscriptions Where SubscriptionID = 0"));
        row->AddNew();
        row->Field(0).SetLong(subscription.SubscriptionID);
        row->Field(1).SetLong(viewID);
        row->Field(2).SetString(DecodeEntities(subscription.Title));
        row->Field(3).SetString(DecodeEntities(subscription.SubscriptionUrl));
        row->Field(4).SetBool(subscription.IsFromFile);
        row->Field(5).SetDate(subscription.DateEntered);
        row->Update();
        return true;
    });
}

// The label is stored too: the View properties let it be edited, and dropping the edit would
// report a change as made that was not.
bool CRssDatabase::UpdateView(const CViewRecord& view) {
    return ChangeFirstRow(QStringLiteral("Select ") + ViewColumns +
                              QStringLiteral(" From Views Where ViewID = ") + SqlInt(view.ViewID),
                          [&](CAdoRecordset& row) { WriteViewSettings(row, view); });
}

bool CRssDatabase::UpdateFeed(const CFeedRecord& feed) {
    return ChangeFirstRow(
        QStringLiteral("Select ") + FeedColumns + QStringLiteral(" From Feeds Where FeedID = ") +
            SqlInt(feed.FeedID),
        [&](CAdoRecordset& row) {
            // What the old address's server said says nothing about the new one's body.
            if (row.Field(QStringLiteral("FeedUrl")).GetString() != feed.FeedUrl &&
                !connection_->Execute(
                    QStringLiteral("Delete From FeedHttpValidators Where FeedID = ") +
                    SqlInt(feed.FeedID)))
                THROW_ADO(CAdoException::UpdateRefused);
            row.Field(QStringLiteral("Status")).SetShort(feed.Status);
            row.Field(QStringLiteral("FeedUrl")).SetString(feed.FeedUrl);
            row.Field(QStringLiteral("Priority")).SetShort(feed.Priority);
            row.Field(QStringLiteral("ReloadFrequency")).SetShort(feed.ReloadFrequency);
            row.Field(QStringLiteral("ReadAfter")).SetShort(feed.ReadAfter);
            row.Field(QStringLiteral("MaxItems")).SetShort(feed.MaxItems);
            row.Field(QStringLiteral("ExtendedData")).SetBool(feed.ExtendedData);
            row.Field(QStringLiteral("ExtendedAudio")).SetBool(feed.ExtendedAudio);
        });
}

bool CRssDatabase::UpdateItem(const CFeedItemRecord& item) {
    return ChangeFirstRow(QStringLiteral("Select FeedItemID,FeedID,Status,Keywords From FeedItems "
                                         "Where FeedItemID = ") +
                              SqlInt(item.FeedItemID),
                          [&](CAdoRecordset& row) {
                              row.Field(2).SetShort(item.Status);
                              row.Field(3).SetString(item.Keywords);
                          });
}

bool CRssDatabase::SetFeedStatus(qint32 feedID, qint16 status) {
    return ChangeFirstRow(QStringLiteral("Select FeedID,Status From Feeds Where FeedID = ") +
                              SqlInt(feedID),
                          [&](CAdoRecordset& row) { row.Field(1).SetShort(status); });
}

bool CRssDatabase::SetAudioStatus(qint32 feedItemID, qint16 status) {
    return ChangeFirstRow(
        QStringLiteral("Select FeedItemID,Status From FeedItemAudioData Where FeedItemID = ") +
            SqlInt(feedItemID),
        [&](CAdoRecordset& row) { row.Field(1).SetShort(status); });
}

bool CRssDatabase::SetItemStatus(qint32 feedItemID, qint16 status) {
    return WithAccess(false, [&] {
        const auto row = QueryForWrite(
            QStringLiteral("Select FeedItemID,Status From FeedItems Where FeedItemID = ") +
            SqlInt(feedItemID));
        bool wasLocked = false;
        if (!row->IsEOF()) {
            wasLocked = row->Field(1).GetShort() == ItemLocked;
            row->Field(1).SetShort(status);
            row->Update();
        }
        if (status == ItemLocked)
            return SetKeep(feedItemID, true);
        if (wasLocked)
            return SetKeep(feedItemID, false);
        return true;
    });
}

bool CRssDatabase::SetKeep(qint32 feedItemID, bool keep) {
    for (const char* table : {"FeedItemShortData", "FeedItemLongData"}) {
        const auto rows =
            QueryForWrite(QStringLiteral("Select Keep from ") + QString::fromLatin1(table) +
                          QStringLiteral(" Where FeedItemID = ") + SqlInt(feedItemID));
        for (; !rows->IsEOF(); rows->MoveNext()) {
            rows->Field(0).SetShort(keep ? 1 : 0);
            rows->Update();
        }
    }
    return true;
}

bool CRssDatabase::SetViewFeeds(qint32 viewID, const QList<qint32>& feedIDs) {
    return ReplaceViewFeeds(QStringLiteral("ViewID"), viewID, feedIDs);
}

bool CRssDatabase::SetFeedViews(qint32 feedID, const QList<qint32>& viewIDs) {
    return ReplaceViewFeeds(QStringLiteral("FeedID"), feedID, viewIDs);
}

bool CRssDatabase::ReplaceViewFeeds(const QString& column, qint32 id, const QList<qint32>& others) {
    const QString otherColumn =
        column == u"ViewID" ? QStringLiteral("FeedID") : QStringLiteral("ViewID");
    QStringList statements = {QStringLiteral("Delete From ViewFeeds Where ") + column +
                              QStringLiteral(" = ") + SqlInt(id)};
    for (qint32 other : others)
        statements << QStringLiteral("Insert Into ViewFeeds(%1,%2,Priority) Values(%3,%4,0)")
                          .arg(column, otherColumn, SqlInt(id), SqlInt(other));
    return WithAccess(false, [&] { return connection_->ExecuteAll(statements); });
}

bool CRssDatabase::DeleteView(qint32 viewID) {
    return ExecuteWithID({QStringLiteral("Delete From Views Where ViewID = "),
                          QStringLiteral("Delete From ViewFeeds Where ViewID = "),
                          QStringLiteral("Delete From ViewFeedItems Where ViewID = ")},
                         viewID);
}

void CRssDatabase::DeleteCachedAudio(const CAudioEntry& entry) {
    if (const QString path = AudioCacheFilePath(audioFolder_, entry.FeedLabel, entry.Link);
        !path.isEmpty())
        QFile::remove(path);
}

void CRssDatabase::DeleteCachedAudioOfFeed(qint32 feedID) {
    LoadAudioList(1);
    for (const CAudioEntry& entry : AudioList)
        if (entry.FeedID == feedID)
            DeleteCachedAudio(entry);
}

const CAudioEntry* CRssDatabase::AudioEntryOf(qint32 feedItemID) const {
    for (const CAudioEntry& entry : AudioList)
        if (entry.FeedItemID == feedItemID)
            return &entry;
    return nullptr;
}

bool CRssDatabase::DeleteFeed(qint32 feedID) {
    DeleteCachedAudioOfFeed(feedID);
    QDir().rmdir(audioFolder_ + u'/' + SqlInt(feedID));
    return ExecuteWithID(
        QStringList{QStringLiteral("Delete From Feeds Where FeedID = "),
                    QStringLiteral("Delete From SubscriptionFeeds Where FeedID = ")}
            << FeedDependents,
        feedID);
}

bool CRssDatabase::DeleteItem(qint32 feedItemID) {
    return WithAccess(false, [&] { return DeleteItemRows({feedItemID}); });
}

// One statement a table for all the items: each statement that changes the search index makes
// the engine save it, so item by item a trim of thousands would save it thousands of times.
bool CRssDatabase::DeleteItemRows(const QList<qint32>& feedItemIDs) {
    const QString items = QStringLiteral(" Where FeedItemID In (") + SqlIntList(feedItemIDs) + u')';
    QStringList statements;
    for (const char* table : ItemTables)
        statements << QStringLiteral("Delete From ") + QLatin1String(table) + items;
    const bool deleted = connection_->ExecuteAll(statements);
    for (qint32 feedItemID : feedItemIDs)
        if (const CAudioEntry* entry = AudioEntryOf(feedItemID))
            DeleteCachedAudio(*entry);
    return deleted;
}

bool CRssDatabase::DeleteAudio(qint32 feedItemID) {
    const bool deleted = ExecuteWithID(
        {QStringLiteral("Delete From FeedItemAudioData Where FeedItemID = ")}, feedItemID);
    if (const CAudioEntry* entry = AudioEntryOf(feedItemID))
        DeleteCachedAudio(*entry);
    return deleted;
}

bool CRssDatabase::DeleteSubscription(qint32 subscriptionID) {
    const auto subscription = GetSubscription(subscriptionID);
    const qint32 viewID = subscription ? subscription->ViewID : 0;
    return WithAccess(false, [&] {
        const QList<qint32> feedIDs = SubscriptionFeedIDs(subscriptionID);
        QStringList statements = {
            QStringLiteral("Delete From Subscriptions Where SubscriptionID = ") +
            SqlInt(subscriptionID)};
        if (viewID != 0)
            statements << QStringLiteral("Delete From Views Where ViewID = ") + SqlInt(viewID);
        statements << QStringLiteral("Delete From SubscriptionFeeds Where SubscriptionID = ") +
                          SqlInt(subscriptionID);
        if (!connection_->ExecuteAll(statements))
            return false;
        for (qint32 feedID : feedIDs)
            if (!DeleteFeedRows(feedID))
                return false;
        return true;
    });
}

QList<qint32> CRssDatabase::SubscriptionFeedIDs(qint32 subscriptionID) {
    QList<qint32> feedIDs;
    for (auto rows = Query(QStringLiteral("Select FeedID From SubscriptionFeeds Where "
                                          "SubscriptionID = ") +
                           SqlInt(subscriptionID));
         !rows->IsEOF(); rows->MoveNext())
        feedIDs << rows->Field(0).GetLong();
    return feedIDs;
}

bool CRssDatabase::DeleteFeedRows(qint32 feedID) {
    return connection_->ExecuteAll(
        WithID(QStringList{QStringLiteral("Delete From Feeds Where FeedID = ")} << FeedDependents,
               feedID));
}

// The feed's row forgets its last download, so that the next one is never taken as unchanged.
bool CRssDatabase::ResetFeedsForNextDownload(const QString& sql, bool keepDisabled) {
    const auto rows = QueryForWrite(sql);
    for (; !rows->IsEOF(); rows->MoveNext()) {
        if (!(keepDisabled && rows->Field(1).GetShort() == 1))
            rows->Field(1).SetShort(2);
        rows->Field(2).SetString(QString());
        rows->Field(3).SetDate(NeverDownloaded);
        rows->Field(4).SetDate(NeverDownloaded);
        rows->Update();
    }
    return true;
}

bool CRssDatabase::PurgeFeedData(qint32 feedID) {
    DeleteCachedAudioOfFeed(feedID);
    return WithAccess(false, [&] {
        return ResetFeedsForNextDownload(QStringLiteral("Select FeedID,Status,LastDigestKey,"
                                                        "LastDownloadDate,LastFeedDate From "
                                                        "Feeds Where FeedID = ") +
                                             SqlInt(feedID),
                                         false) &&
               connection_->ExecuteAll(WithID(FeedItemData, feedID));
    });
}

bool CRssDatabase::PurgeAllData() {
    // One transaction: the feeds' rows are reset together with the items gone.
    const bool purged = WithAccess(false, [&] {
        ScopedTransaction transaction(*connection_);
        return DeleteAllItemRows({QStringLiteral("Delete From FeedHttpValidators"),
                                  QStringLiteral("Delete From ViewFeedItems"),
                                  QStringLiteral("Delete From FeedItems"),
                                  QStringLiteral("Delete From FeedItemShortData"),
                                  QStringLiteral("Delete From FeedItemLongData"),
                                  QStringLiteral("Delete From FeedItemAudioData")}) &&
               ResetFeedsForNextDownload(QStringLiteral("Select FeedID,Status,LastDigestKey,"
                                                        "LastDownloadDate,LastFeedDate From Feeds"),
                                         true) &&
               transaction.Commit();
    });
    if (purged)
        CompactDatabase();
    return purged;
}
