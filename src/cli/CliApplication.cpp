#include "cli/CliApplication.h"

#include "app/FirstUse.h"
#include "cli/CliPrompt.h"
#include "config/AppSettings.h"
#include "net/HttpDownloader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cstdio>

namespace {
QString LockedMessage(const QString& path) {
    return QStringLiteral("the database %1 is locked by another process (a download may be "
                          "running); try again later")
        .arg(path);
}
} // namespace

const std::vector<CCliApplication::Command>& CCliApplication::Commands() {
    static const std::vector<Command> commands = {
        {"init", "init", false, &CCliApplication::Init},
        {"add",
         "add URL [--later] [--view ID]... [--priority N] [--read-after S] [--max-items N] "
         "[--extended-data on|off] [--audio on|off]",
         true, &CCliApplication::Add},
        {"subscribe", "subscribe URL-or-FILE [--title TITLE]", true, &CCliApplication::Subscribe},
        {"resubscribe", "resubscribe ID", true, &CCliApplication::Resubscribe},
        {"unsubscribe", "unsubscribe ID", true, &CCliApplication::Unsubscribe},
        {"update", "update [--feed ID | --view ID]", true, &CCliApplication::Update},
        {"audio", "audio", true, &CCliApplication::Audio},
        {"views", "views", true, &CCliApplication::Views},
        {"feeds", "feeds [--view ID]", true, &CCliApplication::Feeds},
        {"items", "items (--view ID | --feed ID)", true, &CCliApplication::Items},
        {"subscriptions", "subscriptions", true, &CCliApplication::Subscriptions},
        {"show", "show ITEM [--extended]", true, &CCliApplication::Show},
        {"mark", "mark ITEM read|unread|lock|unlock", true, &CCliApplication::Mark},
        {"search", "search TEXT [--in title,keywords,text]", true, &CCliApplication::Search},
        {"rebuild", "rebuild VIEW", true, &CCliApplication::Rebuild},
        {"whats-new", "whats-new", true, &CCliApplication::WhatsNew},
        {"export-opml", "export-opml FILE [--view ID]", true, &CCliApplication::ExportOpml},
        {"backup", "backup FILE", true, &CCliApplication::Backup},
        {"restore", "restore FILE", true, &CCliApplication::Restore},
        {"purge", "purge [--feed ID]", true, &CCliApplication::Purge},
        {"compact", "compact", true, &CCliApplication::Compact},
        {"config", "config get SECTION\\KEY | config set SECTION\\KEY VALUE | config list", false,
         &CCliApplication::Config},
        {"reload-if-due", "reload-if-due", false, &CCliApplication::ReloadIfDue},
        {"view",
         "view add LABEL [options] | view set ID [options] [--label TEXT] | view show ID | "
         "view delete ID\n      options: --read-after S --hide-after D --max-items N "
         "--hide-read on|off --skip-read on|off --sort priority|feed-date|item-date "
         "--keywords TEXT --feeds ID,...",
         true, &CCliApplication::View},
        {"feed",
         "feed show ID | feed set ID [--url U] [--priority N] [--read-after S] "
         "[--max-items N] [--extended-data on|off] [--audio on|off] [--views ID,...] | "
         "feed enable|disable|purge|delete ID",
         true, &CCliApplication::Feed},
        {"item", "item keywords ID TEXT", true, &CCliApplication::Item},
        {"mapping",
         "mapping show [FORMAT] | mapping set FORMAT [--title E] [--link E] [--date E] "
         "[--content E] [--xml-children on|off]",
         false, &CCliApplication::Mapping},
    };
    return commands;
}

QString CCliApplication::UsageText() {
    QString text = QStringLiteral("usage: quillpost-cli [--db FILE] [--yes] [--json] COMMAND "
                                  "[ARGUMENTS]\n\ncommands:\n");
    for (const Command& command : Commands())
        text += QStringLiteral("  ") + QString::fromLatin1(command.usage) + u'\n';
    return text + QStringLiteral("\nThe database is --db, else General\\Database, else rss.qpdb in "
                                 "the install folder. Questions are answered No unless --yes.\n");
}

int CCliApplication::Fail(const QString& message, int status) const {
    std::fprintf(stderr, "quillpost-cli: %s\n", qPrintable(message));
    return status;
}

int CCliApplication::Usage(const QString& message) const {
    return Fail(message + QStringLiteral(" (see quillpost-cli --help)"), UsageError);
}

void CCliApplication::Print(const QString& text) const {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void CCliApplication::PrintJson(const QJsonValue& value) const {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    std::printf("%s", document.toJson(QJsonDocument::Indented).constData());
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

bool CCliApplication::ParseId(const QString& text, qint32& id) const {
    bool ok = false;
    id = text.toInt(&ok);
    return ok;
}

QString CCliApplication::DatabasePath() const {
    if (!databaseOption_.isEmpty())
        return databaseOption_;
    const QString configured = CRegistrySettings::ForQuillpost().Read(Key::Database);
    return configured.isEmpty() ? TheAppSettings().DatabasePath() : configured;
}

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
        Fail(QStringLiteral("the database %1 needs an upgrade; run again with --yes to allow it")
                 .arg(path));
        return false;
    default:
        Fail(QStringLiteral("could not open the database %1").arg(path));
        return false;
    }
}

int CCliApplication::Run(const QStringList& arguments) {
    QStringList words;
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
        else if (word == u"--help" || word == u"-h") {
            std::printf("%s", qPrintable(UsageText()));
            return Success;
        } else
            words << word;
    }
    if (words.isEmpty())
        return Usage(QStringLiteral("no command given"));
    CCliPrompt prompt(answerYes_);
    InstallPrompt(&prompt);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    TheAppSettings().Load(store);
    CHttpDownloader::BufferSize = TheAppSettings().downloadBufferBytes;
    CHttpDownloader::SkipHeaders = TheAppSettings().downloadSkipHeaders;

    const QString name = words.takeFirst();
    for (const Command& command : Commands())
        if (name == QLatin1String(command.name)) {
            if (command.needsDatabase && !OpenDatabase()) {
                InstallPrompt(nullptr);
                return Failed;
            }
            if (db_)
                db_->SetAudioFolder(TheAppSettings().audioFolder);
            const int status = RunCommand(command, words);
            db_.reset();
            InstallPrompt(nullptr);
            return status;
        }
    InstallPrompt(nullptr);
    return Usage(QStringLiteral("unknown command ") + name);
}

// A command holds the database lock from its first read to its last write, so that another
// process's change never lands between them. Those that download take it themselves once their
// document is in: a download must not keep every other process waiting.
int CCliApplication::RunCommand(const Command& command, const QStringList& words) {
    static const QSet<QString> downloading = {"add", "subscribe", "resubscribe", "update", "audio"};
    if (!db_ || downloading.contains(QLatin1String(command.name)))
        return (this->*command.run)(words);
    int status = Failed;
    if (!db_->RunExclusive([&](CAdoConnection&) {
            status = (this->*command.run)(words);
            return true;
        }))
        return Fail(LockedMessage(db_->DatabasePath()));
    return status;
}

int CCliApplication::Init(const QStringList& words) {
    if (!words.isEmpty())
        return Usage(QStringLiteral("init takes no arguments"));
    const QString path =
        databaseOption_.isEmpty() ? TheAppSettings().DatabasePath() : databaseOption_;
    // A database made at a path of its own does not replace the default one.
    const QString created = RunFirstUse(path, databaseOption_.isEmpty());
    if (created.isEmpty())
        return Fail(QStringLiteral("the database %1 was not created").arg(path));
    Print(created);
    return Success;
}
