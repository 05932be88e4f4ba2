// The feed icon files of the cache folder and their index of addresses and tries.

#include "store/FeedIconCache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSaveFile>
#include <QUrl>

namespace {

const QString FeedsKey = QStringLiteral("feeds");
const QString SitesKey = QStringLiteral("sites");

// The image the bytes hold, or a null one when they hold none or claim too large a picture.
QImage DecodedImage(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > CFeedIconCache::MostDecodedSide ||
        size.height() > CFeedIconCache::MostDecodedSide)
        return {};
    QImage image;
    return reader.read(&image) ? image : QImage();
}

// The image within StoredSide, centred on a transparent square so that a wide logo keeps its
// proportions wherever it is drawn as a square icon.
QImage SquareIcon(const QImage& image) {
    const QImage scaled =
        image.width() > CFeedIconCache::StoredSide || image.height() > CFeedIconCache::StoredSide
            ? image.scaled(CFeedIconCache::StoredSide, CFeedIconCache::StoredSide,
                           Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : image;
    const int side = std::max(scaled.width(), scaled.height());
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    return square;
}

} // namespace

CFeedIconCache::CFeedIconCache(const QString& folder) : folder_(folder) {
    Load();
}

QString CFeedIconCache::SiteOf(const QString& address) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return scheme + QStringLiteral("://") + url.host().toLower() + u':' +
           QString::number(url.port(scheme == u"https" ? 443 : 80));
}

QString CFeedIconCache::FileOf(const QString& address) const {
    return folder_ + u'/' +
           QString::fromLatin1(
               QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

QString CFeedIconCache::IndexPath() const {
    return folder_ + QStringLiteral("/index.json");
}

QString CFeedIconCache::IconFile(const QString& feedUrl) const {
    for (const QString& address : feedAddresses_.value(feedUrl))
        if (const QString file = FileOf(address); QFileInfo::exists(file))
            return file;
    return {};
}

QStringList CFeedIconCache::Addresses(const QString& feedUrl) const {
    return feedAddresses_.value(feedUrl);
}

void CFeedIconCache::SetAddresses(const QString& feedUrl, const QStringList& addresses) {
    feedAddresses_.insert(feedUrl, addresses);
}

bool CFeedIconCache::HasFreshIcon(const QString& address, const QDateTime& now) const {
    const QFileInfo file(FileOf(address));
    return file.exists() && file.lastModified().secsTo(now) < RefreshSeconds;
}

bool CFeedIconCache::MayAsk(const QString& address, const QDateTime& now) const {
    const QString site = SiteOf(address);
    const QDateTime tried = siteTries_.value(site);
    return askedHere_.contains(site) || !tried.isValid() || tried.secsTo(now) >= RetrySeconds ||
           tried > now; // a clock set back does not stop the tries for good
}

void CFeedIconCache::NoteTry(const QString& address, const QDateTime& now) {
    const QString site = SiteOf(address);
    siteTries_.insert(site, now);
    askedHere_.insert(site);
}

bool CFeedIconCache::Keep(const QString& address, const QByteArray& bytes) {
    if (bytes.size() > MostBytes)
        return false;
    const QImage image = DecodedImage(bytes);
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return false;
    QDir().mkpath(folder_);
    QSaveFile file(FileOf(address));
    return file.open(QIODevice::WriteOnly) && SquareIcon(image).save(&file, "PNG") && file.commit();
}

void CFeedIconCache::Load() {
    QFile file(IndexPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject index = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject feeds = index.value(FeedsKey).toObject();
    for (auto feed = feeds.begin(); feed != feeds.end(); ++feed)
        feedAddresses_.insert(feed.key(), feed.value().toVariant().toStringList());
    const QJsonObject sites = index.value(SitesKey).toObject();
    for (auto site = sites.begin(); site != sites.end(); ++site)
        siteTries_.insert(site.key(), QDateTime::fromString(site.value().toString(), Qt::ISODate));
}

bool CFeedIconCache::Save() const {
    QJsonObject feeds;
    for (auto feed = feedAddresses_.begin(); feed != feedAddresses_.end(); ++feed)
        feeds.insert(feed.key(), QJsonArray::fromStringList(feed.value()));
    QJsonObject sites;
    for (auto site = siteTries_.begin(); site != siteTries_.end(); ++site)
        sites.insert(site.key(), site.value().toUTC().toString(Qt::ISODate));
    QDir().mkpath(folder_);
    QSaveFile file(IndexPath());
    return file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(QJsonObject{{FeedsKey, feeds}, {SitesKey, sites}}).toJson()) >=
               0 &&
           file.commit();
}
