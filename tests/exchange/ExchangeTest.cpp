// Tests of the backup file, the OPML export and the earlier version's import.

#include "../store/StoreFixture.h"
#include "exchange/Backup.h"
#include "exchange/LegacyImporter.h"
#include "exchange/OpmlExport.h"
#include "feeds/SubscriptionList.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <optional>

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BackupTest : public StoreFixture {
protected:
    void AddListings() {
        CViewRecord view;
        view.ViewID = 400;
        view.Label = "<&'\">";
        view.HideRead = true;
        view.NumToShow = 30; // a number of its own, not the default of new Views
        view.Keywords = "a \"b\"";
        ASSERT_TRUE(db_.InsertView(view));
        Sql({"Insert Into Subscriptions(SubscriptionID,ViewID,Title,SubscriptionUrl,IsFromFile) "
             "Values(300,400,'Subs','/tmp/l.opml',1)",
             "Insert Into Feeds(FeedID,Title,FeedUrl,Priority,ReloadFrequency,ReadAfter,MaxItems,"
             "ExtendedData,ExtendedAudio,Status) Values(20,'R&D <news>','http://x/?a=1&b=2',7,0,"
             "10,40,1,0,2)",
             "Insert Into Feeds(FeedID,Title,FeedUrl,Priority,ReadAfter,MaxItems,ExtendedData,"
             "ExtendedAudio,Status) Values(10,'It''s','http://y/',1,5,50,0,1,1)",
             "Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(400,20,7)",
             "Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(2,10,1)",
             "Insert Into SubscriptionFeeds(SubscriptionID,FeedID) Values(300,20)"});
    }

    // Saves a backup to `path` and imports it into a new database.
    void SaveAndRestore(const QString& path, CRssDatabase& restored) {
        ASSERT_TRUE(SaveBackup(db_, path));
        const QString copy = env_.Path("copy.qpdb");
        ASSERT_TRUE(db_.CreateDatabase(copy, false, false));
        ASSERT_EQ(restored.OpenDatabase(copy, false), 1);
        ASSERT_TRUE(ImportBackup(restored, path));
    }
};

TEST_F(BackupTest, WritesTheExactLayout) {
    AddListings();
    const QString path = env_.Path("b.qpbk");
    ASSERT_TRUE(SaveBackup(db_, path));
    EXPECT_EQ(FileBytes(path),
              "<qpbk version=\"2.0\">\r\n"
              "  <views>\r\n"
              "  <view id=\"400\" label=\"&lt;&&#039;&quot;&gt;\" readAfter=\"5\" hideAfter=\"7\" "
              "numToShow=\"30\" hideRead=\"1\" skipRead=\"1\" sortBy=\"0\" "
              "keywords=\"a &quot;b&quot;\" />\r\n"
              "  </views>\r\n"
              "  <subscriptions>\r\n"
              "  <subscription id=\"300\" label=\"Subs\" url=\"/tmp/l.opml\" isFile=\"1\" />\r\n"
              "  </subscriptions>\r\n"
              "  <feeds>\r\n"
              "  <feed id=\"10\" label=\"It&#039;s\" url=\"http://y/\" priority=\"1\" reload=\"0\" "
              "readAfter=\"5\" maxItems=\"50\" extendedData=\"0\" extendedAudio=\"1\" />\r\n"
              "  <feed id=\"20\" label=\"R&D &lt;news&gt;\" url=\"http://x/?a=1&b=2\" "
              "priority=\"7\" reload=\"0\" readAfter=\"10\" maxItems=\"40\" extendedData=\"1\" "
              "extendedAudio=\"0\" />\r\n"
              "  </feeds>\r\n"
              "  <viewFeeds>\r\n"
              "  <viewFeed viewID=\"2\" feedID=\"10\" />\r\n"
              "  <viewFeed viewID=\"400\" feedID=\"20\" />\r\n"
              "  </viewFeeds>\r\n"
              "  <subscriptionFeeds>\r\n"
              "  <subscriptionFeed subscriptionID=\"300\" feedID=\"20\" />\r\n"
              "  </subscriptionFeeds>\r\n"
              "</qpbk>\r\n");
}

