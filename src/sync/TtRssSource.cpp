// Sync with a Tiny Tiny RSS server through its JSON API: changes out, feeds, items and states in.
#include "sync/TtRssSource.h"

#include "net/HttpDownloader.h"
#include "store/RssDatabase.h"
#include "text/RecordId.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <algorithm>

namespace {

// The server's own categories that are no folder of the user's: uncategorized, special, labels.
bool IsUserCategory(qint32 category) {
    return category > 0;
}

// The server's feed numbers that name every item, and the starred ones.
constexpr qint32 AllItems = -4;
constexpr qint32 StarredItems = -1;
// The most item numbers one updateArticle call names.
constexpr int ChangesPerCall = 500;

// What tt-rss answers to a successful subscribeToFeed: 0 already subscribed, 1 subscribed.
QString SubscribeFailure(int code) {
    switch (code) {
    case 2:
        return QStringLiteral("the server finds no feed at that address");
    case 3:
        return QStringLiteral("the page at that address names no feed");
    case 4:
        return QStringLiteral("the page at that address names several feeds; give one of them");
    case 5:
        return QStringLiteral("the server could not download that address");
    default:
        return QStringLiteral("the server refused the subscription (code %1)").arg(code);
    }
}

CAccountItem ReadHeadline(const QJsonObject& headline) {
    CAccountItem item;
    item.RemoteID = headline.value(QLatin1String("id")).toInt();
    item.RemoteFeedID = headline.value(QLatin1String("feed_id")).toVariant().toInt();
    item.Title = headline.value(QLatin1String("title")).toString();
    item.Link = headline.value(QLatin1String("link")).toString();
    item.Content = headline.value(QLatin1String("content")).toString();
    item.Date = QDateTime::fromSecsSinceEpoch(
        headline.value(QLatin1String("updated")).toVariant().toLongLong(), Qt::UTC);
    item.Unread = headline.value(QLatin1String("unread")).toBool();
    item.Starred = headline.value(QLatin1String("marked")).toBool();
    return item;
}

} // namespace

CTtRssSource::CTtRssSource(const QString& url, const QString& user, const QString& password)
    : apiUrl_(url.endsWith(u'/') ? url + QStringLiteral("api/") : url + QStringLiteral("/api/")),
      user_(user), password_(password) {}

std::optional<QJsonValue> CTtRssSource::Post(const QJsonObject& request) {
    QByteArray answer;
    if (!CHttpDownloader::Post(apiUrl_, QJsonDocument(request).toJson(QJsonDocument::Compact),
                               "application/json", answer)) {
        failure_ =
            QStringLiteral("the server cannot be reached (%1)").arg(CHttpDownloader::LastFailure());
        return std::nullopt;
    }
    const QJsonObject reply = QJsonDocument::fromJson(answer).object();
    if (!reply.contains(QLatin1String("status")) || !reply.contains(QLatin1String("content"))) {
        failure_ = QStringLiteral("%1 does not answer as a Tiny Tiny RSS server").arg(apiUrl_);
        return std::nullopt;
    }
    const QJsonValue content = reply.value(QLatin1String("content"));
    if (reply.value(QLatin1String("status")).toInt() == 0)
        return content;
    const QString error = content.toObject().value(QLatin1String("error")).toString();
    if (error == QLatin1String("LOGIN_ERROR"))
        failure_ = QStringLiteral("the server refused the user name or password");
    else if (error == QLatin1String("API_DISABLED"))
        failure_ = QStringLiteral("the server's API is switched off for this user: turn on "
                                  "\"Enable API\" in its preferences");
    else if (error == QLatin1String("NOT_LOGGED_IN"))
        failure_ = QStringLiteral("NOT_LOGGED_IN");
    else
        failure_ = QStringLiteral("the server answered %1").arg(error);
    return std::nullopt;
}

bool CTtRssSource::Login() {
    const auto content = Post({{QStringLiteral("op"), QStringLiteral("login")},
                               {QStringLiteral("user"), user_},
                               {QStringLiteral("password"), password_}});
    if (!content)
        return false;
    session_ = content->toObject().value(QLatin1String("session_id")).toString();
    if (session_.isEmpty()) {
        failure_ = QStringLiteral("%1 does not answer as a Tiny Tiny RSS server").arg(apiUrl_);
        return false;
    }
    return true;
}

