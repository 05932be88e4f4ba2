// Reads a feed's items, by format and with the RSS Mapping overrides, into item records.

#include "feeds/ItemReader.h"

#include "config/RegistrySettings.h"
#include "feeds/FeedLinks.h"
#include "text/MarkupText.h"
#include "text/NumberText.h"

#include <QStringDecoder>

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
    return overrides.contentHasXmlChildren ? CXmlDocument::ContentMarkup(child) : child->Text;
}

// A plain text in the form the item fields hold text of a "text" type: escaped twice, since
// the readers of a stored item decode references once before they show it as markup and once
// more after they strip its tags.
QString TextAsContent(const QString& plain) {
    return EscapeXml(plain).replace(u'&', QStringLiteral("&amp;"));
}

// Base64 content of a media type: markup when the type says html or xml, plain text for other
// types. What is not UTF-8 text (an image, say) cannot be shown and is left out rather than
// shown as its encoding.
QString DecodedBase64(const CXmlNode* child, const QString& mediaType) {
    const QByteArray bytes = QByteArray::fromBase64(UnwrapCData(child->Text).toLatin1());
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || FirstForbiddenControl(text) >= 0)
        return {};
    return mediaType.contains(u"html") || mediaType.contains(u"xml") ? text : TextAsContent(text);
}

// An Atom 1.0 type that names a media type which is neither text nor xml: its content is
// base64.
bool IsBase64MediaType(const QString& type) {
    return type.contains(u'/') && !type.startsWith(u"text/", Qt::CaseInsensitive) &&
           !type.contains(u"xml", Qt::CaseInsensitive);
}

void SetAudioEnclosure(CFeedItemData& item, const QString& url, const QString& length) {
    item.EnclosureUrl = url;
    item.EnclosureLength = qMax(0, ReadLeadingInt(length));
}

// content:encoded is the whole article; description is often a teaser of it.
bool HasFullContent(qint16 feedType) {
    return feedType == FeedTypeRss20 || feedType == FeedTypeRss10;
}

void ApplyRssRule(CFeedItemData& item, const CXmlNode* child, const QString& name, qint16 feedType,
                  const FieldOverrides& overrides) {
    const bool searchResult = feedType == FeedTypeSearchResults;
    if (NameIs(name, u"guid"))
        item.Guid = child->Text;
    else if (Overrides(overrides.title, name))
        item.Title = CXmlDocument::ContentMarkup(child);
    else if (NameIs(name, u"title") && item.Title.isEmpty())
        item.Title = CXmlDocument::ContentMarkup(child);
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
    else if (NameIs(name, u"content:encoded") && HasFullContent(feedType) &&
             (overrides.content.isEmpty() || item.Content.isEmpty()))
        item.Content = CXmlDocument::ContentMarkup(child);
    else if (NameIs(name, u"description") && item.Content.isEmpty())
        item.Content = CXmlDocument::ContentMarkup(child);
    else if (NameIs(name, u"enclosure") &&
             CXmlDocument::HasAttributeValue(child, QStringLiteral("type"),
                                             QStringLiteral("audio/mpeg")))
        SetAudioEnclosure(item, CXmlDocument::GetAttribute(child, QStringLiteral("url")),
                          CXmlDocument::GetAttribute(child, QStringLiteral("length")));
}

void ApplyAtomRule(CFeedItemData& item, const CXmlNode* child, const QString& name,
                   const FieldOverrides& overrides) {
    if (NameIs(name, u"id"))
        item.Guid = child->Text;
    else if (Overrides(overrides.title, name))
        item.Title = CXmlDocument::ContentMarkup(child);
    else if (NameIs(name, u"title") && item.Title.isEmpty())
        item.Title = Atom03Text(child);
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
        item.Content = Atom03Text(child);
    else if (NameIs(name, u"summary") && item.Content.isEmpty())
        item.Content = Atom03Text(child);
}

