// Tests of what the property dialogs write.

#include "app/Properties.h"

#include "../store/StoreFixture.h"
#include "app/FieldMapping.h"
#include "app/SettingsTree.h"
#include "config/AppSettings.h"
#include "feeds/FeedParser.h"

namespace {

class PropertiesTest : public StoreFixture {
protected:
    QString RssFeed(const QString& itemTitle) {
        return env_.WriteFile("feed.xml",
                              "<rss version=\"2.0\"><channel><title>F</title><item><title>" +
                                  itemTitle.toUtf8() + "</title><guid>" + itemTitle.toUtf8() +
                                  "</guid></item></channel></rss>");
    }
};

TEST_F(PropertiesTest, NewViewsStartFromTheDefaults) {
    const qint32 id = ::AddView(db_, "Plain", {});
    ASSERT_NE(id, 0);
    const auto view = db_.GetView(id);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->Label, "Plain");
    EXPECT_EQ(view->ReadAfter, 5);
    EXPECT_EQ(view->HideAfter, 7);
    EXPECT_EQ(view->NumToShow, 1000); // sized for a desktop
    EXPECT_FALSE(view->HideRead);
    EXPECT_TRUE(view->DPadSkipRead);
    EXPECT_EQ(view->SortBy, 0);
    EXPECT_EQ(view->Status, 2);
    EXPECT_FALSE(view->IsKeywordView);

    ViewEdit blanks;
    blanks.keywords = "   ";
    const qint32 blank = ::AddView(db_, "Blank keywords", blanks);
    EXPECT_FALSE(db_.GetView(blank)->IsKeywordView);
    EXPECT_EQ(Count("ViewFeedItems", QString("ViewID = %1").arg(blank)), 0);
}

TEST_F(PropertiesTest, KeywordViewIsBuiltAtOnceAndFilledByLaterMerges) {
    AddFeed(1, "F");
    AddItem(1, 10, NowGmt(), ItemUnread, "Budget news");
    ViewEdit edit;
    edit.keywords = "  budget  ";
    const qint32 id = ::AddView(db_, "Budget", edit);
    EXPECT_EQ(db_.GetView(id)->Keywords, "budget");
    EXPECT_EQ(Count("ViewFeedItems", QString("ViewID = %1").arg(id)), 1);

    // Out of Dynamic Mode the keywords are kept but the View is not built from them yet.
    edit.dynamicMode = false;
    const qint32 kept = ::AddView(db_, "Budget later", edit);
    EXPECT_EQ(db_.GetView(kept)->Keywords, "budget");
    EXPECT_EQ(Count("ViewFeedItems", QString("ViewID = %1").arg(kept)), 0);

    ASSERT_TRUE(db_.MergeFeedFile(1, RssFeed("Budget vote tonight"), nullptr));
    EXPECT_EQ(Count("ViewFeedItems", QString("ViewID = %1").arg(id)), 2);
}

TEST_F(PropertiesTest, MembershipsAreRewrittenOnlyWhenTheyDiffer) {
    AddFeed(1, "A");
    AddFeed(2, "B");
    AddView(500, "V", {});
    Sql({"Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(500,1,7)",
         "Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(500,2,7)"});
    ViewEdit same;
    same.feedIDs = QList<qint32>{2, 1};
    same.label = "Renamed";
    ASSERT_TRUE(ApplyViewEdit(db_, 500, same));
    EXPECT_EQ(Rows("Select Priority From ViewFeeds Where ViewID = 500"), QStringList({"7", "7"}));
    EXPECT_EQ(db_.GetView(500)->Label, "Renamed");

    FeedEdit feedSame;
    feedSame.viewIDs = QList<qint32>{500};
    ASSERT_TRUE(ApplyFeedEdit(db_, 1, feedSame));
    EXPECT_EQ(Rows("Select Priority From ViewFeeds Where FeedID = 1"), QStringList{"7"});

    ViewEdit other;
    other.feedIDs = QList<qint32>{2};
    ASSERT_TRUE(ApplyViewEdit(db_, 500, other));
    EXPECT_EQ(Rows("Select FeedID,Priority From ViewFeeds Where ViewID = 500"), QStringList{"2|0"});
}

