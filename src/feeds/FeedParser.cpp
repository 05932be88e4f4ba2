// Detecting a feed document's format and reading its channel and items into FeedData.

#include "feeds/FeedParser.h"

#include "feeds/FeedLinks.h"
#include "feeds/ItemReader.h"
#include "feeds/JsonFeedReader.h"
#include "feeds/SubscriptionList.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"
#include "text/TextFile.h"

#include <QFile>

namespace {

const QString Rss10Namespace = QStringLiteral("http://purl.org/rss/1.0/");
const QString Rss090Namespace = QStringLiteral("http://my.netscape.com/rdf/simple/0.9/");
const QString Atom10Namespace = QStringLiteral("http://www.w3.org/2005/Atom");

bool RootVersionIs(const CXmlNode* root, const char16_t* version) {
    return CXmlDocument::HasAttributeValue(root, QStringLiteral("version"),
                                           QString::fromUtf16(version));
}

// An rss root without a version (or with one written so that it cannot be read) is read as
// RSS 2.0, as every other reader does; so are 2.01 and 2.1.
qint16 RssVersionType(const CXmlNode* rss) {
    static const std::pair<const char16_t*, qint16> versions[] = {
        {u"0.91", FeedTypeRss091}, {u"0.92", FeedTypeRss092}, {u"0.93", FeedTypeRss093},
        {u"2.0", FeedTypeRss20},   {u"2", FeedTypeRss20},     {u"0.94", FeedTypeRss20},
        {u"1.0", FeedTypeRss20},   {u"2.01", FeedTypeRss20},  {u"2.1", FeedTypeRss20},
    };
    for (const auto& [version, type] : versions)
        if (RootVersionIs(rss, version))
            return type;
    if (CXmlDocument::GetAttribute(rss, QStringLiteral("version")).isEmpty())
        return FeedTypeRss20;
    return FeedTypeUnknown;
}

// Whether the node binds the namespace, as the default one or to a prefix.
bool DeclaresNamespace(const CXmlNode* node, const QString& name) {
    for (const auto& [attribute, value] : node->Attributes)
        if (value == name && (attribute == u"xmlns" || attribute.startsWith(u"xmlns:")))
            return true;
    return false;
}

// A root written "atom:feed", its prefix bound to Atom's namespace, is as valid as a plain
// "feed": its elements are read as if that namespace were the default one.
void ReadPrefixedAtomAsDefault(CXmlDocument& document) {
    const CXmlNode* root = document.Root();
    const qsizetype colon = root ? root->Name.indexOf(u':') : -1;
    if (colon <= 0 || root->Name.mid(colon + 1) != u"feed")
        return;
    const QString prefix = root->Name.left(colon);
    if (CXmlDocument::GetAttribute(root, QStringLiteral("xmlns:") + prefix) == Atom10Namespace)
        document.DropElementPrefix(prefix);
}

qint16 OpmlType(const CXmlDocument& document, const CXmlNode* opml) {
    if (RootVersionIs(opml, u"1.0"))
        return FeedTypeOpml10;
    if (RootVersionIs(opml, u"1.1"))
        return FeedTypeOpml11;
    const CXmlNode* title = document.FindNode(QStringLiteral("opml\\head\\title"));
    if (title && title->Text.contains(u"SharpReader"))
        return FeedTypeOpmlSharpReader;
    if (document.FindNode(QStringLiteral("opml\\body\\outline")))
        return FeedTypeOpmlGeneric;
    return FeedTypeUnknown;
}

struct FeedFormat {
    qint16 feedType;
    const char16_t* versionLabel; // set by the reader
    const char16_t* shownName;    // shown for a stored feed
};

constexpr FeedFormat FeedFormats[] = {
    {FeedTypeRss090, u"RSS v0.90", u"RSS 0.90"},    {FeedTypeRss091, u"RSS v0.91", u"RSS 0.91"},
    {FeedTypeRss092, u"RSS v0.92", u"RSS 0.92"},    {FeedTypeRss093, u"RSS v0.93", u"RSS 0.93"},
    {FeedTypeRss10, u"RSS v1.0", u"RSS 1.0"},       {FeedTypeRss20, u"RSS v2.0", u"RSS 2.0"},
    {FeedTypeAtom03, u"ATOM v0.3", u"Atom 0.03"},   {FeedTypeAtom10, u"Atom 1.0", u"Atom 1.0"},
    {FeedTypeJsonFeed, u"JSON Feed", u"JSON Feed"}, // the reader adds the version read
};

const FeedFormat* FindFormat(qint16 feedType) {
    for (const FeedFormat& format : FeedFormats)
        if (format.feedType == feedType)
            return &format;
    return nullptr;
}

QString VersionLabel(qint16 feedType) {
    return QString::fromUtf16(FindFormat(feedType)->versionLabel);
}

// The address an element holds as its text, references decoded and made absolute; empty
// without the element.
QString AddressIn(const CXmlNode* node, const QString& documentAddress) {
    const QString text = node ? DecodeEntities(UnwrapCData(node->Text)).trimmed() : QString();
    return text.isEmpty() ? QString() : ResolveLink(text, LinkBase(node, documentAddress));
}

// RSS 0.90 to 0.93 and 1.0; in RDF the items are children of the root, not of the channel,
// and so is the image.
void ReadRssChannel(CFeedData& record, const CXmlDocument& document, const QString& address) {
    record.Version = VersionLabel(record.FeedType);
    const bool rdf = record.FeedType == FeedTypeRss090 || record.FeedType == FeedTypeRss10;
    const QString root = rdf ? QStringLiteral("rdf:RDF") : QStringLiteral("rss");
    ReadChannelHeader(record, document.FindNode(root + QStringLiteral("\\channel")),
                      TitleText::Raw);
    record.IconUrl =
        AddressIn(document.FindNode(root + (rdf ? QStringLiteral("\\image\\url")
                                                : QStringLiteral("\\channel\\image\\url"))),
                  address);
    const QString itemPath =
        rdf ? root + QStringLiteral("\\item") : root + QStringLiteral("\\channel\\item");
    ReadItems(record, record.FeedType, document.FindNode(itemPath), address);
}

void ReadAtomFeed(CFeedData& record, const CXmlDocument& document, const QString& address) {
    record.Version = VersionLabel(FeedTypeAtom03);
    for (const CXmlNode* child =
             CXmlDocument::FirstChild(document.FindNode(QStringLiteral("feed")));
         child; child = child->NextSibling) {
        const QString& name = child->Name;
        if (NameIs(name, u"title"))
            record.Title = UnwrapCData(Atom03Text(child));
        else if (NameIs(name, u"link"))
            record.Link = CXmlDocument::GetAttribute(child, QStringLiteral("href"));
        else if (NameIs(name, u"tagline"))
            record.Description = child->Text;
        else if (NameIs(name, u"modified"))
            record.Date = child->Text;
    }
    ReadItems(record, FeedTypeAtom03, document.FindNode(QStringLiteral("feed\\entry")), address);
}

// The feed's first alternate link is its web site; relative links resolve against the feed's
// address and xml:base. The square icon suits a list better than the wider logo, which only
// stands in for a missing icon.
void ReadAtom10Feed(CFeedData& record, const CXmlDocument& document,
                    const QString& documentAddress) {
    record.Version = VersionLabel(FeedTypeAtom10);
    QString logo;
    for (const CXmlNode* child =
             CXmlDocument::FirstChild(document.FindNode(QStringLiteral("feed")));
         child; child = child->NextSibling) {
        const QString& name = child->Name;
        if (NameIs(name, u"title"))
            record.Title = UnwrapCData(Atom10Title(child));
        else if (NameIs(name, u"link") && IsAlternateLink(child) && record.Link.isEmpty())
            record.Link = ResolveLink(CXmlDocument::GetAttribute(child, QStringLiteral("href")),
                                      LinkBase(child, documentAddress));
        else if (NameIs(name, u"subtitle"))
            record.Description = Atom10Title(child);
        else if (NameIs(name, u"updated"))
            record.Date = child->Text;
        else if (NameIs(name, u"icon") && record.IconUrl.isEmpty())
            record.IconUrl = AddressIn(child, documentAddress);
        else if (NameIs(name, u"logo") && logo.isEmpty())
            logo = AddressIn(child, documentAddress);
    }
    if (record.IconUrl.isEmpty())
        record.IconUrl = logo;
    ReadItems(record, FeedTypeAtom10, document.FindNode(QStringLiteral("feed\\entry")),
              documentAddress);
}

// Reads the document by its detected type; false when the type has no reader.
bool ReadByType(CFeedData& record, const CXmlDocument& document, const QString& address) {
    switch (record.FeedType) {
    case FeedTypeRss090:
    case FeedTypeRss091:
    case FeedTypeRss092:
    case FeedTypeRss093:
    case FeedTypeRss10:
        ReadRssChannel(record, document, address);
        return true;
    case FeedTypeRss20:
        ReadRss20Channel(record, document, address);
        return true;
    case FeedTypeAtom03:
        ReadAtomFeed(record, document, address);
        return true;
    case FeedTypeAtom10:
        ReadAtom10Feed(record, document, address);
        return true;
    case FeedTypeOpml10:
    case FeedTypeOpml11:
        ReadOpmlAsFeed(record, document);
        return true;
    case FeedTypeOpmlSharpReader:
        ReadSharpReaderSubscription(record, document);
        return true;
    case FeedTypeOpmlGeneric:
        ReadGenericSubscription(record, document);
        return true;
    default:
        return false;
    }
}

} // namespace