TEST_F(BackupTest, RestoresWhatItSaved) {
    AddListings();
    const QString path = env_.Path("b.qpbk");
    CRssDatabase restored;
    ASSERT_NO_FATAL_FAILURE(SaveAndRestore(path, restored));
    ASSERT_TRUE(SaveBackup(restored, env_.Path("again.qpbk")));
    // The same listings with new identifiers: compare the files without the numbers.
    auto withoutIds = [](QByteArray bytes) {
        return QString::fromUtf8(bytes).remove(QRegularExpression(R"((id|ID)="\d+")"));
    };
    // Memberships of the built-in Views are not restored.
    const QString expected =
        withoutIds(FileBytes(path).replace("  <viewFeed viewID=\"2\" feedID=\"10\" />\r\n", ""));
    EXPECT_EQ(withoutIds(FileBytes(env_.Path("again.qpbk"))), expected);
    EXPECT_EQ(restored.GetView(1)->Label, "Whats New");

    // Importing again doubles everything.
    ASSERT_TRUE(ImportBackup(restored, path));
    ASSERT_TRUE(restored.LoadFeedList(false));
    EXPECT_EQ(restored.FeedList.size(), 4u);
}

// A keyword View over a large database may show far more items than the dialog's list offers;
// the count is stored, listed and backed up whole.
TEST_F(BackupTest, AViewOfFiftyThousandItemsKeepsItsCount) {
    constexpr int Shown = 50000;
    AddFeed(1, "One");
    AddFeed(2, "Two");
    Sql({QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,Title,Status,ItemDate,LinkUrl,"
                        "LinkUrl2) With Recursive n(i) As (Select 1 Union All Select i + 1 From n "
                        "Where i < %1) Select i, 1 + i % 2, 'tram ' || i, 1, %2, '', '' From n")
             .arg(Shown + 10)
             .arg(Date(NowGmt()))});
    AddView(400, "Trams", {}, Shown, 2, "tram");
    ASSERT_TRUE(db_.RebuildKeywordView(400, true, false, false));
    EXPECT_EQ(db_.GetView(400)->NumToShow, Shown);
    ASSERT_TRUE(db_.LoadViewItems(400, false));
    EXPECT_EQ(db_.ItemList.size(), std::size_t(Shown));

    CRssDatabase restored;
    ASSERT_NO_FATAL_FAILURE(SaveAndRestore(env_.Path("b.qpbk"), restored));
    ASSERT_TRUE(restored.LoadViewList());
    const auto trams = std::find_if(restored.ViewList.begin(), restored.ViewList.end(),
                                    [](const CViewRecord& view) { return view.Label == "Trams"; });
    ASSERT_NE(trams, restored.ViewList.end());
    EXPECT_EQ(restored.GetView(trams->ViewID)->NumToShow, Shown);
}

// Texts that themselves hold what the file's escaping writes come back as they were.
TEST_F(BackupTest, EveryTextComesBackExactly) {
    const QStringList texts = {"&lt;lit&gt;", "&amp;",  "&amp;lt;", "&&lt;", "a &quot;b&quot;",
                               "&#039;x",     "<&'\">", "R&D",      "&",     "&#39; & &gt"};
    for (qsizetype i = 0; i < texts.size(); ++i) {
        CViewRecord view;
        view.ViewID = 400 + qint32(i);
        view.Label = texts[i];
        view.Keywords = texts[i];
        ASSERT_TRUE(db_.InsertView(view));
    }
    CRssDatabase restored;
    ASSERT_NO_FATAL_FAILURE(SaveAndRestore(env_.Path("b.qpbk"), restored));
    ASSERT_TRUE(restored.LoadViewList());
    QStringList labels, keywords;
    for (const CViewRecord& listed : restored.ViewList) {
        if (listed.ViewID <= SearchResultsViewID)
            continue;
        const auto view = restored.GetView(listed.ViewID);
        ASSERT_TRUE(view.has_value());
        labels << view->Label;
        keywords << view->Keywords;
    }
    labels.sort();
    keywords.sort();
    QStringList expected = texts;
    expected.sort();
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(keywords, expected);
}

TEST_F(BackupTest, RefusesOtherFilesAndDefaultsMissingValues) {
    const QString old = env_.WriteFile("old.qpbk", "<qpbk version=\"1.0\"><views><view id=\"9\" "
                                                   "label=\"V\"/></views></qpbk>");
    EXPECT_FALSE(ImportBackup(db_, old));
    EXPECT_FALSE(ImportBackup(db_, env_.WriteFile("x.xml", "<rss version=\"2.0\"/>")));
    EXPECT_FALSE(ImportBackup(db_, env_.Path("missing.qpbk")));
    EXPECT_EQ(Count("Views"), 2);

    ASSERT_TRUE(ImportBackup(db_, env_.WriteFile("sparse.qpbk",
                                                 "<qpbk version=\"2.0\"><views><view label=\"V\"/>"
                                                 "</views><feeds><feed id=\"1\" label=\"F\"/>"
                                                 "</feeds></qpbk>")));
    EXPECT_EQ(Rows("Select ReadAfter From Views Where Label = 'V'"), QStringList{"0"});
    EXPECT_EQ(Rows("Select ReadAfter,Status From Feeds"), QStringList{"5|2"});
    EXPECT_FALSE(SaveBackup(db_, env_.Path("no/such/dir/b.qpbk")));
}

