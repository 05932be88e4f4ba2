// The download progress page's rows: title, status text and state icon.

#include "gui/models/ProgressListModel.h"

#include "gui/desktop/Icons.h"

namespace {
QIcon StateIcon(int icon) {
    switch (icon) {
    case CDownloadProgressModel::Succeeded:
        return OwnIcon(QStringLiteral("state_done"));
    case CDownloadProgressModel::Failed:
        return OwnIcon(QStringLiteral("state_failed"));
    case CDownloadProgressModel::Notice:
        return OwnIcon(QStringLiteral("state_notice"));
    default:
        return OwnIcon(QStringLiteral("state_running"));
    }
}
} // namespace

void CProgressListModel::SetRows(const std::vector<CDownloadProgressModel::Row>& rows) {
    // A new run starts over with fewer rows than the last one showed.
    if (rows.size() < rows_.size()) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
        return;
    }
    const std::size_t kept = rows_.size();
    for (std::size_t i = 0; i < kept; ++i)
        if (rows_[i].status != rows[i].status || rows_[i].icon != rows[i].icon ||
            rows_[i].title != rows[i].title || rows_[i].note != rows[i].note) {
            rows_[i] = rows[i];
            emit dataChanged(index(int(i)), index(int(i)));
        }
    if (rows.size() > kept) {
        beginInsertRows(QModelIndex(), int(kept), int(rows.size()) - 1);
        rows_.insert(rows_.end(), rows.begin() + std::ptrdiff_t(kept), rows.end());
        endInsertRows();
    }
}

int CProgressListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant CProgressListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const CDownloadProgressModel::Row& row = rows_[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.status.isEmpty() ? row.title : row.title + u'\n' + row.status;
    case Qt::DecorationRole:
        return StateIcon(row.icon);
    case Qt::ToolTipRole: // why an entry failed, or what was cut of it
        return row.note.isEmpty() ? QVariant() : QVariant(row.note);
    case StatusRole:
        return row.status;
    case IconIndexRole:
        return row.icon;
    default:
        return {};
    }
}
