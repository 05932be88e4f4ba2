// The store at scale: databases of 50 000, 200 000 and 500 000 items (feeds of 50 items with
// about 700 characters of HTML each; 1 000, 4 000 and 10 000 feeds), built once and kept under
// the build folder, and every list, count, search and upkeep the screens and the command line
// run on them. Before the timings, the query plan of every statement each list runs.
#include "store/AdoConnection.h"
#include "store/AdoRecordset.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <random>
#include <sqlite3.h>

namespace {

struct Scale {
    const char* name;
    int feeds;
};
constexpr Scale Scales[] = {{"50k", 1000}, {"200k", 4000}, {"500k", 10000}};
constexpr int ItemsPerFeed = 50;

// One feed in five stopped a month ago and has been read through.
bool IsStale(int feed) {
    return feed % 5 == 0;
}

// Views of the benchmark databases.
constexpr qint32 AgedView = 100; // the stale feeds, items older than a week hidden
constexpr qint32 ReadView = 101; // the stale feeds, read items hidden
constexpr qint32 AllFeedsView = 102;
constexpr qint32 SortViewBase = 110; // twenty fresh feeds, sorted by priority, feed and item date
constexpr qint32 TramsView = 120;    // a keyword View of one item in ten, as many as it can show
constexpr int TramsViewItems = 32767;

// Words that the searches look for: one item in fifty holds the common one, ten items the rare.
const QString CommonWord = QStringLiteral("harbour");
const QString RareWord = QStringLiteral("quixotic");
constexpr int CommonEvery = 50;

// HTML text of about 700 characters, worded like news: common English words, and from a large
// invented vocabulary the less common ones, so that the text varies as real text does.
class TextMaker {
public:
    TextMaker() : random_(2005) {
        std::uniform_int_distribution<int> length(4, 10);
        const char* letters = "etaoinshrdlcumwfgypbvkjxqz";
        std::discrete_distribution<int> letter({127, 91, 82, 75, 70, 67, 63, 61, 60,
                                                43,  40, 28, 28, 24, 24, 22, 20, 20,
                                                19,  15, 10, 8,  2,  2,  1,  1});
        std::vector<double> weights;
        for (int i = 0; i < 30000; ++i) {
            QString word;
            for (int n = length(random_); n > 0; --n)
                word += QLatin1Char(letters[letter(random_)]);
            lexicon_ << word;
            weights.push_back(1.0 / (i + 1));
        }
        lexiconPick_ = std::discrete_distribution<int>(weights.begin(), weights.end());
        std::vector<double> commonWeights;
        for (int i = 0; i < int(std::size(Common)); ++i)
            commonWeights.push_back(1.0 / (i + 1));
        commonPick_ = std::discrete_distribution<int>(commonWeights.begin(), commonWeights.end());
    }

    QString Words(int count) {
        QStringList words;
        for (int i = 0; i < count; ++i)
            words << (coin_(random_) < 0.7 ? QLatin1String(Common[commonPick_(random_)])
                                           : lexicon_[lexiconPick_(random_)]);
        return words.join(u' ');
    }

