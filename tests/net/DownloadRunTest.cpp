// Download runs against loopback servers.

#include "../store/StoreFixture.h"
#include "config/AppSettings.h"
#include "net/ConnectionCheck.h"
#include "net/DownloadProgressModel.h"
#include "net/HttpDownloader.h"
#include "store/FeedIconCache.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"
#include "support/TestImages.h"
#include "text/RecordId.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <sqlite3.h>
#include <thread>

namespace {

QByteArray Feed(const QString& title, int items, const QString& linkBase = QString()) {
    QByteArray xml = "<rss version=\"2.0\"><channel><title>" + title.toUtf8() + "</title>";
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<item><title>%1 item %2</title><guid>%1-%2</guid><link>%3/page%2"
                              "</link><description>text %2</description></item>")
                   .arg(title)
                   .arg(i)
                   .arg(linkBase)
                   .toUtf8();
    return xml + "</channel></rss>";
}

// Passes notifications to the progress model and keeps their order.
class Recorder : public IDownloadObserver {
public:
    explicit Recorder(CDownloadProgressModel& model) : model_(model) {}
    void OnDownloadNotification(int code, int value) override {
        {
            std::lock_guard lock(mutex);
            log << QStringLiteral("%1:%2").arg(code).arg(value);
        }
        model_.OnDownloadNotification(code, value);
    }
    QStringList Log() {
        std::lock_guard lock(mutex);
        return log;
    }
    std::mutex mutex;
    QStringList log;

private:
    CDownloadProgressModel& model_;
};

// Several loopback servers, each on a port of its own, stand for as many hosts; `total` counts
// the requests all of them answer at once.
struct Hosts {
    Hosts(int count, int latencyMs) {
        for (int host = 0; host < count; ++host) {
            servers.push_back(std::make_unique<LoopbackServer>(&total));
            servers.back()->SetLatency(latencyMs);
        }
    }
    LoopbackServer& operator[](int host) { return *servers[std::size_t(host)]; }
    int MostAtOneHost() {
        int most = 0;
        for (const auto& server : servers)
            most = std::max(most, server->Concurrency().Peak());
        return most;
    }

    ConcurrencyGauge total;
    std::vector<std::unique_ptr<LoopbackServer>> servers;
};

class DownloadRunTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        TheAppSettings().installFolder = env_.Path("install");
        QDir().mkpath(TheAppSettings().installFolder);
        CHttpDownloader::SkipHeaders = true;
    }

    void AddFeedAt(qint32 feedID, const QString& title, const std::string& path, int priority,
                   bool extendedData = false) {
        AddFeedWithUrl(feedID, title, server_.Url(path), priority, extendedData);
    }

    void AddHostedFeeds(Hosts& hosts, int feeds,
                        const std::function<LoopbackServer::Response(int)>& response);

    void AddFeedWithUrl(qint32 feedID, const QString& title, const QString& url, int priority,
                        bool extendedData = false) {
        CFeedRecord feed;
        feed.FeedID = feedID;
        feed.Title = title;
        feed.FeedUrl = url;
        feed.Priority = qint16(priority);
        feed.ExtendedData = extendedData;
        ASSERT_TRUE(db_.InsertFeed(feed, 0, 0));
    }

    // Starts a run of every feed with the recorder in between: StartRun's result, -1 when
    // there is nothing to run.
    int StartAll() {
        manager_.LoadRunSettings();
        if (!manager_.BuildFeedList(0))
            return -1;
        manager_.SetObserver(&recorder_);
        return manager_.StartRun();
    }

    // Starts and waits for the end.
    bool RunAll() {
        const bool started = StartAll() == 1;
        manager_.WaitForWorker();
        return started;
    }

    QStringList RowTexts() const {
        QStringList rows;
        for (const auto& row : model_.Rows())
            rows << row.title + u'|' + row.status + u'|' + QString::number(row.icon);
        return rows;
    }

    // "title|note" of every row that has a note.
    QStringList Notes() const {
        QStringList notes;
        for (const auto& row : model_.Rows())
            if (!row.note.isEmpty())
                notes << row.title + u'|' + row.note;
        return notes;
    }

    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
    LoopbackServer server_;
    // The system's own answer, as every user gets it; tests of a lost network replace it.
    ConnectivityProbe probe_ = SystemIsOnline;
    CDownloadManager manager_{db_, [this] { return probe_(); }};
    CDownloadProgressModel model_{manager_};
    Recorder recorder_{model_};
};

// Stands for a server account's sync, which the layer above the downloads installs: records
// where the run calls it.
class RecordingSync : public IRunSync {
public:
    std::optional<CDownloadItem> Prepare(CRssDatabase& db) override {
        prepared = &db;
        CDownloadItem entry;
        entry.Url = QStringLiteral("http://127.0.0.1:1/");
        entry.Title = QStringLiteral("Sync: account");
        return entry;
    }
    bool Run(CRssDatabase& runDb, QString& note) override {
        ran = &runDb;
        thread = std::this_thread::get_id();
        note = answer;
        return succeeds;
    }

    bool succeeds = true;
    QString answer;
    CRssDatabase* prepared = nullptr;
    CRssDatabase* ran = nullptr;
    std::thread::id thread;
};

// A run of every feed syncs the account first, as one entry of the run: prepared on the
// starter's connection, run on the worker's thread through the worker's own connection. A sync
// that fails is one failed entry with its reason; the local feeds go on.
TEST_F(DownloadRunTest, AnAccountSyncIsOneEntryOfTheRunOnTheWorkersConnection) {
    server_.SetBody("/good", Feed("Good", 3));
    AddFeedAt(1, "Good", "/good", 9);
    for (const bool succeeds : {true, false}) {
        SCOPED_TRACE(succeeds);
        RecordingSync sync;
        sync.succeeds = succeeds;
        sync.answer =
            succeeds ? QStringLiteral("3 new items") : QStringLiteral("cannot be reached");
        manager_.SetRunSync(&sync);
        // The rows of both runs stay in the model: this run's follow the last one's.
        const qsizetype before = RowTexts().size();
        ASSERT_TRUE(RunAll());
        EXPECT_EQ(RowTexts().mid(before + 1, 2),
                  QStringList({succeeds ? "Sync: account|- Status: Done - Success|1"
                                        : "Sync: account|- Status: Done - Failed To Download|2",
                               "Good|- Status: Done - Success|1"}));
        EXPECT_EQ(Notes().last(), "Sync: account|" + sync.answer);
        EXPECT_EQ(model_.LastOutcome().entries, 2);
        EXPECT_EQ(model_.LastOutcome().failures, succeeds ? 0 : 1);
        EXPECT_EQ(sync.prepared, &db_);
        EXPECT_NE(sync.ran, nullptr);
        EXPECT_NE(sync.ran, &db_);
        EXPECT_NE(sync.thread, std::this_thread::get_id());
    }
    manager_.SetRunSync(nullptr);
}

