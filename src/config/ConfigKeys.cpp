#include "config/ConfigKeys.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const IntKey* const IntKeys[] = {
    &Key::FontSize,
    &Key::DateFormat,
    &Key::AutoPurgeFD,
    &Key::ShowFVDates,
    &Key::ShowIVDates,
    &Key::ShowFVButtons,
    &Key::ShowIVButtons,
    &Key::IsVGA,
    &Key::StartMode,
    &Key::FirstTime,
    &Key::ActiveView,
    &Key::UseProxy,
    &Key::UseCM,
    &Key::UseAutoConnect,
    &Key::WebCheckVersion,
    &Key::DownloadBuffer,
    &Key::DownloadSkipHeaders,
    &Key::VerifyDatabase,
    &Key::LockDatabase,
    &Key::MaxTransfers,
    &Key::BgColor,
    &Key::TxColor,
    &Key::LkColor,
    &Key::ShowImages,
    &Key::ShowExtended,
    &Key::ItemFontSize,
    &Key::AudioMaxItemSize,
    &Key::AudioMaxTotalSize,
    &Key::AudioAutoTime,
    &Key::ReloadOnStart,
    &Key::ReloadOnAS,
    &Key::ReloadFrequency,
    &Key::ReloadTime1,
    &Key::ReloadTime2,
    &Key::ReloadTime3,
    &Key::ReloadTime4,
    &Key::ReloadTime5,
    &Key::ReloadTime6,
    &Key::NextReload,
    &Key::ResetNextReload,
    &Key::BackgroundStatus,
    &Key::WasOnline,
    &Key::TodayEnable,
    &Key::TodayUsePB,
    &Key::TodayDelay,
    &Key::TodayVSize,
    &Key::TodayShadowMode,
    &Key::TodayWebLinkMode,
    &Key::TodayShowDescription,
    &Key::TodayWhiteBackground,
    &Key::TodaySESelection,
    &Key::TodayHasChanged,
    &Key::TodayHWND,
    &Key::WarnLowDisk,
    &Key::WarnLowRAM,
    &Key::WarnMaxDatabase,
    &Key::WarnAudioCache,
    &Key::WarnShowDPadMSG,
    &Key::WarnAutoReload,
    &Key::FeedViewCurrentViewID,
    &Key::ItemViewCurrentViewID,
    &Key::ItemViewCurrentFeedID,
};

const StringKey* const StringKeys[] = {
    &Key::Database,      &Key::Browser,     &Key::AudioPlayer,           &Key::InstallPath,
    &Key::ProxyAddress,  &Key::ProxyPort,   &Key::WebCheckUrl,           &Key::OnlineListingUrl,
    &Key::FeedSearchUrl, &Key::AudioFolder, &Key::BackgroundLastRefresh, &Key::LastRefreshDate,
};

template <typename KeyType, std::size_t N>
const KeyType* Find(const KeyType* const (&keys)[N], const QString& section, const QString& key) {
    for (const KeyType* candidate : keys)
        if (section.compare(QLatin1String(candidate->section), Qt::CaseInsensitive) == 0 &&
            key.compare(QLatin1String(candidate->key), Qt::CaseInsensitive) == 0)
            return candidate;
    return nullptr;
}

} // namespace

const IntKey* FindIntKey(const QString& section, const QString& key) {
    return Find(IntKeys, section, key);
}

const StringKey* FindStringKey(const QString& section, const QString& key) {
    return Find(StringKeys, section, key);
}

QList<const IntKey*> AllIntKeys() {
    return QList<const IntKey*>(std::begin(IntKeys), std::end(IntKeys));
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
