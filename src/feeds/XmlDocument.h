// The program's own forgiving XML reader and its tree.

#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

// One element of a document. Text stays raw: no entity decoding, CDATA markers kept.
struct CXmlNode {
    QString Name;
    // The content of an element without child elements; empty for one with children.
    QString Text;
    // The content of a closed element with children as written between its tags, text and child
    // markup in document order; empty for other elements. It views the document's text.
    QStringView Markup;
    bool IsEmptyElement = false;
    std::vector<std::pair<QString, QString>> Attributes;
    std::vector<CXmlNode*> Children;
    CXmlNode* Parent = nullptr;
    CXmlNode* PrevSibling = nullptr;
    CXmlNode* NextSibling = nullptr;
};

// Readers compare element names without regard to case. Case folding maps each UTF-16 unit to
// one unit, so names of different lengths differ: the length settles most comparisons of a
// reader's chain of names without a call.
inline bool NameIs(const QString& name, QStringView wanted) {
    return name.size() == wanted.size() && name.compare(wanted, Qt::CaseInsensitive) == 0;
}

// The tree of one document, built by a forgiving scanner that finds tags by searching for '<'
// and '>'. It takes what the web sends: unclosed elements stay open, end tags that close
// nothing become elements named with a slash, and only a text without any tag or with a '<'
// that is never closed by '>' fails. The cost grows linearly with the text.
class CXmlDocument {
public:
    CXmlDocument() = default;
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;
    ~CXmlDocument();

    // Reads and decodes the file as CTextFile does, then parses it.
    bool LoadFile(const QString& path);
    bool Parse(const QString& text);

    // "rss\channel\item": the first name must equal the root's name exactly, each further one
    // selects the first child of that name ignoring case. No backtracking.
    const CXmlNode* FindNode(const QString& path) const;
    const CXmlNode* Root() const { return root_; }

    static const CXmlNode* FirstChild(const CXmlNode* node);
    static const CXmlNode* NextSibling(const CXmlNode* node);
    // The value of the first attribute of that name ignoring case; empty when there is none.
    static QString GetAttribute(const CXmlNode* node, const QString& name);
    static bool HasAttributeValue(const CXmlNode* node, const QString& name, const QString& value);
    // The node's content written out again as markup, one element per line, values unescaped.
    static QString InnerXml(const CXmlNode* node);
    // The node's content as written, with every text between its children: Text for an
    // element without children, InnerXml for one whose end tag never came.
    static QString ContentMarkup(const CXmlNode* node);

    // Elements named "prefix:name" are renamed "name": a document whose root binds a prefix to
    // a namespace the readers know reads as if that namespace were its default one.
    void DropElementPrefix(QStringView prefix);

private:
    friend class XmlScanner;
    void Clear();
    CXmlNode& NewNode();

    // Every element of the tree, in blocks: a feed has thousands of elements, and one
    // allocation per element cost more than the scan itself.
    static constexpr std::size_t NodesPerBlock = 1024;
    std::vector<std::unique_ptr<CXmlNode[]>> nodeBlocks_;
    std::size_t nodesInLastBlock_ = NodesPerBlock;
    CXmlNode* root_ = nullptr;
    // The parsed text, which the nodes' Markup views.
    QString text_;
};
