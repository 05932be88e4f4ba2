// Tests of format detection and feed parsing.

#include "feeds/FeedParser.h"

#include "config/RegistrySettings.h"
#include "feeds/SubscriptionList.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class FeedParserTest : public ::testing::Test {
protected:
    // Parses a document given as text; the record keeps what the parse left.
    bool Parse(const QByteArray& document) {
        return ParseFeedFile(record_, env_.WriteFile("feed.xml", document));
    }

    QString Rss20Item(const QByteArray& children) {
        EXPECT_TRUE(Parse("<rss version=\"2.0\"><channel><title>T</title><item>" + children +
                          "</item></channel></rss>"));
        return record_.Items.empty() ? QString() : record_.Items.front().Title;
    }

    const CFeedItemData& OnlyItem() {
        EXPECT_EQ(record_.Items.size(), 1u);
        return record_.Items.front();
    }

    void SetMapping(int index, const char* key, const QString& value) {
        CRegistrySettings::ForQuillpost().WriteString(FieldMapKey::Section(index), key, value);
    }

    TestEnvironment env_;
    CFeedData record_;
};

struct DetectCase {
    const char* document;
    qint16 type;
    const char* version;
};

TEST_F(FeedParserTest, DetectsEveryFormat) {
    const DetectCase cases[] = {
        {"<rdf:RDF xmlns=\"http://purl.org/rss/1.0/\"><channel/></rdf:RDF>", FeedTypeRss10,
         "RSS v1.0"},
        {"<rdf:RDF XMLNS=\"http://my.netscape.com/rdf/simple/0.9/\"><channel/></rdf:RDF>",
         FeedTypeRss090, "RSS v0.90"},
        {"<rdf:RDF xmlns=\"http://purl.org/rss/1.0\"><channel/></rdf:RDF>", FeedTypeUnknown, ""},
        {"<rss version=\"0.91\"><channel/></rss>", FeedTypeRss091, "RSS v0.91"},
        {"<rss version=\"0.92\"><channel/></rss>", FeedTypeRss092, "RSS v0.92"},
        {"<rss version=\"0.93\"><channel/></rss>", FeedTypeRss093, "RSS v0.93"},
        {"<rss version=\"2.0\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version=\"2\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version=\"0.94\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version=\"1.0\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version=\"2.01\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version=\"2.1\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version=\"3.0\"><channel/></rss>", FeedTypeUnknown, ""},
        // Without a version, or with one the reader cannot take, it is read as RSS 2.0.
        {"<rss><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<rss version = \"0.91\"><channel/></rss>", FeedTypeRss20, "RSS v2.0"},
        {"<RSS version=\"2.0\"><channel/></RSS>", FeedTypeUnknown, ""},
        {"<feed version=\"0.3\"><title>x</title></feed>", FeedTypeAtom03, "ATOM v0.3"},
        {"<feed version=\"1.0\"><title>x</title></feed>", FeedTypeUnknown, ""},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>x</title></feed>", FeedTypeAtom10,
         "Atom 1.0"},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom/\"><title>x</title></feed>", FeedTypeUnknown,
         ""},
        {"{\"version\": \"https://jsonfeed.org/version/1.1\", \"items\": []}", FeedTypeJsonFeed,
         "JSON Feed 1.1"},
        {"\xEF\xBB\xBF {\"version\": \"https://jsonfeed.org/version/1\"}", FeedTypeJsonFeed,
         "JSON Feed 1.0"},
        {"{\"version\": \"https://example.org/version/1\", \"items\": []}", FeedTypeUnknown, ""},
        {"{\"version\": \"https://jsonfeed.org/version/1.1\", ", FeedTypeUnknown, ""},
        {"<opml version=\"1.0\"><body/></opml>", FeedTypeOpml10, "OPML v1.0"},
        {"<opml version=\"1.1\"><body/></opml>", FeedTypeOpml11, "OPML v1.1"},
        {"<opml version=\"2.0\"><head><title>SharpReader list</title></head><body/></opml>",
         FeedTypeOpmlSharpReader, "OPML SharpReader"},
        {"<opml><head><title>sharpreader</title></head><body><outline/></body></opml>",
         FeedTypeOpmlGeneric, "OPML Subscription (generic)"},
        {"<opml><head/><body/></opml>", FeedTypeUnknown, ""},
        {"<html><body>not a feed</body></html>", FeedTypeUnknown, ""},
    };
    for (const auto& c : cases) {
        const bool supported = c.type != FeedTypeUnknown;
        EXPECT_EQ(Parse(c.document), supported) << c.document;
        EXPECT_EQ(record_.FeedType, c.type) << c.document;
        EXPECT_EQ(record_.Version, c.version) << c.document;
        EXPECT_EQ(record_.SourcePath.isEmpty(), !supported) << c.document;
    }
}

