// What the database keeps of a server account: the account, which local feeds, Views and items
// are which on the server, and the local changes still to send.
#include "store/AdoException.h"
#include "store/DatabaseAccess.h"
#include "store/RssDatabase.h"
#include "store/SqlText.h"
#include "text/DateFormat.h"

namespace {

const QStringList ForgetAccount = {
    QStringLiteral("Delete From Accounts"),       QStringLiteral("Delete From AccountFeeds"),
    QStringLiteral("Delete From AccountItems"),   QStringLiteral("Delete From AccountViews"),
    QStringLiteral("Delete From AccountChanges"),
};

} // namespace

std::optional<CAccountRecord> CRssDatabase::GetAccount() {
    return WithAccess(std::optional<CAccountRecord>(), [&]() -> std::optional<CAccountRecord> {
        const auto row = Query(QStringLiteral("Select Kind,Url,UserName,LastItemID From Accounts"));
        if (row->IsEOF())
            return std::nullopt;
        return CAccountRecord{row->Field(0).GetString(), row->Field(1).GetString(),
                              row->Field(2).GetString(), row->Field(3).GetLong()};
    });
}

bool CRssDatabase::SetAccount(const CAccountRecord& account) {
    const auto stored = GetAccount();
    const bool sameServer = stored && stored->Kind == account.Kind && stored->Url == account.Url &&
                            stored->UserName == account.UserName;
    QStringList statements =
        sameServer ? QStringList{QStringLiteral("Delete From Accounts")} : ForgetAccount;
    statements << QStringLiteral("Insert Into Accounts(Kind,Url,UserName,LastItemID) "
                                 "Values(%1,%2,%3,%4)")
                      .arg(SqlText(account.Kind), SqlText(account.Url), SqlText(account.UserName),
                           SqlInt(account.LastItemID));
    return WithAccess(false, [&] { return connection_->ExecuteAllOrNone(statements); });
}

bool CRssDatabase::DeleteAccount() {
    return WithAccess(false, [&] { return connection_->ExecuteAllOrNone(ForgetAccount); });
}

QHash<qint32, qint32> CRssDatabase::AccountFeeds() {
    return WithAccess(QHash<qint32, qint32>(), [&] {
        QHash<qint32, qint32> feeds;
        for (auto rows = Query(QStringLiteral("Select RemoteID,FeedID From AccountFeeds"));
             !rows->IsEOF(); rows->MoveNext())
            feeds.insert(rows->Field(0).GetLong(), rows->Field(1).GetLong());
        return feeds;
    });
}

QHash<qint32, qint32> CRssDatabase::AccountViews() {
    return WithAccess(QHash<qint32, qint32>(), [&] {
        QHash<qint32, qint32> views;
        for (auto rows = Query(QStringLiteral("Select RemoteID,ViewID From AccountViews"));
             !rows->IsEOF(); rows->MoveNext())
            views.insert(rows->Field(0).GetLong(), rows->Field(1).GetLong());
        return views;
    });
}

QSet<qint32> CRssDatabase::AccountFeedIDs() {
    QSet<qint32> feedIDs;
    for (qint32 feedID : AccountFeeds())
        feedIDs << feedID;
    return feedIDs;
}

bool CRssDatabase::ApplyForAccount(const std::function<bool()>& work) {
    return RunExclusive([&](CAdoConnection& connection) {
        ScopedTransaction transaction(connection);
        if (!connection.Execute(QStringLiteral("Insert Into AccountApplying(Applying) Values(1)")))
            return false;
        if (!work())
            return false;
        return connection.Execute(QStringLiteral("Delete From AccountApplying")) &&
               transaction.Commit();
    });
}

bool CRssDatabase::AddAccountFeed(qint32 remoteID, const CFeedRecord& feed) {
    return ApplyForAccount([&] {
        return InsertFeed(feed, 0, 0, FeedText::Plain) &&
               connection_->Execute(
                   QStringLiteral("Insert Or Replace Into AccountFeeds(FeedID,RemoteID) "
                                  "Values(%1,%2)")
                       .arg(SqlInt(feed.FeedID), SqlInt(remoteID)));
    });
}

bool CRssDatabase::AddAccountView(qint32 remoteID, const CViewRecord& view) {
    return ApplyForAccount([&] {
        return InsertView(view) &&
               connection_->Execute(
                   QStringLiteral("Insert Or Replace Into AccountViews(ViewID,RemoteID) "
                                  "Values(%1,%2)")
                       .arg(SqlInt(view.ViewID), SqlInt(remoteID)));
    });
}

bool CRssDatabase::RemoveAccountFeed(qint32 feedID) {
    return ApplyForAccount([&] { return DeleteFeed(feedID); });
}

bool CRssDatabase::RemoveAccountView(qint32 viewID) {
    return ApplyForAccount([&] { return DeleteView(viewID); });
}

// Fills a temporary table with the server's item numbers, many rows a statement.
void CRssDatabase::ReplaceStates(const QString& table, const QSet<qint32>& remoteIDs) {
    QStringList statements = {
        QStringLiteral("Create Temp Table If Not Exists %1(RemoteID INTEGER PRIMARY KEY)")
            .arg(table),
        QStringLiteral("Delete From %1").arg(table)};
    const QList<qint32> ids(remoteIDs.cbegin(), remoteIDs.cend());
    constexpr qsizetype RowsPerStatement = 500;
    for (qsizetype start = 0; start < ids.size(); start += RowsPerStatement) {
        QStringList rows;
        for (qint32 id : ids.mid(start, RowsPerStatement))
            rows << u'(' + SqlInt(id) + u')';
        statements << QStringLiteral("Insert Or Ignore Into %1(RemoteID) Values").arg(table) +
                          rows.join(u',');
    }
    if (!connection_->ExecuteAll(statements))
        THROW_ADO(CAdoException::UpdateRefused);
}

