// Format detection and the reading of a feed file into a record.

#pragma once

#include "feeds/FeedData.h"
#include "feeds/XmlDocument.h"

// Which format a loaded document is, by its root, its version and its namespace.
qint16 DetectFeedType(const CXmlDocument& document);

// Where a feed file came from: its address, against which relative links resolve, and the
// Content-Type of the HTTP answer, whose charset decodes a file that names no encoding.
struct FeedOrigin {
    QString address;
    QString contentType;
};

// Reads a feed file (any RSS, Atom 0.3 or 1.0, JSON Feed, or OPML taken as a feed) into the
// record. False when the file cannot be loaded or is of no supported kind; the record is then
// cleared but for FeedType.
bool ParseFeedFile(CFeedData& record, const QString& path, const FeedOrigin& origin = {});

void ResetFeedData(CFeedData& record);

// The icon addresses of a parsed feed.
FeedIconSource IconSourceOf(const CFeedData& record);

// The RSS 2.0 channel and its items, for feeds and for feed-search results alike; relative item
// links resolve against `address`.
void ReadRss20Channel(CFeedData& record, const CXmlDocument& document, const QString& address = {});

enum class TitleText { Raw, CDataUnwrapped };
enum class HeaderDates { Standard, DateCreatedToo };

// Title, link, description and date from the children of an RSS channel or an OPML head. The
// last lastBuildDate wins; dc:date (and dateCreated where asked) only fill an empty date.
void ReadChannelHeader(CFeedData& record, const CXmlNode* channel, TitleText title,
                       HeaderDates dates = HeaderDates::Standard);

// Trims the title and gives an empty one `prefix` followed by a new record number.
void EnsureTitle(CFeedData& record, const QString& prefix);
