// The store at scale: the shape, Views and search words of the scale benchmarks' databases.

#pragma once

#include <QString>
#include <QtGlobal>

// The store at scale: feeds of many items with about 700 characters of HTML each, built once and
// kept under the build folder. One feed in five stopped a month ago and has been read through;
// one item in ten is about trams.
struct ScaleShape {
    const char* name; // the kept file is scale-<name>.qpdb
    int feeds;
    int itemsPerFeed;
    int tramsViewItems; // Max Items of the keyword View of the items about trams
};

// Views of the scale databases.
constexpr qint32 AgedView = 100; // the stale feeds, items older than a week hidden
constexpr qint32 ReadView = 101; // the stale feeds, read items hidden
constexpr qint32 AllFeedsView = 102;
constexpr qint32 SortViewBase = 110; // twenty fresh feeds, sorted by priority, feed and item date
constexpr qint32 TramsView = 120;    // a keyword View of the items about trams

// Words that the searches look for: one item in fifty holds the common one, ten items the rare.
inline const QString CommonWord = QStringLiteral("harbour");
inline const QString RareWord = QStringLiteral("quixotic");
constexpr int CommonEvery = 50;

bool IsStale(int feed);

QString ScaleDataFolder();
// The file of the shape, built first when it is not there yet.
QString BuiltScaleDatabase(const ScaleShape& shape);
