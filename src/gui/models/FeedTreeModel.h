// The wide window's feed tree as an item model.

#pragma once

#include <QHash>
#include <QIcon>
#include <QStandardItemModel>

class CRssDatabase;

// The feed tree of the wide window: "Show All Feeds", then every View with its Feeds beneath,
// each row with its unread count beside it (bold while above zero). A Feed whose last download
// failed carries a mark and the reason as its tooltip until a later download succeeds; else it
// shows its own icon where a download run kept one, and the generic one by its Status where not.
class CFeedTreeModel : public QStandardItemModel {
    Q_OBJECT
public:
    enum Kind { AllFeedsNode, ViewNode, FeedNode };
    enum Column { NameColumn, UnreadColumn };
    static constexpr int KindRole = Qt::UserRole + 1;
    static constexpr int IdRole = Qt::UserRole + 2;
    static constexpr int UnreadRole = Qt::UserRole + 3;
    // A Feed row's list icon by its Status, shown while no failure is marked.
    static constexpr int StatusIconRole = Qt::UserRole + 4;

    explicit CFeedTreeModel(QObject* parent = nullptr);

    // Builds the rows from the database's in-memory lists of Views and Feeds, with their counts.
    void Rebuild(CRssDatabase& db);
    // Reads the unread counts again into the rows there are.
    void UpdateCounts(CRssDatabase& db);
    // A download of the Feed failed for `reason`; an empty reason clears the mark.
    void SetFeedFailure(qint32 feedID, const QString& reason);
    QString FeedFailure(qint32 feedID) const { return failures_.value(feedID); }

    // The first row of that kind and ID, or an invalid index.
    QModelIndex Find(Kind kind, qint32 id) const;
    static Kind KindOf(const QModelIndex& index);
    static qint32 IdOf(const QModelIndex& index);
    static int UnreadOf(const QModelIndex& index);

private:
    QList<QStandardItem*> MakeRow(Kind kind, qint32 id, const QString& name);
    void ShowCount(QStandardItem* name, int unread);
    void ShowFailure(QStandardItem* name);
    QIcon FeedIcon(const QStandardItem* name) const;
    // Every row's name cell, parents before their children.
    QList<QStandardItem*> NameItems() const;

    QHash<qint32, QString> failures_;
    QHash<qint32, QIcon> feedIcons_;
};
