// Writes and restores the backup file (.qpbk) of Views, subscriptions and feeds.

#include "exchange/Backup.h"

#include "feeds/XmlDocument.h"
#include "store/RssDatabase.h"
#include "store/SqlText.h"
#include "text/MarkupText.h"
#include "text/NumberText.h"
#include "text/RecordId.h"
#include "text/TextFile.h"

#include <QHash>
#include <algorithm>
#include <functional>

namespace {

enum class Form { Integer, Flag, Text };

struct Attribute {
    const char* name;
    const char* column;
    Form form;
};

// One section of the file: its element, the query of its rows and their attributes in order.
struct Section {
    const char* name;
    const char* element;
    const char* query;
    std::vector<Attribute> attributes;
};

const std::vector<Section>& Sections() {
    static const std::vector<Section> sections = {
        {"views",
         "view",
         "Select ViewID,Label,ReadAfter,HideAfter,NumToShow,HideRead,DPadSkipRead,SortBy,Keywords "
         "From Views Where ViewID > 3 Order By ViewID",
         {{"id", "ViewID", Form::Integer},
          {"label", "Label", Form::Text},
          {"readAfter", "ReadAfter", Form::Integer},
          {"hideAfter", "HideAfter", Form::Integer},
          {"numToShow", "NumToShow", Form::Integer},
          {"hideRead", "HideRead", Form::Flag},
          {"skipRead", "DPadSkipRead", Form::Flag},
          {"sortBy", "SortBy", Form::Integer},
          {"keywords", "Keywords", Form::Text}}},
        {"subscriptions",
         "subscription",
         "Select SubscriptionID,Title,SubscriptionUrl,IsFromFile From Subscriptions Order By "
         "SubscriptionID",
         {{"id", "SubscriptionID", Form::Integer},
          {"label", "Title", Form::Text},
          {"url", "SubscriptionUrl", Form::Text},
          {"isFile", "IsFromFile", Form::Flag}}},
        {"feeds",
         "feed",
         "Select FeedID,Title,FeedUrl,Priority,ReloadFrequency,ReadAfter,MaxItems,ExtendedData,"
         "ExtendedAudio From Feeds Order By FeedID",
         {{"id", "FeedID", Form::Integer},
          {"label", "Title", Form::Text},
          {"url", "FeedUrl", Form::Text},
          {"priority", "Priority", Form::Integer},
          {"reload", "ReloadFrequency", Form::Integer},
          {"readAfter", "ReadAfter", Form::Integer},
          {"maxItems", "MaxItems", Form::Integer},
          {"extendedData", "ExtendedData", Form::Flag},
          {"extendedAudio", "ExtendedAudio", Form::Flag}}},
        {"viewFeeds",
         "viewFeed",
         "Select ViewID,FeedID From ViewFeeds Order By ViewID",
         {{"viewID", "ViewID", Form::Integer}, {"feedID", "FeedID", Form::Integer}}},
        {"subscriptionFeeds",
         "subscriptionFeed",
         "Select SubscriptionID,FeedID From SubscriptionFeeds Order By SubscriptionID",
         {{"subscriptionID", "SubscriptionID", Form::Integer},
          {"feedID", "FeedID", Form::Integer}}},
    };
    return sections;
}

// The references a saved text is read back with.
struct Reference {
    QLatin1StringView written;
    QChar character;
};
constexpr Reference References[] = {
    {QLatin1StringView("&amp;"), u'&'},  {QLatin1StringView("&lt;"), u'<'},
    {QLatin1StringView("&gt;"), u'>'},   {QLatin1StringView("&#039;"), u'\''},
    {QLatin1StringView("&quot;"), u'"'},
};

const Reference* ReferenceAt(const QString& text, qsizetype at) {
    const QStringView rest = QStringView(text).sliced(at);
    const auto found = std::find_if(
        std::begin(References), std::end(References),
        [&rest](const Reference& reference) { return rest.startsWith(reference.written); });
    return found == std::end(References) ? nullptr : found;
}

// An ampersand becomes "&amp;" only where it would be read as the start of a reference, so
// that a text holding "&lt;" itself comes back as written, while files of other texts keep the
// layout every earlier reader knows.
QString EscapedText(const QString& text) {
    QString guarded;
    guarded.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at)
        guarded +=
            text[at] == u'&' && ReferenceAt(text, at) ? QStringLiteral("&amp;") : QString(text[at]);
    return EscapeMarkup(guarded);
}

