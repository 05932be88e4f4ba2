// The database itself: create, open, upgrade, lock, search index, snapshots and compaction.

#include "store/RssDatabase.h"

#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "store/DatabaseAccess.h"
#include "store/Prompt.h"
#include "text/DateFormat.h"
#include "text/RecordId.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <sqlite3.h>
#include <utility>

namespace {

// Statement texts as the connection takes them.
template <std::size_t Count> QStringList Statements(const char* const (&texts)[Count]) {
    QStringList statements;
    for (const char* text : texts)
        statements << QString::fromLatin1(text);
    return statements;
}

constexpr qint64 SpaceNeededKb = 200;

const char* const CreateTables[] = {
    "CREATE TABLE VersionInfo(VersionInfoID int,VersionNumber varchar(10),CreatedBy varchar(50),"
    "DateCreated datetime)",
    "CREATE TABLE Views(ViewID int,ParentID int,Label varchar(100),ReadAfter smallint,HideAfter "
    "smallint,NumToShow smallint,HideRead smallint,DPadSkipRead smallint,SortBy smallint,Status "
    "smallint,Keywords varchar(255),DateEntered datetime)",
    "CREATE TABLE Feeds(FeedID int,Title varchar(255),GUID varchar(255),FeedType smallint,FeedUrl "
    "varchar(255),LinkUrl varchar(255),Description1 varchar(255),Description2 "
    "varchar(255),ReloadFrequency smallint,ReadAfter smallint,MaxItems smallint,ExtendedData "
    "smallint,ExtendedAudio smallint,Priority smallint,Status smallint,LastDigestKey "
    "varchar(255),LastDownloadDate datetime,LastFeedDate datetime,DateEntered datetime)",
    "CREATE TABLE ViewFeeds(ViewID int,FeedID int,Priority smallint)",
    "CREATE TABLE ViewFeedItems(ViewID int,FeedID int,FeedItemID int,Priority smallint)",
    "CREATE TABLE Subscriptions(SubscriptionID int,ViewID int,Title varchar(255),SubscriptionUrl "
    "varchar(255),IsFromFile smallint,DateEntered datetime)",
    "CREATE TABLE SubscriptionFeeds(SubscriptionID int,FeedID int)",
    "CREATE TABLE FeedItems(FeedItemID int,FeedID int,GUID varchar(255),Title varchar(255),LinkUrl "
    "varchar(255),LinkUrl2 varchar(255),Status smallint,Keywords varchar(255),ItemDate "
    "datetime,DateEntered datetime)",
    "CREATE TABLE FeedItemShortData(FeedItemID int,FeedID int,LinkOrder smallint,Keep "
    "smallint,TextData text)",
    "CREATE TABLE FeedItemLongData(FeedItemID int,FeedID int,LinkOrder smallint,Keep "
    "smallint,TextData text)",
    "CREATE TABLE FeedItemAudioData(FeedItemID int,FeedID int,Link varchar(255),Size int,Status "
    "smallint,Keep smallint)",
};

const char* const CreateIndexes[] = {
    "CREATE INDEX Views_PI On Views(ViewID)",
    "CREATE INDEX Feeds_PI On Feeds(FeedID)",
    "CREATE INDEX ViewFeeds_PI On ViewFeeds(ViewID)",
    "CREATE INDEX ViewFeedItems_PI On ViewFeedItems(ViewID)",
    "CREATE INDEX FeedItems_PI On FeedItems(FeedItemID)",
    "CREATE INDEX FeedItemsAlt_PI On FeedItems(FeedID)",
    "CREATE INDEX FeedItemShortData_PI On FeedItemShortData(FeedItemID)",
    "CREATE INDEX FeedItemLongData_PI On FeedItemLongData(FeedItemID)",
    "CREATE INDEX FeedItemAudioData_PI On FeedItemAudioData(FeedItemID)",
    // Beyond the nine above: a keyword View's items of one feed are found through their
    // memberships, which without it means reading every membership of the View for each feed.
    "CREATE INDEX ViewFeedItemsAlt_PI On ViewFeedItems(FeedItemID)",
};

// Beyond the schema above, added later; databases made before get it when they are opened.
const char* const CreateLaterSchema[] = {
    // What servers said about each feed's last body, so that unchanged feeds are not sent again.
    "CREATE TABLE IF NOT EXISTS FeedHttpValidators(FeedID int,ETag varchar(255),LastModified "
    "varchar(255))",
    "CREATE INDEX IF NOT EXISTS FeedHttpValidators_PI On FeedHttpValidators(FeedID)",
    // The merge's duplicate test looks an item up by feed and key: without it, each test reads
    // every item of the feed, and a document of many items takes the square of their number.
    "CREATE INDEX IF NOT EXISTS FeedItemsKey_PI On FeedItems(FeedID,GUID)",
    // The counts of a feed or View by status, and the read items a View hides, are read from
    // the index alone rather than from every row.
    "CREATE INDEX IF NOT EXISTS FeedItemsStatus_PI On FeedItems(FeedID,Status)",
    // A feed's items by date: its list, and whether a View that hides old items shows any.
    "CREATE INDEX IF NOT EXISTS FeedItemsDate_PI On FeedItems(FeedID,ItemDate,FeedItemID)",
    // "Whats New" takes the newest items of all: the end of this index.
    "CREATE INDEX IF NOT EXISTS FeedItemsNewest_PI On FeedItems(ItemDate,FeedItemID)",
    // A keyword View's items of one feed, newest first, without reading its other members.
    "CREATE INDEX IF NOT EXISTS ViewFeedItemsFeed_PI On ViewFeedItems(ViewID,FeedID,FeedItemID)",
    // Purging or deleting a feed removes its text and memberships by feed.
    "CREATE INDEX IF NOT EXISTS FeedItemShortDataFeed_PI On FeedItemShortData(FeedID)",
    "CREATE INDEX IF NOT EXISTS FeedItemLongDataFeed_PI On FeedItemLongData(FeedID)",
    "CREATE INDEX IF NOT EXISTS ViewFeedItemsFeedID_PI On ViewFeedItems(FeedID)",
    // Adding a Feed first asks whether its address is taken.
    "CREATE INDEX IF NOT EXISTS FeedsUrl_PI On Feeds(FeedUrl)",
    // Holds a row only inside a merge's transaction, while the index waits for the merge's items.
    "CREATE TABLE IF NOT EXISTS SearchIndexPaused(Paused int)",
    // The matches of a search that its View does not hold as members, counted when it ran.
    "CREATE TABLE IF NOT EXISTS SearchMatchCounts(ViewID INTEGER PRIMARY KEY,Shown int,Unread "
    "int,Locked int)",
    // Who wrote an item, where its feed says so. A table of its own, so that the item table keeps
    // the columns that files and other programs read; it goes with its item, however that goes.
    "CREATE TABLE IF NOT EXISTS FeedItemAuthors(FeedItemID INTEGER PRIMARY KEY,Author "
    "varchar(255))",
    "CREATE TRIGGER IF NOT EXISTS FeedItemAuthors_Removed AFTER DELETE ON FeedItems BEGIN DELETE "
    "FROM FeedItemAuthors WHERE FeedItemID = old.FeedItemID; END",
    // The server account whose feeds the database syncs (one at most), what its feeds and items
    // are called on the server, and the local changes waiting to be sent to it: a change made
    // while the server cannot be reached is never lost, whichever program makes it.
    "CREATE TABLE IF NOT EXISTS Accounts(Kind varchar(20),Url varchar(255),UserName "
    "varchar(255),LastItemID int)",
    "CREATE TABLE IF NOT EXISTS AccountFeeds(FeedID INTEGER PRIMARY KEY,RemoteID int UNIQUE)",
    // ServerUnread and ServerStarred: the item's state on the server as last read or sent, so
    // that a sync asks the server only about the feeds whose unread counts moved since.
    "CREATE TABLE IF NOT EXISTS AccountItems(FeedItemID INTEGER PRIMARY KEY,RemoteID int UNIQUE,"
    "ServerUnread int,ServerStarred int)",
    "CREATE TABLE IF NOT EXISTS AccountViews(ViewID INTEGER PRIMARY KEY,RemoteID int UNIQUE)",
    "CREATE TABLE IF NOT EXISTS AccountChanges(RemoteID int,Kind smallint,Value smallint,"
    "ChangedAt text,PRIMARY KEY(RemoteID,Kind))",
    // Holds a row only inside a sync's transaction, while it writes what the server says: those
    // writes are no local changes to send back.
    "CREATE TABLE IF NOT EXISTS AccountApplying(Applying int)",
    "CREATE TRIGGER IF NOT EXISTS AccountChanges_Status AFTER UPDATE OF Status ON FeedItems WHEN "
    "old.Status<>new.Status AND new.Status<>0 AND NOT EXISTS(SELECT 1 FROM AccountApplying) BEGIN "
    "INSERT OR REPLACE INTO AccountChanges SELECT RemoteID,2,new.Status=1,strftime('%Y-%m-%d "
    "%H:%M:%f','now') FROM AccountItems WHERE FeedItemID=new.FeedItemID AND "
    "(old.Status=1)<>(new.Status=1); INSERT OR REPLACE INTO AccountChanges SELECT RemoteID,0,"
    "new.Status=3,strftime('%Y-%m-%d %H:%M:%f','now') FROM AccountItems WHERE "
    "FeedItemID=new.FeedItemID AND (old.Status=3)<>(new.Status=3); END",
    "CREATE TRIGGER IF NOT EXISTS AccountChanges_FeedRemoved AFTER DELETE ON Feeds BEGIN INSERT "
    "OR REPLACE INTO AccountChanges SELECT RemoteID,10,1,strftime('%Y-%m-%d %H:%M:%f','now') FROM "
    "AccountFeeds WHERE FeedID=old.FeedID AND NOT EXISTS(SELECT 1 FROM AccountApplying); DELETE "
    "FROM AccountFeeds WHERE FeedID=old.FeedID; END",
    "CREATE TRIGGER IF NOT EXISTS AccountItems_Removed AFTER DELETE ON FeedItems BEGIN DELETE FROM "
    "AccountItems WHERE FeedItemID=old.FeedItemID; END",
    "CREATE TRIGGER IF NOT EXISTS AccountViews_Removed AFTER DELETE ON Views BEGIN DELETE FROM "
    "AccountViews WHERE ViewID=old.ViewID; END",
};

// The search index. Every run of three characters within a word of the searched fields, and
// every word's last two characters and last one, names the rows that hold it, so that a search
// reads only the rows that hold all of the text's runs and tests those with Like. Without stored
// content and without positions: the index stays a fraction of the text.
const char* const CreateSearchTables[] = {
    "CREATE VIRTUAL TABLE IF NOT EXISTS ItemTitleSearch USING fts5(Title,Keywords,content='',"
    "tokenize='wordtrigram WordEnds',detail=none,columnsize=0)",
    "CREATE VIRTUAL TABLE IF NOT EXISTS ItemTextSearch USING fts5(TextData,content='',"
    "tokenize='wordtrigram WordEnds',detail=none,columnsize=0)",
};

// Keep the search index in step with every write of the searched fields, whoever makes it. A
// first piece of text is named by its item's number, a later piece by -(FeedItemID * 65536 +
// LinkOrder): the index stores the steps between numbers, and the items' own are small. Added
// rows wait while SearchIndexPaused holds a row (see PauseSearchIndex).
const char* const SearchTriggers[] = {
    "CREATE TRIGGER IF NOT EXISTS ItemTitleSearch_Added AFTER INSERT ON FeedItems WHEN NOT "
    "EXISTS(SELECT 1 FROM SearchIndexPaused) BEGIN INSERT INTO ItemTitleSearch(rowid,Title,"
    "Keywords) VALUES(new.FeedItemID,new.Title,new.Keywords); END",
    "CREATE TRIGGER IF NOT EXISTS ItemTitleSearch_Removed AFTER DELETE ON FeedItems BEGIN INSERT "
    "INTO ItemTitleSearch(ItemTitleSearch,rowid,Title,Keywords) VALUES('delete',old.FeedItemID,"
    "old.Title,old.Keywords); END",
    "CREATE TRIGGER IF NOT EXISTS ItemTitleSearch_Changed AFTER UPDATE OF FeedItemID,Title,"
    "Keywords ON FeedItems BEGIN INSERT INTO ItemTitleSearch(ItemTitleSearch,rowid,Title,"
    "Keywords) VALUES('delete',old.FeedItemID,old.Title,old.Keywords); INSERT INTO "
    "ItemTitleSearch(rowid,Title,Keywords) VALUES(new.FeedItemID,new.Title,new.Keywords); END",
    "CREATE TRIGGER IF NOT EXISTS ItemTextSearch_Added AFTER INSERT ON FeedItemShortData WHEN "
    "NOT EXISTS(SELECT 1 FROM SearchIndexPaused) BEGIN INSERT INTO ItemTextSearch(rowid,TextData) "
    "VALUES(CASE WHEN new.LinkOrder = 1 THEN new.FeedItemID ELSE "
    "-(new.FeedItemID*65536+new.LinkOrder) END,new.TextData); END",
    "CREATE TRIGGER IF NOT EXISTS ItemTextSearch_Removed AFTER DELETE ON FeedItemShortData BEGIN "
    "INSERT INTO ItemTextSearch(ItemTextSearch,rowid,TextData) VALUES('delete',"
    "CASE WHEN old.LinkOrder = 1 THEN old.FeedItemID ELSE -(old.FeedItemID*65536+old.LinkOrder) "
    "END,old.TextData); END",
    "CREATE TRIGGER IF NOT EXISTS ItemTextSearch_Changed AFTER UPDATE OF FeedItemID,LinkOrder,"
    "TextData ON FeedItemShortData BEGIN INSERT INTO ItemTextSearch(ItemTextSearch,rowid,"
    "TextData) VALUES('delete',CASE WHEN old.LinkOrder = 1 THEN old.FeedItemID ELSE "
    "-(old.FeedItemID*65536+old.LinkOrder) END,old.TextData); INSERT INTO ItemTextSearch(rowid,"
    "TextData) VALUES(CASE WHEN new.LinkOrder = 1 THEN new.FeedItemID ELSE "
    "-(new.FeedItemID*65536+new.LinkOrder) END,new.TextData); END",
};
const char* const SearchTriggerNames[] = {"ItemTitleSearch_Added",   "ItemTitleSearch_Removed",
                                          "ItemTitleSearch_Changed", "ItemTextSearch_Added",
                                          "ItemTextSearch_Removed",  "ItemTextSearch_Changed"};

// What the index holds of rows written before it existed, or of rows added while it waited when
// a condition on FeedItemID follows.
const char* const FillSearchIndex[] = {
    "INSERT INTO ItemTitleSearch(rowid,Title,Keywords) SELECT FeedItemID,Title,Keywords FROM "
    "FeedItems",
    "INSERT INTO ItemTextSearch(rowid,TextData) SELECT CASE WHEN LinkOrder = 1 THEN FeedItemID "
    "ELSE -(FeedItemID*65536+LinkOrder) END,TextData FROM FeedItemShortData",
};

// Every feed's and every View's count of shown items (Status <> 0), unread items (1) and locked
// items (3), kept by triggers in the transaction of each change to an item or a View membership,
// whoever makes it: a count is one row to read rather than a reading of every item. A View's row
// counts its item memberships (keyword Views, "Whats New"), each membership once; a View of
// feeds adds up its feeds' rows.
const char* const CreateCountTables[] = {
    "CREATE TABLE FeedItemCounts(FeedID INTEGER PRIMARY KEY,Shown int,Unread int,Locked int)",
    "CREATE TABLE ViewItemCounts(ViewID INTEGER PRIMARY KEY,Shown int,Unread int,Locked int)",
};

// What the counts hold of rows written before they were kept: of every feed, and of the Views
// whose memberships `views` names.
const char* const FillFeedCounts =
    "INSERT INTO FeedItemCounts(FeedID,Shown,Unread,Locked) SELECT FeedID,Count(*),Sum(Status=1),"
    "Sum(Status=3) FROM FeedItems WHERE Status<>0 AND FeedID IS NOT NULL GROUP BY FeedID";

QString FillViewCounts(const QString& views) {
    return QStringLiteral("INSERT INTO ViewItemCounts(ViewID,Shown,Unread,Locked) SELECT "
                          "ViewFeedItems.ViewID,Count(*),Sum(FeedItems.Status=1),"
                          "Sum(FeedItems.Status=3) FROM ViewFeedItems INNER JOIN FeedItems ON "
                          "FeedItems.FeedItemID = ViewFeedItems.FeedItemID WHERE "
                          "FeedItems.Status<>0 AND %1 GROUP BY ViewFeedItems.ViewID")
        .arg(views);
}

const char* const CountTriggerNames[] = {"ItemCounts_ItemAdded",     "ItemCounts_ItemRemoved",
                                         "ItemCounts_ItemChanged",   "ItemCounts_MemberAdded",
                                         "ItemCounts_MemberRemoved", "ItemCounts_MemberChanged"};

// Adds the counts that `select` yields to the row of the same key, which it becomes when missing;
// negative counts take away.
QString UpsertCounts(const QString& table, const QString& key, const QString& select) {
    return QStringLiteral("INSERT INTO %1(%2,Shown,Unread,Locked) %3 ON CONFLICT(%2) DO UPDATE SET "
                          "Shown=Shown+excluded.Shown,Unread=Unread+excluded.Unread,"
                          "Locked=Locked+excluded.Locked")
        .arg(table, key, select);
}

// What one item row (`row` is new or old) counts for its feed.
QString CountItemForFeed(const QString& row, int sign) {
    return UpsertCounts(QStringLiteral("FeedItemCounts"), QStringLiteral("FeedID"),
                        QStringLiteral("SELECT %1.FeedID,%2,%2*(%1.Status=1),%2*(%1.Status=3) "
                                       "WHERE %1.FeedID IS NOT NULL AND %1.Status<>0")
                            .arg(row)
                            .arg(sign));
}

// What one item row counts for the Views that have it as a member, once per membership.
QString CountItemForViews(const QString& row, int sign) {
    return UpsertCounts(QStringLiteral("ViewItemCounts"), QStringLiteral("ViewID"),
                        QStringLiteral("SELECT ViewID,%2*Count(*),%2*Count(*)*(%1.Status=1),"
                                       "%2*Count(*)*(%1.Status=3) FROM ViewFeedItems WHERE "
                                       "FeedItemID=%1.FeedItemID AND %1.Status<>0 AND ViewID IS "
                                       "NOT NULL GROUP BY ViewID")
                            .arg(row)
                            .arg(sign));
}

// What one membership row counts for its View: the shown items it names.
QString CountMemberForView(const QString& row, int sign) {
    return UpsertCounts(QStringLiteral("ViewItemCounts"), QStringLiteral("ViewID"),
                        QStringLiteral("SELECT %1.ViewID,%2*Count(*),%2*Sum(Status=1),"
                                       "%2*Sum(Status=3) FROM FeedItems WHERE FeedItemID="
                                       "%1.FeedItemID AND Status<>0 AND %1.ViewID IS NOT NULL "
                                       "GROUP BY FeedItemID")
                            .arg(row)
                            .arg(sign));
}

QString CountTrigger(const char* name, const QString& event, const QStringList& body) {
    return QStringLiteral("CREATE TRIGGER %1 AFTER %2 BEGIN %3; END")
        .arg(QLatin1String(name), event, body.join(QStringLiteral("; ")));
}

// The triggers that count a View's memberships as they come and go.
QStringList MemberCountTriggers() {
    const QString oldRow = QStringLiteral("old");
    const QString newRow = QStringLiteral("new");
    return {
        CountTrigger(CountTriggerNames[3], QStringLiteral("INSERT ON ViewFeedItems"),
                     {CountMemberForView(newRow, 1)}),
        CountTrigger(CountTriggerNames[4], QStringLiteral("DELETE ON ViewFeedItems"),
                     {CountMemberForView(oldRow, -1)}),
        CountTrigger(CountTriggerNames[5],
                     QStringLiteral("UPDATE OF ViewID,FeedItemID ON ViewFeedItems WHEN old.ViewID "
                                    "IS NOT new.ViewID OR old.FeedItemID IS NOT new.FeedItemID"),
                     {CountMemberForView(oldRow, -1), CountMemberForView(newRow, 1)}),
    };
}

QStringList CountTriggers() {
    const QString oldRow = QStringLiteral("old");
    const QString newRow = QStringLiteral("new");
    return QStringList{
               CountTrigger(CountTriggerNames[0], QStringLiteral("INSERT ON FeedItems"),
                            {CountItemForFeed(newRow, 1), CountItemForViews(newRow, 1)}),
               CountTrigger(CountTriggerNames[1], QStringLiteral("DELETE ON FeedItems"),
                            {CountItemForFeed(oldRow, -1), CountItemForViews(oldRow, -1)}),
               CountTrigger(CountTriggerNames[2],
                            QStringLiteral("UPDATE OF FeedItemID,FeedID,Status ON FeedItems WHEN "
                                           "old.FeedItemID IS NOT new.FeedItemID OR old.FeedID IS "
                                           "NOT new.FeedID OR old.Status IS NOT new.Status"),
                            {CountItemForFeed(oldRow, -1), CountItemForViews(oldRow, -1),
                             CountItemForFeed(newRow, 1), CountItemForViews(newRow, 1)}),
           }
           << MemberCountTriggers();
}

// The count tables filled from the rows there are, and the triggers that keep them from then on.
QStringList CountSchema() {
    return Statements(CreateCountTables)
           << QString::fromLatin1(FillFeedCounts)
           << FillViewCounts(QStringLiteral("ViewFeedItems.ViewID IS NOT NULL")) << CountTriggers();
}

qint64 VolumeFreeKb(const QString& folder) {
    return QStorageInfo(folder).bytesAvailable() / 1024;
}

QString VersionInfoInsert(const QString& date) {
    return QStringLiteral("Insert Into VersionInfo(VersionInfoID,VersionNumber,CreatedBy,"
                          "DateCreated) Values(1,'") +
           CRssDatabase::CurrentVersion + QStringLiteral("','Oxbowfield','") + date +
           QStringLiteral("')");
}

// The built-in Views show as many items as any new View; a file made earlier keeps its own.
QStringList DefaultViewInserts(const QString& date) {
    const QString prefix = QStringLiteral(
        "Insert Into Views(ViewID,ParentID,Label,ReadAfter,HideAfter,NumToShow,HideRead,"
        "DPadSkipRead,SortBy,Status,Keywords,DateEntered) Values(");
    const QString shown = QString::number(CViewRecord().NumToShow);
    return {
        prefix +
            QStringLiteral("1,0,'Whats New',10,0,%1,1,1,2,2,'---specialwhatsnew---','").arg(shown) +
            date + QStringLiteral("')"),
        prefix + QStringLiteral("2,0,'Search Results',10,0,%1,0,1,2,2,'','").arg(shown) + date +
            QStringLiteral("')")};
}

// The shape of a database of a thousand feeds: a View holds many memberships and a feed many
// items, while an item number finds one row.
bool SeedStatistics(CAdoConnection& connection) {
    return connection.SeedIndexStatistics({
        {"Views", "Views_PI", "100 1"},
        {"Feeds", "Feeds_PI", "1000 1"},
        {"Feeds", "FeedsUrl_PI", "1000 1"},
        {"ViewFeeds", "ViewFeeds_PI", "1000 50"},
        {"ViewFeedItems", "ViewFeedItems_PI", "10000 2000"},
        {"ViewFeedItems", "ViewFeedItemsAlt_PI", "10000 1"},
        {"FeedItems", "FeedItems_PI", "50000 1"},
        {"FeedItems", "FeedItemsAlt_PI", "50000 50"},
        {"FeedItems", "FeedItemsKey_PI", "50000 50 1"},
        {"FeedItems", "FeedItemsStatus_PI", "50000 50 25"},
        {"FeedItems", "FeedItemsDate_PI", "50000 50 2 1"},
        {"FeedItems", "FeedItemsNewest_PI", "50000 2 1"},
        {"ViewFeedItems", "ViewFeedItemsFeed_PI", "10000 2000 5 1"},
        {"FeedItemShortData", "FeedItemShortData_PI", "50000 1"},
        {"FeedItemLongData", "FeedItemLongData_PI", "5000 1"},
        {"FeedItemAudioData", "FeedItemAudioData_PI", "500 1"},
    });
}

} // namespace

