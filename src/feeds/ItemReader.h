// Reading a feed's items, field by field, by the rules of its format.

#pragma once

#include "feeds/FeedData.h"
#include "feeds/XmlDocument.h"

// The "RSSMap\Map" section index of a format, -1 for feed-search results and codes without one.
int FieldMapIndex(qint16 feedType);

// Appends an item for `firstItem` and each following sibling named item (entry for Atom),
// mapping children to fields by the format's rules and the user's field-mapping overrides,
// which are read afresh on every call. An item without a link gets its permanent identifier
// when that is a web address; relative links resolve against `documentAddress` and xml:base.
void ReadItems(CFeedData& record, qint16 feedType, const CXmlNode* firstItem,
               const QString& documentAddress = {});

// An Atom 0.3 title or content: base64 decoded, else as written with its child markup.
QString Atom03Text(const CXmlNode* element);

// An Atom 1.0 title as written; an xhtml one has its markup written out.
QString Atom10Title(const CXmlNode* title);
