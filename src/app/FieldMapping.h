// The RSS Mapping settings: which element gives an item's title, link, date and content.

#pragma once

#include <QString>
#include <QStringList>

// The RSS Mapping settings: per format, the element read for an item's title, link, date and
// content instead of the default one, and whether content carries un-encoded markup.
struct FieldMapping {
    QString title;
    QString link;
    QString date;
    QString content;
    bool xmlChildren = false;
};

// The formats of the chooser, in its order; position n is section "RSSMap\Map" + n.
const QStringList& MappingFormats();
// The position of a format name ("RSS 2.0", "rss2.0", "atom 0.3"), or -1.
int MappingFormatIndex(const QString& name);
// The default elements shown for a format: title, link, date, content.
QStringList DefaultMappingElements(int formatIndex);

FieldMapping ReadFieldMapping(int formatIndex);
void WriteFieldMapping(int formatIndex, const FieldMapping& mapping);
