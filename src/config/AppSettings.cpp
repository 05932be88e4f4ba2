// Loads the start-up values of CAppSettings from the configuration store.

#include "config/AppSettings.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString DefaultInstallFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillpost");
}
} // namespace

int DownloadBufferBytes(int kilobytes) {
    const int bytes = kilobytes * 1024;
    return bytes == 0 ? 4096 : bytes;
}

void CAppSettings::Load(const CRegistrySettings& store) {
    installFolder = store.Read(Key::InstallPath);
    if (installFolder.isEmpty())
        installFolder = DefaultInstallFolder();
    QDir().mkpath(installFolder);

    TakeOverSettings(store);
    store.Write(Key::StartMode, 0);
}

void CAppSettings::TakeOverSettings(const CRegistrySettings& store) {
    audioFolder = store.Read(Key::AudioFolder);
    if (audioFolder.isEmpty())
        audioFolder = installFolder + QStringLiteral("/rssAudio");
    autoPurgeFD = store.Read(Key::AutoPurgeFD) != 0;
    isVGA = store.Read(Key::IsVGA) != 0;
    ReloadDownloadSettings(store);
    fontSize = store.Read(Key::FontSize);
}

void CAppSettings::ReloadDownloadSettings(const CRegistrySettings& store) {
    downloadBufferBytes = DownloadBufferBytes(store.Read(Key::DownloadBuffer));
    downloadSkipHeaders = store.Read(Key::DownloadSkipHeaders) != 0;
}

QString CAppSettings::DatabasePath() const {
    return installFolder + QStringLiteral("/rss.qpdb");
}

QString CAppSettings::DownloadFilePath() const {
    return installFolder + QStringLiteral("/webData.htm");
}

QString CAppSettings::TempFeedPath() const {
    return installFolder + QStringLiteral("/rssTemp.xml");
}

QString CAppSettings::OnlineListingPath() const {
    return installFolder + QStringLiteral("/onlineFeeds.xml");
}

QString CAppSettings::SearchResultsPath() const {
    return installFolder + QStringLiteral("/feedster.xml");
}

QString CAppSettings::FeedIconFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quillpost/feedIcons");
}

CAppSettings& TheAppSettings() {
    static CAppSettings settings;
    return settings;
}