TEST(FeedTypeName, NamesShownForStoredFeeds) {
    const std::pair<qint16, const char*> names[] = {
        {FeedTypeRss090, "RSS 0.90"}, {FeedTypeRss093, "RSS 0.93"},
        {FeedTypeRss20, "RSS 2.0"},   {FeedTypeAtom03, "Atom 0.03"},
        {FeedTypeAtom10, "Atom 1.0"}, {FeedTypeJsonFeed, "JSON Feed"},
        {FeedTypeOpml10, "Unknown"},  {FeedTypeSearchResults, "Unknown"},
        {FeedTypeUnknown, "Unknown"}, {99, "Unknown"},
    };
    for (const auto& [type, name] : names)
        EXPECT_EQ(FeedTypeName(type), name) << type;
}

TEST_F(FeedParserTest, SearchResultDocumentsAreNotFeeds) {
    CXmlDocument document;
    ASSERT_TRUE(document.Parse("<rss version=\"2.0\"><channel/></rss>"));
    EXPECT_EQ(DetectFeedType(document), FeedTypeRss20);
    EXPECT_FALSE(Parse("not markup at all"));
    EXPECT_EQ(record_.FeedType, FeedTypeUnknown);
    EXPECT_FALSE(ParseFeedFile(record_, env_.Path("missing.xml")));
}

TEST_F(FeedParserTest, ChannelHeaderRules) {
    const QByteArray channel =
        "<channel><title><![CDATA[ Cdata <b>Title</b> ]]></title><link>L</link>"
        "<description>D &amp; E</description><dc:date>2005-01-01</dc:date>"
        "<LastBuildDate>Mon, 03 Jan 2005</LastBuildDate><item><title>i</title></item>"
        "</channel>";
    ASSERT_TRUE(Parse("<rss version=\"2.0\">" + channel + "</rss>"));
    EXPECT_EQ(record_.Title, "Cdata <b>Title</b>");
    EXPECT_EQ(record_.Link, "L");
    EXPECT_EQ(record_.Description, "D &amp; E");
    EXPECT_EQ(record_.Date, "Mon, 03 Jan 2005");
    EXPECT_EQ(record_.Items.size(), 1u);

    // Before 2.0 the title keeps its CDATA markers.
    ASSERT_TRUE(Parse("<rss version=\"0.92\">" + channel + "</rss>"));
    EXPECT_EQ(record_.Title, "<![CDATA[ Cdata <b>Title</b> ]]>");

    ASSERT_TRUE(Parse("<rss version=\"2.0\"><channel><lastBuildDate>A</lastBuildDate>"
                      "<dc:date>B</dc:date><title>one</title><title>two</title></channel></rss>"));
    EXPECT_EQ(record_.Date, "A");
    EXPECT_EQ(record_.Title, "two");
}

TEST_F(FeedParserTest, BlankTitlesGetDistinctGeneratedOnes) {
    ASSERT_TRUE(Parse("<rss version=\"2.0\"><channel><title> \t\r\n</title></channel></rss>"));
    const QString first = record_.Title;
    ASSERT_TRUE(Parse("<rss version=\"0.91\"><channel></channel></rss>"));
    EXPECT_TRUE(first.startsWith("No Title: "));
    EXPECT_TRUE(record_.Title.startsWith("No Title: "));
    EXPECT_NE(first, record_.Title);
    EXPECT_GT(first.mid(10).toInt(), 0);
}