CRssDatabase::CRssDatabase()
    : mutex_(QStringLiteral("QuillpostDBMutex")), audioFolder_(TheAppSettings().audioFolder),
      freeSpaceKb_(VolumeFreeKb) {}

CRssDatabase::~CRssDatabase() {
    HoldLock = false;
    CloseDatabase();
    Unlock();
}

bool CRssDatabase::WriteInitialRows(CAdoConnection& connection, bool noDefaultViews) {
    const QString date = FormatDateShort(NowGmt());
    QStringList rows = {VersionInfoInsert(date)};
    if (!noDefaultViews)
        rows << DefaultViewInserts(date);
    return connection.ExecuteAll(rows);
}

bool CRssDatabase::CreateDatabase(const QString& path, bool askBeforeOverwrite,
                                  bool noDefaultViews) {
    IPrompt& prompt = CurrentPrompt();
    const qint64 freeKb = freeSpaceKb_(QFileInfo(path).absolutePath());
    if (freeKb < SpaceNeededKb) {
        prompt.ShowMessage(QStringLiteral("Sorry, but there is not enough available space. 200KB "
                                          "is needed, but only %1KB is available.")
                               .arg(freeKb),
                           QStringLiteral("Create Error"));
        return false;
    }
    if (QFile::exists(path)) {
        if (askBeforeOverwrite &&
            !prompt.AskYesNo(QStringLiteral("A database already exists.\n\nAre you sure you want "
                                            "to overwrite the existing database?"),
                             QStringLiteral("Overwrite Warning")))
            return false;
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QString::fromLatin1(suffix));
    }
    WaitCursor wait;
    {
        CAdoConnection engine;
        CAdoRecordset create;
        if (engine.Open(QString()) != 0 ||
            !create.Open(QStringLiteral("CREATE DATABASE '") + path + u'\'', engine,
                         CAdoRecordset::Mode::Write))
            return false;
    }
    CAdoConnection connection;
    if (connection.Open(path) != 0)
        return false;
    const QStringList schema = Statements(CreateTables)
                               << Statements(CreateIndexes) << Statements(CreateLaterSchema)
                               << Statements(CreateSearchTables) << Statements(SearchTriggers)
                               << CountSchema();
    return connection.ExecuteAll(schema) && SeedStatistics(connection) &&
           WriteInitialRows(connection, noDefaultViews);
}

