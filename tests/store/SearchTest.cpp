// The search newest first: its order, pages, counts, cancellation and case folding, and the
// Search Results View it fills.
#include "StoreFixture.h"
#include "store/AdoConnection.h"
#include "store/FoldedLike.h"
#include "store/SqlText.h"

#include <atomic>

namespace {

struct LikeCase {
    const char* pattern;
    const char* text;
    bool matches;
};

// Patterns as Like reads them: "%" any run, "_" one character, letters of any case alike.
constexpr LikeCase LikeCases[] = {
    {"%über%", "Das Über-Ich", true},
    {"%ÜBER%", "über", true},
    {"%Ärger%", "ÄRGER im Amt", true},
    {"%été%", "L'ÉTÉ", true},
    {"%σ%", "ΟΔΟΣ", true},
    {"%harbour%", "The HARBOUR wall", true},
    {"%harbour%", "harbou r", false},
    {"a_c", "abc", true},
    {"a_c", "a😀c", true},
    {"a_c", "ac", false},
    {"%a%c", "xaybc", true},
    {"%a%c", "xaybcd", false},
    {"abc", "abcd", false},
    {"abc", "ABC", true},
    {"%", "", true},
    {"_", "", false},
    {"%kiwi", "Kiwi", true},
    {"KIWI%", "kiwifruit", true},
    {"%50%%", "a 50% cut", true},
    {"%o'neil%", "O'Neil", true},
};

TEST(FoldedLikeTest, MatchesAsLikeWithEveryLettersCaseFolded) {
    CAdoConnection db;
    ASSERT_EQ(db.Open(QStringLiteral(":memory:")), 0);
    for (const LikeCase& like : LikeCases) {
        const QString pattern = QString::fromUtf8(like.pattern);
        const QString text = QString::fromUtf8(like.text);
        EXPECT_EQ(CFoldedLike(pattern).Matches(text), like.matches)
            << like.pattern << " " << like.text;
        CAdoRecordset row;
        ASSERT_TRUE(
            row.Open(QStringLiteral("Select %1 Like %2").arg(SqlText(text), SqlText(pattern)), db,
                     CAdoRecordset::Mode::Read));
        EXPECT_EQ(row.Field(0).GetLong(), like.matches ? 1 : 0) << like.pattern << " " << like.text;
    }
}

class SearchTest : public StoreFixture {
protected:
    // Items of three feeds with dates that interleave: item n is n hours old. Every third
    // holds the word in its text, every fifth in its title; one has no date.
    void AddItems(int count) {
        AddFeed(1, "One", 3);
        AddFeed(2, "Two", 1);
        AddFeed(3, "Three", 2);
        QStringList statements{QStringLiteral("BEGIN")};
        const QDateTime now = NowGmt();
        for (int n = 1; n <= count; ++n) {
            // Numbers do not follow the dates: the order must come from the dates.
            const qint32 id = 100000 + (n * 7919) % 99991;
            ids_.insert(n, id);
            const QString title = n % 5 == 0 ? QStringLiteral("Über den Hafen %1").arg(n)
                                             : QStringLiteral("News %1").arg(n);
            const QString date = n == 4 ? QStringLiteral("Null") : Date(now.addSecs(-3600 * n));
            statements << QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,Title,Status,"
                                         "ItemDate,LinkUrl,LinkUrl2,Keywords) Values(%1,%2,%3,%4,"
                                         "%5,'','','')")
                              .arg(id)
                              .arg(n % 3 + 1)
                              .arg(SqlText(title))
                              .arg(n % 7 == 0 ? ItemRead : ItemUnread)
                              .arg(date)
                       << QStringLiteral("Insert Into FeedItemShortData(FeedItemID,FeedID,"
                                         "LinkOrder,Keep,TextData) Values(%1,%2,1,0,%3)")
                              .arg(id)
                              .arg(n % 3 + 1)
                              .arg(SqlText(n % 3 == 0 ? QStringLiteral("Boats in the harbour")
                                                      : QStringLiteral("Nothing here")));
        }
        statements << QStringLiteral("COMMIT");
        Sql(statements);
    }

    // The items n that `holds` picks, newest first: by age, the one without a date last.
    QList<qint32> Expected(int count, const std::function<bool(int)>& holds) {
        QList<qint32> expected;
        for (int n = 1; n <= count; ++n)
            if (n != 4 && holds(n))
                expected << ids_.value(n);
        if (holds(4))
            expected << ids_.value(4);
        return expected;
    }

    // Every match, read a page at a time.
    QList<qint32> Searched(const QString& text, CRssDatabase::SearchPlaces places, int page,
                           CItemCursor& cursor) {
        QList<qint32> found;
        EXPECT_TRUE(db_.OpenSearch(cursor, text, places));
        for (int pages = 0; !cursor.done && pages < 10000; ++pages) {
            EXPECT_TRUE(db_.LoadMoreItems(cursor, page));
            for (const CFeedItemRecord& item : db_.ItemList)
                found << item.FeedItemID;
        }
        return found;
    }

    QHash<int, qint32> ids_;
};

