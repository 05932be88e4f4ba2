// The interface every server account's source implements, and what a sync reports.
#pragma once

#include "store/Records.h"

#include <QString>
#include <memory>

class CRssDatabase;

// What one sync did, for the user.
struct SyncReport {
    int feedsAdded = 0;
    int feedsRemoved = 0;
    int itemsAdded = 0;
    int changesSent = 0;
};

// Where a database's feeds come from besides their own sites: a server account that downloads
// them around the clock and keeps the read state of every reader its user has. Each kind of
// server is one class behind this interface; the rest of the program sees only this.
class IFeedSource {
public:
    virtual ~IFeedSource() = default;
    // Logs in; `message` says what the server answered, or why it could not be used.
    virtual bool Test(QString& message) = 0;
    // Sends the changes waiting in the database, then brings in the server's feeds, categories,
    // new items and read and starred states. On failure `message` says why and the database
    // keeps what it had and every change still to send.
    virtual bool Sync(CRssDatabase& db, SyncReport& report, QString& message) = 0;
    // Subscribes on the server; the next sync brings the feed in.
    virtual bool Subscribe(const QString& url, QString& message) = 0;
};

// The source of an account, or none for a kind of server this program does not know.
std::unique_ptr<IFeedSource> MakeFeedSource(const CAccountRecord& account, const QString& password);
// The kinds of server an account may be: "ttrss".
bool IsKnownAccountKind(const QString& kind);