TEST_F(DownloadRunTest, RunShowsEachFeedsOutcome) {
    server_.SetBody("/good", Feed("Good", 3));
    server_.SetBody("/html", "<html><body>not a feed</body></html>");
    AddFeedAt(1, "Good feed", "/good", 9);
    AddFeedAt(2, "Broken feed", "/html", 5);
    CFeedRecord unreachable;
    unreachable.FeedID = 3;
    unreachable.Title = "Unreachable";
    unreachable.FeedUrl = "http://127.0.0.1:1/feed";
    ASSERT_TRUE(db_.InsertFeed(unreachable, 0, 0));

    ASSERT_TRUE(RunAll());
    EXPECT_EQ(RowTexts(), QStringList({"Starting Download Process...||0",
                                       "Good feed|- Status: Done - Success|1",
                                       "Broken feed|- Status: Done - Failed To Process|2",
                                       "Unreachable|- Status: Done - Failed To Download|2",
                                       "Downloading Complete|- Status: OK|0"}));
    EXPECT_EQ(recorder_.Log(),
              QStringList({"3:3", "5:0", "7:1", "6:1", "5:1", "7:1", "6:-1", "5:2", "6:0", "4:0"}));
    EXPECT_EQ(model_.Header(), "Downloading Complete");
    EXPECT_EQ(Count("FeedItems", "FeedID = 1"), 3);
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
    EXPECT_NEAR(store_.Read(Key::BackgroundLastRefresh).toInt(), SecondsSince2001(), 5);
    EXPECT_EQ(store_.Read(Key::LastRefreshDate),
              FormatDateShort(QDateTime::currentDateTime()).left(10) +
                  store_.Read(Key::LastRefreshDate).mid(10));
    EXPECT_EQ(store_.Read(Key::TodayHasChanged), 1);
    EXPECT_FALSE(db_.HoldLock);
}

// Every run of feeds, whoever starts it, leaves "Whats New" with the items it brought; a run
// of enclosures brings none and leaves it alone.
TEST_F(DownloadRunTest, WhatsNewShowsWhatTheLastRunBrought) {
    const QString whatsNew = "Select FeedItems.GUID From ViewFeedItems Inner Join FeedItems On "
                             "ViewFeedItems.FeedItemID = FeedItems.FeedItemID Where ViewID = 1 "
                             "Order By FeedItems.GUID";
    server_.SetBody("/feed", Feed("A", 2));
    AddFeedAt(1, "Feed", "/feed", 1);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(Rows(whatsNew), QStringList({"A-0", "A-1"}));

    server_.SetBody("/feed", Feed("A", 4));
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(Rows(whatsNew), QStringList({"A-2", "A-3"}));

    store_.Write(Key::AudioMaxItemSize, 1);
    Sql({"Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) Values(5,1,'" +
         server_.Url("/feed") + "',4096,0,0)"});
    ASSERT_TRUE(model_.StartAudioRun());
    manager_.WaitForWorker();
    EXPECT_EQ(Rows(whatsNew), QStringList({"A-2", "A-3"}));

    ASSERT_TRUE(RunAll()); // unchanged: nothing new
    EXPECT_EQ(Rows(whatsNew), QStringList());
}

TEST_F(DownloadRunTest, RowsKeepTheReasonOfEachFailure) {
    server_.SetBody("/good", Feed("Good", 1));
    // An error page that reads as a feed is still never merged.
    server_.SetBody("/gone", Feed("Error page", 2), 404);
    server_.SetBody("/html", "<html><body>not a feed</body></html>");
    AddFeedAt(1, "Good feed", "/good", 9);
    AddFeedAt(2, "Gone feed", "/gone", 8);
    AddFeedAt(3, "Broken feed", "/html", 7);
    CFeedRecord unreachable;
    unreachable.FeedID = 4;
    unreachable.Title = "Unreachable";
    unreachable.FeedUrl = "http://127.0.0.1:1/feed";
    ASSERT_TRUE(db_.InsertFeed(unreachable, 0, 0));

    ASSERT_TRUE(RunAll());
    EXPECT_EQ(RowTexts().mid(1, 4),
              QStringList({"Good feed|- Status: Done - Success|1",
                           "Gone feed|- Status: Done - Failed To Download|2",
                           "Broken feed|- Status: Done - Failed To Process|2",
                           "Unreachable|- Status: Done - Failed To Download|2"}));
    EXPECT_EQ(Notes(), QStringList({"Gone feed|HTTP 404", "Unreachable|could not connect"}));
    EXPECT_EQ(Count("FeedItems", "FeedID = 2"), 0);
}

TEST_F(DownloadRunTest, NotModifiedFeedsAreUnchanged) {
    LoopbackServer::Response tagged;
    tagged.body = Feed("Tagged", 2);
    tagged.etag = "\"v1\"";
    server_.Set("/tagged", tagged);
    LoopbackServer::Response dated;
    dated.body = Feed("Dated", 1);
    dated.lastModified = "Mon, 03 Jan 2005 10:30:15 GMT";
    server_.Set("/dated", dated);
    AddFeedAt(1, "Tagged feed", "/tagged", 2);
    AddFeedAt(2, "Dated feed", "/dated", 1);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(db_.GetHttpValidators(1).etag, "\"v1\"");
    EXPECT_EQ(db_.GetHttpValidators(2).lastModified, "Mon, 03 Jan 2005 10:30:15 GMT");
    const QStringList before = Rows("Select * From Feeds Order By FeedID");

    ASSERT_TRUE(RunAll());
    EXPECT_EQ(server_.LastHeader("/tagged", "If-None-Match"), "\"v1\"");
    EXPECT_EQ(server_.LastHeader("/dated", "If-Modified-Since"), "Mon, 03 Jan 2005 10:30:15 GMT");
    EXPECT_TRUE(RowTexts().contains("Tagged feed|- Status: Done - Success|1"));
    EXPECT_EQ(Rows("Select * From Feeds Order By FeedID"), before); // nothing written
    EXPECT_EQ(Count("FeedItems"), 3);

    // A purge forgets them, so that the next download is a whole one.
    ASSERT_TRUE(db_.PurgeFeedData(1));
    EXPECT_TRUE(db_.GetHttpValidators(1).IsEmpty());
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(server_.LastHeader("/tagged", "If-None-Match"), "");
    EXPECT_EQ(Count("FeedItems", "FeedID = 1"), 2);
    ASSERT_TRUE(db_.PurgeAllData());
    EXPECT_EQ(Count("FeedHttpValidators"), 0);
}

