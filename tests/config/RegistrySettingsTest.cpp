// Tests of the configuration store.

#include "config/RegistrySettings.h"

#include "config/TodayRegistration.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class RegistrySettingsTest : public ::testing::Test {
protected:
    QString FileText() const {
        QFile file(FilePath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void WriteFileText(const QByteArray& text) const {
        QDir().mkpath(env_.ConfigFolder() + "/Oxbowfield");
        env_.WriteFile("config/Oxbowfield/Quillpost.conf", text);
    }
    QString FilePath() const { return env_.ConfigFolder() + "/Oxbowfield/Quillpost.conf"; }

    TestEnvironment env_;
    CRegistrySettings store_ = CRegistrySettings::ForQuillpost();
};

TEST_F(RegistrySettingsTest, EmptyStoreGivesRuntimeDefaults) {
    const std::pair<IntKey, int> ints[] = {
        {Key::FontSize, 8},           {Key::DateFormat, 1},     {Key::ShowIVDates, 1},
        {Key::ActiveView, 2020},      {Key::FirstTime, 1},      {Key::UseCM, 1},
        {Key::DownloadBuffer, 1},     {Key::LockDatabase, 1},   {Key::TxColor, 0xA05A5A},
        {Key::AudioMaxTotalSize, 10}, {Key::AudioAutoTime, -1}, {Key::NextReload, -1},
        {Key::ReloadOnAS, 0},         {Key::TodayDelay, 4},     {Key::WarnMaxDatabase, 2000},
        {Key::MaxTransfers, 24},
    };
    for (const auto& [key, expected] : ints)
        EXPECT_EQ(store_.Read(key), expected) << key.section << "\\" << key.key;
    EXPECT_EQ(store_.Read(Key::MaxTransfersPerServer), 2);
    EXPECT_EQ(store_.Read(Key::BackgroundLastRefresh), "0");
    EXPECT_EQ(store_.Read(Key::Database), "");
    // The settings screen shows its own defaults for a few unset keys.
    EXPECT_EQ(Key::DownloadBuffer.screenDefault, 4);
    EXPECT_EQ(Key::AudioMaxTotalSize.screenDefault, 20);
    // Reloading on a new connection is off, and the screen shows it off.
    EXPECT_EQ(Key::ReloadOnAS.screenDefault, 0);
    EXPECT_FALSE(QFile::exists(env_.ConfigFolder() + "/Oxbowfield/Quillpost.conf"));
}

TEST_F(RegistrySettingsTest, ValuesRoundTripPerSectionAndKey) {
    store_.WriteInt("General", "FontSize", 12);
    store_.WriteString("General", "Database", "/data/my feeds, 2.qpdb");
    store_.WriteString(FieldMapKey::Section(5), FieldMapKey::Title, "dc:title");
    store_.WriteInt(FieldMapKey::Section(6), FieldMapKey::XmlChildren, 1);

    const CRegistrySettings reopened = CRegistrySettings::ForQuillpost();
    EXPECT_EQ(reopened.Read(Key::FontSize), 12);
    EXPECT_EQ(reopened.Read(Key::Database), "/data/my feeds, 2.qpdb");
    EXPECT_EQ(reopened.ReadString("RSSMap\\Map5", "Title", "-"), "dc:title");
    EXPECT_EQ(reopened.ReadString("RSSMap\\Map6", "Title", "-"), "-");
    EXPECT_EQ(reopened.ReadInt("RSSMap\\Map6", "XmlChildren", 0), 1);
    // A string where a number is expected reads as the default.
    store_.WriteString("General", "DateFormat", "abc");
    EXPECT_EQ(reopened.Read(Key::DateFormat), 1);
}

// A person edits the file by hand: a section is an INI section, its keys are the INI keys.
TEST_F(RegistrySettingsTest, SectionsAreIniSections) {
    store_.Write(Key::UseCM, 0);
    store_.Write(Key::Database, "/d.qpdb");
    store_.WriteString(FieldMapKey::Section(5), FieldMapKey::Title, "dc:title");
    const QString text = FileText();
    EXPECT_TRUE(text.contains("[Settings]\nUseCM=0\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[General]\nDatabase=/d.qpdb\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[RSSMap]\nMap5\\Title=dc:title\n")) << text.toStdString();

    WriteFileText("[Settings]\nUseProxy=1\n\n[RSSMap]\nMap6\\Link=dc:link\n");
    EXPECT_EQ(store_.Read(Key::UseProxy), 1);
    EXPECT_EQ(store_.ReadString(FieldMapKey::Section(6), FieldMapKey::Link, ""), "dc:link");
}

TEST_F(RegistrySettingsTest, KeysOfTheEarlierFormAreMovedOnce) {
    WriteFileText("[General]\nSettings%5CUseCM=0\nGeneral%5CFontSize=12\n"
                  "RSSMap%5CMap5%5CTitle=dc:title\nAutoReload%5CFrequency=15\n\n"
                  "[AutoReload]\nFrequency=30\n");
    EXPECT_EQ(store_.Read(Key::UseCM), 0);
    EXPECT_EQ(store_.Read(Key::FontSize), 12);
    EXPECT_EQ(store_.ReadString(FieldMapKey::Section(5), FieldMapKey::Title, ""), "dc:title");
    EXPECT_EQ(store_.Read(Key::ReloadFrequency), 30); // the value in the new form wins
    const QString text = FileText();
    EXPECT_FALSE(text.contains("%5C")) << text.toStdString();
    EXPECT_TRUE(text.contains("[Settings]\nUseCM=0\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[General]\nFontSize=12\n")) << text.toStdString();
}

TEST_F(RegistrySettingsTest, UnopenedStoreReadsDefaultsAndWritesNothing) {
    CRegistrySettings unopened;
    unopened.WriteInt("General", "FontSize", 12);
    EXPECT_EQ(unopened.ReadInt("General", "FontSize", 3), 3);
    EXPECT_EQ(store_.Read(Key::FontSize), 8);
}

TEST_F(RegistrySettingsTest, UnreadableStoreGivesDefaults) {
    QFile::remove(env_.ConfigFolder());
    ScopedEnv unusable("XDG_CONFIG_HOME", "/proc/no-such-folder");
    EXPECT_EQ(store_.Read(Key::FontSize), 8);
    store_.WriteInt("General", "FontSize", 12);
    EXPECT_EQ(store_.Read(Key::FontSize), 8);
}

// A key left out of the table of ranges would take any number again.
TEST(ConfigKeys, EveryNumberKeyHasARangeHoldingItsDefaults) {
    for (const IntKey* key : AllIntKeys()) {
        const RangedIntKey* ranged = FindRangedKey(*key);
        ASSERT_NE(ranged, nullptr) << key->key;
        EXPECT_LT(ranged->minimum, ranged->maximum) << key->key;
        EXPECT_TRUE(ranged->Allows(key->runtimeDefault)) << key->key;
        EXPECT_TRUE(ranged->Allows(key->screenDefault)) << key->key;
    }
}

TEST_F(RegistrySettingsTest, ValuesOutsideTheRangeReadAsTheDefault) {
    WriteFileText("[Special]\nDownloadBuffer=2097152\nMaxTransfers=-999999999999\n"
                  "[General]\nFontSize=big\n"
                  "[AutoReload]\nTime1=1439\nOnStart=2147483647\n");
    EXPECT_EQ(store_.Read(Key::DownloadBuffer), 1);
    EXPECT_EQ(store_.Read(Key::MaxTransfers), 24);
    EXPECT_EQ(store_.Read(Key::ReloadOnStart), 0);
    EXPECT_EQ(store_.Read(Key::FontSize), 8);
    EXPECT_EQ(store_.Read(Key::ReloadTime1), 1439);
    // The file keeps what the person wrote.
    EXPECT_TRUE(FileText().contains("DownloadBuffer=2097152"));
}

TEST_F(RegistrySettingsTest, OnlyAChangeRewritesTheFile) {
    store_.Write(Key::FontSize, 12);
    QFile file(FilePath());
    const QDateTime past = QDateTime::currentDateTime().addSecs(-3600);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(past, QFileDevice::FileModificationTime));
    file.close();
    store_.Write(Key::FontSize, 12);
    EXPECT_EQ(QFileInfo(FilePath()).lastModified(), past);
    store_.Write(Key::FontSize, 10);
    EXPECT_NE(QFileInfo(FilePath()).lastModified(), past);
}

