// What a user of the command line meets besides the commands' work: help, version, the
// manual page and completions, standard input and output, JSON, colour, refused arguments.
#include "cli/CliHarness.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <pty.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs quillpost-cli in a folder with nothing in it: no configuration, no data.
struct FreshRun {
    QTemporaryDir home;

    Outcome Run(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        process.setProcessEnvironment(environment);
        process.start(QUILLPOST_CLI, arguments);
        process.waitForFinished(30000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QStringList Created() const {
        QStringList entries;
        QDirIterator it(home.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            entries << it.next();
        return entries;
    }
};

TEST(CliArguments, MistakesAreRefusedBeforeAnythingIsCreated) {
    const QStringList cases[] = {
        {"frobnicate"},
        {"updte"},
        {"view"},
        {"add"},
        {"update", "--fed", "1"},
        {"update", "--feed", "1", "--view", "2"},
        {"items"},
        {"items", "--feed", "x"},
        {"mark", "1", "sideways"},
        {"show", "1", "2"},
        {"view", "add", "V", "--read-after", "7"},
        {"view", "add", "V", "--keywords", "tram", "--feeds", "1"},
        {"feed", "set", "1", "--audio", "maybe"},
        {"config", "set", "General\\FontSize", "big"},
        {"config", "set", "Nowhere\\Key", "1"},
        {"mapping", "show", "RSS 3.0"},
        {"--json", "mark", "1", "read"},
        {"--db", "elsewhere.qpdb", "config", "list"},
        {"--completion", "tcsh"},
    };
    for (const QStringList& arguments : cases) {
        const FreshRun fresh;
        const Outcome outcome = fresh.Run(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(outcome.err.count('\n'), 1) << outcome.err.toStdString();
        EXPECT_EQ(fresh.Created(), QStringList()) << arguments.join(' ').toStdString();
    }
}

// The commands as the global help lists them ("view add", "update", …).
QStringList ListedCommands(const QString& help) {
    QStringList names;
    bool inList = false;
    for (const QString& line : help.split('\n')) {
        if (line == "commands:")
            inList = true;
        else if (line.isEmpty())
            inList = false;
        else if (inList)
            names << line.mid(2, 16).trimmed();
    }
    return names;
}

QStringList HelpOptions(const QString& help) {
    QStringList options;
    const QString section = help.section("options:\n", 1, 1).section("\n\n", 0, 0);
    for (const QString& line : section.split('\n', Qt::SkipEmptyParts))
        options << line.trimmed().section(' ', 0, 0);
    return options;
}

// What the generated bash completion offers after the words.
QStringList BashCompletion(const QStringList& words) {
    QProcess bash;
    bash.start("bash",
               {"-c", QStringLiteral("source '%1'; COMP_WORDS=(quillpost-cli %2 ''); "
                                     "COMP_CWORD=${#COMP_WORDS[@]}; ((COMP_CWORD--)); "
                                     "_quillpost_cli; printf '%s\\n' \"${COMPREPLY[@]}\"")
                          .arg(QUILLPOST_CLI_TEXTS "/quillpost-cli.bash", words.join(' '))});
    bash.waitForFinished(10000);
    return QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QString ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Help, manual page and completions come from one table: every listed command has its own
// help, its synopsis in the manual page and its options in the completion.
TEST(CliArguments, HelpManualPageAndCompletionsAgree) {
    const FreshRun fresh;
    const Outcome version = fresh.Run({"--version"});
    EXPECT_TRUE(
        QRegularExpression("^quillpost-cli \\d+\\.\\d+\\.\\d+\n$").match(version.out).hasMatch())
        << version.out.toStdString();
    EXPECT_EQ(fresh.Run({"version"}).out, version.out);

    const Outcome update = fresh.Run({"update", "--help"});
    EXPECT_EQ(update.status, 0);
    EXPECT_TRUE(update.out.startsWith("usage: quillpost-cli update [--feed ID]"));
    EXPECT_EQ(HelpOptions(update.out),
              QStringList({"--feed", "--view", "--cancel-background", "--stop-background"}));
    EXPECT_FALSE(update.out.contains("export-opml"));

    const QString manual = ReadFile(QUILLPOST_CLI_TEXTS "/quillpost-cli.1");
    const QStringList commands = ListedCommands(fresh.Run({"--help"}).out);
    ASSERT_GT(commands.size(), 30);
    for (const QString& command : commands) {
        const Outcome help = fresh.Run(command.split(' ') + QStringList{"--help"});
        EXPECT_EQ(help.status, 0) << command.toStdString();
        EXPECT_TRUE(help.out.startsWith("usage: quillpost-cli " + command))
            << command.toStdString();
        EXPECT_TRUE(manual.contains(".B quillpost\\-cli " + QString(command).replace('-', "\\-")))
            << command.toStdString();
        const QStringList offered = BashCompletion(command.split(' '));
        for (const QString& option : HelpOptions(help.out))
            EXPECT_TRUE(offered.contains(option))
                << command.toStdString() << " " << option.toStdString();
    }
    EXPECT_TRUE(BashCompletion({"view"}).contains("add"));
    EXPECT_EQ(BashCompletion({"view", "add", "V", "--sort"}),
              QStringList({"priority", "feed-date", "item-date"}));
    for (const char* shell : {"/_quillpost-cli", "/quillpost-cli.fish"})
        EXPECT_TRUE(ReadFile(QUILLPOST_CLI_TEXTS + QString(shell)).contains("cancel-background"))
            << shell;
    EXPECT_EQ(fresh.Created(), QStringList());
}

TEST_F(CliTest, DashIsStandardInputAndOutput) {
    const Outcome exported = Cli({"export-opml", "-"});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.startsWith("<?xml")) << exported.out.toStdString();
    EXPECT_TRUE(exported.out.contains(server_.Url("/news.xml")));
    EXPECT_EQ(exported.err, "");

    const QString other = env_.Path("other.qpdb");
    ASSERT_EQ(Cli({"--db", other, "--yes", "init"}).status, 0);
    const Outcome subscribed =
        Cli({"--db", other, "subscribe", "-", "--title", "Piped"}, exported.out.toUtf8());
    ASSERT_EQ(subscribed.status, 0) << subscribed.err.toStdString();
    EXPECT_EQ(Cli({"--db", other, "resubscribe", subscribed.out.trimmed()}).status, 0);
    EXPECT_TRUE(Cli({"--db", other, "--json", "feeds"}).out.contains(server_.Url("/news.xml")));

    const QString backup = env_.Path("saved.qpbk");
    ASSERT_EQ(Cli({"backup", backup}).status, 0);
    QFile file(backup);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString third = env_.Path("third.qpdb");
    ASSERT_EQ(Cli({"--db", third, "--yes", "init"}).status, 0);
    const Outcome restored = Cli({"--db", third, "restore", "-"}, file.readAll());
    EXPECT_EQ(restored.status, 0) << restored.err.toStdString();
    EXPECT_TRUE(Cli({"--db", third, "--json", "feeds"}).out.contains(server_.Url("/news.xml")));
}

// One documented command: the words after "quillpost-cli --json", whether it prints an array,
// and each key's type.
struct Documented {
    QString command;
    bool array = false;
    QMap<QString, QString> types;
};

QList<Documented> ReadJsonDoc() {
    QList<Documented> sections;
    for (const QString& line : ReadFile(QUILLPOST_SOURCE_DIR "/docs/cli-json.md").split('\n')) {
        if (line.startsWith("### `")) {
            sections.append({line.section('`', 1, 1), false, {}});
        } else if (!sections.isEmpty() && line.startsWith("An array")) {
            sections.last().array = true;
        } else if (!sections.isEmpty() && line.startsWith("| ") &&
                   line != "| key | type | meaning |" && !line.startsWith("|---")) {
            const QStringList cells = line.split('|');
            sections.last().types[cells[1].trimmed()] = cells[2].trimmed();
        }
    }
    return sections;
}

// "view show VIEW" → "view show", "items --feed FEED" → "items".
QString CommandName(const QString& commandLine) {
    QStringList name;
    for (const QString& word : commandLine.split(' ')) {
        if (word.startsWith("--") || word == word.toUpper())
            break;
        name << word;
    }
    return name.join(' ');
}

bool HasType(const QJsonValue& value, const QString& type) {
    static const QRegularExpression isoUtc("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$");
    if (type == "number")
        return value.isDouble();
    if (type == "string")
        return value.isString();
    if (type == "boolean")
        return value.isBool();
    if (type == "number[]")
        return value.isArray();
    if (type == "date")
        return value.isNull() || isoUtc.match(value.toString()).hasMatch();
    return false;
}

// The documentation and the program cannot drift: each documented command's output has the
// documented keys with their types, and every command that takes --json is documented.
TEST_F(CliTest, JsonOutputIsAsDocumented) {
    ASSERT_EQ(Cli({"update"}).status, 0);
    server_.SetBody("/list.opml",
                    "<opml><body><outline text=\"A\" xmlUrl=\"http://a/\"/></body></opml>");
    ASSERT_EQ(Cli({"subscribe", server_.Url("/list.opml")}).status, 0);
    const QString feed = FeedID("News");
    const QString item =
        QString::number(JsonList({"items", "--feed", feed})[0].toObject()["id"].toInt());
    const QList<Documented> sections = ReadJsonDoc();
    ASSERT_GE(sections.size(), 10);
    QStringList documented;
    int datesSeen = 0;
    for (const Documented& section : sections) {
        documented << CommandName(section.command);
        const QStringList arguments = QString(section.command)
                                          .replace("FEED", feed)
                                          .replace("VIEW", "1")
                                          .replace("ITEM", item)
                                          .replace("TEXT", "story")
                                          .split(' ');
        const Outcome outcome = Cli(QStringList{"--json"} + arguments);
        ASSERT_EQ(outcome.status, 0) << section.command.toStdString() << outcome.err.toStdString();
        const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8());
        EXPECT_EQ(document.isArray(), section.array) << section.command.toStdString();
        QJsonArray records = document.isArray() ? document.array() : QJsonArray{document.object()};
        ASSERT_FALSE(records.isEmpty()) << section.command.toStdString();
        for (const auto& record : records) {
            const QJsonObject object = record.toObject();
            EXPECT_EQ(QStringList(object.keys()), QStringList(section.types.keys()))
                << section.command.toStdString();
            for (auto it = section.types.cbegin(); it != section.types.cend(); ++it) {
                EXPECT_TRUE(HasType(object[it.key()], it.value()))
                    << section.command.toStdString() << " " << it.key().toStdString() << ": "
                    << QJsonDocument(object).toJson().toStdString();
                datesSeen += it.value() == "date" && object[it.key()].isString() ? 1 : 0;
            }
        }
    }
    EXPECT_GT(datesSeen, 3);
    for (const QString& command : ListedCommands(Cli({"--help"}).out)) {
        if (Cli(command.split(' ') + QStringList{"--help"}).out.contains("--json")) {
            EXPECT_TRUE(documented.contains(command)) << command.toStdString();
        }
    }
}

TEST_F(CliTest, ViewsShowTheirKindNotTheirMarkers) {
    ASSERT_EQ(Cli({"view", "add", "Trams", "--keywords", "tram"}).status, 0);
    QMap<QString, QString> kinds;
    for (const auto& view : JsonList({"views"}))
        kinds[view.toObject()["label"].toString()] = view.toObject()["kind"].toString();
    EXPECT_EQ(kinds.value("Whats New"), "whats-new");
    EXPECT_EQ(kinds.value("Search Results"), "search");
    EXPECT_EQ(kinds.value("Trams"), "keyword");
    EXPECT_TRUE(kinds.values().contains("group"));
    EXPECT_FALSE(Cli({"views"}).out.contains("---")) << Cli({"views"}).out.toStdString();
}

TEST_F(CliTest, UnreadCountsForScripts) {
    ASSERT_EQ(Cli({"update"}).status, 0);
    const QString news = FeedID("News");
    const QString group = Cli({"view", "add", "Mine", "--feeds", news}).out.trimmed();
    const QJsonArray items = JsonList({"items", "--feed", news});
    ASSERT_EQ(Cli({"mark", QString::number(items[0].toObject()["id"].toInt()), "read"}).status, 0);
    const struct {
        QStringList arguments;
        QString out;
        int status;
    } cases[] = {
        {{"unread"}, "2\n", 0},
        {{"unread", "--feed", news}, "2\n", 0},
        {{"unread", "--view", group}, "2\n", 0},
        {{"unread", "--feed", "99999"}, "", 1},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Cli(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(outcome.out, c.out) << c.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(JsonObject(Cli({"--json", "unread", "--feed", news}).out)["unread"].toInt(), 2);
}

// No option is dropped: a View is either a keyword View or a group of feeds, and says so.
TEST_F(CliTest, ViewOptionsThatCannotBothHoldAreRefused) {
    const QString news = FeedID("News");
    const Outcome both = Cli({"view", "add", "V", "--keywords", "tram", "--feeds", news});
    EXPECT_EQ(both.status, 2);
    EXPECT_TRUE(both.err.contains("not both")) << both.err.toStdString();
    const QString keyword = Cli({"view", "add", "Trams", "--keywords", "tram"}).out.trimmed();
    const Outcome feeds = Cli({"view", "set", keyword, "--feeds", news});
    EXPECT_EQ(feeds.status, 1);
    EXPECT_TRUE(feeds.err.contains("keyword View")) << feeds.err.toStdString();
    EXPECT_EQ(JsonObject(Cli({"--json", "view", "show", keyword}).out)["feeds"].toArray().size(),
              0);
    const QString group = Cli({"view", "add", "Mine", "--feeds", news}).out.trimmed();
    EXPECT_EQ(JsonObject(Cli({"--json", "view", "show", group}).out)["feeds"].toArray(),
              QJsonArray{news.toInt()});
}

// Runs quillpost-cli on a pseudo-terminal, as a person at a terminal would, and returns what it
// wrote there.
QString OnTerminal(const QStringList& arguments, bool noColour) {
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (noColour)
            setenv("NO_COLOR", "1", 1);
        else
            unsetenv("NO_COLOR");
        std::vector<QByteArray> words{QUILLPOST_CLI};
        for (const QString& argument : arguments)
            words.push_back(argument.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    QByteArray written;
    char buffer[4096];
    ssize_t got;
    while ((got = read(master, buffer, sizeof buffer)) > 0)
        written.append(buffer, got);
    close(master);
    waitpid(child, nullptr, 0);
    return QString::fromUtf8(written);
}

TEST_F(CliTest, ColourOnlyOnATerminalWithoutNoColor) {
    const QString run = OnTerminal({"update"}, false);
    EXPECT_TRUE(run.contains("\033[32mNews - Status: Done - Success")) << run.toStdString();
    const QString failure = OnTerminal({"show", "99999"}, false);
    EXPECT_TRUE(failure.contains("\033[31mquillpost-cli: there is no item 99999"))
        << failure.toStdString();
    EXPECT_FALSE(OnTerminal({"update"}, true).contains("\033[3"));
    EXPECT_FALSE(OnTerminal({"show", "99999"}, true).contains("\033[3"));
    const Outcome piped = Cli({"update"});
    EXPECT_FALSE(piped.out.contains('\033')) << piped.out.toStdString();
    EXPECT_FALSE(Cli({"show", "99999"}).err.contains('\033'));
}

} // namespace

namespace {

// The quick start's command lines as the README gives them, the alias "qp" taken off.
QList<QStringList> QuickStartCommands() {
    QList<QStringList> commands;
    const QString readme = ReadFile(QUILLPOST_SOURCE_DIR "/README.md");
    const QString block =
        readme.section("<!-- quick-start", 1, 1).section("<!-- /quick-start -->", 0, 0);
    static const QRegularExpression word("\"([^\"]*)\"|(\\S+)");
    for (const QString& line : block.split('\n')) {
        if (!line.startsWith("qp "))
            continue;
        QStringList words;
        for (auto it = word.globalMatch(line.section('#', 0, 0).mid(3)); it.hasNext();) {
            const auto match = it.next();
            words << (match.captured(1).isNull() ? match.captured(2) : match.captured(1));
        }
        commands << words;
    }
    return commands;
}

// The README's quick start on a fresh account with the shipped defaults, every address (the
// README's and the demonstration feeds') served by the loopback server.
TEST(CliQuickStart, RunsAsTheReadmeSays) {
    TestEnvironment env;
    LoopbackServer server;
    LoopbackServer::Response feed;
    feed.body = Feed("Kernel", 2);
    server.SetFallback(feed);
    const auto run = [](const QStringList& arguments) {
        QProcess process;
        process.start(QUILLPOST_CLI, arguments);
        process.waitForFinished(60000);
        return Outcome{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                       QString::fromUtf8(process.readAllStandardError())};
    };
    const QList<QStringList> commands = QuickStartCommands();
    ASSERT_GE(commands.size(), 6);
    ASSERT_EQ(commands[0], QStringList{"init"});
    QString output;
    for (QStringList command : commands) {
        for (QString& word : command)
            if (word.startsWith("https://"))
                word = server.Url("/readme" + QUrl(word).path().toStdString());
        const Outcome outcome = run(command);
        EXPECT_EQ(outcome.status, 0) << command.join(' ').toStdString() << "\n"
                                     << outcome.err.toStdString();
        output += outcome.out;
        if (command[0] != "init")
            continue;
        EXPECT_TRUE(outcome.err.contains("run \"quillpost-cli update\""))
            << outcome.err.toStdString();
        const QJsonArray feeds =
            QJsonDocument::fromJson(run({"--json", "feeds"}).out.toUtf8()).array();
        ASSERT_GT(feeds.size(), 5);
        for (const auto& feed : feeds) {
            const QString id = QString::number(feed.toObject()["id"].toInt());
            ASSERT_EQ(
                run({"feed", "set", id, "--url", server.Url("/demo/" + id.toStdString())}).status,
                0);
        }
    }
    EXPECT_TRUE(output.contains("Kernel story 1")) << output.toStdString();
}

} // namespace

namespace {

// Every row of every table, as text, table by table.
QMap<QString, QStringList> TableRows(const QString& path) {
    QMap<QString, QStringList> tables;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* names = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &names,
                       nullptr);
    while (sqlite3_step(names) == SQLITE_ROW) {
        const QString table =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(names, 0)));
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db, ("SELECT * FROM \"" + table + "\" ORDER BY 1").toUtf8().constData(),
                           -1, &rows, nullptr);
        QStringList& kept = tables[table];
        while (sqlite3_step(rows) == SQLITE_ROW) {
            QStringList row;
            for (int column = 0; column < sqlite3_column_count(rows); ++column)
                row << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(rows, column)));
            kept << row.join('|');
        }
        sqlite3_finalize(rows);
    }
    sqlite3_finalize(names);
    sqlite3_close(db);
    return tables;
}

