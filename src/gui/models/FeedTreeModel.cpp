// The wide window's feed tree: Views, their Feeds and unread counts.

#include "gui/models/FeedTreeModel.h"

#include "gui/desktop/Icons.h"
#include "gui/models/FeedListModel.h"
#include "store/RssDatabase.h"

#include <QFont>

namespace {
QFont CountFont(bool bold) {
    QFont font;
    font.setBold(bold);
    return font;
}
} // namespace

CFeedTreeModel::CFeedTreeModel(QObject* parent) : QStandardItemModel(parent) {
    setColumnCount(2);
    setHorizontalHeaderLabels({QStringLiteral("Feeds"), QStringLiteral("Unread")});
}

QList<QStandardItem*> CFeedTreeModel::MakeRow(Kind kind, qint32 id, const QString& name) {
    auto* nameItem = new QStandardItem(name);
    nameItem->setData(int(kind), KindRole);
    nameItem->setData(id, IdRole);
    nameItem->setEditable(false);
    auto* count = new QStandardItem;
    count->setEditable(false);
    count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return {nameItem, count};
}

void CFeedTreeModel::ShowCount(QStandardItem* name, int unread) {
    name->setData(unread, UnreadRole);
    const QFont font = CountFont(unread > 0);
    name->setFont(font);
    QStandardItem* count = name->parent() ? name->parent()->child(name->row(), UnreadColumn)
                                          : item(name->row(), UnreadColumn);
    count->setText(unread > 0 ? QString::number(unread) : QString());
    count->setFont(font);
}

// A disabled Feed keeps the generic mark of its Status, which says so.
QIcon CFeedTreeModel::FeedIcon(const QStandardItem* name) const {
    const int status = name->data(StatusIconRole).toInt();
    const QIcon own = feedIcons_.value(IdOf(name->index()));
    return own.isNull() || status == IconDisabled ? ListIcon(status) : own;
}

void CFeedTreeModel::ShowFailure(QStandardItem* name) {
    const QString reason = failures_.value(IdOf(name->index()));
    if (reason.isEmpty()) {
        name->setToolTip(name->text());
        name->setIcon(FeedIcon(name));
        return;
    }
    name->setToolTip(name->text() + QStringLiteral("\nLast update failed: ") + reason);
    name->setIcon(OwnIcon(QStringLiteral("state_failed")));
}

void CFeedTreeModel::Rebuild(CRssDatabase& db) {
    // The rows go, the columns stay: the tree keeps its column widths.
    removeRows(0, rowCount());
    feedIcons_ = FeedIcons(db.FeedList);
    QHash<qint32, const CFeedRecord*> feeds;
    for (const CFeedRecord& feed : db.FeedList)
        feeds.insert(feed.FeedID, &feed);
    const auto addFeeds = [&](QStandardItem* parent, const QList<qint32>& ids) {
        for (qint32 id : ids) {
            const CFeedRecord* feed = feeds.value(id);
            if (!feed)
                continue;
            QList<QStandardItem*> row = MakeRow(FeedNode, id, feed->Title);
            row[0]->setData(CFeedListModel::IconForStatus(feed->Status), StatusIconRole);
            parent->appendRow(row);
            ShowFailure(row[0]);
        }
    };
    QList<qint32> allIDs;
    for (const CFeedRecord& feed : db.FeedList)
        allIDs << feed.FeedID;
    QList<QStandardItem*> all = MakeRow(AllFeedsNode, 0, QStringLiteral("Show All Feeds"));
    all[0]->setIcon(CommandIcon(QStringLiteral("folder"), QStringLiteral("feeds")));
    appendRow(all);
    addFeeds(all[0], allIDs);
    for (const CViewRecord& view : db.ViewList) {
        QList<QStandardItem*> row = MakeRow(ViewNode, view.ViewID, view.Label);
        row[0]->setIcon(CommandIcon(QStringLiteral("folder"), QStringLiteral("items")));
        appendRow(row);
        addFeeds(row[0], db.GetViewFeedIDs(view.ViewID).value_or(QList<qint32>()));
    }
    UpdateCounts(db);
}

QList<QStandardItem*> CFeedTreeModel::NameItems() const {
    QList<QStandardItem*> items;
    for (int row = 0; row < rowCount(); ++row) {
        QStandardItem* top = item(row, NameColumn);
        items << top;
        for (int child = 0; child < top->rowCount(); ++child)
            items << top->child(child, NameColumn);
    }
    return items;
}

// The Feeds' counts are the kept ones, read in one go; a View counts its own items, as a
// keyword View or "Whats New" holds other items than its Feeds'.
void CFeedTreeModel::UpdateCounts(CRssDatabase& db) {
    const QHash<qint32, CRssDatabase::FeedCounts> counts = db.CountAllFeedItems();
    int total = 0;
    for (const CRssDatabase::FeedCounts& count : counts)
        total += count.unread;
    for (QStandardItem* name : NameItems()) {
        switch (KindOf(name->index())) {
        case AllFeedsNode:
            ShowCount(name, total);
            break;
        case ViewNode:
            ShowCount(name, db.CountViewItems(IdOf(name->index()), ItemUnread));
            break;
        case FeedNode:
            ShowCount(name, counts.value(IdOf(name->index())).unread);
            break;
        }
    }
}

void CFeedTreeModel::SetFeedFailure(qint32 feedID, const QString& reason) {
    if (reason.isEmpty())
        failures_.remove(feedID);
    else
        failures_.insert(feedID, reason);
    for (QStandardItem* name : NameItems())
        if (KindOf(name->index()) == FeedNode && IdOf(name->index()) == feedID)
            ShowFailure(name);
}

QModelIndex CFeedTreeModel::Find(Kind kind, qint32 id) const {
    for (QStandardItem* name : NameItems())
        if (KindOf(name->index()) == kind && IdOf(name->index()) == id)
            return name->index();
    return {};
}

CFeedTreeModel::Kind CFeedTreeModel::KindOf(const QModelIndex& index) {
    return Kind(index.siblingAtColumn(NameColumn).data(KindRole).toInt());
}

qint32 CFeedTreeModel::IdOf(const QModelIndex& index) {
    return index.siblingAtColumn(NameColumn).data(IdRole).toInt();
}

int CFeedTreeModel::UnreadOf(const QModelIndex& index) {
    return index.siblingAtColumn(NameColumn).data(UnreadRole).toInt();
}
