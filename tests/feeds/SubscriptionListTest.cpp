// Tests of OPML subscription lists and feed-search results.

#include "feeds/SubscriptionList.h"

#include "feeds/FeedListing.h"
#include "feeds/FeedParser.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class SubscriptionListTest : public ::testing::Test {
protected:
    bool ParseList(const QByteArray& document) {
        return ParseSubscriptionList(record_, env_.WriteFile("list.opml", document));
    }

    QStringList ItemTitles() const {
        QStringList titles;
        for (const auto& item : record_.Items)
            titles << item.Title;
        return titles;
    }

    TestEnvironment env_;
    CFeedData record_;
};

TEST_F(SubscriptionListTest, GenericListWalksFoldersDepthFirst) {
    ASSERT_TRUE(ParseList(
        "<opml version=\"1.1\"><head><title><![CDATA[ My Feeds ]]></title>"
        "<dateCreated>Mon, 03 Jan 2005</dateCreated></head><body>"
        "<outline text=\"News\"><outline title=\"A\" text=\"a\" xmlUrl=\"http://a/\" "
        "description=\"about A\"/><outline text=\"Deep\"><outline text=\"B\" "
        "xmlUrl=\"http://b/\"/></outline></outline>"
        "<outline text=\"no address\"/><outline title=\"\" text=\"\" xmlUrl=\"http://x/\"/>"
        "<outline text=\"C\" xmlUrl=\"http://c/\"></outline>"
        "<outline text=\"D\" xmlUrl=\"http://d/\"/></body></opml>"));
    EXPECT_EQ(record_.Version, "OPML Subscription (generic)");
    EXPECT_EQ(record_.FeedType, FeedTypeUnknown);
    EXPECT_EQ(record_.Title, "My Feeds");
    EXPECT_EQ(record_.Date, "Mon, 03 Jan 2005");
    // An outline with an address is a feed, with or without an end tag; one without either
    // title or text is named by its address.
    EXPECT_EQ(ItemTitles(), QStringList({"A", "B", "http://x/", "C", "D"}));
    EXPECT_EQ(record_.Items[0].Link, "http://a/");
    EXPECT_EQ(record_.Items[0].Content, "about A");
}

TEST_F(SubscriptionListTest, SharpReaderListsTakeRssEntriesOnly) {
    ASSERT_TRUE(ParseList("<opml><head><title>SharpReader subscriptions</title></head><body>"
                          "<outline title=\"R\" xmlUrl=\"http://r/\" type=\"rss\"/>"
                          "<outline title=\"L\" xmlUrl=\"http://l/\" type=\"link\"/>"
                          "<outline title=\"\" type=\"rss\"/></body></opml>"));
    EXPECT_EQ(record_.Version, "OPML SharpReader");
    EXPECT_EQ(record_.Title, "SharpReader subscriptions");
    EXPECT_EQ(ItemTitles(), QStringList({"R", ""}));

    ASSERT_TRUE(
        ParseList("<opml><head><title></title><x>SharpReader</x></head><body>"
                  "<outline title=\"R\" xmlUrl=\"http://r/\" type=\"rss\"/></body></opml>"));
    EXPECT_TRUE(record_.Title.startsWith("Subscription: ")) << record_.Title.toStdString();
}

// As exported before the first reload, feeds have an empty title and no text; others carry
// only a text. Both kinds of list name each feed by its title, else text, else address.
TEST_F(SubscriptionListTest, FeedsWithoutTitleAreNamedByTextOrAddress) {
    const QByteArray outlines =
        "<outline type=\"rss\" xmlUrl=\"http://a/\" htmlUrl=\"http://a/\" title=\"A\"/>"
        "<outline type=\"rss\" xmlUrl=\"http://b/\" htmlUrl=\"\" title=\"\"/>"
        "<outline type=\"rss\" text=\"C\" xmlUrl=\"http://c/\"/>"
        "<outline type=\"rss\" title=\"\" text=\"D\" xmlUrl=\"http://d/\"/>";
    for (const QByteArray head : {"Exported Feeds", "SharpReader subscriptions"}) {
        ASSERT_TRUE(ParseList("<?xml version=\"1.0\"?><opml version=\"2.0\"><head><title>" + head +
                              "</title></head><body>" + outlines + "</body></opml>"));
        EXPECT_EQ(ItemTitles(), QStringList({"A", "http://b/", "C", "D"})) << head.constData();
        ASSERT_EQ(record_.Items.size(), 4u);
        EXPECT_EQ(record_.Items[3].Link, "http://d/");
    }
}