std::optional<QJsonValue> CTtRssSource::Call(const QString& op, QJsonObject parameters) {
    if (session_.isEmpty() && !Login())
        return std::nullopt;
    parameters.insert(QStringLiteral("op"), op);
    parameters.insert(QStringLiteral("sid"), session_);
    auto content = Post(parameters);
    // Sessions expire on the server; one new login is worth a try, more would hide a fault.
    if (!content && failure_ == QLatin1String("NOT_LOGGED_IN") && Login()) {
        parameters.insert(QStringLiteral("sid"), session_);
        content = Post(parameters);
    }
    return content;
}

bool CTtRssSource::Test(QString& message) {
    session_.clear();
    const auto feeds = Login() ? Feeds() : std::nullopt;
    if (!feeds) {
        message = failure_;
        return false;
    }
    int unread = 0;
    for (const QJsonValue& feed : *feeds)
        unread += feed.toObject().value(QLatin1String("unread")).toInt();
    message = QStringLiteral("Logged in to the Tiny Tiny RSS server at %1 as %2: %3 feeds, %4 "
                             "unread items.")
                  .arg(apiUrl_.chopped(4), user_)
                  .arg(feeds->size())
                  .arg(unread);
    return true;
}

bool CTtRssSource::Subscribe(const QString& url, QString& message) {
    const auto content =
        Call(QStringLiteral("subscribeToFeed"), {{QStringLiteral("feed_url"), url}});
    if (!content) {
        message = failure_;
        return false;
    }
    const int code = content->toObject()
                         .value(QLatin1String("status"))
                         .toObject()
                         .value(QLatin1String("code"))
                         .toInt(-1);
    if (code != 0 && code != 1) {
        message = SubscribeFailure(code);
        return false;
    }
    message = code == 0 ? QStringLiteral("The account was subscribed to %1 already.").arg(url)
                        : QStringLiteral("Subscribed to %1 on the server.").arg(url);
    return true;
}

bool CTtRssSource::Sync(CRssDatabase& db, SyncReport& report, QString& message) {
    const auto account = db.GetAccount();
    if (!account) {
        message = QStringLiteral("the database has no account");
        return false;
    }
    // The local changes go first: they were made after the server's state was last read, so
    // they are the later ones.
    const bool synced = SendChanges(db, report) && SyncCategories(db) && SyncFeeds(db, report);
    if (!synced) {
        message = failure_;
        return false;
    }
    const auto newest = FetchNewItems(db, account->LastItemID, report);
    if (!newest) {
        message = failure_;
        return false;
    }
    if (!SyncStates(db)) {
        message = failure_;
        return false;
    }
    CAccountRecord advanced = *account;
    advanced.LastItemID = std::max(account->LastItemID, *newest);
    if (!db.SetAccount(advanced)) {
        message = QStringLiteral("the database refused the account's progress");
        return false;
    }
    return true;
}

bool CTtRssSource::SendChanges(CRssDatabase& db, SyncReport& report) {
    const std::vector<CAccountChange> changes = db.PendingAccountChanges();
    std::vector<CAccountChange> sent;
    // One call per field and value, for many items at once.
    for (const qint16 kind : {AccountChangeUnread, AccountChangeStarred})
        for (const bool value : {false, true}) {
            std::vector<CAccountChange> batch;
            std::copy_if(changes.begin(), changes.end(), std::back_inserter(batch),
                         [&](const CAccountChange& change) {
                             return change.Kind == kind && change.Value == value;
                         });
            for (std::size_t start = 0; start < batch.size(); start += ChangesPerCall) {
                const auto end = batch.begin() + std::min(batch.size(), start + ChangesPerCall);
                QStringList ids;
                std::for_each(batch.begin() + start, end, [&](const CAccountChange& change) {
                    ids << QString::number(change.RemoteID);
                });
                if (!Call(QStringLiteral("updateArticle"),
                          {{QStringLiteral("article_ids"), ids.join(u',')},
                           {QStringLiteral("mode"), value ? 1 : 0},
                           {QStringLiteral("field"), kind}}))
                    return false;
                sent.insert(sent.end(), batch.begin() + start, end);
            }
        }
    for (const CAccountChange& change : changes)
        if (change.Kind == AccountChangeUnsubscribed) {
            // A feed the server no longer has is as good as unsubscribed.
            if (!Call(QStringLiteral("unsubscribeFeed"),
                      {{QStringLiteral("feed_id"), change.RemoteID}}) &&
                failure_ != QLatin1String("the server answered FEED_NOT_FOUND"))
                return false;
            sent.push_back(change);
        }
    report.changesSent = int(sent.size());
    return db.ClearAccountChanges(sent);
}

