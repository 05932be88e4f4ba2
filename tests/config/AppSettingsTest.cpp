// Tests of the settings loaded at start-up.

#include "config/AppSettings.h"

#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(AppSettings, StartUpLoadUsesDefaultsOnAFreshStore) {
    TestEnvironment env;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.WriteInt("General", "StartMode", 1);
    CAppSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.installFolder, env.DataFolder() + "/Quillpost");
    EXPECT_TRUE(QDir(settings.installFolder).exists());
    EXPECT_EQ(settings.audioFolder, settings.installFolder + "/rssAudio");
    EXPECT_EQ(settings.DatabasePath(), settings.installFolder + "/rss.qpdb");
    EXPECT_FALSE(settings.autoPurgeFD);
    EXPECT_EQ(settings.downloadBufferBytes, 1024);
    EXPECT_TRUE(settings.downloadSkipHeaders);
    EXPECT_EQ(settings.fontSize, 8);
    EXPECT_EQ(store.Read(Key::StartMode), 0);
}

TEST(AppSettings, StoredValuesWin) {
    TestEnvironment env;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.Write(Key::InstallPath, env.Path("install"));
    store.Write(Key::AudioFolder, env.Path("podcasts"));
    store.Write(Key::AutoPurgeFD, 1);
    store.Write(Key::DownloadBuffer, 8);
    store.Write(Key::DownloadSkipHeaders, 0);
    CAppSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.installFolder, env.Path("install"));
    EXPECT_EQ(settings.audioFolder, env.Path("podcasts"));
    EXPECT_TRUE(settings.autoPurgeFD);
    EXPECT_EQ(settings.downloadBufferBytes, 8192);
    EXPECT_FALSE(settings.downloadSkipHeaders);
}

TEST(AppSettings, DownloadBufferOfZeroKilobytesIs4096Bytes) {
    EXPECT_EQ(DownloadBufferBytes(0), 4096);
    EXPECT_EQ(DownloadBufferBytes(32), 32768);
}

} // namespace
