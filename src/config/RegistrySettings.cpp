#include "config/RegistrySettings.h"

#include <QSettings>
#include <QStandardPaths>

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

} // namespace

QString CRegistrySettings::KeyPath(const QString& section, const QString& key) const {
    const QString prefix =
        rootPath_.isEmpty() ? QString() : HiveName(hive_) + u'\\' + rootPath_ + u'\\';
    return SettingsPath(prefix + section + u'\\' + key);
}

QVariant CRegistrySettings::ReadValue(const QString& section, const QString& key) const {
    if (!opened_)
        return {};
    QSettings store(FilePath(), QSettings::IniFormat);
    MoveOldFormKeys(store);
    return store.value(KeyPath(section, key));
}

void CRegistrySettings::WriteValue(const QString& section, const QString& key,
                                   const QVariant& value) const {
    if (!opened_)
        return;
    QSettings store(FilePath(), QSettings::IniFormat);
    MoveOldFormKeys(store);
    store.setValue(KeyPath(section, key), value);
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
    return ReadInt(key.section, key.key, key.runtimeDefault);
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
