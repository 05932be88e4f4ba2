// Where an account's password is kept: the desktop's secret store, else a file the user alone
// reads.
#pragma once

#include <QString>
#include <optional>

// Where an account's password is kept: the desktop's secret store (the Secret Service of GNOME
// or KDE's wallet, through QtKeychain) where one is running; where none is (a server, a
// session without D-Bus), a file in the user's configuration folder that the user alone may
// read (mode 0600, in a folder of mode 0700). Both are named after the database, server and
// user the password belongs to. A password kept in the file, by this or an earlier version,
// stays readable whatever store is running later.
class CAccountSecret {
public:
    enum class Place { SecretStore, File };
    struct Password {
        QString text;
        Place place;
    };

    CAccountSecret(const QString& databasePath, const QString& url, const QString& user);

    // Where the password went; none when neither store took it.
    std::optional<Place> Store(const QString& password) const;
    std::optional<Password> Load() const;
    void Remove() const;
    QString FilePath() const { return path_; }
    // Where the password is, in a sentence for the user.
    QString PlaceText(Place place) const;

private:
    bool StoreInFile(const QString& password) const;
    std::optional<QString> LoadFromFile() const;

    QString key_;
    QString path_;
};