// A snapshot taken while another process holds a read open is the whole database, read and
// locked states and keywords included, and restoring it gives every table back as it was.
TEST_F(CliTest, SnapshotRestoresEveryTable) {
    ASSERT_EQ(Cli({"update"}).status, 0);
    const QJsonArray items = JsonList({"items", "--feed", FeedID("News")});
    const QString first = QString::number(items[0].toObject()["id"].toInt());
    const QString second = QString::number(items[1].toObject()["id"].toInt());
    ASSERT_EQ(Cli({"mark", first, "read"}).status, 0);
    ASSERT_EQ(Cli({"mark", second, "lock"}).status, 0);
    ASSERT_EQ(Cli({"item", "keywords", first, "tram, harbour"}).status, 0);

    const QString database = env_.Path("install/rss.qpdb");
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(database).constData(), &reader,
                              SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* reading = nullptr;
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_prepare_v2(reader, "SELECT * FROM FeedItems", -1, &reading, nullptr);
    ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW); // a read is open in this process
    const QString snapshot = env_.Path("whole.qpsnap");
    const Outcome taken = Cli({"snapshot", snapshot});
    sqlite3_finalize(reading);
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    ASSERT_EQ(taken.status, 0) << taken.err.toStdString();

    const QString fresh = env_.Path("fresh.qpdb");
    ASSERT_EQ(Cli({"--db", fresh, "--yes", "init"}).status, 0);
    const Outcome refused = Cli({"--db", fresh, "restore", snapshot});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("give --yes")) << refused.err.toStdString();
    EXPECT_NE(TableRows(fresh), TableRows(database));
    const Outcome restored = Cli({"--db", fresh, "--yes", "restore", snapshot});
    ASSERT_EQ(restored.status, 0) << restored.err.toStdString();
    const auto expected = TableRows(database);
    ASSERT_GT(expected.size(), 5);
    EXPECT_GT(expected.value("FeedItems").size(), 2);
    EXPECT_EQ(TableRows(fresh), expected);
    EXPECT_EQ(JsonObject(Cli({"--db", fresh, "--json", "show", first}).out)["keywords"].toString(),
              "tram, harbour");
    EXPECT_EQ(
        Cli({"--db", fresh, "--yes", "restore", env_.WriteFile("junk", "SQLite format 3")}).status,
        1);
}

} // namespace

