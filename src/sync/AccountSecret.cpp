// Where an account's password is kept when no secret store is asked: a file the user alone reads.
#include "sync/AccountSecret.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

CAccountSecret::CAccountSecret(const QString& databasePath, const QString& url,
                               const QString& user) {
    const QByteArray owner =
        (QFileInfo(databasePath).absoluteFilePath() + u'\n' + url + u'\n' + user).toUtf8();
    path_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/Oxbowfield/accounts/") +
            QString::fromLatin1(
                QCryptographicHash::hash(owner, QCryptographicHash::Sha256).toHex().left(32)) +
            QStringLiteral(".password");
}

bool CAccountSecret::Store(const QString& password) const {
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return false;
    QSaveFile file(path_);
    // The permissions are set before a byte of the password is written.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return false;
    file.write(password.toUtf8());
    return file.commit() && QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
}

std::optional<QString> CAccountSecret::Load() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

void CAccountSecret::Remove() const {
    QFile::remove(path_);
}
