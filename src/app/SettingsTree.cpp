// The settings screen's table of settings and what saving them changes.

#include "app/SettingsTree.h"

#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "config/TodayRegistration.h"
#include "net/HttpDownloader.h"
#include "store/RssDatabase.h"

#include <cstdlib>

namespace {

const PropertyChoices FontSizes = {
    {7, "smallest"}, {8, "smaller"}, {9, "normal"}, {10, "larger"}, {12, "largest"}};
const PropertyChoices DateFormats = {{0, "GMT"}, {1, "Local"}};
const PropertyChoices ReloadFrequencies = {{0, "Use Scheduled Times"},
                                           {15, "15 minutes**"},
                                           {30, "30 minutes"},
                                           {60, "60 minutes"},
                                           {120, "120 minutes"}};
const PropertyChoices ItemSizes = {{1, "1 MB"},  {2, "2 MB"},   {3, "3 MB"},   {4, "4 MB"},
                                   {5, "5 MB"},  {6, "6 MB"},   {7, "7 MB"},   {8, "8 MB"},
                                   {9, "9 MB"},  {10, "10 MB"}, {20, "20 MB"}, {30, "30 MB"},
                                   {50, "50 MB"}};
const PropertyChoices CacheSizes = {
    {5, "5 MB"},     {10, "10 MB"},   {15, "15 MB"},   {20, "20 MB"},   {25, "25 MB"},
    {30, "30 MB"},   {35, "35 MB"},   {40, "40 MB"},   {50, "50 MB"},   {100, "100 MB"},
    {150, "150 MB"}, {200, "200 MB"}, {300, "300 MB"}, {400, "400 MB"}, {500, "500 MB"}};
const PropertyChoices Delays = {{0, "0"}, {2, "2"},   {4, "4"},   {6, "6"},
                                {8, "8"}, {10, "10"}, {20, "20"}, {40, "40"}};
const PropertyChoices Heights = {{50, "50"},   {55, "55"},   {60, "60"},   {65, "65"},
                                 {70, "70"},   {75, "75"},   {80, "80"},   {85, "85"},
                                 {90, "90"},   {95, "95"},   {100, "100"}, {105, "105"},
                                 {110, "110"}, {115, "115"}, {120, "120"}, {125, "125"}};
const PropertyChoices ShadowModes = {{0, "Don't use Shadowing"},
                                     {1, "Right Shadowing"},
                                     {2, "Bottom Shadowing"},
                                     {3, "Right and Bottom"}};
const PropertyChoices WebLinkModes = {
    {0, "Hide WebLink"}, {1, "Browse to Link"}, {2, "Browse Ext. Data"}};
const PropertyChoices WarningSizes = {
    {0, "Disable"},  {1, "1 MB"},    {2, "2 MB"},    {3, "3 MB"},     {4, "4 MB"},
    {5, "5 MB"},     {6, "6 MB"},    {10, "10 MB"},  {100, "100 MB"}, {250, "250 MB"},
    {500, "500 MB"}, {1000, "1 GB"}, {2000, "2 GB"}, {5000, "5 GB"}};
const PropertyChoices BufferSizes = {{1, "1 KB"}, {2, "2 KB"},   {4, "4 KB"},
                                     {8, "8 KB"}, {16, "16 KB"}, {32, "32 KB"}};

SettingItem Check(const char* label, const IntKey& key, const char* description) {
    return {label, SettingKind::Check, &key, nullptr, nullptr, description};
}

SettingItem Choice(const char* label, const IntKey& key, const PropertyChoices& choices,
                   const char* description) {
    return {label, SettingKind::Choice, &key, nullptr, &choices, description};
}

SettingItem Colour(const char* label, const IntKey& key, const char* description) {
    return {label, SettingKind::Colour, &key, nullptr, nullptr, description};
}

SettingItem Time(const IntKey& key, const char* description) {
    return {"schedule at*", SettingKind::Time, &key, nullptr, nullptr, description};
}

SettingItem Path(const char* label, SettingKind kind, const StringKey& key,
                 const char* description) {
    return {label, kind, nullptr, &key, nullptr, description};
}

SettingItem Hidden(SettingItem item) {
    item.shown = false;
    return item;
}

// The timed reloads run in the program, also while it sits in the tray, and in quillpost-cli
// started by a timer.
const char* const ReloadTimeDescription =
    "Reload Feed Data at a specific time.  *While Quillpost runs, also in the tray.";

std::vector<SettingCategory> BuildSettingsTree() {
    return {
        {"General",
         "General Quillpost settings.",
         {{"Current Database", SettingKind::ReadOnly, nullptr, &Key::Database, nullptr, ""},
          Choice("Font Size", Key::FontSize, FontSizes, "Select a font size for the application."),
          Path("Browser", SettingKind::FilePath, Key::Browser,
               "Select an external Browser for full webpage viewing of data.  Empty: the "
               "desktop's default browser."),
          Choice("Date Format", Key::DateFormat, DateFormats, "Select the Date display format."),
          Check("Remove old data", Key::AutoPurgeFD,
                "Select to remove old feed data whenever a Feed is updated. See \"Help\""),
          Check("Show Feed Dates", Key::ShowFVDates,
                "Show the Date of Feeds in the RSS mode listing."),
          Check("Show Item Dates", Key::ShowIVDates,
                "Show the Date of Items in the View mode listing."),
          Check("Show Feed Buttons", Key::ShowFVButtons,
                "Show the Button Bar in the RSS mode listing."),
          Check("Show Item Buttons", Key::ShowIVButtons,
                "Show the Button Bar in the View mode listing."),
          Hidden(Check("VGA device", Key::IsVGA, "Select if you are using a VGA device."))}},
        {"Auto Reload",
         "Auto Reload scheduling settings.",
         {Check("on Startup", Key::ReloadOnStart, "Reload Feed Data on startup of Quillpost."),
          Check("on Connecting*", Key::ReloadOnAS,
                "Reload Feed Data when the network connection comes back.  *While Quillpost "
                "runs, also in the tray."),
          Choice("on Every*", Key::ReloadFrequency, ReloadFrequencies,
                 "Reload Feed Data Frequency. **Not recommended. *While Quillpost runs, also in "
                 "the tray."),
          Time(Key::ReloadTime1, ReloadTimeDescription),
          Time(Key::ReloadTime2, ReloadTimeDescription),
          Time(Key::ReloadTime3, ReloadTimeDescription),
          Time(Key::ReloadTime4, ReloadTimeDescription),
          Time(Key::ReloadTime5, ReloadTimeDescription),
          Time(Key::ReloadTime6, ReloadTimeDescription)}},
        {"Html/Description View",
         "Html related settings while viewing feed item content.",
         {Colour("Background", Key::BgColor, "Select the Background Color."),
          Colour("Text", Key::TxColor, "Select the Text Color."),
          Colour("Link", Key::LkColor, "Select the Link Color."),
          Check("Show Images", Key::ShowImages,
                "Select to download/show embedded images when reading feed item content."),
          Check("Show Extended", Key::ShowExtended,
                "Select to show extended data, if available, when reading feed item content.  "
                "See \"Help\"."),
          Choice("Font Size", Key::ItemFontSize, FontSizes,
                 "Select a font size for reading feed item content.")}},
        {"Audio/Podcasting",
         "Setting for managing audio-based feed content. Note: see \"Help\".",
         {Path("Audio Cache", SettingKind::FolderPath, Key::AudioFolder,
               "Select folder for storing audio-based feed content."),
          Choice("Max Item Size", Key::AudioMaxItemSize, ItemSizes,
                 "Select the maximum download size per audio content."),
          Choice("Max Cache Size", Key::AudioMaxTotalSize, CacheSizes,
                 "Select the maximum size of the audio data storage cache."),
          Time(Key::AudioAutoTime,
               "Schedule Audio download for a specific time.  *While Quillpost runs, also in "
               "the tray.")}},
        // No Today screen runs on a desktop: its settings stay in the file, out of sight.
        {"Today Screen",
         "Quillpost Today screen settings.",
         {Check("Enable", Key::TodayEnable, "Select to enable Quillpost on the Today Screen."),
          Check("Use PocketBreeze", Key::TodayUsePB,
                "If you have PocketBreeze, you can opt to use Quillpost within PocketBreeze."),
          Choice("Delay Rate", Key::TodayDelay, Delays,
                 "Select the delay rate while cycling through article items."),
          Choice("Height", Key::TodayVSize, Heights,
                 "Select the height that Quillpost should occupy on the Today Screen."),
          Choice("Font Shadowing", Key::TodayShadowMode, ShadowModes,
                 "Enable Font Shadowing effect to make text easier to read with various Theme "
                 "designs."),
          Choice("WebLink Action", Key::TodayWebLinkMode, WebLinkModes,
                 "Set what action the WebLink performs on the Today Screen."),
          Check("Show Description", Key::TodayShowDescription,
                "Show article item description in addition to article title."),
          Check("White Background", Key::TodayWhiteBackground,
                "Use a white background instead of the Today Screen theme background."),
          Check("SE Selection", Key::TodaySESelection,
                "Enable the new \"Selection\" navigation ability on WM2003 SE devices.")},
         false},
        {"Warnings",
         "Quillpost Startup Warning options.",
         {Choice("Low Disk Space", Key::WarnLowDisk, WarningSizes,
                 "Low memory warning for the location of the current database."),
          Choice("Low RAM", Key::WarnLowRAM, WarningSizes,
                 "Low memory warning for the available RAM."),
          Choice("Database Size", Key::WarnMaxDatabase, WarningSizes,
                 "Maximum size warning for the current database."),
          Check("Audio Cache", Key::WarnAudioCache,
                "Select to show warning if Audio Cache folder is not available."),
          Hidden(Check("D-pad Message", Key::WarnShowDPadMSG,
                       "Show Directional Pad warning if Quillpost cannot obtain D-pad control.")),
          // The desktop notification of a run is the Desktop group's "Notifications".
          Hidden(Check("Download Notification", Key::WarnAutoReload,
                       "Show Pocket PC Notification, when background Auto-Reloading is being "
                       "attempted."))}},
        {"Special",
         "Quillpost Special application tweaking options. See \"Help\"",
         // libcurl sizes its own buffers; this only sets the size of each write to the file.
         {Hidden(Choice("Download Buffer", Key::DownloadBuffer, BufferSizes,
                        "Buffer size used for requesting/downloading data via the internet. See "
                        "\"Help\"")),
          Check("Skip Headers", Key::DownloadSkipHeaders,
                "Select to skip the downloading of additional web data headers. See \"Help\""),
          Check("Verify Database", Key::VerifyDatabase,
                "Select to verify the database on each query attempt. See \"Help\""),
          Check("Lock Database", Key::LockDatabase,
                "Select to obtain a database lock before each query attempt. See \"Help\"")}},
        {"Desktop",
         "How Quillpost sits on the desktop.",
         {Check("Tray Icon", Key::TrayIcon,
                "Show Quillpost in the panel's tray, with the number of unread items. Takes "
                "effect at the next start."),
          Check("Close to Tray", Key::CloseToTray,
                "Closing the window keeps Quillpost running in the tray, where the timed reload "
                "goes on."),
          Check("Notifications", Key::Notifications,
                "Show a desktop notification when an update brings new items.")}},
    };
}

struct TodayKeys {
    bool enable;
    bool usePocketBreeze;
    bool selectionNavigation;

