// Hostile feeds and faults of the machine: what the command line says, and what it never does.
#include "cli/CliHarness.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <unistd.h>

namespace {

// The controls a terminal acts on: C0 but tab and line feed, DEL and C1.
bool HoldsTerminalControl(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || (u >= 0x7F && u < 0xA0))
            return true;
    }
    return false;
}

// A small tmpfs on a folder of the test, unmounted at the end; not mounted where the test may
// not mount file systems (then Error() says why).
class ScopedTmpfs {
public:
    ScopedTmpfs(const QString& folder, const QString& size) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = Mount({"-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder});
    }
    ~ScopedTmpfs() {
        if (mounted_)
            QProcess::execute("umount", {"-l", folder_});
    }
    bool Mounted() const { return mounted_; }
    const QString& Error() const { return error_; }
    bool MakeReadOnly() { return Mount({"-o", "remount,ro", folder_}); }

private:
    bool Mount(const QStringList& arguments) {
        QProcess mount;
        mount.start("mount", arguments);
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0) {
            error_ = QString::fromUtf8(mount.readAllStandardError()).trimmed();
            if (error_.isEmpty())
                error_ = mount.errorString();
            return false;
        }
        return true;
    }

    QString folder_;
    QString error_;
    bool mounted_ = false;
};

// Writes into the folder until its file system is full.
void FillUp(const QString& path) {
    QFile filler(path);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
}

// The files a download or a merge left empty.
QStringList EmptyFiles(const QString& folder) {
    QStringList empty;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString path = it.next();
            QFileInfo(path).size() == 0 && !path.endsWith("-wal") && !path.endsWith("-shm"))
            empty << path; // the database engine's own files come and go with its connections
    return empty;
}

