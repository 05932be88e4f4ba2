// The tolerant XML reader: elements, attributes and raw text of a feed document.

#include "feeds/XmlDocument.h"

#include "feeds/EndTagIndex.h"
#include "text/TextFile.h"

#include <QFile>
#include <algorithm>
#include <array>

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

QStringView WithoutLeadingSpace(QStringView tagText) {
    qsizetype start = 0;
    while (start < tagText.size() && tagText[start].isSpace())
        ++start;
    return tagText.mid(start);
}

// The element name of a tag's text: up to the first blank, without a '/' that ends the tag.
QStringView ElementName(QStringView tagText) {
    const QStringView text = WithoutLeadingSpace(tagText);
    qsizetype end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    if (end == text.size() && text.endsWith(u'/'))
        --end;
    return text.left(end);
}

bool HoldsLineBreakOrTab(QStringView text) {
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c == u'\r' || c == u'\n' || c == u'\t'; });
}

// Line breaks become one blank and tabs four, as attribute values are read.
QString NormalizedTagText(QStringView text) {
    return text.toString()
        .replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ')
        .replace(QStringLiteral("\t"), QStringLiteral("    "));
}

// The position of the first '=' directly followed by `quote` at or after `from`, or -1.
qsizetype FindEqualsQuote(QStringView text, QChar quote, qsizetype from) {
    for (qsizetype equals = text.indexOf(QChar(u'='), from); equals >= 0;
         equals = text.indexOf(QChar(u'='), equals + 1))
        if (equals + 1 < text.size() && text[equals + 1] == quote)
            return equals;
    return -1;
}

bool IsDeclaration(QStringView tagText) {
    if (tagText.isEmpty() || (tagText[0] != u'?' && tagText[0] != u'!'))
        return false;
    static const char16_t* const skipped[] = {u"?", u"!DOCTYPE", u"!ATTLIST", u"!ELEMENT",
                                              u"!ENTITY"};
    for (const char16_t* start : skipped)
        if (tagText.startsWith(QStringView(start)))
            return true;
    return false;
}

// The name an end tag closes: the text after "/" up to the first blank, else empty.
QStringView EndTagName(QStringView tagText) {
    const QStringView text = WithoutLeadingSpace(tagText);
    qsizetype end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    return text.startsWith(u'/') ? text.mid(1, end - 1) : QStringView();
}

// Finds a fixed needle going forward; once it is missing after a position it is missing after
// every later one, so repeated failing searches cost nothing.
class ForwardFinder {
public:
    ForwardFinder(const QString& text, QStringView needle) : text_(text), needle_(needle) {}

    qsizetype Find(qsizetype from) {
        if (absentFrom_ >= 0 && from >= absentFrom_)
            return -1;
        if (from >= lastFrom_ && from <= lastFound_)
            return lastFound_;
        lastFrom_ = from;
        lastFound_ = text_.indexOf(needle_, from);
        if (lastFound_ < 0)
            absentFrom_ = from;
        return lastFound_;
    }

private:
    const QString& text_;
    QStringView needle_;
    qsizetype lastFrom_ = -1;
    qsizetype lastFound_ = -1;
    qsizetype absentFrom_ = -1;
};

} // namespace

// The state of one parse: the stack of open elements, the current parent and the last node
// added under it.
class XmlScanner {
public:
    XmlScanner(CXmlDocument& document, const QString& text)
        : document_(document), text_(text), endTags_(text), commentEnds_(text, u"-->") {}

    bool Run() {
        qsizetype open = endTags_.FindLessThan(0);
        if (open < 0)
            return false;
        while (open >= 0) {
            const qsizetype close = text_.indexOf(QChar(u'>'), open);
            if (close < 0)
                return false;
            open = endTags_.FindLessThan(ScanTag(open, close));
        }
        return true;
    }

private:
    CXmlNode* CurrentParent() const {
        return openElements_.empty() ? nullptr : openElements_.back();
    }

    // Handles the tag between `open` and `close`; returns where the scan goes on.
    qsizetype ScanTag(qsizetype open, qsizetype close) {
        const QStringView tagText = QStringView(text_).mid(open + 1, close - open - 1);
        if (tagText.startsWith(u"!--")) {
            const qsizetype commentEnd = commentEnds_.Find(open);
            if (commentEnd >= 0)
                return commentEnd + 3;
        } else if (IsDeclaration(tagText)) {
            return close + 1;
        } else if (CurrentParent() && EndTagName(tagText) == CurrentParent()->Name) {
            CloseParent(open);
            return close + 1;
        }
        return StartElement(tagText, close);
    }

    void CloseParent(qsizetype endTagStart) {
        CXmlNode* closed = openElements_.back();
        const qsizetype contentStart = contentStarts_.back();
        closed->Markup = QStringView(text_).mid(contentStart, endTagStart - contentStart);
        previousSibling_ = closed;
        openElements_.pop_back();
        contentStarts_.pop_back();
    }

