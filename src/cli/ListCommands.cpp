// Lists, reading and marking items, searching and rebuilding Views.
#include "app/DatabaseSearch.h"
#include "cli/CliApplication.h"
#include "cli/RecordText.h"
#include "text/DateFormat.h"
#include "text/MarkupText.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <cstdio>

int CCliApplication::Views(const CArguments&) {
    if (!db_->LoadViewList())
        return Fail(QStringLiteral("could not read the Views"));
    QJsonArray array;
    QList<QStringList> rows;
    for (const CViewRecord& listed : db_->ViewList) {
        const CViewRecord view = db_->GetView(listed.ViewID).value_or(listed);
        array.append(QJsonObject{{"id", view.ViewID},
                                 {"label", view.Label},
                                 {"kind", ViewKind(view)},
                                 {"keywords", ViewKeywords(view)}});
        rows << QStringList{QString::number(view.ViewID), view.Label, ViewKind(view),
                            ViewKeywords(view)};
    }
    if (json_)
        PrintJson(array);
    else
        PrintTable({"ID", "LABEL", "KIND", "KEYWORDS"}, rows);
    return Success;
}

int CCliApplication::Feeds(const CArguments& arguments) {
    std::optional<QSet<qint32>> members;
    if (arguments.Has("--view")) {
        const qint32 view = arguments.Value("--view").toInt();
        const auto feedIDs = db_->GetViewFeedIDs(view);
        if (!feedIDs)
            return Fail(QStringLiteral("there is no View %1").arg(view));
        members = QSet<qint32>(feedIDs->cbegin(), feedIDs->cend());
    }
    if (!db_->LoadFeedList(false))
        return Fail(QStringLiteral("could not read the feeds"));
    const std::vector<CFeedRecord> feeds = db_->FeedList;
    const QHash<qint32, CRssDatabase::FeedCounts> counts = db_->CountAllFeedItems();
    QJsonArray array;
    QList<QStringList> rows;
    for (const CFeedRecord& feed : feeds) {
        if (members && !members->contains(feed.FeedID))
            continue;
        const qint32 unread = counts.value(feed.FeedID).unread;
        const qint32 total = counts.value(feed.FeedID).total;
        const QString status =
            feed.Status == 1 ? QStringLiteral("disabled") : QStringLiteral("enabled");
        array.append(QJsonObject{{"id", feed.FeedID},
                                 {"title", feed.Title},
                                 {"url", feed.FeedUrl},
                                 {"status", status},
                                 {"type", feed.FeedType},
                                 {"unread", unread},
                                 {"total", total}});
        rows << QStringList{
            QString::number(feed.FeedID), feed.Title,  status, QString::number(unread),
            QString::number(total),       feed.FeedUrl};
    }
    if (json_)
        PrintJson(array);
    else
        PrintTable({"ID", "TITLE", "STATUS", "UNREAD", "TOTAL", "URL"}, rows);
    return Success;
}

void CCliApplication::PrintItems() {
    QJsonArray array;
    QList<QStringList> rows;
    for (const CFeedItemRecord& item : db_->ItemList) {
        array.append(QJsonObject{{"id", item.FeedItemID},
                                 {"feedId", item.FeedID},
                                 {"title", item.Title},
                                 {"link", item.Link},
                                 {"date", IsoDate(item.ItemDate)},
                                 {"status", StatusName(item.Status)}});
        rows << QStringList{QString::number(item.FeedItemID), StatusName(item.Status),
                            IsoDate(item.ItemDate).toString(), item.Title};
    }
    if (json_)
        PrintJson(array);
    else
        PrintTable({"ID", "STATUS", "DATE", "TITLE"}, rows);
}

int CCliApplication::Items(const CArguments& arguments) {
    const qint32 id = arguments.Value(arguments.Has("--view") ? "--view" : "--feed").toInt();
    if (arguments.Has("--view")) {
        if (!db_->LoadViewItems(id, false))
            return Fail(QStringLiteral("there is no View %1").arg(id));
    } else {
        if (!db_->GetFeed(id))
            return Fail(QStringLiteral("there is no feed %1").arg(id));
        db_->LoadFeedItems(id, 0);
    }
    PrintItems();
    return Success;
}

int CCliApplication::Subscriptions(const CArguments&) {
    if (!db_->LoadSubscriptionList())
        return Fail(QStringLiteral("could not read the subscriptions"));
    QJsonArray array;
    QList<QStringList> rows;
    for (const CSubscriptionRecord& subscription : db_->SubscriptionList) {
        array.append(QJsonObject{{"id", subscription.SubscriptionID},
                                 {"viewId", subscription.ViewID},
                                 {"title", subscription.Title},
                                 {"url", subscription.SubscriptionUrl},
                                 {"fromFile", subscription.IsFromFile}});
        rows << QStringList{QString::number(subscription.SubscriptionID), subscription.Title,
                            subscription.SubscriptionUrl};
    }
    if (json_)
        PrintJson(array);
    else
        PrintTable({"ID", "TITLE", "ADDRESS"}, rows);
    return Success;
}

