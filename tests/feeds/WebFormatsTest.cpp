// Atom 1.0, JSON Feed, unversioned RSS, full content and permalinks.
#include "config/RegistrySettings.h"
#include "feeds/FeedLinks.h"
#include "feeds/FeedParser.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

constexpr char FeedAddress[] = "http://feeds.example/blog/atom.xml";

// Three entries: html content and a relative link; xhtml content under an entry xml:base with an
// audio enclosure; text content, no link and a web address as id.
constexpr char Atom10Feed[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"en\">\n"
    "  <title type=\"text\">Example &amp; Co</title><subtitle>Sub</subtitle>\n"
    "  <link rel=\"self\" href=\"http://feeds.example/blog/atom.xml\"/>\n"
    "  <link href=\"../\"/><updated>2025-03-01T10:00:00Z</updated>\n"
    "  <entry><id>tag:feeds.example,2025:1</id><title type=\"html\">One &amp;amp; only</title>\n"
    "    <link rel=\"replies\" href=\"comments/1\"/><link rel=\"alternate\" href=\"posts/1\"/>\n"
    "    <updated>2025-03-01T09:00:00Z</updated><published>2025-02-28T08:00:00Z</published>\n"
    "    <content type=\"html\">&lt;p&gt;Hello &amp;amp; bye&lt;/p&gt;</content></entry>\n"
    "  <entry xml:base=\"http://other.example/base/\"><id>tag:feeds.example,2025:2</id>\n"
    "    <title>Two</title><link href=\"two.html\"/>\n"
    "    <link rel=\"enclosure\" type=\"audio/mpeg\" length=\"4321\" href=\"audio/two.mp3\"/>\n"
    "    <summary>Short</summary>\n"
    "    <content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p>One</p>"
    "<p>Two</p></div></content></entry>\n"
    "  <entry><id>https://feeds.example/e/3</id><title>Three</title>\n"
    "    <updated>2025-03-01T07:00:00Z</updated>\n"
    "    <content type=\"text\">a &lt; b &amp; c</content></entry>\n"
    "</feed>\n";

class WebFormatsTest : public ::testing::Test {
protected:
    bool Parse(const QByteArray& document, const QString& address = QString()) {
        return ParseFeedFile(record_, env_.WriteFile("feed", document), {address, QString()});
    }

    void SetMapping(int index, const char* key, const QString& value) {
        CRegistrySettings::ForQuillpost().WriteString(FieldMapKey::Section(index), key, value);
    }

    QString RssContent(const char* version, const QByteArray& children) {
        EXPECT_TRUE(Parse(QByteArray("<rss") + version + "><channel><item>" + children +
                          "</item></channel></rss>"));
        return record_.Items.empty() ? QString() : record_.Items.front().Content;
    }

    TestEnvironment env_;
    CFeedData record_;
};

TEST_F(WebFormatsTest, Atom10HeaderAndEntries) {
    ASSERT_TRUE(Parse(Atom10Feed, FeedAddress));
    EXPECT_EQ(record_.FeedType, FeedTypeAtom10);
    EXPECT_EQ(record_.Version, "Atom 1.0");
    EXPECT_EQ(record_.Title, "Example &amp; Co");
    EXPECT_EQ(record_.Description, "Sub");
    EXPECT_EQ(record_.Link, "http://feeds.example/");
    EXPECT_EQ(record_.Date, "2025-03-01T10:00:00Z");
    ASSERT_EQ(record_.Items.size(), 3u);

    const CFeedItemData& html = record_.Items[0];
    EXPECT_EQ(html.Guid, "tag:feeds.example,2025:1");
    EXPECT_EQ(html.Title, "One &amp;amp; only");
    EXPECT_EQ(html.Link, "http://feeds.example/blog/posts/1");
    EXPECT_EQ(html.Date, "2025-02-28T08:00:00Z"); // published, not updated
    EXPECT_EQ(html.Content, "&lt;p&gt;Hello &amp;amp; bye&lt;/p&gt;");

    const CFeedItemData& xhtml = record_.Items[1];
    EXPECT_EQ(xhtml.Link, "http://other.example/base/two.html");
    EXPECT_EQ(xhtml.Content, "<p>One</p><p>Two</p>"); // as written // the div wrapper removed
    EXPECT_EQ(xhtml.EnclosureUrl, "http://other.example/base/audio/two.mp3");
    EXPECT_EQ(xhtml.EnclosureLength, 4321);
    EXPECT_TRUE(xhtml.Date.isEmpty());

    // Literal text: one decoding for display gives back the escaped text.
    const CFeedItemData& text = record_.Items[2];
    EXPECT_EQ(text.Content, "a &amp;lt; b &amp;amp; c");
    EXPECT_EQ(text.Date, "2025-03-01T07:00:00Z");
    EXPECT_EQ(text.Link, "https://feeds.example/e/3");

    // A file without an address keeps relative links as written.
    ASSERT_TRUE(Parse(Atom10Feed));
    EXPECT_EQ(record_.Items[0].Link, "posts/1");
    EXPECT_EQ(record_.Items[1].Link, "http://other.example/base/two.html");
}

TEST_F(WebFormatsTest, Atom10HasItsOwnMappingSection) {
    SetMapping(6, "Date", "updated");
    ASSERT_TRUE(Parse(Atom10Feed));
    EXPECT_EQ(record_.Items[0].Date, "2025-02-28T08:00:00Z");
    SetMapping(7, "Date", "updated");
    SetMapping(7, "Content", "summary");
    ASSERT_TRUE(Parse(Atom10Feed));
    EXPECT_EQ(record_.Items[0].Date, "2025-03-01T09:00:00Z");
    EXPECT_EQ(record_.Items[1].Content, "Short");
}

TEST_F(WebFormatsTest, JsonFeedWithAttachments) {
    ASSERT_TRUE(Parse(R"({
      "version": "https://jsonfeed.org/version/1.1",
      "title": "JSON & more", "home_page_url": "https://json.example/",
      "description": "About <it>",
      "items": [
        {"id": "1", "url": "posts/1?a=1&b=2", "title": "First <b>",
         "content_html": "<p>Fish &amp; chips</p>", "content_text": "ignored",
         "date_published": "2025-03-01T10:00:00+01:00", "date_modified": "2025-03-02T10:00:00Z",
         "attachments": [
           {"url": "https://cdn.example/ep1.mp3", "mime_type": "audio/mpeg", "size_in_bytes": 987},
           {"url": "https://cdn.example/cover.png", "mime_type": "image/png"}]},
        {"id": "https://json.example/2", "content_text": "a < b & c",
         "date_modified": "2025-03-02T10:00:00Z"},
        {"id": 3, "title": "No link"},
        "not an item"
      ]})",
                      "https://json.example/feed.json"));
    EXPECT_EQ(record_.FeedType, FeedTypeJsonFeed);
    EXPECT_EQ(record_.Version, "JSON Feed 1.1");
    // Texts are escaped as an XML feed carries them.
    EXPECT_EQ(record_.Title, "JSON &amp; more");
    EXPECT_EQ(record_.Link, "https://json.example/");
    EXPECT_EQ(record_.Description, "About &lt;it&gt;");
    ASSERT_EQ(record_.Items.size(), 3u);

    const CFeedItemData& first = record_.Items[0];
    EXPECT_EQ(first.Guid, "1");
    EXPECT_EQ(first.Title, "First &lt;b&gt;");
    EXPECT_EQ(first.Link, "https://json.example/posts/1?a=1&amp;b=2");
    EXPECT_EQ(first.Content, "&lt;p&gt;Fish &amp;amp; chips&lt;/p&gt;");
    EXPECT_EQ(first.Date, "2025-03-01T10:00:00+01:00");
    EXPECT_EQ(first.EnclosureUrl, "https://cdn.example/ep1.mp3");
    EXPECT_EQ(first.EnclosureLength, 987);

    const CFeedItemData& second = record_.Items[1];
    EXPECT_EQ(second.Link, "https://json.example/2");
    EXPECT_EQ(second.Content, "a &amp;lt; b &amp;amp; c");
    EXPECT_EQ(second.Date, "2025-03-02T10:00:00Z");

    EXPECT_EQ(record_.Items[2].Guid, "3");
    EXPECT_TRUE(record_.Items[2].Link.isEmpty());
}

