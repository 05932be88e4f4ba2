#include "gui/FeedListModel.h"

#include "gui/Icons.h"

int CFeedListModel::IconForStatus(qint16 status) {
    return status == 1 ? IconDisabled : status == 3 ? IconRead : IconUnread;
}

void CFeedListModel::SetFeeds(const std::vector<CFeedRecord>& feeds) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(feeds.size());
    for (const CFeedRecord& feed : feeds)
        rows_.push_back({feed.FeedID, feed.Title, IconForStatus(feed.Status)});
    endResetModel();
}

void CFeedListModel::Clear() {
    SetFeeds({});
}

int CFeedListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant CFeedListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.title;
    case Qt::DecorationRole:
        return ListIcon(row.icon);
    case FeedIdRole:
        return row.feedID;
    case IconIndexRole:
        return row.icon;
    default:
        return {};
    }
}
