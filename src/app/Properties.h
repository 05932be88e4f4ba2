// What the feed, item and View property dialogs write when OK is pressed.

#pragma once

#include "store/Records.h"

#include <QList>
#include <QString>
#include <optional>

class CRssDatabase;

// What the feed, item and View property dialogs decide when OK is pressed, for every front end.
// An edit holds only the values the user gave; the rest of the record stays as it is.

struct FeedEdit {
    std::optional<QString> url;
    std::optional<int> priority; // clamped to 0–100
    std::optional<int> readAfter;
    std::optional<int> maxItems;
    std::optional<bool> extendedData;
    std::optional<bool> audio;
    std::optional<QList<qint32>> viewIDs; // Views 1–3 are never members this way
};

struct ViewEdit {
    std::optional<QString> label;
    std::optional<int> readAfter;
    std::optional<int> hideAfter;
    std::optional<int> maxItems;
    std::optional<bool> hideRead;
    std::optional<bool> skipRead;
    std::optional<int> sortBy;
    std::optional<QString> keywords; // blanks at both ends removed
    // "Dynamic Mode" of the properties: off, a new View's keyword membership is not built yet.
    std::optional<bool> dynamicMode;
    std::optional<QList<qint32>> feedIDs;
};

// The Views a feed belongs to, as its properties list them (IDs above 3).
QList<qint32> FeedViewIDs(CRssDatabase& db, qint32 feedID);

// Applies the edit to an existing feed. Memberships are rewritten only when they differ; when
// extended data is switched on, the user is asked whether to purge the feed's cached items.
bool ApplyFeedEdit(CRssDatabase& db, qint32 feedID, const FeedEdit& edit);

// The question, purge and notice that follow switching a feed's extended data on.
void OfferExtendedDataPurge(CRssDatabase& db, qint32 feedID);

// A new View with the defaults, a new number and the edit applied; its keyword membership is
// built at once when it has keywords. Returns its ID, 0 when it could not be added.
qint32 AddView(CRssDatabase& db, const QString& label, const ViewEdit& edit);
bool ApplyViewEdit(CRssDatabase& db, qint32 viewID, const ViewEdit& edit);
