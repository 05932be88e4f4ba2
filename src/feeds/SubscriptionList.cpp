// Reads an OPML subscription list into its title and feed entries.

#include "feeds/SubscriptionList.h"

#include "feeds/FeedParser.h"
#include "text/MarkupText.h"
#include "text/RecordId.h"

#include <QFileInfo>
#include <functional>

namespace {

const QString SubscriptionTitlePrefix = QStringLiteral("Subscription: ");

QString Attribute(const CXmlNode* node, const char* name) {
    return CXmlDocument::GetAttribute(node, QString::fromLatin1(name));
}

// Visits every self-closed outline in document order, depth first: an element that is not
// self-closed is a folder, whatever its name, and also an entry when it has a feed address
// (some programs write every element with an end tag). Iterative, so that no nesting exhausts
// the stack.
void WalkOutlineEntries(const CXmlDocument& document,
                        const std::function<void(const CXmlNode*)>& visitEntry) {
    std::vector<const CXmlNode*> resumeAt;
    const CXmlNode* node = document.FindNode(QStringLiteral("opml\\body\\outline"));
    while (node || !resumeAt.empty()) {
        if (!node) {
            node = resumeAt.back();
            resumeAt.pop_back();
        } else if (node->IsEmptyElement) {
            visitEntry(node);
            node = node->NextSibling;
        } else {
            if (!Attribute(node, "xmlUrl").isEmpty())
                visitEntry(node);
            resumeAt.push_back(node->NextSibling);
            node = CXmlDocument::FirstChild(node);
        }
    }
}

// An entry's title: its `title`, else its `text`, else its address, so that no entry is
// listed without a name.
QString EntryTitle(const CXmlNode* outline) {
    for (const char* name : {"title", "text", "xmlUrl"})
        if (QString title = Attribute(outline, name); !title.isEmpty())
            return title;
    return {};
}

bool IsOutline(const CXmlNode* node) {
    return node->Name == u"outline";
}

// Each sub-outline on a line of its own: `depth` hyphens, a blank and its text.
QString OutlineListing(const CXmlNode* parent, int depth) {
    QString listing;
    std::vector<std::pair<const CXmlNode*, int>> pending;
    pending.emplace_back(CXmlDocument::FirstChild(parent), depth);
    while (!pending.empty()) {
        auto& [node, level] = pending.back();
        while (node && !IsOutline(node))
            node = node->NextSibling;
        if (!node) {
            pending.pop_back();
            continue;
        }
        const CXmlNode* outline = node;
        const int outlineLevel = level;
        node = node->NextSibling;
        listing += QString(outlineLevel, u'-') + u' ' + Attribute(outline, "text") + u'\n';
        pending.emplace_back(CXmlDocument::FirstChild(outline), outlineLevel + 1);
    }
    return listing;
}

// As OutlineListing, with each first-level outline's description beside its text.
QString DetailedOutlineListing(const CXmlNode* parent, int depth) {
    QString listing;
    for (const CXmlNode* child = CXmlDocument::FirstChild(parent); child;
         child = child->NextSibling) {
        if (!IsOutline(child))
            continue;
        const QString text = Attribute(child, "text");
        const QString description = Attribute(child, "description");
        listing += u'\n' + QString(depth + 1, u'-');
        if (!text.isEmpty() && !description.isEmpty())
            listing += u' ' + text + QStringLiteral(": ") + description;
        else if (!description.isEmpty())
            listing += u' ' + description;
        else if (!text.isEmpty())
            listing += u' ' + text;
        listing += OutlineListing(child, depth + 1);
    }
    return listing;
}

} // namespace

void ReadGenericSubscription(CFeedData& record, const CXmlDocument& document) {
    record.Version = QStringLiteral("OPML Subscription (generic)");
    record.Title = SubscriptionTitlePrefix + QString::number(NewRecordID());
    ReadChannelHeader(record, document.FindNode(QStringLiteral("opml\\head")),
                      TitleText::CDataUnwrapped, HeaderDates::DateCreatedToo);
    WalkOutlineEntries(document, [&record](const CXmlNode* outline) {
        CFeedItemData item;
        item.Title = EntryTitle(outline);
        item.Link = Attribute(outline, "xmlUrl");
        item.Content = Attribute(outline, "description");
        if (!item.Link.isEmpty())
            record.Items.push_back(std::move(item));
    });
}

void ReadSharpReaderSubscription(CFeedData& record, const CXmlDocument& document) {
    record.Version = QStringLiteral("OPML SharpReader");
    record.Title = SubscriptionTitlePrefix + QString::number(NewRecordID());
    if (const CXmlNode* title = document.FindNode(QStringLiteral("opml\\head\\title")))
        record.Title = title->Text;
    WalkOutlineEntries(document, [&record](const CXmlNode* outline) {
        if (!CXmlDocument::HasAttributeValue(outline, QStringLiteral("type"),
                                             QStringLiteral("rss")))
            return;
        CFeedItemData& item = record.Items.emplace_back();
        item.Title = EntryTitle(outline);
        item.Link = Attribute(outline, "xmlUrl");
        item.Content = Attribute(outline, "description");
    });
}

void ReadOpmlAsFeed(CFeedData& record, const CXmlDocument& document) {
    const bool version11 = record.FeedType == FeedTypeOpml11;
    record.Version = version11 ? QStringLiteral("OPML v1.1") : QStringLiteral("OPML v1.0");
    record.Title = QStringLiteral("Opml Data");
    ReadChannelHeader(record, document.FindNode(QStringLiteral("opml\\head")),
                      version11 ? TitleText::CDataUnwrapped : TitleText::Raw);
    for (const CXmlNode* outline = document.FindNode(QStringLiteral("opml\\body\\outline"));
         outline; outline = outline->NextSibling) {
        if (!IsOutline(outline))
            continue;
        CFeedItemData& item = record.Items.emplace_back();
        item.Title = Attribute(outline, "text");
        item.Link = Attribute(outline, "htmlUrl");
        item.Content = version11
                           ? Attribute(outline, "description") + DetailedOutlineListing(outline, 1)
                           : OutlineListing(outline, 1);
    }
}

bool IsSubscriptionFileTooLarge(const QString& path) {
    return QFileInfo(path).size() > MaxSubscriptionFileBytes;
}

bool ParseSubscriptionList(CFeedData& record, const QString& path) {
    ResetFeedData(record);
    CXmlDocument document;
    if (IsSubscriptionFileTooLarge(path) || !document.LoadFile(path))
        return false;
    switch (DetectFeedType(document)) {
    case FeedTypeOpmlSharpReader:
        ReadSharpReaderSubscription(record, document);
        break;
    case FeedTypeOpml10:
    case FeedTypeOpml11:
    case FeedTypeOpmlGeneric:
        ReadGenericSubscription(record, document);
        break;
    default:
        return false;
    }
    EnsureTitle(record, SubscriptionTitlePrefix);
    record.SourcePath = path;
    return true;
}

bool ParseSearchResults(CFeedData& record, const QString& path) {
    ResetFeedData(record);
    CXmlDocument document;
    if (!document.LoadFile(path))
        return false;
    record.FeedType = DetectFeedType(document);
    if (record.FeedType != FeedTypeRss20)
        return false;
    record.FeedType = FeedTypeSearchResults;
    ReadRss20Channel(record, document);
    EnsureTitle(record, QStringLiteral("No Title: "));
    record.SourcePath = path;
    return true;
}