// The bytes name no encoding of their own; only the answer's Content-Type tells windows-1251.
TEST_F(DownloadRunTest, CharsetOfTheAnswerDecodesAFeedThatNamesNone) {
    const QByteArray body = "<rss version=\"2.0\"><channel><title>\xCD\xEE\xE2\xEE\xF1\xF2\xE8"
                            "</title><item><title>\xCF\xF0\xE8\xE2\xE5\xF2</title><guid>1</guid>"
                            "</item></channel></rss>";
    LoopbackServer::Response labelled;
    labelled.body = body;
    labelled.headers = {{"Content-Type", "application/rss+xml; charset=windows-1251"}};
    server_.Set("/labelled", labelled);
    LoopbackServer::Response unlabelled;
    unlabelled.body = body;
    unlabelled.headers = {{"Content-Type", "application/rss+xml"}};
    server_.Set("/unlabelled", unlabelled);
    AddFeedAt(1, "Labelled", "/labelled", 2);
    AddFeedAt(2, "Unlabelled", "/unlabelled", 1);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(db_.GetFeed(1)->Title, u"\u041D\u043E\u0432\u043E\u0441\u0442\u0438"_qs);
    EXPECT_EQ(Rows("Select Title From FeedItems Where FeedID = 1"),
              QStringList{u"\u041F\u0440\u0438\u0432\u0435\u0442"_qs});
    // Without a charset the Windows-1252 fallback stays.
    EXPECT_EQ(Rows("Select Title From FeedItems Where FeedID = 2"),
              QStringList{u"\u00CF\u00F0\u00E8\u00E2\u00E5\u00F2"_qs});
}

TEST_F(DownloadRunTest, TransfersAheadKeepTheOrderOfNotifications) {
    // The first feed is slow, so the ones after it are downloaded while it still arrives.
    LoopbackServer::Response slow = LoopbackServer::Slow(Feed("F1", 5), 200, 40);
    server_.Set("/f1", slow);
    AddFeedAt(1, "Feed 1", "/f1", 10);
    for (qint32 feed = 2; feed <= 6; ++feed) {
        server_.SetBody(QString("/f%1").arg(feed).toStdString(), Feed(QString("F%1").arg(feed), 5));
        AddFeedAt(feed, QString("Feed %1").arg(feed), QString("/f%1").arg(feed).toStdString(),
                  10 - feed);
    }
    ASSERT_TRUE(RunAll());
    QStringList expected = {"3:6"};
    for (int entry = 0; entry < 6; ++entry)
        expected << QString("5:%1").arg(entry) << "7:1"
                 << "6:1";
    expected << "4:0";
    EXPECT_EQ(recorder_.Log(), expected);
    EXPECT_EQ(Count("FeedItems"), 30);
    EXPECT_TRUE(QDir(TheAppSettings().installFolder).entryList({"*.ahead*"}).isEmpty());
}

TEST_F(DownloadRunTest, CancellingStopsTheTransfersAhead) {
    LoopbackServer::Response slow = LoopbackServer::Slow(Feed("Slow", 5), 100, 100);
    server_.Set("/slow", slow);
    LoopbackServer::Response endless;
    endless.body = QByteArray(4096, 'x');
    endless.endless = true;
    endless.chunkDelayMs = 50;
    server_.Set("/endless", endless);
    server_.SetBody("/fast", Feed("Fast", 2));
    AddFeedAt(1, "Slow", "/slow", 10);
    AddFeedAt(2, "Fast", "/fast", 9);
    AddFeedAt(3, "Endless", "/endless", 8);

    ASSERT_EQ(StartAll(), 1);
    QThread::msleep(300); // the fast feed has been fetched ahead by now
    EXPECT_EQ(server_.Hits("/fast"), 1);
    model_.OnCancel();
    QElapsedTimer timer;
    timer.start();
    manager_.WaitForWorker();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(Count("FeedItems", "FeedID = 2"), 0); // fetched ahead, never merged
    EXPECT_EQ(RowTexts().last(), "Downloading Complete|Status: Cancelled by User|0");
    EXPECT_TRUE(QDir(TheAppSettings().installFolder).entryList({"*.ahead*"}).isEmpty());
}

LoopbackServer::Response OneItemFeed(int feed) {
    LoopbackServer::Response response;
    response.body = Feed(QString("F%1").arg(feed), 1);
    return response;
}

// Feed k of the run ("Feed k", ID k + 1) lives on host k % hosts, at /f<k>, answered with
// `response`.
void DownloadRunTest::AddHostedFeeds(Hosts& hosts, int feeds,
                                     const std::function<LoopbackServer::Response(int)>& response) {
    for (int feed = 0; feed < feeds; ++feed) {
        LoopbackServer& host = hosts[feed % int(hosts.servers.size())];
        const std::string path = QString("/f%1").arg(feed).toStdString();
        host.Set(path, response(feed));
        AddFeedWithUrl(feed + 1, QString("Feed %1").arg(feed), host.Url(path), 100 - feed);
    }
}

TEST_F(DownloadRunTest, ParallelRunKeepsTheOrderOfRowsAndNotifications) {
    // The earlier a feed comes in the run, the later its answer arrives, so the transfers end
    // in the reverse of the run's order.
    constexpr int Feeds = 10;
    Hosts hosts(5, 0);
    AddHostedFeeds(hosts, Feeds, [](int feed) {
        LoopbackServer::Response response;
        response.body = Feed(QString("F%1").arg(feed), 2);
        if (feed == 3)
            response.status = 404;
        if (feed == 6)
            response.body = "<html>not a feed</html>";
        response.chunkDelayMs = (Feeds - feed) * 30;
        return response;
    });

    ASSERT_TRUE(RunAll());
    QStringList notifications = {"3:10"};
    QStringList rows = {"Starting Download Process...||0"};
    for (int feed = 0; feed < Feeds; ++feed) {
        const int result = feed == 3 ? 0 : feed == 6 ? -1 : 1;
        notifications << QString("5:%1").arg(feed);
        if (result != 0)
            notifications << "7:1";
        notifications << QString("6:%1").arg(result);
        rows << QString("Feed %1|- Status: Done - %2|%3")
                    .arg(feed)
                    .arg(result == 1   ? "Success"
                         : result == 0 ? "Failed To Download"
                                       : "Failed To Process")
                    .arg(result == 1 ? 1 : 2);
    }
    notifications << "4:0";
    rows << "Downloading Complete|- Status: OK|0";
    EXPECT_EQ(recorder_.Log(), notifications);
    EXPECT_EQ(RowTexts(), rows);
    EXPECT_EQ(Count("FeedItems"), 2 * (Feeds - 2));
    EXPECT_GT(hosts.total.Peak(), 1) << "the transfers were made one at a time";
    EXPECT_TRUE(QDir(TheAppSettings().installFolder).entryList({"*.ahead*"}).isEmpty());
}