QString FeedTypeName(qint16 feedType) {
    const FeedFormat* format = FindFormat(feedType);
    return format ? QString::fromUtf16(format->shownName) : QStringLiteral("Unknown");
}

qint16 DetectFeedType(const CXmlDocument& document) {
    if (const CXmlNode* rdf = document.FindNode(QStringLiteral("rdf:RDF"))) {
        if (CXmlDocument::HasAttributeValue(rdf, QStringLiteral("xmlns"), Rss10Namespace))
            return FeedTypeRss10;
        if (CXmlDocument::HasAttributeValue(rdf, QStringLiteral("xmlns"), Rss090Namespace))
            return FeedTypeRss090;
    }
    if (const CXmlNode* rss = document.FindNode(QStringLiteral("rss"));
        rss && RssVersionType(rss) != FeedTypeUnknown)
        return RssVersionType(rss);
    if (const CXmlNode* feed = document.FindNode(QStringLiteral("feed"))) {
        if (RootVersionIs(feed, u"0.3"))
            return FeedTypeAtom03;
        if (DeclaresNamespace(feed, Atom10Namespace))
            return FeedTypeAtom10;
    }
    if (const CXmlNode* opml = document.FindNode(QStringLiteral("opml")))
        return OpmlType(document, opml);
    return FeedTypeUnknown;
}

