// Tests of the markup text helpers.

#include "text/MarkupText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    QString input;
    QString expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.input.toStdString();
}

class DecodeEntitiesTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(DecodeEntitiesTest, Decodes) {
    EXPECT_EQ(DecodeEntities(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DecodeEntitiesTest,
    ::testing::Values(
        TextCase{"AT&T; more", "AT&T; more"}, TextCase{"fish & chips", "fish & chips"},
        TextCase{"&AMP; &Amp; &amp;", "& & &"}, TextCase{"&EACUTE;", "&EACUTE;"},
        TextCase{"&Eacute;&eacute;", u"\u00C9\u00E9"_qs},
        TextCase{"&iexcl;&frac14;&frac12;&frac34;&yuml;", u"\u00A1\u00BC\u00BD\u00BE\u00FF"_qs},
        TextCase{"a&nbsp;b&sp;c", "a b c"}, TextCase{"&lpar;&bsol;&rpar;", "(\\)"},
        TextCase{"it&#8217;s", u"it\u2019s"_qs}, TextCase{"&#039;", "'"},
        TextCase{"&#x41;&#X2019;&#xe9;", u"A\u2019\u00E9"_qs},
        TextCase{"&#65601;", QString::fromUcs4(U"\U00010041", 1)},
        // Up to eight digits in either base; above U+FFFF a surrogate pair.
        TextCase{"&#128512;&#x1F600;", QString::fromUcs4(U"\U0001F600\U0001F600", 2)},
        TextCase{"&#00000065;&#x00000041;", "AA"},
        TextCase{"&#000000065;&#x000000041;", "&#000000065;&#x000000041;"},
        // No reference gives NUL or a control no XML file may hold; tab stays.
        TextCase{"&#0;&#x0;&#;&#x;&#1;&#x1F;&#9;", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\t"_qs},
        TextCase{"&#1234567;&#xD800;&#-65;&#xFFFFFFFF;", u"\uFFFD\uFFFD\uFFFD\uFFFD"_qs},
        // A decoded ampersand never starts another reference.
        TextCase{"&amp;lt;", "&lt;"}, TextCase{"&amp;amp;x", "&amp;x"},
        TextCase{"&bogus; &lt;", "&bogus; <"}, TextCase{"&a&lt;", "&a<"}, TextCase{"", ""}));

// HTML's full table after the basic and Latin-1 ones, names of any length, case counting.
INSTANTIATE_TEST_SUITE_P(
    HtmlNames, DecodeEntitiesTest,
    ::testing::Values(
        TextCase{"wait&hellip; it&rsquo;s &ldquo;x&rdquo; &mdash; &euro;5",
                 u"wait\u2026 it\u2019s \u201Cx\u201D \u2014 \u20AC5"_qs},
        TextCase{"&alefsym;&thetasym;&Omega;&rarr;&hArr;&forall;&infin;&ne;&le;",
                 u"\u2135\u03D1\u03A9\u2192\u21D4\u2200\u221E\u2260\u2264"_qs},
        TextCase{"&CounterClockwiseContourIntegral;", u"\u2233"_qs},
        TextCase{"&NotEqualTilde;", u"\u2242\u0338"_qs},
        TextCase{"&Afr;", QString::fromUcs4(U"\U0001D504", 1)},
        // The basic table still comes first: &nbsp; and &hyphen; stay as they were read.
        TextCase{"a&nbsp;b&hyphen;c&NBSP;d", "a b-c d"},
        TextCase{"&Hellip; &HELLIP;", "&Hellip; &HELLIP;"},
        TextCase{"&CounterClockwiseContourIntegralX;", "&CounterClockwiseContourIntegralX;"},
        TextCase{u"&h\u00E9llip; &amp;hellip;"_qs, u"&h\u00E9llip; &hellip;"_qs}));

// Long texts, so that a control is found in every part of the check: at the start, inside and at
// the edges of the blocks checked at once, and in the tail after the last whole block. The
// filler holds the controls that stay and characters whose low byte looks like a control.
TEST(ForbiddenControls, FoundAndReplacedWhereverTheyStand) {
    const QString filler = u"x\t\n\r \u0101\u0109\uFFFD"_qs.repeated(41);
    EXPECT_EQ(FirstForbiddenControl(filler), -1);
    EXPECT_EQ(ReplaceForbiddenControls(filler), filler);
    EXPECT_EQ(FirstForbiddenControl(QString()), -1);
    for (const qsizetype at : {0, 1, 63, 64, 65, 127, 200, 319, 320, 327})
        for (const char16_t control : {u'\0', u'\x01', u'\x0B', u'\x1F'}) {
            QString text = filler;
            text[at] = QChar(control);
            QString expected = filler;
            expected[at] = QChar::ReplacementCharacter;
            EXPECT_EQ(FirstForbiddenControl(text), at) << at;
            EXPECT_EQ(ReplaceForbiddenControls(text), expected) << at;
        }
    // In UTF-8 the bytes of other characters never pass for controls.
    const QByteArray utf8 = filler.toUtf8();
    EXPECT_EQ(FirstForbiddenControl(QByteArrayView(utf8)), -1);
    for (const qsizetype at : {0, 63, 64, 200, 400, 448, 490})
        for (const char control : {'\0', '\x01', '\x1F'}) {
            QByteArray bytes = utf8;
            bytes[at] = control;
            EXPECT_EQ(FirstForbiddenControl(QByteArrayView(bytes)), at) << at;
        }
}

TEST(StripTags, ReplacesTagsBySingleSpaces) {
    EXPECT_EQ(StripTags("A <b>bold</b>word"), "A bold word");
    // Only white space before a tag is dropped.
    EXPECT_EQ(StripTags("A <b>bold</b> word"), "A bold  word");
    EXPECT_EQ(StripTags("a < b"), "a < b");
    EXPECT_EQ(StripTags("x<br/>\ty"), "x  y");
    EXPECT_EQ(StripTags("<![CDATA[ <p>Hi &amp; bye</p> ]]>"), "Hi &amp; bye");
    EXPECT_EQ(StripTags("one <p>two <x"), "one two <x");
    EXPECT_EQ(StripTags("  \t"), "");
}

// Script and style hold code, and comments notes: none of them is text a reader should see.
TEST(StripTags, LeavesOutScriptStyleAndComments) {
    EXPECT_EQ(StripTags("safe<script type=\"text/javascript\">location.href='http:/'+'/x/';"
                        "</script>description"),
              "safe description");
    EXPECT_EQ(StripTags("a<STYLE>p { color: red }</Style>b<!-- <b>note</b> -->c"), "a b c");
    EXPECT_EQ(StripTags("<scripts>kept</scripts> <styles/>too"), "kept too");
    // Never closed: the tag alone goes, as any other tag would.
    EXPECT_EQ(StripTags("a<script>b"), "a b");
    EXPECT_EQ(StripTags("a<!-- b"), "a<!-- b");
}

TEST(UnwrapCData, RemovesMarkersAndTrims) {
    EXPECT_EQ(UnwrapCData("<![CDATA[  content  ]]>"), "content");
    EXPECT_EQ(UnwrapCData("  plain text \n"), "plain text");
    EXPECT_EQ(UnwrapCData("a  <![cdata[ b ]]>c<![CDATA[d]]>"), "a bc d");
    // Only the first marker may be written in another case.
    EXPECT_EQ(UnwrapCData("<![CDATA[a]]><![cdata[b]]>"), "a<![cdata[b]]>");
    EXPECT_EQ(UnwrapCData("x <![CDATA[never closed"), "x <![CDATA[never closed");
}

TEST(Escaping, EachFormCoversItsOwnCharacters) {
    const QString text = "a&b<c>d\"e'f";
    EXPECT_EQ(EscapeXml(text), "a&amp;b&lt;c&gt;d&quot;e&#039;f");
    EXPECT_EQ(EscapeMarkup(text), "a&b&lt;c&gt;d&quot;e&#039;f");
    EXPECT_EQ(EscapeXml("&lt;"), "&amp;lt;");
}

TEST(RewriteRelativeLinks, PutsTheBaseBeforeRelativeValuesOnly) {
    const QString page = "<img src=\"img/a.png\"><a href=\"#top\"><a href='http://x/'>"
                         "<a href=\"https://y/\"><a href='ftp://z'><a href=\"/abs\">";
    EXPECT_EQ(RewriteRelativeLinks(page, "http://host/dir/page.html"),
              "<img src=\"http://host/dir/img/a.png\"><a href=\"#top\"><a href='http://x/'>"
              "<a href=\"https://y/\"><a href='ftp://z'><a href=\"http://host/dir//abs\">");
    EXPECT_EQ(RewriteRelativeLinks("<a href=\"x\">", "C:\\pages\\p.htm"),
              "<a href=\"C:\\pages\\x\">");
    EXPECT_EQ(RewriteRelativeLinks("<a href=\"x\">", "page"), "<a href=\"pagex\">");
}

TEST(BreakLongWords, InsertsSpacesIntoLongRuns) {
    const QString url = "http://" + QString(93, u'a');
    const QString broken = BreakLongWords(url, 40);
    EXPECT_EQ(broken.count(u' '), 2);
    EXPECT_EQ(broken.left(41), url.left(41));
    EXPECT_EQ(broken[41], u' ');
    EXPECT_EQ(BreakLongWords("short words\tonly", 40), "short words\tonly");
}

TEST(ColorToHex, WritesRedFirst) {
    EXPECT_EQ(ColorToHex(10 | (0 << 8) | (255 << 16)), "0A00FF");
    EXPECT_EQ(ColorToHex(0xC07B7B), "7B7BC0");
}

} // namespace