// An empty file is what a failed copy or an interrupted creation leaves: it holds no data, so it
// becomes a new database if the user agrees, and stays untouched (not even given a header)
// if not.
bool CRssDatabase::CreateInEmptyFile(const QString& path) {
    return CurrentPrompt().AskYesNo(
               QStringLiteral("The database file %1 is empty.\n\nDo you want to create a new "
                              "database in it?")
                   .arg(path),
               QStringLiteral("Empty Database")) &&
           CreateDatabase(path, false, false);
}

bool CRssDatabase::IsReadOnly() const {
    return connection_ && sqlite3_db_readonly(connection_->Handle(), "main") == 1;
}

int CRssDatabase::OpenDatabase(const QString& path, bool showMissingMessage) {
    CloseDatabase();
    const QFileInfo file(path);
    if (file.isFile() && file.size() == 0 && !CreateInEmptyFile(path))
        return -2;
    databasePath_ = path;
    showMissingMessage_ = showMissingMessage;
    if (!Connect()) {
        databasePath_.clear();
        return 0;
    }
    if (!Lock())
        return -1;
    QString version;
    try {
        CAdoRecordset recordset;
        if (recordset.Open(QStringLiteral("Select VersionNumber from VersionInfo Where "
                                          "VersionInfoID = 1"),
                           *connection_, CAdoRecordset::Mode::Read) &&
            !recordset.IsEOF())
            version = recordset.Field(0).GetString();
    } catch (const std::exception&) {
        Unlock();
        return 0;
    }
    if (version == QLatin1String(CurrentVersion)) {
        CreateMissingTables();
        Unlock();
        isOpen_ = true;
        return 1;
    }
    // No Today-screen component runs on this platform (Today\HWND stays 0), so nobody has to be
    // asked to let go of the file before it is upgraded.
    const bool upgrade =
        !NoUpgradePrompt &&
        CurrentPrompt().AskYesNo(
            QStringLiteral("The Database structure needs to be updated.  This may take several "
                           "minutes.\n\nDo you want to update the database?"),
            QStringLiteral("Database Update Required"));
    if (!upgrade || version != QLatin1String("1.0")) {
        Unlock();
        Disconnect();
        return upgrade ? 0 : -2;
    }
    if (!UpgradeFromVersion1()) {
        Unlock();
        Disconnect();
        return 0;
    }
    CreateMissingTables();
    Unlock();
    Disconnect();
    if (!Connect()) {
        databasePath_.clear();
        return 0;
    }
    Unlock();
    isOpen_ = true;
    return 1;
}

