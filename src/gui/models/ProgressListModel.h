// The progress page's rows as a list model.

#pragma once

#include "net/DownloadProgressModel.h"

#include <QAbstractListModel>
#include <vector>

// The progress page's rows as a list: the title on the first line, the status text on the
// second, the icon of the row's state.
class CProgressListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int StatusRole = Qt::UserRole + 1;
    static constexpr int IconIndexRole = Qt::UserRole + 2;

    using QAbstractListModel::QAbstractListModel;

    // Takes the rows as they are now; rows already shown are updated in place.
    void SetRows(const std::vector<CDownloadProgressModel::Row>& rows);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<CDownloadProgressModel::Row> rows_;
};
