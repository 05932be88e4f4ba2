// The server account a database syncs with: adding, showing and removing it, and the sync.
#include "cli/CliApplication.h"
#include "sync/AccountSecret.h"
#include "sync/FeedSource.h"

#include <QFile>

namespace {

CAccountSecret SecretOf(const CRssDatabase& db, const CAccountRecord& account) {
    return CAccountSecret(db.DatabasePath(), account.Url, account.UserName);
}

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
    CAccountRecord account{arguments.positional[0], arguments.positional[1],
                           arguments.Value("--user"), 0};
    // Nothing is stored for an account the server does not take.
    QString message;
    if (!MakeFeedSource(account, *password)->Test(message))
        return Fail(message);
    if (const auto stored = db_->GetAccount();
        stored && stored->Url == account.Url && stored->UserName == account.UserName)
        account.LastItemID = stored->LastItemID;
    const CAccountSecret secret = SecretOf(*db_, account);
    if (!secret.Store(*password))
        return Fail(QStringLiteral("cannot write the password to %1").arg(secret.FilePath()));
    if (!db_->SetAccount(account)) {
        secret.Remove();
        return Fail(QStringLiteral("the database refused the account"));
    }
    Print(message);
    Print(QStringLiteral("No desktop secret store is used: the password is kept in %1, which "
                         "you alone can read.")
              .arg(secret.FilePath()));
    Print(QStringLiteral("Run \"quillpost-cli sync\" to bring in the account's feeds."));
    return Success;
}

int CCliApplication::AccountShow(const CArguments&) {
    const auto account = db_->GetAccount();
    if (!account)
        return Fail(QStringLiteral("the database has no account"));
    const int pending = int(db_->PendingAccountChanges().size());
    const int feeds = int(db_->AccountFeeds().size());
    const QString passwordFile = SecretOf(*db_, *account).FilePath();
    PrintTable({QStringLiteral("Field"), QStringLiteral("Value")},
               {{QStringLiteral("Kind"), account->Kind},
                {QStringLiteral("URL"), account->Url},
                {QStringLiteral("User"), account->UserName},
                {QStringLiteral("Feeds"), QString::number(feeds)},
                {QStringLiteral("Changes to send"), QString::number(pending)},
                {QStringLiteral("Password file"), passwordFile}});
    return Success;
}

int CCliApplication::AccountRemove(const CArguments&) {
    const auto account = db_->GetAccount();
    if (!account)
        return Fail(QStringLiteral("the database has no account"));
    if (!db_->DeleteAccount())
        return Fail(QStringLiteral("the database refused to forget the account"));
    SecretOf(*db_, *account).Remove();
    Print(QStringLiteral("The account is removed; its feeds stay, downloaded from their sites "
                         "from now on."));
    return Success;
}

std::unique_ptr<IFeedSource> CCliApplication::AccountSource(QString& message) {
    const auto account = db_->GetAccount();
    if (!account) {
        message = QStringLiteral("the database has no account; add one with: quillpost-cli "
                                 "account add ttrss URL --user NAME --password-file FILE");
        return nullptr;
    }
    const auto password = SecretOf(*db_, *account).Load();
    if (!password) {
        message = QStringLiteral("the account's password is missing; add the account again");
        return nullptr;
    }
    return MakeFeedSource(*account, *password);
}

int CCliApplication::AccountSubscribe(const CArguments& arguments) {
    QString message;
    auto source = AccountSource(message);
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
    auto source = AccountSource(message);
    SyncReport report;
    if (!source || !source->Sync(*db_, report, message))
        return Fail(
            QStringLiteral("sync failed: %1; local changes wait for the next sync").arg(message));
    Print(QStringLiteral("Synced: %1 feeds added, %2 removed, %3 new items, %4 changes sent.")
              .arg(report.feedsAdded)
              .arg(report.feedsRemoved)
              .arg(report.itemsAdded)
              .arg(report.changesSent));
    return Success;
}
