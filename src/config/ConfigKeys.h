// Every configuration key with its type and default.

#pragma once

#include <QList>
#include <QString>

// Every key of the configuration store with its type and default, so that no other file repeats
// a default. The runtime default is what operations use while the key is unset; the screen
// default is what the settings screen shows for an unset key, where that differs.

struct IntKey {
    const char* section;
    const char* key;
    int runtimeDefault;
    int screenDefault;

    constexpr IntKey(const char* section, const char* key, int runtimeDefault)
        : IntKey(section, key, runtimeDefault, runtimeDefault) {}
    constexpr IntKey(const char* section, const char* key, int runtimeDefault, int screenDefault)
        : section(section), key(key), runtimeDefault(runtimeDefault), screenDefault(screenDefault) {
    }
};

struct StringKey {
    const char* section;
    const char* key;
    const char* runtimeDefault;
};

namespace Key {

// General
inline constexpr StringKey Database{"General", "Database", ""};
inline constexpr IntKey FontSize{"General", "FontSize", 8};
// Empty: the desktop's default handler opens links and audio files.
inline constexpr StringKey Browser{"General", "Browser", ""};
inline constexpr StringKey AudioPlayer{"General", "AudioPlayer", ""};
inline constexpr IntKey DateFormat{"General", "DateFormat", 1};
inline constexpr IntKey AutoPurgeFD{"General", "AutoPurgeFD", 0};
inline constexpr IntKey ShowFVDates{"General", "ShowFVDates", 0};
inline constexpr IntKey ShowIVDates{"General", "ShowIVDates", 1};
inline constexpr IntKey ShowFVButtons{"General", "ShowFVButtons", 1};
inline constexpr IntKey ShowIVButtons{"General", "ShowIVButtons", 1};
inline constexpr IntKey IsVGA{"General", "IsVGA", 0};
inline constexpr IntKey StartMode{"General", "StartMode", 0};
// The desktop: the tray icon, closing the window to it, and a notification when a run brings
// new items.
inline constexpr IntKey TrayIcon{"General", "TrayIcon", 1};
inline constexpr IntKey CloseToTray{"General", "CloseToTray", 0};
inline constexpr IntKey Notifications{"General", "Notifications", 1};

// Settings
inline constexpr IntKey FirstTime{"Settings", "FirstTime", 1};
inline constexpr IntKey ActiveView{"Settings", "ActiveView", 2020};
inline constexpr StringKey InstallPath{"Settings", "InstallPath", ""};
inline constexpr IntKey UseProxy{"Settings", "UseProxy", 0};
// Without a proxy of the user's: 1 the desktop's proxy settings and the *_proxy environment,
// 0 no proxy at all.
inline constexpr IntKey SystemProxy{"Settings", "SystemProxy", 1};
inline constexpr StringKey ProxyAddress{"Settings", "ProxyAddress", ""};
inline constexpr StringKey ProxyPort{"Settings", "ProxyPort", ""};
inline constexpr IntKey UseCM{"Settings", "UseCM", 1};
inline constexpr IntKey UseAutoConnect{"Settings", "UseAutoConnect", 0};
inline constexpr StringKey WebCheckUrl{"Settings", "WebCheckUrl",
                                       "http://www.oxbowfield.com/quillpost/webcheck.xml"};
inline constexpr IntKey WebCheckVersion{"Settings", "WebCheckVersion", 1};
// Where the feed wizard finds its listing of feeds and its feed search; the search's path and
// query are appended to the second.
inline constexpr StringKey OnlineListingUrl{"Settings", "OnlineListingUrl",
                                            "http://www.oxbowfield.com/quillpost/onlineFeeds.xml"};
inline constexpr StringKey FeedSearchUrl{"Settings", "FeedSearchUrl",
                                         "http://www.oxbowfield.com/quillpost/feedsearch/"};

// Special
inline constexpr IntKey DownloadBuffer{"Special", "DownloadBuffer", 1, 4};
inline constexpr IntKey DownloadSkipHeaders{"Special", "DownloadSkipHeaders", 1};
inline constexpr IntKey VerifyDatabase{"Special", "VerifyDatabase", 1};
inline constexpr IntKey LockDatabase{"Special", "LockDatabase", 1};
// How many downloads a run makes at once; 1 takes the entries strictly one after another.
inline constexpr IntKey MaxTransfers{"Special", "MaxTransfers", 24};
// How many connections a run opens to one server; a server that speaks HTTP/2 gets all of its
// downloads over one.
inline constexpr IntKey MaxTransfersPerServer{"Special", "MaxTransfersPerServer", 2};

// HtmlView (colours are 0x00BBGGRR)
inline constexpr IntKey BgColor{"HtmlView", "bgColor", 0xFFFFFF};
// A muted blue that reads on the white background (6:1); the handheld's lighter one did not.
inline constexpr IntKey TxColor{"HtmlView", "txColor", 0xA05A5A};
inline constexpr IntKey LkColor{"HtmlView", "lkColor", 0xFF0000};
inline constexpr IntKey ShowImages{"HtmlView", "ShowImages", 0};
inline constexpr IntKey ShowExtended{"HtmlView", "ShowExtended", 0};
inline constexpr IntKey ItemFontSize{"HtmlView", "iFontSize", 8};

// Audio
inline constexpr StringKey AudioFolder{"Audio", "Folder", ""};
inline constexpr IntKey AudioMaxItemSize{"Audio", "MaxItemSize", 2};
inline constexpr IntKey AudioMaxTotalSize{"Audio", "MaxTotalSize", 10, 20};
inline constexpr IntKey AudioAutoTime{"Audio", "AutoTime", -1, 0};

// AutoReload
inline constexpr IntKey ReloadOnStart{"AutoReload", "OnStart", 0};
// Shown as the program reads it: an unset key is off on the screen too.
inline constexpr IntKey ReloadOnAS{"AutoReload", "OnAS", 0};
inline constexpr IntKey ReloadFrequency{"AutoReload", "Frequency", 0};
inline constexpr IntKey ReloadTime1{"AutoReload", "Time1", 0};
inline constexpr IntKey ReloadTime2{"AutoReload", "Time2", 0};
inline constexpr IntKey ReloadTime3{"AutoReload", "Time3", 0};
inline constexpr IntKey ReloadTime4{"AutoReload", "Time4", 0};
inline constexpr IntKey ReloadTime5{"AutoReload", "Time5", 0};
inline constexpr IntKey ReloadTime6{"AutoReload", "Time6", 0};
inline constexpr IntKey NextReload{"AutoReload", "NextReload", -1};
inline constexpr IntKey ResetNextReload{"AutoReload", "ResetNextReload", 0};
inline constexpr IntKey BackgroundStatus{"AutoReload", "BackgroundStatus", 0};
inline constexpr StringKey BackgroundLastRefresh{"AutoReload", "BackgroundLastRefresh", "0"};
inline constexpr StringKey LastRefreshDate{"AutoReload", "LastRefreshDate", ""};
// Whether the machine was online when the schedule last looked: coming online is a reload sign.
inline constexpr IntKey WasOnline{"AutoReload", "WasOnline", 1};

// Today (read by the Today-screen component as well)
inline constexpr IntKey TodayEnable{"Today", "Enable", 0};
inline constexpr IntKey TodayUsePB{"Today", "UsePB", 0};
inline constexpr IntKey TodayDelay{"Today", "Delay", 4};
inline constexpr IntKey TodayVSize{"Today", "VSize", 70};
inline constexpr IntKey TodayShadowMode{"Today", "ShadowMode", 0};
inline constexpr IntKey TodayWebLinkMode{"Today", "WebLinkMode", 1};
inline constexpr IntKey TodayShowDescription{"Today", "ShowDescription", 1};
inline constexpr IntKey TodayWhiteBackground{"Today", "WhiteBackground", 0};
inline constexpr IntKey TodaySESelection{"Today", "SESelection", 0};
inline constexpr IntKey TodayHasChanged{"Today", "TodayHasChanged", 0};
inline constexpr IntKey TodayHWND{"Today", "HWND", 0};

// Warning (start-up warnings), in MB; sized for a desktop's disks and memory.
inline constexpr IntKey WarnLowDisk{"Warning", "LowDisk", 500};
inline constexpr IntKey WarnLowRAM{"Warning", "LowRAM", 100};
inline constexpr IntKey WarnMaxDatabase{"Warning", "MaxDatabase", 2000};
inline constexpr IntKey WarnAudioCache{"Warning", "AudioCache", 1};
inline constexpr IntKey WarnShowDPadMSG{"Warning", "ShowDPadMSG", 1};
inline constexpr IntKey WarnAutoReload{"Warning", "AutoReload", 1};
// The warnings already told in the status bar, by condition name, comma-separated.
inline constexpr StringKey WarnReported{"Warning", "Reported", ""};

// Remembered screen state
inline constexpr IntKey FeedViewCurrentViewID{"FeedView", "CurrentViewID", 0};
inline constexpr IntKey ItemViewCurrentViewID{"ItemView", "CurrentViewID", 0};
inline constexpr IntKey ItemViewCurrentFeedID{"ItemView", "CurrentFeedID", 0};
// 1 while the item list shows the items of all Feeds (the wide window's "Show All Feeds"), which
// then stands for the View or Feed above; whatever chooses a View or Feed writes 0.
inline constexpr IntKey ItemViewAllFeeds{"ItemView", "AllFeeds", 0};

} // namespace Key