    qsizetype StartElement(QStringView tagText, qsizetype close) {
        CXmlNode* node = Link(document_.NewNode());
        node->Name = InternedName(ElementName(tagText));
        if (tagText.contains(QChar(u'='))) {
            const QStringView text = WithoutLeadingSpace(tagText);
            // Most tags are written on one line and are read where they stand.
            if (HoldsLineBreakOrTab(text))
                ReadAttributes(NormalizedTagText(text), *node);
            else
                ReadAttributes(text, *node);
        }
        const qsizetype contentStart = close + 1;
        if (tagText.endsWith(u'/')) {
            node->IsEmptyElement = true;
            Settle(node);
            return contentStart;
        }
        const qsizetype endTag = endTags_.Find(node->Name, contentStart);
        if (endTag < 0)
            return contentStart; // left open, and not a sibling anyone links to
        const qsizetype firstMarkup = endTags_.FindLessThan(contentStart);
        if (firstMarkup < endTag && !QStringView(text_).mid(firstMarkup).startsWith(u"<![CDATA[")) {
            if (!CurrentParent())
                document_.root_ = node;
            openElements_.push_back(node);
            contentStarts_.push_back(contentStart);
            previousSibling_ = nullptr;
            return contentStart;
        }
        node->Text = text_.mid(contentStart, endTag - contentStart);
        Settle(node);
        return endTag + 1; // past the '<' of the end tag, which is never seen as a tag
    }

    // Only attributes written with the tag's one quote character, with '=' directly before it,
    // are recognised; the quote is '"' when the tag holds =" anywhere, else the apostrophe.
    void ReadAttributes(QStringView text, CXmlNode& node) {
        const QChar quote = FindEqualsQuote(text, u'"', 0) >= 0 ? u'"' : u'\'';
        qsizetype pos = 0;
        for (qsizetype equals = FindEqualsQuote(text, quote, 0); equals >= 0;
             equals = FindEqualsQuote(text, quote, pos)) {
            const QStringView before = text.mid(pos, equals - pos).trimmed();
            const QStringView name = before.mid(before.lastIndexOf(QChar(u' ')) + 1);
            const qsizetype valueStart = equals + 2;
            const qsizetype valueEnd = text.indexOf(quote, valueStart);
            if (valueEnd < 0)
                return;
            node.Attributes.emplace_back(InternedName(name),
                                         text.mid(valueStart, valueEnd - valueStart).toString());
            pos = valueEnd + 1;
        }
    }

    // Elements and attributes of one name share one string: a feed repeats a handful of names
    // thousands of times. The key views the stored string, since a name may come from a text
    // that lives only while its tag is read.
    QString InternedName(QStringView name) {
        QString& recent = recentNames_[RecentNameSlot(name)];
        if (!recent.isNull() && recent == name) // a slot not yet filled holds no name, not ""
            return recent;
        auto it = names_.constFind(name);
        if (it == names_.constEnd()) {
            const QString interned = name.toString();
            it = names_.insert(interned, interned);
        }
        recent = *it;
        return recent;
    }

    // The tags of a feed repeat a few sequences of names, so most names are found among the
    // ones met last, in a slot picked by length and end characters, without hashing the name.
    static std::size_t RecentNameSlot(QStringView name) {
        if (name.isEmpty())
            return 0;
        const std::size_t digest =
            std::size_t(name.size()) * 7 + name.front().unicode() + name.back().unicode() * 3;
        return digest % RecentNames;
    }

    CXmlNode* Link(CXmlNode& node) {
        node.Parent = CurrentParent();
        node.PrevSibling = previousSibling_;
        if (previousSibling_)
            previousSibling_->NextSibling = &node;
        if (node.Parent)
            node.Parent->Children.push_back(&node);
        return &node;
    }

    // A finished element becomes the previous sibling, and the root when it is top-level.
    void Settle(CXmlNode* node) {
        if (!CurrentParent())
            document_.root_ = node;
        previousSibling_ = node;
    }

    CXmlDocument& document_;
    const QString& text_;
    EndTagIndex endTags_;
    ForwardFinder commentEnds_;
    QHash<QStringView, QString> names_;
    static constexpr std::size_t RecentNames = 64;
    std::array<QString, RecentNames> recentNames_;
    std::vector<CXmlNode*> openElements_;
    std::vector<qsizetype> contentStarts_; // of each open element
    CXmlNode* previousSibling_ = nullptr;
};

CXmlDocument::~CXmlDocument() {
    Clear();
}

void CXmlDocument::Clear() {
    root_ = nullptr;
    text_.clear();
    nodeBlocks_.clear();
    nodesInLastBlock_ = NodesPerBlock;
}

