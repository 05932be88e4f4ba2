#include "feeds/FeedParser.h"

#include "feeds/ItemReader.h"
#include "feeds/SubscriptionList.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"

namespace {

const QString Rss10Namespace = QStringLiteral("http://purl.org/rss/1.0/");
const QString Rss090Namespace = QStringLiteral("http://my.netscape.com/rdf/simple/0.9/");

bool RootVersionIs(const CXmlNode* root, const char16_t* version) {
    return CXmlDocument::HasAttributeValue(root, QStringLiteral("version"),
                                           QString::fromUtf16(version));
}

qint16 RssVersionType(const CXmlNode* rss) {
    static const std::pair<const char16_t*, qint16> versions[] = {
        {u"0.91", FeedTypeRss091}, {u"0.92", FeedTypeRss092}, {u"0.93", FeedTypeRss093},
        {u"2.0", FeedTypeRss20},   {u"2", FeedTypeRss20},     {u"0.94", FeedTypeRss20},
        {u"1.0", FeedTypeRss20},
    };
    for (const auto& [version, type] : versions)
        if (RootVersionIs(rss, version))
            return type;
    return FeedTypeUnknown;
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
    {FeedTypeRss090, u"RSS v0.90", u"RSS 0.90"},  {FeedTypeRss091, u"RSS v0.91", u"RSS 0.91"},
    {FeedTypeRss092, u"RSS v0.92", u"RSS 0.92"},  {FeedTypeRss093, u"RSS v0.93", u"RSS 0.93"},
    {FeedTypeRss10, u"RSS v1.0", u"RSS 1.0"},     {FeedTypeRss20, u"RSS v2.0", u"RSS 2.0"},
    {FeedTypeAtom03, u"ATOM v0.3", u"Atom 0.03"},
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

// RSS 0.90 to 0.93 and 1.0; in RDF the items are children of the root, not of the channel.
void ReadRssChannel(CFeedData& record, const CXmlDocument& document) {
    record.Version = VersionLabel(record.FeedType);
    const bool rdf = record.FeedType == FeedTypeRss090 || record.FeedType == FeedTypeRss10;
    const QString root = rdf ? QStringLiteral("rdf:RDF") : QStringLiteral("rss");
    ReadChannelHeader(record, document.FindNode(root + QStringLiteral("\\channel")),
                      TitleText::Raw);
    const QString itemPath =
        rdf ? root + QStringLiteral("\\item") : root + QStringLiteral("\\channel\\item");
    ReadItems(record, record.FeedType, document.FindNode(itemPath));
}

void ReadAtomFeed(CFeedData& record, const CXmlDocument& document) {
    record.Version = VersionLabel(FeedTypeAtom03);
    for (const CXmlNode* child =
             CXmlDocument::FirstChild(document.FindNode(QStringLiteral("feed")));
         child; child = child->NextSibling) {
        const QString& name = child->Name;
        if (NameIs(name, u"title"))
            record.Title = UnwrapCData(child->Text);
        else if (NameIs(name, u"link"))
            record.Link = CXmlDocument::GetAttribute(child, QStringLiteral("href"));
        else if (NameIs(name, u"tagline"))
            record.Description = child->Text;
        else if (NameIs(name, u"modified"))
            record.Date = child->Text;
    }
    ReadItems(record, FeedTypeAtom03, document.FindNode(QStringLiteral("feed\\entry")));
}

// Reads the document by its detected type; false when the type has no reader.
bool ReadByType(CFeedData& record, const CXmlDocument& document) {
    switch (record.FeedType) {
    case FeedTypeRss090:
    case FeedTypeRss091:
    case FeedTypeRss092:
    case FeedTypeRss093:
    case FeedTypeRss10:
        ReadRssChannel(record, document);
        return true;
    case FeedTypeRss20:
        ReadRss20Channel(record, document);
        return true;
    case FeedTypeAtom03:
        ReadAtomFeed(record, document);
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
    if (const CXmlNode* feed = document.FindNode(QStringLiteral("feed"));
        feed && RootVersionIs(feed, u"0.3"))
        return FeedTypeAtom03;
    if (const CXmlNode* opml = document.FindNode(QStringLiteral("opml")))
        return OpmlType(document, opml);
    return FeedTypeUnknown;
}

void ReadChannelHeader(CFeedData& record, const CXmlNode* channel, TitleText title,
                       HeaderDates dates) {
    for (const CXmlNode* child = CXmlDocument::FirstChild(channel); child;
         child = child->NextSibling) {
        const QString& name = child->Name;
        if (NameIs(name, u"title"))
            record.Title = title == TitleText::Raw ? child->Text : UnwrapCData(child->Text);
        else if (NameIs(name, u"link"))
            record.Link = child->Text;
        else if (NameIs(name, u"description"))
            record.Description = child->Text;
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

void EnsureTitle(CFeedData& record, const QString& prefix) {
    record.Title = record.Title.trimmed();
    if (record.Title.isEmpty())
        record.Title = prefix + QString::number(NewRecordID());
}

void ReadRss20Channel(CFeedData& record, const CXmlDocument& document) {
    record.Version = VersionLabel(FeedTypeRss20);
    ReadChannelHeader(record, document.FindNode(QStringLiteral("rss\\channel")),
                      TitleText::CDataUnwrapped);
    ReadItems(record, record.FeedType, document.FindNode(QStringLiteral("rss\\channel\\item")));
}

bool ParseFeedFile(CFeedData& record, const QString& path) {
    ResetFeedData(record);
    CXmlDocument document;
    if (!document.LoadFile(path))
        return false;
    record.FeedType = DetectFeedType(document);
    if (!ReadByType(record, document)) {
        const qint16 feedType = record.FeedType;
        ResetFeedData(record);
        record.FeedType = feedType;
        return false;
    }
    EnsureTitle(record, QStringLiteral("No Title: "));
    record.SourcePath = path;
    return true;
}