    QString Html(int item, bool common, bool rare) {
        QString text = QStringLiteral("<p>Item %1: <b>%2</b> %3. See <a href=\"https://example.org/"
                                      "story/%1\">the full story</a>.</p>")
                           .arg(item)
                           .arg(Words(3), Words(20));
        if (common)
            text += QStringLiteral(" <p>Boats in the ") + CommonWord + QStringLiteral(".</p>");
        if (rare)
            text += QStringLiteral(" <p>A ") + RareWord + QStringLiteral(" plan.</p>");
        while (text.size() < 700)
            text += QStringLiteral(" <p>") + Words(12) + QStringLiteral(".</p>");
        return text;
    }

private:
    static constexpr const char* Common[] = {
        "the",   "of",     "to",         "and",     "a",        "in",     "is",       "that",
        "for",   "it",     "on",         "was",     "with",     "said",   "as",       "at",
        "by",    "from",   "his",        "an",      "be",       "has",    "have",     "are",
        "but",   "not",    "were",       "they",    "this",     "which",  "new",      "after",
        "who",   "year",   "been",       "their",   "will",     "two",    "first",    "would",
        "more",  "people", "government", "police",  "minister", "city",   "council",  "week",
        "state", "market", "report",     "company", "school",   "water",  "election", "budget",
        "court", "health", "energy",     "station", "football", "weather"};
    std::mt19937 random_;
    std::uniform_real_distribution<double> coin_{0.0, 1.0};
    QStringList lexicon_;
    std::discrete_distribution<int> lexiconPick_;
    std::discrete_distribution<int> commonPick_;
};

// Runs one statement with its values bound.
void Run(CAdoConnection& db, const QString& sql, const QList<QVariant>& values = {}) {
    sqlite3_stmt* statement = db.Acquire(sql, values);
    if (!statement || sqlite3_step(statement) != SQLITE_DONE)
        qFatal("scale_bench: %s", qPrintable(sql));
    db.Release(statement);
}

void InsertView(CAdoConnection& db, qint32 id, const QString& label, int hideAfter, bool hideRead,
                int numToShow, int sortBy, const QString& keywords = {}) {
    Run(db,
        QStringLiteral("Insert Into Views(ViewID,ParentID,Label,ReadAfter,HideAfter,NumToShow,"
                       "HideRead,DPadSkipRead,SortBy,Status,Keywords) Values(?,0,?,0,?,?,?,1,?,"
                       "2,?)"),
        {id, label, hideAfter, numToShow, hideRead ? 1 : 0, sortBy, keywords});
}

// Direct inserts in one transaction: what many merges would have written, in seconds.
void FillDatabase(const QString& path, int feeds) {
    CAdoConnection db;
    if (db.Open(path) != 0)
        qFatal("scale_bench: cannot open %s", qPrintable(path));
    TextMaker text;
    const QDateTime now = NowGmt();
    Run(db, QStringLiteral("BEGIN"));
    int itemNumber = 0;
    for (int feed = 1; feed <= feeds; ++feed) {
        const QDateTime newest =
            IsStale(feed) ? now.addDays(-40).addSecs(-feed * 60) : now.addSecs(-feed * 60);
        Run(db,
            QStringLiteral("Insert Into Feeds(FeedID,Title,FeedUrl,Priority,Status,MaxItems,"
                           "ReadAfter,LastFeedDate,LastDownloadDate,DateEntered,LastDigestKey) "
                           "Values(?,?,?,?,2,50,5,?,?,?,'')"),
            {feed, QStringLiteral("Feed %1 %2").arg(feed).arg(text.Words(2)),
             QStringLiteral("https://example.org/feed/%1.xml").arg(feed), feed % 10,
             StoredDateText(newest), StoredDateText(newest), StoredDateText(now)});
        for (int i = 0; i < ItemsPerFeed; ++i, ++itemNumber) {
            const qint32 id = feed * 100 + (ItemsPerFeed - i); // newest first by number
            const QString date = StoredDateText(newest.addSecs(-qint64(i) * 6 * 3600));
            const bool trams = itemNumber % 10 == 3;
            const int status = IsStale(feed)           ? ItemRead
                               : itemNumber % 100 == 7 ? ItemLocked
                                                       : ItemUnread;
            Run(db,
                QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,GUID,Title,LinkUrl,"
                               "LinkUrl2,Status,Keywords,ItemDate,DateEntered) Values(?,?,?,?,?,"
                               "'',?,'',?,?)"),
                {id, feed, QStringLiteral("tag:example.org,2025:%1").arg(id),
                 QStringLiteral("Story %1 about %2 %3")
                     .arg(id)
                     .arg(trams ? QStringLiteral("trams") : text.Words(1), text.Words(4)),
                 QStringLiteral("https://example.org/story/%1").arg(id), status, date, date});
            Run(db,
                QStringLiteral("Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,Keep,"
                               "TextData) Values(?,?,1,?,?)"),
                {id, feed, status == ItemLocked ? 1 : 0,
                 text.Html(id, itemNumber % CommonEvery == 11,
                           itemNumber % (feeds * ItemsPerFeed / 10) == 5)});
        }
    }
    for (int feed = 1; feed <= feeds; ++feed) {
        if (IsStale(feed)) {
            Run(db, QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(?,?,0)"),
                {AgedView, feed});
            Run(db, QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(?,?,0)"),
                {ReadView, feed});
        }
        Run(db, QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(?,?,0)"),
            {AllFeedsView, feed});
    }
    for (int sortBy = 0; sortBy < 3; ++sortBy)
        for (int feed = 1; feed <= 25; ++feed)
            if (!IsStale(feed))
                Run(db,
                    QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(?,?,0)"),
                    {SortViewBase + sortBy, feed});
    InsertView(db, AgedView, QStringLiteral("Aged"), 7, false, 75, 0);
    InsertView(db, ReadView, QStringLiteral("Read"), 0, true, 75, 0);
    InsertView(db, AllFeedsView, QStringLiteral("All feeds"), 0, false, 75, 2);
    for (int sortBy = 0; sortBy < 3; ++sortBy)
        InsertView(db, SortViewBase + sortBy, QStringLiteral("Sorted %1").arg(sortBy), 0, false, 75,
                   sortBy);
    InsertView(db, TramsView, QStringLiteral("Trams"), 0, false, TramsViewItems, 1,
               QStringLiteral("trams"));
    Run(db, QStringLiteral("COMMIT"));
}