TEST_F(SubscriptionListTest, NonOpmlIsRefused) {
    EXPECT_FALSE(ParseList("<rss version=\"2.0\"><channel/></rss>"));
    EXPECT_FALSE(ParseList("\x89PNG\r\n\x1a\n\0\0binary"));
    EXPECT_FALSE(ParseList(""));
}

TEST_F(SubscriptionListTest, OversizedListsAreRefusedUnread) {
    const QByteArray list = "<opml><body><outline text=\"A\" xmlUrl=\"http://a/\"/></body></opml>";
    ASSERT_TRUE(ParseList(list));
    EXPECT_FALSE(ParseList(list + QByteArray(MaxSubscriptionFileBytes, ' ')));
    EXPECT_TRUE(IsSubscriptionFileTooLarge(env_.Path("list.opml")));
}

TEST_F(SubscriptionListTest, OpmlReadAsAFeedListsSubOutlines) {
    const QByteArray body = "<body><outline text=\"Top\" htmlUrl=\"http://top/\" "
                            "description=\"Desc\"><outline text=\"A\" description=\"a1\">"
                            "<outline text=\"A1\"/></outline><outline text=\"B\"/></outline>"
                            "<other text=\"skipped\"/><outline text=\"Second\"/></body>";
    ASSERT_TRUE(ParseFeedFile(record_, env_.WriteFile("v10.opml", "<opml version=\"1.0\"><head>"
                                                                  "<title>Ten</title></head>" +
                                                                      body + "</opml>")));
    EXPECT_EQ(record_.Version, "OPML v1.0");
    EXPECT_EQ(record_.Title, "Ten");
    EXPECT_EQ(ItemTitles(), QStringList({"Top", "Second"}));
    EXPECT_EQ(record_.Items[0].Link, "http://top/");
    EXPECT_EQ(record_.Items[0].Content, "- A\n-- A1\n- B\n");

    ASSERT_TRUE(ParseFeedFile(
        record_, env_.WriteFile("v11.opml", "<opml version=\"1.1\"><head/>" + body + "</opml>")));
    EXPECT_EQ(record_.Title, "Opml Data");
    EXPECT_EQ(record_.Items[0].Content, "Desc\n-- A: a1-- A1\n\n-- B");
}

TEST_F(SubscriptionListTest, OnlineListingByCategoryPosition) {
    CXmlDocument document;
    ASSERT_TRUE(document.Parse(
        "<feeds version=\"1\"><category name=\"News\"><feed label=\"N1\" url=\"http://n1/\" "
        "description=\"first\"/><feed label=\"N2\" url=\"http://n2/\"/></category>"
        "<note><feed label=\"inside note\" url=\"u\"/></note>"
        "<category name=\"Tech\"><feed label=\"T1\" url=\"http://t1/\"/></category></feeds>"));
    EXPECT_TRUE(IsFeedListing(document));
    EXPECT_EQ(ListingCategories(document), QStringList({"News", "Tech"}));
    const auto news = ListingFeeds(document, 0);
    ASSERT_EQ(news.size(), 2u);
    EXPECT_EQ(news[0].label, "N1");
    EXPECT_EQ(news[0].url, "http://n1/");
    EXPECT_EQ(news[0].description, "first");
    // Position 1 counts the note element, not the second category.
    ASSERT_EQ(ListingFeeds(document, 1).size(), 1u);
    EXPECT_EQ(ListingFeeds(document, 1)[0].label, "inside note");
    EXPECT_TRUE(ListingFeeds(document, 5).empty());

    ASSERT_TRUE(document.Parse("<feeds version=\"2\"><category name=\"x\"/></feeds>"));
    EXPECT_FALSE(IsFeedListing(document));
}

} // namespace
