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
#include <algorithm>

namespace {
CFeedWizard::Result Failure(const QString& error, const QString& caption = QString()) {
    return {error, caption, 0};
}

// A list refused for its size is named as such, not as a list that could not be parsed.
CFeedWizard::Result TooLargeListFailure() {
    return Failure(QStringLiteral("Status: Subscription file is larger than %1 MB and was not read")
                       .arg(MaxSubscriptionFileBytes / (1024 * 1024)));
}
} // namespace

CFeedWizard::CFeedWizard(CRssDatabase& db, CDownloadManager& downloads)
    : db_(db), downloads_(downloads) {}

// The wizard's status line, with the reason the user can act on.
CFeedWizard::Result CFeedWizard::DownloadFailure() const {
    return Failure(QStringLiteral("Status: Failed to Download - ") + downloads_.LastNote());
}

QString CFeedWizard::TempFile() const {
    return TheAppSettings().TempFeedPath();
}

QString CFeedWizard::TitleForLater(const QString& url) {
    const QString head = url.left(100);
    qsizetype cut = head.lastIndexOf(u'\\');
    if (cut < 0)
        cut = head.lastIndexOf(u'/');
    return cut >= 0 ? head.left(cut) : head;
}

CFeedWizard::Result CFeedWizard::AddFeed(const QString& url, bool later, CFeedRecord feed,
                                         const QList<qint32>& viewIDs) {
    if (url.trimmed().isEmpty())
        return Failure(QStringLiteral("Please Enter a valid Url"));
    db_.LoadFeedList(false);
    for (const CFeedRecord& existing : db_.FeedList)
        if (existing.FeedUrl == url)
            return Failure(QStringLiteral("Please Enter a different Feed Url.\n\nThe current Feed "
                                          "already exists in the database."),
                           QStringLiteral("Duplicate Feed"));
    feed.FeedID = NewRecordID();
    feed.FeedUrl = url;
    feed.Priority = qint16(std::clamp<int>(feed.Priority, 0, 100));
    if (later) {
        feed.Title = TitleForLater(url);
    } else {
        if (!downloads_.DownloadOne(url, TempFile()))
            return DownloadFailure();
        CFeedData parsed;
        if (!ParseFeedFile(parsed, TempFile()))
            return Failure(QStringLiteral("Status: Failed to Parse Feed"));
        feed.Title = parsed.Title;
        feed.Description = parsed.Description;
        feed.LinkUrl = parsed.Link;
        feed.FeedType = parsed.FeedType;
    }
    if (!db_.InsertFeed(feed, 0, 0))
        return Failure(QStringLiteral("Status: Failed to Add Feed"));
    if (!later)
        db_.MergeFeedFile(feed.FeedID, TempFile(), nullptr);
    if (!viewIDs.isEmpty())
        db_.SetFeedViews(feed.FeedID, viewIDs);
    if (feed.ExtendedData)
        OfferExtendedDataPurge(db_, feed.FeedID);
    return {QString(), QString(), feed.FeedID};
}

CFeedWizard::Result CFeedWizard::Subscribe(const QString& urlOrFile, const QString& title) {
    const bool fromFile = QFileInfo::exists(urlOrFile);
    db_.LoadSubscriptionList();
    for (const CSubscriptionRecord& existing : db_.SubscriptionList)
        if (existing.SubscriptionUrl == urlOrFile)
            return Failure(fromFile
                               ? QStringLiteral("Please Enter a different Subscription File.\n\n"
                                                "The current Subscription already exists in "
                                                "the database.")
                               : QStringLiteral("Please Enter a different Subscription Url.\n\n"
                                                "The current Subscription already exists in "
                                                "the database."),
                           QStringLiteral("Duplicate Subscription"));
    const QString listFile = fromFile ? urlOrFile : TempFile();
    if (!fromFile && !downloads_.DownloadOne(urlOrFile, listFile))
        return DownloadFailure();
    if (IsSubscriptionFileTooLarge(listFile))
        return TooLargeListFailure();
    CFeedData list;
    if (!ParseSubscriptionList(list, listFile))
        return Failure(QStringLiteral("Status: Failed to Parse Subscription file"));
    CSubscriptionRecord subscription;
    subscription.SubscriptionID = NewRecordID();
    subscription.Title = (title.isEmpty() ? DecodeEntities(list.Title) : title).left(100);
    subscription.SubscriptionUrl = urlOrFile;
    subscription.IsFromFile = fromFile;
    if (!db_.InsertSubscription(subscription, false) ||
        !db_.RefreshSubscription(subscription.SubscriptionID, listFile))
        return Failure(QStringLiteral("Status: Failed to Add Subscription"));
    return {QString(), QString(), subscription.SubscriptionID};
}

CFeedWizard::Result CFeedWizard::Resubscribe(qint32 subscriptionID) {
    const auto subscription = db_.GetSubscription(subscriptionID);
    if (!subscription)
        return Failure(QStringLiteral("Please select a Subscription to update"),
                       QStringLiteral("Notice"));
    const QString listFile = subscription->IsFromFile ? subscription->SubscriptionUrl : TempFile();
    if (!subscription->IsFromFile &&
        !downloads_.DownloadOne(subscription->SubscriptionUrl, listFile))
        return DownloadFailure();
    if (IsSubscriptionFileTooLarge(listFile))
        return TooLargeListFailure();
    if (!db_.RefreshSubscription(subscriptionID, listFile))
        return Failure(QStringLiteral("Status: Failed to Parse Subscription file"));
    return {QString(), QString(), subscriptionID};
}
