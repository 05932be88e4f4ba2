#pragma once

#include <QByteArray>

// Realistic feeds for the benchmarks: items with HTML descriptions in CDATA or escaped, links,
// dates and guids, about `targetBytes` long.
QByteArray GenerateRss20Feed(int targetBytes, int descriptionChars = 700);
QByteArray GenerateAtom03Feed(int targetBytes);
// An RSS 2.0 feed of exactly `items` items numbered from `firstItem`, newest first.
QByteArray GenerateRss20Items(int items, int descriptionChars, int firstItem = 0);