int CCliApplication::Show(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    const auto item = db_->GetItem(id);
    if (!item)
        return Fail(QStringLiteral("there is no item %1").arg(id));
    const auto feed = db_->GetFeed(item->FeedID);
    const QString description = PlainText(db_->GetItemText(id, 0).value_or(CItemText()).Text);
    const QString extended = arguments.Has("--extended")
                                 ? PlainText(db_->GetItemText(id, 1).value_or(CItemText()).Text)
                                 : QString();
    if (json_) {
        PrintJson(QJsonObject{{"id", item->FeedItemID},
                              {"feedId", item->FeedID},
                              {"feed", feed ? feed->Title : QString()},
                              {"title", item->Title},
                              {"link", item->Link},
                              {"date", IsoDate(item->ItemDate)},
                              {"status", StatusName(item->Status)},
                              {"keywords", item->Keywords},
                              {"description", description},
                              {"extended", extended}});
        return Success;
    }
    Print(QStringLiteral("Feed:     ") + (feed ? feed->Title : QString()));
    Print(QStringLiteral("Title:    ") + item->Title);
    Print(QStringLiteral("Link:     ") + item->Link);
    Print(QStringLiteral("Date:     ") +
          (item->ItemDate.isValid() ? FormatDateLocal(item->ItemDate) : QString()));
    Print(QStringLiteral("Status:   ") + StatusName(item->Status));
    Print(QStringLiteral("Keywords: ") + item->Keywords);
    Print(QString());
    Print(description);
    if (arguments.Has("--extended")) {
        Print(QString());
        Print(extended.isEmpty() ? QStringLiteral("(no extended data)") : extended);
    }
    return Success;
}

int CCliApplication::Mark(const CArguments& arguments) {
    static const QMap<QString, qint16> statuses = {
        {"read", ItemRead}, {"unread", ItemUnread}, {"lock", ItemLocked}, {"unlock", ItemRead}};
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetItem(id))
        return Fail(QStringLiteral("there is no item %1").arg(id));
    return db_->SetItemStatus(id, statuses.value(arguments.positional[1]))
               ? Success
               : Fail(QStringLiteral("the item was not changed"));
}

// The newest matches are printed as soon as they are found; the count of all follows.
int CCliApplication::Search(const CArguments& arguments) {
    const QString text = arguments.positional[0];
    const QStringList places = arguments.Has("--in") ? arguments.Value("--in").split(u',')
                                                     : QStringList{"title", "keywords", "text"};
    if (!db_->GetView(SearchResultsViewID))
        return Fail(QStringLiteral("the database has no Search Results View"));
    const CDatabaseSearch::Request request{
        text, {places.contains("title"), places.contains("keywords"), places.contains("text")}};
    const std::atomic<bool> never{false};
    CDatabaseSearch::Shown shown;
    std::optional<CMatchCounts> all;
    const bool done = CDatabaseSearch::Run(
        *db_, request, never,
        [&](const CDatabaseSearch::Shown& items) {
            shown = items;
            db_->ItemList = items;
            PrintItems();
            std::fflush(stdout);
        },
        [&](const CMatchCounts& counts) { all = counts; });
    if (!done || !db_->FillSearchResults(text, shown, all))
        return Fail(QStringLiteral("the search could not run"));
    if (!json_)
        Print(QStringLiteral("%1 items match; the newest %2 are listed.")
                  .arg(all->all)
                  .arg(shown.size()));
    return Success;
}

int CCliApplication::Rebuild(const CArguments& arguments) {
    const qint32 id = arguments.positional[0].toInt();
    if (!db_->GetView(id))
        return Fail(QStringLiteral("there is no View %1").arg(id));
    return db_->RebuildKeywordView(id, true, true, true)
               ? Success
               : Fail(QStringLiteral("View %1 is not a keyword View").arg(id));
}

int CCliApplication::WhatsNew(const CArguments&) {
    return db_->RebuildWhatsNew() ? Success : Fail(QStringLiteral("Whats New was not rebuilt"));
}

// For status bars and scripts: one number, or {"unread": N}.
int CCliApplication::Unread(const CArguments& arguments) {
    qint32 unread = 0;
    if (arguments.Has("--view")) {
        const qint32 view = arguments.Value("--view").toInt();
        if (!db_->GetView(view))
            return Fail(QStringLiteral("there is no View %1").arg(view));
        unread = db_->CountViewItems(view, ItemUnread);
    } else if (arguments.Has("--feed")) {
        const qint32 feed = arguments.Value("--feed").toInt();
        if (!db_->GetFeed(feed))
            return Fail(QStringLiteral("there is no feed %1").arg(feed));
        unread = db_->CountFeedItems(feed, ItemUnread);
    } else {
        if (!db_->LoadFeedList(false))
            return Fail(QStringLiteral("could not read the feeds"));
        const QHash<qint32, CRssDatabase::FeedCounts> counts = db_->CountAllFeedItems();
        for (const CFeedRecord& feed : db_->FeedList)
            unread += counts.value(feed.FeedID).unread;
    }
    if (json_)
        PrintJson(QJsonObject{{"unread", unread}});
    else
        Print(QString::number(unread));
    return Success;
}