// 0 stands for the shipped default of a key.
struct TransferLimits {
    int maxTransfers;
    int perServer;
    int hosts;
    int mostAtOneHost;
    int mostInAll;
};

class TransferLimitTest : public DownloadRunTest,
                          public testing::WithParamInterface<TransferLimits> {};

TEST_P(TransferLimitTest, NoServerIsAskedForMoreThanItsLimitAtOnce) {
    const TransferLimits& limits = GetParam();
    if (limits.maxTransfers)
        store_.Write(Key::MaxTransfers, limits.maxTransfers);
    if (limits.perServer)
        store_.Write(Key::MaxTransfersPerServer, limits.perServer);
    // Every answer is late enough that the first transfers are all under way together.
    Hosts hosts(limits.hosts, 500);
    AddHostedFeeds(hosts, 24, OneItemFeed);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(hosts.MostAtOneHost(), limits.mostAtOneHost);
    EXPECT_EQ(hosts.total.Peak(), limits.mostInAll);
    EXPECT_EQ(Count("FeedItems"), 24);
}

INSTANTIATE_TEST_SUITE_P(Keys, TransferLimitTest,
                         testing::Values(TransferLimits{0, 0, 6, 2, 12},
                                         TransferLimits{0, 3, 6, 3, 18},
                                         TransferLimits{0, 1, 6, 1, 6},
                                         TransferLimits{3, 0, 2, 2, 3}));

// nghttpd (Debian's nghttp2-server) on loopback: HTTP/2 over TLS only, with a certificate made
// here and trusted through SSL_CERT_FILE. Its log names each connection it serves ("[id=N]").
class Http2Server {
public:
    explicit Http2Server(const TestEnvironment& env)
        : htdocs_(env.Path("htdocs")), key_(env.Path("h2.key")), cert_(env.Path("h2.pem")),
          trust_("SSL_CERT_FILE", cert_) {
        QDir().mkpath(htdocs_);
        made_ =
            QProcess::execute("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                          "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key_,
                                          "-out", cert_, "-days", "1", "-subj", "/CN=127.0.0.1",
                                          "-addext", "subjectAltName=IP:127.0.0.1"}) == 0;
    }
    ~Http2Server() {
        server_.kill();
        server_.waitForFinished();
    }

    void Put(const QString& name, const QByteArray& body) {
        QFile file(htdocs_ + u'/' + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(body);
    }
    // True once the server listens.
    bool Start() {
        QTcpServer portFinder;
        if (!made_ || !portFinder.listen(QHostAddress::LocalHost))
            return false;
        port_ = portFinder.serverPort();
        portFinder.close();
        server_.start("nghttpd", {"--verbose", "--address=127.0.0.1", "--htdocs=" + htdocs_,
                                  QString::number(port_), key_, cert_});
        QElapsedTimer timer;
        timer.start();
        while (server_.state() != QProcess::NotRunning && timer.elapsed() < 5000) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port_);
            if (probe.waitForConnected(100))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    QString Url(const QString& name) const {
        return QStringLiteral("https://127.0.0.1:%1/%2").arg(port_).arg(name);
    }
    // The connections served that carried at least one request, the probe's excepted.
    int Connections() {
        server_.waitForReadyRead(200);
        log_ += QString::fromUtf8(server_.readAllStandardOutput());
        QSet<QString> ids;
        static const QRegularExpression request(
            QStringLiteral(R"(\[(id=\d+)\].* recv \(stream_id=\d+\) :path:)"));
        for (auto match = request.globalMatch(log_); match.hasNext();)
            ids.insert(match.next().captured(1));
        return int(ids.size());
    }

private:
    QString htdocs_, key_, cert_;
    ScopedEnv trust_;
    bool made_ = false;
    quint16 port_ = 0;
    QProcess server_;
    QString log_;
};

