// The benchmarks' shared database: feeds, items and Views written through the store.

#include "BenchDatabase.h"

#include "store/AdoConnection.h"
#include "store/AdoField.h"
#include "store/RssDatabase.h"
#include "text/DateFormat.h"

namespace {

QString ItemText(int item) {
    QString text =
        QStringLiteral("<p>Item %1 covers the council budget and the new tram line.</p>").arg(item);
    while (text.size() < 1024)
        text += QStringLiteral(" Residents asked about parking, schools and the harbour works.");
    return text.left(1024);
}

} // namespace

void PopulateBenchDatabase(const QString& path) {
    CAdoConnection db;
    db.Open(path);
    db.Execute(QStringLiteral("BEGIN"));
    const QString date = StoredDateText(NowGmt());
    for (int feed = 1; feed <= BenchFeeds; ++feed) {
        db.Execute(QStringLiteral("Insert Into Feeds(FeedID,Title,Priority,Status,MaxItems,"
                                  "LastFeedDate,LastDownloadDate) Values(%1,'Feed %1',%2,2,50,"
                                  "'%3','%3')")
                       .arg(feed)
                       .arg(feed % 10)
                       .arg(date));
        for (int i = 0; i < BenchItemsPerFeed; ++i) {
            const int item = feed * 1000 + i;
            const QString itemDate = StoredDateText(NowGmt().addSecs(-(i * 3600 + feed)));
            db.Execute(QStringLiteral("Insert Into FeedItems(FeedItemID,FeedID,GUID,Title,LinkUrl,"
                                      "LinkUrl2,Status,ItemDate,DateEntered) Values(%1,%2,'g%1',"
                                      "'Story %1 about %3','http://example.org/%1','',1,'%4','%4')")
                           .arg(item)
                           .arg(feed)
                           .arg(i % 7 ? QStringLiteral("trams") : QStringLiteral("harbour"))
                           .arg(itemDate));
            db.Execute(QStringLiteral("Insert Into FeedItemShortData(FeedItemID,FeedID,LinkOrder,"
                                      "Keep,TextData) Values(%1,%2,1,0,'%3')")
                           .arg(item)
                           .arg(feed)
                           .arg(ItemText(item)));
        }
    }
    for (int feed = 1; feed <= 20; ++feed)
        db.Execute(QStringLiteral("Insert Into ViewFeeds(ViewID,FeedID,Priority) Values(%1,%2,0)")
                       .arg(TwentyFeedView)
                       .arg(feed * 37));
    db.Execute(QStringLiteral("Insert Into Views(ViewID,ParentID,Label,ReadAfter,HideAfter,"
                              "NumToShow,HideRead,DPadSkipRead,SortBy,Status,Keywords) Values"
                              "(%1,0,'Twenty',5,0,75,0,1,2,2,''),(%2,0,'Harbour',5,0,75,0,1,0,2,"
                              "'harbour'),(102,0,'Budget',5,0,75,0,1,0,2,'budget, schools')")
                   .arg(TwentyFeedView)
                   .arg(KeywordView));
    db.Execute(QStringLiteral("COMMIT"));
}

void AddNumberedFeeds(CRssDatabase& db, int feeds, const std::function<QString(int)>& urlOf) {
    for (int feed = 0; feed < feeds; ++feed) {
        CFeedRecord record;
        record.FeedID = feed + 1;
        record.Title = QStringLiteral("Feed %1").arg(feed);
        record.FeedUrl = urlOf(feed);
        db.InsertFeed(record, 0, 0);
    }
}