bool CTtRssSource::SyncCategories(CRssDatabase& db) {
    const auto content =
        Call(QStringLiteral("getCategories"), {{QStringLiteral("include_empty"), true}});
    if (!content)
        return false;
    QHash<qint32, qint32> views = db.AccountViews();
    QSet<qint32> onServer;
    for (const QJsonValue& value : content->toArray()) {
        const QJsonObject category = value.toObject();
        const qint32 id = category.value(QLatin1String("id")).toInt();
        if (!IsUserCategory(id))
            continue;
        onServer << id;
        if (views.contains(id))
            continue;
        CViewRecord view;
        view.ViewID = NewRecordID();
        view.Label = category.value(QLatin1String("title")).toString();
        if (!db.AddAccountView(id, view))
            return false;
    }
    for (auto view = views.cbegin(); view != views.cend(); ++view)
        if (!onServer.contains(view.key()) && !db.RemoveAccountView(view.value()))
            return false;
    return true;
}

std::optional<QJsonArray> CTtRssSource::Feeds() {
    // -3: every feed of the user, without the virtual ones.
    const auto content = Call(QStringLiteral("getFeeds"), {{QStringLiteral("cat_id"), -3}});
    if (!content)
        return std::nullopt;
    return content->toArray();
}

bool CTtRssSource::SyncFeeds(CRssDatabase& db, SyncReport& report) {
    const auto content = Feeds();
    if (!content)
        return false;
    const QHash<qint32, qint32> feeds = db.AccountFeeds();
    QSet<qint32> onServer;
    serverUnread_.clear();
    for (const QJsonValue& value : *content) {
        const QJsonObject remote = value.toObject();
        const qint32 id = remote.value(QLatin1String("id")).toInt();
        onServer << id;
        serverUnread_.insert(id, remote.value(QLatin1String("unread")).toInt());
        qint32 feedID = feeds.value(id);
        if (feedID == 0) {
            CFeedRecord feed;
            feed.FeedID = NewRecordID();
            feed.Title = remote.value(QLatin1String("title")).toString();
            feed.FeedUrl = remote.value(QLatin1String("feed_url")).toString();
            if (!db.AddAccountFeed(id, feed))
                return false;
            feedID = feed.FeedID;
            ++report.feedsAdded;
        }
        if (!PlaceFeed(db, feedID, remote.value(QLatin1String("cat_id")).toInt()))
            return false;
    }
    for (auto feed = feeds.cbegin(); feed != feeds.cend(); ++feed)
        if (!onServer.contains(feed.key())) {
            if (!db.RemoveAccountFeed(feed.value()))
                return false;
            ++report.feedsRemoved;
        }
    return true;
}

// The feed belongs to its category's View alone among the account's Views; the user's own
// Views keep it.
bool CTtRssSource::PlaceFeed(CRssDatabase& db, qint32 feedID, qint32 category) {
    const QHash<qint32, qint32> views = db.AccountViews();
    const auto current = db.GetFeedViewIDs(feedID);
    if (!current)
        return false;
    QList<qint32> wanted;
    for (qint32 viewID : *current)
        if (std::find(views.cbegin(), views.cend(), viewID) == views.cend())
            wanted << viewID;
    if (views.contains(category))
        wanted << views.value(category);
    QList<qint32> sortedCurrent = *current;
    std::sort(sortedCurrent.begin(), sortedCurrent.end());
    QList<qint32> sortedWanted = wanted;
    std::sort(sortedWanted.begin(), sortedWanted.end());
    return sortedCurrent == sortedWanted || db.SetFeedViews(feedID, wanted);
}