CXmlNode& CXmlDocument::NewNode() {
    if (nodesInLastBlock_ == NodesPerBlock) {
        nodeBlocks_.push_back(std::make_unique<CXmlNode[]>(NodesPerBlock));
        nodesInLastBlock_ = 0;
    }
    return nodeBlocks_.back()[nodesInLastBlock_++];
}

bool CXmlDocument::LoadFile(const QString& path) {
    Clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return Parse(CTextFile::Decode(file.readAll()));
}

bool CXmlDocument::Parse(const QString& text) {
    Clear();
    text_ = text;
    return XmlScanner(*this, text_).Run();
}

void CXmlDocument::DropElementPrefix(QStringView prefix) {
    const QString prefixed = prefix.toString() + u':';
    QHash<QString, QString> renamed; // one string per name, as the scanner keeps them
    for (const auto& block : nodeBlocks_)
        for (std::size_t i = 0; i < NodesPerBlock; ++i) {
            QString& name = block[i].Name;
            if (!name.startsWith(prefixed))
                continue;
            auto it = renamed.constFind(name);
            if (it == renamed.constEnd())
                it = renamed.insert(name, name.mid(prefixed.size()));
            name = *it;
        }
}

const CXmlNode* CXmlDocument::FindNode(const QString& path) const {
    const QStringList names = path.split(u'\\');
    if (!root_ || root_->Name != names.front())
        return nullptr;
    const CXmlNode* node = root_;
    for (qsizetype i = 1; i < names.size() && node; ++i) {
        const CXmlNode* match = nullptr;
        for (const auto& child : node->Children)
            if (child->Name.compare(names[i], Qt::CaseInsensitive) == 0) {
                match = child;
                break;
            }
        node = match;
    }
    return node;
}

const CXmlNode* CXmlDocument::FirstChild(const CXmlNode* node) {
    return node && !node->Children.empty() ? node->Children.front() : nullptr;
}

const CXmlNode* CXmlDocument::NextSibling(const CXmlNode* node) {
    return node ? node->NextSibling : nullptr;
}

QString CXmlDocument::GetAttribute(const CXmlNode* node, const QString& name) {
    if (node)
        for (const auto& [attribute, value] : node->Attributes)
            if (attribute.compare(name, Qt::CaseInsensitive) == 0)
                return value;
    return {};
}

bool CXmlDocument::HasAttributeValue(const CXmlNode* node, const QString& name,
                                     const QString& value) {
    if (node)
        for (const auto& [attribute, attributeValue] : node->Attributes)
            if (attribute.compare(name, Qt::CaseInsensitive) == 0 && attributeValue == value)
                return true;
    return false;
}

namespace {

// Writes the markup of a node's content piece by piece to `sink`, with an explicit stack so that
// no nesting depth can exhaust the call stack.
template <typename Sink> void WriteInnerXml(const CXmlNode* node, Sink&& sink) {
    if (!node->Text.isEmpty()) {
        sink(node->Text);
        sink(u"\n");
    }
    // (element, whether its children are written yet)
    std::vector<std::pair<const CXmlNode*, bool>> pending;
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
        pending.emplace_back(*it, false);
    while (!pending.empty()) {
        const auto [element, childrenWritten] = pending.back();
        pending.pop_back();
        if (childrenWritten) {
            sink(u"</");
            sink(element->Name);
            sink(u">\n");
            continue;
        }
        sink(u"<");
        sink(element->Name);
        for (const auto& [name, value] : element->Attributes) {
            sink(u" ");
            sink(name);
            sink(u"=\"");
            sink(value);
            sink(u"\"");
        }
        sink(element->IsEmptyElement ? QStringView(u"/>\n") : QStringView(u">\n"));
        if (!element->Text.isEmpty()) {
            sink(element->Text);
            sink(u"\n");
        }
        if (!element->IsEmptyElement)
            pending.emplace_back(element, true);
        for (auto it = element->Children.rbegin(); it != element->Children.rend(); ++it)
            pending.emplace_back(*it, false);
    }
}

} // namespace

QString CXmlDocument::ContentMarkup(const CXmlNode* node) {
    if (!node)
        return {};
    if (node->Children.empty())
        return node->Text;
    return node->Markup.isNull() ? InnerXml(node) : node->Markup.toString();
}

QString CXmlDocument::InnerXml(const CXmlNode* node) {
    if (!node)
        return {};
    // Measured first, so that the text is allocated once.
    qsizetype length = 0;
    WriteInnerXml(node, [&length](QStringView piece) { length += piece.size(); });
    QString markup;
    markup.reserve(length);
    WriteInnerXml(node, [&markup](QStringView piece) { markup.append(piece); });
    return markup;
}