// New indexes get the typical shape of their keys, and the connection starts again so that the
// engine plans with them.
void CRssDatabase::CreateMissingTables() {
    const auto schemaSize = [this] {
        const auto rows = Query(QStringLiteral("Select Count(*) From sqlite_master"));
        return rows->IsEOF() ? 0 : rows->Field(0).GetLong();
    };
    const qint32 before = schemaSize();
    const bool searchable = HasTable(QStringLiteral("ItemTextSearch"));
    for (const char* statement : CreateLaterSchema)
        connection_->Execute(QString::fromLatin1(statement));
    if (!searchable)
        BuildSearchIndex(QStringList());
    else if (!SearchIndexKeepsWordEnds())
        BuildSearchIndex(DropSearchIndex());
    else
        RenewSearchInsertTriggers();
    if (!HasTable(QStringLiteral("FeedItemCounts")))
        BuildItemCounts();
    if (schemaSize() == before || !SeedStatistics(*connection_))
        return;
    connection_.reset();
    Connect();
}

bool CRssDatabase::HasTable(const QString& name) {
    return !Query(QStringLiteral("Select 1 From sqlite_master Where name = ") + SqlText(name))
                ->IsEOF();
}

// A file from before the search index gets it on its first open, and one indexed without the
// ends of words gets it anew, in one transaction; the index of a large file takes a while, so
// the user is told.
void CRssDatabase::BuildSearchIndex(const QStringList& dropEarlier) {
    CurrentPrompt().ShowProgress(QStringLiteral("Building the search index..."));
    WaitCursor wait;
    connection_->ExecuteAllOrNone(QStringList(dropEarlier)
                                  << Statements(CreateSearchTables) << Statements(FillSearchIndex)
                                  << Statements(SearchTriggers));
}