struct SearchCase {
    const char* text;
    bool title;
    bool text_;
    std::function<bool(int)> holds;
};

// Few matches are read at once, many down the date index with or without the search index's
// help: every way gives the same matches in the same order, and counts them all.
TEST_F(SearchTest, FindsEveryMatchNewestFirstAndCountsThem) {
    constexpr int Items = 3000;
    AddItems(Items);
    const std::vector<SearchCase> cases = {
        {"harbour", false, true, [](int n) { return n % 3 == 0; }},      // many, by the index
        {"BOATS IN THE", false, true, [](int n) { return n % 3 == 0; }}, // a phrase
        {"über", true, false, [](int n) { return n % 5 == 0; }},         // folded, by the index
        {"hafen 12", true, false,
         [](int n) { return n % 5 == 0 && QString::number(n).startsWith(QLatin1String("12")); }},
        {"harbour", true, true, [](int n) { return n % 3 == 0; }},
        {"r", true, false, [](int n) { return n % 5 == 0; }}, // one letter, common
        // A letter or two: by the index's word ends and the prefixes of its runs.
        {"12", true, false, [](int n) { return QString::number(n).contains(QLatin1String("12")); }},
        {"EN", true, false, [](int n) { return n % 5 == 0; }},
        {"99", true, false, // rare: read from the index at once
         [](int n) { return QString::number(n).contains(QLatin1String("99")); }},
        {"n 1", true, false,
         [](int n) { return n % 5 == 0 && QString::number(n).startsWith(u'1'); }},
        {"ü", true, true, [](int n) { return n % 5 == 0; }},
        {"lighthouse", true, true, [](int) { return false; }},
    };
    for (const SearchCase& searched : cases) {
        const QList<qint32> expected = Expected(Items, searched.holds);
        for (int page : {75, 1000}) {
            CItemCursor cursor;
            EXPECT_EQ(Searched(QString::fromUtf8(searched.text),
                               {searched.title, false, searched.text_}, page, cursor),
                      expected)
                << searched.text << " by pages of " << page;
            const std::optional<CMatchCounts> counts = db_.CountMatches(cursor);
            ASSERT_TRUE(counts.has_value()) << searched.text;
            EXPECT_EQ(counts->all, expected.size()) << searched.text;
            EXPECT_EQ(counts->shown, expected.size()) << searched.text;
        }
    }
}

TEST_F(SearchTest, CancelledSearchReadsAndCountsNothingMore) {
    AddItems(3000);
    std::atomic<bool> cancel{false};
    CItemCursor cursor;
    // More matches than are read at once: read down the date index.
    ASSERT_TRUE(db_.OpenSearch(cursor, QStringLiteral("news"), {}, &cancel));
    ASSERT_TRUE(db_.LoadMoreItems(cursor, 10));
    ASSERT_EQ(db_.ItemList.size(), 10u);
    cancel = true;
    ASSERT_TRUE(db_.LoadMoreItems(cursor, 10));
    EXPECT_TRUE(db_.ItemList.empty());
    EXPECT_FALSE(cursor.done);
    EXPECT_FALSE(db_.CountMatches(cursor).has_value());
}

// The View holds the newest matches it shows, newest first, and counts every match.
TEST_F(SearchTest, SearchResultsViewShowsTheNewestAndCountsAll) {
    AddItems(600);
    CItemCursor cursor;
    ASSERT_TRUE(db_.OpenSearch(cursor, QStringLiteral("harbour"), {}));
    ASSERT_TRUE(db_.LoadMoreItems(cursor, 75));
    const std::vector<CFeedItemRecord> shown = db_.ItemList;
    const std::optional<CMatchCounts> all = db_.CountMatches(cursor);
    ASSERT_TRUE(all.has_value());
    ASSERT_TRUE(db_.FillSearchResults(QStringLiteral("harbour"), shown, all));

    EXPECT_EQ(db_.GetView(SearchResultsViewID)->Keywords, "harbour");
    ASSERT_TRUE(db_.LoadViewItems(SearchResultsViewID, false));
    QList<qint32> listed;
    for (const CFeedItemRecord& item : db_.ItemList)
        listed << item.FeedItemID;
    EXPECT_EQ(listed, Expected(600, [](int n) { return n % 3 == 0; }).mid(0, 75));
    EXPECT_EQ(db_.CountViewItems(SearchResultsViewID, 0), 200);
    EXPECT_EQ(db_.CountViewItems(SearchResultsViewID, ItemUnread),
              Count("FeedItems Inner Join FeedItemShortData On FeedItems.FeedItemID = "
                    "FeedItemShortData.FeedItemID",
                    "TextData Like '%harbour%' And Status = 1"));
    // A rebuild from the keywords holds every match itself: nothing is counted apart.
    ASSERT_TRUE(db_.RebuildKeywordView(SearchResultsViewID, true, true, true));
    EXPECT_EQ(db_.CountViewItems(SearchResultsViewID, 0), 200);
    EXPECT_EQ(Count("SearchMatchCounts"), 0);
}

} // namespace
