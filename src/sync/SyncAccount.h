// A database's server account as both programs handle it.
#pragma once

#include "sync/AccountSecret.h"
#include "sync/FeedSource.h"

#include <QString>
#include <memory>
#include <optional>

class CRssDatabase;

// A database's server account as both programs handle it: saved only when the server takes
// it, removed with its password, and its source opened with the stored password.
class CSyncAccount {
public:
    explicit CSyncAccount(CRssDatabase& db);

    // Logs in: true when the server takes the account, `message` saying what it answered or
    // why not. Touches no database, so that a dialog can run it off its thread.
    static bool Check(const CAccountRecord& account, const QString& password, QString& message);
    // Stores the account and its password; `message` says where the password went, or why
    // nothing was stored.
    bool Keep(CAccountRecord account, const QString& password, QString& message);
    // Check, then Keep: nothing is stored for an account the server does not take.
    bool Save(const CAccountRecord& account, const QString& password, QString& message);
    // The account and its password; its feeds stay, downloaded from their sites from then on.
    bool Remove(QString& message);
    // The account's source with its stored password; none with `message` saying why.
    std::unique_ptr<IFeedSource> Source(QString& message);
    // The account's stored password; none without an account or password.
    std::optional<CAccountSecret::Password> StoredPassword();
    // Where the account's password is, in a sentence for the user; empty without an account.
    QString PasswordPlace();

    // What a sync did, in a sentence.
    static QString Summary(const SyncReport& report);

private:
    CAccountSecret SecretOf(const CAccountRecord& account) const;

    CRssDatabase& db_;
};
