#pragma once

#include "feeds/FeedData.h"
#include "feeds/XmlDocument.h"

// The "RSSMap\Map" section index of a format, -1 for feed-search results and codes without one.
int FieldMapIndex(qint16 feedType);

// Appends an item for `firstItem` and each following sibling named item (entry for Atom),
// mapping children to fields by the format's rules and the user's field-mapping overrides,
// which are read afresh on every call.
void ReadItems(CFeedData& record, qint16 feedType, const CXmlNode* firstItem);
