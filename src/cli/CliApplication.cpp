// quillpost-cli's table of commands, its start-up and the dispatch to each command.

#include "cli/CliApplication.h"

#include "app/FeedWizard.h"
#include "app/FieldMapping.h"
#include "app/FirstUse.h"
#include "cli/CliPrompt.h"
#include "cli/HelpText.h"
#include "cli/TerminalColour.h"
#include "config/AppSettings.h"
#include "net/HttpDownloader.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStorageInfo>
#include <cstdio>

namespace {

using App = CCliApplication;

QString LockedMessage(const QString& path) {
    return QStringLiteral("the database %1 is locked by another process (a download may be "
                          "running); try again later")
        .arg(path);
}

const std::vector<COptionSpec>& FeedOptions() {
    static const std::vector<COptionSpec> options = {
        {"--priority", "N", "the feed's priority in a View sorted by priority", nullptr, false,
         &FeedPriorityRange},
        {"--read-after", "S", "seconds an item is shown before it becomes read",
         &MarkReadAfterChoices},
        {"--max-items", "N", "items kept of the feed (0: no limit)", &FeedMaxItemsChoices},
        {"--extended-data", "on|off", "download each item's page as well"},
        {"--audio", "on|off", "download the items' audio enclosures"},
    };
    return options;
}

std::vector<COptionSpec> ViewOptions(bool withLabel) {
    std::vector<COptionSpec> options = {
        {"--read-after", "S", "seconds an item is shown before it becomes read",
         &MarkReadAfterChoices},
        {"--hide-after", "D", "days after which items are hidden", &HideAfterChoices},
        {"--max-items", "N", "items shown (0: no limit)", nullptr, false, &ViewMaxItemsRange},
        {"--hide-read", "on|off", "hide read items"},
        {"--skip-read", "on|off", "Up and Down pass read items"},
        {"--sort", "priority|feed-date|item-date", "the order of the items"},
        {"--keywords", "TEXT", "make a keyword View of the items that hold these words"},
        {"--feeds", "ID,...", "the feeds of a group View (not with --keywords)"},
    };
    if (withLabel)
        options.push_back({"--label", "TEXT", "the View's new name"});
    return options;
}

std::vector<COptionSpec> Join(std::vector<COptionSpec> options,
                              const std::vector<COptionSpec>& more) {
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

QString OneOf(const CArguments& arguments, const char* first, const char* second) {
    return arguments.Has(first) && arguments.Has(second)
               ? QStringLiteral("%1 and %2 exclude each other").arg(first, second)
               : QString();
}

QString FeedOrView(const CArguments& arguments) {
    return OneOf(arguments, "--feed", "--view");
}

QString ExactlyFeedOrView(const CArguments& arguments) {
    return arguments.Has("--view") || arguments.Has("--feed")
               ? FeedOrView(arguments)
               : QStringLiteral("give --view ID or --feed ID");
}

// A keyword View collects its items by their words, a group View from its feeds: a View is
// one or the other.
QString KeywordsOrFeeds(const CArguments& arguments) {
    if (arguments.Has("--label") && arguments.Value("--label").trimmed().isEmpty())
        return QStringLiteral("a View needs a label");
    return arguments.Has("--keywords") && arguments.Has("--feeds")
               ? QStringLiteral("a View is either a keyword View (--keywords) or a group of "
                                "feeds (--feeds), not both")
               : QString();
}

QString ViewAddCheck(const CArguments& arguments) {
    return arguments.positional[0].trimmed().isEmpty() ? QStringLiteral("a View needs a label")
                                                       : KeywordsOrFeeds(arguments);
}

// Only web addresses are feeds: a feed added without its download would otherwise keep a file
// name or any word as its address.
QString FeedAddressCheck(const CArguments& arguments) {
    const QString& address = arguments.positional[0];
    return IsFeedAddress(address)
               ? QString()
               : QStringLiteral("%1 is not an http or https address").arg(address);
}

QString UpdateCheck(const CArguments& arguments) {
    const QString error = FeedOrView(arguments);
    return error.isEmpty() ? OneOf(arguments, "--cancel-background", "--stop-background") : error;
}

QString SearchCheck(const CArguments& arguments) {
    if (arguments.positional[0].trimmed().isEmpty())
        return QStringLiteral("search needs a text");
    if (arguments.Has("--in"))
        for (const QString& place : arguments.Value("--in").split(u','))
            if (place != u"title" && place != u"keywords" && place != u"text")
                return QStringLiteral("--in takes title, keywords and text");
    return {};
}

QString KeyCheck(const CArguments& arguments) {
    const QString& key = arguments.positional[0];
    const qsizetype slash = key.lastIndexOf(u'\\');
    return slash <= 0 || slash == key.size() - 1 ? QStringLiteral("a key is written SECTION\\KEY")
                                                 : QString();
}

// Only the keys the program knows are set, numbers only where it reads a number.
QString ConfigSetCheck(const CArguments& arguments) {
    const QString error = KeyCheck(arguments);
    if (!error.isEmpty())
        return error;
    const QString& name = arguments.positional[0];
    const qsizetype slash = name.lastIndexOf(u'\\');
    const QString section = name.left(slash), key = name.mid(slash + 1);
    const RangedIntKey* intKey = FindRangedKey(section, key);
    if (!intKey && !FindStringKey(section, key) && !FieldMapKey::IsFieldMapKey(section, key))
        return QStringLiteral("there is no key %1 (see quillpost-cli config list)").arg(name);
    if (!intKey)
        return {};
    bool ok = false;
    const int value = arguments.positional[1].toInt(&ok);
    return ok && intKey->Allows(value)
               ? QString()
               : name + QStringLiteral(" takes a whole number from %1 to %2")
                            .arg(intKey->minimum)
                            .arg(intKey->maximum);
}

QString FormatCheck(const CArguments& arguments) {
    return !arguments.positional.isEmpty() && MappingFormatIndex(arguments.positional[0]) < 0
               ? QStringLiteral("FORMAT is one of ") + MappingFormats().join(QStringLiteral(", "))
               : QString();
}

} // namespace

QString AccountAddCheck(const CArguments& arguments);

// The one description of the commands: the parser checks words against it, and the help, the
// manual page and the shell completions are printed from it.
const std::vector<CCliApplication::Command>& CCliApplication::Commands() {
    static const std::vector<Command> commands = {
        {"init",
         "",
         {},
         "create the database with the demonstration feeds (or with the earlier version's "
         "listing when scripts/sourceList.txt is in the install folder)",
         false,
         false,
         &App::Init},
        {"version", "", {}, "print the version", false, false, &App::Version},
        {"add", "URL",
         Join({{"--later", nullptr, "only add the feed; the next update downloads it"},
               {"--view", "ID", "put the feed in this View (repeatable)", nullptr, true}},
              FeedOptions()),
         "add a feed; it is downloaded and stored at once", true, false, &App::Add,
         &FeedAddressCheck},
        {"subscribe",
         "URL",
         {{"--title", "TEXT", "the subscription's name"}},
         "subscribe to a list of feeds (OPML or a listing) at an address, in a file, or - on "
         "standard input; its feeds form a View",
         true,
         false,
         &App::Subscribe},
        {"resubscribe",
         "ID",
         {},
         "read a subscription's list again",
         true,
         false,
         &App::Resubscribe},
        {"unsubscribe",
         "ID",
         {},
         "delete a subscription (asks first)",
         true,
         false,
         &App::Unsubscribe},
        {"update",
         "",
         {{"--feed", "ID", "update only this feed"},
          {"--view", "ID", "update only this View's feeds"},
          {"--cancel-background", nullptr,
           "when a background reload runs, ask it to stop after its current feed"},
          {"--stop-background", nullptr, "when a background reload runs, stop it now"}},
         "download every enabled feed; Ctrl-C cancels, a second Ctrl-C stops at once",
         true,
         false,
         &App::Update,
         &UpdateCheck},
        {"audio",
         "",
         {},
         "download the audio enclosures of the feeds that keep audio",
         true,
         false,
         &App::Audio},
        {"unread",
         "",
         {{"--view", "ID", "count this View's unread items"},
          {"--feed", "ID", "count this feed's unread items"}},
         "print the number of unread items, of every feed unless --view or --feed",
         true,
         true,
         &App::Unread,
         &FeedOrView},
        {"views", "", {}, "list the Views and their kind", true, true, &App::Views},
        {"feeds",
         "",
         {{"--view", "ID", "only this View's feeds"}},
         "list the feeds",
         true,
         true,
         &App::Feeds},
        {"items",
         "",
         {{"--view", "ID", "a View's items"}, {"--feed", "ID", "a feed's items"}},
         "list the items of a View or of a feed",
         true,
         true,
         &App::Items,
         &ExactlyFeedOrView},
        {"subscriptions", "", {}, "list the subscriptions", true, true, &App::Subscriptions},
        {"show",
         "ITEM",
         {{"--extended", nullptr, "also the text of the item's page"}},
         "read an item",
         true,
         true,
         &App::Show},
        {"mark", "ITEM read|unread|lock|unlock", {}, "mark an item", true, false, &App::Mark},
        {"search",
         "TEXT",
         {{"--in", "FIELDS", "where to look: title,keywords,text"}},
         "fill the Search Results View with the items holding TEXT and list them",
         true,
         true,
         &App::Search,
         &SearchCheck},
        {"rebuild", "VIEW", {}, "collect a keyword View's items again", true, false, &App::Rebuild},
        {"whats-new", "", {}, "collect the items of Whats New again", true, false, &App::WhatsNew},
        {"export-opml",
         "FILE",
         {{"--view", "ID", "only this View's feeds"}},
         "write the feeds as OPML to FILE, or to standard output for -",
         true,
         false,
         &App::ExportOpml},
        {"backup",
         "FILE",
         {},
         "write a backup file: the listings of the feeds, Views and subscriptions with their "
         "settings, no items",
         true,
         false,
         &App::Backup},
        {"snapshot",
         "FILE",
         {},
         "write a consistent copy of the whole database: items, their read and locked states "
         "and keywords included",
         true,
         false,
         &App::Snapshot},
        {"restore",
         "FILE",
         {},
         "add the listings of a backup file, or replace the database with a snapshot (asks "
         "first); - reads standard input",
         true,
         false,
         &App::Restore},
        {"purge",
         "",
         {{"--feed", "ID", "only this feed's items"}},
         "delete the stored items (asks first; writes a backup before)",
         true,
         false,
         &App::Purge},
        {"compact", "", {}, "compact the database file", true, false, &App::Compact},
        {"config get",
         "KEY",
         {},
         "print a key of the configuration, written SECTION\\KEY",
         false,
         false,
         &App::ConfigGet,
         &KeyCheck},
        {"config set",
         "KEY VALUE",
         {},
         "set a key of the configuration",
         false,
         false,
         &App::ConfigSet,
         &ConfigSetCheck},
        {"config list",
         "",
         {},
         "list every key with its value and its default",
         false,
         true,
         &App::ConfigList},
        {"reload-if-due",
         "",
         {},
         "run the reload the schedule says is due, else nothing (for a timer)",
         false,
         false,
         &App::ReloadIfDue},
        {"account add",
         "KIND URL",
         {{"--user", "NAME", "the user name on the server"},
          {"--password-file", "FILE", "a file whose first line is the password"}},
         "sync the database with a server account (KIND ttrss: Tiny Tiny RSS); the server "
         "must take the name and password, which goes to the desktop's secret store, else to "
         "a file that you alone can read",
         true,
         false,
         &App::AccountAdd,
         &AccountAddCheck},
        {"account show",
         "",
         {},
         "show the database's server account",
         true,
         false,
         &App::AccountShow},
        {"account remove",
         "",
         {},
         "forget the server account; its feeds stay as local feeds",
         true,
         false,
         &App::AccountRemove},
        {"account follow",
         "URL",
         {},
         "subscribe to a feed on the server, then sync",
         true,
         false,
         &App::AccountSubscribe},
        {"sync",
         "",
         {},
         "send the local read, starred and unsubscribe changes to the server account, then "
         "bring in its feeds, categories (as Views), new items and states",
         true,
         false,
         &App::Sync},
        {"view add", "LABEL", ViewOptions(false), "add a View", true, false, &App::ViewAdd,
         &ViewAddCheck},
        {"view set", "ID", ViewOptions(true), "change a View", true, false, &App::ViewSet,
         &KeywordsOrFeeds},
        {"view show", "ID", {}, "show a View's settings", true, true, &App::ViewShow},
        {"view delete", "ID", {}, "delete a View (asks first)", true, false, &App::ViewDelete},
        {"feed show", "ID", {}, "show a feed's settings", true, true, &App::FeedShow},
        {"feed set", "ID",
         Join({{"--url", "URL", "the feed's address"},
               {"--views", "ID,...", "the group Views that hold the feed"}},
              FeedOptions()),
         "change a feed", true, false, &App::FeedSet},
        {"feed enable", "ID", {}, "include a feed in updates again", true, false, &App::FeedEnable},
        {"feed disable", "ID", {}, "leave a feed out of updates", true, false, &App::FeedDisable},
        {"feed purge",
         "ID",
         {},
         "delete a feed's items (asks first)",
         true,
         false,
         &App::FeedPurge},
        {"feed delete", "ID", {}, "delete a feed (asks first)", true, false, &App::FeedDelete},
        {"item keywords", "ID TEXT", {}, "set an item's keywords", true, false, &App::ItemKeywords},
        {"mapping show",
         "[FORMAT]",
         {},
         "show the elements read for each feed format",
         false,
         true,
         &App::MappingShow,
         &FormatCheck},
        {"mapping set",
         "FORMAT",
         {{"--title", "ELEMENT", "the element read as the title"},
          {"--link", "ELEMENT", "the element read as the link"},
          {"--date", "ELEMENT", "the element read as the date"},
          {"--content", "ELEMENT", "the element read as the text"},
          {"--xml-children", "on|off", "keep the markup of the text element's children"}},
         "read other elements of a feed format",
         false,
         false,
         &App::MappingSet,
         &FormatCheck},
    };
    return commands;
}

int CCliApplication::Fail(const QString& message, int status) const {
    std::fprintf(
        stderr, "%s\n",
        qPrintable(Coloured(QStringLiteral("quillpost-cli: ") + message, Colour::Red, stderr)));
    return status;
}

int CCliApplication::Finish(CommandOutcome outcome, const QString& failure) const {
    switch (outcome) {
    case CommandOutcome::Done:
        return Success;
    case CommandOutcome::Declined:
        return Failed;
    default:
        return Fail(failure);
    }
}

int CCliApplication::Usage(const QString& message, const Command* command) const {
    const QString help = command ? QStringLiteral("quillpost-cli %1 --help").arg(command->name)
                                 : QStringLiteral("quillpost-cli --help");
    return Fail(message + QStringLiteral(" (see %1)").arg(help), UsageError);
}

void CCliApplication::Print(const QString& text) const {
    std::printf("%s\n", qPrintable(Printable(text)));
    std::fflush(stdout);
}

void CCliApplication::PrintJson(const QJsonValue& value) const {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    std::printf("%s", qPrintable(PrintableJson(document.toJson(QJsonDocument::Indented))));
}

void CCliApplication::PrintTable(const QStringList& headers, const QList<QStringList>& rows) const {
    QList<qsizetype> widths;
    for (const QString& header : headers)
        widths << header.size();
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = qMin<qsizetype>(qMax(widths[i], row[i].size()), 60);
    auto line = [&widths](const QStringList& cells) {
        QStringList padded;
        for (qsizetype i = 0; i < cells.size(); ++i)
            padded << (i + 1 < cells.size() ? cells[i].left(60).leftJustified(widths[i])
                                            : cells[i]);
        return padded.join(QStringLiteral("  "));
    };
    Print(line(headers));
    for (const QStringList& row : rows)
        Print(line(row));
}

QString CCliApplication::DatabasePath() const {
    if (!databaseOption_.isEmpty())
        return databaseOption_;
    const QString configured = CRegistrySettings::ForQuillpost().Read(Key::Database);
    return configured.isEmpty() ? TheAppSettings().DatabasePath() : configured;
}

namespace {

QString ReadOnlyMessage(const QString& path) {
    return QStringLiteral("the database %1 cannot be written (read-only file or file system); "
                          "nothing was changed")
        .arg(path);
}

// Opening a database makes room for its index of recent writes; on a full disk there is none.
bool IsDiskFull(const QString& path) {
    return QStorageInfo(QFileInfo(path).absolutePath()).bytesAvailable() < 64 * 1024;
}

// The commands that change nothing in the database, which a read-only file still serves.
bool ReadsOnly(const CCliApplication::Command& command) {
    static const QSet<QString> reading = {
        "views",       "feeds",  "items",    "subscriptions", "show",      "search",      "unread",
        "export-opml", "backup", "snapshot", "view show",     "feed show", "mapping show"};
    return reading.contains(QLatin1String(command.name));
}

} // namespace

bool CCliApplication::OpenDatabase() {
    const QString path = DatabasePath();
    if (!QFile::exists(path)) {
        Fail(QStringLiteral("no database at %1; create one with: quillpost-cli init").arg(path));
        return false;
    }
    db_ = std::make_unique<CRssDatabase>();
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    db_->UseLock = store.Read(Key::LockDatabase) != 0;
    db_->VerifyFile = store.Read(Key::VerifyDatabase) != 0;
    switch (db_->OpenDatabase(path, true)) {
    case 1:
        return true;
    case -1:
        Fail(LockedMessage(path));
        return false;
    case -2:
        Fail(QFileInfo(path).size() == 0
                 ? QStringLiteral("the database %1 is empty; run again with --yes to create a "
                                  "new database in it")
                       .arg(path)
                 : QStringLiteral("the database %1 needs an upgrade; run again with --yes to "
                                  "allow it")
                       .arg(path));
        return false;
    default:
        Fail(!QFileInfo(path).isWritable() ? ReadOnlyMessage(path)
             : IsDiskFull(path)
                 ? QStringLiteral("could not open the database %1: the disk is full").arg(path)
                 : QStringLiteral("could not open the database %1").arg(path));
        return false;
    }
}

namespace {

// Help, the manual page and the completions: printed as they are, or a usage error when empty
// (a shell the completions do not know).
int PrintText(const QString& text) {
    if (text.isEmpty()) {
        std::fprintf(stderr,
                     "quillpost-cli: nothing to print for that (see quillpost-cli --help)\n");
        return CCliApplication::UsageError;
    }
    std::printf("%s", qPrintable(text));
    return CCliApplication::Success;
}

// The command named by the first words: "view add" before "view".
const CCliApplication::Command* FindCommand(const QStringList& words, qsizetype& used) {
    for (qsizetype count : {2, 1}) {
        const QString name = words.mid(0, count).join(u' ');
        for (const CCliApplication::Command& command : CCliApplication::Commands())
            if (words.size() >= count && name == QLatin1String(command.name)) {
                used = count;
                return &command;
            }
    }
    return nullptr;
}

} // namespace

// Every word is checked before anything is read or written: a mistyped command creates no
// folder and no configuration file.
int CCliApplication::Run(const QStringList& arguments) {
    QStringList words;
    bool help = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (word == u"--db" && i + 1 < arguments.size())
            databaseOption_ = arguments[++i];
        else if (word == u"--db")
            return Usage(QStringLiteral("--db needs a file"));
        else if (word == u"--yes")
            answerYes_ = true;
        else if (word == u"--json")
            json_ = true;
        else if (word == u"--help" || word == u"-h")
            help = true;
        else if (word == u"--version")
            words.prepend(QStringLiteral("version"));
        else if (word == u"--man-page" && arguments.size() == 1)
            return PrintText(ManPage(Commands()));
        else if (word == u"--completion" && arguments.size() == 2)
            return PrintText(Completion(Commands(), arguments[1]));
        else
            words << word;
    }
    qsizetype used = 0;
    const Command* command = FindCommand(words, used);
    if (!command && help && words.size() <= 1) {
        const QString group = GroupHelp(Commands(), words.value(0));
        if (!group.isEmpty())
            return PrintText(group);
    }
    if (!command)
        return Usage(words.isEmpty() ? QStringLiteral("no command given")
                                     : QStringLiteral("unknown command ") + words.join(u' '));
    if (help)
        return PrintText(CommandHelp(*command));
    const CArguments parsed = CArguments::Parse(
        words.mid(used), QString::fromLatin1(command->arguments), command->options);
    QString error = parsed.error;
    if (error.isEmpty() && command->check)
        error = command->check(parsed);
    if (error.isEmpty() && json_ && !command->json)
        error = QStringLiteral("%1 has no JSON output; leave out --json").arg(command->name);
    const bool usesDatabase =
        command->needsDatabase || command->run == &App::Init || command->run == &App::ReloadIfDue;
    if (error.isEmpty() && !databaseOption_.isEmpty() && !usesDatabase)
        error = QStringLiteral("%1 uses no database; leave out --db").arg(command->name);
    if (!error.isEmpty())
        return Usage(error, command);
    // The version is the program's own: no setting is read for it.
    return command->run == &App::Version ? Version(parsed) : RunChecked(*command, parsed);
}