TEST_F(PropertiesTest, FeedSettingsAreClampedAndReservedViewsIgnored) {
    AddFeed(1, "A");
    AddView(500, "V", {});
    Sql({"Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(2,1,0)"});
    EXPECT_TRUE(FeedViewIDs(db_, 1).isEmpty());
    const std::pair<int, int> priorities[] = {{250, 100}, {-5, 0}, {42, 42}};
    for (const auto& [given, stored] : priorities) {
        FeedEdit edit;
        edit.priority = given;
        ASSERT_TRUE(ApplyFeedEdit(db_, 1, edit));
        EXPECT_EQ(db_.GetFeed(1)->Priority, stored) << given;
    }
    FeedEdit views;
    views.viewIDs = QList<qint32>{1, 2, 500};
    ASSERT_TRUE(ApplyFeedEdit(db_, 1, views));
    EXPECT_EQ(FeedViewIDs(db_, 1), QList<qint32>{500});
    EXPECT_FALSE(ApplyFeedEdit(db_, 99, views));
}

TEST_F(PropertiesTest, SwitchingExtendedDataOnOffersAPurge) {
    AddFeed(1, "A");
    AddItem(1, 10, NowGmt());
    FeedEdit on;
    on.extendedData = true;
    prompt_.answers = {false};
    ASSERT_TRUE(ApplyFeedEdit(db_, 1, on));
    EXPECT_TRUE(
        prompt_.questions.value(0).startsWith("Confirm: You have enabled \"Extended Data\""));
    EXPECT_EQ(Count("FeedItems"), 1);

    FeedEdit off;
    off.extendedData = false;
    ASSERT_TRUE(ApplyFeedEdit(db_, 1, off));
    prompt_.answers = {true};
    ASSERT_TRUE(ApplyFeedEdit(db_, 1, on));
    EXPECT_EQ(Count("FeedItems"), 0);
    EXPECT_TRUE(
        prompt_.messages.last().startsWith("Notice: \"Extended Data\" has now been enabled"));
    // Already on: no question.
    ASSERT_TRUE(ApplyFeedEdit(db_, 1, on));
    EXPECT_EQ(prompt_.questions.size(), 2);
}

TEST_F(PropertiesTest, MappingOverridesApplyToTheNextParse) {
    const QString feed = env_.WriteFile(
        "dates.xml", "<rss version=\"2.0\"><channel><title>F</title><item><title>T</title>"
                     "<dc:date>DC</dc:date><pubDate>PUB</pubDate></item></channel></rss>");
    CFeedData parsed;
    ASSERT_TRUE(ParseFeedFile(parsed, feed));
    EXPECT_EQ(parsed.Items[0].Date, "PUB");
    const int rss20 = MappingFormatIndex("rss 2.0");
    ASSERT_EQ(rss20, 5);
    FieldMapping mapping = ReadFieldMapping(rss20);
    mapping.date = "dc:date";
    WriteFieldMapping(rss20, mapping);
    ASSERT_TRUE(ParseFeedFile(parsed, feed));
    EXPECT_EQ(parsed.Items[0].Date, "DC");
    EXPECT_EQ(MappingFormatIndex("Atom 0.3"), 6);
    EXPECT_EQ(MappingFormatIndex("RSS 3"), -1);
    EXPECT_EQ(DefaultMappingElements(6).value(2), "issued");
}

} // namespace

namespace {

// The settings screen shows what the program uses: a hand-written value outside the key's range
// shows as the screen's default.
TEST(SettingsScreen, AValueOutsideItsRangeShowsTheScreenDefault) {
    TestEnvironment env;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const SettingItem buffer{
        "Download Buffer", SettingKind::Choice, &Key::DownloadBuffer, nullptr, nullptr, ""};
    store.Write(Key::DownloadBuffer, 16);
    EXPECT_EQ(ReadSetting(store, buffer).toInt(), 16);
    store.WriteInt("Special", "DownloadBuffer", 2097152);
    EXPECT_EQ(ReadSetting(store, buffer).toInt(), Key::DownloadBuffer.screenDefault);
}

} // namespace