bool CRssDatabase::SearchIndexKeepsWordEnds() {
    const auto tables = Query(QStringLiteral(
        "Select Count(*) From sqlite_master Where name In ('ItemTitleSearch','ItemTextSearch') "
        "And sql Like '%WordEnds%'"));
    return !tables->IsEOF() && tables->Field(0).GetLong() == 2;
}

QStringList CRssDatabase::DropSearchIndex() {
    QStringList statements;
    for (const char* name : SearchTriggerNames)
        statements << QStringLiteral("DROP TRIGGER IF EXISTS ") + QLatin1String(name);
    return statements << QStringLiteral("DROP TABLE IF EXISTS ItemTitleSearch")
                      << QStringLiteral("DROP TABLE IF EXISTS ItemTextSearch");
}

// Files indexed by an earlier build have insert triggers that never wait for a merge.
void CRssDatabase::RenewSearchInsertTriggers() {
    if (!Query(QStringLiteral("Select 1 From sqlite_master Where name = 'ItemTextSearch_Added' "
                              "And sql Like '%SearchIndexPaused%'"))
             ->IsEOF())
        return;
    connection_->ExecuteAllOrNone(
        QStringList{QStringLiteral("DROP TRIGGER IF EXISTS ItemTitleSearch_Added"),
                    QStringLiteral("DROP TRIGGER IF EXISTS ItemTextSearch_Added")}
        << Statements(SearchTriggers));
}

