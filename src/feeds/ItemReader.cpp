#include "feeds/ItemReader.h"

#include "config/RegistrySettings.h"
#include "text/NumberText.h"

namespace {

// The user's choice of element for four fields of one format; empty means no override.
struct FieldOverrides {
    QString title;
    QString link;
    QString date;
    QString content;
    bool contentHasXmlChildren = false;

    static FieldOverrides Load(qint16 feedType) {
        const CRegistrySettings store = CRegistrySettings::ForQuillpost();
        const QString section = FieldMapKey::Section(FieldMapIndex(feedType));
        FieldOverrides overrides;
        overrides.title = store.ReadString(section, FieldMapKey::Title, {}).toLower();
        overrides.link = store.ReadString(section, FieldMapKey::Link, {}).toLower();
        overrides.date = store.ReadString(section, FieldMapKey::Date, {}).toLower();
        overrides.content = store.ReadString(section, FieldMapKey::Content, {}).toLower();
        overrides.contentHasXmlChildren =
            !overrides.content.isEmpty() && store.ReadInt(section, FieldMapKey::XmlChildren, 0);
        return overrides;
    }
};

bool Overrides(const QString& override, const QString& name) {
    return !override.isEmpty() && NameIs(name, override);
}

QString OverriddenContent(const CXmlNode* child, const FieldOverrides& overrides) {
    return overrides.contentHasXmlChildren ? CXmlDocument::InnerXml(child) : child->Text;
}

// Atom content carries markup as child elements when its type says xml.
QString AtomContent(const CXmlNode* child) {
    return CXmlDocument::GetAttribute(child, QStringLiteral("type")).contains(u"xml")
               ? CXmlDocument::InnerXml(child)
               : child->Text;
}

void ApplyRssRule(CFeedItemData& item, const CXmlNode* child, const QString& name, qint16 feedType,
                  const FieldOverrides& overrides) {
    const bool searchResult = feedType == FeedTypeSearchResults;
    if (NameIs(name, u"guid"))
        item.Guid = child->Text;
    else if (Overrides(overrides.title, name))
        item.Title = child->Text;
    else if (NameIs(name, u"title") && item.Title.isEmpty())
        item.Title = child->Text;
    else if (Overrides(overrides.link, name) && !searchResult)
        item.Link = child->Text;
    else if (NameIs(name, u"link") && item.Link.isEmpty() && !searchResult)
        item.Link = child->Text;
    else if (NameIs(name, u"source") && searchResult)
        item.Link = CXmlDocument::GetAttribute(child, QStringLiteral("url"));
    else if (Overrides(overrides.date, name))
        item.Date = child->Text;
    else if (NameIs(name, u"pubdate") && (overrides.date.isEmpty() || item.Date.isEmpty()))
        item.Date = child->Text;
    else if (NameIs(name, u"dc:date") && item.Date.isEmpty())
        item.Date = child->Text;
    else if (Overrides(overrides.content, name))
        item.Content = OverriddenContent(child, overrides);
    else if (NameIs(name, u"description") && item.Content.isEmpty())
        item.Content = child->Text;
    else if (NameIs(name, u"enclosure") &&
             CXmlDocument::HasAttributeValue(child, QStringLiteral("type"),
                                             QStringLiteral("audio/mpeg"))) {
        item.EnclosureUrl = CXmlDocument::GetAttribute(child, QStringLiteral("url"));
        item.EnclosureLength =
            qMax(0, ReadLeadingInt(CXmlDocument::GetAttribute(child, QStringLiteral("length"))));
    }
}

void ApplyAtomRule(CFeedItemData& item, const CXmlNode* child, const QString& name,
                   const FieldOverrides& overrides) {
    if (NameIs(name, u"id"))
        item.Guid = child->Text;
    else if (Overrides(overrides.title, name))
        item.Title = child->Text;
    else if (NameIs(name, u"title") && item.Title.isEmpty())
        item.Title = child->Text;
    else if (Overrides(overrides.link, name))
        item.Link = child->Text;
    else if (NameIs(name, u"link") && item.Link.isEmpty())
        item.Link = CXmlDocument::GetAttribute(child, QStringLiteral("href"));
    else if (Overrides(overrides.date, name))
        item.Date = child->Text;
    else if (NameIs(name, u"issued") && item.Date.isEmpty())
        item.Date = child->Text;
    else if (Overrides(overrides.content, name))
        item.Content = OverriddenContent(child, overrides);
    else if (NameIs(name, u"content") && (overrides.content.isEmpty() || item.Content.isEmpty()))
        item.Content = AtomContent(child);
    else if (NameIs(name, u"summary") && item.Content.isEmpty())
        item.Content = AtomContent(child);
}

} // namespace

int FieldMapIndex(qint16 feedType) {
    switch (feedType) {
    case FeedTypeRss090:
        return 0;
    case FeedTypeRss091:
        return 1;
    case FeedTypeRss092:
        return 2;
    case FeedTypeRss093:
        return 3;
    case FeedTypeRss10:
        return 4;
    case FeedTypeRss20:
        return 5;
    case FeedTypeAtom03:
        return 6;
    default:
        return -1;
    }
}

void ReadItems(CFeedData& record, qint16 feedType, const CXmlNode* firstItem) {
    const FieldOverrides overrides = FieldOverrides::Load(feedType);
    const bool atom = feedType == FeedTypeAtom03;
    const QString itemName = atom ? QStringLiteral("entry") : QStringLiteral("item");
    for (const CXmlNode* node = firstItem; node; node = node->NextSibling) {
        if (node != firstItem && !NameIs(node->Name, itemName))
            continue;
        CFeedItemData& item = record.Items.emplace_back();
        for (const CXmlNode* child = CXmlDocument::FirstChild(node); child;
             child = child->NextSibling) {
            if (atom)
                ApplyAtomRule(item, child, child->Name, overrides);
            else
                ApplyRssRule(item, child, child->Name, feedType, overrides);
        }
    }
}
