#include "feeds/XmlDocument.h"

#include "feeds/EndTagIndex.h"
#include "text/TextFile.h"

#include <QFile>

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

// Line breaks become one blank and tabs four, as attribute values are read.
QString NormalizedTagText(QStringView tagText) {
    QString text = WithoutLeadingSpace(tagText).toString();
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ')
        .replace(QStringLiteral("\t"), QStringLiteral("    "));
}

// Only attributes written with the tag's one quote character, with '=' directly before it,
// are recognised; the quote is '"' when the tag holds =" anywhere, else the apostrophe.
void ReadAttributes(QStringView tagText, CXmlNode& node) {
    node.Attributes.clear();
    if (!tagText.contains(u'='))
        return;
    const QString text = NormalizedTagText(tagText);
    const QChar quote = text.contains(QStringLiteral("=\"")) ? u'"' : u'\'';
    const QString opening = QString(u'=') + quote;
    qsizetype pos = 0;
    for (qsizetype equals = text.indexOf(opening); equals >= 0;
         equals = text.indexOf(opening, pos)) {
        const QStringView before = QStringView(text).mid(pos, equals - pos).trimmed();
        const QStringView name = before.mid(before.lastIndexOf(u' ') + 1);
        const qsizetype valueStart = equals + 2;
        const qsizetype valueEnd = text.indexOf(quote, valueStart);
        if (valueEnd < 0)
            return;
        node.Attributes.emplace_back(name.toString(), text.mid(valueStart, valueEnd - valueStart));
        pos = valueEnd + 1;
    }
}

bool IsDeclaration(QStringView tagText) {
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
        qsizetype open = text_.indexOf(u'<');
        if (open < 0)
            return false;
        while (open >= 0) {
            const qsizetype close = text_.indexOf(u'>', open);
            if (close < 0)
                return false;
            open = text_.indexOf(u'<', ScanTag(open, close));
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
            CloseParent();
            return close + 1;
        }
        return StartElement(tagText, close);
    }

    void CloseParent() {
        previousSibling_ = openElements_.back();
        openElements_.pop_back();
    }

    qsizetype StartElement(QStringView tagText, qsizetype close) {
        CXmlNode* node = Link(std::make_unique<CXmlNode>());
        node->Name = ElementName(tagText).toString();
        ReadAttributes(tagText, *node);
        const qsizetype contentStart = close + 1;
        if (tagText.endsWith(u'/')) {
            node->IsEmptyElement = true;
            Settle(node);
            return contentStart;
        }
        const qsizetype endTag = endTags_.Find(node->Name, contentStart);
        if (endTag < 0)
            return contentStart; // left open, and not a sibling anyone links to
        const qsizetype firstMarkup = text_.indexOf(u'<', contentStart);
        if (firstMarkup < endTag && !QStringView(text_).mid(firstMarkup).startsWith(u"<![CDATA[")) {
            if (!CurrentParent())
                document_.root_ = node;
            openElements_.push_back(node);
            previousSibling_ = nullptr;
            return contentStart;
        }
        node->Text = text_.mid(contentStart, endTag - contentStart);
        Settle(node);
        return endTag + 1; // past the '<' of the end tag, which is never seen as a tag
    }

    CXmlNode* Link(std::unique_ptr<CXmlNode> owned) {
        CXmlNode* node = owned.get();
        node->Parent = CurrentParent();
        node->PrevSibling = previousSibling_;
        if (previousSibling_)
            previousSibling_->NextSibling = node;
        auto& siblings = node->Parent ? node->Parent->Children : document_.topLevel_;
        siblings.push_back(std::move(owned));
        return node;
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
    std::vector<CXmlNode*> openElements_;
    CXmlNode* previousSibling_ = nullptr;
};

CXmlDocument::~CXmlDocument() {
    Clear();
}

// Frees the tree without recursion, so that no nesting depth can exhaust the stack.
void CXmlDocument::Clear() {
    root_ = nullptr;
    std::vector<std::unique_ptr<CXmlNode>> pending = std::move(topLevel_);
    topLevel_.clear();
    while (!pending.empty()) {
        std::unique_ptr<CXmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->Children)
            pending.push_back(std::move(child));
    }
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
    return XmlScanner(*this, text).Run();
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
                match = child.get();
                break;
            }
        node = match;
    }
    return node;
}

const CXmlNode* CXmlDocument::FirstChild(const CXmlNode* node) {
    return node && !node->Children.empty() ? node->Children.front().get() : nullptr;
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

QString CXmlDocument::InnerXml(const CXmlNode* node) {
    if (!node)
        return {};
    QString markup;
    if (!node->Text.isEmpty())
        markup += node->Text + u'\n';
    // Written with an explicit stack: (element, whether its children are written yet).
    std::vector<std::pair<const CXmlNode*, bool>> pending;
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
        pending.emplace_back(it->get(), false);
    while (!pending.empty()) {
        auto [element, childrenWritten] = pending.back();
        pending.pop_back();
        if (childrenWritten) {
            markup += QStringLiteral("</") + element->Name + QStringLiteral(">\n");
            continue;
        }
        markup += u'<' + element->Name;
        for (const auto& [name, value] : element->Attributes)
            markup += u' ' + name + QStringLiteral("=\"") + value + u'"';
        markup += element->IsEmptyElement ? QStringLiteral("/>\n") : QStringLiteral(">\n");
        if (!element->Text.isEmpty())
            markup += element->Text + u'\n';
        if (!element->IsEmptyElement)
            pending.emplace_back(element, true);
        for (auto it = element->Children.rbegin(); it != element->Children.rend(); ++it)
            pending.emplace_back(it->get(), false);
    }
    return markup;
}
