// The store at scale: databases of 50 000, 200 000 and 500 000 items (feeds of 50 items with
// about 700 characters of HTML each; 1 000, 4 000 and 10 000 feeds), built once and kept under
// the build folder, and every list, count, search and upkeep the screens and the command line
// run on them. Before the timings, the query plan of every statement each list runs.
#include "ScaleDatabase.h"
#include "store/AdoConnection.h"
#include "store/AdoRecordset.h"
#include "store/RssDatabase.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace {

struct Scale {
    const char* name;
    int feeds;
};
constexpr int ItemsPerFeed = 50;
constexpr int TramsViewItems = 32767;
constexpr Scale Scales[] = {{"50k", 1000}, {"200k", 4000}, {"500k", 10000}};

QString BuiltDatabase(const Scale& scale) {
    return BuiltScaleDatabase({scale.name, scale.feeds, ItemsPerFeed, TramsViewItems});
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

// What the search dialog and the command line do before the results show, in every field: the
// newest matches, as many as the Search Results View shows, found and made its members.
std::vector<CFeedItemRecord> ShowSearchResults(CRssDatabase& db, const QString& text) {
    CItemCursor cursor;
    db.OpenSearch(cursor, text, {});
    db.LoadMoreItems(cursor, db.GetView(SearchResultsViewID)->NumToShow);
    db.FillSearchResults(text, db.ItemList, std::nullopt);
    return db.ItemList;
}

// Texts searched for: "have" is in about half the items, the common word in one in fifty, the
// rare one in ten; "lighthouse" and "question" are in none though every run of three of them is
// common; letters alone have no run for the index to find.
struct SearchCase {
    const char* shownName;
    const char* countedName;
    const char* text;
};
constexpr SearchCase SearchCases[] = {
    {"Search_RareWord_Shown", "Search_RareWord_Counted", "quixotic"},
    {"Search_CommonWord_Shown", "Search_CommonWord_Counted", "harbour"},
    {"Search_HalfTheItems_Shown", "Search_HalfTheItems_Counted", "have"},
    {"Search_AbsentLighthouse_Shown", "Search_AbsentLighthouse_Counted", "lighthouse"},
    {"Search_AbsentQuestion_Shown", "Search_AbsentQuestion_Counted", "question"},
    {"Search_Phrase_Shown", "Search_Phrase_Counted", "boats in the harbour"},
    {"Search_OneLetter_Shown", "Search_OneLetter_Counted", "q"},
    {"Search_TwoLetters_Shown", "Search_TwoLetters_Counted", "zq"},
    {"Search_ThreeLetters_Shown", "Search_ThreeLetters_Counted", "the"},
    {"Search_Folded_Shown", "Search_Folded_Counted", "ÜBER"},
};

std::vector<Query> Queries() {
    const auto viewItems = [](qint32 view) {
        return [view](CRssDatabase& db) {
            db.LoadViewItems(view, false);
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
    std::vector<Query> queries = {
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
             db.LoadViewItems(WhatsNewViewID, false);
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
    for (const SearchCase& searched : SearchCases) {
        const QString text = QString::fromUtf8(searched.text);
        queries.push_back({searched.shownName, [text](CRssDatabase& db) {
                               return double(ShowSearchResults(db, text).size());
                           }});
        queries.push_back({searched.countedName, [text](CRssDatabase& db) {
                               CItemCursor cursor;
                               db.OpenSearch(cursor, text, {});
                               return double(db.CountMatches(cursor).value_or(CMatchCounts()).all);
                           }});
    }
    return queries;
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
            QTemporaryDir dir(ScaleDataFolder() + QStringLiteral("/upkeep-XXXXXX"));
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
