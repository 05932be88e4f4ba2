// Tests of the forgiving XML reader.

#include "feeds/XmlDocument.h"

#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A compact picture of a tree: name, "/" when self-closed, [attributes], 'text', (children).
QString Dump(const CXmlNode& node) {
    QString out = node.Name;
    if (node.IsEmptyElement)
        out += u'/';
    if (!node.Attributes.empty()) {
        QStringList attributes;
        for (const auto& [name, value] : node.Attributes)
            attributes << name + u'=' + value;
        out += u'[' + attributes.join(u';') + u']';
    }
    if (!node.Text.isEmpty())
        out += u'\'' + node.Text + u'\'';
    if (!node.Children.empty()) {
        QStringList children;
        for (const auto& child : node.Children)
            children << Dump(*child);
        out += u'(' + children.join(u' ') + u')';
    }
    return out;
}

QString DumpTopLevel(const CXmlDocument& document) {
    // The root and its earlier top-level siblings, reached through the sibling links.
    const CXmlNode* first = document.Root();
    while (first && first->PrevSibling)
        first = first->PrevSibling;
    QStringList nodes;
    for (const CXmlNode* node = first; node; node = node->NextSibling)
        nodes << Dump(*node);
    return nodes.join(u' ');
}

struct ParseCase {
    const char* name;
    const char* text;
    bool parses;
    const char* tree; // the top level, root last
};

TEST(XmlDocument, ParsesByTheForgivingRules) {
    const ParseCase cases[] = {
        {"declaration in apostrophes",
         "<?xml version='1.0'?>\n<rss version=\"2.0\"><channel>"
         "<title>A</title></channel></rss>",
         true, "rss[version=2.0](channel(title'A'))"},
        {"cdata leaf keeps markers", "<d><![CDATA[<b>x</b>]]></d>", true,
         "d'<![CDATA[<b>x</b>]]>'"},
        {"text before a child is lost", "<a>lead<b>x</b>tail</a>", true, "a(b'x')"},
        {"self-closed elements",
         "<r><guid/><enclosure url=\"u\" length=\"5\" "
         "type=\"audio/mpeg\"/></r>",
         true, "r(guid/ enclosure/[url=u;length=5;type=audio/mpeg])"},
        {"only the tag's quote counts", "<a x='1' y=\"2\"/>", true, "a/[y=2]"},
        {"apostrophes alone", "<a x='1' z='3'/>", true, "a/[x=1;z=3]"},
        {"blanks around equals", "<a x = \"1\" y=\"2\"/>", true, "a/[y=2]"},
        {"unterminated value", "<a x=\"1\" y=\"2/>", true, "a/[x=1]"},
        {"line breaks and tabs", "<a\r\n  b='1\t2'\nc='3'>x</a>", true, "a[b=1    2;c=3]'x'"},
        {"later top-level element is root", "<a>1</a><b>2</b>", true, "a'1' b'2'"},
        {"comment holding >", "<r><!-- a > b --><c>1</c></r>", true, "r(c'1')"},
        {"unclosed comment is an element", "<r><!-- open<c>1</c></r>", true, "r(!-- /c)"},
        {"doctype subset", "<!DOCTYPE x [<!ENTITY a \"b\">]><r>1</r>", true, "r'1'"},
        {"blank in end tag", "<r><t>A</t ><u>B</u></r>", true, "r(t /t u'B')"},
        {"unmatched end tag at top", "<a>1</a></b>", true, "a'1' /b"},
        {"unclosed element", "<r><p>open<q>1</q></r>", true, "r(p q'1')"},
        {"case counts in end tags", "<r><T>1</t></r>", true, "r(T /t)"},
        {"empty leaf", "<r><e></e></r>", true, "r(e)"},
        {"no tag", "just text", false, ""},
        {"lone less-than", "<", false, ""},
        {"unclosed tag keeps what was built", "<r><a>1</a><b", false, "a'1'"},
        {"empty", "", false, ""},
    };
    for (const auto& c : cases) {
        CXmlDocument document;
        EXPECT_EQ(document.Parse(QString::fromUtf8(c.text)), c.parses) << c.name;
        EXPECT_EQ(DumpTopLevel(document), c.tree) << c.name;
    }
}

TEST(XmlDocument, SiblingLinksSkipElementsLeftOpen) {
    CXmlDocument document;
    ASSERT_TRUE(document.Parse("<r><a>1</a><open><b>2</b></r>"));
    const CXmlNode* a = document.FindNode("r\\a");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->NextSibling, nullptr);
    EXPECT_EQ(a->NextSibling->Name, "b");
    EXPECT_EQ(a->NextSibling->PrevSibling, a);
    EXPECT_EQ(a->Parent, document.Root());
}

