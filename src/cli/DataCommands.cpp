// Export, backup, restore, purge, compaction and the configuration store.
#include "cli/CliApplication.h"
#include "config/AppSettings.h"
#include "exchange/Backup.h"
#include "exchange/OpmlExport.h"
#include "store/Prompt.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

int CCliApplication::ExportOpml(const QStringList& words) {
    const CArguments arguments = CArguments::Parse(words, {"--view"}, {});
    if (!arguments.error.isEmpty() || arguments.positional.size() != 1)
        return Usage(arguments.error.isEmpty() ? QStringLiteral("export-opml takes one FILE")
                                               : arguments.error);
    QList<qint32> feedIDs;
    if (arguments.Has("--view")) {
        qint32 view;
        if (!ParseId(arguments.Value("--view"), view))
            return Usage(QStringLiteral("--view takes a View ID"));
        const auto members = db_->GetViewFeedIDs(view);
        if (!members)
            return Fail(QStringLiteral("there is no View %1").arg(view));
        feedIDs = *members;
    } else {
        db_->LoadFeedList(false);
        for (const CFeedRecord& feed : db_->FeedList)
            feedIDs << feed.FeedID;
    }
    return ::ExportOpml(*db_, feedIDs, arguments.positional[0]) ? Success : Failed;
}

int CCliApplication::Backup(const QStringList& words) {
    if (words.size() != 1)
        return Usage(QStringLiteral("backup takes one FILE"));
    if (!SaveBackup(*db_, words[0]))
        return Fail(QStringLiteral("Failed to create Backup file... ") + words[0]);
    CurrentPrompt().ShowMessage(QStringLiteral("A Quillpost Backup file has been created...\n") +
                                    words[0],
                                QStringLiteral("Backup Created"));
    return Success;
}

int CCliApplication::Restore(const QStringList& words) {
    if (words.size() != 1)
        return Usage(QStringLiteral("restore takes one FILE"));
    if (!ImportBackup(*db_, words[0]))
        return Fail(QStringLiteral("Could not Import data from Backup file...") + words[0]);
    CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    return Success;
}

int CCliApplication::Purge(const QStringList& words) {
    const CArguments arguments = CArguments::Parse(words, {"--feed"}, {});
    if (!arguments.error.isEmpty() || !arguments.positional.isEmpty())
        return Usage(arguments.error.isEmpty() ? QStringLiteral("purge takes only --feed ID")
                                               : arguments.error);
    IPrompt& prompt = CurrentPrompt();
    if (arguments.Has("--feed")) {
        qint32 feed;
        if (!ParseId(arguments.Value("--feed"), feed))
            return Usage(QStringLiteral("--feed takes a feed ID"));
        if (!db_->GetFeed(feed))
            return Fail(QStringLiteral("there is no feed %1").arg(feed));
        if (!prompt.AskYesNo(QStringLiteral("Are you sure you want to purge Item data associated "
                                            "with the selected Feed?"),
                             QStringLiteral("Confirm Delete")))
            return Failed;
        return db_->PurgeFeedData(feed) && db_->SetFeedStatus(feed, 2)
                   ? Success
                   : Fail(QStringLiteral("the feed was not purged"));
    }
    if (!prompt.AskYesNo(QStringLiteral("This will Purge all old Feed data from the database.\n\n"
                                        "It will not delete your Feeds, but will simply remove "
                                        "all currently cached content data.\n\nDo you want to "
                                        "continue?"),
                         QStringLiteral("Confirm")))
        return Failed;
    SaveBackup(*db_, TheAppSettings().installFolder + QStringLiteral("/rssAutoBAK.qpbk"));
    if (!db_->PurgeAllData())
        return Fail(QStringLiteral("the database was not purged"));
    CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    return Success;
}

int CCliApplication::Compact(const QStringList& words) {
    if (!words.isEmpty())
        return Usage(QStringLiteral("compact takes no arguments"));
    return db_->CompactDatabase() ? Success
                                  : Fail(QStringLiteral("the database was not compacted"));
}

int CCliApplication::Config(const QStringList& words) {
    if (words.size() == 1 && words[0] == u"list")
        return ConfigList();
    if (words.isEmpty() || (words[0] == u"get" && words.size() != 2) ||
        (words[0] == u"set" && words.size() != 3) || (words[0] != u"get" && words[0] != u"set"))
        return Usage(QStringLiteral(
            "config get SECTION\\KEY, config set SECTION\\KEY VALUE or config list"));
    const qsizetype slash = words[1].lastIndexOf(u'\\');
    if (slash <= 0 || slash == words[1].size() - 1)
        return Usage(QStringLiteral("a key is written SECTION\\KEY"));
    const QString section = words[1].left(slash), key = words[1].mid(slash + 1);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const IntKey* intKey = FindIntKey(section, key);
    const StringKey* stringKey = FindStringKey(section, key);
    if (words[0] == u"get") {
        Print(intKey      ? QString::number(store.Read(*intKey))
              : stringKey ? store.Read(*stringKey)
                          : store.ReadString(section, key, QString()));
        return Success;
    }
    if (!intKey && !stringKey && !FieldMapKey::IsFieldMapKey(section, key))
        return Fail(
            QStringLiteral("there is no key %1 (see quillpost-cli config list)").arg(words[1]),
            UsageError);
    if (intKey) {
        bool ok = false;
        const int value = words[2].toInt(&ok);
        if (!ok)
            return Usage(words[1] + QStringLiteral(" takes a whole number"));
        store.Write(*intKey, value);
    } else {
        store.WriteString(section, key, words[2]);
    }
    return Success;
}

// Every key of the store with its value and its default, by section.
int CCliApplication::ConfigList() {
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