    static TodayKeys Read(const CRegistrySettings& store) {
        return {store.Read(Key::TodayEnable) != 0, store.Read(Key::TodayUsePB) != 0,
                store.Read(Key::TodaySESelection) != 0};
    }
};

void WriteSetting(const CRegistrySettings& store, const SettingItem& item, const QVariant& value) {
    if (item.kind == SettingKind::ReadOnly)
        return;
    if (item.intKey)
        store.Write(*item.intKey, value.toInt());
    else
        store.Write(*item.stringKey, value.toString());
}

// The registrations follow the saved keys; each is written only when its keys changed, so that
// an unchanged screen leaves the hosts alone.
void UpdateTodayRegistrations(const TodayKeys& before, const TodayKeys& after) {
    if (after.selectionNavigation != before.selectionNavigation)
        WriteTodaySelectability(after.selectionNavigation);
    if (after.enable != before.enable || after.usePocketBreeze != before.usePocketBreeze)
        WriteTodayRegistration(after.enable, after.usePocketBreeze, TheAppSettings().installFolder);
}

} // namespace

const std::vector<SettingCategory>& SettingsTree() {
    static const std::vector<SettingCategory> tree = BuildSettingsTree();
    return tree;
}

QVariant ReadSetting(const CRegistrySettings& store, const SettingItem& item) {
    if (item.intKey) {
        // A value outside the key's range is not used, so the screen does not offer it either.
        const int value =
            store.ReadInt(item.intKey->section, item.intKey->key, item.intKey->screenDefault);
        const RangedIntKey* ranged = FindRangedKey(*item.intKey);
        return ranged && !ranged->Allows(value) ? item.intKey->screenDefault : value;
    }
    if (item.stringKey == &Key::AudioFolder)
        return store.ReadString(item.stringKey->section, item.stringKey->key,
                                TheAppSettings().audioFolder);
    return store.Read(*item.stringKey);
}

