// Export, backup, restore, purge, compaction and the configuration store.
#include "cli/CliApplication.h"
#include "config/AppSettings.h"
#include "exchange/Backup.h"
#include "exchange/OpmlExport.h"
#include "store/Prompt.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryFile>
#include <algorithm>
#include <memory>

namespace {

// Standard input kept in a temporary file, for the readers that take a file.
std::unique_ptr<QTemporaryFile> StdinToFile() {
    auto file = std::make_unique<QTemporaryFile>();
    QFile input;
    if (!file->open() || !input.open(stdin, QIODevice::ReadOnly) ||
        file->write(input.readAll()) < 0 || !file->flush())
        return nullptr;
    return file;
}

bool CopyToStdout(const QString& path) {
    QFile file(path), output;
    return file.open(QIODevice::ReadOnly) && output.open(stdout, QIODevice::WriteOnly) &&
           output.write(file.readAll()) == file.size() && output.flush();
}

// A snapshot is an SQLite file; anything else is taken for a backup file.
bool IsSnapshot(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

} // namespace

int CCliApplication::ExportOpml(const CArguments& arguments) {
    QList<qint32> feedIDs;
    if (arguments.Has("--view")) {
        const qint32 view = arguments.Value("--view").toInt();
        const auto members = db_->GetViewFeedIDs(view);
        if (!members)
            return Fail(QStringLiteral("there is no View %1").arg(view));
        feedIDs = *members;
    } else {
        db_->LoadFeedList(false);
        for (const CFeedRecord& feed : db_->FeedList)
            feedIDs << feed.FeedID;
    }
    const QString path = arguments.positional[0];
    if (path != u"-")
        return ::ExportOpml(*db_, feedIDs, path) ? Success : Failed;
    // Standard output carries the document alone: the "saved to" message would name the
    // temporary file.
    QTemporaryFile file;
    if (!file.open())
        return Fail(QStringLiteral("no temporary file for the export"));
    IPrompt* prompt = &CurrentPrompt();
    InstallPrompt(nullptr);
    const bool exported = ::ExportOpml(*db_, feedIDs, file.fileName());
    InstallPrompt(prompt);
    return exported && CopyToStdout(file.fileName())
               ? Success
               : Fail(QStringLiteral("Could not Save Subscription File"));
}

int CCliApplication::Backup(const CArguments& arguments) {
    const QString path = arguments.positional[0];
    if (!SaveBackup(*db_, path))
        return Fail(QStringLiteral("Failed to create Backup file... ") + path);
    CurrentPrompt().ShowMessage(QStringLiteral("A Quillpost Backup file has been created...\n") +
                                    path,
                                QStringLiteral("Backup Created"));
    return Success;
}

int CCliApplication::Snapshot(const CArguments& arguments) {
    return db_->SnapshotDatabase(arguments.positional[0])
               ? Success
               : Fail(QStringLiteral("the snapshot %1 was not written")
                          .arg(arguments.positional[0]));
}

int CCliApplication::Restore(const CArguments& arguments) {
    QString path = arguments.positional[0];
    std::unique_ptr<QTemporaryFile> input;
    if (path == u"-") {
        if (!(input = StdinToFile()))
            return Fail(QStringLiteral("standard input could not be read"));
        path = input->fileName();
    }
    if (IsSnapshot(path)) {
        if (!CurrentPrompt().AskYesNo(
                QStringLiteral("The snapshot replaces everything in the database %1: feeds, "
                               "items, Views and subscriptions. Do you want to continue?")
                    .arg(db_->DatabasePath()),
                QStringLiteral("Restore Snapshot")))
            return Failed;
        if (!db_->RestoreSnapshot(path))
            return Fail(QStringLiteral("%1 is not a snapshot of a Quillpost database")
                            .arg(arguments.positional[0]));
    } else if (!ImportBackup(*db_, path)) {
        return Fail(QStringLiteral("Could not Import data from Backup file...") +
                    arguments.positional[0]);
    }
    CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    return Success;
}

int CCliApplication::Purge(const CArguments& arguments) {
    if (arguments.Has("--feed")) {
        const qint32 feed = arguments.Value("--feed").toInt();
        if (!db_->GetFeed(feed))
            return Fail(QStringLiteral("there is no feed %1").arg(feed));
        return Finish(PurgeFeedCommand(*db_, feed), QStringLiteral("the feed was not purged"));
    }
    return Finish(PurgeDatabaseCommand(*db_, TheAppSettings().installFolder +
                                                 QStringLiteral("/rssAutoBAK.qpbk")),
                  QStringLiteral("the database was not purged"));
}

int CCliApplication::Compact(const CArguments&) {
    return db_->CompactDatabase() ? Success
                                  : Fail(QStringLiteral("the database was not compacted"));
}

int CCliApplication::ConfigGet(const CArguments& arguments) {
    const QString& name = arguments.positional[0];
    const qsizetype slash = name.lastIndexOf(u'\\');
    const QString section = name.left(slash), key = name.mid(slash + 1);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const IntKey* intKey = FindIntKey(section, key);
    const StringKey* stringKey = FindStringKey(section, key);
    Print(intKey      ? QString::number(store.Read(*intKey))
          : stringKey ? store.Read(*stringKey)
                      : store.ReadString(section, key, QString()));
    return Success;
}

// The key and its value were checked with the arguments.
int CCliApplication::ConfigSet(const CArguments& arguments) {
    const QString& name = arguments.positional[0];
    const qsizetype slash = name.lastIndexOf(u'\\');
    const QString section = name.left(slash), key = name.mid(slash + 1);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    if (const IntKey* intKey = FindIntKey(section, key))
        store.Write(*intKey, arguments.positional[1].toInt());
    else
        store.WriteString(section, key, arguments.positional[1]);
    return Success;
}

// Every key of the store with its value and its default, by section.
int CCliApplication::ConfigList(const CArguments&) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    QList<QStringList> rows;
    for (const IntKey* key : AllIntKeys())
        rows << QStringList{QString::fromLatin1(key->section) + u'\\' + QLatin1String(key->key),
                            QString::number(store.Read(*key)),
                            QString::number(key->runtimeDefault)};
    for (const StringKey* key : AllStringKeys())
        rows << QStringList{QString::fromLatin1(key->section) + u'\\' + QLatin1String(key->key),
                            store.Read(*key), QString::fromUtf8(key->runtimeDefault)};
    std::stable_sort(rows.begin(), rows.end(), [](const QStringList& a, const QStringList& b) {
        return a[0].section(u'\\', 0, 0) < b[0].section(u'\\', 0, 0);
    });
    if (!json_) {
        PrintTable({"KEY", "VALUE", "DEFAULT"}, rows);
        return Success;
    }
    QJsonArray array;
    for (const QStringList& row : rows)
        array.append(QJsonObject{{"key", row[0]}, {"value", row[1]}, {"default", row[2]}});
    PrintJson(array);
    return Success;
}
