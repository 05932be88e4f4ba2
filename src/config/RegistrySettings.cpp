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

// QSettings takes both separators for groups, so a section such as "RSSMap\Map5" nests.
QString CRegistrySettings::KeyPath(const QString& section, const QString& key) const {
    const QString prefix =
        rootPath_.isEmpty() ? QString() : HiveName(hive_) + u'\\' + rootPath_ + u'\\';
    return prefix + section + u'\\' + key;
}

QVariant CRegistrySettings::ReadValue(const QString& section, const QString& key) const {
    if (!opened_)
        return {};
    return QSettings(FilePath(), QSettings::IniFormat).value(KeyPath(section, key));
}

void CRegistrySettings::WriteValue(const QString& section, const QString& key,
                                   const QVariant& value) const {
    if (!opened_)
        return;
    QSettings store(FilePath(), QSettings::IniFormat);
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
