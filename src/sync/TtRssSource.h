// A Tiny Tiny RSS account as a feed source.
#pragma once

#include "sync/FeedSource.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <optional>
#include <vector>

// A Tiny Tiny RSS account, through the server's JSON API (api/ under the server's address).
class CTtRssSource : public IFeedSource {
public:
    // The most items one getHeadlines call gives.
    static constexpr int PageSize = 200;

    CTtRssSource(const QString& url, const QString& user, const QString& password);

    bool Test(QString& message) override;
    bool Sync(CRssDatabase& db, SyncReport& report, QString& message) override;
    bool Subscribe(const QString& url, QString& message) override;

private:
    // The content of a successful answer; none with `failure_` set otherwise. A session the
    // server has forgotten is renewed once.
    std::optional<QJsonValue> Call(const QString& op, QJsonObject parameters = {});
    std::optional<QJsonValue> Post(const QJsonObject& request);
    bool Login();
    bool SendChanges(CRssDatabase& db, SyncReport& report);
    bool SyncCategories(CRssDatabase& db);
    // Every feed of the user, each with its unread count.
    std::optional<QJsonArray> Feeds();
    bool SyncFeeds(CRssDatabase& db, SyncReport& report);
    bool PlaceFeed(CRssDatabase& db, qint32 feedID, qint32 category);
    bool SyncStates(CRssDatabase& db);
    // The new items, page by page, each page stored in one step; the newest server number.
    std::optional<qint32> FetchNewItems(CRssDatabase& db, qint32 since, SyncReport& report);
    // The numbers of every item in a virtual feed (-1 starred) or view mode ("unread").
    std::optional<QSet<qint32>> ItemNumbers(qint32 feed, const QString& viewMode);

    QString apiUrl_;
    QString user_;
    QString password_;
    QString session_;
    QString failure_;
    // Each server feed's unread count, as its feed list said at this sync.
    QHash<qint32, int> serverUnread_;
};
