// The item list's rows: title, status and audio icons and date, read in as the list scrolls.

#include "gui/models/ItemListModel.h"

#include "gui/desktop/Icons.h"
#include "gui/models/ListDates.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

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
    SetSource([rest = std::move(items)](int) mutable { return std::exchange(rest, {}); },
              std::move(audioFiles), dateFormat);
}

void CItemListModel::SetSource(ItemSource source, QHash<qint32, QString> audioFiles,
                               int dateFormat) {
    beginResetModel();
    items_.clear();
    source_ = std::move(source);
    audioFiles_ = std::move(audioFiles);
    dateFormat_ = dateFormat;
    ReadUpTo(BatchSize);
    SortItems();
    shown_ = std::min(int(items_.size()), BatchSize);
    endResetModel();
}

void CItemListModel::Clear() {
    SetItems({}, {}, dateFormat_);
}

void CItemListModel::ReadUpTo(int count) {
    while (source_ && int(items_.size()) < count) {
        const int wanted = count - int(items_.size());
        std::vector<CFeedItemRecord> more = source_(wanted);
        const bool exhausted = int(more.size()) < wanted;
        items_.insert(items_.end(), std::make_move_iterator(more.begin()),
                      std::make_move_iterator(more.end()));
        if (exhausted)
            source_ = nullptr;
    }
}

void CItemListModel::FetchAll() {
    ReadUpTo(std::numeric_limits<int>::max());
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
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CItemListModel::SetTableColumns(bool table) {
    if (table == table_)
        return;
    beginResetModel();
    table_ = table;
    endResetModel();
}

void CItemListModel::SetFeeds(QHash<qint32, QString> titles, QHash<qint32, QIcon> icons) {
    feedTitles_ = std::move(titles);
    feedIcons_ = std::move(icons);
    if (shown_ > 0)
        emit dataChanged(index(0, FeedColumn), index(shown_ - 1, FeedColumn));
}

void CItemListModel::sort(int column, Qt::SortOrder order) {
    if (column == sortColumn_ && order == sortOrder_)
        return;
    beginResetModel();
    sortColumn_ = column;
    sortOrder_ = order;
    SortItems();
    endResetModel();
}

// A sorted list is read whole: the store gives it in its own order only.
void CItemListModel::SortItems() {
    if (sortColumn_ < 0 || sortColumn_ >= ColumnCount)
        return;
    FetchAll();
    const auto key = [this](const CFeedItemRecord& item) -> QString {
        switch (sortColumn_) {
        case FeedColumn:
            return feedTitles_.value(item.FeedID);
        case AuthorColumn:
            return item.Author;
        default:
            return item.Title;
        }
    };
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    std::stable_sort(items_.begin(), items_.end(),
                     [&](const CFeedItemRecord& a, const CFeedItemRecord& b) {
                         const CFeedItemRecord& first = descending ? b : a;
                         const CFeedItemRecord& second = descending ? a : b;
                         if (sortColumn_ == DateColumn)
                             return first.ItemDate < second.ItemDate;
                         return QString::localeAwareCompare(key(first), key(second)) < 0;
                     });
    shown_ = std::min(int(items_.size()), std::max(shown_, BatchSize));
}

bool CItemListModel::HasAuthors() const {
    return std::any_of(items_.begin(), items_.end(),
                       [](const CFeedItemRecord& item) { return !item.Author.isEmpty(); });
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

QModelIndex CItemListModel::index(int row, int column, const QModelIndex& parent) const {
    return QAbstractTableModel::index(row, column, parent);
}

int CItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int CItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_ ? int(ColumnCount) : 1;
}

QVariant CItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[ColumnCount] = {"Title", "Feed", "Author", "Date"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

QVariant CItemListModel::DisplayText(int row, int column) const {
    const CFeedItemRecord& item = Item(row);
    const bool dated = dateFormat_ >= 0 && HasDate(item.ItemDate);
    switch (column) {
    case TitleColumn:
        if (table_ || dateFormat_ < 0)
            return DisplayTitle(row);
        // With dates shown, a row without one keeps an empty second line: the list gives every
        // row the height of the first, and a dated row under an undated one would be cut.
        return DisplayTitle(row) + u'\n' +
               (dated ? RowDateText(item.ItemDate, dateFormat_) : QString());
    case FeedColumn:
        return feedTitles_.value(item.FeedID);
    case AuthorColumn:
        return item.Author;
    case DateColumn:
        return HasDate(item.ItemDate) ? RowDateText(item.ItemDate, std::max(dateFormat_, 1))
                                      : QString();
    default:
        return {};
    }
}

bool CItemListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && (shown_ < int(items_.size()) || source_);
}

void CItemListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    ReadUpTo(shown_ + BatchSize);
    if (shown_ == int(items_.size()))
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
        return DisplayText(row, index.column());
    case Qt::FontRole:
        if (table_ && item.Status == ItemUnread) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ToolTipRole:
        return index.column() == TitleColumn ? DisplayTitle(row) : QVariant();
    case Qt::DecorationRole:
        if (index.column() == FeedColumn)
            return feedIcons_.value(item.FeedID);
        if (index.column() != TitleColumn)
            return {};
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