TEST_F(DownloadRunTest, FeedsOfAnHttp2ServerShareOneConnection) {
    constexpr int Feeds = 40;
    Http2Server server(env_);
    ASSERT_TRUE(server.Start());
    for (int feed = 0; feed < Feeds; ++feed) {
        server.Put(QString("f%1.xml").arg(feed), Feed(QString("F%1").arg(feed), 3));
        AddFeedWithUrl(feed + 1, QString("Feed %1").arg(feed),
                       server.Url(QString("f%1.xml").arg(feed)), 100 - feed);
    }
    ASSERT_TRUE(RunAll());
    QStringList rows = {"Starting Download Process...||0"};
    for (int feed = 0; feed < Feeds; ++feed)
        rows << QString("Feed %1|- Status: Done - Success|1").arg(feed);
    rows << "Downloading Complete|- Status: OK|0";
    EXPECT_EQ(RowTexts(), rows) << Notes().join(u'\n').toStdString();
    EXPECT_EQ(Count("FeedItems"), 3 * Feeds);
    EXPECT_EQ(Count("FeedItems", "Title = 'F39 item 2'"), 1);
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(DownloadRunTest, FeedsOfOneServerReuseItsConnections) {
    constexpr int Feeds = 12;
    server_.SetKeepAlive(true);
    for (int feed = 0; feed < Feeds; ++feed) {
        const std::string path = QString("/f%1").arg(feed).toStdString();
        server_.SetBody(path, Feed(QString("F%1").arg(feed), 1));
        AddFeedAt(feed + 1, QString("Feed %1").arg(feed), path, 100 - feed);
    }
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(Count("FeedItems"), Feeds);
    EXPECT_TRUE(Notes().isEmpty()) << Notes().join(u'\n').toStdString();
    EXPECT_LE(server_.Connections(), 2); // never more than the shipped two to one server
}

TEST_F(DownloadRunTest, OneTransferAtOnceTakesTheFeedsStrictlyInTurn) {
    store_.Write(Key::MaxTransfers, 1);
    Hosts hosts(3, 100);
    AddHostedFeeds(hosts, 6, OneItemFeed);
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(hosts.total.Peak(), 1);
    EXPECT_EQ(Count("FeedItems"), 6);
}

TEST_F(DownloadRunTest, CancelAbandonsEveryTransferInFlight) {
    // Servers that take the request and never answer: only the cancel ends these transfers
    // before the ten seconds without data do.
    Hosts hosts(4, 0);
    AddHostedFeeds(hosts, 12, [](int) {
        LoopbackServer::Response response;
        response.hang = true;
        return response;
    });
    // The first cancel, and a second one given at once, which ends the run state at once.
    for (const int cancels : {1, 2}) {
        SCOPED_TRACE(cancels);
        ASSERT_EQ(StartAll(), 1);
        QElapsedTimer timer;
        timer.start();
        while (hosts.total.Now() < 8 && timer.elapsed() < 5000)
            QThread::msleep(10);
        ASSERT_EQ(hosts.total.Now(), 8);

        for (int cancel = 0; cancel < cancels; ++cancel)
            model_.OnCancel();
        timer.restart();
        manager_.WaitForWorker();
        while (hosts.total.Now() > 0 && timer.elapsed() < 5000)
            QThread::msleep(10);
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_EQ(hosts.total.Now(), 0);
        EXPECT_EQ(RowTexts().last(), "Downloading Complete|Status: Cancelled by User|0");
        EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
        EXPECT_TRUE(QDir(TheAppSettings().installFolder).entryList({"*.ahead*"}).isEmpty());
    }
}

TEST_F(DownloadRunTest, ExtendedDataJoinsTheSameRun) {
    server_.SetBody("/ext", Feed("Ext", 2, server_.Url("")));
    server_.SetBody("/page0", "<a href=\"x.html\">zero</a>");
    server_.SetBody("/page1", "one");
    AddFeedAt(1, "Extended", "/ext", 1, true);
    ASSERT_TRUE(RunAll());
    const QStringList log = recorder_.Log();
    EXPECT_TRUE(log.contains("8:2") && log.contains("8:3")) << log.join(' ').toStdString();
    EXPECT_EQ(log.last(), "4:0");
    EXPECT_EQ(Count("FeedItemLongData"), 2);
    EXPECT_EQ(Rows("Select TextData From FeedItemLongData Where TextData Like '%zero%'"),
              QStringList{"<a href=\"" + server_.Url("/x.html") + "\">zero</a>"});
    EXPECT_TRUE(RowTexts().contains("Extended Data (2) for: Extended|- Status: Done - Success|1"));
}

TEST_F(DownloadRunTest, ExtendedDataIsCappedPerItemAndPerRun) {
    // Entries are queued from the last item of the document to the first.
    server_.SetBody("/ext", Feed("Ext", 4, server_.Url("")));
    server_.SetBody("/page3", QByteArray(1100 * 1024, 'a'));
    QByteArray markup;
    while (markup.size() < 1100 * 1024)
        markup += "<i>b</i>";
    server_.SetBody("/page2", markup);
    server_.SetBody("/page1", QByteArray(1000 * 1024, 'c'));
    server_.SetBody("/page0", "d");
    AddFeedAt(1, "Extended", "/ext", 1, true);
    manager_.ExtendedDataPerRun = 2 * 1024 * 1024;
    ASSERT_TRUE(RunAll());

    const QString title = "Extended Data (%1) for: Extended";
    const QStringList notes = Notes();
    ASSERT_EQ(notes.size(), 4) << notes.join('\n').toStdString();
    EXPECT_EQ(notes[0], title.arg(1) + "|cut to 1024 KB of text");
    EXPECT_EQ(notes[1], title.arg(2) + "|stored as text without markup");
    EXPECT_TRUE(notes[2].startsWith(title.arg(3) + "|cut to ")) << notes[2].toStdString();
    EXPECT_EQ(notes[3],
              title.arg(4) + "|not stored: the 2048 KB of pages one run may store are used up");
    EXPECT_TRUE(RowTexts().contains(title.arg(4) + "|- Status: Done - Failed To Process|2"));
    EXPECT_EQ(Rows("Select sum(length(TextData)) From FeedItemLongData"),
              QStringList{QString::number(2 * 1024 * 1024)});
}

TEST_F(DownloadRunTest, FirstCancelFinishesTheEntrySecondStopsAtOnce) {
    LoopbackServer::Response slow = LoopbackServer::Slow(Feed("Slow", 2), 20, 20);
    server_.Set("/slow", slow);
    for (qint32 feed = 1; feed <= 3; ++feed)
        AddFeedAt(feed, QString("Feed %1").arg(feed), "/slow", 10 - feed);

    ASSERT_EQ(StartAll(), 1);
    QThread::msleep(100);
    model_.OnCancel();
    manager_.WaitForWorker();
    const QStringList rows = RowTexts();
    EXPECT_EQ(rows.last(), "Downloading Complete|Status: Cancelled by User|0");
    // The notice is no feed: it keeps its own text and mark, and the outcome of the entry under
    // way lands on that entry's row.
    ASSERT_GE(rows.size(), 4);
    EXPECT_TRUE(rows[1].startsWith("Feed 1|- Status: Done - ")) << rows[1].toStdString();
    EXPECT_EQ(rows[2], "If downloading does not stop,|" + model_.CancelAgainText + "|3");
    EXPECT_FALSE(rows.join(' ').contains("Feed 2"));
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);

    // Second cancel: the run state ends at once, the worker leaves by itself.
    slow.chunkDelayMs = 200;
    server_.Set("/slow", slow);
    ASSERT_TRUE(manager_.BuildFeedList(0));
    ASSERT_EQ(manager_.StartRun(), 1);
    QThread::msleep(100);
    model_.OnCancel();
    QElapsedTimer timer;
    timer.start();
    model_.OnCancel();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(manager_.IsBusy());
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
    EXPECT_EQ(RowTexts().last(), "Downloading Complete|Status: Cancelled by User|0");
    manager_.WaitForWorker();
    EXPECT_FALSE(recorder_.Log().mid(recorder_.Log().lastIndexOf("4:1") + 1).contains("6:1"));
}