using OpmlExportTest = StoreFixture;

TEST_F(OpmlExportTest, WritesTheListedFeeds) {
    Sql({"Insert Into Feeds(FeedID,Title,Description1,FeedUrl,Status) Values(1,'R&D <labs>',"
         "'It''s &amp; more','http://x/?a=1&b=2',2)",
         "Insert Into Feeds(FeedID,Title,FeedUrl,Status) Values(2,'Plain','http://p/',2)"});
    const QString path = env_.Path("out.opml");
    ASSERT_TRUE(ExportOpml(db_, {2, 99, 1}, path));
    const QByteArray expected =
        "<?xml version=\"1.0\"?>\r\n<opml version=\"1.1\">\r\n  <head>\r\n"
        "    <title>Quillpost - Subscription List</title>\r\n  </head>\r\n  <body>\r\n"
        "    <outline title=\"Plain\" description=\"\" xmlUrl=\"http://p/\"/>\r\n"
        "    <outline title=\"R&amp;D &lt;labs&gt;\" description=\"It&#039;s &amp;amp; more\" "
        "xmlUrl=\"http://x/?a=1&amp;b=2\"/>\r\n"
        "  </body>\r\n</opml>\r\n";
    EXPECT_EQ(FileBytes(path), expected);
    EXPECT_EQ(prompt_.messages.value(0), "Export: Subscription has been saved to: " + path);

    // Other readers and our own subscription import take it.
    xmlDocPtr parsed = xmlReadMemory(expected.constData(), int(expected.size()), "out.opml",
                                     nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
    EXPECT_NE(parsed, nullptr);
    xmlFreeDoc(parsed);
    CFeedData list;
    ASSERT_TRUE(ParseSubscriptionList(list, path));
    ASSERT_EQ(list.Items.size(), 2u);
    EXPECT_EQ(list.Items[1].Link, "http://x/?a=1&amp;b=2");

    ASSERT_TRUE(ExportOpml(db_, {}, env_.Path("empty.opml")));
    EXPECT_FALSE(FileBytes(env_.Path("empty.opml")).contains("outline"));
    EXPECT_FALSE(ExportOpml(db_, {1}, env_.Path("no/dir/x.opml")));
    EXPECT_EQ(prompt_.messages.last(), "Export Error: Could not Save Subscription File");
}

// The first "title" attribute of an element named `name`, depth first; none when absent.
std::optional<QString> TitleOf(xmlNodePtr node, const char* name) {
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name)) {
            xmlChar* title = xmlGetProp(node, BAD_CAST "title");
            const QString text = QString::fromUtf8(reinterpret_cast<const char*>(title));
            xmlFree(title);
            return text;
        }
        if (const auto found = TitleOf(node->children, name))
            return found;
    }
    return std::nullopt;
}