std::optional<qint32> CTtRssSource::FetchNewItems(CRssDatabase& db, qint32 since,
                                                  SyncReport& report) {
    // An item of a feed that came to the server after its feeds were read waits for the next
    // sync: the point it starts from never passes it.
    const QHash<qint32, qint32> feeds = db.AccountFeeds();
    qint32 newest = since;
    for (int skip = 0;; skip += PageSize) {
        const auto content = Call(QStringLiteral("getHeadlines"),
                                  {{QStringLiteral("feed_id"), AllItems},
                                   {QStringLiteral("since_id"), since},
                                   {QStringLiteral("skip"), skip},
                                   {QStringLiteral("limit"), PageSize},
                                   {QStringLiteral("view_mode"), QStringLiteral("all_articles")},
                                   {QStringLiteral("show_content"), true},
                                   // The server's cleaning of every item's markup costs it
                                   // more than the rest of the answer; the item is shown as
                                   // an item downloaded from its site is, which the reading
                                   // pane makes safe.
                                   {QStringLiteral("sanitize"), false},
                                   {QStringLiteral("order_by"), QStringLiteral("date_reverse")}});
        if (!content)
            return std::nullopt;
        const QJsonArray page = content->toArray();
        std::vector<CAccountItem> items;
        items.reserve(page.size());
        for (const QJsonValue& headline : page) {
            items.push_back(ReadHeadline(headline.toObject()));
            if (feeds.contains(items.back().RemoteFeedID))
                newest = std::max(newest, items.back().RemoteID);
        }
        // Oldest first: items that reach the server meanwhile come after the pages read so far.
        // Each page is stored whole or not at all; a sync cut off after it starts again from
        // the same point and passes over what it stored.
        const auto stored = db.MergeAccountItems(items);
        if (!stored) {
            failure_ = QStringLiteral("the database refused the server's items");
            return std::nullopt;
        }
        report.itemsAdded += *stored;
        if (page.size() < PageSize)
            return newest;
    }
}

// Items stored before this sync may have been read or starred elsewhere since. Asking for the
// unread items of every feed costs the server a call per 200 of them, so only the feeds whose
// unread count on the server differs from the one the database last saw are asked about; the
// starred items, few as a rule, are asked for every time.
bool CTtRssSource::SyncStates(CRssDatabase& db) {
    const QHash<qint32, int> known = db.AccountUnreadCounts();
    QSet<qint32> moved;
    QSet<qint32> unread;
    for (auto feed = serverUnread_.cbegin(); feed != serverUnread_.cend(); ++feed) {
        if (known.value(feed.key()) == feed.value())
            continue;
        const auto numbers = ItemNumbers(feed.key(), QStringLiteral("unread"));
        if (!numbers)
            return false;
        moved << feed.key();
        unread.unite(*numbers);
    }
    const auto starred = ItemNumbers(StarredItems, QStringLiteral("all_articles"));
    if (!starred)
        return false;
    if (!db.ApplyAccountStates(moved, unread, *starred)) {
        failure_ = QStringLiteral("the database refused the read states");
        return false;
    }
    return true;
}

std::optional<QSet<qint32>> CTtRssSource::ItemNumbers(qint32 feed, const QString& viewMode) {
    QSet<qint32> numbers;
    for (int skip = 0;; skip += PageSize) {
        const auto content = Call(QStringLiteral("getHeadlines"),
                                  {{QStringLiteral("feed_id"), feed},
                                   {QStringLiteral("skip"), skip},
                                   {QStringLiteral("limit"), PageSize},
                                   {QStringLiteral("view_mode"), viewMode},
                                   {QStringLiteral("order_by"), QStringLiteral("date_reverse")}});
        if (!content)
            return std::nullopt;
        const QJsonArray page = content->toArray();
        for (const QJsonValue& headline : page)
            numbers << headline.toObject().value(QLatin1String("id")).toInt();
        if (page.size() < PageSize)
            return numbers;
    }
}