// Atom 1.0 text: "xhtml" is a div whose content is the markup; other xml types carry markup
// as they are; "html" is escaped markup as found; "text" (the default) is literal, so its
// ampersands are escaped once more for the readers that decode the content as markup.
QString Atom10Content(const CXmlNode* child) {
    const QString type = CXmlDocument::GetAttribute(child, QStringLiteral("type"));
    if (type == u"xhtml") {
        const CXmlNode* div = CXmlDocument::FirstChild(child);
        const bool wrapped = div && (NameIs(div->Name, u"div") || div->Name.endsWith(u":div"));
        return CXmlDocument::ContentMarkup(wrapped ? div : child);
    }
    if (IsBase64MediaType(type))
        return DecodedBase64(child, type);
    if (type.isEmpty() || type == u"text")
        return CXmlDocument::ContentMarkup(child).replace(u'&', QStringLiteral("&amp;"));
    return CXmlDocument::ContentMarkup(child);
}

void ApplyAtom10LinkRule(CFeedItemData& item, const CXmlNode* link, const QUrl& entryBase) {
    const QString href = CXmlDocument::GetAttribute(link, QStringLiteral("href"));
    const QUrl base = ChildLinkBase(link, entryBase);
    if (IsAlternateLink(link) && item.Link.isEmpty())
        item.Link = ResolveLink(href, base);
    else if (CXmlDocument::GetAttribute(link, QStringLiteral("rel")) == u"enclosure" &&
             CXmlDocument::HasAttributeValue(link, QStringLiteral("type"),
                                             QStringLiteral("audio/mpeg")))
        SetAudioEnclosure(item, ResolveLink(href, base),
                          CXmlDocument::GetAttribute(link, QStringLiteral("length")));
}

void ApplyAtom10Rule(CFeedItemData& item, const CXmlNode* child, const QString& name,
                     const FieldOverrides& overrides, const QUrl& entryBase) {
    if (NameIs(name, u"id"))
        item.Guid = child->Text;
    else if (Overrides(overrides.title, name))
        item.Title = child->Text;
    else if (NameIs(name, u"title") && item.Title.isEmpty())
        item.Title = Atom10Title(child);
    else if (Overrides(overrides.link, name))
        item.Link = child->Text;
    else if (NameIs(name, u"link"))
        ApplyAtom10LinkRule(item, child, entryBase);
    else if (Overrides(overrides.date, name))
        item.Date = child->Text;
    else if (NameIs(name, u"published") && (overrides.date.isEmpty() || item.Date.isEmpty()))
        item.Date = child->Text;
    else if (NameIs(name, u"updated") && item.Date.isEmpty())
        item.Date = child->Text;
    else if (Overrides(overrides.content, name))
        item.Content = OverriddenContent(child, overrides);
    else if (NameIs(name, u"content") && (overrides.content.isEmpty() || item.Content.isEmpty()))
        item.Content = ResolveContentLinks(Atom10Content(child), ChildLinkBase(child, entryBase));
    else if (NameIs(name, u"summary") && item.Content.isEmpty())
        item.Content = ResolveContentLinks(Atom10Content(child), ChildLinkBase(child, entryBase));
}

// An item's link as written, or, when it is relative, made absolute against the feed's address
// (the Atom 1.0 reader resolves its links as it reads them). The link as written may hold
// references and CDATA, which are read before it is resolved; the address it becomes escapes its
// ampersands as a link read from the document does.
QString ResolvedItemLink(const QString& written, const QUrl& base) {
    const QString link = UnwrapCData(DecodeEntities(written));
    const QString resolved = ResolveLink(link, base);
    return resolved == link ? written : QString(resolved).replace(u'&', QStringLiteral("&amp;"));
}

bool IsAtom(qint16 feedType) {
    return feedType == FeedTypeAtom03 || feedType == FeedTypeAtom10;
}

