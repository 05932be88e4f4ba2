// The online feed listing the feed wizard offers.

#pragma once

#include "feeds/XmlDocument.h"

#include <QStringList>
#include <vector>

// The online feed listing the feed wizard offers: categories of feeds, each with a label, an
// address and a description.
struct ListedFeed {
    QString label;
    QString url;
    QString description;
};

// True when the document is a listing: root "feeds" with version "1".
bool IsFeedListing(const CXmlDocument& document);

// The names of the "category" elements among the first category and its following siblings.
QStringList ListingCategories(const CXmlDocument& document);

// The feeds of the category at `position` in the category list. The element is found by
// counting every sibling after the first category, whatever its name, so an element of
// another name among the categories shifts what each position shows.
std::vector<ListedFeed> ListingFeeds(const CXmlDocument& document, int position);
