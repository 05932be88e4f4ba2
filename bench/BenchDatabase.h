// The database the store and screen benchmarks run on.

#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class CRssDatabase;

// The benchmarks' database: 1 000 feeds with 50 items each (1 KB of text per item), a View of
// twenty feeds and three keyword Views.
constexpr int BenchFeeds = 1000;
constexpr int BenchItemsPerFeed = 50;
constexpr qint32 TwentyFeedView = 100;
constexpr qint32 KeywordView = 101;

// Fills a freshly created database file.
void PopulateBenchDatabase(const QString& path);

// Adds `feeds` feeds numbered from 1, titled "Feed 0", "Feed 1"…, each at the address `urlOf`
// gives for its index, none downloaded yet.
void AddNumberedFeeds(CRssDatabase& db, int feeds, const std::function<QString(int)>& urlOf);