QString DataFolder() {
    return QStringLiteral(SCALE_BENCH_DIR);
}

QString DatabaseFile(const Scale& scale) {
    return DataFolder() + QStringLiteral("/scale-%1.qpdb").arg(QLatin1String(scale.name));
}

// Built once: a file is only given its final name when it is complete.
QString BuiltDatabase(const Scale& scale) {
    const QString path = DatabaseFile(scale);
    if (QFile::exists(path))
        return path;
    QDir().mkpath(DataFolder());
    const QString partial = path + QStringLiteral(".partial");
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(partial + QLatin1String(suffix));
    std::fprintf(stderr, "scale_bench: building %s (%d feeds)...\n", scale.name, scale.feeds);
    {
        CRssDatabase db;
        db.CreateDatabase(partial, false, false);
    }
    FillDatabase(partial, scale.feeds);
    {
        CRssDatabase db;
        db.OpenDatabase(partial, false);
        db.RebuildKeywordView(TramsView, true, false, false);
        db.RebuildWhatsNew();
        db.CompactDatabase();
    }
    QFile::rename(partial, path);
    return path;
}

double StatusMB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).simplified().split(' ').value(0).toDouble() /
                   1024.0;
    return 0;
}

// The peak resident memory starts again from what is resident now.
void ResetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct OpenScale {
    QString path;
    CRssDatabase db;
};

OpenScale& Opened(const Scale& scale) {
    static std::map<QString, std::unique_ptr<OpenScale>> opened;
    auto& slot = opened[QLatin1String(scale.name)];
    if (!slot) {
        slot = std::make_unique<OpenScale>();
        slot->path = BuiltDatabase(scale);
        if (slot->db.OpenDatabase(slot->path, false) != 1)
            qFatal("scale_bench: cannot open %s", qPrintable(slot->path));
        slot->db.LoadFeedList(false);
    }
    return *slot;
}

struct Query {
    const char* name;
    std::function<double(CRssDatabase&)> run; // the rows or count it yields
};

std::vector<Query> Queries() {
    const auto viewItems = [](qint32 view) {
        return [view](CRssDatabase& db) {
            db.LoadViewItems(view, 10, false);
            return double(db.ItemList.size());
        };
    };
    const auto search = [](const QString& word, bool title, bool text) {
        return [=](CRssDatabase& db) {
            CRssDatabase::SearchResults found;
            db.SearchItems(word, found, title, false, text, false);
            return double(found.feedItemIDs.size());
        };
    };
    return {
        {"FeedListWithCounts",
         [](CRssDatabase& db) {
             db.LoadFeedList(false);
             const auto counts = db.CountAllFeedItems();
             double unread = 0;
             for (const CFeedRecord& feed : db.FeedList)
                 unread += counts.value(feed.FeedID).unread;
             return unread;
         }},
        {"ViewItems_AgeHidden", viewItems(AgedView)},
        {"ViewItems_ReadHidden", viewItems(ReadView)},
        {"ViewItems_AllFeedsByItemDate", viewItems(AllFeedsView)},
        {"ViewItems_SortByPriority", viewItems(SortViewBase)},
        {"ViewItems_SortByFeedDate", viewItems(SortViewBase + 1)},
        {"ViewItems_SortByItemDate", viewItems(SortViewBase + 2)},
        {"ViewItems_Keyword32k", viewItems(TramsView)},
        {"FeedItems",
         [](CRssDatabase& db) {
             db.LoadFeedItems(int(db.FeedList.size() / 2), 0);
             return double(db.ItemList.size());
         }},
        {"ViewCounts_AllFeeds",
         [](CRssDatabase& db) {
             return double(db.CountViewItems(AllFeedsView, ItemUnread) +
                           db.CountViewItems(AllFeedsView, ItemLocked) +
                           db.CountViewItems(AllFeedsView, 0));
         }},
        {"ViewCounts_Keyword",
         [](CRssDatabase& db) {
             return double(db.CountViewItems(TramsView, ItemUnread) +
                           db.CountViewItems(TramsView, ItemLocked) +
                           db.CountViewItems(TramsView, 0));
         }},
        {"WhatsNew",
         [](CRssDatabase& db) {
             db.RebuildWhatsNew();
             db.LoadViewItems(WhatsNewViewID, 10, false);
             return double(db.ItemList.size());
         }},
        {"SearchText_CommonWord", search(CommonWord, false, true)},
        {"SearchText_RareWord", search(RareWord, false, true)},
        {"SearchTitle_Word", search(QStringLiteral("trams"), true, false)},
        {"RebuildKeywordView",
         [](CRssDatabase& db) {
             db.RebuildKeywordView(TramsView, true, true, true);
             return double(db.CountViewItems(TramsView, 0));
         }},
    };
}