QHash<qint32, int> CRssDatabase::AccountUnreadCounts() {
    return WithAccess(QHash<qint32, int>(), [&] {
        QHash<qint32, int> counts;
        for (auto rows = Query(QStringLiteral(
                 "Select F.RemoteID,Sum(A.ServerUnread) From AccountFeeds F Join FeedItems I On "
                 "I.FeedID = F.FeedID Join AccountItems A On A.FeedItemID = I.FeedItemID Group By "
                 "F.RemoteID"));
             !rows->IsEOF(); rows->MoveNext())
            counts.insert(rows->Field(0).GetLong(), rows->Field(1).GetLong());
        return counts;
    });
}

bool CRssDatabase::ApplyAccountStates(const QSet<qint32>& feeds, const QSet<qint32>& unread,
                                      const QSet<qint32>& starred) {
    return ApplyForAccount([&] {
        ReplaceStates(QStringLiteral("ServerFeeds"), feeds);
        ReplaceStates(QStringLiteral("ServerUnread"), unread);
        ReplaceStates(QStringLiteral("ServerStarred"), starred);
        // A hidden item stays hidden; an item with a change still to send keeps its state.
        const QString newStatus = QStringLiteral(
            "CASE WHEN A.ServerStarred THEN 3 WHEN A.ServerUnread THEN 1 ELSE 2 END");
        const QString changed =
            QStringLiteral("SELECT A.FeedItemID,%1 AS Wanted FROM AccountItems A WHERE "
                           "A.RemoteID NOT IN (SELECT RemoteID FROM AccountChanges WHERE Kind<>%2)")
                .arg(newStatus, SqlInt(AccountChangeUnsubscribed));
        return connection_->ExecuteAll(
            {QStringLiteral(
                 "Update AccountItems Set ServerUnread = RemoteID IN (SELECT RemoteID FROM "
                 "ServerUnread) WHERE FeedItemID IN (SELECT I.FeedItemID FROM FeedItems I JOIN "
                 "AccountFeeds F ON F.FeedID = I.FeedID WHERE F.RemoteID IN (SELECT RemoteID "
                 "FROM ServerFeeds))"),
             QStringLiteral("Update AccountItems Set ServerStarred = RemoteID IN (SELECT RemoteID "
                            "FROM ServerStarred)"),
             QStringLiteral("Create Temp Table If Not Exists ServerStates(FeedItemID INTEGER "
                            "PRIMARY KEY,Wanted int)"),
             QStringLiteral("Delete From ServerStates"),
             QStringLiteral("Insert Into ServerStates ") + changed,
             QStringLiteral("Update FeedItems Set Status = (SELECT Wanted FROM ServerStates S "
                            "WHERE S.FeedItemID = FeedItems.FeedItemID) WHERE Status<>0 AND "
                            "FeedItemID IN (SELECT S.FeedItemID FROM ServerStates S WHERE "
                            "S.FeedItemID = FeedItems.FeedItemID AND S.Wanted<>FeedItems.Status)"),
             // Locked items keep their text when old items are trimmed; the others let it go.
             QStringLiteral("Update FeedItemShortData Set Keep = (SELECT Wanted=3 FROM "
                            "ServerStates S WHERE S.FeedItemID = FeedItemShortData.FeedItemID) "
                            "WHERE FeedItemID IN (SELECT FeedItemID FROM ServerStates)")});
    });
}

std::vector<CAccountChange> CRssDatabase::PendingAccountChanges() {
    return WithAccess(std::vector<CAccountChange>(), [&] {
        std::vector<CAccountChange> changes;
        for (auto rows = Query(QStringLiteral("Select RemoteID,Kind,Value,ChangedAt From "
                                              "AccountChanges Order By ChangedAt"));
             !rows->IsEOF(); rows->MoveNext())
            changes.push_back({rows->Field(0).GetLong(), rows->Field(1).GetShort(),
                               rows->Field(2).GetShort() != 0, rows->Field(3).GetString()});
        return changes;
    });
}

bool CRssDatabase::ClearAccountChanges(const std::vector<CAccountChange>& sent) {
    QStringList statements;
    for (const CAccountChange& change : sent)
        statements << QStringLiteral("Delete From AccountChanges Where RemoteID = %1 And Kind = %2 "
                                     "And ChangedAt = %3")
                          .arg(SqlInt(change.RemoteID), SqlInt(change.Kind),
                               SqlText(change.ChangedAt));
    // What was sent is the server's state now.
    for (const CAccountChange& change : sent)
        if (change.Kind != AccountChangeUnsubscribed)
            statements << QStringLiteral("Update AccountItems Set %1 = %2 Where RemoteID = %3")
                              .arg(change.Kind == AccountChangeUnread
                                       ? QStringLiteral("ServerUnread")
                                       : QStringLiteral("ServerStarred"),
                                   SqlInt(change.Value), SqlInt(change.RemoteID));
    return WithAccess(false, [&] { return connection_->ExecuteAllOrNone(statements); });
}
