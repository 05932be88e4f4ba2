// Imports a feed listing of the program's earlier version into a database.

#include "exchange/LegacyImporter.h"

#include "store/Prompt.h"
#include "store/RssDatabase.h"
#include "text/MarkupText.h"
#include "text/NumberText.h"
#include "text/RecordId.h"

#include <QHash>

namespace {

QString Text(const CXmlNode* node, const char* attribute) {
    return DecodeEntities(CXmlDocument::GetAttribute(node, QString::fromLatin1(attribute)));
}

QString RawText(const CXmlNode* node, const char* attribute) {
    return CXmlDocument::GetAttribute(node, QString::fromLatin1(attribute));
}

// A number attribute; one that is not written keeps the record's default.
int Number(const CXmlNode* node, const char* attribute, int defaultValue) {
    const QString value = RawText(node, attribute);
    return value.isEmpty() ? defaultValue : ReadLeadingInt(value);
}

QString OrGenerated(const QString& label, const char* prefix) {
    return label.isEmpty() ? QString::fromLatin1(prefix) + QString::number(NewRecordID()) : label;
}

// Groups and subscriptions are named by their parent's name, "~" and their label; those at the
// top by their label alone.
QString FullName(const QString& parentPath, const QString& label) {
    return parentPath.isEmpty() ? label : parentPath + u'~' + label;
}

int Depth(const CLegacyImporter::Group& group) {
    return group.Path.isEmpty() ? 0 : int(group.Path.count(u'~')) + 1;
}

template <typename Visit>
void ForEachNamed(const CXmlNode* first, const char* name, Visit&& visit) {
    const QString wanted = QString::fromLatin1(name);
    for (const CXmlNode* node = first; node; node = node->NextSibling)
        if (node->Name == wanted)
            visit(node);
}

} // namespace

namespace {
// What sources and subscriptions share: a label (generated when empty), address and flags.
template <typename Record> Record ReadListed(const CXmlNode* node, const char* untitledPrefix) {
    Record record;
    record.Label = OrGenerated(Text(node, "label"), untitledPrefix);
    record.Url = Text(node, "url");
    record.File = RawText(node, "file");
    record.IsActive = Number(node, "isActive", record.IsActive);
    record.IsToday = Number(node, "isToday", record.IsToday);
    return record;
}
} // namespace

CLegacyImporter::Source CLegacyImporter::ReadSource(const CXmlNode* node) const {
    return ReadListed<Source>(node, "No Title: ");
}

CLegacyImporter::Subscription CLegacyImporter::ReadSubscription(const CXmlNode* node) const {
    return ReadListed<Subscription>(node, "Subscription: ");
}

bool CLegacyImporter::ReadLegacyListing(const QString& path) {
    groups_.clear();
    subscriptions_.clear();
    sources_.clear();
    CXmlDocument document;
    if (!document.LoadFile(path))
        return false;
    const CXmlNode* root = document.FindNode(QStringLiteral("quillpost"));
    const QString version = CXmlDocument::GetAttribute(root, QStringLiteral("version"));
    if (!root || (version != u"1.0" && version != u"2.0"))
        return false;
    if (version == u"1.0")
        ReadVersion1(root);
    else
        ReadVersion2(document);
    return true;
}

void CLegacyImporter::ReadVersion1(const CXmlNode* root) {
    groups_.push_back({QStringLiteral("MyFeeds"), QString()});
    groups_.push_back({QStringLiteral("MySubscriptions"), QString()});
    ForEachNamed(CXmlDocument::FirstChild(root), "source", [this](const CXmlNode* node) {
        if (Number(node, "isSubscription", 0) == 0) {
            Source source = ReadSource(node);
            source.ParentPath = QStringLiteral("MyFeeds");
            sources_.push_back(source);
            return;
        }
        Subscription subscription = ReadSubscription(node);
        subscription.ParentPath = QStringLiteral("MySubscriptions");
        subscriptions_.push_back(subscription);
        ForEachNamed(CXmlDocument::FirstChild(node), "source", [&](const CXmlNode* child) {
            Source source = ReadSource(child);
            source.ParentPath = QStringLiteral("MySubscriptions~") + subscription.Label;
            source.IsChild = 1;
            sources_.push_back(source);
        });
    });
}