TEST_F(RegistrySettingsTest, ADamagedFileIsKeptAsideAndTheDefaultsServe) {
    QByteArray garbage("[General]\nFontSize=12\n");
    for (int i = 0; i < 512; ++i)
        garbage += char((i * 151 + 7) % 256);
    WriteFileText(garbage);
    EXPECT_EQ(store_.Read(Key::FontSize), 8);
    QFile aside(FilePath() + ".damaged");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), garbage);
    EXPECT_FALSE(QFile::exists(FilePath()));
    store_.Write(Key::FontSize, 10);
    EXPECT_EQ(store_.Read(Key::FontSize), 10);
    // Text a person wrote in another encoding is no damage.
    WriteFileText("[Settings]\nProxyAddress=caf\xe9\n");
    EXPECT_EQ(store_.Read(Key::FontSize), 8);
    EXPECT_TRUE(QFile::exists(FilePath()));
}

TEST_F(RegistrySettingsTest, TwoThreadsNeverLoseOrTearValues) {
    constexpr int writes = 100;
    auto writer = [this](const char* key) {
        for (int i = 1; i <= writes; ++i)
            store_.WriteInt("Threads", key, i * 1001);
    };
    std::thread first(writer, "A");
    std::thread second(writer, "B");
    for (int i = 0; i < writes; ++i) {
        const int seen = store_.ReadInt("Threads", "A", 0);
        EXPECT_EQ(seen % 1001, 0) << seen;
    }
    first.join();
    second.join();
    EXPECT_EQ(store_.ReadInt("Threads", "A", 0), writes * 1001);
    EXPECT_EQ(store_.ReadInt("Threads", "B", 0), writes * 1001);
}