// The plan of each statement a query runs, once: on the 50k database.
void PrintPlans() {
    OpenScale& scale = Opened(Scales[0]);
    CAdoConnection planner;
    planner.Open(scale.path);
    for (const Query& query : Queries()) {
        QStringList seen;
        CAdoConnection::SetStatementObserver([&](const QString& sql) {
            if (!seen.contains(sql) &&
                sql.startsWith(QStringLiteral("SELECT"), Qt::CaseInsensitive))
                seen << sql;
        });
        query.run(scale.db);
        CAdoConnection::SetStatementObserver(nullptr);
        std::printf("== %s\n", query.name);
        for (const QString& sql : seen) {
            std::printf("  %s\n", qPrintable(sql));
            CAdoRecordset plan;
            if (!plan.Open(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, planner,
                           CAdoRecordset::Mode::Read))
                continue;
            for (; !plan.IsEOF(); plan.MoveNext())
                std::printf("    %s\n", qPrintable(plan.Field(3).GetString()));
        }
    }
    std::fflush(stdout);
}

void RegisterQueries(const Scale& scale) {
    for (const Query& query : Queries())
        benchmark::RegisterBenchmark((std::string(query.name) + "/" + scale.name).c_str(),
                                     [scale, query](benchmark::State& state) {
                                         CRssDatabase& db = Opened(scale).db;
                                         double rows = 0;
                                         for (auto _ : state)
                                             rows = query.run(db);
                                         state.counters["rows"] = rows;
                                     })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
}

// Compaction and purge on a copy, so that the kept file stays as built.
void RegisterUpkeep(const Scale& scale) {
    const auto onCopy = [scale](benchmark::State& state, auto&& upkeep) {
        const QString original = Opened(scale).path;
        for (auto _ : state) {
            state.PauseTiming();
            QTemporaryDir dir(DataFolder() + QStringLiteral("/upkeep-XXXXXX"));
            const QString copy = dir.filePath(QStringLiteral("rss.qpdb"));
            QFile::copy(original, copy);
            CRssDatabase db;
            db.OpenDatabase(copy, false);
            db.GetDatabaseVersion(); // connected and upgraded before the clock runs
            ResetPeakMemory();
            const double before = StatusMB("VmRSS:");
            state.ResumeTiming();
            upkeep(db);
            state.PauseTiming();
            state.counters["peakMB"] = StatusMB("VmHWM:");
            state.counters["addedPeakMB"] = StatusMB("VmHWM:") - before;
            state.counters["fileMB"] = double(QFileInfo(copy).size()) / (1024.0 * 1024.0);
            state.ResumeTiming();
        }
    };
    benchmark::RegisterBenchmark((std::string("Compact/") + scale.name).c_str(),
                                 [onCopy](benchmark::State& state) {
                                     onCopy(state, [](CRssDatabase& db) { db.CompactDatabase(); });
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark((std::string("PurgeAll/") + scale.name).c_str(),
                                 [onCopy](benchmark::State& state) {
                                     onCopy(state, [](CRssDatabase& db) { db.PurgeAllData(); });
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark((std::string("PurgeFeed/") + scale.name).c_str(),
                                 [onCopy](benchmark::State& state) {
                                     onCopy(state, [](CRssDatabase& db) { db.PurgeFeedData(7); });
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
}

void RegisterFileSize(const Scale& scale) {
    benchmark::RegisterBenchmark((std::string("FileSize/") + scale.name).c_str(),
                                 [scale](benchmark::State& state) {
                                     const QString path = Opened(scale).path;
                                     for (auto _ : state)
                                         benchmark::DoNotOptimize(path);
                                     state.counters["fileMB"] =
                                         double(QFileInfo(path).size()) / (1024.0 * 1024.0);
                                 })
        ->Iterations(1);
}

} // namespace

int main(int argc, char** argv) {
    bool plans = true;
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--no-plans") == 0)
            plans = false;
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toUtf8() + "/scale_bench_config");
    benchmark::Initialize(&argc, argv);
    if (plans)
        PrintPlans();
    for (const Scale& scale : Scales) {
        RegisterFileSize(scale);
        RegisterQueries(scale);
        RegisterUpkeep(scale);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
