// The database the store and screen benchmarks run on.

#pragma once

#include <QString>
#include <QtGlobal>

// The benchmarks' database: 1 000 feeds with 50 items each (1 KB of text per item), a View of
// twenty feeds and three keyword Views.
constexpr int BenchFeeds = 1000;
constexpr int BenchItemsPerFeed = 50;
constexpr qint32 TwentyFeedView = 100;
constexpr qint32 KeywordView = 101;

// Fills a freshly created database file.
void PopulateBenchDatabase(const QString& path);