// The item's permanent identifier when it is a web address: an Atom id, or an RSS guid that
// does not say isPermaLink="false". The last one counts, as for the item's Guid.
QString Permalink(const CXmlNode* item, qint16 feedType) {
    const bool atom = IsAtom(feedType);
    QString permalink;
    for (const CXmlNode* child = CXmlDocument::FirstChild(item); child; child = child->NextSibling)
        if (NameIs(child->Name, atom ? u"id" : u"guid"))
            permalink = atom || CXmlDocument::GetAttribute(child, QStringLiteral("isPermaLink"))
                                        .compare(u"false", Qt::CaseInsensitive) != 0
                            ? child->Text
                            : QString();
    return IsWebAddress(UnwrapCData(permalink)) ? permalink.trimmed() : QString();
}

// Who wrote the item: the first author the item names. Atom names the person in a child
// element; RSS gives an address or a name (dc:creator) as the element's text.
QString ItemAuthor(const CXmlNode* item, qint16 feedType) {
    for (const CXmlNode* child = CXmlDocument::FirstChild(item); child;
         child = child->NextSibling) {
        if (IsAtom(feedType) && NameIs(child->Name, u"author")) {
            for (const CXmlNode* part = CXmlDocument::FirstChild(child); part;
                 part = part->NextSibling)
                if (NameIs(part->Name, u"name"))
                    return part->Text;
        } else if (!IsAtom(feedType) &&
                   (NameIs(child->Name, u"author") || NameIs(child->Name, u"dc:creator"))) {
            return child->Text;
        }
    }
    return {};
}

} // namespace

QString Atom03Text(const CXmlNode* element) {
    if (CXmlDocument::HasAttributeValue(element, QStringLiteral("mode"), QStringLiteral("base64")))
        return DecodedBase64(element, CXmlDocument::GetAttribute(element, QStringLiteral("type")));
    return CXmlDocument::ContentMarkup(element);
}

QString Atom10Title(const CXmlNode* title) {
    return CXmlDocument::GetAttribute(title, QStringLiteral("type")) == u"xhtml"
               ? Atom10Content(title)
               : CXmlDocument::ContentMarkup(title);
}

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
    case FeedTypeAtom10:
        return 7;
    default:
        return -1;
    }
}

void ReadItems(CFeedData& record, qint16 feedType, const CXmlNode* firstItem,
               const QString& documentAddress) {
    const FieldOverrides overrides = FieldOverrides::Load(feedType);
    const QString itemName = IsAtom(feedType) ? QStringLiteral("entry") : QStringLiteral("item");
    // Items are siblings, so they share their parent's base.
    const QUrl itemsBase = firstItem ? LinkBase(firstItem->Parent, documentAddress) : QUrl();
    // Room for every sibling at once: a list grown item by item moves a feed of many items
    // again and again.
    if (firstItem && firstItem->Parent)
        record.Items.reserve(record.Items.size() + firstItem->Parent->Children.size());
    for (const CXmlNode* node = firstItem; node; node = node->NextSibling) {
        if (node != firstItem && !NameIs(node->Name, itemName))
            continue;
        CFeedItemData& item = record.Items.emplace_back();
        const QUrl entryBase = feedType == FeedTypeAtom10 ? ChildLinkBase(node, itemsBase) : QUrl();
        for (const CXmlNode* child = CXmlDocument::FirstChild(node); child;
             child = child->NextSibling) {
            if (feedType == FeedTypeAtom10)
                ApplyAtom10Rule(item, child, child->Name, overrides, entryBase);
            else if (feedType == FeedTypeAtom03)
                ApplyAtomRule(item, child, child->Name, overrides);
            else
                ApplyRssRule(item, child, child->Name, feedType, overrides);
        }
        item.Author = ItemAuthor(node, feedType);
        if (item.Link.isEmpty())
            item.Link = Permalink(node, feedType);
        else if (feedType != FeedTypeAtom10)
            item.Link = ResolvedItemLink(item.Link, ChildLinkBase(node, itemsBase));
    }
}
