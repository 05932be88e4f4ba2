// Where an enclosure is cached: folder and file names made safe for the file system.

#include "store/AudioCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

bool IsOnlyDots(const QString& name) {
    return std::all_of(name.begin(), name.end(), [](QChar c) { return c == u'.'; });
}

QString LastSegment(const QString& text) {
    const qsizetype separator = std::max(text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'));
    return text.mid(separator + 1);
}

// The name without path separators and control characters; empty when only dots are left.
QString StrippedName(const QString& name) {
    QString stripped;
    for (QChar c : name)
        if (c != u'/' && c != u'\\' && c.category() != QChar::Other_Control)
            stripped += c;
    return IsOnlyDots(stripped) ? QString() : stripped;
}

QString OrReplacement(const QString& name, const QString& replacement) {
    return name.isEmpty() ? replacement : name;
}

// The path with every part that exists resolved through its symbolic links; the parts that
// do not exist yet are joined to it as written.
QString ResolvedPath(const QString& path) {
    QString existing = QDir::cleanPath(path);
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return QDir::cleanPath(path);
        rest = existing.mid(slash) + rest;
        existing.truncate(slash);
    }
    return QFileInfo(existing).canonicalFilePath() + rest;
}

// A file name may hold 255 bytes; an address may name a longer one. Such a name keeps its
// beginning and its extension, with a digest of the whole name between them, so that two long
// names that begin alike still name two files.
QString WithinNameLimit(const QString& name) {
    constexpr qsizetype MostNameBytes = 255;
    if (name.toUtf8().size() <= MostNameBytes)
        return name;
    const QString suffix = QFileInfo(name).suffix().left(16);
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Md5).toHex().left(16));
    QString kept = name.left(120);
    while ((kept + digest + suffix).toUtf8().size() > MostNameBytes - 2)
        kept.chop(1);
    return kept + u'-' + digest + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

} // namespace

QString FeedLabelOf(const QString& feedTitle) {
    QString label = feedTitle.left(40);
    for (QChar& c : label)
        if (QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    return label;
}

QString UnknownFeedLabel() {
    return QStringLiteral("rss");
}

QString SafeFileName(const QString& name) {
    // Decoding comes after the split, so that an encoded separator names no folder; whatever
    // separator the decoding brings is then removed.
    return WithinNameLimit(StrippedName(QUrl::fromPercentEncoding(LastSegment(name).toUtf8())));
}

bool IsInsideFolder(const QString& path, const QString& folder) {
    const QString inside = ResolvedPath(folder) + u'/';
    return ResolvedPath(path).startsWith(inside);
}

QString AudioCacheFilePath(const QString& audioFolder, const QString& feedLabel,
                           const QString& enclosureUrl) {
    const QString path = audioFolder + u'/' +
                         OrReplacement(StrippedName(feedLabel), UnknownFeedLabel()) + u'/' +
                         OrReplacement(SafeFileName(enclosureUrl), QStringLiteral("enclosure.mp3"));
    return IsInsideFolder(path, audioFolder) ? path : QString();
}
