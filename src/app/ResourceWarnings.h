#pragma once

#include "config/RegistrySettings.h"

#include <QString>

// The start-up warnings about memory, disk, database size and the audio cache folder.
struct WarningLimits {
    int lowRamMB = 1;      // 0: no check
    int lowDiskMB = 1;     // 0: no check
    int maxDatabaseMB = 5; // 0: no check
    bool audioCache = true;

    static WarningLimits FromStore(const CRegistrySettings& store);
};

struct ResourceMeasures {
    double availableRamKb = 0;
    double freeDiskKb = 0;
    double databaseKb = 0; // 0 when the file cannot be opened
    bool audioFolderExists = true;
    QString audioFolder;
};

// The text of the warnings box; empty when nothing is to be said.
QString ResourceWarningText(const WarningLimits& limits, const ResourceMeasures& measures);

// Measures the machine: memory from the kernel, the free space of the volume holding the
// database's folder (the install folder when the path names no folder), the database size.
ResourceMeasures MeasureResources(const QString& databasePath, const QString& installFolder,
                                  const QString& audioFolder);

// MemAvailable of a /proc/meminfo-style file in KB; -1 when it cannot be read.
double AvailableRamKb(const QString& meminfoPath = QStringLiteral("/proc/meminfo"));
