// The start-up warnings about memory, disk, database size and the audio cache.

#pragma once

#include "config/RegistrySettings.h"

#include <QList>
#include <QString>

// The start-up warnings about memory, disk, database size and the audio cache folder.
struct WarningLimits {
    int lowRamMB = Key::WarnLowRAM.runtimeDefault;           // 0: no check
    int lowDiskMB = Key::WarnLowDisk.runtimeDefault;         // 0: no check
    int maxDatabaseMB = Key::WarnMaxDatabase.runtimeDefault; // 0: no check
    bool audioCache = true;

    static WarningLimits FromStore(const CRegistrySettings& store);
};

struct ResourceMeasures {
    double availableRamKb = 0;
    double freeDiskKb = 0;
    double databaseKb = 0; // 0 when the file cannot be opened
    // The folder exists, or can be made when the first enclosure is saved.
    bool audioFolderExists = true;
    QString audioFolder;
};

// One condition that holds, by a name that stays the same from one start to the next
// ("LowRAM", "LowDisk", "MaxDatabase", "AudioCache"), and what to tell the user.
struct ResourceWarning {
    QString condition;
    QString text;
};

// The conditions that hold, in the order above.
QList<ResourceWarning> ResourceWarnings(const WarningLimits& limits,
                                        const ResourceMeasures& measures);

// The warnings not told before: a condition is told once and again only after it has ceased to
// hold at some start. Warning\Reported keeps the told conditions.
QList<ResourceWarning> TakeUntoldWarnings(const QList<ResourceWarning>& warnings,
                                          const CRegistrySettings& store);

// Measures the machine: memory from the kernel, the free space of the volume holding the
// database's folder (the install folder when the path names no folder), the database size.
ResourceMeasures MeasureResources(const QString& databasePath, const QString& installFolder,
                                  const QString& audioFolder);

// MemAvailable of a /proc/meminfo-style file in KB; -1 when it cannot be read.
double AvailableRamKb(const QString& meminfoPath = QStringLiteral("/proc/meminfo"));
