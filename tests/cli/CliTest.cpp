// quillpost-cli end to end: add, update, read, search, export and failures.

#include "cli/CliHarness.h"

#include <csignal>

namespace {

TEST_F(CliTest, AddUpdateReadMarkAndSearch) {
    const QString news = FeedID("News");
    ASSERT_FALSE(news.isEmpty());
    const Outcome update = Cli({"update"});
    EXPECT_EQ(update.status, 0) << update.err.toStdString();
    EXPECT_TRUE(update.out.contains("News - Status: Done - Success"));
    EXPECT_TRUE(update.out.endsWith("Downloading Complete - Status: OK\n"));

    server_.SetBody("/tech.xml", Feed("Tech", 2));
    const Outcome add = Cli({"add", server_.Url("/tech.xml"), "--priority", "100"});
    ASSERT_EQ(add.status, 0) << add.err.toStdString();
    const QString tech = add.out.trimmed();
    EXPECT_EQ(Cli({"add", server_.Url("/tech.xml")}).status, 1); // already there

    const QJsonArray items = JsonList({"items", "--feed", tech});
    ASSERT_EQ(items.size(), 2);
    const QJsonObject first = items[0].toObject();
    EXPECT_EQ(first["title"].toString(), "Tech story 0");
    EXPECT_EQ(first["status"].toString(), "unread");
    EXPECT_EQ(first["feedId"].toInt(), tech.toInt());
    EXPECT_EQ(first["date"].toString().size(), 20); // 2026-12-01T10:00:00Z
    const QString item = QString::number(first["id"].toInt());

    const Outcome show = Cli({"show", item});
    EXPECT_TRUE(show.out.contains("Title:    Tech story 0"));
    EXPECT_TRUE(show.out.contains("Body & text 0"));
    EXPECT_EQ(Cli({"mark", item, "read"}).status, 0);
    EXPECT_EQ(JsonList({"items", "--feed", tech})[0].toObject()["status"].toString(), "read");

    const QJsonArray found = JsonList({"search", "story 1", "--in", "title"});
    QStringList titles;
    for (const auto& result : found)
        titles << result.toObject()["title"].toString();
    titles.sort();
    EXPECT_EQ(titles, QStringList({"News story 1", "Tech story 1"}));
    EXPECT_EQ(Cli({"whats-new"}).status, 0);
    // Whats New hides read items.
    EXPECT_EQ(JsonList({"items", "--view", "1"}).size(), 4);
}

TEST_F(CliTest, SubscriptionsExportBackupAndPurge) {
    server_.SetBody("/list.opml", "<opml><head><title>Morning</title></head><body>"
                                  "<outline text=\"A\" xmlUrl=\"http://a/\"/>"
                                  "<outline text=\"B\" xmlUrl=\"http://b/\"/></body></opml>");
    const Outcome subscribe = Cli({"subscribe", server_.Url("/list.opml")});
    ASSERT_EQ(subscribe.status, 0) << subscribe.err.toStdString();
    const QString subscription = subscribe.out.trimmed();
    ASSERT_EQ(JsonList({"subscriptions"}).size(), 1);

    const QString exported = env_.Path("feeds.opml");
    EXPECT_EQ(Cli({"export-opml", exported}).status, 0);
    const Outcome again = Cli({"subscribe", exported, "--title", "Exported"});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(JsonList({"subscriptions"}).size(), 2);

    EXPECT_EQ(Cli({"unsubscribe", subscription}).status, 1); // not confirmed
    EXPECT_EQ(Cli({"--yes", "unsubscribe", subscription}).status, 0);
    EXPECT_EQ(JsonList({"subscriptions"}).size(), 1);

    // The listing's feeds (http://a/, http://b/) cannot be downloaded; both News feeds can.
    const Outcome update = Cli({"update"});
    ASSERT_EQ(update.status, 1);
    EXPECT_EQ(update.err, "quillpost-cli: 2 of 4 downloads failed\n") << update.out.toStdString();
    EXPECT_TRUE(update.out.contains("News - Status: Done - Success")) << update.out.toStdString();
    const QString backup = env_.Path("saved.qpbk");
    EXPECT_EQ(Cli({"backup", backup}).status, 0);
    const QString other = env_.Path("other.qpdb");
    ASSERT_EQ(Cli({"--db", other, "--yes", "init"}).status, 0);
    EXPECT_EQ(Cli({"--db", other, "restore", backup}).status, 0);
    EXPECT_FALSE(Cli({"--db", other, "--json", "feeds"}).out.count("\"News\"") < 2);

    EXPECT_EQ(Cli({"purge"}).status, 1); // not confirmed
    EXPECT_EQ(JsonList({"items", "--feed", FeedID("News")}).size(), 3);
    EXPECT_EQ(Cli({"--yes", "purge"}).status, 0);
    EXPECT_EQ(JsonList({"items", "--feed", FeedID("News")}).size(), 0);
    EXPECT_TRUE(QFile::exists(env_.Path("install/rssAutoBAK.qpbk")));
}

TEST_F(CliTest, FailuresSayWhy) {
    server_.SetBody("/news.xml", "gone", 404);
    const Outcome update = Cli({"update"});
    EXPECT_TRUE(update.out.contains("News - Status: Done - Failed To Download - HTTP 404\n"))
        << update.out.toStdString();
    const Outcome add = Cli({"add", server_.Url("/missing.xml")});
    EXPECT_EQ(add.status, 1);
    EXPECT_TRUE(add.err.contains("Status: Failed to Download - HTTP 404")) << add.err.toStdString();

    QFile big(env_.Path("big.opml"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(20 * 1024 * 1024 + 1));
    big.close();
    const Outcome subscribe = Cli({"subscribe", big.fileName()});
    EXPECT_EQ(subscribe.status, 1);
    EXPECT_TRUE(subscribe.err.contains("Subscription file is larger than 20 MB and was not read"))
        << subscribe.err.toStdString();
}

TEST_F(CliTest, ReloadWhenDue) {
    EXPECT_EQ(Cli({"reload-if-due"}).out, ""); // nothing scheduled
    const QTime now = QTime::currentTime();
    Cli({"config", "set", "AutoReload\\Time1", QString::number(now.hour() * 60 + now.minute())});
    const Outcome due = Cli({"reload-if-due"});
    EXPECT_EQ(due.status, 0);
    EXPECT_TRUE(due.out.contains("Downloading Complete - Status: OK")) << due.out.toStdString();
    EXPECT_EQ(Cli({"config", "get", "AutoReload\\BackgroundStatus"}).out, "0\n");
    EXPECT_EQ(Cli({"config", "get", "Today\\TodayHasChanged"}).out, "1\n");
    // Right after a run nothing is due.
    EXPECT_EQ(Cli({"reload-if-due"}).out, "");
}

TEST_F(CliTest, BadInputIsRefusedWithOneLine) {
    const struct {
        QStringList arguments;
        int status;
    } cases[] = {
        {{"frobnicate"}, 2},
        {{}, 2},
        {{"items"}, 2},
        {{"items", "--feed"}, 2},
        {{"feeds", "--bogus"}, 2},
        {{"mark", "1", "sideways"}, 2},
        {{"show", "123"}, 1},
        {{"resubscribe", "77"}, 1},
        {{"add", "http://127.0.0.1:1/none.xml"}, 1},
        {{"restore", env_.WriteFile("not.qpbk", "<rss/>")}, 1},
        {{"--db", env_.Path("missing.qpdb"), "views"}, 1},
        {{"config", "set", "General\\FontSize", "big"}, 2},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Cli(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
    }
    server_.SetBody("/page.html", "<html><body>no feed</body></html>");
    EXPECT_EQ(Cli({"add", server_.Url("/page.html")}).err,
              "quillpost-cli: Status: Failed to Parse Feed\n");
    EXPECT_TRUE(
        Cli({"--db", env_.Path("missing.qpdb"), "views"}).err.contains("quillpost-cli init"));
}

TEST_F(CliTest, ConcurrentRunsAreSerialised) {
    LoopbackServer::Response slow = LoopbackServer::Slow(Feed("News", 3), 64, 100);
    server_.Set("/news.xml", slow);
    const QTime now = QTime::currentTime();
    Cli({"config", "set", "AutoReload\\Time1", QString::number(now.hour() * 60 + now.minute())});

    QProcess update;
    update.start(QUILLPOST_CLI, {"update"});
    ASSERT_TRUE(update.waitForReadyRead(10000)); // the run has started
    const Outcome reload = Cli({"reload-if-due"});
    ASSERT_TRUE(update.waitForFinished(60000));
    EXPECT_EQ(update.exitCode(), 0);
    EXPECT_EQ(reload.status, 1);
    EXPECT_FALSE(reload.err.isEmpty());
    EXPECT_EQ(JsonList({"items", "--feed", FeedID("News")}).size(), 3);
}

// Two additions at once, their downloads overlapping: each feed is stored with its own
// document's title and items, under a number of its own.
TEST_F(CliTest, TwoAddsAtOnceKeepTheirFeedsApart) {
    const QStringList names = {"One", "Two"};
    std::vector<std::unique_ptr<QProcess>> adds;
    for (const QString& name : names) {
        const std::string path = "/" + name.toStdString() + ".xml";
        server_.Set(path, LoopbackServer::Slow(Feed(name, 20), 256, 20));
        adds.push_back(std::make_unique<QProcess>());
        adds.back()->start(QUILLPOST_CLI, {"add", server_.Url(path)});
    }
    QStringList ids;
    for (qsizetype i = 0; i < names.size(); ++i) {
        QProcess& add = *adds[size_t(i)];
        ASSERT_TRUE(add.waitForFinished(60000));
        EXPECT_EQ(add.exitCode(), 0) << add.readAllStandardError().toStdString();
        ids << QString::fromUtf8(add.readAllStandardOutput()).trimmed();
        EXPECT_EQ(FeedID(names[i]), ids.last());
        const QJsonArray items = JsonList({"items", "--feed", ids.last()});
        EXPECT_EQ(items.size(), 20) << names[i].toStdString();
        for (const auto& item : items)
            EXPECT_TRUE(item.toObject()["title"].toString().startsWith(names[i] + " story"));
    }
    EXPECT_NE(ids[0], ids[1]);
}

// A list file is kept by its absolute path, so that it is found again from any folder; a name
// that is neither a file nor a web address is not taken for one.
TEST_F(CliTest, SubscribedFilesAreKeptByTheirFullPath) {
    QDir().mkpath(env_.Path("lists"));
    env_.WriteFile("lists/my.opml", "<opml><body><outline text=\"A\" xmlUrl=\"http://a/\"/>"
                                    "</body></opml>");
    QProcess subscribe;
    subscribe.setWorkingDirectory(env_.Path("lists"));
    subscribe.start(QUILLPOST_CLI, {"subscribe", "my.opml"});
    ASSERT_TRUE(subscribe.waitForFinished(60000));
    ASSERT_EQ(subscribe.exitCode(), 0) << subscribe.readAllStandardError().toStdString();
    const QString id = QString::fromUtf8(subscribe.readAllStandardOutput()).trimmed();
    const QJsonArray subscriptions = JsonList({"subscriptions"});
    ASSERT_EQ(subscriptions.size(), 1);
    EXPECT_EQ(subscriptions[0].toObject()["url"].toString(), env_.Path("lists/my.opml"));
    EXPECT_EQ(Cli({"resubscribe", id}).status, 0);

    const Outcome missing = Cli({"subscribe", "nowhere.opml"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("No such file: nowhere.opml")) << missing.err.toStdString();
    EXPECT_EQ(JsonList({"subscriptions"}).size(), 1);
}

TEST_F(CliTest, ViewAndFeedProperties) {
    const QString news = FeedID("News");
    const Outcome added = Cli({"view", "add", "Morning", "--read-after", "10", "--hide-after", "14",
                               "--max-items", "75", "--sort", "item-date", "--feeds", news});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    const QString view = added.out.trimmed();
    QJsonObject shown = JsonObject(Cli({"--json", "view", "show", view}).out);
    EXPECT_EQ(shown["label"].toString(), "Morning");
    EXPECT_EQ(shown["readAfter"].toInt(), 10);
    EXPECT_EQ(shown["hideAfter"].toInt(), 14);
    EXPECT_EQ(shown["maxItems"].toInt(), 75);
    EXPECT_EQ(shown["sortBy"].toString(), "By Item Date");
    EXPECT_EQ(shown["feeds"].toArray().size(), 1);

    EXPECT_EQ(Cli({"view", "set", view, "--label", "Evening"}).status, 0);
    EXPECT_EQ(JsonObject(Cli({"--json", "view", "show", view}).out)["label"].toString(), "Evening");
    EXPECT_EQ(Cli({"view", "set", view, "--max-items", "50000"}).status, 0);
    EXPECT_EQ(JsonObject(Cli({"--json", "view", "show", view}).out)["maxItems"].toInt(), 50000);

    ASSERT_EQ(Cli({"feed", "set", news, "--priority", "100", "--views", "1,2," + view}).status, 0);
    shown = JsonObject(Cli({"--json", "feed", "show", news}).out);
    EXPECT_EQ(shown["priority"].toInt(), 100);
    EXPECT_EQ(shown["views"].toArray(), QJsonArray{view.toInt()});
    EXPECT_EQ(shown["version"].toString(), "Unknown"); // not downloaded yet

    EXPECT_EQ(Cli({"feed", "disable", news}).status, 0);
    EXPECT_EQ(JsonObject(Cli({"--json", "feed", "show", news}).out)["status"].toString(),
              "disabled");
    EXPECT_EQ(Cli({"feed", "enable", news}).status, 0);
    EXPECT_EQ(Cli({"feed", "delete", news}).status, 1); // not confirmed
    EXPECT_EQ(Cli({"--yes", "view", "delete", view}).status, 0);
    EXPECT_EQ(Cli({"view", "show", view}).status, 1);
    // "Whats New" and "Search Results" are the program's own.
    for (const char* reserved : {"1", "2"}) {
        EXPECT_EQ(Cli({"--yes", "view", "delete", reserved}).status, 1) << reserved;
        EXPECT_EQ(Cli({"view", "show", reserved}).status, 0) << reserved;
    }

    ASSERT_EQ(Cli({"update"}).status, 0);
    const QString item =
        QString::number(JsonList({"items", "--feed", news})[0].toObject()["id"].toInt());
    EXPECT_EQ(Cli({"item", "keywords", item, "tram, harbour"}).status, 0);
    EXPECT_EQ(JsonObject(Cli({"--json", "show", item}).out)["keywords"].toString(),
              "tram, harbour");
}

TEST_F(CliTest, InvalidChoicesNameTheAllowedValues) {
    const struct {
        QStringList arguments;
        const char* allowed;
    } cases[] = {
        {{"view", "add", "V", "--read-after", "7"}, "0, 1, 2, 3, 4, 5, 10, 20"},
        {{"view", "add", "V", "--hide-after", "6"}, "0, 1, 2, 3, 4, 5, 7, 14, 30"},
        {{"view", "add", "V", "--max-items", "-1"}, "takes a number 0 to 1000000"},
        {{"view", "add", "V", "--max-items", "1000001"}, "takes a number 0 to 1000000"},
        {{"feed", "set", "1", "--max-items", "75"},
         "15, 20, 25, 30, 35, 40, 45, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 0"},
        {{"add", "http://x/", "--read-after", "30"}, "0, 1, 2, 3, 4, 5, 10, 20"},
        {{"view", "add", "V", "--sort", "title"}, "priority, feed-date, item-date"},
        {{"mapping", "show", "RSS 3.0"},
         "RSS 0.90, RSS 0.91, RSS 0.92, RSS 0.93, RSS 1.0, RSS 2.0, Atom 0.3, Atom 1.0"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Cli(c.arguments);
        EXPECT_EQ(outcome.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.err.contains(c.allowed)) << outcome.err.toStdString();
    }
    EXPECT_EQ(JsonList({"views"}).size(), 4); // nothing was added
}

TEST_F(CliTest, MappingOverridesTheDateElement) {
    server_.SetBody("/dated.xml", "<rss version=\"2.0\"><channel><title>D</title><item><title>T"
                                  "</title><guid>t</guid><dc:date>2004-06-01T10:00:00Z</dc:date>"
                                  "<pubDate>Mon, 03 Jan 2005 10:30:15 GMT</pubDate></item>"
                                  "</channel></rss>");
    ASSERT_EQ(Cli({"mapping", "set", "RSS 2.0", "--date", "dc:date"}).status, 0);
    const QJsonObject rss20 = JsonList({"mapping", "show", "rss2.0"})[0].toObject();
    EXPECT_EQ(rss20["date"].toString(), "dc:date");
    const Outcome added = Cli({"add", server_.Url("/dated.xml")});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_EQ(JsonList({"items", "--feed", added.out.trimmed()})[0].toObject()["date"].toString(),
              "2004-06-01T10:00:00Z");
}

// Added through the wizard: the answer's charset decodes the feed before it is first stored,
// and the new format shows as type, version and mapping section.
TEST_F(CliTest, AddsAnAtom10FeedWhoseCharsetOnlyTheAnswerNames) {
    LoopbackServer::Response atom;
    atom.body = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>\xC0\xF2\xEE\xEC</title>"
                "<entry><id>tag:a,1</id><title>\xCF\xF0\xE8\xE2\xE5\xF2</title>"
                "<link href=\"e/1\"/></entry></feed>";
    atom.headers = {{"Content-Type", "application/atom+xml; charset=windows-1251"}};
    server_.Set("/atom.xml", atom);
    const Outcome added = Cli({"add", server_.Url("/atom.xml")});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    const QString id = added.out.trimmed();
    const QJsonObject shown = JsonObject(Cli({"--json", "feed", "show", id}).out);
    EXPECT_EQ(shown["title"].toString(), u"\u0410\u0442\u043E\u043C"_qs);
    EXPECT_EQ(shown["version"].toString(), "Atom 1.0");
    const QJsonObject item = JsonList({"items", "--feed", id})[0].toObject();
    EXPECT_EQ(item["title"].toString(), u"\u041F\u0440\u0438\u0432\u0435\u0442"_qs);
    EXPECT_EQ(item["link"].toString(), server_.Url("/e/1"));
    EXPECT_EQ(Cli({"update"}).status, 0);
    EXPECT_EQ(JsonList({"items", "--feed", id}).size(), 1);
    QList<int> types;
    for (const auto& feed : JsonList({"feeds"}))
        if (QString::number(feed.toObject()["id"].toInt()) == id)
            types << feed.toObject()["type"].toInt();
    EXPECT_EQ(types, QList<int>{FeedTypeAtom10});
    EXPECT_TRUE(Cli({"mapping", "show", "atom1.0"})
                    .out.startsWith("Atom 1.0: title <title> , link <link> , date <published> , "
                                    "content <content> ,"));
}

TEST_F(CliTest, InterruptsCancelTheRun) {
    LoopbackServer::Response slow = LoopbackServer::Slow(Feed("News", 3), 32, 100);
    server_.Set("/news.xml", slow);
    server_.Set("/second.xml", slow);
    ASSERT_EQ(Cli({"add", server_.Url("/second.xml"), "--later"}).status, 0);
    QProcess update;
    update.start(QUILLPOST_CLI, {"update"});
    ASSERT_TRUE(update.waitForReadyRead(10000));
    kill(pid_t(update.processId()), SIGINT);
    ASSERT_TRUE(update.waitForFinished(60000));
    EXPECT_EQ(update.exitCode(), 130);
    const QString out = QString::fromUtf8(update.readAllStandardOutput());
    EXPECT_TRUE(out.endsWith("Downloading Complete Status: Cancelled by User\n"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("press Ctrl-C again to stop at once")) << out.toStdString();
    EXPECT_FALSE(out.contains("Press \"Cancel\"")) << out.toStdString();
    EXPECT_EQ(out.count("Status: Downloading Data..."), 1); // the second feed never started
    EXPECT_EQ(Cli({"config", "get", "AutoReload\\BackgroundStatus"}).out, "0\n");
}

// A timer reads the exit status: 0 only for a completed run in which nothing failed.
TEST_F(CliTest, UpdateExitStatusTellsWhetherEveryFeedCame) {
    server_.SetBody("/gone.xml", "not here", 404);
    ASSERT_EQ(Cli({"add", server_.Url("/gone.xml"), "--later"}).status, 0);
    const Outcome failed = Cli({"update"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "quillpost-cli: 1 of 2 downloads failed\n");
    EXPECT_TRUE(failed.out.contains("News - Status: Done - Success")) << failed.out.toStdString();

    const Outcome one = Cli({"update", "--feed", FeedID("News")});
    EXPECT_EQ(one.status, 0) << one.err.toStdString();
    EXPECT_EQ(one.err, "");
}

// A run killed outright leaves its state behind; the next run sees that nobody owns it.
TEST_F(CliTest, RunStateOfAKilledRunCountsAsIdle) {
    server_.Set("/news.xml", LoopbackServer::Slow(Feed("News", 3), 64, 100));
    QProcess update;
    update.start(QUILLPOST_CLI, {"update"});
    ASSERT_TRUE(update.waitForReadyRead(10000));
    update.kill();
    ASSERT_TRUE(update.waitForFinished(10000));
    EXPECT_EQ(Cli({"config", "get", "AutoReload\\BackgroundStatus"}).out, "1\n");

    server_.SetBody("/news.xml", Feed("News", 3));
    const Outcome again = Cli({"update"});
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("News - Status: Done - Success")) << again.out.toStdString();
    EXPECT_EQ(Cli({"config", "get", "AutoReload\\BackgroundStatus"}).out, "0\n");
}

// Each timer run is a new process: what makes a reload due must outlive it.
TEST_F(CliTest, TimerReloadsFireAcrossProcesses) {
    const QTime now = QTime::currentTime();
    const QString minute = QString::number(now.hour() * 60 + now.minute());
    const struct {
        const char* name;
        QStringList settings;
    } cases[] = {
        {"interval", {"AutoReload\\Frequency", "15", "AutoReload\\NextReload", minute}},
        {"coming online", {"AutoReload\\OnAS", "1", "AutoReload\\WasOnline", "0"}},
    };
    for (const auto& c : cases) {
        Cli({"config", "set", "AutoReload\\BackgroundLastRefresh", "0"});
        for (qsizetype i = 0; i < c.settings.size(); i += 2)
            ASSERT_EQ(Cli({"config", "set", c.settings[i], c.settings[i + 1]}).status, 0);
        const Outcome due = Cli({"reload-if-due"});
        EXPECT_EQ(due.status, 0) << c.name << due.err.toStdString();
        EXPECT_TRUE(due.out.contains("Downloading Complete - Status: OK"))
            << c.name << due.out.toStdString();
        Cli({"config", "set", "AutoReload\\Frequency", "0"});
        Cli({"config", "set", "AutoReload\\OnAS", "0"});
    }
}

TEST_F(CliTest, ConfigKnowsItsKeys) {
    const Outcome unknown = Cli({"config", "set", "Settings\\UseCN", "0"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("config list")) << unknown.err.toStdString();
    EXPECT_EQ(Cli({"config", "get", "Settings\\UseCN"}).out, "\n");
    EXPECT_EQ(Cli({"config", "set", "RSSMap\\Map5\\Title", "dc:title"}).status, 0);

    ASSERT_EQ(Cli({"config", "set", "Settings\\UseProxy", "1"}).status, 0);
    QMap<QString, QPair<QString, QString>> listed;
    for (const auto& entry : JsonList({"config", "list"})) {
        const QJsonObject key = entry.toObject();
        listed[key["key"].toString()] = {key["value"].toString(), key["default"].toString()};
    }
    EXPECT_EQ(listed.value("Settings\\UseProxy"), qMakePair(QString("1"), QString("0")));
    EXPECT_EQ(listed.value("Settings\\UseCM"), qMakePair(QString("1"), QString("1")));
    EXPECT_EQ(listed.value("AutoReload\\BackgroundLastRefresh").second, "0");
    EXPECT_TRUE(Cli({"config", "list"}).out.contains("Settings\\UseProxy"));
}

TEST_F(CliTest, LockedDatabaseIsRefused) {
    QProcess holder;
    holder.start(STORE_TEST_HELPER, {"hold-lock", env_.Path("install/rss.qpdb")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    const Outcome outcome = Cli({"views"});
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.err.contains("locked by another process")) << outcome.err.toStdString();
}

} // namespace

// A download that finds no room stops the run and says why once, instead of failing every
// remaining feed the same way. The install folder is put on a small file system of its own in a
// private mount namespace (root only; skipped elsewhere).
TEST_F(CliTest, DownloadsIntoAFullDiskStopTheRun) {
    const QString install = env_.Path("install");
    for (const char* name : {"/big1.xml", "/big2.xml"}) {
        server_.SetBody(name, Feed(QStringLiteral("Big"), 4000));
        ASSERT_EQ(Cli({"add", server_.Url(name), "--later"}).status, 0);
    }
    const QString script = QStringLiteral(
        "set -e; copy=$(mktemp -d); cp -a \"$1\"/. \"$copy\"; "
        "size=$(( $(du -sk \"$copy\" | cut -f1) + 64 )); "
        "mount -t tmpfs -o size=${size}k none \"$1\"; cp -a \"$copy\"/. \"$1\"; rm -rf \"$copy\"; "
        "set +e; \"$2\" update; echo \"status $?\"");
    QProcess run;
    run.start(QStringLiteral("unshare"),
              {"-m", "--propagation", "private", "sh", "-c", script, "sh", install, QUILLPOST_CLI});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    if (!out.contains("status "))
        GTEST_SKIP() << "no private mount namespace here: "
                     << run.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("the disk is full")) << out.toStdString();
    EXPECT_TRUE(out.contains("status 1")) << out.toStdString();
    EXPECT_LE(out.count("Failed To"), 1) << out.toStdString();
}
