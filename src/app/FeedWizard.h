// The feed wizard's work for both programs: checking, fetching and adding feeds and subscriptions.

#pragma once

#include "feeds/FeedData.h"
#include "feeds/FeedListing.h"
#include "store/Records.h"

#include <QList>
#include <QString>
#include <QTemporaryFile>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CRssDatabase;
class CDownloadManager;

// A feed read from its address and not yet added: the record as the document describes it and
// the document as parsed, which is merged when the feed is added (none for "later"). The
// digest of the downloaded bytes lets the first reload skip the same document.
struct FetchedFeed {
    CFeedRecord record;
    std::optional<CFeedData> parsed;
    QString digest;
};

// A subscription list read from the web or a file and not yet added.
struct FetchedSubscription {
    QString address; // the web address, or the file's absolute path
    bool fromFile = false;
    QString title; // the list's own title, raw
    std::shared_ptr<QTemporaryFile> document;
    QString ListFile() const { return document ? document->fileName() : address; }
};

// Whether a feed may be stored under this address: http or https with a host. A feed added
// "later" is not downloaded first, so nothing else would stop a file or a word.
bool IsFeedAddress(const QString& address);

// What a feed address handed to the program (command line, drop, paste) opens in the wizard.
struct WizardRequest {
    enum Method { AddFeed = 0, SubscribeFromFile = 3 };
    Method method = AddFeed;
    QString address;
};

// What the feed wizard does once its pages are filled in: add a feed by address, subscribe to
// an OPML list on the web or in a file, reload or delete a subscription, read the online
// listing and search for feeds. Each returns a status text in the wizard's words; an empty
// error means success.
//
// The Fetch and Search steps only download and read files: they touch no database, so that a
// dialog can run them on a thread of its own while it stays responsive. `abort` ends their
// transfer; `status` gets each stage's status line.
class CFeedWizard {
public:
    CFeedWizard(CRssDatabase& db, CDownloadManager& downloads);

    struct Result {
        QString error;     // the status line or message shown when it failed
        QString caption;   // the caption of a message box, empty for a status line
        qint32 id = 0;     // the new feed or subscription
        qint32 viewID = 0; // the View made for a new subscription
        bool ok() const { return error.isEmpty(); }
    };
    using StatusLine = std::function<void(const QString&)>;

    // The whole of "Add a New Feed" at once: duplicate check, download and parse (unless
    // later), insert, merge, View memberships. The record carries the properties' values.
    Result AddFeed(const QString& url, bool later, CFeedRecord properties,
                   const QList<qint32>& viewIDs);
    // "Import Subscription from Web/File": the subscription, its View and its feeds.
    Result Subscribe(const QString& urlOrFile, const QString& title);
    Result Resubscribe(qint32 subscriptionID);

    // The duplicate messages of the address page and of the listing and search pages.
    static QString DuplicateFeedUrl();
    static QString DuplicateListedFeed();

    // The steps of the pages, one at a time.
    // The duplicate check of a feed address; `duplicate` is the page's own message.
    Result CheckNewFeed(const QString& url, const QString& duplicate);
    Result CheckNewSubscription(const QString& address, bool fromFile);
    Result FetchFeed(const QString& url, bool later, FetchedFeed& feed,
                     const std::atomic<bool>* abort = nullptr, const StatusLine& status = {});
    Result FetchSubscription(const QString& urlOrFile, bool fromFile,
                             FetchedSubscription& subscription,
                             const std::atomic<bool>* abort = nullptr,
                             const StatusLine& status = {});
    // Adds the fetched feed with the values of `edited` (its address included), merges its
    // document and sets its View memberships.
    Result AddFetchedFeed(const FetchedFeed& feed, CFeedRecord edited,
                          const QList<qint32>& viewIDs);
    // Adds the subscription, its View (same title, cut to 100) and its feeds.
    Result AddSubscription(const FetchedSubscription& subscription, const QString& title);
    // Rebuilds an existing subscription's feeds from a fetched list.
    Result RefreshSubscription(qint32 subscriptionID, const FetchedSubscription& list);

    // Downloads the online listing into its file and checks that it is one.
    Result FetchListing(const std::atomic<bool>* abort = nullptr, const StatusLine& status = {});
    // Asks the search service for feeds; `found` gets the results, each address once.
    Result SearchFeeds(const QString& term, std::vector<ListedFeed>& found,
                       const std::atomic<bool>* abort = nullptr, const StatusLine& status = {});
    // The service's address with the search path and the term, blanks as "%20".
    static QString SearchQueryUrl(const QString& service, const QString& term);

    // The title a feed added for later gets: the address cut before its last separator.
    static QString TitleForLater(const QString& url);
    // A feed address ("feed://" and "feed:" forms taken as the web address they wrap) or a
    // local OPML file (a path or file:// address); none for anything else.
    static std::optional<WizardRequest> RequestFor(const QString& text);

private:
    // The document at the address in a temporary file of its own, and the answer's content type
    // when asked for; none when not downloaded.
    std::unique_ptr<QTemporaryFile> Download(const QString& url, QString* contentType = nullptr,
                                             const std::atomic<bool>* abort = nullptr) const;
    Result DownloadFailure() const;

    CRssDatabase& db_;
    CDownloadManager& downloads_;
};
