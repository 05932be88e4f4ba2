// Reading OPML subscription lists and the feed-search service's results.

#pragma once

#include "feeds/FeedData.h"
#include "feeds/XmlDocument.h"

// No real subscription list comes near this size, and reading a file takes several times its
// size in memory: larger files are refused unread.
constexpr qint64 MaxSubscriptionFileBytes = 20LL * 1024 * 1024;
bool IsSubscriptionFileTooLarge(const QString& path);

// Reads an OPML subscription list: one item per feed entry, with the list's title. FeedType
// stays 0. False when the file cannot be loaded, is too large or is not OPML.
bool ParseSubscriptionList(CFeedData& record, const QString& path);

// Reads the result document of the feed-search service: an RSS 2.0 document whose items
// point at feeds (their link is the source's url). FeedType becomes 12.
bool ParseSearchResults(CFeedData& record, const QString& path);

// The readers behind them, also used when OPML is given where a feed was expected.
void ReadGenericSubscription(CFeedData& record, const CXmlDocument& document);
void ReadSharpReaderSubscription(CFeedData& record, const CXmlDocument& document);
// OPML 1.0 or 1.1 as a feed: one item per top-level outline, its sub-outlines as content.
void ReadOpmlAsFeed(CFeedData& record, const CXmlDocument& document);
