// The feeds' icons kept in the cache folder, and when each site was last asked for one.

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// The feeds' icons in a folder of their own: one PNG file per address an icon came from, and an
// index (index.json) of the addresses each feed takes its icon from, in order of preference, and
// of when each site (scheme, host and port) was last asked. What is kept is always a decodable
// image of at most StoredSide pixels a side, whatever the site sent. Not safe to share between
// threads; the index is read when the object is made and written by Save.
class CFeedIconCache {
public:
    // A site is asked at most once a day, whatever came of the last try,
    static constexpr qint64 RetrySeconds = 24 * 3600;
    // and an icon kept is asked for again after a week, as sites seldom change theirs.
    static constexpr qint64 RefreshSeconds = 7 * 24 * 3600;
    // The most an icon's answer may hold; a larger one is no icon.
    static constexpr qint64 MostBytes = 64 * 1024;
    // A few kilobytes of PNG may claim a huge picture: larger ones are not decoded.
    static constexpr int MostDecodedSide = 1024;
    static constexpr int StoredSide = 64;

    explicit CFeedIconCache(const QString& folder);

    // The scheme, host and port of an address, which tries are counted by.
    static QString SiteOf(const QString& address);

    // The file of the first address of the feed that has an icon, or empty.
    QString IconFile(const QString& feedUrl) const;
    QStringList Addresses(const QString& feedUrl) const;
    void SetAddresses(const QString& feedUrl, const QStringList& addresses);

    // Whether an icon from `address` is kept and younger than RefreshSeconds.
    bool HasFreshIcon(const QString& address, const QDateTime& now) const;
    // Whether the address's site may be asked now: it was not asked within RetrySeconds, or
    // only through this object (one try may ask a site for the icons of several feeds).
    bool MayAsk(const QString& address, const QDateTime& now) const;
    void NoteTry(const QString& address, const QDateTime& now);

    // Keeps what `address` answered when it decodes as an image of sensible size, scaled down
    // to StoredSide and set on a square; false, and nothing kept, when it does not.
    bool Keep(const QString& address, const QByteArray& bytes);
    bool Save() const;

private:
    QString FileOf(const QString& address) const;
    QString IndexPath() const;
    void Load();

    QString folder_;
    QHash<QString, QStringList> feedAddresses_;
    QHash<QString, QDateTime> siteTries_;
    QSet<QString> askedHere_;
};
