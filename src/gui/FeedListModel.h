#pragma once

#include "store/Records.h"

#include <QAbstractListModel>
#include <vector>

// The rows of the feed list: a Feed's title, its icon by Status and its ID.
class CFeedListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int FeedIdRole = Qt::UserRole + 1;
    static constexpr int IconIndexRole = Qt::UserRole + 2;

    using QAbstractListModel::QAbstractListModel;

    void SetFeeds(const std::vector<CFeedRecord>& feeds);
    void Clear();
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Disabled feeds show the disabled icon, feeds marked read the read one, the rest unread.
    static int IconForStatus(qint16 status);

private:
    struct Row {
        qint32 feedID;
        QString title;
        int icon;
    };
    std::vector<Row> rows_;
};