namespace {

// A second update meets a running one with its Busy Notice, before it waits for the database
// the running one holds, and its answer reaches the running one: No lets it go on, Cancel stops
// it after its current feed, Yes stops it at once.
TEST_F(CliTest, SecondUpdateAnswersTheBusyNotice) {
    const LoopbackServer::Response slow = LoopbackServer::Slow(Feed("News", 12), 64, 40);
    server_.Set("/news.xml", slow);
    server_.Set("/second.xml", slow);
    ASSERT_EQ(Cli({"add", server_.Url("/second.xml"), "--later"}).status, 0);
    const struct {
        const char* answer;
        const char* end;
        bool firstFeedStored;
        int downloads;
    } cases[] = {
        {nullptr, "Downloading Complete - Status: OK\n", true, 2},
        {"--cancel-background", "Downloading Complete Status: Cancelled by User\n", true, 1},
        {"--stop-background", "Downloading Complete Status: Cancelled by User\n", false, 1},
    };
    for (const auto& c : cases) {
        QProcess running;
        running.start(QUILLPOST_CLI, {"update"});
        ASSERT_TRUE(running.waitForReadyRead(10000));
        const Outcome second =
            Cli(c.answer ? QStringList{"update", c.answer} : QStringList{"update"});
        EXPECT_EQ(second.status, 1);
        EXPECT_TRUE(second.err.contains("Busy Notice: Background Download operation is currently "
                                        "in progress"))
            << second.err.toStdString();
        EXPECT_FALSE(second.err.contains("locked")) << second.err.toStdString();
        if (!c.answer) { // refused without waiting for the running one
            EXPECT_EQ(running.state(), QProcess::Running);
        }
        ASSERT_TRUE(running.waitForFinished(60000));
        const QString out = QString::fromUtf8(running.readAllStandardOutput());
        EXPECT_TRUE(out.endsWith(c.end)) << c.answer << out.toStdString();
        EXPECT_EQ(out.contains("News - Status: Done - Success"), c.firstFeedStored)
            << c.answer << out.toStdString();
        EXPECT_EQ(out.count("Status: Downloading Data..."), c.downloads)
            << c.answer << out.toStdString();
        EXPECT_EQ(Cli({"config", "get", "AutoReload\\BackgroundStatus"}).out, "0\n");
    }
}

} // namespace

