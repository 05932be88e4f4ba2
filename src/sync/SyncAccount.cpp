// A database's server account: saving, removing, opening its source.
#include "sync/SyncAccount.h"

#include "store/RssDatabase.h"

namespace {

QString UnknownKind(const QString& kind) {
    return QStringLiteral("this program does not know servers of the kind %1").arg(kind);
}

} // namespace

CSyncAccount::CSyncAccount(CRssDatabase& db) : db_(db) {}

CAccountSecret CSyncAccount::SecretOf(const CAccountRecord& account) const {
    return CAccountSecret(db_.DatabasePath(), account.Url, account.UserName);
}

bool CSyncAccount::Check(const CAccountRecord& account, const QString& password, QString& message) {
    const auto source = MakeFeedSource(account, password);
    if (!source) {
        message = UnknownKind(account.Kind);
        return false;
    }
    return source->Test(message);
}

bool CSyncAccount::Keep(CAccountRecord account, const QString& password, QString& message) {
    // The same account saved again keeps its place in the server's items.
    const auto stored = db_.GetAccount();
    const bool same = stored && stored->Url == account.Url && stored->UserName == account.UserName;
    if (same)
        account.LastItemID = stored->LastItemID;
    const CAccountSecret secret = SecretOf(account);
    const auto place = secret.Store(password);
    if (!place) {
        message = QStringLiteral("cannot write the password to %1").arg(secret.FilePath());
        return false;
    }
    if (!db_.SetAccount(account)) {
        if (!same)
            secret.Remove();
        message = QStringLiteral("the database refused the account");
        return false;
    }
    // The account it replaced leaves no password behind.
    if (stored && !same)
        SecretOf(*stored).Remove();
    message = secret.PlaceText(*place);
    // Said when it happens: the user who expected the secret store learns why it was not used.
    if (*place == CAccountSecret::Place::File)
        message.prepend(QStringLiteral("No desktop secret store is running. "));
    return true;
}

bool CSyncAccount::Save(const CAccountRecord& account, const QString& password, QString& message) {
    QString answer;
    if (!Check(account, password, answer)) {
        message = answer;
        return false;
    }
    if (!Keep(account, password, message))
        return false;
    message = answer + u'\n' + message;
    return true;
}

bool CSyncAccount::Remove(QString& message) {
    const auto account = db_.GetAccount();
    if (!account) {
        message = QStringLiteral("the database has no account");
        return false;
    }
    if (!db_.DeleteAccount()) {
        message = QStringLiteral("the database refused to forget the account");
        return false;
    }
    SecretOf(*account).Remove();
    message = QStringLiteral("The account is removed; its feeds stay, downloaded from their sites "
                             "from now on.");
    return true;
}

std::unique_ptr<IFeedSource> CSyncAccount::Source(QString& message) {
    const auto account = db_.GetAccount();
    if (!account) {
        message = QStringLiteral("the database has no account; add one with: quillpost-cli "
                                 "account add ttrss URL --user NAME --password-file FILE");
        return nullptr;
    }
    const auto password = StoredPassword();
    if (!password) {
        message = QStringLiteral("the account's password is missing; add the account again");
        return nullptr;
    }
    auto source = MakeFeedSource(*account, password->text);
    if (!source)
        message = UnknownKind(account->Kind);
    return source;
}

std::optional<CAccountSecret::Password> CSyncAccount::StoredPassword() {
    const auto account = db_.GetAccount();
    return account ? SecretOf(*account).Load() : std::nullopt;
}

QString CSyncAccount::PasswordPlace() {
    const auto account = db_.GetAccount();
    if (!account)
        return {};
    const CAccountSecret secret = SecretOf(*account);
    const auto password = secret.Load();
    return password ? secret.PlaceText(password->place)
                    : QStringLiteral("The account's password is missing.");
}

QString CSyncAccount::Summary(const SyncReport& report) {
    return QStringLiteral("%1 feeds added, %2 removed, %3 new items, %4 changes sent")
        .arg(report.feedsAdded)
        .arg(report.feedsRemoved)
        .arg(report.itemsAdded)
        .arg(report.changesSent);
}