TEST_F(DownloadRunTest, RunsAreRefusedWhileAnotherIsMarkedAsGoing) {
    server_.SetBody("/good", Feed("Good", 1));
    AddFeedAt(1, "Good feed", "/good", 1);
    // A state left by a run whose process has died counts as idle.
    store_.Write(Key::BackgroundStatus, 1);
    EXPECT_TRUE(model_.StartFeedRun(0));
    manager_.WaitForWorker();
    EXPECT_TRUE(prompt_.questions.isEmpty());
    EXPECT_EQ(RowTexts().last(), "Downloading Complete|- Status: OK|0");

    // A run that is alive is asked about.
    CRunLock otherRun;
    otherRun.Hold();
    store_.Write(Key::BackgroundStatus, 1);
    prompt_.threeWayAnswers = {IPrompt::Answer::No};
    EXPECT_FALSE(model_.StartFeedRun(0));
    ASSERT_EQ(prompt_.questions.size(), 1);
    EXPECT_TRUE(prompt_.questions[0].startsWith("Busy Notice: Background Download operation is "
                                                "currently in progress."));
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 1);

    // Yes forces the stale run state to its end.
    prompt_.threeWayAnswers = {IPrompt::Answer::Yes};
    EXPECT_FALSE(model_.StartFeedRun(0));
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
    EXPECT_TRUE(
        prompt_.messages.last().startsWith("Notice: Background Download has be terminated."));
    EXPECT_TRUE(model_.StartFeedRun(0));
    manager_.WaitForWorker();

    ASSERT_TRUE(db_.DeleteFeed(1));
    EXPECT_FALSE(model_.StartFeedRun(0));
    EXPECT_EQ(prompt_.messages.last(), "Download Error: Could not Build Download Listing");
}

TEST_F(DownloadRunTest, LostConnectionEndsTheRun) {
    LoopbackServer::Response slow = LoopbackServer::Slow(Feed("Slow", 1), 10, 30);
    server_.Set("/slow", slow);
    AddFeedAt(1, "First", "/slow", 2);
    AddFeedAt(2, "Second", "/slow", 1);
    std::atomic<bool> online{true};
    probe_ = [&online] { return online.load(); };
    std::thread unplug([&online] {
        QThread::msleep(300);
        online = false;
    });
    ASSERT_TRUE(RunAll());
    unplug.join();
    EXPECT_EQ(RowTexts().last(), "Downloading Complete|- Status: Lost Network Connection|0");
    EXPECT_FALSE(RowTexts().join(' ').contains("Second"));

    // Offline with no auto-connection, feeds on the Internet (documentation addresses, never
    // reached): refused at once.
    ASSERT_TRUE(db_.DeleteFeed(1));
    ASSERT_TRUE(db_.DeleteFeed(2));
    AddFeedWithUrl(3, "Far", "http://198.51.100.7/feed", 1);
    EXPECT_FALSE(model_.StartFeedRun(0));
    EXPECT_EQ(prompt_.messages.last(),
              "Download Error: Could not establish an Internet connection.");
}

// Without a route to the Internet, a feed on this machine or the local network still downloads;
// the Internet's feeds of the same run fail with their own reasons.
TEST_F(DownloadRunTest, LocalFeedsDownloadWithoutAnInternetRoute) {
    server_.SetBody("/here", Feed("Here", 2));
    AddFeedAt(1, "Here", "/here", 2);
    probe_ = [] { return false; };
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(Count("FeedItems", "FeedID = 1"), 2);
    EXPECT_EQ(RowTexts().last(), "Downloading Complete|- Status: OK|0");
}

TEST(LocalNetworkAddressTest, LoopbackPrivateAndLinkLocalHostsAreLocal) {
    const struct {
        const char* url;
        bool local;
    } cases[] = {
        {"http://127.0.0.1:8080/feed", true}, {"http://[::1]/feed", true},
        {"http://localhost/feed", true},      {"http://10.1.2.3/rss", true},
        {"http://172.20.0.5/rss", true},      {"http://192.168.1.10/rss", true},
        {"http://169.254.3.4/rss", true},     {"http://[fd00::5]/rss", true},
        {"http://[fe80::1]/rss", true},       {"http://nas/rss", true},
        {"http://printer.local/rss", true},   {"http://172.32.0.1/rss", false},
        {"http://198.51.100.7/feed", false},  {"https://example.org/feed", false},
        {"http://[2001:db8::1]/feed", false}, {"not an address", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLocalNetworkAddress(QString::fromLatin1(c.url)), c.local) << c.url;
}

// The worker a forced cancel abandons may still be merging: the next run waits for it, so that
// nothing of the old run is reported as the new one's and the two never share the database.
TEST_F(DownloadRunTest, RunAfterAForcedCancelWaitsForTheAbandonedWorker) {
    server_.SetBody("/big", Feed("Big", 3000));
    server_.Set("/slow", LoopbackServer::Slow(Feed("Slow", 2), 20, 50));
    AddFeedAt(1, "Big", "/big", 9);
    AddFeedAt(2, "Slow", "/slow", 5);
    ASSERT_EQ(StartAll(), 1);
    QElapsedTimer timer;
    timer.start();
    while (!recorder_.Log().contains("7:1") && timer.elapsed() < 10000)
        QThread::usleep(200);
    model_.OnCancel();
    model_.OnCancel();
    const QStringList atCancel = recorder_.Log();
    ASSERT_EQ(atCancel.last(), "4:1");
    ASSERT_FALSE(atCancel.join(' ').contains("6:")) << "the merge ended before the cancel";

    ASSERT_TRUE(RunAll());
    const QStringList log = recorder_.Log();
    EXPECT_EQ(log.mid(atCancel.size()),
              QStringList({"3:2", "5:0", "7:1", "6:1", "5:1", "7:1", "6:1", "4:0"}));
    EXPECT_GT(Count("FeedItems", "FeedID = 1"), 0);
    EXPECT_EQ(Count("FeedItems", "FeedID = 2"), 2);
}

// Lets the database grow no further: SQLite then answers as on a full disk.
void FillTheDisk(CRssDatabase& db) {
    ASSERT_TRUE(db.RunExclusive([](CAdoConnection& connection) {
        // Never set below the current size, so 1 means "as big as it is now".
        return sqlite3_exec(connection.Handle(), "PRAGMA max_page_count = 1", nullptr, nullptr,
                            nullptr) == SQLITE_OK;
    }));
}

TEST_F(DownloadRunTest, FullDiskStopsTheRunAndSaysSo) {
    for (qint32 feed = 1; feed <= 3; ++feed) {
        const std::string path = QString("/f%1").arg(feed).toStdString();
        server_.SetBody(path, Feed(QString("F%1").arg(feed), 200));
        AddFeedAt(feed, QString("Feed %1").arg(feed), path, 10 - feed);
    }
    // Every item is kept, so that the merge needs more room than the last pages of the file
    // may still hold; the run stores through a connection of its own, the one that finds no room.
    Sql({"Update Feeds Set MaxItems = 32767"});
    manager_.OnRunDatabaseOpened = [](CRssDatabase& runDb) { FillTheDisk(runDb); };
    ASSERT_TRUE(model_.StartFeedRun(0));
    manager_.WaitForWorker();
    EXPECT_EQ(RowTexts(), QStringList({"Starting Download Process...||0",
                                       "Feed 1|- Status: Done - Failed To Process|2",
                                       "Downloading Complete|- Status: Stopped - the disk is "
                                       "full|0"}));
    EXPECT_EQ(model_.LastOutcome().end, 3);
    EXPECT_EQ(Count("FeedItems"), 0);
    EXPECT_EQ(store_.Read(Key::BackgroundStatus), 0);
}

} // namespace

