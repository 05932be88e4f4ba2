// Searches of the items' titles, keywords and text: the search that fills keyword Views, and the
// one newest first, a page at a time, that the Search Results View and the search dialog show.
#include "store/DatabaseAccess.h"
#include "store/WordTrigramTokenizer.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <sqlite3.h>

namespace {

// What every row matching a Like pattern holds and the index keeps, in the index's query
// language, each piece quoted (a double quote doubled) so that no search text is read as an
// operator: the runs of three characters of the pattern's plain stretches between its wildcards
// that hold no white space; failing those, each word piece of one or two characters as a
// prefix, since every such piece starts a run or a word end the index keeps. None when the
// pattern holds neither: then only Like can tell.
std::optional<QString> IndexQuery(const QString& text) {
    static const QRegularExpression wildcards(QStringLiteral("[%_]"));
    const QStringList stretches = text.split(wildcards);
    const auto quoted = [](const QString& piece) {
        return u'"' + QString(piece).replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    QStringList runs;
    for (const QString& stretch : stretches) {
        const QList<uint> characters = stretch.toUcs4();
        for (qsizetype i = 0; i + 3 <= characters.size(); ++i) {
            const auto* first = reinterpret_cast<const char32_t*>(characters.constData() + i);
            if (std::any_of(first, first + 3, CWordTrigramTokenizer::BreaksRuns))
                continue;
            const QString run = quoted(QString::fromUcs4(first, 3));
            if (!runs.contains(run))
                runs << run;
        }
    }
    if (runs.isEmpty())
        for (const QString& stretch : stretches)
            for (const QString& piece :
                 stretch.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                if (!runs.contains(quoted(piece) + u'*'))
                    runs << quoted(piece) + u'*';
    if (runs.isEmpty())
        return std::nullopt;
    return runs.join(QStringLiteral(" AND "));
}

// The search index names a first piece of text by its item's number and a later one by
// -(FeedItemID * 65536 + LinkOrder).
qint32 ItemOfIndexRow(qint64 rowid) {
    return rowid > 0 ? qint32(rowid) : qint32(-rowid / 65536);
}

// What makes a row of FeedItems a match: one of the chosen fields holds the text.
QString MatchCondition(const QString& pattern, const CRssDatabase::SearchPlaces& places) {
    QStringList held;
    if (places.title)
        held << QStringLiteral("FeedItems.Title Like ") + pattern;
    if (places.keywords)
        held << QStringLiteral("FeedItems.Keywords Like ") + pattern;
    if (places.text)
        held << QStringLiteral("Exists(Select 1 From FeedItemShortData Where "
                               "FeedItemShortData.FeedItemID = FeedItems.FeedItemID And "
                               "FeedItemShortData.TextData Like ") +
                    pattern + u')';
    return u'(' + held.join(QStringLiteral(" Or ")) + u')';
}

// Whether the items the index names for the text are exactly its matches: the text is one run
// of three that the index keeps, or one or two characters of a word, and the title index (one
// for titles and keywords together) is searched for both fields or for neither.
bool NamesExactlyTheMatches(const QString& text, const CRssDatabase::SearchPlaces& places) {
    static const QRegularExpression oneRun(QStringLiteral("^[^%_\\s]+$"));
    return places.title == places.keywords && text.toUcs4().size() <= 3 &&
           oneRun.match(text).hasMatch();
}

// A search whose index names up to this many items reads and orders them at once; one with more
// reads its matches down the date index, where they come in the list's order.
constexpr int FewMatches = 2048;
// Rows tested down the date index before the items the index names are read, and how many more
// are tested when the matches among the first promise to fill the page within them.
constexpr int NewestRowsTested = 512;
constexpr int FurtherRowsTested = 8192;
// A text held by at least one of this many of the newest rows counts as common.
constexpr int CommonOneIn = 64;
// Items tested at a time while the matches are counted, the lock let go between.
constexpr int CountedAtOnce = 4096;

// Stops the statement running on the connection, while it lives, once the flag is set: the
// statement then ends as if it had no more rows.
class InterruptWhenCancelled {
public:
    InterruptWhenCancelled(sqlite3* db, const std::atomic<bool>* cancel) : db_(db) {
        if (cancel)
            sqlite3_progress_handler(db_, 1000, &Stop, const_cast<std::atomic<bool>*>(cancel));
    }
    ~InterruptWhenCancelled() { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
    InterruptWhenCancelled(const InterruptWhenCancelled&) = delete;
    InterruptWhenCancelled& operator=(const InterruptWhenCancelled&) = delete;

private:
    static int Stop(void* cancel) {
        return static_cast<std::atomic<bool>*>(cancel)->load() ? 1 : 0;
    }
    sqlite3* db_;
};

// IsSearchCandidate(FeedItemID): whether the item is one of the set the connection was last
// given, the candidates of the search being read.
class IsSearchCandidate {
public:
    static void Register(sqlite3* db, const QSet<qint32>* candidates) {
        sqlite3_create_function_v2(
            db, "IsSearchCandidate", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
            const_cast<QSet<qint32>*>(candidates), &Test, nullptr, nullptr, nullptr);
    }

private:
    static void Test(sqlite3_context* context, int, sqlite3_value** arguments) {
        const auto* candidates = static_cast<const QSet<qint32>*>(sqlite3_user_data(context));
        sqlite3_result_int(context, candidates->contains(sqlite3_value_int(arguments[0])));
    }
};

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load();
}

QList<QList<qint32>> Chunks(const QList<qint32>& ids, int size) {
    QList<QList<qint32>> chunks;
    for (qsizetype first = 0; first < ids.size(); first += size)
        chunks << ids.mid(first, size);
    return chunks;
}

} // namespace

// The search text goes into the pattern with its quotes doubled: an apostrophe is found like
// any other character and no text can change the statement. Rows are found through the search
// index and kept when Like says so: the same rows as a Like over every row.
void CRssDatabase::SearchItems(const QString& text, SearchResults& results, bool byTitle,
                               bool byKeywords, bool byText, bool newestFirst) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const QString pattern = SqlText(u'%' + trimmed + u'%');
    const std::optional<QString> indexQuery = IndexQuery(trimmed);
    const auto indexed = [&](const QString& column, const QString& index) {
        return indexQuery
                   ? QStringLiteral(" And ") + column + QStringLiteral(" In (Select rowid") +
                         (index == u"ItemTextSearch"
                              ? QStringLiteral(" / (Case When rowid < 0 Then -65536 Else 1 End)")
                              : QString()) +
                         QStringLiteral(" From ") + index + QStringLiteral(" Where ") + index +
                         QStringLiteral(" Match ") + SqlText(*indexQuery) + u')'
                   : QString();
    };
    const QString order = newestFirst ? QStringLiteral(" Order By ItemDate Desc")
                                      : QStringLiteral(" Order By FeedID");
    // Each query's rows: FeedItemID, Title, FeedID and whether the row comes ahead of the
    // query's others. Titles and keywords live in the item's own row and the title index names
    // both, so one reading of the rows it names tests both fields; the title matches come first,
    // then those found in the keywords only, as when each field was searched alone.
    QStringList queries;
    if (byTitle || byKeywords) {
        QStringList held;
        if (byTitle)
            held << QStringLiteral("Title Like ") + pattern;
        if (byKeywords)
            held << QStringLiteral("Keywords Like ") + pattern;
        queries << QStringLiteral("Select FeedItemID,Title,FeedID,") + held.first() +
                       QStringLiteral(" From FeedItems Where (") +
                       held.join(QStringLiteral(" Or ")) + u')' +
                       indexed(QStringLiteral("FeedItemID"), QStringLiteral("ItemTitleSearch")) +
                       order;
    }
    if (byText)
        queries << QStringLiteral("Select FeedItems.FeedItemID,FeedItems.Title,FeedItems.FeedID,1 "
                                  "From FeedItems Inner Join FeedItemShortData On "
                                  "FeedItems.FeedItemID = FeedItemShortData.FeedItemID Where "
                                  "FeedItemShortData.TextData Like ") +
                       pattern +
                       indexed(QStringLiteral("FeedItemShortData.FeedItemID"),
                               QStringLiteral("ItemTextSearch")) +
                       (newestFirst ? QStringLiteral(" Order By FeedItems.ItemDate Desc")
                                    : QStringLiteral(" Order By FeedItems.FeedID"));
    QSet<qint32> listed(results.feedItemIDs.cbegin(), results.feedItemIDs.cend());
    const auto add = [&](qint32 feedItemID, QString title, qint32 feedID) {
        if (listed.contains(feedItemID))
            return;
        listed.insert(feedItemID);
        results.feedItemIDs << feedItemID;
        results.titles << std::move(title);
        results.feedIDs << feedID;
    };
    WithAccess(true, [&] {
        for (const QString& query : queries) {
            SearchResults behind;
            for (auto rows = Query(query); !rows->IsEOF(); rows->MoveNext()) {
                const qint32 feedItemID = rows->Field(0).GetLong();
                if (listed.contains(feedItemID))
                    continue;
                if (rows->Field(3).GetBool()) {
                    add(feedItemID, rows->Field(1).GetString(), rows->Field(2).GetLong());
                } else {
                    behind.feedItemIDs << feedItemID;
                    behind.titles << rows->Field(1).GetString();
                    behind.feedIDs << rows->Field(2).GetLong();
                }
            }
            for (qsizetype i = 0; i < behind.feedItemIDs.size(); ++i)
                add(behind.feedItemIDs[i], behind.titles[i], behind.feedIDs[i]);
        }
        return true;
    });
}

bool CRssDatabase::OpenSearch(CItemCursor& cursor, const QString& text, SearchPlaces places,
                              const std::atomic<bool>* cancel) {
    ItemList.clear();
    cursor = CItemCursor();
    cursor.kind = CItemCursor::Kind::Whole;
    cursor.cancel = cancel;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !(places.title || places.keywords || places.text)) {
        cursor.done = true;
        cursor.counted = CMatchCounts();
        return true;
    }
    cursor.matchCondition = MatchCondition(SqlText(u'%' + trimmed + u'%'), places);
    cursor.indexQuery = IndexQuery(trimmed);
    cursor.indexByPrefix = cursor.indexQuery && cursor.indexQuery->endsWith(u'*');
    cursor.byTitleIndex = places.title || places.keywords;
    cursor.byTextIndex = places.text;
    cursor.indexIsExact = NamesExactlyTheMatches(trimmed, places);
    return WithAccess(false, [&] {
        InterruptWhenCancelled interrupt(connection_->Handle(), cancel);
        const std::optional<QList<qint32>> few =
            cursor.indexQuery && !(cursor.indexByPrefix && CommonAmongNewestRows(cursor))
                ? IndexedItems(cursor, FewMatches)
                : std::nullopt;
        if (few) {
            for (const QList<qint32>& chunk : Chunks(*few, CountedAtOnce))
                TakeReadableRows(*Query(QStringLiteral("Select ") + ListedItemColumns +
                                        QStringLiteral(" From FeedItems Where FeedItemID In (") +
                                        SqlIntList(chunk) + QStringLiteral(") And ") +
                                        cursor.matchCondition),
                                 [&](CAdoRecordset& row) {
                                     cursor.items.push_back(ReadListedItem(row));
                                     return true;
                                 });
            std::sort(cursor.items.begin(), cursor.items.end(), ListedBefore);
            cursor.counted = CountsOf(cursor.items);
            cursor.done = cursor.items.empty();
            return !Cancelled(cancel);
        }
        cursor.kind = CItemCursor::Kind::Matches;
        cursor.byDateQuery = MatchesByDate(cursor);
        return !Cancelled(cancel);
    });
}

