#include "FeedGenerator.h"

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

QByteArray RssItem(int i, int descriptionChars) {
    return "<item><title>Story number " + QByteArray::number(i) +
           " &amp; more</title><link>https://example.org/story/" + QByteArray::number(i) +
           "</link><guid isPermaLink=\"false\">tag:example.org,2005:" + QByteArray::number(i) +
           "</guid><pubDate>Mon, 03 Jan 2005 10:30:15 GMT</pubDate>"
           "<dc:creator>Reporter</dc:creator><description><![CDATA[" +
           Description(i, descriptionChars) + "]]></description></item>\n";
}

// The channel date moves with the first item, so that a changed feed never looks unchanged.
QByteArray RssHead(int firstItem) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "<channel><title>Benchmark News</title><link>https://example.org/</link>"
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