namespace {

TEST_F(DownloadRunTest, AudioRunFillsTheCacheWithinTheItemLimit) {
    store_.Write(Key::AudioMaxItemSize, 1);
    AddFeed(1, "Show");
    server_.SetBody("/ok.mp3", QByteArray(4096, 'a'));
    server_.SetBody("/liar.mp3", QByteArray(3 * 1048576, 'b')); // announced small, sent large
    Sql({"Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) Values(5,1,'" +
             server_.Url("/ok.mp3") + "',4096,0,0)",
         "Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) Values(6,1,'" +
             server_.Url("/liar.mp3") + "',4096,0,0)"});
    ASSERT_TRUE(model_.StartAudioRun());
    manager_.WaitForWorker();
    EXPECT_EQ(Rows("Select FeedItemID,Status From FeedItemAudioData Order By FeedItemID"),
              QStringList({"5|1", "6|0"}));
    EXPECT_TRUE(QFile::exists(env_.Path("audio") + "/Show/ok.mp3"));
    EXPECT_FALSE(QFile::exists(env_.Path("audio") + "/Show/liar.mp3"));

    Sql({"Delete From FeedItemAudioData"});
    EXPECT_FALSE(model_.StartAudioRun());
    EXPECT_EQ(prompt_.messages.last(), "Download Notice: No Audio Content available for download.");
}

// The files under `root`, but those of the folders the run itself writes in (the cache, the
// configuration, the lock) and the database's own.
QSet<QString> FilesOutside(const QString& root, const QStringList& skipped) {
    QSet<QString> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const bool inSkipped = std::any_of(skipped.begin(), skipped.end(), [&](const QString& f) {
            return path.startsWith(f + u'/');
        });
        if (!inSkipped && !QFileInfo(path).fileName().startsWith("rss.qpdb"))
            files << path;
    }
    return files;
}

TEST_F(DownloadRunTest, EnclosuresNeverReachOutsideTheCache) {
    AddFeed(1, "Show");
    QDir().mkpath(env_.Path("outside"));
    const QString victim = env_.WriteFile("outside/target.txt", "precious");
    LoopbackServer::Response enclosure;
    enclosure.body = QByteArray(4096, 'x');
    server_.SetFallback(enclosure);
    // Relative to the feed's folder <cache>/Show, each leads to outside/target.txt.
    const QStringList names = {
        "enc\\/../../outside/target.txt",
        "enc\\..\\..\\outside\\target.txt",
        "enc%5C%2F..%2F..%2Foutside%2Ftarget.txt",
        "enc/..\\../outside\\target.txt",
        "enc\\/" + victim,
        "..",
        "...",
    };
    qint32 item = 10;
    for (const QString& host : {server_.Url("/"), QString("http://127.0.0.1:1/")})
        for (const QString& name : names)
            Sql({QString("Insert Into FeedItemAudioData(FeedItemID,FeedID,Link,Size,Status,Keep) "
                         "Values(%1,1,'%2',4096,0,0)")
                     .arg(item++)
                     .arg(host + name)});
    const QString cache = env_.Path("audio");
    const QStringList skipped = {cache, env_.ConfigFolder(), env_.Path("runtime")};
    const QString root = QFileInfo(cache).path();
    const QSet<QString> before = FilesOutside(root, skipped);

    ASSERT_TRUE(model_.StartAudioRun());
    manager_.WaitForWorker();
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "precious");
    EXPECT_EQ(FilesOutside(root, skipped), before);
    // The reachable ones did land in the cache.
    EXPECT_GT(Count("FeedItemAudioData", "Status = 1"), 0);
    EXPECT_TRUE(QFile::exists(cache + "/Show/target.txt"));
}

TEST_F(DownloadRunTest, ConnectionTestReportsWhatItFound) {
    const struct {
        QByteArray document;
        int status;
        const char* message;
    } cases[] = {
        {"<webTest><version>1</version></webTest>", 200, "Success: The Internet Connection is OK."},
        {"<webTest><version>2</version></webTest>", 200,
         "Success - 1: The Internet Connection is OK."},
        {"no markup", 200, "Failure - 1: Could not connect"},
        {"<other/>", 200, "Failure - 2: Could not connect"},
        {"gone", 404, "Failure: Could not connect"},
    };
    store_.Write(Key::WebCheckUrl, server_.Url("/webcheck.xml"));
    store_.Write(Key::DownloadSkipHeaders, 0);
    CHttpDownloader::SkipHeaders = false;
    NetworkSettings direct;
    direct.useConnectionManager = false;
    for (const auto& c : cases) {
        server_.SetBody("/webcheck.xml", c.document, c.status);
        TestConnection(direct);
        EXPECT_TRUE(prompt_.messages.last().startsWith(c.message)) << c.message;
    }
    CHttpDownloader::SkipHeaders = true;
    NetworkSettings managed;
    EXPECT_FALSE(TestConnection(managed, [] { return false; }));
    EXPECT_EQ(prompt_.messages.last(), "Failure: A connection to the Internet is not available.");
}

// Feed icons, fetched beside the feeds of a run.

// A PNG of noise, which does not compress: its file is larger than an icon may be.
QByteArray NoisePng(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, random.generate());
    return ImageFile(image, "PNG");
}

// A small PNG that claims a picture far larger than any icon.
QByteArray HugePicturePng() {
    QImage image(4000, 4000, QImage::Format_Mono);
    image.fill(0);
    return ImageFile(image, "PNG");
}