void CLegacyImporter::ReadVersion2(const CXmlDocument& document) {
    ForEachNamed(CXmlDocument::FirstChild(document.FindNode(QStringLiteral("quillpost\\groups"))),
                 "group", [this](const CXmlNode* node) {
                     Group group;
                     group.Label = Text(node, "label");
                     group.Path = Text(node, "path");
                     group.IsActive = Number(node, "isActive", group.IsActive);
                     groups_.push_back(group);
                 });
    ForEachNamed(
        CXmlDocument::FirstChild(document.FindNode(QStringLiteral("quillpost\\subscriptions"))),
        "subscription", [this](const CXmlNode* node) {
            Subscription subscription = ReadSubscription(node);
            subscription.FromFile = Number(node, "fromFile", subscription.FromFile);
            subscription.ParentPath = Text(node, "parentPath");
            subscriptions_.push_back(subscription);
        });
    ForEachNamed(CXmlDocument::FirstChild(document.FindNode(QStringLiteral("quillpost\\sources"))),
                 "source", [this](const CXmlNode* node) {
                     Source source = ReadSource(node);
                     source.ParentPath = Text(node, "parentPath");
                     source.IsChild = Number(node, "isChild", source.IsChild);
                     const int priority = Number(node, "priority", source.Priority);
                     source.Priority = priority == 0 ? 1 : priority;
                     source.RefreshDate = Text(node, "refreshDate");
                     sources_.push_back(source);
                 });
}

bool CLegacyImporter::StoreLegacyListing(const QString& databasePath) {
    CRssDatabase db;
    if (db.OpenDatabase(databasePath, false) != 1)
        return false;
    WaitCursor wait;

    // Views from the groups, shallowest first, so that every parent has its View already.
    QHash<QString, qint32> groupViews;
    int maxDepth = 0;
    for (const Group& group : groups_)
        maxDepth = std::max(maxDepth, Depth(group));
    for (int depth = 0; depth <= maxDepth; ++depth)
        for (const Group& group : groups_) {
            if (Depth(group) != depth)
                continue;
            CViewRecord view;
            view.ViewID = NewRecordID();
            view.Label = group.Label.left(100);
            view.ParentID = depth == 0 ? 0 : groupViews.value(group.Path, 0);
            db.InsertView(view);
            if (!groupViews.contains(FullName(group.Path, group.Label)))
                groupViews.insert(FullName(group.Path, group.Label), view.ViewID);
        }

    QHash<QString, qint32> subscriptionIDs;
    for (const Subscription& legacy : subscriptions_) {
        CSubscriptionRecord subscription;
        subscription.SubscriptionID = NewRecordID();
        subscription.Title = legacy.Label.left(255);
        subscription.SubscriptionUrl = legacy.Url;
        subscription.IsFromFile = legacy.FromFile != 0;
        db.InsertSubscription(subscription, false);
        subscriptionIDs.insert(FullName(legacy.ParentPath, legacy.Label),
                               subscription.SubscriptionID);
    }

    for (const Source& source : sources_) {
        CFeedRecord feed;
        feed.FeedID = NewRecordID();
        feed.Title = source.Label.left(255);
        feed.FeedUrl = source.Url;
        if (source.IsActive == 0)
            feed.Status = 1;
        qint32 viewID = 0, subscriptionID = 0;
        if (source.IsChild == 0) {
            viewID = groupViews.value(source.ParentPath, 0);
        } else if (!source.ParentPath.isEmpty()) {
            const qsizetype lastTilde = source.ParentPath.lastIndexOf(u'~');
            if (lastTilde >= 0)
                viewID = groupViews.value(source.ParentPath.left(lastTilde), 0);
            subscriptionID = subscriptionIDs.value(source.ParentPath, 0);
        }
        db.InsertFeed(feed, viewID, subscriptionID);
    }
    db.CloseDatabase();
    return true;
}
