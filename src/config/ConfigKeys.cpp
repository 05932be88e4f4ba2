// The tables of configuration keys and the look-up of a key by section and name.

#include "config/ConfigKeys.h"

#include <QRegularExpression>
#include <QStringList>
#include <limits>

namespace {

constexpr int Smallest = std::numeric_limits<int>::min();
constexpr int Largest = std::numeric_limits<int>::max();
constexpr int WhiteColour = 0xFFFFFF;
// Schedule times are minutes of the day, 1440 standing for midnight.
constexpr int MinutesPerDay = 1440;

// Every number key with the values it may hold: flags 0 or 1, sizes small enough that no use of
// them overflows (the download buffer is multiplied by 1024, megabytes by 1048576), times within
// a day.
const RangedIntKey IntKeys[] = {
    {&Key::FontSize, 1, 72},
    {&Key::DateFormat, 0, 1},
    {&Key::AutoPurgeFD, 0, 1},
    {&Key::ShowFVDates, 0, 1},
    {&Key::ShowIVDates, 0, 1},
    {&Key::ShowFVButtons, 0, 1},
    {&Key::ShowIVButtons, 0, 1},
    {&Key::IsVGA, 0, 1},
    {&Key::StartMode, 0, 1},
    {&Key::TrayIcon, 0, 1},
    {&Key::CloseToTray, 0, 1},
    {&Key::Notifications, 0, 1},
    {&Key::FirstTime, 0, 1},
    {&Key::ActiveView, 2010, 2040},
    {&Key::UseProxy, 0, 1},
    {&Key::SystemProxy, 0, 1},
    {&Key::UseCM, 0, 1},
    {&Key::UseAutoConnect, 0, 1},
    {&Key::WebCheckVersion, 0, Largest},
    {&Key::DownloadBuffer, 0, 1024},
    {&Key::DownloadSkipHeaders, 0, 1},
    {&Key::VerifyDatabase, 0, 1},
    {&Key::LockDatabase, 0, 1},
    {&Key::MaxTransfers, 1, 32},
    {&Key::MaxTransfersPerServer, 1, 32},
    {&Key::BgColor, 0, WhiteColour},
    {&Key::TxColor, 0, WhiteColour},
    {&Key::LkColor, 0, WhiteColour},
    {&Key::ShowImages, 0, 1},
    {&Key::ShowExtended, 0, 1},
    {&Key::ItemFontSize, 1, 72},
    {&Key::AudioMaxItemSize, 1, 4096},
    {&Key::AudioMaxTotalSize, 1, 1048576},
    {&Key::AudioAutoTime, -MinutesPerDay, MinutesPerDay},
    {&Key::ReloadOnStart, 0, 1},
    {&Key::ReloadOnAS, 0, 1},
    {&Key::ReloadFrequency, 0, MinutesPerDay},
    {&Key::ReloadTime1, -MinutesPerDay, MinutesPerDay},
    {&Key::ReloadTime2, -MinutesPerDay, MinutesPerDay},
    {&Key::ReloadTime3, -MinutesPerDay, MinutesPerDay},
    {&Key::ReloadTime4, -MinutesPerDay, MinutesPerDay},
    {&Key::ReloadTime5, -MinutesPerDay, MinutesPerDay},
    {&Key::ReloadTime6, -MinutesPerDay, MinutesPerDay},
    {&Key::NextReload, -1, MinutesPerDay},
    {&Key::ResetNextReload, 0, 1},
    {&Key::BackgroundStatus, 0, 2},
    {&Key::WasOnline, 0, 1},
    {&Key::TodayEnable, 0, 1},
    {&Key::TodayUsePB, 0, 1},
    {&Key::TodayDelay, 0, 3600},
    {&Key::TodayVSize, 0, 1000},
    {&Key::TodayShadowMode, 0, 3},
    {&Key::TodayWebLinkMode, 0, 2},
    {&Key::TodayShowDescription, 0, 1},
    {&Key::TodayWhiteBackground, 0, 1},
    {&Key::TodaySESelection, 0, 1},
    {&Key::TodayHasChanged, 0, 1},
    {&Key::TodayHWND, Smallest, Largest},
    {&Key::WarnLowDisk, 0, 1048576},
    {&Key::WarnLowRAM, 0, 1048576},
    {&Key::WarnMaxDatabase, 0, 1048576},
    {&Key::WarnAudioCache, 0, 1},
    {&Key::WarnShowDPadMSG, 0, 1},
    {&Key::WarnAutoReload, 0, 1},
    {&Key::FeedViewCurrentViewID, 0, Largest},
    {&Key::ItemViewCurrentViewID, 0, Largest},
    {&Key::ItemViewCurrentFeedID, 0, Largest},
    {&Key::ItemViewAllFeeds, 0, 1},
};

const StringKey* const StringKeys[] = {
    &Key::Database,      &Key::Browser,     &Key::AudioPlayer,           &Key::InstallPath,
    &Key::ProxyAddress,  &Key::ProxyPort,   &Key::WebCheckUrl,           &Key::OnlineListingUrl,
    &Key::FeedSearchUrl, &Key::AudioFolder, &Key::BackgroundLastRefresh, &Key::LastRefreshDate,
    &Key::WarnReported,
};

template <typename KeyType>
bool IsNamed(const KeyType& candidate, const QString& section, const QString& key) {
    return section.compare(QLatin1String(candidate.section), Qt::CaseInsensitive) == 0 &&
           key.compare(QLatin1String(candidate.key), Qt::CaseInsensitive) == 0;
}

} // namespace

const RangedIntKey* FindRangedKey(const QString& section, const QString& key) {
    for (const RangedIntKey& candidate : IntKeys)
        if (IsNamed(*candidate.key, section, key))
            return &candidate;
    return nullptr;
}

const IntKey* FindIntKey(const QString& section, const QString& key) {
    const RangedIntKey* found = FindRangedKey(section, key);
    return found ? found->key : nullptr;
}

const RangedIntKey* FindRangedKey(const IntKey& key) {
    for (const RangedIntKey& candidate : IntKeys)
        if (candidate.key == &key)
            return &candidate;
    return nullptr;
}

const StringKey* FindStringKey(const QString& section, const QString& key) {
    for (const StringKey* candidate : StringKeys)
        if (IsNamed(*candidate, section, key))
            return candidate;
    return nullptr;
}

QList<const IntKey*> AllIntKeys() {
    QList<const IntKey*> keys;
    for (const RangedIntKey& ranged : IntKeys)
        keys << ranged.key;
    return keys;
}

QList<const StringKey*> AllStringKeys() {
    return QList<const StringKey*>(std::begin(StringKeys), std::end(StringKeys));
}

bool FieldMapKey::IsFieldMapKey(const QString& section, const QString& key) {
    static const QRegularExpression mapSection(QStringLiteral("^RSSMap\\\\Map\\d+$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QStringList keys = {Title, Link, Date, Content, XmlChildren};
    return mapSection.match(section).hasMatch() && keys.contains(key, Qt::CaseInsensitive);
}