QByteArray FeedWithIcon(const QString& link, const QString& icon) {
    const QString image =
        icon.isEmpty() ? QString() : QStringLiteral("<image><url>%1</url></image>").arg(icon);
    return QStringLiteral("<rss version=\"2.0\"><channel><title>T</title><link>%1</link>%2"
                          "<item><title>one</title><guid>1</guid></item></channel></rss>")
        .arg(link, image)
        .toUtf8();
}

class FeedIconRunTest : public DownloadRunTest {
protected:
    static QImage IconOf(const QString& feedUrl) {
        const QString file = CFeedIconCache(CAppSettings::FeedIconFolder()).IconFile(feedUrl);
        return file.isEmpty() ? QImage() : QImage(file);
    }
    static QStringList KeptFiles() {
        return QDir(CAppSettings::FeedIconFolder()).entryList({QStringLiteral("*.png")});
    }
    // No row of the progress list tells a failure or a note: icons are never spoken of.
    void ExpectNothingFailed() {
        for (const auto& row : model_.Rows())
            EXPECT_NE(row.icon, CDownloadProgressModel::Failed) << row.title.toStdString();
        EXPECT_EQ(Notes(), QStringList());
    }
};

TEST_F(FeedIconRunTest, FeedsOwnPictureElseItsSitesFavicon) {
    // A wide logo of the feed's own, relative to the feed's address.
    server_.SetBody("/own", FeedWithIcon(server_.Url("/"), QStringLiteral("pics/logo.png")));
    server_.SetBody("/pics/logo.png", ImageFileBytes("PNG", Qt::red, 100, 50));
    // A feed without a picture: its web site's favicon, an ICO file.
    server_.SetBody("/plain", FeedWithIcon(server_.Url("/blog/"), {}));
    server_.SetBody("/favicon.ico", ImageFileBytes("ICO", Qt::blue));
    AddFeedAt(1, "Own", "/own", 9);
    AddFeedAt(2, "Plain", "/plain", 8);

    ASSERT_TRUE(RunAll());
    const QImage own = IconOf(server_.Url("/own"));
    ASSERT_EQ(own.size(), QSize(CFeedIconCache::StoredSide, CFeedIconCache::StoredSide));
    EXPECT_EQ(own.pixelColor(32, 32), QColor(Qt::red));
    EXPECT_EQ(own.pixelColor(32, 2).alpha(), 0); // the logo keeps its proportions
    const QImage plain = IconOf(server_.Url("/plain"));
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.pixelColor(8, 8), QColor(Qt::blue));
    EXPECT_EQ(server_.Hits("/pics/logo.png"), 1);
    EXPECT_EQ(server_.Hits("/favicon.ico"), 1); // the feed with a picture of its own never asks
    ExpectNothingFailed();

    // Icons kept are not asked for again by the next run.
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(server_.Hits("/pics/logo.png"), 1);
    EXPECT_EQ(server_.Hits("/favicon.ico"), 1);
    EXPECT_FALSE(IconOf(server_.Url("/plain")).isNull());
}

// A site that gave no icon is asked again a day later, not by the runs in between.
TEST_F(FeedIconRunTest, ASiteIsAskedOnceADay) {
    server_.SetBody("/feed", FeedWithIcon(server_.Url("/"), server_.Url("/missing.png")));
    AddFeedAt(1, "Feed", "/feed", 9);

    ASSERT_TRUE(RunAll());
    EXPECT_EQ(server_.Hits("/missing.png"), 1);
    EXPECT_EQ(server_.Hits("/favicon.ico"), 1); // the fallback, within the same try
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(server_.Hits("/missing.png"), 1);
    EXPECT_EQ(server_.Hits("/favicon.ico"), 1);
    ExpectNothingFailed();

    {
        CFeedIconCache cache(CAppSettings::FeedIconFolder());
        cache.NoteTry(server_.Url("/"),
                      QDateTime::currentDateTimeUtc().addSecs(-CFeedIconCache::RetrySeconds - 60));
        ASSERT_TRUE(cache.Save());
    }
    server_.SetBody("/favicon.ico", ImageFileBytes("ICO", Qt::green));
    ASSERT_TRUE(RunAll());
    EXPECT_EQ(server_.Hits("/missing.png"), 2);
    EXPECT_EQ(server_.Hits("/favicon.ico"), 2);
    EXPECT_EQ(IconOf(server_.Url("/feed")).pixelColor(8, 8), QColor(Qt::green));
}

// Whatever a site answers for its icon, nothing but a sound small image is kept, and the feed
// is stored as ever, without a word about its icon.
TEST_F(FeedIconRunTest, BadAnswersAreDroppedSilently) {
    struct Case {
        const char* name;
        int status;
        QByteArray body;
    };
    const Case cases[] = {
        {"over 64 KB", 200, NoisePng(200)},
        {"not an image", 200, "<html><body>Not found</body></html>"},
        {"a truncated image", 200, ImageFileBytes("PNG", Qt::red).left(40)},
        {"a picture too large to decode", 200, HugePicturePng()},
        {"an error", 500, ImageFileBytes("PNG", Qt::red)},
    };
    ASSERT_GT(cases[0].body.size(), CFeedIconCache::MostBytes);
    ASSERT_LT(cases[3].body.size(), CFeedIconCache::MostBytes);
    qint32 feedID = 0;
    // A server of its own for each, so that no try of an earlier case stands in its way; all
    // stay, so that none takes the port of an earlier one.
    std::vector<std::unique_ptr<LoopbackServer>> sites;
    for (const auto& [name, status, body] : cases) {
        SCOPED_TRACE(name);
        LoopbackServer& site = *sites.emplace_back(std::make_unique<LoopbackServer>());
        site.SetBody("/icon", body, status);
        site.SetBody("/feed", FeedWithIcon(site.Url("/"), site.Url("/icon")));
        AddFeedWithUrl(++feedID, QString::fromUtf8(name), site.Url("/feed"), 9);
        ASSERT_TRUE(RunAll());
        EXPECT_EQ(site.Hits("/icon"), 1);
        EXPECT_TRUE(IconOf(site.Url("/feed")).isNull());
        EXPECT_EQ(KeptFiles(), QStringList());
        EXPECT_EQ(Count("FeedItems", QStringLiteral("FeedID = %1").arg(feedID)), 1);
        ExpectNothingFailed();
        ASSERT_TRUE(db_.DeleteFeed(feedID));
    }
}

} // namespace