TEST_F(CliTest, AFullDiskStopsTheRunAndSaysSo) {
    ScopedTmpfs disk(env_.Path("disk"), "3m");
    if (!disk.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (" << disk.Error().toStdString()
                     << "), and the full-disk run needs one";
    const QString folder = env_.Path("disk");
    QDir().mkpath(folder + "/scripts");
    ASSERT_TRUE(QFile::copy(env_.Path("install/scripts/sourceList.txt"),
                            folder + "/scripts/sourceList.txt"));
    ASSERT_EQ(Cli({"config", "set", "Settings\\InstallPath", folder}).status, 0);
    ASSERT_EQ(Cli({"--yes", "init"}).status, 0);
    ASSERT_EQ(Cli({"update"}).status, 0);
    const QString news = FeedID("News");
    ASSERT_EQ(JsonList({"items", "--feed", news}).size(), 3);

    server_.SetBody("/news.xml", Feed("News", 40)); // a body well under 16 KB
    FillUp(folder + "/filler");
    const Outcome full = Cli({"update"});
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(full.err.contains("the disk is full")) << full.err.toStdString();
    EXPECT_EQ(full.err.count('\n'), 1) << full.err.toStdString();

    // Room to open the database and take the download, none for the merge.
    ASSERT_TRUE(QFile(folder + "/filler").resize(QFileInfo(folder + "/filler").size() - 80 * 1024));
    const Outcome stopped = Cli({"update"});
    EXPECT_EQ(stopped.status, 1);
    EXPECT_TRUE(stopped.out.contains("Stopped - the disk is full")) << stopped.out.toStdString();
    EXPECT_FALSE(stopped.out.contains("Status: OK")) << stopped.out.toStdString();
    EXPECT_TRUE(stopped.err.contains("the disk is full: the run stopped after 1 downloads"))
        << stopped.err.toStdString();
    EXPECT_EQ(EmptyFiles(folder), QStringList());
    QFile::remove(folder + "/filler");
    EXPECT_EQ(JsonList({"items", "--feed", news}).size(), 3); // nothing stored was lost

    const Outcome again = Cli({"update"});
    EXPECT_EQ(again.status, 0) << again.out.toStdString() << again.err.toStdString();
    EXPECT_EQ(JsonList({"items", "--feed", news}).size(), 40);
}

// A database on a read-only file system (or, for a user who is not root, a read-only file):
// the commands that would change it say so at once and download nothing.
TEST_F(CliTest, AReadOnlyDatabaseIsRefusedBeforeAnyDownload) {
    ASSERT_EQ(Cli({"update"}).status, 0);
    const QString item =
        QString::number(JsonList({"items", "--feed", FeedID("News")})[0].toObject()["id"].toInt());
    ScopedTmpfs disk(env_.Path("ro"), "8m");
    const bool root = geteuid() == 0;
    if (root && !disk.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (" << disk.Error().toStdString() << ")";
    const QString db = env_.Path("ro/rss.qpdb");
    ASSERT_TRUE(QFile::copy(env_.Path("install/rss.qpdb"), db));
    ASSERT_TRUE(root ? disk.MakeReadOnly()
                     : QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup));
    const int hits = server_.Hits("/news.xml");
    for (const QStringList& command : {QStringList{"update"}, QStringList{"mark", item, "read"}}) {
        const Outcome outcome = Cli(QStringList{"--db", db} + command);
        EXPECT_EQ(outcome.status, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(outcome.err.contains("cannot be written")) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
    }
    EXPECT_EQ(server_.Hits("/news.xml"), hits);
}

TEST_F(CliTest, ControlCharactersOfAJsonFeedReachNeitherTerminalNorExport) {
    server_.SetBody("/j.json", R"({"version":"https://jsonfeed.org/version/1.1",)"
                               R"("title":"J\u001b]0;PWNED\u0007","items":[{"id":"1",)"
                               R"("title":"t\u001b[2J","content_text":"c\u001b[31mred\u009b"}]})");
    const Outcome add = Cli({"add", server_.Url("/j.json")});
    ASSERT_EQ(add.status, 0) << add.err.toStdString();
    const QString feed = add.out.trimmed();
    const QJsonArray items = JsonList({"items", "--feed", feed});
    ASSERT_EQ(items.size(), 1);
    // The store holds the filtered text already: JSON output shows the replacement character.
    EXPECT_EQ(items[0].toObject()["title"].toString(), QString("t\uFFFD[2J"));
    const QString item = QString::number(items[0].toObject()["id"].toInt());
    const QString exported = env_.Path("out.opml");
    const QStringList commands[] = {
        {"feeds"},
        {"items", "--feed", feed},
        {"show", item},
        {"search", "red"},
        {"--json", "show", item},
        {"update", "--feed", feed},
        {"feed", "show", feed},
        {"export-opml", exported},
    };
    for (const QStringList& command : commands) {
        const Outcome outcome = Cli(command);
        EXPECT_EQ(outcome.status, 0) << command.join(' ').toStdString();
        EXPECT_FALSE(HoldsTerminalControl(outcome.out + outcome.err))
            << command.join(' ').toStdString() << ": " << outcome.out.toStdString();
    }
    EXPECT_TRUE(Cli({"feeds"}).out.contains(QString("J\uFFFD]0;PWNED\uFFFD")));
    QFile opml(exported);
    ASSERT_TRUE(opml.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(opml.readAll());
    EXPECT_TRUE(written.contains(QString("J\uFFFD]0;PWNED\uFFFD"))) << written.toStdString();
    EXPECT_FALSE(written.contains(QChar(0x1b)));
}

TEST_F(CliTest, NumberSettingsOutsideTheirRangeAreRefusedOrIgnored) {
    for (const char* value : {"2097152", "-1", "2147483647", "-999999999999"}) {
        const Outcome set = Cli({"config", "set", "Special\\DownloadBuffer", value});
        EXPECT_EQ(set.status, 2) << value;
        EXPECT_EQ(set.err.count('\n'), 1) << set.err.toStdString();
        EXPECT_TRUE(set.err.contains("from 0 to 1024")) << set.err.toStdString();
    }
    EXPECT_EQ(Cli({"config", "get", "Special\\DownloadBuffer"}).out, "1\n");
    EXPECT_EQ(Cli({"config", "set", "Special\\DownloadBuffer", "32"}).status, 0);

    // A value written by hand: the default serves, with one warning however often it is read.
    const QString path = env_.ConfigFolder() + "/Oxbowfield/Quillpost.conf";
    QFile config(path);
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    const QByteArray text = config.readAll().replace("DownloadBuffer=32", "DownloadBuffer=2097152");
    config.close();
    env_.WriteFile("config/Oxbowfield/Quillpost.conf", text);
    const Outcome update = Cli({"update"});
    EXPECT_EQ(update.status, 0) << update.err.toStdString();
    EXPECT_EQ(update.err.count("Special\\DownloadBuffer"), 1) << update.err.toStdString();
    EXPECT_EQ(Cli({"config", "get", "Special\\DownloadBuffer"}).out, "1\n");
}

// Commands that only read, or fail, leave the configuration file as it was; a file of random
// bytes is kept aside and the user told.
TEST_F(CliTest, TheConfigurationIsWrittenOnlyWhenAValueChanges) {
    const QString path = env_.ConfigFolder() + "/Oxbowfield/Quillpost.conf";
    ASSERT_EQ(Cli({"config", "set", "General\\FontSize", "8"}).status, 0);
    const QDateTime past = QDateTime::currentDateTime().addSecs(-3600);
    auto age = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) &&
               file.setFileTime(past, QFileDevice::FileModificationTime);
    };
    for (const QStringList& command : {QStringList{"feeds"}, QStringList{"show", "99999"},
                                       QStringList{"config", "get", "General\\FontSize"},
                                       QStringList{"config", "set", "General\\FontSize", "8"}}) {
        ASSERT_TRUE(age());
        Cli(command);
        EXPECT_EQ(QFileInfo(path).lastModified(), past) << command.join(' ').toStdString();
    }

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 151 + 7) % 256);
    env_.WriteFile("config/Oxbowfield/Quillpost.conf", garbage);
    const Outcome feeds = Cli({"config", "get", "General\\FontSize"});
    EXPECT_EQ(feeds.out, "8\n");
    EXPECT_TRUE(feeds.err.contains("damaged") && feeds.err.contains("Quillpost.conf.damaged"))
        << feeds.err.toStdString();
    QFile aside(path + ".damaged");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), garbage);
}

