// Where an account's password is kept: the desktop's secret store, else a file the user alone
// reads.
#include "sync/AccountSecret.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <qt6keychain/keychain.h>

namespace {

// Runs a secret store job to its end. QtKeychain answers through the event loop, which only a
// program with an application object has; without one there is no secret store to ask.
bool RunJob(QKeychain::Job& job) {
    if (!QCoreApplication::instance())
        return false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return job.error() == QKeychain::NoError;
}

// The service the secret store files the passwords under.
const QString Service = QStringLiteral("Quillpost");

} // namespace

CAccountSecret::CAccountSecret(const QString& databasePath, const QString& url,
                               const QString& user) {
    const QString database = QFileInfo(databasePath).absoluteFilePath();
    // The key names its account readably, for the user who looks in the secret store.
    key_ = QStringLiteral("%1 at %2 for %3").arg(user, url, database);
    const QByteArray owner = (database + u'\n' + url + u'\n' + user).toUtf8();
    path_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/Oxbowfield/accounts/") +
            QString::fromLatin1(
                QCryptographicHash::hash(owner, QCryptographicHash::Sha256).toHex().left(32)) +
            QStringLiteral(".password");
}

std::optional<CAccountSecret::Place> CAccountSecret::Store(const QString& password) const {
    QKeychain::WritePasswordJob job(Service);
    job.setKey(key_);
    job.setTextData(password);
    if (RunJob(job)) {
        // No copy stays on disk once the secret store holds the password.
        QFile::remove(path_);
        return Place::SecretStore;
    }
    if (StoreInFile(password))
        return Place::File;
    return std::nullopt;
}

std::optional<CAccountSecret::Password> CAccountSecret::Load() const {
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(key_);
    if (RunJob(job))
        return Password{job.textData(), Place::SecretStore};
    if (const auto text = LoadFromFile())
        return Password{*text, Place::File};
    return std::nullopt;
}

void CAccountSecret::Remove() const {
    QKeychain::DeletePasswordJob job(Service);
    job.setKey(key_);
    RunJob(job);
    QFile::remove(path_);
}

QString CAccountSecret::PlaceText(Place place) const {
    if (place == Place::SecretStore)
        return QStringLiteral("The password is kept in the desktop's secret store.");
    return QStringLiteral("The password is kept in %1, which you alone can read.").arg(path_);
}

bool CAccountSecret::StoreInFile(const QString& password) const {
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

std::optional<QString> CAccountSecret::LoadFromFile() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}
