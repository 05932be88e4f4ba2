#include "app/FeedWizard.h"

#include "app/Properties.h"
#include "config/AppSettings.h"
#include "feeds/FeedParser.h"
#include "feeds/SubscriptionList.h"
#include "net/DownloadManager.h"
#include "store/RssDatabase.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"

#include <QFileInfo>
#include <QTemporaryFile>
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
} // namespace

CFeedWizard::CFeedWizard(CRssDatabase& db, CDownloadManager& downloads)
    : db_(db), downloads_(downloads) {}

// A file of its own beside rssTemp.xml for each download, so that two processes adding at once
// never read each other's document; removed when it goes out of scope.
std::unique_ptr<QTemporaryFile> CFeedWizard::Download(const QString& url,
                                                      QString* contentType) const {
    const QFileInfo shared(TheAppSettings().TempFeedPath());
    auto file =
        std::make_unique<QTemporaryFile>(shared.absolutePath() + u'/' + shared.completeBaseName() +
                                         QStringLiteral("-XXXXXX.") + shared.suffix());
    if (!file->open())
        return nullptr;
    file->close();
    if (!downloads_.DownloadOne(url, file->fileName(), contentType))
        return nullptr;
    return file;
}

bool CFeedWizard::IsKnownFeed(const QString& url) {
    db_.LoadFeedList(false);
    return std::any_of(db_.FeedList.cbegin(), db_.FeedList.cend(),
                       [&url](const CFeedRecord& existing) { return existing.FeedUrl == url; });
}

// The wizard's status line, with the reason the user can act on.
CFeedWizard::Result CFeedWizard::DownloadFailure() const {
    return Failure(QStringLiteral("Status: Failed to Download - ") + downloads_.LastNote());
}

QString CFeedWizard::TitleForLater(const QString& url) {
    const QString head = url.left(100);
    qsizetype cut = head.lastIndexOf(u'\\');
    if (cut < 0)
        cut = head.lastIndexOf(u'/');
    return cut >= 0 ? head.left(cut) : head;
}

// The lock is held from the duplicate check to the last write, so that two processes adding
// at once can neither both add one address nor take one number; the download runs before it.
CFeedWizard::Result CFeedWizard::AddFeed(const QString& url, bool later, CFeedRecord feed,
                                         const QList<qint32>& viewIDs) {
    if (url.trimmed().isEmpty())
        return Failure(QStringLiteral("Please Enter a valid Url"));
    const Result duplicate =
        Failure(QStringLiteral("Please Enter a different Feed Url.\n\nThe current Feed already "
                               "exists in the database."),
                QStringLiteral("Duplicate Feed"));
    if (IsKnownFeed(url))
        return duplicate;
    feed.FeedUrl = url;
    feed.Priority = qint16(std::clamp<int>(feed.Priority, 0, 100));
    QString contentType; // of the answer, for a feed that names no encoding
    std::unique_ptr<QTemporaryFile> document;
    if (later) {
        feed.Title = TitleForLater(url);
    } else {
        document = Download(url, &contentType);
        if (!document)
            return DownloadFailure();
        CFeedData parsed;
        if (!ParseFeedFile(parsed, document->fileName(), {url, contentType}))
            return Failure(QStringLiteral("Status: Failed to Parse Feed"));
        feed.Title = parsed.Title;
        feed.Description = parsed.Description;
        feed.LinkUrl = parsed.Link;
        feed.FeedType = parsed.FeedType;
    }
    Result result = Failure(QStringLiteral("Status: Failed to Add Feed"));
    db_.RunExclusive([&](CAdoConnection&) {
        if (IsKnownFeed(url)) {
            result = duplicate;
            return false;
        }
        feed.FeedID = NewRecordID();
        if (!db_.InsertFeed(feed, 0, 0))
            return false;
        if (document)
            db_.MergeFeedFile(feed.FeedID, document->fileName(), nullptr, contentType);
        if (!viewIDs.isEmpty())
            db_.SetFeedViews(feed.FeedID, viewIDs);
        result = {QString(), QString(), feed.FeedID};
        return true;
    });
    if (result.ok() && feed.ExtendedData)
        OfferExtendedDataPurge(db_, feed.FeedID);
    return result;
}

// A list file is kept by its absolute path, so that a reload from another folder finds it.
CFeedWizard::Result CFeedWizard::Subscribe(const QString& urlOrFile, const QString& title) {
    const bool fromFile = QFileInfo::exists(urlOrFile);
    if (!fromFile && !IsWebAddress(urlOrFile))
        return Failure(QStringLiteral("Status: No such file: ") + urlOrFile);
    const QString address = fromFile ? QFileInfo(urlOrFile).absoluteFilePath() : urlOrFile;
    const Result duplicate = Failure(
        fromFile ? QStringLiteral("Please Enter a different Subscription File.\n\nThe current "
                                  "Subscription already exists in the database.")
                 : QStringLiteral("Please Enter a different Subscription Url.\n\nThe current "
                                  "Subscription already exists in the database."),
        QStringLiteral("Duplicate Subscription"));
    if (IsKnownSubscription(address))
        return duplicate;
    std::unique_ptr<QTemporaryFile> document;
    if (!fromFile && !(document = Download(address)))
        return DownloadFailure();
    const QString listFile = fromFile ? address : document->fileName();
    if (IsSubscriptionFileTooLarge(listFile))
        return TooLargeListFailure();
    CFeedData list;
    if (!ParseSubscriptionList(list, listFile))
        return Failure(QStringLiteral("Status: Failed to Parse Subscription file"));
    Result result = Failure(QStringLiteral("Status: Failed to Add Subscription"));
    db_.RunExclusive([&](CAdoConnection&) {
        if (IsKnownSubscription(address)) {
            result = duplicate;
            return false;
        }
        CSubscriptionRecord subscription;
        subscription.SubscriptionID = NewRecordID();
        subscription.Title = (title.isEmpty() ? DecodeEntities(list.Title) : title).left(100);
        subscription.SubscriptionUrl = address;
        subscription.IsFromFile = fromFile;
        if (!db_.InsertSubscription(subscription, false) ||
            !db_.RefreshSubscription(subscription.SubscriptionID, listFile))
            return false;
        result = {QString(), QString(), subscription.SubscriptionID};
        return true;
    });
    return result;
}

bool CFeedWizard::IsKnownSubscription(const QString& address) {
    db_.LoadSubscriptionList();
    return std::any_of(db_.SubscriptionList.cbegin(), db_.SubscriptionList.cend(),
                       [&address](const CSubscriptionRecord& existing) {
                           return existing.SubscriptionUrl == address;
                       });
}

CFeedWizard::Result CFeedWizard::Resubscribe(qint32 subscriptionID) {
    const auto subscription = db_.GetSubscription(subscriptionID);
    if (!subscription)
        return Failure(QStringLiteral("Please select a Subscription to update"),
                       QStringLiteral("Notice"));
    std::unique_ptr<QTemporaryFile> document;
    if (!subscription->IsFromFile && !(document = Download(subscription->SubscriptionUrl)))
        return DownloadFailure();
    const QString listFile = document ? document->fileName() : subscription->SubscriptionUrl;
    if (IsSubscriptionFileTooLarge(listFile))
        return TooLargeListFailure();
    if (!db_.RefreshSubscription(subscriptionID, listFile))
        return Failure(QStringLiteral("Status: Failed to Parse Subscription file"));
    return {QString(), QString(), subscriptionID};
}