// A number key with the values it may hold; a value outside them, written by hand or by an
// earlier version, is never used.
struct RangedIntKey {
    const IntKey* key;
    int minimum;
    int maximum;

    bool Allows(int value) const { return value >= minimum && value <= maximum; }
};

// Every key above, for lookups by name and listings (the command line's "config").
const IntKey* FindIntKey(const QString& section, const QString& key);
const RangedIntKey* FindRangedKey(const QString& section, const QString& key);
// The key with its range; null only for a key missing from the list, which a test rules out.
const RangedIntKey* FindRangedKey(const IntKey& key);
const StringKey* FindStringKey(const QString& section, const QString& key);
QList<const IntKey*> AllIntKeys();
QList<const StringKey*> AllStringKeys();

// Feed-format field overrides live in "RSSMap\Map" + the format's map index.
namespace FieldMapKey {
inline constexpr const char* Title = "Title";
inline constexpr const char* Link = "Link";
inline constexpr const char* Date = "Date";
inline constexpr const char* Content = "Content";
inline constexpr const char* XmlChildren = "XmlChildren";
QString Section(int mapIndex);
// Whether a section and key name one of these overrides ("RSSMap\Map5", "Title").
bool IsFieldMapKey(const QString& section, const QString& key);
} // namespace FieldMapKey