// The items the search index names for the cursor's text, each once, in number order; none when
// there are more than `most` rows (0: no limit).
std::optional<QList<qint32>> CRssDatabase::IndexedItems(const CItemCursor& cursor, int most) {
    QSet<qint32> ids;
    const auto read = [&](const QString& index) {
        int rows = 0;
        for (auto found =
                 Query(QStringLiteral("Select rowid From ") + index + QStringLiteral(" Where ") +
                       index + QStringLiteral(" Match ") + SqlText(*cursor.indexQuery) +
                       (most > 0 ? QStringLiteral(" Limit ") + SqlInt(most + 1) : QString()));
             !found->IsEOF(); found->MoveNext(), ++rows)
            ids.insert(ItemOfIndexRow(found->Field(0).GetValue().toLongLong()));
        return most == 0 || rows <= most;
    };
    if ((cursor.byTitleIndex && !read(QStringLiteral("ItemTitleSearch"))) ||
        (cursor.byTextIndex && !read(QStringLiteral("ItemTextSearch"))) ||
        (most > 0 && ids.size() > most))
        return std::nullopt;
    QList<qint32> sorted(ids.cbegin(), ids.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

CMatchCounts CRssDatabase::CountsOf(const std::vector<CFeedItemRecord>& items) {
    CMatchCounts counts;
    for (const CFeedItemRecord& item : items) {
        ++counts.all;
        counts.shown += item.Status != ItemHidden;
        counts.unread += item.Status == ItemUnread;
        counts.locked += item.Status == ItemLocked;
    }
    return counts;
}

// The matches down the date index after the cursor's last row; with the candidates, only their
// rows are read. The candidate test needs only the index's columns, so the engine makes it
// before it reads the row for Like.
QString CRssDatabase::MatchesByDate(const CItemCursor& cursor) {
    return QStringLiteral("Select ") + ListedItemColumns +
           QStringLiteral(" From FeedItems Indexed By FeedItemsNewest_PI Where ") +
           (cursor.candidates ? QStringLiteral("IsSearchCandidate(FeedItems.FeedItemID) And ")
                              : QString()) +
           cursor.matchCondition;
}

// A text that many items hold is mostly found among the newest rows: those are tested first,
// up to a number of rows, and further rows when the matches among them promise to fill the page
// soon. Only when they do not fill the page are the items the index names read, however many,
// and from then on only theirs are tested.
void CRssDatabase::AppendMatchesPage(CItemCursor& cursor, int count) {
    InterruptWhenCancelled interrupt(connection_->Handle(), cursor.cancel);
    const auto take = [&](CAdoRecordset& row) {
        ItemList.push_back(ReadListedItem(row));
        return true;
    };
    if (cursor.indexQuery && !cursor.candidates) {
        std::optional<QString> bound = NewestRowsBound(cursor, NewestRowsTested);
        bool filled = ReadOnByDate(cursor, cursor.byDateQuery + bound.value_or(QString()),
                                   QString(), count, take);
        const int found = int(ItemList.size());
        if (!filled && bound && found > 0 &&
            qint64(count - found) * NewestRowsTested <= qint64(found) * FurtherRowsTested) {
            bound = NewestRowsBound(cursor, FurtherRowsTested);
            filled = ReadOnByDate(cursor, cursor.byDateQuery + bound.value_or(QString()), QString(),
                                  count - found, take);
        }
        if (filled || !bound || Cancelled(cursor.cancel)) {
            cursor.done = !filled && !Cancelled(cursor.cancel);
            return;
        }
        const std::optional<QList<qint32>> all = IndexedItems(cursor, 0);
        cursor.candidates = std::make_shared<const QSet<qint32>>(
            all ? QSet<qint32>(all->cbegin(), all->cend()) : QSet<qint32>());
        cursor.byDateQuery = MatchesByDate(cursor);
    }
    if (cursor.candidates)
        IsSearchCandidate::Register(connection_->Handle(), cursor.candidates.get());
    const int wanted = count - int(ItemList.size());
    const bool more = ReadOnByDate(cursor, cursor.byDateQuery, QString(), wanted, take);
    cursor.done = !more && !Cancelled(cursor.cancel);
}

// A text of a letter or two is named by the index only as the rows of every run that starts
// with it, merged, which costs as much as the text is common; when it is, its matches are rather
// found by testing the rows newest first.
bool CRssDatabase::CommonAmongNewestRows(const CItemCursor& cursor) {
    const std::optional<QString> bound = NewestRowsBound(cursor, NewestRowsTested);
    if (!bound)
        return false;
    const auto row = Query(QStringLiteral("Select Count(*) From FeedItems Indexed By "
                                          "FeedItemsNewest_PI Where ") +
                           cursor.matchCondition + *bound);
    return !row->IsEOF() && qint64(row->Field(0).GetLong()) * CommonOneIn >= NewestRowsTested;
}

// The condition that keeps a walk down the date index within the next rows from the cursor's
// last one on; none when fewer rows with a date are left.
std::optional<QString> CRssDatabase::NewestRowsBound(const CItemCursor& cursor, int rows) {
    if (cursor.started && cursor.lastDate.isNull())
        return std::nullopt;
    const QString after = cursor.started
                              ? QStringLiteral(" And (ItemDate,FeedItemID) < (%1,%2)")
                                    .arg(SqlText(cursor.lastDate), SqlInt(cursor.lastItemID))
                              : QString();
    const auto row = Query(QStringLiteral("Select ItemDate,FeedItemID From FeedItems Indexed By "
                                          "FeedItemsNewest_PI Where ItemDate Is Not Null") +
                           after +
                           QStringLiteral(" Order By ItemDate Desc,FeedItemID Desc Limit 1 "
                                          "Offset ") +
                           SqlInt(rows - 1));
    if (row->IsEOF())
        return std::nullopt;
    return QStringLiteral(" And (FeedItems.ItemDate,FeedItems.FeedItemID) >= (%1,%2)")
        .arg(SqlText(row->Field(0).GetString()), SqlInt(row->Field(1).GetLong()));
}

// A search with many matches is counted a part at a time: the items the index names, or, when
// the text has no run it keeps, ranges of rows. The lock is let go between parts, so that a
// download goes on meanwhile, and the flag is looked at.
std::optional<CMatchCounts> CRssDatabase::CountMatches(const CItemCursor& cursor) {
    if (Cancelled(cursor.cancel))
        return std::nullopt;
    if (cursor.counted)
        return cursor.counted;
    QStringList parts;
    const bool listed = WithAccess(false, [&] {
        InterruptWhenCancelled interrupt(connection_->Handle(), cursor.cancel);
        if (cursor.indexQuery) {
            const std::optional<QList<qint32>> ids = IndexedItems(cursor, 0);
            for (const QList<qint32>& chunk : Chunks(ids.value_or(QList<qint32>()), CountedAtOnce))
                parts << QStringLiteral("FeedItems.FeedItemID In (") + SqlIntList(chunk) + u')';
            return true;
        }
        const auto last = Query(QStringLiteral("Select Max(rowid) From FeedItems"));
        const qint64 lastRow = last->IsEOF() ? 0 : last->Field(0).GetValue().toLongLong();
        for (qint64 first = 0; first <= lastRow; first += CountedAtOnce)
            parts << QStringLiteral("FeedItems.rowid Between %1 And %2")
                         .arg(first)
                         .arg(first + CountedAtOnce - 1);
        return true;
    });
    if (!listed || Cancelled(cursor.cancel))
        return std::nullopt;
    CMatchCounts counts;
    for (const QString& part : parts) {
        const bool counted = WithAccess(false, [&] {
            InterruptWhenCancelled interrupt(connection_->Handle(), cursor.cancel);
            const auto row =
                Query(QStringLiteral("Select Count(*),Total(Status <> 0),Total(Status = 1),"
                                     "Total(Status = 3) From FeedItems Where ") +
                      part +
                      (cursor.indexIsExact ? QString()
                                           : QStringLiteral(" And ") + cursor.matchCondition));
            if (row->IsEOF())
                return false;
            counts.all += row->Field(0).GetLong();
            counts.shown += row->Field(1).GetLong();
            counts.unread += row->Field(2).GetLong();
            counts.locked += row->Field(3).GetLong();
            return true;
        });
        if (!counted || Cancelled(cursor.cancel))
            return std::nullopt;
    }
    return counts;
}

// The members are the newest matches, as many as the View shows, rather than every match: the
// View shows no more, and writing a hundred thousand memberships would keep the search waiting.
// What it does not hold is counted apart, so that its counts are those of all matches.
bool CRssDatabase::FillSearchResults(const QString& text, const std::vector<CFeedItemRecord>& shown,
                                     const std::optional<CMatchCounts>& all) {
    auto view = GetView(SearchResultsViewID);
    if (!view)
        return false;
    view->Keywords = text;
    if (!UpdateView(*view))
        return false;
    QList<qint32> ids;
    for (const CFeedItemRecord& item : shown)
        ids << item.FeedItemID;
    const CMatchCounts members = CountsOf(shown);
    QStringList statements{
        QStringLiteral("Delete From ViewFeedItems Where ViewID = ") + SqlInt(SearchResultsViewID),
        QStringLiteral("Delete From SearchMatchCounts Where ViewID = ") +
            SqlInt(SearchResultsViewID),
        QStringLiteral("Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) Select %1,"
                       "FeedItems.FeedID,FeedItems.FeedItemID,Coalesce((Select Priority From "
                       "Feeds Where Feeds.FeedID = FeedItems.FeedID),1) From FeedItems Where "
                       "FeedItemID In (%2)")
            .arg(SqlInt(SearchResultsViewID), SqlIntList(ids))};
    if (all)
        statements << QStringLiteral("Insert Into SearchMatchCounts(ViewID,Shown,Unread,Locked) "
                                     "Values(%1,%2,%3,%4)")
                          .arg(SearchResultsViewID)
                          .arg(all->shown - members.shown)
                          .arg(all->unread - members.unread)
                          .arg(all->locked - members.locked);
    return WithAccess(false, [&] { return connection_->ExecuteAllOrNone(statements); });
}
