// Reads the online feed listing's categories and feeds.

#include "feeds/FeedListing.h"

namespace {
const CXmlNode* FirstCategory(const CXmlDocument& document) {
    return document.FindNode(QStringLiteral("feeds\\category"));
}
} // namespace

bool IsFeedListing(const CXmlDocument& document) {
    return CXmlDocument::HasAttributeValue(document.FindNode(QStringLiteral("feeds")),
                                           QStringLiteral("version"), QStringLiteral("1"));
}

QStringList ListingCategories(const CXmlDocument& document) {
    QStringList names;
    for (const CXmlNode* node = FirstCategory(document); node; node = node->NextSibling)
        if (node->Name == u"category")
            names << CXmlDocument::GetAttribute(node, QStringLiteral("name"));
    return names;
}

std::vector<ListedFeed> ListingFeeds(const CXmlDocument& document, int position) {
    const CXmlNode* category = FirstCategory(document);
    for (int i = 0; i < position && category; ++i)
        category = category->NextSibling;
    std::vector<ListedFeed> feeds;
    for (const CXmlNode* feed = CXmlDocument::FirstChild(category); feed; feed = feed->NextSibling)
        feeds.push_back({CXmlDocument::GetAttribute(feed, QStringLiteral("label")),
                         CXmlDocument::GetAttribute(feed, QStringLiteral("url")),
                         CXmlDocument::GetAttribute(feed, QStringLiteral("description"))});
    return feeds;
}
