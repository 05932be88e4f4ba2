// Tests of the delete and purge commands both programs share: their questions and what goes.

#include "app/UserCommands.h"

#include "../store/StoreFixture.h"
#include "config/RegistrySettings.h"

#include <QFile>
#include <functional>

namespace {

// Two Feeds with items, a View over both and a subscription; each command is run on it once
// answered No and once Yes.
class UserCommandsTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        AddFeed(1, "Kept", 1, 1);
        AddFeed(2, "Other");
        AddItem(1, 11, NowGmt());
        AddItem(1, 12, NowGmt());
        AddItem(2, 21, NowGmt());
        AddView(10, "Mine", {1, 2});
        CSubscriptionRecord subscription;
        subscription.SubscriptionID = 5;
        subscription.Title = "List";
        subscription.SubscriptionUrl = "http://127.0.0.1/list.opml";
        ASSERT_TRUE(db_.InsertSubscription(subscription, true));
    }

    // Every row the commands may touch, for a before-and-after comparison.
    QStringList State() {
        QStringList state;
        for (const char* query : {"Select FeedID, Status From Feeds Order By FeedID",
                                  "Select FeedItemID From FeedItems Order By FeedItemID",
                                  "Select ViewID From Views Order By ViewID",
                                  "Select ViewID, FeedID From ViewFeeds Order By ViewID, FeedID",
                                  "Select SubscriptionID From Subscriptions"})
            state << Rows(query).join(u' ');
        return state;
    }

    QString Backup() const { return env_.Path("rssAutoBAK.qpbk"); }
};

struct CommandCase {
    const char* name;
    std::function<CommandOutcome(CRssDatabase&, const QString& backup)> run;
    const char* question; // caption and text as the user sees them
};

const CommandCase Cases[] = {
    {"delete feed", [](CRssDatabase& db, const QString&) { return DeleteFeedCommand(db, 1); },
     "Confirm Delete: Are you sure you want to delete the selected Feed?"},
    {"purge feed", [](CRssDatabase& db, const QString&) { return PurgeFeedCommand(db, 1); },
     "Confirm Delete: Are you sure you want to purge Item data associated with the selected "
     "Feed?"},
    {"delete View", [](CRssDatabase& db, const QString&) { return DeleteViewCommand(db, 10); },
     "Confirm Delete: Are you sure you want to delete the current View?"},
    {"delete subscription",
     [](CRssDatabase& db, const QString&) { return DeleteSubscriptionCommand(db, 5); },
     "Confirm: Are you sure you want to delete the selected Subscription?"},
    {"purge database",
     [](CRssDatabase& db, const QString& backup) { return PurgeDatabaseCommand(db, backup); },
     "Confirm: This will Purge all old Feed data from the database.\n\nIt will not delete your "
     "Feeds, but will simply remove all currently cached content data.\n\nDo you want to "
     "continue?"},
};

TEST_F(UserCommandsTest, EachCommandAsksItsQuestionAndANoChangesNothing) {
    const QStringList before = State();
    for (const CommandCase& command : Cases) {
        SCOPED_TRACE(command.name);
        prompt_.questions.clear();
        prompt_.answers = {false};
        EXPECT_EQ(command.run(db_, Backup()), CommandOutcome::Declined);
        EXPECT_EQ(prompt_.questions, QStringList{command.question});
        EXPECT_EQ(State(), before);
    }
    EXPECT_FALSE(QFile::exists(Backup()));
    EXPECT_EQ(CRegistrySettings::ForQuillpost().Read(Key::TodayHasChanged), 0);
}

TEST_F(UserCommandsTest, DeletingAFeedTakesItsItemsAndMembershipsOnly) {
    prompt_.answers = {true};
    EXPECT_EQ(DeleteFeedCommand(db_, 1), CommandOutcome::Done);
    EXPECT_EQ(Rows("Select FeedID From Feeds"), QStringList{"2"});
    EXPECT_EQ(Rows("Select FeedItemID From FeedItems"), QStringList{"21"});
    EXPECT_EQ(Rows("Select FeedID From ViewFeeds Where ViewID = 10"), QStringList{"2"});
}

TEST_F(UserCommandsTest, PurgingAFeedEmptiesItAndEnablesItAgain) {
    prompt_.answers = {true};
    EXPECT_EQ(PurgeFeedCommand(db_, 1), CommandOutcome::Done);
    EXPECT_EQ(Rows("Select FeedID, Status From Feeds Order By FeedID"),
              (QStringList{"1|2", "2|2"}));
    EXPECT_EQ(Rows("Select FeedItemID From FeedItems"), QStringList{"21"});
    EXPECT_EQ(Rows("Select FeedID From ViewFeeds Where ViewID = 10"), (QStringList{"1", "2"}));
}

TEST_F(UserCommandsTest, DeletingAViewKeepsItsFeedsAndReservedViewsAreNeverAskedFor) {
    const QStringList views = Rows("Select ViewID From Views Order By ViewID");
    for (const qint32 reserved : {WhatsNewViewID, SearchResultsViewID, LastReservedViewID})
        EXPECT_EQ(DeleteViewCommand(db_, reserved), CommandOutcome::Refused);
    EXPECT_EQ(Rows("Select ViewID From Views Order By ViewID"), views);
    EXPECT_TRUE(prompt_.questions.isEmpty());

    prompt_.answers = {true};
    EXPECT_EQ(DeleteViewCommand(db_, 10), CommandOutcome::Done);
    EXPECT_EQ(Count("Views", "ViewID = 10"), 0);
    EXPECT_EQ(Count("ViewFeeds", "ViewID = 10"), 0);
    EXPECT_EQ(Count("Feeds"), 2);
    EXPECT_EQ(Count("FeedItems"), 3);
}

TEST_F(UserCommandsTest, DeletingASubscriptionKeepsTheFeeds) {
    prompt_.answers = {true};
    EXPECT_EQ(DeleteSubscriptionCommand(db_, 5), CommandOutcome::Done);
    EXPECT_EQ(Count("Subscriptions"), 0);
    EXPECT_EQ(Count("Feeds"), 2);
}

TEST_F(UserCommandsTest, PurgingTheDatabaseBacksUpFirstAndKeepsFeedsAndViews) {
    prompt_.answers = {true};
    EXPECT_EQ(PurgeDatabaseCommand(db_, Backup()), CommandOutcome::Done);
    EXPECT_EQ(Count("FeedItems"), 0);
    EXPECT_EQ(Count("Feeds"), 2);
    EXPECT_EQ(Count("Views", "ViewID = 10"), 1);
    QFile backup(Backup());
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_TRUE(backup.readAll().contains("Mine"));
    EXPECT_EQ(CRegistrySettings::ForQuillpost().Read(Key::TodayHasChanged), 1);
}

} // namespace