// Addresses longer than a column are stored whole: the enclosure that is fetched is the one the
// feed names, and the link shown is the link given.
TEST_F(CliTest, LongAddressesAreStoredWhole) {
    const std::string episode = "/audio/" + std::string(320, 'e') + ".mp3";
    const QString link = "http://x/" + QString(600, 'l');
    server_.SetBody(episode, QByteArray(4096, 'a'));
    server_.SetBody("/pod.xml",
                    "<rss version=\"2.0\"><channel><title>Pod</title><item>"
                    "<title>One</title><guid>1</guid><link>" +
                        link.toUtf8() + "</link><enclosure url=\"" + server_.Url(episode).toUtf8() +
                        "\" type=\"audio/mpeg\" length=\"4096\"/></item></channel></rss>");
    ASSERT_GT(server_.Url(episode).size(), 255);
    const Outcome add = Cli({"add", server_.Url("/pod.xml"), "--audio", "on"});
    ASSERT_EQ(add.status, 0) << add.err.toStdString();
    const QJsonArray items = JsonList({"items", "--feed", add.out.trimmed()});
    ASSERT_EQ(items.size(), 1);
    const QString item = QString::number(items[0].toObject()["id"].toInt());
    EXPECT_EQ(JsonObject(Cli({"--json", "show", item}).out)["link"].toString(), link);
    const Outcome audio = Cli({"audio"});
    EXPECT_EQ(audio.status, 0) << audio.out.toStdString() << audio.err.toStdString();
    EXPECT_EQ(server_.Hits(episode), 1);
}

TEST_F(CliTest, WrongValuesAreRefusedAndNothingIsWritten) {
    const QString news = FeedID("News");
    const QStringList cases[] = {
        {"view", "add", ""},
        {"view", "add", "  "},
        {"view", "set", "1", "--label", ""},
        {"add", "--later", "not a url at all"},
        {"add", "--later", "file:///etc/passwd"},
        {"add", "--later", "http://"},
        {"feed", "set", news, "--priority", "-32769"},
        {"feed", "set", news, "--priority", "99999"},
        {"feed", "set", news, "--priority", "101"},
    };
    const QString feedsBefore = Cli({"--json", "feeds"}).out;
    const QString viewsBefore = Cli({"--json", "views"}).out;
    for (const QStringList& arguments : cases) {
        const Outcome outcome = Cli(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
    }
    EXPECT_EQ(Cli({"--json", "feeds"}).out, feedsBefore);
    EXPECT_EQ(Cli({"--json", "views"}).out, viewsBefore);
    EXPECT_EQ(Cli({"feed", "set", news, "--priority", "100"}).status, 0);
}

// An empty file is a new database, made with the user's answer; without it the file stays
// empty.
TEST_F(CliTest, AnEmptyDatabaseFileBecomesANewDatabaseWhenTheUserAgrees) {
    const QString path = env_.WriteFile("empty.qpdb", "");
    const Outcome declined = Cli({"--db", path, "views"});
    EXPECT_EQ(declined.status, 1);
    EXPECT_TRUE(declined.err.contains("is empty; run again with --yes"))
        << declined.err.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_FALSE(QFile::exists(path + "-wal"));
    const Outcome created = Cli({"--db", path, "--yes", "views"});
    EXPECT_EQ(created.status, 0) << created.err.toStdString();
    EXPECT_GT(QFileInfo(path).size(), 0);
    EXPECT_EQ(Cli({"--db", path, "feeds"}).status, 0);
}

} // namespace