TEST_F(FeedParserTest, RdfItemsAreChildrenOfTheRoot) {
    ASSERT_TRUE(Parse("<rdf:RDF xmlns=\"http://purl.org/rss/1.0/\"><channel><title>R</title>"
                      "<items><rdf:Seq/></items></channel><item><title>1</title></item>"
                      "<image><title>logo</title></image><item><title>2</title>"
                      "<dc:date>2005-01-03T10:30:00Z</dc:date></item></rdf:RDF>"));
    ASSERT_EQ(record_.Items.size(), 2u);
    EXPECT_EQ(record_.Items[0].Title, "1");
    EXPECT_EQ(record_.Items[1].Title, "2");
    EXPECT_EQ(record_.Items[1].Date, "2005-01-03T10:30:00Z");
}

TEST_F(FeedParserTest, RssItemRulesWithoutOverrides) {
    Rss20Item("<title>first</title><title>second</title><link>L1</link><link>L2</link>"
              "<dc:date>DC</dc:date><pubDate>P1</pubDate><pubDate>P2</pubDate>"
              "<description>D</description><guid isPermaLink=\"false\">G</guid>"
              "<enclosure url=\"a.mp3\" length=\"12x\" type=\"audio/mpeg\"/>"
              "<enclosure url=\"b.ogg\" length=\"9\" type=\"audio/ogg\"/>"
              "<enclosure url=\"c.mp3\" type=\"Audio/mpeg\"/>");
    const CFeedItemData& item = OnlyItem();
    EXPECT_EQ(item.Title, "first");
    EXPECT_EQ(item.Link, "L1");
    EXPECT_EQ(item.Date, "P2");
    EXPECT_EQ(item.Content, "D");
    EXPECT_EQ(item.Guid, "G");
    EXPECT_EQ(item.EnclosureUrl, "a.mp3");
    EXPECT_EQ(item.EnclosureLength, 12);

    Rss20Item("<pubDate>P</pubDate><dc:date>DC</dc:date>"
              "<enclosure url=\"n.mp3\" type=\"audio/mpeg\"/>");
    EXPECT_EQ(OnlyItem().Date, "P");
    EXPECT_EQ(OnlyItem().EnclosureLength, 0);
}

TEST_F(FeedParserTest, OverridesReadFromTheStoreOnEveryParse) {
    const QByteArray children = "<dc:date>DC</dc:date><pubDate>P</pubDate>"
                                "<body><p>Rich</p></body><description>D</description>"
                                "<headline>H</headline><title>T</title>";
    Rss20Item(children);
    EXPECT_EQ(OnlyItem().Date, "P");
    EXPECT_EQ(OnlyItem().Content, "D");

    SetMapping(5, "Date", "DC:Date");
    SetMapping(5, "Content", "body");
    SetMapping(5, "Title", "headline");
    Rss20Item(children);
    EXPECT_EQ(OnlyItem().Date, "DC");
    EXPECT_EQ(OnlyItem().Title, "H");
    // The override element has children and XmlChildren is off: its own text is empty.
    EXPECT_EQ(OnlyItem().Content, "D");

    CRegistrySettings::ForQuillpost().WriteInt(FieldMapKey::Section(5), "XmlChildren", 1);
    Rss20Item(children);
    EXPECT_EQ(OnlyItem().Content, "<p>Rich</p>"); // as written

    // Another format's section does not apply.
    ASSERT_TRUE(
        Parse("<rss version=\"0.91\"><channel><item>" + children + "</item></channel></rss>"));
    EXPECT_EQ(OnlyItem().Date, "P");
}

TEST_F(FeedParserTest, ContentOverrideWinsWhateverTheOrder) {
    SetMapping(5, "Content", "content:encoded");
    Rss20Item("<content:encoded>E</content:encoded><description>D</description>");
    EXPECT_EQ(OnlyItem().Content, "E");
    Rss20Item("<description>D</description><content:encoded>E</content:encoded>");
    EXPECT_EQ(OnlyItem().Content, "E");
}

