#include "gui/ItemListModel.h"

#include "gui/Icons.h"
#include "gui/ListDates.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

// The status icon, with the audio icon beside it for rows whose enclosure is cached; every row
// has the same width of icons so that the titles line up.
QIcon RowIcon(int status, bool audio) {
    static QHash<int, QIcon> cache;
    const int key = status * 2 + (audio ? 1 : 0);
    if (cache.contains(key))
        return cache[key];
    QPixmap pixmap(CItemListModel::IconArea);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        ListIcon(status).paint(&painter, QRect(0, 0, 16, 16));
        if (audio)
            ListIcon(IconAudio).paint(&painter, QRect(20, 0, 16, 16));
    }
    return cache[key] = QIcon(pixmap);
}

bool HasDate(const QDateTime& date) {
    return date.isValid() && date.date().year() != 0;
}

} // namespace

void CItemListModel::SetItems(std::vector<CFeedItemRecord> items, QHash<qint32, QString> audioFiles,
                              int dateFormat) {
    beginResetModel();
    items_ = std::move(items);
    audioFiles_ = std::move(audioFiles);
    dateFormat_ = dateFormat;
    shown_ = std::min(int(items_.size()), BatchSize);
    endResetModel();
}

void CItemListModel::Clear() {
    SetItems({}, {}, dateFormat_);
}

QString CItemListModel::AudioFile(int row) const {
    return audioFiles_.value(Item(row).FeedItemID);
}

QString CItemListModel::DisplayTitle(int row) const {
    const QString& title = Item(row).Title;
    return title.isEmpty() ? QStringLiteral("No Title: Item #") + QString::number(row + 1) : title;
}

void CItemListModel::ChangedRow(int row) {
    if (row < shown_)
        emit dataChanged(index(row), index(row));
}

void CItemListModel::SetStatus(int row, qint16 status) {
    items_[std::size_t(row)].Status = status;
    ChangedRow(row);
}

void CItemListModel::RemoveAudio(int row) {
    audioFiles_.remove(Item(row).FeedItemID);
    ChangedRow(row);
}

void CItemListModel::RemoveItemRow(int row) {
    const bool shown = row < shown_;
    if (shown)
        beginRemoveRows(QModelIndex(), row, row);
    audioFiles_.remove(Item(row).FeedItemID);
    items_.erase(items_.begin() + row);
    if (shown) {
        --shown_;
        endRemoveRows();
    }
}

int CItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

bool CItemListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && shown_ < int(items_.size());
}

void CItemListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const int more = std::min(BatchSize, int(items_.size()) - shown_);
    beginInsertRows(QModelIndex(), shown_, shown_ + more - 1);
    shown_ += more;
    endInsertRows();
}

QVariant CItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_)
        return {};
    const int row = index.row();
    const CFeedItemRecord& item = Item(row);
    switch (role) {
    case Qt::DisplayRole:
        return TwoLineText(DisplayTitle(row), dateFormat_ < 0 || !HasDate(item.ItemDate)
                                                  ? QString()
                                                  : RowDateText(item.ItemDate, dateFormat_));
    case Qt::ToolTipRole:
        return DisplayTitle(row);
    case Qt::DecorationRole:
        return RowIcon(item.Status, audioFiles_.contains(item.FeedItemID));
    case FeedItemIdRole:
        return item.FeedItemID;
    case IconIndexRole:
        return int(item.Status);
    case HasAudioRole:
        return audioFiles_.contains(item.FeedItemID);
    default:
        return {};
    }
}
