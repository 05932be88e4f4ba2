// The feed list's rows as a list model.

#pragma once

#include "store/Records.h"

#include <QAbstractListModel>
#include <vector>

// The rows of the feed list: a Feed's title, its icon by Status, its ID and, when dates are
// shown, its date as a second line.
class CFeedListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int FeedIdRole = Qt::UserRole + 1;
    static constexpr int IconIndexRole = Qt::UserRole + 2;

    using QAbstractListModel::QAbstractListModel;

    // dateFormat 0 shows Greenwich time, anything else local time; -1 shows no dates.
    void SetFeeds(const std::vector<CFeedRecord>& feeds, int dateFormat = -1);
    void Clear();
    void SetIcon(int row, int icon);
    void RemoveFeedRow(int row);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Disabled feeds show the disabled icon, feeds marked read the read one, the rest unread.
    static int IconForStatus(qint16 status);

private:
    struct Row {
        qint32 feedID;
        QString title;
        QString dateText;
        int icon;
    };
    std::vector<Row> rows_;
};
