// What a reader sees of each item: mixed content, encoded content, script text, titles escaped
// twice, dates, prefixed roots, wide encodings and relative links. Each case is one small feed
// document; its title and content are checked as the programs show them (PlainText), its date as
// the merge stores it.
#include "feeds/FeedParser.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"
#include "text/DateFormat.h"
#include "text/MarkupText.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

constexpr char Address[] = "http://feeds.example/blog/feed.xml";

QByteArray Rss(const QByteArray& item) {
    return "<rss version=\"2.0\"><channel><title>C</title><item>" + item +
           "</item></channel></rss>";
}

QByteArray Atom03(const QByteArray& entry) {
    return "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\"><title>C</title><entry>" +
           entry + "</entry></feed>";
}

QByteArray Atom10(const QByteArray& entry) {
    return "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>C</title><entry>" + entry +
           "</entry></feed>";
}

// The one item of a document read as if it came from Address.
CFeedItemData OnlyItem(TestEnvironment& env, const QByteArray& document) {
    CFeedData record;
    EXPECT_TRUE(ParseFeedFile(record, env.WriteFile("feed.xml", document), {Address, {}}));
    EXPECT_EQ(record.Items.size(), 1u);
    return record.Items.empty() ? CFeedItemData() : record.Items[0];
}

struct TextCase {
    const char* name;
    QByteArray document;
    const char16_t* title;   // as shown
    const char16_t* content; // as shown
};

class ItemTextTest : public ::testing::TestWithParam<TextCase> {
protected:
    TestEnvironment env_;
};

