#pragma once

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

private:
    struct Command {
        const char* name;
        const char* usage;
        bool needsDatabase;
        int (CCliApplication::*run)(const QStringList&);
    };
    static const std::vector<Command>& Commands();
    static QString UsageText();

    int Fail(const QString& message, int status = Failed) const;
    int Usage(const QString& message) const;
    bool OpenDatabase();
    int RunCommand(const Command& command, const QStringList& words);
    QString DatabasePath() const;
    void Print(const QString& text) const;
    void PrintJson(const QJsonValue& value) const;
    void PrintTable(const QStringList& headers, const QList<QStringList>& rows) const;
    bool ParseId(const QString& text, qint32& id) const;
    // Runs a download run through the progress model, printing its rows; Ctrl-C cancels.
    int RunDownloads(int kind, qint32 id);

    int Init(const QStringList& words);
    int Add(const QStringList& words);
    int Subscribe(const QStringList& words);
    int Resubscribe(const QStringList& words);
    int Unsubscribe(const QStringList& words);
    int Update(const QStringList& words);
    int Audio(const QStringList& words);
    int Views(const QStringList& words);
    int Feeds(const QStringList& words);
    int Items(const QStringList& words);
    int Subscriptions(const QStringList& words);
    int Show(const QStringList& words);
    int Mark(const QStringList& words);
    int Search(const QStringList& words);
    int Rebuild(const QStringList& words);
    int WhatsNew(const QStringList& words);
    int ExportOpml(const QStringList& words);
    int Backup(const QStringList& words);
    int Restore(const QStringList& words);
    int Purge(const QStringList& words);
    int Compact(const QStringList& words);
    int Config(const QStringList& words);
    int ConfigList();
    int ReloadIfDue(const QStringList& words);
    int View(const QStringList& words);
    int Feed(const QStringList& words);
    int Item(const QStringList& words);
    int Mapping(const QStringList& words);
    // Named values of a record: "name: value" lines, or one JSON object.
    void PrintFields(const QList<std::pair<QString, QJsonValue>>& fields) const;

    void PrintItems();

    QString databaseOption_;
    bool answerYes_ = false;
    bool json_ = false;
    std::unique_ptr<CRssDatabase> db_;
};
