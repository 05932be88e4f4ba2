// The server account a database syncs with: adding, showing and removing it, and the sync.
#include "cli/CliApplication.h"
#include "sync/SyncAccount.h"

#include <QFile>

namespace {

// The password file's first line; a trailing line break is no part of a password.
std::optional<QString> ReadPasswordFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString password = QString::fromUtf8(file.readAll());
    return password.section(u'\n', 0, 0).remove(u'\r');
}

} // namespace

QString AccountAddCheck(const CArguments& arguments) {
    if (!IsKnownAccountKind(arguments.positional[0]))
        return QStringLiteral("KIND is ttrss (Tiny Tiny RSS)");
    if (!arguments.Has("--user") || !arguments.Has("--password-file"))
        return QStringLiteral("account add needs --user and --password-file");
    return {};
}

int CCliApplication::AccountAdd(const CArguments& arguments) {
    const auto password = ReadPasswordFile(arguments.Value("--password-file"));
    if (!password)
        return Fail(QStringLiteral("cannot read %1").arg(arguments.Value("--password-file")));
    const CAccountRecord account{arguments.positional[0], arguments.positional[1],
                                 arguments.Value("--user"), 0};
    QString message;
    if (!CSyncAccount(*db_).Save(account, *password, message))
        return Fail(message);
    Print(message);
    Print(QStringLiteral("Run \"quillpost-cli sync\" to bring in the account's feeds."));
    return Success;
}

int CCliApplication::AccountShow(const CArguments&) {
    const auto account = db_->GetAccount();
    if (!account)
        return Fail(QStringLiteral("the database has no account"));
    const int pending = int(db_->PendingAccountChanges().size());
    const int feeds = int(db_->AccountFeeds().size());
    PrintTable({QStringLiteral("Field"), QStringLiteral("Value")},
               {{QStringLiteral("Kind"), account->Kind},
                {QStringLiteral("URL"), account->Url},
                {QStringLiteral("User"), account->UserName},
                {QStringLiteral("Feeds"), QString::number(feeds)},
                {QStringLiteral("Changes to send"), QString::number(pending)},
                {QStringLiteral("Password"), CSyncAccount(*db_).PasswordPlace()}});
    return Success;
}

int CCliApplication::AccountRemove(const CArguments&) {
    QString message;
    if (!CSyncAccount(*db_).Remove(message))
        return Fail(message);
    Print(message);
    return Success;
}

int CCliApplication::AccountSubscribe(const CArguments& arguments) {
    QString message;
    auto source = CSyncAccount(*db_).Source(message);
    if (!source || !source->Subscribe(arguments.positional[0], message))
        return Fail(message);
    Print(message);
    return SyncAccount();
}

int CCliApplication::Sync(const CArguments&) {
    return SyncAccount();
}

int CCliApplication::SyncAccount() {
    QString message;
    auto source = CSyncAccount(*db_).Source(message);
    SyncReport report;
    if (!source || !source->Sync(*db_, report, message))
        return Fail(
            QStringLiteral("sync failed: %1; local changes wait for the next sync").arg(message));
    Print(QStringLiteral("Synced: %1.").arg(CSyncAccount::Summary(report)));
    return Success;
}