void ReadChannelHeader(CFeedData& record, const CXmlNode* channel, TitleText title,
                       HeaderDates dates) {
    for (const CXmlNode* child = CXmlDocument::FirstChild(channel); child;
         child = child->NextSibling) {
        const QString& name = child->Name;
        if (NameIs(name, u"title")) {
            const QString text = CXmlDocument::ContentMarkup(child);
            record.Title = title == TitleText::Raw ? text : UnwrapCData(text);
        } else if (NameIs(name, u"link"))
            record.Link = child->Text;
        else if (NameIs(name, u"description"))
            record.Description = CXmlDocument::ContentMarkup(child);
        else if (NameIs(name, u"lastbuilddate"))
            record.Date = child->Text;
        else if (NameIs(name, u"dc:date") && record.Date.isEmpty())
            record.Date = child->Text;
        else if (NameIs(name, u"datecreated") && dates == HeaderDates::DateCreatedToo &&
                 record.Date.isEmpty())
            record.Date = child->Text;
    }
}

void ResetFeedData(CFeedData& record) {
    record = CFeedData();
}

// The home link is kept raw, as the other texts of the record.
FeedIconSource IconSourceOf(const CFeedData& record) {
    return {record.IconUrl, DecodeEntities(UnwrapCData(record.Link)).trimmed()};
}

void EnsureTitle(CFeedData& record, const QString& prefix) {
    record.Title = record.Title.trimmed();
    if (record.Title.isEmpty())
        record.Title = prefix + QString::number(NewRecordID());
}

void ReadRss20Channel(CFeedData& record, const CXmlDocument& document, const QString& address) {
    record.Version = VersionLabel(FeedTypeRss20);
    ReadChannelHeader(record, document.FindNode(QStringLiteral("rss\\channel")),
                      TitleText::CDataUnwrapped);
    record.IconUrl =
        AddressIn(document.FindNode(QStringLiteral("rss\\channel\\image\\url")), address);
    ReadItems(record, record.FeedType, document.FindNode(QStringLiteral("rss\\channel\\item")),
              address);
}

bool ParseFeedFile(CFeedData& record, const QString& path, const FeedOrigin& origin) {
    ResetFeedData(record);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Mapped rather than read: the file is the run's own download, replaced whole by a rename
    // and never rewritten in place, and a big feed is then not copied once more.
    const uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr;
    const QByteArray bytes =
        mapped ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size())
               : file.readAll();
    // A JSON Feed is known by what it says it is, never by its address or content type.
    if (!ReadJsonFeed(record, bytes, origin.address)) {
        CXmlDocument document;
        if (!document.Parse(CTextFile::Decode(bytes, origin.contentType)))
            return false;
        ReadPrefixedAtomAsDefault(document);
        record.FeedType = DetectFeedType(document);
        if (!ReadByType(record, document, origin.address)) {
            const qint16 feedType = record.FeedType;
            ResetFeedData(record);
            record.FeedType = feedType;
            return false;
        }
    }
    EnsureTitle(record, QStringLiteral("No Title: "));
    record.SourcePath = path;
    return true;
}
