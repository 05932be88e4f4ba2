// The item list's rows as a model, read from the store as the view scrolls.

#pragma once

#include "store/Records.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QSize>
#include <functional>
#include <vector>

// The rows of the item list: the items of a View or a Feed in the order the store gives them,
// each with its icon by Status, the audio mark when its enclosure is cached, and its date as a
// second line when dates are shown. Rows reach the view in batches as it scrolls, so that a
// list of many thousand items opens at once; given a source, the rows are also read from the
// store only as the view asks for them. In a table the rows have the columns of Column; a list
// shows the first.
class CItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int FeedItemIdRole = Qt::UserRole + 1;
    static constexpr int IconIndexRole = Qt::UserRole + 2;
    static constexpr int HasAudioRole = Qt::UserRole + 3;
    static constexpr int BatchSize = 256;
    // The status icon, then the audio icon where there is one.
    static constexpr QSize IconArea{36, 16};

    // The next items after those already given, at most `count`; fewer means there are no more.
    using ItemSource = std::function<std::vector<CFeedItemRecord>(int count)>;

    enum Column { TitleColumn, FeedColumn, AuthorColumn, DateColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // As table columns, the title stands alone (the date has its own column) and unread rows
    // are bold; as a list, the title carries the date on a second line.
    void SetTableColumns(bool table);
    // The names the Feed column shows, and the feeds' own icons beside them (feeds without one
    // show none, so that the column stays quiet).
    void SetFeeds(QHash<qint32, QString> titles, QHash<qint32, QIcon> icons);
    // Sorts every item of the list by a column; -1 keeps the store's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

    // `audioFiles` maps items to their cached enclosure; dateFormat -1 shows no dates.
    void SetItems(std::vector<CFeedItemRecord> items, QHash<qint32, QString> audioFiles,
                  int dateFormat);
    // Rows read from `source` a batch at a time as the view scrolls.
    void SetSource(ItemSource source, QHash<qint32, QString> audioFiles, int dateFormat);
    void Clear();
    // Reads every item still left in the source, for commands that act on the whole list.
    void FetchAll();

    // Whether any item read so far names its author.
    bool HasAuthors() const;
    // Every item read so far, also those not yet handed to the view.
    int ItemCount() const { return int(items_.size()); }
    const CFeedItemRecord& Item(int row) const { return items_[std::size_t(row)]; }
    QString AudioFile(int row) const;
    void SetStatus(int row, qint16 status);
    void RemoveAudio(int row);
    void RemoveItemRow(int row);
    // The title a row shows: an item without one is named by its position.
    QString DisplayTitle(int row) const;

    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void ChangedRow(int row);
    // Reads from the source until `count` items are at hand or it has no more.
    void ReadUpTo(int count);
    QVariant DisplayText(int row, int column) const;
    void SortItems();

    std::vector<CFeedItemRecord> items_;
    ItemSource source_;
    QHash<qint32, QString> audioFiles_;
    int dateFormat_ = -1;
    int shown_ = 0;
    bool table_ = false;
    QHash<qint32, QString> feedTitles_;
    QHash<qint32, QIcon> feedIcons_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
