// The feed list's rows: title, status icon and date.

#include "gui/models/FeedListModel.h"

#include "gui/desktop/Icons.h"
#include "gui/models/ListDates.h"

int CFeedListModel::IconForStatus(qint16 status) {
    return status == 1 ? IconDisabled : status == 3 ? IconRead : IconUnread;
}

void CFeedListModel::SetFeeds(const std::vector<CFeedRecord>& feeds, int dateFormat) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(feeds.size());
    for (const CFeedRecord& feed : feeds)
        rows_.push_back({feed.FeedID, feed.Title,
                         dateFormat < 0 ? QString() : RowDateText(feed.LastFeedDate, dateFormat),
                         IconForStatus(feed.Status)});
    endResetModel();
}

void CFeedListModel::Clear() {
    SetFeeds({});
}

void CFeedListModel::SetIcon(int row, int icon) {
    if (row < 0 || row >= rowCount())
        return;
    rows_[std::size_t(row)].icon = icon;
    emit dataChanged(index(row), index(row));
}

void CFeedListModel::RemoveFeedRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
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
        return TwoLineText(row.title, row.dateText);
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
