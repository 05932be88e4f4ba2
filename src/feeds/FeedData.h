// A parsed feed and its items, as the parsers hand them to the store.

#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The format code stored with every feed. The numbers are those existing databases hold, so
// they are not in format order.
enum FeedTypeCode : qint16 {
    FeedTypeUnknown = 0,
    FeedTypeRss090 = 1,
    FeedTypeRss091 = 2,
    FeedTypeRss092 = 3,
    FeedTypeRss10 = 4,
    FeedTypeOpml10 = 5,
    FeedTypeOpml11 = 6,
    FeedTypeRss20 = 7,
    FeedTypeRss093 = 8,
    FeedTypeOpmlSharpReader = 9,
    FeedTypeOpmlGeneric = 10,
    FeedTypeAtom03 = 11,
    FeedTypeSearchResults = 12,
    FeedTypeAtom10 = 13,
    FeedTypeJsonFeed = 14, // versions 1.0 and 1.1
};

// One item (or one outline of an OPML list). Every text is raw as found in the document:
// references and CDATA sections are decoded by whoever stores it.
struct CFeedItemData {
    QString Title;
    QString Content;
    QString Link;
    QString Date;
    QString Guid;
    // The writer's name as given (RSS author or dc:creator, the name of an Atom author).
    QString Author;
    QString EnclosureUrl; // of an "audio/mpeg" enclosure only
    qint32 EnclosureLength = 0;
};

// One parsed feed or list.
struct CFeedData {
    QString SourcePath;
    qint16 FeedType = FeedTypeUnknown;
    QString Version;
    QString Title;
    QString Link;
    QString Description;
    QString Date;
    // The feed's own picture (RSS image, Atom icon or logo, JSON Feed favicon or icon): an
    // absolute address with its references decoded, unlike the raw texts around it; empty when
    // the feed names none.
    QString IconUrl;
    std::vector<CFeedItemData> Items;
};

// Where a feed's icon comes from: its own picture when it names one, else its web site's
// favicon. Both addresses are decoded, ready to ask for.
struct FeedIconSource {
    QString iconUrl;
    QString homeLink;
};

// The name shown for a stored feed of that code ("RSS 2.0", "Atom 0.03", "Unknown").
QString FeedTypeName(qint16 feedType);
