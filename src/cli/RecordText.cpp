// How feeds, items and Views are written in the commands' text and JSON output.

#include "cli/RecordText.h"

QJsonValue IsoDate(const QDateTime& date) {
    return date.isValid() ? QJsonValue(date.toUTC().toString(Qt::ISODate)) : QJsonValue();
}

QString StatusName(qint16 status) {
    switch (status) {
    case ItemUnread:
        return QStringLiteral("unread");
    case ItemRead:
        return QStringLiteral("read");
    case ItemLocked:
        return QStringLiteral("locked");
    default:
        return QStringLiteral("hidden");
    }
}

QString ViewKind(const CViewRecord& view) {
    if (view.ViewID == WhatsNewViewID)
        return QStringLiteral("whats-new");
    if (view.ViewID == SearchResultsViewID)
        return QStringLiteral("search");
    return view.IsKeywordView ? QStringLiteral("keyword") : QStringLiteral("group");
}

QString ViewKeywords(const CViewRecord& view) {
    const QString kind = ViewKind(view);
    return kind == u"keyword" || kind == u"search" ? view.Keywords : QString();
}