// Each statement that writes the index makes the engine save the entries it holds in memory, so
// a merge that wrote one item at a time would save the index once per item, which costs more
// than all the rest of the merge. Inside the merge's transaction the insert triggers leave the
// items it adds alone, and IndexAddedItems writes their entries in one statement per table.
void CRssDatabase::PauseSearchIndex() {
    if (!connection_->Execute(QStringLiteral("Insert Into SearchIndexPaused(Paused) Values(1)")))
        THROW_ADO(CAdoException::UpdateRefused);
}

void CRssDatabase::IndexAddedItems(const QList<qint32>& feedItemIDs) {
    QStringList statements{QStringLiteral("Delete From SearchIndexPaused")};
    // In runs, so that no statement outgrows the engine's limit on a statement's length.
    constexpr qsizetype RunLength = 2000;
    for (qsizetype start = 0; start < feedItemIDs.size(); start += RunLength) {
        const QString added = QStringLiteral(" WHERE FeedItemID IN (") +
                              SqlIntList(feedItemIDs.mid(start, RunLength)) + u')';
        for (const char* statement : FillSearchIndex)
            statements << QString::fromLatin1(statement) + added;
    }
    if (!connection_->ExecuteAll(statements))
        THROW_ADO(CAdoException::UpdateRefused);
}

// Counts of the rows already stored are taken in one transaction with the triggers that keep
// them, so that no change falls between the two.
void CRssDatabase::BuildItemCounts() {
    connection_->ExecuteAllOrNone(CountSchema());
}

