// quillpost-cli: the headless front end's application object.

#pragma once

#include "app/UserCommands.h"
#include "cli/Arguments.h"
#include "store/RssDatabase.h"

#include <QJsonValue>
#include <QStringList>
#include <memory>

// quillpost-cli: the headless front end over the same core, configuration and database as the
// desktop program.
class CCliApplication {
public:
    enum ExitStatus { Success = 0, Failed = 1, UsageError = 2, Interrupted = 130 };

    int Run(const QStringList& arguments);

public:
    // One command as the parser, the help, the manual page and the completions see it: its
    // name ("view add"), its positional arguments, its options and what it does.
    struct Command {
        const char* name;
        const char* arguments;
        std::vector<COptionSpec> options;
        const char* summary;
        bool needsDatabase = true;
        bool json = false;
        int (CCliApplication::*run)(const CArguments&) = nullptr;
        // Checks that the options alone can make (two that exclude each other); empty when
        // they fit.
        QString (*check)(const CArguments&) = nullptr;
    };
    static const std::vector<Command>& Commands();

private:
    int Fail(const QString& message, int status = Failed) const;
    // The exit status of a shared command: a No fails quietly, a failure says `failure`.
    int Finish(CommandOutcome outcome, const QString& failure) const;
    int Usage(const QString& message, const Command* command = nullptr) const;
    bool OpenDatabase();
    int RunChecked(const Command& command, const CArguments& arguments);
    int RunCommand(const Command& command, const CArguments& arguments);
    QString DatabasePath() const;
    void Print(const QString& text) const;
    void PrintJson(const QJsonValue& value) const;
    void PrintTable(const QStringList& headers, const QList<QStringList>& rows) const;
    // Runs a download run through the progress model, printing its rows; Ctrl-C cancels.
    int RunDownloads(int kind, qint32 id);
    // Answers the Busy Notice of a run another process has going; true when none is going.
    bool NoRunElsewhere();

    int Version(const CArguments& arguments);
    int Init(const CArguments& arguments);
    int Add(const CArguments& arguments);
    int Subscribe(const CArguments& arguments);
    int Resubscribe(const CArguments& arguments);
    int Unsubscribe(const CArguments& arguments);
    int Update(const CArguments& arguments);
    int Audio(const CArguments& arguments);
    int Unread(const CArguments& arguments);
    int Views(const CArguments& arguments);
    int Feeds(const CArguments& arguments);
    int Items(const CArguments& arguments);
    int Subscriptions(const CArguments& arguments);
    int Show(const CArguments& arguments);
    int Mark(const CArguments& arguments);
    int Search(const CArguments& arguments);
    int Rebuild(const CArguments& arguments);
    int WhatsNew(const CArguments& arguments);
    int ExportOpml(const CArguments& arguments);
    int Backup(const CArguments& arguments);
    int Snapshot(const CArguments& arguments);
    int Restore(const CArguments& arguments);
    int Purge(const CArguments& arguments);
    int Compact(const CArguments& arguments);
    int ConfigGet(const CArguments& arguments);
    int ConfigSet(const CArguments& arguments);
    int ConfigList(const CArguments& arguments);
    int ReloadIfDue(const CArguments& arguments);
    int AccountAdd(const CArguments& arguments);
    int AccountShow(const CArguments& arguments);
    int AccountRemove(const CArguments& arguments);
    int AccountSubscribe(const CArguments& arguments);
    int Sync(const CArguments& arguments);
    // The database's account as a source; none, with `message` saying why, when it has none.
    int SyncAccount();
    int WithAccountSync(int downloads);
    int ViewAdd(const CArguments& arguments);
    int ViewSet(const CArguments& arguments);
    int ViewShow(const CArguments& arguments);
    int ViewDelete(const CArguments& arguments);
    int FeedShow(const CArguments& arguments);
    int FeedSet(const CArguments& arguments);
    int FeedEnable(const CArguments& arguments);
    int FeedDisable(const CArguments& arguments);
    int FeedPurge(const CArguments& arguments);
    int FeedDelete(const CArguments& arguments);
    int ItemKeywords(const CArguments& arguments);
    int MappingShow(const CArguments& arguments);
    int MappingSet(const CArguments& arguments);
    // Named values of a record: "name: value" lines, or one JSON object.
    void PrintFields(const QList<std::pair<QString, QJsonValue>>& fields) const;

    void PrintItems();

    QString databaseOption_;
    bool answerYes_ = false;
    bool json_ = false;
    std::unique_ptr<CRssDatabase> db_;
};