TEST_F(RegistrySettingsTest, TwoProcessesSeeEachOthersWrites) {
    constexpr int writes = 40;
    store_.WriteInt("Shared", "FromParent", 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const CRegistrySettings own = CRegistrySettings::ForQuillpost();
        for (int i = 1; i <= writes; ++i)
            own.WriteInt("Shared", "FromChild", i);
        _exit(own.ReadInt("Shared", "FromChild", 0) == writes ? 0 : 1);
    }
    for (int i = 1; i <= writes; ++i)
        store_.WriteInt("Shared", "FromParent", i);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(store_.ReadInt("Shared", "FromChild", 0), writes);
    EXPECT_EQ(store_.ReadInt("Shared", "FromParent", 0), writes);
}

struct RegistrationCase {
    bool enable, usePB;
    const char* todayDll;
    int todayEnabled, pbEnabled;
    const char* pbDll;
};

TEST_F(RegistrySettingsTest, TodayRegistrationWritesEachHost) {
    const RegistrationCase cases[] = {
        {true, false, "\\Windows\\QuillpostToday.dll", 1, 0, ""},
        {true, true, "\\Windows\\QuillpostToday.dll2", 0, 1, "\\Windows\\QuillpostToday.dll"},
        {false, true, "", -1, 0, ""},
        {false, false, "\\Windows\\QuillpostToday.dll2", 0, -1, ""},
    };
    CRegistrySettings today, pocketBreeze;
    today.SetRootPath("SOFTWARE\\Microsoft\\Today\\Items", RegistryHive::LocalMachine);
    pocketBreeze.SetRootPath("Software\\SBSH\\PocketBreeze\\TabSettings",
                             RegistryHive::CurrentUser);
    for (const auto& c : cases) {
        QFile::remove(env_.ConfigFolder() + "/Oxbowfield/Quillpost.conf");
        WriteTodayRegistration(c.enable, c.usePB, "/opt/qp");
        const auto label = ::testing::Message() << "enable " << c.enable << " usePB " << c.usePB;
        EXPECT_EQ(today.ReadString("Quillpost", "Dll", ""), c.todayDll) << label;
        EXPECT_EQ(today.ReadInt("Quillpost", "Enabled", -1), c.todayEnabled) << label;
        EXPECT_EQ(pocketBreeze.ReadInt("Quillpost", "Enabled", -1), c.pbEnabled) << label;
        EXPECT_EQ(pocketBreeze.ReadString("Quillpost", "Dll", ""), c.pbDll) << label;
        const bool pbActive = c.enable && c.usePB;
        EXPECT_EQ(pocketBreeze.ReadString("Quillpost", "InstallPath", ""),
                  pbActive ? "/opt/qp" : "")
            << label;
        EXPECT_EQ(pocketBreeze.ReadInt("Quillpost", "TabID", 0), pbActive ? 5 : 0) << label;
    }
    // The hosts' entries never mix with the program's own sections.
    EXPECT_EQ(store_.ReadString("Quillpost", "Dll", "none"), "none");

    WriteTodaySelectability(true);
    EXPECT_EQ(today.ReadInt("Quillpost", "Selectability", -1), 2);
    WriteTodaySelectability(false);
    EXPECT_EQ(today.ReadInt("Quillpost", "Selectability", -1), 0);
}

} // namespace