// A View's memberships made those given, in one transaction. Rows it holds already stay, so
// that a rebuild that finds what the View held writes nothing. When many rows change, the member
// triggers, which would count each row as it goes and comes, are left out meanwhile, and the
// View's counts are taken once from what it then holds.
bool CRssDatabase::ReplaceViewMembers(qint32 viewID, const std::vector<ViewMember>& members) {
    ScopedTransaction transaction(*connection_);
    QHash<qint32, ViewMember> held;
    QList<qint32> gone; // held twice, held otherwise, or no longer a member
    for (auto rows = Query(QStringLiteral("Select FeedItemID,FeedID,Priority From ViewFeedItems "
                                          "Where ViewID = ") +
                           SqlInt(viewID));
         !rows->IsEOF(); rows->MoveNext()) {
        const ViewMember member{rows->Field(0).GetLong(), rows->Field(1).GetLong(),
                                rows->Field(2).GetShort()};
        if (held.contains(member.feedItemID))
            gone << member.feedItemID;
        held.insert(member.feedItemID, member);
    }
    const QSet<qint32> heldTwice(gone.cbegin(), gone.cend());
    QStringList rows;
    for (const ViewMember& member : members) {
        const auto it = held.constFind(member.feedItemID);
        const bool same = it != held.cend() && it->feedID == member.feedID &&
                          it->priority == member.priority && !heldTwice.contains(member.feedItemID);
        if (it != held.cend() && !same)
            gone << member.feedItemID;
        if (!same)
            rows << u'(' + SqlInt(viewID) + u',' + SqlInt(member.feedID) + u',' +
                        SqlInt(member.feedItemID) + u',' + SqlInt(member.priority) + u')';
        held.remove(member.feedItemID);
    }
    gone << held.keys();
    const bool recount = gone.size() + rows.size() > qsizetype(members.size()) / 4;
    QStringList statements;
    if (recount)
        for (const char* name : {CountTriggerNames[3], CountTriggerNames[4], CountTriggerNames[5]})
            statements << QStringLiteral("DROP TRIGGER IF EXISTS ") + QLatin1String(name);
    // A View rebuilt whole holds every match itself: no count of matches held apart is left.
    for (const char* table : {"ViewFeeds", "SearchMatchCounts"})
        statements << QStringLiteral("Delete From %1 Where ViewID = %2")
                          .arg(QLatin1String(table), SqlInt(viewID));
    // Many rows a statement.
    constexpr qsizetype RowsPerStatement = 500;
    for (qsizetype start = 0; start < gone.size(); start += RowsPerStatement)
        statements << QStringLiteral("Delete From ViewFeedItems Where ViewID = ") + SqlInt(viewID) +
                          QStringLiteral(" And FeedItemID In (") +
                          SqlIntList(gone.mid(start, RowsPerStatement)) + u')';
    for (qsizetype start = 0; start < rows.size(); start += RowsPerStatement)
        statements << QStringLiteral("Insert Into ViewFeedItems(ViewID,FeedID,FeedItemID,Priority) "
                                     "Values") +
                          rows.mid(start, RowsPerStatement).join(u',');
    if (recount)
        statements << QStringLiteral("Delete From ViewItemCounts Where ViewID = ") + SqlInt(viewID)
                   << FillViewCounts(QStringLiteral("ViewFeedItems.ViewID = ") + SqlInt(viewID))
                   << MemberCountTriggers();
    return connection_->ExecuteAll(statements) && transaction.Commit();
}

// The search index and the counts are emptied at once and the triggers, which would take each
// row out of them one by one, are left out while every item goes.
bool CRssDatabase::DeleteAllItemRows(const QStringList& deletes) {
    QStringList statements;
    for (const char* name : SearchTriggerNames)
        statements << QStringLiteral("DROP TRIGGER IF EXISTS ") + QLatin1String(name);
    for (const char* name : CountTriggerNames)
        statements << QStringLiteral("DROP TRIGGER IF EXISTS ") + QLatin1String(name);
    statements << QStringLiteral(
                      "INSERT INTO ItemTitleSearch(ItemTitleSearch) VALUES('delete-all')")
               << QStringLiteral("INSERT INTO ItemTextSearch(ItemTextSearch) VALUES('delete-all')")
               << QStringLiteral("DELETE FROM FeedItemCounts")
               << QStringLiteral("DELETE FROM ViewItemCounts") << deletes
               << Statements(SearchTriggers) << CountTriggers();
    return connection_->ExecuteAll(statements);
}

