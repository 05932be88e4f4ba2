#include "app/ResourceWarnings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

WarningLimits WarningLimits::FromStore(const CRegistrySettings& store) {
    return {store.Read(Key::WarnLowRAM), store.Read(Key::WarnLowDisk),
            store.Read(Key::WarnMaxDatabase), store.Read(Key::WarnAudioCache) != 0};
}

QString ResourceWarningText(const WarningLimits& limits, const ResourceMeasures& measures) {
    QString text;
    if (limits.lowRamMB != 0 && measures.availableRamKb < double(limits.lowRamMB) * 1024.0)
        text += QStringLiteral("- Less than %1 MB of RAM is available.\n\n").arg(limits.lowRamMB);
    if (limits.lowDiskMB != 0 && measures.freeDiskKb < double(limits.lowDiskMB) * 1024.0)
        text += QStringLiteral("- Less than %1 MB of disk space is available.\n\n")
                    .arg(limits.lowDiskMB);
    if (limits.maxDatabaseMB != 0 && measures.databaseKb > double(limits.maxDatabaseMB) * 1024.0)
        text +=
            QStringLiteral("- Your database is over %1 MB. You should remove old Feed data.\n\n")
                .arg(limits.maxDatabaseMB);
    if (limits.audioCache && !measures.audioFolderExists)
        text += QStringLiteral("- Audio Cache folder does not exist...\n") + measures.audioFolder;
    return text;
}

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
    measures.audioFolderExists = QDir(audioFolder).exists();
    measures.audioFolder = audioFolder;
    return measures;
}