QString AttributeValue(CAdoRecordset& row, const Attribute& attribute) {
    CAdoField& field = row.Field(QString::fromLatin1(attribute.column));
    switch (attribute.form) {
    case Form::Integer:
        return QString::number(field.GetLong());
    case Form::Flag:
        return field.GetBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return EscapedText(field.GetString());
    }
}

QString RecordLine(CAdoRecordset& row, const Section& section) {
    QString line = QStringLiteral("  <") + QLatin1String(section.element);
    for (const Attribute& attribute : section.attributes)
        line += u' ' + QLatin1String(attribute.name) + QStringLiteral("=\"") +
                AttributeValue(row, attribute) + u'"';
    return line + QStringLiteral(" />\n");
}

QString SectionText(CAdoConnection& connection, const Section& section) {
    QString text = QStringLiteral("  <") + QLatin1String(section.name) + QStringLiteral(">\n");
    CAdoRecordset rows;
    if (rows.Open(QString::fromLatin1(section.query), connection, CAdoRecordset::Mode::Read))
        for (; !rows.IsEOF(); rows.MoveNext())
            text += RecordLine(rows, section);
    return text + QStringLiteral("  </") + QLatin1String(section.name) + QStringLiteral(">\n");
}

// The inverse of the escaping the file is written with, in one pass, so that what was saved
// comes back: "&amp;lt;" is the text "&lt;", not "<".
QString Unescaped(const CXmlNode* node, const char* attribute) {
    const QString value = CXmlDocument::GetAttribute(node, QString::fromLatin1(attribute));
    QString text;
    text.reserve(value.size());
    for (qsizetype at = 0; at < value.size();) {
        if (const Reference* reference = ReferenceAt(value, at)) {
            text += reference->character;
            at += reference->written.size();
        } else {
            text += value[at++];
        }
    }
    return text;
}

int Number(const CXmlNode* node, const char* attribute) {
    return ReadLeadingInt(CXmlDocument::GetAttribute(node, QString::fromLatin1(attribute)));
}

void ForEachChild(const CXmlDocument& document, const char* section, const char* element,
                  const std::function<void(const CXmlNode*)>& visit) {
    const QString name = QString::fromLatin1(element);
    for (const CXmlNode* node = CXmlDocument::FirstChild(
             document.FindNode(QStringLiteral("qpbk\\") + QLatin1String(section)));
         node; node = node->NextSibling)
        if (node->Name == name)
            visit(node);
}

struct ImportedFeed {
    qint32 id;
    qint16 priority;
};

} // namespace

bool SaveBackup(CRssDatabase& db, const QString& path) {
    return db.RunExclusive([&](CAdoConnection& connection) {
        // The whole text is read before the file is touched, so that a failure while reading
        // leaves no half-written backup behind.
        QString text = QStringLiteral("<qpbk version=\"2.0\">\n");
        for (const Section& section : Sections())
            text += SectionText(connection, section);
        text += QStringLiteral("</qpbk>\n");
        CTextFile file;
        if (!file.Open(path, CTextFile::Mode::Write))
            return false;
        file.WriteString(text);
        return file.Close();
    });
}