TEST(XmlDocument, FindNodeMatchesRootExactlyAndChildrenIgnoringCase) {
    CXmlDocument document;
    ASSERT_TRUE(document.Parse("<rss><Channel><Item>1</Item><item>2</item></Channel>"
                               "<channel><x>3</x></channel></rss>"));
    ASSERT_NE(document.FindNode("rss\\channel\\item"), nullptr);
    EXPECT_EQ(document.FindNode("rss\\channel\\item")->Text, "1");
    EXPECT_EQ(document.FindNode("RSS\\channel"), nullptr);
    // No backtracking into the second channel.
    EXPECT_EQ(document.FindNode("rss\\channel\\x"), nullptr);
    EXPECT_EQ(document.FindNode("rss\\missing"), nullptr);
    EXPECT_EQ(document.FindNode("rss")->Name, "rss");
}

TEST(XmlDocument, AttributeLookups) {
    CXmlDocument document;
    ASSERT_TRUE(document.Parse("<e URL=\"a\" type=\"audio/mpeg\" url=\"b\"/>"));
    const CXmlNode* e = document.Root();
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "url"), "a");
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "missing"), "");
    EXPECT_EQ(CXmlDocument::GetAttribute(nullptr, "url"), "");
    EXPECT_TRUE(CXmlDocument::HasAttributeValue(e, "url", "b"));
    EXPECT_TRUE(CXmlDocument::HasAttributeValue(e, "TYPE", "audio/mpeg"));
    EXPECT_FALSE(CXmlDocument::HasAttributeValue(e, "type", "Audio/mpeg"));
    EXPECT_FALSE(CXmlDocument::HasAttributeValue(nullptr, "type", "audio/mpeg"));
}

TEST(XmlDocument, InnerXmlWritesOneElementPerLine) {
    CXmlDocument document;
    ASSERT_TRUE(document.Parse("<content type=\"xhtml\"><div class=\"c\"><p>One &amp;</p><br/>"
                               "<p>Two</p></div></content>"));
    EXPECT_EQ(CXmlDocument::InnerXml(document.Root()),
              "<div class=\"c\">\n<p>\nOne &amp;\n</p>\n<br/>\n<p>\nTwo\n</p>\n</div>\n");
    ASSERT_TRUE(document.Parse("<p>leaf</p>"));
    EXPECT_EQ(CXmlDocument::InnerXml(document.Root()), "leaf\n");
    EXPECT_EQ(CXmlDocument::InnerXml(nullptr), "");
}

TEST(XmlDocument, DeepNestingAndManyUnclosedTags) {
    constexpr int depth = 10000;
    CXmlDocument document;
    ASSERT_TRUE(
        document.Parse(QString("<a>").repeated(depth) + "x" + QString("</a>").repeated(depth)));
    int levels = 1;
    for (const CXmlNode* node = document.Root(); !node->Children.empty();
         node = node->Children.front())
        ++levels;
    EXPECT_EQ(levels, depth);
    EXPECT_FALSE(CXmlDocument::InnerXml(document.Root()).isEmpty());

    // Unclosed tags of one name and of distinct names: every search for an end tag misses.
    QString unclosed = "<r>";
    for (int i = 0; i < 100000; ++i)
        unclosed += i % 2 ? QStringLiteral("<p>") : QStringLiteral("<n%1 a='1'>").arg(i);
    ASSERT_TRUE(document.Parse(unclosed + "<x>y</x></r>"));
    ASSERT_EQ(document.Root()->Name, "r");
    EXPECT_EQ(document.Root()->Children.size(), 100001u);
    EXPECT_EQ(document.Root()->Children.back()->Text, "y");
}

TEST(XmlDocument, HugeTextNode) {
    const QString body(50 * 1024 * 1024, u'x');
    CXmlDocument document;
    ASSERT_TRUE(document.Parse("<r>" + body + "</r>"));
    EXPECT_EQ(document.Root()->Text.size(), body.size());
}

TEST(XmlDocument, LoadFileDecodesLikeTextFiles) {
    TestEnvironment env;
    const QString path = env.Path("koi8.xml");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"koi8-r\"?><t>\xF0\xD2\xC9</t>");
    file.close();
    CXmlDocument document;
    ASSERT_TRUE(document.LoadFile(path));
    EXPECT_EQ(document.Root()->Text, u"\u041F\u0440\u0438"_qs);
    EXPECT_FALSE(document.LoadFile(env.Path("missing.xml")));
    EXPECT_EQ(document.Root(), nullptr);
}

} // namespace
