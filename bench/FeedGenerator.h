// Realistic feed documents for the benchmarks.

#pragma once

#include <QByteArray>

// Realistic feeds for the benchmarks: items with HTML descriptions in CDATA or escaped, links,
// dates and guids, about `targetBytes` long.
QByteArray GenerateRss20Feed(int targetBytes, int descriptionChars = 700);
QByteArray GenerateAtom03Feed(int targetBytes);
// Atom 1.0 as blogs and code hosts write it: escaped HTML content, relative links under xml:base.
QByteArray GenerateAtom10Feed(int targetBytes);
// A JSON Feed 1.1 with HTML content, tags and an audio attachment on every tenth item.
QByteArray GenerateJsonFeed(int targetBytes);
// An RSS 2.0 feed of exactly `items` items numbered from `firstItem`, newest first.
QByteArray GenerateRss20Items(int items, int descriptionChars, int firstItem = 0);