// Version 1.0 files lack the feeds' ReadAfter column.
bool CRssDatabase::UpgradeFromVersion1() {
    try {
        if (!connection_->ExecuteAll({QStringLiteral("Delete From VersionInfo"),
                                      QStringLiteral("ALTER TABLE Feeds ADD ReadAfter smallint"),
                                      QStringLiteral("ALTER TABLE Feeds MOVE ReadAfter BEFORE "
                                                     "MaxItems"),
                                      VersionInfoInsert(FormatDateShort(NowGmt()))}))
            return false;
        CAdoRecordset feeds;
        if (!feeds.Open(QStringLiteral("Select FeedID,ReadAfter from Feeds"), *connection_,
                        CAdoRecordset::Mode::Write))
            return false;
        for (feeds.MoveFirst(); !feeds.IsEOF(); feeds.MoveNext()) {
            feeds.Field(1).SetShort(10);
            feeds.Update();
        }
        CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CRssDatabase::CloseDatabase() {
    Disconnect();
    isOpen_ = false;
    databasePath_.clear();
    return true;
}

bool CRssDatabase::Connect() {
    if (connection_)
        return true;
    auto connection = std::make_unique<CAdoConnection>();
    if (connection->Open(databasePath_) != 0 || !connection->Handle())
        return false;
    connection_ = std::move(connection);
    return true;
}

void CRssDatabase::Disconnect() {
    if (!connection_)
        return;
    Unlock();
    connection_.reset();
}

bool CRssDatabase::Lock() {
    if (isLocked_)
        return true;
    if (VerifyFile && !QFile::exists(databasePath_)) {
        if (showMissingMessage_) {
            showMissingMessage_ = false;
            CurrentPrompt().ShowMessage(QStringLiteral("The database is no longer connected "
                                                       "to...") +
                                            databasePath_ +
                                            QStringLiteral("\n\nPlease, Re-open the database."),
                                        QStringLiteral("Missing Database"));
        }
        return false;
    }
    if (UseLock && !mutex_.Lock(LockTimeoutMs))
        return false;
    isLocked_ = true;
    RaiseRecordIdFloorToStoredIds();
    return true;
}

// Other processes may have stored numbers since this one last looked; new records must not
// take them again.
void CRssDatabase::RaiseRecordIdFloorToStoredIds() {
    if (!connection_)
        return;
    for (const char* query : {"Select Max(ViewID) From Views", "Select Max(FeedID) From Feeds",
                              "Select Max(FeedItemID) From FeedItems",
                              "Select Max(SubscriptionID) From Subscriptions"}) {
        CAdoRecordset highest;
        if (highest.Open(QString::fromLatin1(query), *connection_, CAdoRecordset::Mode::Read) &&
            !highest.IsEOF())
            RaiseRecordIdFloor(highest.Field(0).GetValue().toInt());
    }
}

void CRssDatabase::Unlock() {
    if (HoldLock || !isLocked_)
        return;
    if (UseLock)
        mutex_.Unlock();
    isLocked_ = false;
}

// Between the steps of a long write, even under HoldLock: whoever waits has a turn, then the
// lock is as it was. Throws when it cannot be had again.
void CRssDatabase::YieldLock() {
    if (!isLocked_ || !UseLock)
        return;
    if (!mutex_.Yield(LockTimeoutMs)) {
        isLocked_ = false;
        THROW_ADO(CAdoException::UpdateRefused);
    }
    RaiseRecordIdFloorToStoredIds();
}

QString CRssDatabase::GetDatabaseVersion() {
    if (!isOpen_ || !Connect() || !Lock())
        return {};
    try {
        const auto recordset = Query(QStringLiteral("Select VersionNumber from VersionInfo Where "
                                                    "VersionInfoID = 1"));
        const QString version = recordset->IsEOF() ? QString() : recordset->Field(0).GetString();
        Unlock();
        return version;
    } catch (const std::exception&) {
        Unlock();
        return QStringLiteral("0");
    }
}

HttpValidators CRssDatabase::GetHttpValidators(qint32 feedID) {
    return WithAccess(HttpValidators(), [&] {
        const auto row = Query(QStringLiteral("Select ETag,LastModified From FeedHttpValidators "
                                              "Where FeedID = ") +
                               SqlInt(feedID));
        return row->IsEOF()
                   ? HttpValidators()
                   : HttpValidators{row->Field(0).GetString(), row->Field(1).GetString(), {}};
    });
}

bool CRssDatabase::SetHttpValidators(qint32 feedID, const HttpValidators& validators) {
    return WithAccess(false, [&] {
        return connection_->Execute(
                   QStringLiteral("Delete From FeedHttpValidators Where FeedID = ") +
                   SqlInt(feedID)) &&
               (validators.IsEmpty() ||
                connection_->Execute(QStringLiteral("Insert Into FeedHttpValidators(FeedID,ETag,"
                                                    "LastModified) Values(%1,%2,%3)")
                                         .arg(SqlInt(feedID), SqlText(validators.etag.left(255)),
                                              SqlText(validators.lastModified.left(255)))));
    });
}

bool CRssDatabase::RunExclusive(const std::function<bool(CAdoConnection&)>& work) {
    return WithAccess(false, [&] {
        // Restored before the bracket's Unlock, whichever way the work ends.
        struct RestoreHoldLock {
            bool& flag;
            bool value;
            ~RestoreHoldLock() { flag = value; }
        } restore{HoldLock, std::exchange(HoldLock, true)};
        return work(*connection_);
    });
}

// Compacted in place: VACUUM rebuilds the file in one transaction of its own, so that every
// other connection, of this process or another, goes on with the same file and sees the
// rebuild as one commit; the lock keeps this program's writers waiting meanwhile. The
// checkpoint then hands the freed pages back to the volume.
bool CRssDatabase::SnapshotDatabase(const QString& path) {
    return WithAccess(false, [&] { return connection_->CopyTo(path); });
}

bool CRssDatabase::RestoreSnapshot(const QString& path) {
    CAdoConnection snapshot;
    if (!QFile::exists(path) || snapshot.Open(path) != 0)
        return false;
    sqlite3_stmt* version = snapshot.Acquire(
        QStringLiteral("Select VersionNumber From VersionInfo Where VersionInfoID = 1"));
    const bool current =
        version && sqlite3_step(version) == SQLITE_ROW &&
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(version, 0))) ==
            QLatin1String(CurrentVersion);
    if (version)
        snapshot.Release(version);
    // A snapshot taken by an earlier build gains the later tables as its file would on opening.
    return current && WithAccess(false, [&] {
               if (!connection_->CopyFrom(snapshot))
                   return false;
               CreateMissingTables();
               return true;
           });
}

bool CRssDatabase::CompactDatabase() {
    return WithAccess(false, [&] {
        WaitCursor wait;
        return RebuildFile();
    });
}

// Files written before pages were freed on request learn it here: the connection asks for it,
// and the setting takes effect through a rebuild.
bool CRssDatabase::RebuildFile() {
    return connection_->Execute(QStringLiteral("VACUUM")) &&
           connection_->Execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}