namespace {

// What "cmake --install" puts in place: the programs without debug information, the manual
// page, the completions and the timer's user units.
TEST(CliInstall, InstallsStrippedProgramsWithTheirTexts) {
    QTemporaryDir prefix;
    QProcess install;
    install.start("cmake", {"--install", QUILLPOST_BUILD_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    for (const char* path :
         {"/share/man/man1/quillpost-cli.1", "/share/bash-completion/completions/quillpost-cli",
          "/share/zsh/site-functions/_quillpost-cli",
          "/share/fish/vendor_completions.d/quillpost-cli.fish",
          "/share/systemd/user/quillpost-reload.timer",
          "/share/systemd/user/quillpost-reload.service"})
        EXPECT_TRUE(QFile::exists(prefix.path() + path)) << path;
    QFile built(QUILLPOST_CLI), installed(prefix.path() + "/bin/quillpost-cli");
    ASSERT_TRUE(built.open(QIODevice::ReadOnly) && installed.open(QIODevice::ReadOnly));
    // Stripped whatever the build type: no symbol table and no debugging information, whether
    // or not the build made any.
    const QByteArray program = installed.readAll();
    EXPECT_FALSE(program.contains(".symtab"));
    EXPECT_FALSE(program.contains(".debug_info"));
    EXPECT_LE(program.size(), built.size());
    QProcess version;
    version.start(installed.fileName(), {"--version"});
    ASSERT_TRUE(version.waitForFinished(10000));
    EXPECT_TRUE(version.readAllStandardOutput().startsWith("quillpost-cli "));
}

} // namespace