void AlignTodayKeysWithRegistrations(const CRegistrySettings& store) {
    const bool pocketBreeze = IsPocketBreezeRegistered();
    store.Write(Key::TodayEnable, pocketBreeze || IsTodayHostRegistered() ? 1 : 0);
    store.Write(Key::TodayUsePB, pocketBreeze ? 1 : 0);
}

void SaveSettings(const CRegistrySettings& store, const QList<QVariant>& values, CRssDatabase& db) {
    const TodayKeys before = TodayKeys::Read(store);
    qsizetype index = 0;
    for (const SettingCategory& category : SettingsTree())
        for (const SettingItem& item : category.items)
            WriteSetting(store, item, values.value(index++));

    CAppSettings& app = TheAppSettings();
    app.TakeOverSettings(store);
    db.UseLock = store.Read(Key::LockDatabase) != 0;
    db.VerifyFile = store.Read(Key::VerifyDatabase) != 0;
    db.SetAudioFolder(app.audioFolder);
    CHttpDownloader::BufferSize = app.downloadBufferBytes;
    CHttpDownloader::SkipHeaders = app.downloadSkipHeaders;

    UpdateTodayRegistrations(before, TodayKeys::Read(store));
    store.Write(Key::TodayHasChanged, 1);
}

QString TimeSettingText(int value) {
    const int minute = std::abs(value);
    return QString::asprintf(value >= 1 ? "(on)  %02d:%02d" : "(off) %02d:%02d", minute / 60,
                             minute % 60);
}