int CCliApplication::RunChecked(const Command& command, const CArguments& arguments) {
    CCliPrompt prompt(answerYes_ || arguments.Has("--stop-background"),
                      arguments.Has("--cancel-background"));
    InstallPrompt(&prompt);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    TheAppSettings().Load(store);
    CHttpDownloader::BufferSize = TheAppSettings().downloadBufferBytes;
    CHttpDownloader::SkipHeaders = TheAppSettings().downloadSkipHeaders;
    const bool runs = command.run == &App::Update || command.run == &App::Audio;
    int status = Failed;
    if ((!runs || NoRunElsewhere()) && (!command.needsDatabase || OpenDatabase())) {
        if (db_)
            db_->SetAudioFolder(TheAppSettings().audioFolder);
        // Said before anything is downloaded or asked: every change would fail.
        status = db_ && db_->IsReadOnly() && !ReadsOnly(command)
                     ? Fail(ReadOnlyMessage(db_->DatabasePath()))
                     : RunCommand(command, arguments);
    }
    db_.reset();
    InstallPrompt(nullptr);
    return status;
}

// A command holds the database lock from its first read to its last write, so that another
// process's change never lands between them. Those that download take it themselves once their
// document is in: a download must not keep every other process waiting.
int CCliApplication::RunCommand(const Command& command, const CArguments& arguments) {
    static const QSet<QString> downloading = {"add",         "subscribe",      "resubscribe",
                                              "update",      "audio",          "snapshot",
                                              "account add", "account follow", "sync"};
    if (!db_ || downloading.contains(QLatin1String(command.name)))
        return (this->*command.run)(arguments);
    int status = Failed;
    if (!db_->RunExclusive([&](CAdoConnection&) {
            status = (this->*command.run)(arguments);
            return true;
        }))
        return Fail(LockedMessage(db_->DatabasePath()));
    return status;
}

int CCliApplication::Version(const CArguments&) {
    Print(QStringLiteral("quillpost-cli " QUILLPOST_VERSION));
    return Success;
}

int CCliApplication::Init(const CArguments&) {
    const QString path =
        databaseOption_.isEmpty() ? TheAppSettings().DatabasePath() : databaseOption_;
    // A database made at a path of its own does not replace the default one.
    const QString created = RunFirstUse(
        path, databaseOption_.isEmpty(),
        QStringLiteral("Now, run \"quillpost-cli update\" to update Feed information."));
    if (created.isEmpty())
        return Fail(QStringLiteral("the database %1 was not created").arg(path));
    Print(created);
    return Success;
}