TEST_P(ItemTextTest, ShowsEveryTextOfTheItem) {
    const TextCase& c = GetParam();
    const CFeedItemData item = OnlyItem(env_, c.document);
    EXPECT_EQ(PlainText(item.Title), QString::fromUtf16(c.title));
    EXPECT_EQ(PlainText(item.Content), QString::fromUtf16(c.content));
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, ItemTextTest,
    ::testing::Values(
        // Mixed content keeps the text between its child elements, in document order.
        TextCase{"atom10_xhtml",
                 Atom10("<title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
                        "Example <b>Atom</b></div></title>"
                        "<summary type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
                        "This is <b>XHTML</b> content.</div></summary>"),
                 u"Example Atom", u"This is XHTML  content."},
        TextCase{"atom03_inline_xml",
                 Atom03("<title mode=\"xml\" type=\"application/xhtml+xml\">Example <b>Atom</b>"
                        "</title><content type=\"application/xhtml+xml\" mode=\"xml\">"
                        "<div>One <i>two</i> three</div></content>"),
                 u"Example Atom", u"One two  three"},
        TextCase{"rss_unescaped_markup",
                 Rss("<title>T</title><description>before <p>inside</p> after "
                     "<a href=\"/x\">link</a></description>"),
                 u"T", u"before inside  after link"},
        // Base64 content is decoded; content that is no text is left out.
        TextCase{"atom03_base64",
                 Atom03("<title mode=\"base64\" type=\"text/html\">RXhhbXBsZSA8Yj5BdG9tPC9iPg=="
                        "</title><content mode=\"base64\" type=\"text/html\">"
                        "RXhhbXBsZSA8Yj5BdG9tPC9iPg==</content>"),
                 u"Example Atom", u"Example Atom"},
        TextCase{"atom10_octet_stream",
                 Atom10("<title>T</title><content type=\"application/octet-stream\">"
                        "RXhhbXBsZSA8Yj5BdG9tPC9iPg==</content>"),
                 u"T", u"Example <b>Atom</b>"},
        TextCase{"atom10_image",
                 Atom10("<title>T</title><content type=\"image/png\">"
                        "iVBORw0KGgoAAAANSUhEUgAAAAE=</content>"),
                 u"T", u""},
        // Script, style and comments are no text.
        TextCase{"rss_script",
                 Rss("<title>T</title><description>&lt;script type=\"text/javascript\"&gt;"
                     "location.href='http:/'+'/example.com/';&lt;/script&gt;&lt;style&gt;p "
                     "{color: red}&lt;/style&gt;safe &lt;!-- a &lt;b&gt; note --&gt;"
                     "description</description>"),
                 u"T", u"safe description"},
        // An html title is markup escaped once: its references stand for text, not tags.
        TextCase{"atom10_html_title",
                 Atom10("<title type=\"html\">Release &amp;lt;2.0&amp;gt; &lt;b&gt;now"
                        "&lt;/b&gt;</title>"),
                 u"Release <2.0> now", u""},
        // A prefixed Atom root is Atom.
        TextCase{"atom10_prefixed",
                 "<atom:feed xmlns:atom=\"http://www.w3.org/2005/Atom\"><atom:title>C"
                 "</atom:title><atom:entry><atom:title>Prefixed</atom:title><atom:content "
                 "type=\"html\">&lt;p&gt;Body&lt;/p&gt;</atom:content></atom:entry></atom:feed>",
                 u"Prefixed", u"Body"},
        // One NUL is one bad character.
        TextCase{
            "rss_nul",
            Rss(QByteArray("<title>T</title><description>before") + '\0' + "after</description>"),
            u"T", u"before\uFFFDafter"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ItemText, Utf32FeedsAreRead) {
    TestEnvironment env;
    const QString document = u"<?xml version=\"1.0\" encoding=\"UTF-32\"?><rss version=\"2.0\">"
                             u"<channel><title>Caf\u00E9</title><item><title>\U0001F600 "
                             u"\u65E5</title></item></channel></rss>"_qs;
    for (const auto encoding : {QStringConverter::Utf32LE, QStringConverter::Utf32BE})
        for (const bool byteOrderMark : {false, true}) {
            QStringEncoder encoder(encoding, byteOrderMark ? QStringConverter::Flag::WriteBom
                                                           : QStringConverter::Flag::Default);
            CFeedData record;
            ASSERT_TRUE(ParseFeedFile(record, env.WriteFile("feed.xml", encoder.encode(document))))
                << encoding << byteOrderMark;
            EXPECT_EQ(record.Title, u"Caf\u00E9"_qs);
            ASSERT_EQ(record.Items.size(), 1u);
            EXPECT_EQ(record.Items[0].Title, u"\U0001F600 \u65E5"_qs);
        }
}

struct LinkCase {
    const char* name;
    QByteArray document;
    const char* link; // as stored, references decoded
};

class ItemLinkTest : public ::testing::TestWithParam<LinkCase> {
protected:
    TestEnvironment env_;
};

// Relative links resolve against the feed's address, as every reader of the item needs a whole
// address; absolute ones stay as written.
TEST_P(ItemLinkTest, ResolvesAgainstTheFeedAddress) {
    const LinkCase& c = GetParam();
    EXPECT_EQ(UnwrapCData(DecodeEntities(OnlyItem(env_, c.document).Link)), c.link);
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, ItemLinkTest,
    ::testing::Values(
        LinkCase{"rss_relative", Rss("<link>posts/1?a=1&amp;b=2</link>"),
                 "http://feeds.example/blog/posts/1?a=1&b=2"},
        LinkCase{"rss_rooted_cdata", Rss("<link><![CDATA[/about]]></link>"),
                 "http://feeds.example/about"},
        LinkCase{"rss_xml_base",
                 "<rss version=\"2.0\"><channel xml:base=\"http://other.example/x/\"><item>"
                 "<link>y</link></item></channel></rss>",
                 "http://other.example/x/y"},
        LinkCase{"rss_absolute", Rss("<link>https://else.example/p?q=1&amp;r=2</link>"),
                 "https://else.example/p?q=1&r=2"},
        LinkCase{"atom03_relative", Atom03("<link rel=\"alternate\" href=\"../entry/2\"/>"),
                 "http://feeds.example/entry/2"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DateCase {
    const char* written;
    QDateTime expected;
};

class ItemDateTest : public ::testing::TestWithParam<DateCase> {
protected:
    TestEnvironment env_;
};

// A date as it travels from the document to the store: references and all.
TEST_P(ItemDateTest, StoresTheDateAsWritten) {
    const DateCase& c = GetParam();
    const QByteArray document = Rss(QByteArray("<dc:date>") + c.written + "</dc:date>");
    EXPECT_EQ(ParseItemDate(OnlyItem(env_, document).Date), c.expected) << c.written;
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, ItemDateTest,
    ::testing::Values(
        DateCase{"2003&#45;12&#45;31T10:14:55Z", QDateTime({2003, 12, 31}, {10, 14}, Qt::UTC)},
        DateCase{"20031231T101455+0100", QDateTime({2003, 12, 31}, {9, 14, 55}, Qt::UTC)},
        DateCase{"2002-12-31T19:20+01:00", QDateTime({2002, 12, 31}, {18, 20}, Qt::UTC)},
        DateCase{"2003-12", QDateTime({2003, 12, 1}, {0, 0}, Qt::UTC)},
        DateCase{"21 September 2012 17:05:00 GMT", QDateTime({2012, 9, 21}, {17, 5}, Qt::UTC)}));

} // namespace
