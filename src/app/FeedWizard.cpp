// The feed wizard's work for both programs: checking, fetching and adding feeds and subscriptions.

#include "app/FeedWizard.h"

#include "app/Properties.h"
#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "feeds/FeedParser.h"
#include "feeds/SubscriptionList.h"
#include "net/DownloadManager.h"
#include "store/RssDatabase.h"
#include "text/FileDigest.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>
#include <algorithm>

namespace {
CFeedWizard::Result Failure(const QString& error, const QString& caption = QString()) {
    return {error, caption, 0};
}

bool IsWebAddress(const QString& text) {
    return text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

// A list refused for its size is named as such, not as a list that could not be parsed.
CFeedWizard::Result TooLargeListFailure() {
    return Failure(QStringLiteral("Status: Subscription file is larger than %1 MB and was not read")
                       .arg(MaxSubscriptionFileBytes / (1024 * 1024)));
}

CFeedWizard::Result DuplicateSubscription(bool fromFile) {
    return Failure(
        fromFile ? QStringLiteral("Please Enter a different Subscription File.\n\nThe current "
                                  "Subscription already exists in the database.")
                 : QStringLiteral("Please Enter a different Subscription Url.\n\nThe current "
                                  "Subscription already exists in the database."),
        QStringLiteral("Duplicate Subscription"));
}

void Report(const CFeedWizard::StatusLine& status, const QString& line) {
    if (status)
        status(line);
}
} // namespace

CFeedWizard::CFeedWizard(CRssDatabase& db, CDownloadManager& downloads)
    : db_(db), downloads_(downloads) {}

// A file of its own beside rssTemp.xml for each download, so that two processes adding at once
// never read each other's document; removed when it goes out of scope.
std::unique_ptr<QTemporaryFile> CFeedWizard::Download(const QString& url, QString* contentType,
                                                      const std::atomic<bool>* abort) const {
    const QFileInfo shared(TheAppSettings().TempFeedPath());
    auto file =
        std::make_unique<QTemporaryFile>(shared.absolutePath() + u'/' + shared.completeBaseName() +
                                         QStringLiteral("-XXXXXX.") + shared.suffix());
    if (!file->open())
        return nullptr;
    file->close();
    if (!downloads_.DownloadOne(url, file->fileName(), contentType, abort))
        return nullptr;
    return file;
}

// The wizard's status line, with the reason the user can act on.
CFeedWizard::Result CFeedWizard::DownloadFailure() const {
    return Failure(QStringLiteral("Status: Failed to Download - ") + downloads_.LastNote());
}

QString CFeedWizard::DuplicateFeedUrl() {
    return QStringLiteral(
        "Please Enter a different Feed Url.\n\nThe current Feed already exists in the database.");
}

QString CFeedWizard::DuplicateListedFeed() {
    return QStringLiteral(
        "Please Enter a different Feed.\n\nThe current Feed already exists in the database.");
}

QString CFeedWizard::TitleForLater(const QString& url) {
    const QString head = url.left(100);
    qsizetype cut = head.lastIndexOf(u'\\');
    if (cut < 0)
        cut = head.lastIndexOf(u'/');
    return cut >= 0 ? head.left(cut) : head;
}

bool IsFeedAddress(const QString& address) {
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

CFeedWizard::Result CFeedWizard::CheckNewFeed(const QString& url, const QString& duplicate) {
    if (url.trimmed().isEmpty())
        return Failure(QStringLiteral("Please Enter a valid Url"), QStringLiteral("Notice"));
    if (db_.IsKnownFeedUrl(url))
        return Failure(duplicate, QStringLiteral("Duplicate Feed"));
    return {};
}

CFeedWizard::Result CFeedWizard::FetchFeed(const QString& url, bool later, FetchedFeed& feed,
                                           const std::atomic<bool>* abort,
                                           const StatusLine& status) {
    feed.record.FeedUrl = url;
    if (later) {
        if (!IsFeedAddress(url))
            return Failure(QStringLiteral("Please Enter a valid Url"), QStringLiteral("Notice"));
        feed.record.Title = TitleForLater(url);
        return {};
    }
    Report(status, QStringLiteral("Downloading Data..."));
    QString contentType;
    const std::unique_ptr<QTemporaryFile> document = Download(url, &contentType, abort);
    if (!document)
        return DownloadFailure();
    Report(status, QStringLiteral("Processing Data..."));
    // Parsed here once: the title is shown now, the items are merged when the feed is added.
    CFeedData& parsed = feed.parsed.emplace();
    if (!ParseFeedFile(parsed, document->fileName(), {url, contentType})) {
        feed.parsed.reset();
        return Failure(QStringLiteral("Status: Failed to Parse Feed"));
    }
    feed.digest = Md5FileDigest(document->fileName());
    feed.record.Title = parsed.Title;
    feed.record.Description = parsed.Description;
    feed.record.LinkUrl = parsed.Link;
    feed.record.FeedType = parsed.FeedType;
    Report(status, QStringLiteral("Status: Success"));
    return {};
}

// The lock is held from the second duplicate check to the last write, so that two processes
// adding at once can neither both add one address nor take one number.
CFeedWizard::Result CFeedWizard::AddFetchedFeed(const FetchedFeed& fetched, CFeedRecord feed,
                                                const QList<qint32>& viewIDs) {
    feed.Priority = qint16(std::clamp<int>(feed.Priority, 0, 100));
    Result result = Failure(QStringLiteral("Status: Failed to Add Feed"));
    db_.RunExclusive([&](CAdoConnection&) {
        if (db_.IsKnownFeedUrl(feed.FeedUrl)) {
            result = Failure(DuplicateFeedUrl(), QStringLiteral("Duplicate Feed"));
            return false;
        }
        feed.FeedID = NewRecordID();
        if (!db_.InsertFeed(feed, 0, 0))
            return false;
        if (fetched.parsed)
            db_.MergeParsedFeed(feed.FeedID, *fetched.parsed, fetched.digest, nullptr);
        if (!viewIDs.isEmpty())
            db_.SetFeedViews(feed.FeedID, viewIDs);
        result = {QString(), QString(), feed.FeedID};
        return true;
    });
    return result;
}

CFeedWizard::Result CFeedWizard::AddFeed(const QString& url, bool later, CFeedRecord properties,
                                         const QList<qint32>& viewIDs) {
    if (Result checked = CheckNewFeed(url, DuplicateFeedUrl()); !checked.ok())
        return checked;
    FetchedFeed fetched;
    if (Result read = FetchFeed(url, later, fetched); !read.ok())
        return read;
    properties.FeedUrl = url;
    properties.Title = fetched.record.Title;
    properties.Description = fetched.record.Description;
    properties.LinkUrl = fetched.record.LinkUrl;
    properties.FeedType = fetched.record.FeedType;
    const Result added = AddFetchedFeed(fetched, properties, viewIDs);
    if (added.ok() && properties.ExtendedData)
        OfferExtendedDataPurge(db_, added.id);
    return added;
}

CFeedWizard::Result CFeedWizard::CheckNewSubscription(const QString& address, bool fromFile) {
    if (address.trimmed().isEmpty())
        return Failure(fromFile ? QStringLiteral("Please Enter a valid File")
                                : QStringLiteral("Please Enter a valid Url"),
                       QStringLiteral("Notice"));
    if (db_.IsKnownSubscriptionUrl(fromFile ? QFileInfo(address).absoluteFilePath() : address))
        return DuplicateSubscription(fromFile);
    return {};
}

// A list file is kept by its absolute path, so that a reload from another folder finds it.
CFeedWizard::Result CFeedWizard::FetchSubscription(const QString& urlOrFile, bool fromFile,
                                                   FetchedSubscription& subscription,
                                                   const std::atomic<bool>* abort,
                                                   const StatusLine& status) {
    subscription.fromFile = fromFile;
    subscription.address = fromFile ? QFileInfo(urlOrFile).absoluteFilePath() : urlOrFile;
    if (!fromFile) {
        Report(status, QStringLiteral("Downloading Data..."));
        subscription.document = Download(urlOrFile, nullptr, abort);
        if (!subscription.document)
            return DownloadFailure();
    }
    Report(status, QStringLiteral("Processing Data..."));
    if (IsSubscriptionFileTooLarge(subscription.ListFile()))
        return TooLargeListFailure();
    CFeedData list;
    if (!ParseSubscriptionList(list, subscription.ListFile()))
        return Failure(QStringLiteral("Status: Failed to Parse Subscription file"));
    subscription.title = list.Title;
    Report(status, QStringLiteral("Status: Success"));
    return {};
}

CFeedWizard::Result CFeedWizard::AddSubscription(const FetchedSubscription& fetched,
                                                 const QString& title) {
    Result result = Failure(QStringLiteral("Status: Failed to Add Subscription"));
    db_.RunExclusive([&](CAdoConnection&) {
        if (db_.IsKnownSubscriptionUrl(fetched.address)) {
            result = DuplicateSubscription(fetched.fromFile);
            return false;
        }
        CSubscriptionRecord subscription;
        subscription.SubscriptionID = NewRecordID();
        subscription.Title = (title.isEmpty() ? DecodeEntities(fetched.title) : title).left(100);
        subscription.SubscriptionUrl = fetched.address;
        subscription.IsFromFile = fetched.fromFile;
        if (!db_.InsertSubscription(subscription, false) ||
            !db_.RefreshSubscription(subscription.SubscriptionID, fetched.ListFile()))
            return false;
        result = {QString(), QString(), subscription.SubscriptionID, subscription.ViewID};
        return true;
    });
    return result;
}

CFeedWizard::Result CFeedWizard::Subscribe(const QString& urlOrFile, const QString& title) {
    const bool fromFile = QFileInfo::exists(urlOrFile);
    if (!fromFile && !IsWebAddress(urlOrFile))
        return Failure(QStringLiteral("Status: No such file: ") + urlOrFile);
    if (Result checked = CheckNewSubscription(urlOrFile, fromFile); !checked.ok())
        return checked;
    FetchedSubscription fetched;
    if (Result read = FetchSubscription(urlOrFile, fromFile, fetched); !read.ok())
        return read;
    return AddSubscription(fetched, title);
}

CFeedWizard::Result CFeedWizard::RefreshSubscription(qint32 subscriptionID,
                                                     const FetchedSubscription& list) {
    if (!db_.RefreshSubscription(subscriptionID, list.ListFile()))
        return Failure(QStringLiteral("Status: Failed to Parse Subscription file"));
    return {QString(), QString(), subscriptionID};
}

CFeedWizard::Result CFeedWizard::Resubscribe(qint32 subscriptionID) {
    const auto subscription = db_.GetSubscription(subscriptionID);
    if (!subscription)
        return Failure(QStringLiteral("Please select a Subscription to update"),
                       QStringLiteral("Notice"));
    FetchedSubscription fetched;
    if (Result read =
            FetchSubscription(subscription->SubscriptionUrl, subscription->IsFromFile, fetched);
        !read.ok())
        return read;
    return RefreshSubscription(subscriptionID, fetched);
}

CFeedWizard::Result CFeedWizard::FetchListing(const std::atomic<bool>* abort,
                                              const StatusLine& status) {
    Report(status, QStringLiteral("Downloading Data..."));
    const QString path = TheAppSettings().OnlineListingPath();
    const QString address = CRegistrySettings::ForQuillpost().Read(Key::OnlineListingUrl);
    if (!downloads_.DownloadOne(address, path, nullptr, abort))
        return Failure(QStringLiteral("Status: Failed to Download Feed Listing."));
    Report(status, QStringLiteral("Processing Data..."));
    CXmlDocument listing;
    if (!listing.LoadFile(path) || !IsFeedListing(listing))
        return Failure(QStringLiteral("Status: Failed to parse Online Feed Listing."));
    return {};
}

QString CFeedWizard::SearchQueryUrl(const QString& service, const QString& term) {
    // Only blanks are encoded: the service takes the rest of the term as typed.
    return service +
           QStringLiteral("search.php?sort=&ie=&hl=&content=full&type=rss&limit=30&db=feeds&q=") +
           QString(term).replace(u' ', QStringLiteral("%20"));
}

namespace {
// A result is left out when its address is listed already, or when another listed one has
// both its description and its title.
void AddUnlessListed(std::vector<ListedFeed>& found, ListedFeed result) {
    const bool listed =
        std::any_of(found.cbegin(), found.cend(), [&result](const ListedFeed& earlier) {
            return earlier.url == result.url ||
                   (earlier.description == result.description && earlier.label == result.label);
        });
    if (!listed)
        found.push_back(std::move(result));
}
} // namespace

CFeedWizard::Result CFeedWizard::SearchFeeds(const QString& term, std::vector<ListedFeed>& found,
                                             const std::atomic<bool>* abort,
                                             const StatusLine& status) {
    found.clear();
    if (term.isEmpty())
        return Failure(QStringLiteral("Please enter a search term"), QStringLiteral("Notice"));
    Report(status, QStringLiteral("Status: Performing Search..."));
    const QString path = TheAppSettings().SearchResultsPath();
    const QString service = CRegistrySettings::ForQuillpost().Read(Key::FeedSearchUrl);
    if (!downloads_.DownloadOne(SearchQueryUrl(service, term), path, nullptr, abort))
        return Failure(QStringLiteral("Could not connect to online search engine."));
    CFeedData results;
    if (!ParseSearchResults(results, path))
        return Failure(QStringLiteral("Could not Parse Feed Search results."));
    for (const CFeedItemData& item : results.Items)
        AddUnlessListed(found, {DecodeEntities(item.Title), DecodeEntities(item.Link),
                                StripTags(DecodeEntities(item.Content))});
    Report(status, QStringLiteral(
                       "Select a Feed from the listing above, to see a description of the feed."));
    return {};
}

std::optional<WizardRequest> CFeedWizard::RequestFor(const QString& text) {
    QString address = text.trimmed();
    // "feed://host/path" stands for the web address; "feed:https://..." wraps one.
    if (address.startsWith(QStringLiteral("feed://"), Qt::CaseInsensitive))
        address = QStringLiteral("http://") + address.mid(7);
    else if (address.startsWith(QStringLiteral("feed:"), Qt::CaseInsensitive))
        address = address.mid(5);
    if (IsWebAddress(address) && !address.contains(u'\n'))
        return WizardRequest{WizardRequest::AddFeed, address};
    const QString path = address.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive)
                             ? QUrl(address).toLocalFile()
                             : address;
    const QFileInfo file(path);
    if (!path.isEmpty() && file.isFile() &&
        file.suffix().compare(QStringLiteral("opml"), Qt::CaseInsensitive) == 0)
        return WizardRequest{WizardRequest::SubscribeFromFile, file.absoluteFilePath()};
    return std::nullopt;
}
