// Feed documents for the benchmarks in RSS, Atom and JSON Feed, sized on demand.

#include "FeedGenerator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray Description(int item, int chars) {
    QByteArray text = "<p>Item " + QByteArray::number(item) +
                      " reports on the <b>latest</b> developments; see "
                      "<a href=\"https://example.org/story/" +
                      QByteArray::number(item) + "\">the full story</a>.</p>";
    while (text.size() < chars)
        text += " <p>Officials said on Tuesday that the plan, first proposed in 2004, would "
                "go ahead &amp; that <i>further details</i> follow next week.</p>";
    return text;
}

// The description as an XML feed carries HTML: escaped.
QByteArray Escaped(QByteArray html) {
    return html.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
}

QByteArray RssItem(int i, int descriptionChars) {
    return "<item><title>Story number " + QByteArray::number(i) +
           " &amp; more</title><link>https://example.org/story/" + QByteArray::number(i) +
           "</link><guid isPermaLink=\"false\">tag:example.org,2005:" + QByteArray::number(i) +
           "</guid><pubDate>Mon, 03 Jan 2005 10:30:15 GMT</pubDate>"
           "<dc:creator>Reporter</dc:creator><description><![CDATA[" +
           Description(i, descriptionChars) + "]]></description></item>\n";
}

// The channel date moves with the first item, so that a changed feed never looks unchanged. The
// site's link is relative: a run's icon request then goes to the feed's own server, on this
// machine, never to the Internet.
QByteArray RssHead(int firstItem) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "<channel><title>Benchmark News</title><link>/</link>"
           "<description>Generated feed</description><lastBuildDate>Mon, 03 Jan 2005 " +
           QByteArray::number(10 + firstItem % 10) + ":30:15 GMT</lastBuildDate>\n";
}

} // namespace

QByteArray GenerateRss20Feed(int targetBytes, int descriptionChars) {
    QByteArray feed = RssHead(0);
    for (int i = 0; feed.size() < targetBytes; ++i)
        feed += RssItem(i, descriptionChars);
    return feed + "</channel></rss>\n";
}

QByteArray GenerateRss20Items(int items, int descriptionChars, int firstItem) {
    QByteArray feed = RssHead(firstItem);
    for (int i = firstItem; i < firstItem + items; ++i)
        feed += RssItem(i, descriptionChars);
    return feed + "</channel></rss>\n";
}

QByteArray GenerateAtom03Feed(int targetBytes) {
    QByteArray feed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\">\n"
                      "<title>Benchmark Atom</title><link rel=\"alternate\" type=\"text/html\" "
                      "href=\"https://example.org/\"/><modified>2005-01-03T10:30:15Z</modified>\n";
    for (int i = 0; feed.size() < targetBytes; ++i)
        feed += "<entry><title>Entry " + QByteArray::number(i) +
                "</title><link rel=\"alternate\" type=\"text/html\" "
                "href=\"https://example.org/entry/" +
                QByteArray::number(i) + "\"/><id>tag:example.org,2005:" + QByteArray::number(i) +
                "</id><issued>2005-01-03T10:30:15Z</issued><modified>2005-01-03T10:30:15Z"
                "</modified><summary>Short summary</summary>"
                "<content type=\"application/xhtml+xml\" mode=\"xml\"><div "
                "xmlns=\"http://www.w3.org/1999/xhtml\">" +
                Description(i, 700) + "</div></content></entry>\n";
    return feed + "</feed>\n";
}

QByteArray GenerateAtom10Feed(int targetBytes) {
    QByteArray feed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"en\" "
                      "xml:base=\"https://example.org/blog/\">\n"
                      "<title>Benchmark Atom 1.0</title><subtitle>Generated</subtitle>"
                      "<link rel=\"self\" href=\"atom.xml\"/><link href=\"./\"/>"
                      "<id>tag:example.org,2025:feed</id><updated>2025-03-01T10:30:15Z</updated>\n";
    for (int i = 0; feed.size() < targetBytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        feed += "<entry><title type=\"html\">Entry " + n +
                " &amp;amp; more</title>"
                "<link rel=\"alternate\" type=\"text/html\" href=\"posts/" +
                n +
                "\"/>"
                "<id>tag:example.org,2025:" +
                n +
                "</id><published>2025-03-01T10:30:15Z"
                "</published><updated>2025-03-01T11:30:15Z</updated><author><name>Reporter"
                "</name></author><category term=\"news\"/><summary>Short summary</summary>"
                "<content type=\"html\">" +
                Escaped(Description(i, 700)) + "</content></entry>\n";
    }
    return feed + "</feed>\n";
}

QByteArray GenerateJsonFeed(int targetBytes) {
    QJsonObject feed{{"version", "https://jsonfeed.org/version/1.1"},
                     {"title", "Benchmark JSON Feed"},
                     {"home_page_url", "https://example.org/"},
                     {"feed_url", "https://example.org/feed.json"}};
    QJsonArray items;
    qsizetype bytes = 200;
    for (int i = 0; bytes < targetBytes; ++i) {
        const QString n = QString::number(i);
        QJsonObject item{{"id", "tag:example.org,2025:" + n},
                         {"url", "https://example.org/posts/" + n},
                         {"title", "Story number " + n + " & more"},
                         {"content_html", QString::fromUtf8(Description(i, 700))},
                         {"date_published", "2025-03-01T10:30:15Z"},
                         {"authors", QJsonArray{QJsonObject{{"name", "Reporter"}}}},
                         {"tags", QJsonArray{"news", "world"}}};
        if (i % 10 == 0)
            item["attachments"] =
                QJsonArray{QJsonObject{{"url", "https://example.org/audio/" + n + ".mp3"},
                                       {"mime_type", "audio/mpeg"},
                                       {"size_in_bytes", 1234567}}};
        bytes += QJsonDocument(item).toJson(QJsonDocument::Compact).size() + 1;
        items.append(item);
    }
    feed["items"] = items;
    return QJsonDocument(feed).toJson(QJsonDocument::Indented);
}
