// The configuration store: typed reads and writes of sections and keys in an INI file.

#include "config/RegistrySettings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace {
constexpr const char* QuillpostCompany = "Oxbowfield";
constexpr const char* QuillpostApplication = "Quillpost";

QString HiveName(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                              : QStringLiteral("HKEY_CURRENT_USER");
}
} // namespace

QString FieldMapKey::Section(int mapIndex) {
    return QStringLiteral("RSSMap\\Map") + QString::number(mapIndex);
}

void CRegistrySettings::SetCompanyAndApplication(const QString& company,
                                                 const QString& application) {
    company_ = company;
    application_ = application;
    rootPath_.clear();
    opened_ = true;
}

void CRegistrySettings::SetRootPath(const QString& rootPath, RegistryHive hive) {
    rootPath_ = rootPath;
    hive_ = hive;
    opened_ = true;
}

CRegistrySettings CRegistrySettings::ForQuillpost() {
    CRegistrySettings settings;
    settings.SetCompanyAndApplication(QuillpostCompany, QuillpostApplication);
    return settings;
}

QString CRegistrySettings::FilePath() const {
    const bool ownStore = !rootPath_.isEmpty() || company_.isEmpty();
    const QString company = ownStore ? QString(QuillpostCompany) : company_;
    const QString application = ownStore ? QString(QuillpostApplication) : application_;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           company + u'/' + application + QStringLiteral(".conf");
}

namespace {

// A key "Section\Key" is the INI section [Section] with the key Key, so that a person can edit
// the file by hand: QSettings separates groups with '/' and writes a deeper path
// ("RSSMap\Map5" + "Title") as [RSSMap] Map5\Title. The keys of "General" are the file's top
// level, which QSettings writes as [General].
QString SettingsPath(QString registryPath) {
    registryPath.replace(u'\\', u'/');
    const QLatin1String general("General/");
    return registryPath.startsWith(general) ? registryPath.mid(general.size()) : registryPath;
}

// Earlier versions kept every key at the top level under its whole backslashed name
// ("Settings%5CUseCM=0" in [General]). Such keys are moved where they belong the first time the
// file is opened; a value already stored in the new form wins.
void MoveOldFormKeys(QSettings& store) {
    bool moved = false;
    for (const QString& oldKey : store.childKeys()) {
        if (!oldKey.contains(u'\\'))
            continue;
        const QString path = SettingsPath(oldKey);
        if (!store.contains(path))
            store.setValue(path, store.value(oldKey));
        store.remove(oldKey);
        moved = true;
    }
    if (moved)
        store.sync();
}

// A file holding control characters was written neither by a person nor by this program (random
// bytes, a disk fault, a binary file put in its place): it is kept aside for whoever wants to look
// at it, and the store starts afresh, instead of being read as garbage keys and rewritten. Text in
// another encoding than UTF-8 counts as a person's, not as damage.
bool IsDamaged(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        return (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == '\x7f';
    });
}

// Every read and write opens the file, so it is looked at again only when it changed.
void KeepDamagedFileAside(const QString& path) {
    static QMutex mutex;
    static QString checkedPath;
    static QDateTime checkedTime;
    static qint64 checkedSize = -1;
    QMutexLocker lock(&mutex);
    const QFileInfo info(path);
    if (!info.exists() ||
        (path == checkedPath && info.lastModified() == checkedTime && info.size() == checkedSize))
        return;
    checkedPath = path;
    checkedTime = info.lastModified();
    checkedSize = info.size();
    if (!IsDamaged(path))
        return;
    const QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (QFile::rename(path, aside))
        qWarning("The configuration file %s was damaged: it is kept as %s and the settings start "
                 "from their defaults.",
                 qPrintable(path), qPrintable(aside));
}

// One warning a key for the whole run: the key is read again and again.
void WarnOutOfRange(const RangedIntKey& ranged, const QVariant& stored) {
    static QMutex mutex;
    static QSet<const IntKey*> warned;
    QMutexLocker lock(&mutex);
    if (warned.contains(ranged.key))
        return;
    warned.insert(ranged.key);
    qWarning("The setting %s\\%s = %s is not a whole number from %d to %d; the default %d is "
             "used.",
             ranged.key->section, ranged.key->key, qPrintable(stored.toString()), ranged.minimum,
             ranged.maximum, ranged.key->runtimeDefault);
}

} // namespace

QString CRegistrySettings::OpenFile() const {
    const QString path = FilePath();
    KeepDamagedFileAside(path);
    return path;
}

QString CRegistrySettings::KeyPath(const QString& section, const QString& key) const {
    const QString prefix =
        rootPath_.isEmpty() ? QString() : HiveName(hive_) + u'\\' + rootPath_ + u'\\';
    return SettingsPath(prefix + section + u'\\' + key);
}

QVariant CRegistrySettings::ReadValue(const QString& section, const QString& key) const {
    if (!opened_)
        return {};
    QSettings store(OpenFile(), QSettings::IniFormat);
    MoveOldFormKeys(store);
    return store.value(KeyPath(section, key));
}

void CRegistrySettings::WriteValue(const QString& section, const QString& key,
                                   const QVariant& value) const {
    if (!opened_)
        return;
    QSettings store(OpenFile(), QSettings::IniFormat);
    MoveOldFormKeys(store);
    // The file is rewritten only for a real change: most writes store the value already there,
    // and a file rewritten by every command tells backups and file watchers of changes that
    // are none.
    const QString path = KeyPath(section, key);
    const QVariant stored = store.value(path);
    if (stored.isValid() && stored.toString() == value.toString())
        return;
    store.setValue(path, value);
    store.sync();
}

int CRegistrySettings::ReadInt(const QString& section, const QString& key, int defaultValue) const {
    bool isNumber = false;
    const int number = ReadValue(section, key).toInt(&isNumber);
    return isNumber ? number : defaultValue;
}

QString CRegistrySettings::ReadString(const QString& section, const QString& key,
                                      const QString& defaultValue) const {
    const QVariant value = ReadValue(section, key);
    return value.isValid() ? value.toString() : defaultValue;
}

void CRegistrySettings::WriteInt(const QString& section, const QString& key, int value) const {
    WriteValue(section, key, value);
}

void CRegistrySettings::WriteString(const QString& section, const QString& key,
                                    const QString& value) const {
    WriteValue(section, key, value);
}

int CRegistrySettings::Read(const IntKey& key) const {
    const QVariant stored = ReadValue(key.section, key.key);
    if (!stored.isValid())
        return key.runtimeDefault;
    bool isNumber = false;
    const int number = stored.toInt(&isNumber);
    const RangedIntKey* ranged = FindRangedKey(key);
    if (isNumber && (!ranged || ranged->Allows(number)))
        return number;
    if (ranged)
        WarnOutOfRange(*ranged, stored);
    return key.runtimeDefault;
}

QString CRegistrySettings::Read(const StringKey& key) const {
    return ReadString(key.section, key.key, key.runtimeDefault);
}

void CRegistrySettings::Write(const IntKey& key, int value) const {
    WriteInt(key.section, key.key, value);
}

void CRegistrySettings::Write(const StringKey& key, const QString& value) const {
    WriteString(key.section, key.key, value);
}
