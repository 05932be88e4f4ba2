// The configuration store: typed keys in sections of an INI file.

#pragma once

#include "config/ConfigKeys.h"

#include <QString>
#include <QVariant>

enum class RegistryHive { LocalMachine, CurrentUser };

// The configuration store: sections of typed keys in an INI file under the user's configuration
// folder. Every read and write opens the file, so two threads or two processes always see each
// other's last values. A missing store, section or key is never an error: reads give the default.
class CRegistrySettings {
public:
    // Sections then live in "<company>/<application>.conf".
    void SetCompanyAndApplication(const QString& company, const QString& application);
    // Sections then live under "<hive>\<rootPath>" in the program's own store; used for the
    // entries that host programs read.
    void SetRootPath(const QString& rootPath, RegistryHive hive);

    int ReadInt(const QString& section, const QString& key, int defaultValue) const;
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    void WriteInt(const QString& section, const QString& key, int value) const;
    void WriteString(const QString& section, const QString& key, const QString& value) const;

    int Read(const IntKey& key) const;
    QString Read(const StringKey& key) const;
    void Write(const IntKey& key, int value) const;
    void Write(const StringKey& key, const QString& value) const;

    // The program's own store, as every front end opens it.
    static CRegistrySettings ForQuillpost();

private:
    QString FilePath() const;
    // The file's path, once a damaged file there has been moved aside.
    QString OpenFile() const;
    QString KeyPath(const QString& section, const QString& key) const;
    QVariant ReadValue(const QString& section, const QString& key) const;
    void WriteValue(const QString& section, const QString& key, const QVariant& value) const;

    bool opened_ = false;
    QString company_;
    QString application_;
    QString rootPath_;
    RegistryHive hive_ = RegistryHive::LocalMachine;
};