// Who wrote each item, in each format's own way; the text is kept as the document gives it.
TEST_F(WebFormatsTest, ItemAuthorsInEveryFormat) {
    const struct {
        const char* document;
        const char* author;
    } cases[] = {
        {"<rss version=\"2.0\"><channel><title>T</title><item><title>x</title>"
         "<author>jo@example.org (Jo Bloggs)</author></item></channel></rss>",
         "jo@example.org (Jo Bloggs)"},
        {"<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel>"
         "<title>T</title><item><title>x</title><dc:creator>Ann &amp; Co</dc:creator></item>"
         "</channel></rss>",
         "Ann &amp; Co"},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>T</title><entry><title>x</title>"
         "<author><email>b@example.org</email><name>Bea</name></author></entry></feed>",
         "Bea"},
        {R"({"version": "https://jsonfeed.org/version/1.1", "title": "J",
            "items": [{"id": "1", "title": "x", "authors": [{"name": "Cy"}]}]})",
         "Cy"},
        {R"({"version": "https://jsonfeed.org/version/1", "title": "J",
            "items": [{"id": "1", "title": "x", "author": {"name": "Di"}}]})",
         "Di"},
        {"<rss version=\"2.0\"><channel><title>T</title><item><title>x</title></item>"
         "</channel></rss>",
         ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Parse(c.document)) << c.document;
        ASSERT_EQ(record_.Items.size(), 1u) << c.document;
        EXPECT_EQ(record_.Items[0].Author, QString::fromUtf8(c.author)) << c.document;
    }
}