TEST_F(FeedParserTest, AtomFeedAndEntries) {
    ASSERT_TRUE(Parse(
        "<feed version=\"0.3\"><title><![CDATA[Atom]]></title><link rel=\"alternate\" "
        "href=\"http://a/\"/><link rel=\"self\" href=\"http://a/feed\"/><tagline>Tag</tagline>"
        "<modified>2005-01-03T10:30:00Z</modified>"
        "<entry><id>E1</id><title>one</title><link href=\"http://a/1\"/><link href=\"x\"/>"
        "<issued>I</issued><summary>S</summary><content type=\"application/xhtml+xml\">"
        "<div><p>C</p></div></content></entry>"
        "<entry><title>two</title><content type=\"text/html\">&lt;b&gt;</content>"
        "<summary>S2</summary></entry></feed>"));
    EXPECT_EQ(record_.Title, "Atom");
    EXPECT_EQ(record_.Link, "http://a/feed");
    EXPECT_EQ(record_.Description, "Tag");
    EXPECT_EQ(record_.Date, "2005-01-03T10:30:00Z");
    ASSERT_EQ(record_.Items.size(), 2u);
    EXPECT_EQ(record_.Items[0].Guid, "E1");
    EXPECT_EQ(record_.Items[0].Link, "http://a/1");
    EXPECT_EQ(record_.Items[0].Date, "I");
    EXPECT_EQ(record_.Items[0].Content, "<div><p>C</p></div>"); // as written
    EXPECT_EQ(record_.Items[1].Content, "&lt;b&gt;");
}

TEST_F(FeedParserTest, SearchResultLinksComeFromTheSource) {
    SetMapping(-1, "Link", "comments");
    ASSERT_TRUE(ParseSearchResults(
        record_, env_.WriteFile("s.xml", "<rss version=\"2.0\"><channel><title>Found</title>"
                                         "<item><title>r</title><link>L</link><comments>C"
                                         "</comments><source url=\"http://feed/\">F</source>"
                                         "</item></channel></rss>")));
    EXPECT_EQ(record_.FeedType, FeedTypeSearchResults);
    EXPECT_EQ(OnlyItem().Link, "http://feed/");
    EXPECT_FALSE(ParseSearchResults(
        record_, env_.WriteFile("s.xml", "<rss version=\"0.92\"><channel/></rss>")));
    EXPECT_EQ(record_.FeedType, FeedTypeRss092);
}

} // namespace

// A feed's own picture: RSS's channel image (the root's in RDF), Atom's icon before its logo,
// JSON Feed's favicon before its icon; references decoded, relative addresses resolved against
// the feed's, nothing when the feed names none.
TEST_F(FeedParserTest, FeedIconElements) {
    const std::pair<const char*, const char*> cases[] = {
        {"<rss version=\"2.0\"><channel><title>T</title><image><url> https://cdn.example.net/"
         "logo.png?a=1&amp;b=2 </url><title>T</title></image><item><title>i</title>"
         "<image><url>https://item.example/no.png</url></image></item></channel></rss>",
         "https://cdn.example.net/logo.png?a=1&b=2"},
        {"<rss version=\"0.91\"><channel><title>T</title><image><url>/img/icon.gif</url>"
         "</image></channel></rss>",
         "https://example.org/img/icon.gif"},
        {"<rdf:RDF xmlns=\"http://purl.org/rss/1.0/\"><channel><title>T</title></channel>"
         "<image><url>rdf.png</url></image></rdf:RDF>",
         "https://example.org/blog/rdf.png"},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>T</title><logo>/logo.png</logo>"
         "<icon>/favicon.png</icon></feed>",
         "https://example.org/favicon.png"},
        {"<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"https://static.example.com/a/\">"
         "<title>T</title><logo>wide.png</logo></feed>",
         "https://static.example.com/a/wide.png"},
        {"{\"version\":\"https://jsonfeed.org/version/1.1\",\"title\":\"T\",\"icon\":"
         "\"/big.png\",\"favicon\":\"/small.png\",\"items\":[]}",
         "https://example.org/small.png"},
        {"{\"version\":\"https://jsonfeed.org/version/1\",\"title\":\"T\",\"icon\":"
         "\"https://example.com/big.png\",\"items\":[]}",
         "https://example.com/big.png"},
        {"<rss version=\"2.0\"><channel><title>T</title></channel></rss>", ""},
    };
    for (const auto& [document, icon] : cases) {
        SCOPED_TRACE(document);
        ASSERT_TRUE(ParseFeedFile(record_, env_.WriteFile("feed.xml", document),
                                  {QStringLiteral("https://example.org/blog/feed.xml"), {}}));
        EXPECT_EQ(record_.IconUrl, QString::fromUtf8(icon));
    }
}
