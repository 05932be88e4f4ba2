// The access bracket, the row readers and the column lists shared by the store's files.

#pragma once

// The access bracket every data-store operation runs in; included by the files that make up
// CRssDatabase only.
#include "store/AdoException.h"
#include "store/RssDatabase.h"
#include "store/SqlText.h"

#include <exception>

template <typename Result, typename Work>
Result CRssDatabase::WithAccess(Result failure, Work&& work) {
    if (!isOpen_ || !Connect() || !Lock())
        return failure;
    try {
        Result result = work();
        Unlock();
        return result;
    } catch (const std::exception&) {
        Unlock();
        return failure;
    }
}

// Hands each row of a query to `take` until it returns false. A row whose values cannot be read
// (a stored date that is no date, say) is passed over: one bad row never hides the others.
template <typename Take> void TakeReadableRows(CAdoRecordset& rows, Take&& take) {
    for (; !rows.IsEOF(); rows.MoveNext()) {
        try {
            if (!take(rows))
                return;
        } catch (const CAdoException&) {
        }
    }
}

// The item columns every list shows, by position: FeedItemID, FeedID, Title, Status, ItemDate,
// LinkUrl, LinkUrl2 (the two halves of the link joined), the author (null when none is known).
inline const QString ListedItemColumns = QStringLiteral(
    "FeedItems.FeedItemID,FeedItems.FeedID,FeedItems.Title,FeedItems.Status,FeedItems.ItemDate,"
    "FeedItems.LinkUrl,FeedItems.LinkUrl2,(Select Author From FeedItemAuthors Where "
    "FeedItemAuthors.FeedItemID = FeedItems.FeedItemID)");

// A single item's columns: the listed ones followed by what only its properties show.
inline const QString ItemDetailColumns =
    ListedItemColumns + QStringLiteral(",FeedItems.GUID,FeedItems.Keywords,FeedItems.DateEntered");
inline const QString SubscriptionColumns =
    QStringLiteral("SubscriptionID,ViewID,Title,SubscriptionUrl,IsFromFile");

inline CFeedItemRecord ReadListedItem(CAdoRecordset& row) {
    CFeedItemRecord item;
    item.FeedItemID = row.Field(0).GetLong();
    item.FeedID = row.Field(1).GetLong();
    item.Title = row.Field(2).GetString();
    item.Status = row.Field(3).GetShort();
    item.ItemDate = row.Field(4).GetDate();
    item.Link = row.Field(5).GetString();
    item.Link += row.Field(6).GetString();
    item.Author = row.Field(7).GetString();
    return item;
}

// The order of the lists by date: latest first, items of one date by number (the highest, the
// latest stored, first), items without a date last.
inline bool ListedBefore(const CFeedItemRecord& a, const CFeedItemRecord& b) {
    if (a.ItemDate.isValid() != b.ItemDate.isValid())
        return a.ItemDate.isValid();
    if (a.ItemDate != b.ItemDate)
        return a.ItemDate > b.ItemDate;
    return a.FeedItemID > b.FeedItemID;
}

// A row of ItemDetailColumns.
inline CFeedItemRecord ReadItemDetail(CAdoRecordset& row) {
    CFeedItemRecord item = ReadListedItem(row);
    item.GUID = row.Field(8).GetString();
    item.Keywords = row.Field(9).GetString();
    item.DateEntered = row.Field(10).GetDate();
    return item;
}

// A row of SubscriptionColumns.
inline CSubscriptionRecord ReadSubscription(CAdoRecordset& row) {
    CSubscriptionRecord subscription;
    subscription.SubscriptionID = row.Field(0).GetLong();
    subscription.ViewID = row.Field(1).GetLong();
    subscription.Title = row.Field(2).GetString();
    subscription.SubscriptionUrl = row.Field(3).GetString();
    subscription.IsFromFile = row.Field(4).GetBool();
    return subscription;
}
