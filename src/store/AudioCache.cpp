#include "store/AudioCache.h"

namespace {

// A path component that stays inside its folder.
QString SafeComponent(const QString& name, const QString& replacement) {
    return (name.isEmpty() || name == u"." || name == u"..") ? replacement : name;
}

QString FileNameOf(const QString& url) {
    qsizetype separator = url.lastIndexOf(u'\\');
    if (separator < 0)
        separator = url.lastIndexOf(u'/');
    return url.mid(separator + 1);
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

QString AudioCacheFilePath(const QString& audioFolder, const QString& feedLabel,
                           const QString& enclosureUrl) {
    return audioFolder + u'/' + SafeComponent(feedLabel, UnknownFeedLabel()) + u'/' +
           SafeComponent(FileNameOf(enclosureUrl), QStringLiteral("enclosure.mp3"));
}
