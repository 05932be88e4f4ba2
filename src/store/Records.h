// The records the data store exchanges with its callers.

#pragma once

#include "text/DateFormat.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The records the data store exchanges with its callers, with the values a new one starts with.

// A feed's MaxItems or a View's NumToShow of 0: every item is kept, every item is shown.
inline constexpr int NoItemLimit = 0;

inline bool Limits(int most) {
    return most != NoItemLimit;
}

struct CViewRecord {
    qint32 ViewID = 0;
    qint32 ParentID = 0;
    QString Label;
    qint16 Status = 2;
    qint16 ReadAfter = 5;
    qint16 HideAfter = 7;
    // Sized for a desktop: a new View shows a thousand items, a new feed keeps five hundred.
    qint32 NumToShow = 1000;
    bool HideRead = false;
    bool DPadSkipRead = true;
    qint16 SortBy = 0; // 0 by feed priority, 1 by feed date, 2 by item date
    bool IsKeywordView = false;
    QString Keywords;
};

struct CFeedRecord {
    qint32 FeedID = 0;
    QString Title;
    QString GUID;
    qint16 FeedType = 0;
    QString FeedUrl;
    QString LinkUrl;
    QString Description;
    qint16 ReloadFrequency = 0;
    qint16 ReadAfter = 5;
    qint16 MaxItems = 500;
    bool ExtendedData = false;
    bool ExtendedAudio = false;
    qint16 Priority = 1;
    qint16 Status = 2;
    QString LastDigestKey;
    QDateTime LastDownloadDate = NowGmt();
    QDateTime LastFeedDate = NowGmt();
    QDateTime DateEntered = NowGmt();
};

struct CFeedItemRecord {
    qint32 FeedItemID = 0;
    qint32 FeedID = 0;
    QString GUID;
    QString Title;
    QString Link;
    QString Keywords;
    QDateTime ItemDate;
    qint16 Status = 0;
    QDateTime DateEntered;
    // Kept beside the item's row; empty when the feed names no author.
    QString Author;
};

struct CSubscriptionRecord {
    qint32 SubscriptionID = 0;
    qint32 ViewID = 0;
    QString Title;
    QString SubscriptionUrl;
    bool IsFromFile = false;
    QDateTime DateEntered = NowGmt();
};

struct CItemText {
    qint32 FeedItemID = 0;
    qint32 FeedID = 0;
    qint16 Kind = 0; // 1 the fetched page (long data), otherwise the feed's content
    QString Text;
};

struct CAudioEntry {
    qint32 FeedItemID = 0;
    qint32 FeedID = 0;
    QString Link;
    qint32 Size = 0;
    QString FeedLabel;
};

// What a server said to recognise a feed's body again (its ETag and Last-Modified headers):
// sent back, it lets the server answer "not modified" instead of sending the same body.
struct HttpValidators {
    QString etag;
    QString lastModified;
    // Not a validator and never stored: the answer's Content-Type, whose charset decodes a body
    // that names no encoding of its own.
    QString contentType;
    bool IsEmpty() const { return etag.isEmpty() && lastModified.isEmpty(); }
};

// The server account whose feeds a database syncs.
struct CAccountRecord {
    QString Kind; // which server: "ttrss"
    QString Url;
    QString UserName;
    qint32 LastItemID = 0; // the newest server item stored; later ones are new
};

// One item as a server account gives it.
struct CAccountItem {
    qint32 RemoteID = 0;
    qint32 RemoteFeedID = 0;
    QString Title;
    QString Link;
    QString Content;
    QDateTime Date;
    bool Unread = true;
    bool Starred = false;
};

// A local change that waits to be sent to the account's server; `Value` is the new state.
enum AccountChangeKind : qint16 {
    AccountChangeStarred = 0,
    AccountChangeUnread = 2,
    AccountChangeUnsubscribed = 10
};
struct CAccountChange {
    qint32 RemoteID = 0; // an item's, or for AccountChangeUnsubscribed a feed's
    qint16 Kind = AccountChangeUnread;
    bool Value = false;
    QString ChangedAt; // when it was made, as the database wrote it
};

// Item statuses, and the count kinds that select them.
enum ItemStatus : qint16 { ItemHidden = 0, ItemUnread = 1, ItemRead = 2, ItemLocked = 3 };
// View IDs the database is created with; IDs up to 3 are reserved: the screens and the command
// line neither edit nor delete them.
enum BuiltInView : qint32 { WhatsNewViewID = 1, SearchResultsViewID = 2, LastReservedViewID = 3 };
