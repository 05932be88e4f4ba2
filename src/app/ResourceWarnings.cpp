// The start-up warnings: measuring memory, disk and database size, and their text.

#include "app/ResourceWarnings.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

WarningLimits WarningLimits::FromStore(const CRegistrySettings& store) {
    return {store.Read(Key::WarnLowRAM), store.Read(Key::WarnLowDisk),
            store.Read(Key::WarnMaxDatabase), store.Read(Key::WarnAudioCache) != 0};
}

QList<ResourceWarning> ResourceWarnings(const WarningLimits& limits,
                                        const ResourceMeasures& measures) {
    QList<ResourceWarning> warnings;
    if (limits.lowRamMB != 0 && measures.availableRamKb < double(limits.lowRamMB) * 1024.0)
        warnings.append(
            {QStringLiteral("LowRAM"),
             QStringLiteral("Less than %1 MB of RAM is available.").arg(limits.lowRamMB)});
    if (limits.lowDiskMB != 0 && measures.freeDiskKb < double(limits.lowDiskMB) * 1024.0)
        warnings.append(
            {QStringLiteral("LowDisk"),
             QStringLiteral("Less than %1 MB of disk space is available.").arg(limits.lowDiskMB)});
    if (limits.maxDatabaseMB != 0 && measures.databaseKb > double(limits.maxDatabaseMB) * 1024.0)
        warnings.append({QStringLiteral("MaxDatabase"),
                         QStringLiteral("Your database is over %1 MB. You should remove old Feed "
                                        "data.")
                             .arg(limits.maxDatabaseMB)});
    if (limits.audioCache && !measures.audioFolderExists)
        warnings.append(
            {QStringLiteral("AudioCache"),
             QStringLiteral("Audio Cache folder cannot be created: ") + measures.audioFolder});
    return warnings;
}

QList<ResourceWarning> TakeUntoldWarnings(const QList<ResourceWarning>& warnings,
                                          const CRegistrySettings& store) {
    const QStringList told = store.Read(Key::WarnReported).split(u',', Qt::SkipEmptyParts);
    QList<ResourceWarning> untold;
    QStringList holding;
    for (const ResourceWarning& warning : warnings) {
        holding.append(warning.condition);
        if (!told.contains(warning.condition))
            untold.append(warning);
    }
    // Conditions that no longer hold are forgotten, so that their return is told again.
    store.Write(Key::WarnReported, holding.join(u','));
    return untold;
}

namespace {
// Whether the folder exists or the nearest folder above it that exists lets us make it.
bool FolderExistsOrCanBeMade(const QString& path) {
    QFileInfo folder(path);
    while (!folder.exists()) {
        const QString parent = folder.absolutePath();
        if (parent == folder.absoluteFilePath())
            return false;
        folder = QFileInfo(parent);
    }
    return folder.isDir() &&
           (folder.absoluteFilePath() == QFileInfo(path).absoluteFilePath() || folder.isWritable());
}
} // namespace

double AvailableRamKb(const QString& meminfoPath) {
    // /proc files report a size of 0, so the file is read whole rather than by its size.
    QFile file(meminfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith("MemAvailable:")) {
            const QList<QByteArray> words = line.simplified().split(' ');
            bool ok = false;
            const double kb = words.size() >= 2 ? words[1].toDouble(&ok) : 0;
            return ok ? kb : -1;
        }
    return -1;
}

ResourceMeasures MeasureResources(const QString& databasePath, const QString& installFolder,
                                  const QString& audioFolder) {
    ResourceMeasures measures;
    // Memory that cannot be read is not reported as missing.
    const double ram = AvailableRamKb();
    measures.availableRamKb = ram < 0 ? 1e12 : ram;
    const qsizetype slash = databasePath.lastIndexOf(u'/');
    const QString folder = slash >= 0 ? databasePath.left(slash) : installFolder;
    const QStorageInfo volume(folder);
    measures.freeDiskKb = volume.isValid() ? double(volume.bytesFree() / 1024) : 1e12;
    const QFileInfo database(databasePath);
    measures.databaseKb = database.isFile() ? double(database.size() / 1024) : 0;
    measures.audioFolderExists = FolderExistsOrCanBeMade(audioFolder);
    measures.audioFolder = audioFolder;
    return measures;
}
