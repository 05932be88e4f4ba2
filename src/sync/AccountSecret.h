// The file that keeps an account's password, readable by its user alone.
#pragma once

#include <QString>
#include <optional>

// Where an account's password is kept: a file in the user's configuration folder that the user
// alone may read (mode 0600, in a folder of mode 0700), named after the database, server and
// user it belongs to. No desktop secret store is asked.
class CAccountSecret {
public:
    CAccountSecret(const QString& databasePath, const QString& url, const QString& user);

    bool Store(const QString& password) const;
    std::optional<QString> Load() const;
    void Remove() const;
    QString FilePath() const { return path_; }

private:
    QString path_;
};
