// The large databases of the scale benchmarks, written directly in one transaction.

#include "ScaleDatabase.h"

#include "store/AdoConnection.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <random>
#include <sqlite3.h>

namespace {

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
        qFatal("scale database: %s", qPrintable(sql));
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
void FillDatabase(const QString& path, const ScaleShape& shape) {
    CAdoConnection db;
    if (db.Open(path) != 0)
        qFatal("scale database: cannot open %s", qPrintable(path));
    // One transaction of a gigabyte: with the default cache of 2 MB its pages spill to the WAL
    // file and are read back as the indexes, filled in no order, grow. Kept in memory instead.
    Run(db, QStringLiteral("PRAGMA cache_size=-1048576"));
    TextMaker text;
    const QDateTime now = NowGmt();
    Run(db, QStringLiteral("BEGIN"));
    int itemNumber = 0;
    for (int feed = 1; feed <= shape.feeds; ++feed) {
        const QDateTime newest =
            IsStale(feed) ? now.addDays(-40).addSecs(-feed * 60) : now.addSecs(-feed * 60);
        Run(db,
            QStringLiteral("Insert Into Feeds(FeedID,Title,FeedUrl,Priority,Status,MaxItems,"
                           "ReadAfter,LastFeedDate,LastDownloadDate,DateEntered,LastDigestKey) "
                           "Values(?,?,?,?,2,50,5,?,?,?,'')"),
            {feed, QStringLiteral("Feed %1 %2").arg(feed).arg(text.Words(2)),
             QStringLiteral("https://example.org/feed/%1.xml").arg(feed), feed % 10,
             StoredDateText(newest), StoredDateText(newest), StoredDateText(now)});
        for (int i = 0; i < shape.itemsPerFeed; ++i, ++itemNumber) {
            // Newest first by number, each feed in a range of its own.
            const qint32 id = feed * 2 * shape.itemsPerFeed + (shape.itemsPerFeed - i);
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
                           itemNumber % (shape.feeds * shape.itemsPerFeed / 10) == 5)});
        }
    }
    for (int feed = 1; feed <= shape.feeds; ++feed) {
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
    InsertView(db, TramsView, QStringLiteral("Trams"), 0, false, shape.tramsViewItems, 1,
               QStringLiteral("trams"));
    Run(db, QStringLiteral("COMMIT"));
}

} // namespace

bool IsStale(int feed) {
    return feed % 5 == 0;
}

QString ScaleDataFolder() {
    return QStringLiteral(SCALE_BENCH_DIR);
}

// Built once: a file is only given its final name when it is complete.
QString BuiltScaleDatabase(const ScaleShape& shape) {
    const QString path =
        ScaleDataFolder() + QStringLiteral("/scale-%1.qpdb").arg(QLatin1String(shape.name));
    if (QFile::exists(path))
        return path;
    QDir().mkpath(ScaleDataFolder());
    const QString partial = path + QStringLiteral(".partial");
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(partial + QLatin1String(suffix));
    std::fprintf(stderr, "building %s (%d feeds)...\n", shape.name, shape.feeds);
    {
        CRssDatabase db;
        db.CreateDatabase(partial, false, false);
    }
    FillDatabase(partial, shape);
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
