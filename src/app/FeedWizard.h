#pragma once

#include "store/Records.h"

#include <QList>
#include <QString>
#include <QTemporaryFile>
#include <memory>

class CRssDatabase;
class CDownloadManager;

// What the feed wizard does once its pages are filled in: add a feed by address, subscribe to
// an OPML list on the web or in a file, reload or delete a subscription. Each returns a status
// text in the wizard's words; an empty error means success.
class CFeedWizard {
public:
    CFeedWizard(CRssDatabase& db, CDownloadManager& downloads);

    struct Result {
        QString error;   // the status line or message shown when it failed
        QString caption; // the caption of a message box, empty for a status line
        qint32 id = 0;   // the new feed or subscription
        bool ok() const { return error.isEmpty(); }
    };

    // "Add a New Feed": duplicate check, download and parse (unless later), insert, merge,
    // View memberships. The record carries the properties page's values.
    Result AddFeed(const QString& url, bool later, CFeedRecord properties,
                   const QList<qint32>& viewIDs);
    // "Import Subscription from Web/File": the subscription, its View and its feeds.
    Result Subscribe(const QString& urlOrFile, const QString& title);
    Result Resubscribe(qint32 subscriptionID);

    // The title a feed added for later gets: the address cut before its last separator.
    static QString TitleForLater(const QString& url);

private:
    // The document at the address in a temporary file of its own, and the answer's content type
    // when asked for; none when not downloaded.
    std::unique_ptr<QTemporaryFile> Download(const QString& url,
                                             QString* contentType = nullptr) const;
    bool IsKnownFeed(const QString& url);
    bool IsKnownSubscription(const QString& address);
    Result DownloadFailure() const;

    CRssDatabase& db_;
    CDownloadManager& downloads_;
};