bool ImportBackup(CRssDatabase& db, const QString& path) {
    return db.RunExclusive([&](CAdoConnection& connection) {
        CXmlDocument document;
        if (!document.LoadFile(path) ||
            !CXmlDocument::HasAttributeValue(document.FindNode(QStringLiteral("qpbk")),
                                             QStringLiteral("version"), QStringLiteral("2.0")))
            return false;

        QHash<int, qint32> views, subscriptions;
        QHash<int, ImportedFeed> feeds;
        ForEachChild(document, "views", "view", [&](const CXmlNode* node) {
            CViewRecord view;
            view.ViewID = NewRecordID();
            view.Label = Unescaped(node, "label");
            view.ReadAfter = qint16(Number(node, "readAfter"));
            view.HideAfter = qint16(Number(node, "hideAfter"));
            view.NumToShow = Number(node, "numToShow");
            view.SortBy = qint16(Number(node, "sortBy"));
            view.HideRead = Number(node, "hideRead") != 0;
            view.DPadSkipRead = Number(node, "skipRead") != 0;
            view.Keywords = Unescaped(node, "keywords");
            if (db.InsertView(view))
                views.insert(Number(node, "id"), view.ViewID);
        });
        ForEachChild(document, "subscriptions", "subscription", [&](const CXmlNode* node) {
            const qint32 id = NewRecordID();
            if (connection.Execute(
                    QStringLiteral(
                        "Insert Into Subscriptions(SubscriptionID,ViewID,Title,"
                        "SubscriptionUrl,IsFromFile,DateEntered) Values(%1,0,%2,%3,%4,%5)")
                        .arg(SqlInt(id), SqlText(Unescaped(node, "label")),
                             SqlText(Unescaped(node, "url")),
                             SqlInt(Number(node, "isFile") != 0 ? 1 : 0),
                             SqlText(FormatDateShort(NowGmt())))))
                subscriptions.insert(Number(node, "id"), id);
        });
        ForEachChild(document, "feeds", "feed", [&](const CXmlNode* node) {
            CFeedRecord feed;
            feed.FeedID = NewRecordID();
            feed.Title = Unescaped(node, "label");
            feed.FeedUrl = Unescaped(node, "url");
            feed.Priority = qint16(Number(node, "priority"));
            feed.ReloadFrequency = qint16(Number(node, "reload"));
            feed.MaxItems = qint16(Number(node, "maxItems"));
            feed.ExtendedData = Number(node, "extendedData") != 0;
            feed.ExtendedAudio = Number(node, "extendedAudio") != 0;
            const QString readAfter = CXmlDocument::GetAttribute(node, QStringLiteral("readAfter"));
            feed.ReadAfter = readAfter.isEmpty() ? 5 : qint16(ReadLeadingInt(readAfter));
            if (db.InsertFeed(feed, 0, 0, CRssDatabase::FeedText::Plain))
                feeds.insert(Number(node, "id"), {feed.FeedID, feed.Priority});
        });

        bool linked = true;
        ForEachChild(document, "viewFeeds", "viewFeed", [&](const CXmlNode* node) {
            const auto view = views.constFind(Number(node, "viewID"));
            const auto feed = feeds.constFind(Number(node, "feedID"));
            if (view != views.constEnd() && feed != feeds.constEnd())
                linked &= connection.Execute(
                    QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(%1,%2,%3)")
                        .arg(*view)
                        .arg(feed->id)
                        .arg(feed->priority));
        });
        ForEachChild(document, "subscriptionFeeds", "subscriptionFeed", [&](const CXmlNode* node) {
            const auto subscription = subscriptions.constFind(Number(node, "subscriptionID"));
            const auto feed = feeds.constFind(Number(node, "feedID"));
            if (subscription != subscriptions.constEnd() && feed != feeds.constEnd())
                linked &= connection.Execute(QStringLiteral("Insert Into SubscriptionFeeds("
                                                            "SubscriptionID,FeedID) Values(%1,%2)")
                                                 .arg(*subscription)
                                                 .arg(feed->id));
        });
        return linked;
    });
}