TEST_F(WebFormatsTest, RelativeLinksInContentBecomeAbsolute) {
    const QUrl base(FeedAddress);
    struct Case {
        const char* markup;
        const char* resolved;
    };
    const Case cases[] = {
        {"<a href=\"posts/2\">2</a>", "<a href=\"http://feeds.example/blog/posts/2\">2</a>"},
        {"&lt;img alt=x src=&quot;/i.png?a=1&amp;amp;b=2&quot;&gt;",
         "&lt;img alt=x src=&quot;http://feeds.example/i.png?a=1&amp;amp;b=2&quot;&gt;"},
        {"<IMG SRC='//cdn.example/x.png'>", "<IMG SRC='http://cdn.example/x.png'>"},
        {"<a href=\"https://a.example/\">", "<a href=\"https://a.example/\">"},
        {"<a href=\"mailto:me@a.example\">", "<a href=\"mailto:me@a.example\">"},
        {"<a href=\"javascript:go()\">", "<a href=\"javascript:go()\">"},
        {"<a href=\"#top\">", "<a href=\"#top\">"},
        {"see href=\"x\" in text", "see href=\"x\" in text"},
        {"<a href=\"never closed", "<a href=\"never closed"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveContentLinks(c.markup, base), c.resolved) << c.markup;
    EXPECT_EQ(ResolveContentLinks("<a href=\"x\">", QUrl()), "<a href=\"x\">");

    // Through the readers: Atom's xml:base on the content, JSON Feed against the feed's address.
    ASSERT_TRUE(Parse("<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><id>1</id>"
                      "<content type=\"html\" xml:base=\"/other/\">&lt;a href=\"p\"&gt;</content>"
                      "</entry></feed>",
                      FeedAddress));
    EXPECT_EQ(record_.Items.front().Content, "&lt;a href=\"http://feeds.example/other/p\"&gt;");
    ASSERT_TRUE(Parse(R"({"version": "https://jsonfeed.org/version/1.1",
                          "items": [{"id": "1", "content_html": "<img src=\"i.png\">"}]})",
                      "https://json.example/feeds/feed.json"));
    EXPECT_EQ(record_.Items.front().Content,
              "&lt;img src=&quot;https://json.example/feeds/i.png&quot;&gt;");
}

TEST_F(WebFormatsTest, FullContentForRss20And10) {
    const QByteArray teaser = "<description>Teaser</description>";
    const QByteArray full = "<content:encoded>&lt;p&gt;Full&lt;/p&gt;</content:encoded>";
    EXPECT_EQ(RssContent(" version=\"2.0\"", teaser + full), "&lt;p&gt;Full&lt;/p&gt;");
    EXPECT_EQ(RssContent(" version=\"2.0\"", full + teaser), "&lt;p&gt;Full&lt;/p&gt;");
    EXPECT_EQ(RssContent("", teaser + full), "&lt;p&gt;Full&lt;/p&gt;");
    EXPECT_EQ(RssContent(" version=\"0.91\"", teaser + full), "Teaser");
    ASSERT_TRUE(Parse("<rdf:RDF xmlns=\"http://purl.org/rss/1.0/\"><item>" + full + teaser +
                      "</item></rdf:RDF>"));
    EXPECT_EQ(record_.Items.front().Content, "&lt;p&gt;Full&lt;/p&gt;");

    // The RSS Mapping override still wins.
    SetMapping(5, "Content", "description");
    EXPECT_EQ(RssContent(" version=\"2.0\"", teaser + full), "Teaser");
    EXPECT_EQ(RssContent(" version=\"2.0\"", full + teaser), "Teaser");
}

TEST_F(WebFormatsTest, PermalinksStandInForMissingLinks) {
    struct Case {
        const char* children;
        const char* link;
    };
    const Case cases[] = {
        {"<guid>http://example.org/p/1</guid>", "http://example.org/p/1"},
        {"<guid isPermaLink=\"true\"> HTTPS://example.org/p/2 </guid>", "HTTPS://example.org/p/2"},
        {"<guid isPermaLink=\"false\">http://example.org/p/3</guid>", ""},
        {"<guid>urn:uuid:1234</guid>", ""},
        {"<link>http://example.org/own</link><guid>http://example.org/p/4</guid>",
         "http://example.org/own"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Parse(QByteArray("<rss version=\"2.0\"><channel><item>") + c.children +
                          "</item></channel></rss>"));
        EXPECT_EQ(record_.Items.front().Link, c.link) << c.children;
    }
    ASSERT_TRUE(Parse("<feed version=\"0.3\"><entry><id>http://example.org/a/1</id></entry>"
                      "<entry><id>tag:x,2005:2</id></entry></feed>"));
    EXPECT_EQ(record_.Items[0].Link, "http://example.org/a/1");
    EXPECT_EQ(record_.Items[1].Link, "");
}

} // namespace
