// Reads a JSON Feed document into the same records as an XML feed.

#include "feeds/JsonFeedReader.h"

#include "feeds/FeedLinks.h"
#include "text/MarkupText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

namespace {

const QString VersionPrefix = QStringLiteral("://jsonfeed.org/version/");

// Only an object can be a JSON Feed: anything else is not worth handing to the JSON parser.
bool StartsLikeObject(const QByteArray& bytes) {
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && QChar::isSpace(uchar(bytes[start])))
        ++start;
    return start < bytes.size() && bytes[start] == '{';
}

// "https://jsonfeed.org/version/1.1" gives "1.1"; the first version is "1" and shown as 1.0.
QString VersionNumber(const QString& version) {
    const qsizetype prefix = version.indexOf(VersionPrefix);
    if (prefix < 0 || !version.left(prefix).startsWith(u"http"))
        return {};
    const QString number = version.mid(prefix + VersionPrefix.size());
    return number == u"1" ? QStringLiteral("1.0") : number;
}

QString Text(const QJsonObject& object, const char* key) {
    return object.value(QLatin1StringView(key)).toString();
}

// Ids may be numbers in version 1.
QString IdText(const QJsonValue& id) {
    return id.isDouble() ? QString::number(id.toDouble(), 'f', 0) : id.toString();
}

qint32 ByteCount(const QJsonValue& size) {
    const double bytes = size.toDouble();
    return bytes > 0 && bytes <= std::numeric_limits<qint32>::max() ? qint32(bytes) : 0;
}

QString Address(const QJsonObject& object, const char* key, const QUrl& base) {
    return EscapeXml(ResolveLink(Text(object, key), base));
}

// content_text is literal text: escaped twice, it comes out as text where the content is shown
// as markup after one decoding.
QString ItemContent(const QJsonObject& item, const QUrl& base) {
    if (const QString html = Text(item, "content_html"); !html.isEmpty())
        return EscapeXml(ResolveContentLinks(html, base));
    return EscapeXml(EscapeXml(Text(item, "content_text")));
}

// Version 1.1 lists the authors, version 1 names one.
QString AuthorName(const QJsonObject& item) {
    const QJsonArray authors = item.value(QLatin1StringView("authors")).toArray();
    const QJsonObject author = authors.isEmpty()
                                   ? item.value(QLatin1StringView("author")).toObject()
                                   : authors.first().toObject();
    return Text(author, "name");
}

CFeedItemData ReadItem(const QJsonObject& item, const QUrl& base) {
    CFeedItemData parsed;
    parsed.Guid = IdText(item.value(QLatin1StringView("id")));
    parsed.Title = EscapeXml(Text(item, "title"));
    parsed.Author = EscapeXml(AuthorName(item));
    parsed.Link = Address(item, "url", base);
    if (parsed.Link.isEmpty() && IsWebAddress(parsed.Guid))
        parsed.Link = EscapeXml(parsed.Guid.trimmed());
    parsed.Content = ItemContent(item, base);
    parsed.Date = Text(item, "date_published");
    if (parsed.Date.isEmpty())
        parsed.Date = Text(item, "date_modified");
    // Attachments are enclosures; the audio ones count, the last one winning as in RSS.
    for (const QJsonValue& value : item.value(QLatin1StringView("attachments")).toArray()) {
        const QJsonObject attachment = value.toObject();
        if (Text(attachment, "mime_type") != u"audio/mpeg")
            continue;
        parsed.EnclosureUrl = Address(attachment, "url", base);
        parsed.EnclosureLength = ByteCount(attachment.value(QLatin1StringView("size_in_bytes")));
    }
    return parsed;
}

} // namespace

bool ReadJsonFeed(CFeedData& record, const QByteArray& bytes, const QString& documentAddress) {
    if (!StartsLikeObject(bytes))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject feed = document.object();
    const QString version = VersionNumber(Text(feed, "version"));
    if (version.isEmpty())
        return false;
    const QUrl base = LinkBase(nullptr, documentAddress);
    record.FeedType = FeedTypeJsonFeed;
    record.Version = FeedTypeName(FeedTypeJsonFeed) + u' ' + version;
    record.Title = EscapeXml(Text(feed, "title"));
    record.Link = Address(feed, "home_page_url", base);
    record.Description = EscapeXml(Text(feed, "description"));
    // The favicon is the one meant for lists of feeds; the icon, 512 pixels wide, stands in.
    record.IconUrl = ResolveLink(Text(feed, "favicon").trimmed(), base);
    if (record.IconUrl.isEmpty())
        record.IconUrl = ResolveLink(Text(feed, "icon").trimmed(), base);
    for (const QJsonValue& item : feed.value(QLatin1StringView("items")).toArray())
        if (item.isObject())
            record.Items.push_back(ReadItem(item.toObject(), base));
    return true;
}
