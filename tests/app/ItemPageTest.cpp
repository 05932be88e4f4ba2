// Tests of the item page: its body, colours, font sizes and links.

#include "app/ItemPage.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

CFeedItemRecord Item(const QString& title, const QString& link, const QString& author = {}) {
    CFeedItemRecord item;
    item.Title = title;
    item.Link = link;
    item.Author = author;
    return item;
}

} // namespace

TEST(ItemPageTest, BodyJoinsFeedTitleLinkDateAndDescription) {
    const struct {
        CFeedItemRecord item;
        QString date;
        QString description;
        QString body;
    } cases[] = {
        {Item("T", ""), "", "", "Feed<br><br>T<br> - no description"},
        {Item("T", "http://x/"), "Today, 10:00", "a\nb\tc &amp; d",
         "Feed<br><br><a href='http://x/'>T</a><br><i>Today, 10:00</i><br>a<br>b&nbsp;&nbsp;c & d"},
        {Item("T", ""), "", "<![CDATA[<b>x</b>]]>", "Feed<br><br>T<br> <b>x</b>"},
        // The author follows the date, escaped as the plain text it is.
        {Item("T", "", "Jo <Bloggs>"), "Today, 10:00", "d",
         "Feed<br><br>T<br><i>Today, 10:00 \u2014 Jo &lt;Bloggs&gt;</i><br>d"},
        {Item("T", "", "Jo"), "", "d", "Feed<br><br>T<br><i>Jo</i><br>d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposeItemBody("Feed", c.item, c.date, c.description), c.body);
}

TEST(ItemPageTest, PageCarriesTheColoursRedFirst) {
    EXPECT_EQ(WrapItemPage("B", {0xFFFFFF, 0xC07B7B, 0x123456}),
              "<html><body bgcolor='#FFFFFF' text='#7B7BC0' link='#563412'>B</body></html>");
}

TEST(ItemPageTest, FontSizesGiveTheirWordAndZoomLevel) {
    const std::tuple<int, const char*, int> cases[] = {{7, "smallest", -1}, {8, "smaller", 0},
                                                       {9, "normal", 1},    {10, "larger", 2},
                                                       {11, "normal", 1},   {12, "largest", 3}};
    for (const auto& [size, word, zoom] : cases) {
        EXPECT_EQ(FontSizeWord(size), QString::fromLatin1(word)) << size;
        EXPECT_EQ(ZoomLevel(FontSizeWord(size)), zoom) << size;
    }
}

TEST(ItemPageTest, OnlyWebAndMailLinksAreOpenable) {
    const std::pair<const char*, bool> cases[] = {
        {"http://example.org/", true},
        {"HTTPS://example.org/a", true},
        {"mailto:a@example.org", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"data:text/html,x", false},
        {"ftp://example.org/", false},
        {"http:///nohost", false},
        {"mailto:a@b.c?subject=Hi&body=x", true},
        {"mailto:a@b.c?attach=/etc/passwd", false},
        {"mailto:a@b.c?subject=x&Attachment=file:///etc/passwd", false},
        {"mailto:a@b.c?%61ttach=/etc/passwd", false},
        {"MAILTO:a@b.c?ATTACH=%2Fetc%2Fpasswd", false},
    };
    for (const auto& [link, openable] : cases)
        EXPECT_EQ(IsOpenableLink(QUrl(QString::fromLatin1(link))), openable) << link;
}

TEST(ItemPageTest, DisplayedMarkupLosesScriptsAndDeepTables) {
    EXPECT_EQ(DisplayableMarkup("a<SCRIPT type='x'>alert(1)</script>b<script>c"), "ab");
    const QString nested =
        QString("<table><tr><td>").repeated(10) + "x" + QString("</td></tr></table>").repeated(10);
    const QString shown = DisplayableMarkup(nested);
    EXPECT_EQ(shown.count("<table>"), 4);
    EXPECT_EQ(shown.count("</table>"), 4);
    EXPECT_TRUE(shown.contains("x"));
}
