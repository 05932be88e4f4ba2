// The RSS Mapping settings: reading, writing and the defaults of each format's field elements.

#include "app/FieldMapping.h"

#include "config/RegistrySettings.h"

namespace {
constexpr int Atom03Format = 6;
constexpr int Atom10Format = 7;

QString Folded(const QString& name) {
    return name.toLower().remove(u' ');
}
} // namespace

const QStringList& MappingFormats() {
    static const QStringList formats = {"RSS 0.90", "RSS 0.91", "RSS 0.92", "RSS 0.93",
                                        "RSS 1.0",  "RSS 2.0",  "Atom 0.3", "Atom 1.0"};
    return formats;
}

int MappingFormatIndex(const QString& name) {
    for (qsizetype i = 0; i < MappingFormats().size(); ++i)
        if (Folded(MappingFormats()[i]) == Folded(name))
            return int(i);
    return -1;
}

QStringList DefaultMappingElements(int formatIndex) {
    switch (formatIndex) {
    case Atom03Format:
        return {"title", "link", "issued", "content"};
    case Atom10Format:
        return {"title", "link", "published", "content"};
    default:
        return {"title", "link", "pubDate", "description"};
    }
}

FieldMapping ReadFieldMapping(int formatIndex) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const QString section = FieldMapKey::Section(formatIndex);
    return {store.ReadString(section, FieldMapKey::Title, {}),
            store.ReadString(section, FieldMapKey::Link, {}),
            store.ReadString(section, FieldMapKey::Date, {}),
            store.ReadString(section, FieldMapKey::Content, {}),
            store.ReadInt(section, FieldMapKey::XmlChildren, 0) != 0};
}

void WriteFieldMapping(int formatIndex, const FieldMapping& mapping) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const QString section = FieldMapKey::Section(formatIndex);
    store.WriteString(section, FieldMapKey::Title, mapping.title);
    store.WriteString(section, FieldMapKey::Link, mapping.link);
    store.WriteString(section, FieldMapKey::Date, mapping.date);
    store.WriteString(section, FieldMapKey::Content, mapping.content);
    store.WriteInt(section, FieldMapKey::XmlChildren, mapping.xmlChildren ? 1 : 0);
}