// Hexadecimal references once gave titles holding NUL: the export was a file no reader takes and
// the backup one that would not restore. A title from a feed goes the whole way unchanged.
TEST_F(OpmlExportTest, TitlesWithCharacterReferencesGoThroughExportBackupAndRestore) {
    CFeedRecord feed;
    feed.FeedID = 5;
    feed.FeedUrl = "http://x/feed";
    ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
    const QString file = env_.WriteFile(
        "feed.xml", "<rss version=\"2.0\"><channel><title>Caf&#xE9; d&#x2019;&#x0;&#1;t "
                    "&#128512;</title><item><title>i</title><guid>g</guid></item></channel></rss>");
    ASSERT_TRUE(db_.MergeFeedFile(5, file, nullptr));
    const QString title =
        u"Caf\u00E9 d\u2019\uFFFD\uFFFDt "_qs + QString::fromUcs4(U"\U0001F600", 1);
    ASSERT_EQ(db_.GetFeed(5)->Title, title);

    const QString opml = env_.Path("out.opml");
    ASSERT_TRUE(ExportOpml(db_, {5}, opml));
    const QByteArray exported = FileBytes(opml);
    xmlDocPtr parsed = xmlReadMemory(exported.constData(), int(exported.size()), "out.opml",
                                     nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(TitleOf(xmlDocGetRootElement(parsed), "outline"), title);
    xmlFreeDoc(parsed);
    CFeedData list;
    ASSERT_TRUE(ParseSubscriptionList(list, opml));
    EXPECT_EQ(list.Items.size(), 1u);

    // The restore adds the saved feed again as a new record.
    const QString backup = env_.Path("b.qpbk");
    ASSERT_TRUE(SaveBackup(db_, backup));
    ASSERT_TRUE(ImportBackup(db_, backup));
    ASSERT_TRUE(db_.LoadFeedList(false));
    ASSERT_EQ(db_.FeedList.size(), 2u);
    for (const CFeedRecord& restored : db_.FeedList)
        EXPECT_EQ(restored.Title, title);
}

using LegacyImportTest = StoreFixture;

TEST_F(LegacyImportTest, Version1WithASubscription) {
    const QString listing = env_.WriteFile(
        "sourceList.txt",
        "<quillpost version=\"1.0\"><source label=\"A\" url=\"http://a/\" isActive=\"1\"/>"
        "<source label=\"\" url=\"http://b/\" isActive=\"0\"/>"
        "<source label=\"List &amp; more\" url=\"http://l/\" isSubscription=\"1\">"
        "<source label=\"C1\" url=\"http://c1/\"/><source label=\"C2\" url=\"http://c2/\"/>"
        "<source label=\"C3\" url=\"http://c3/\"/></source></quillpost>");
    CLegacyImporter importer;
    ASSERT_TRUE(importer.ReadLegacyListing(listing));
    ASSERT_TRUE(importer.StoreLegacyListing(path_));
    auto viewOf = [this](const QString& label) {
        return Rows("Select ViewID From Views Where Label = '" + label + "'").value(0);
    };
    EXPECT_EQ(Rows("Select Title From Feeds Inner Join ViewFeeds On Feeds.FeedID = "
                   "ViewFeeds.FeedID Where ViewID = " +
                   viewOf("MyFeeds") + " Order By Title")
                  .size(),
              2);
    EXPECT_EQ(Rows("Select Title From Feeds Inner Join ViewFeeds On Feeds.FeedID = "
                   "ViewFeeds.FeedID Where ViewID = " +
                   viewOf("MySubscriptions") + " Order By Title"),
              QStringList({"C1", "C2", "C3"}));
    EXPECT_EQ(Rows("Select Title From Subscriptions"), QStringList{"List & more"});
    EXPECT_EQ(Count("SubscriptionFeeds"), 3);
    EXPECT_FALSE(viewOf("List & more").isEmpty()); // the subscription's own View
    EXPECT_EQ(Rows("Select Status From Feeds Where FeedUrl = 'http://b/'"), QStringList{"1"});
    EXPECT_TRUE(Rows("Select Title From Feeds Where FeedUrl = 'http://b/'")
                    .value(0)
                    .startsWith("No Title: "));
}

TEST_F(LegacyImportTest, Version2GroupChainAndRefusedVersions) {
    const QString listing = env_.WriteFile(
        "list.txt", "<quillpost version=\"2.0\"><groups><group label=\"Deep\" path=\"News~Sub\"/>"
                    "<group label=\"News\" path=\"\"/><group label=\"Sub\" path=\"News\"/></groups>"
                    "<sources><source label=\"\" url=\"http://1/\" parentPath=\"News~Sub~Deep\"/>"
                    "<source label=\"\" url=\"http://2/\" parentPath=\"\"/></sources></quillpost>");
    CLegacyImporter importer;
    ASSERT_TRUE(importer.ReadLegacyListing(listing));
    ASSERT_NE(importer.Sources()[0].Label, importer.Sources()[1].Label);
    ASSERT_TRUE(importer.StoreLegacyListing(path_));
    const QString news = Rows("Select ViewID From Views Where Label = 'News'").value(0);
    const QString sub = Rows("Select ViewID From Views Where Label = 'Sub'").value(0);
    EXPECT_EQ(Rows("Select ParentID From Views Where Label = 'News'"), QStringList{"0"});
    EXPECT_EQ(Rows("Select ParentID From Views Where Label = 'Sub'"), QStringList{news});
    EXPECT_EQ(Rows("Select ParentID From Views Where Label = 'Deep'"), QStringList{sub});
    EXPECT_EQ(Count("ViewFeeds"), 1);

    for (const char* refused : {"<quillpost version=\"3.0\"/>", "<other version=\"2.0\"/>", ""})
        EXPECT_FALSE(importer.ReadLegacyListing(env_.WriteFile("bad.txt", refused))) << refused;
}

TEST_F(LegacyImportTest, ShippedDemoListing) {
    CLegacyImporter importer;
    ASSERT_TRUE(importer.ReadLegacyListing(":/demoList.txt"));
    EXPECT_GE(importer.Sources().size(), 12u);
    ASSERT_TRUE(importer.StoreLegacyListing(path_));
    EXPECT_EQ(Count("Feeds"), int(importer.Sources().size()));
    EXPECT_EQ(Count("Feeds", "FeedID Not In (Select FeedID From ViewFeeds)"), 0);
}

} // namespace
