// The list, command and application icons, from the program's resources or the desktop theme.

#include "gui/desktop/Icons.h"

#include "config/AppSettings.h"
#include "store/FeedIconCache.h"

#include <QHash>
#include <array>

// Each made once: views ask for a row's icon whenever they lay their rows out, and an icon made
// anew reads and parses its SVG file again (a run's progress list spent most of its time so).
// Icons are made on the window's thread only.
QIcon OwnIcon(const QString& name) {
    static QHash<QString, QIcon> made;
    auto icon = made.find(name);
    if (icon == made.end())
        icon = made.insert(name, QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg")));
    return *icon;
}

QIcon ListIcon(int index) {
    static const std::array<QIcon, ListIconCount> icons = {
        OwnIcon(QStringLiteral("qp_disabled")), OwnIcon(QStringLiteral("qp_unread")),
        OwnIcon(QStringLiteral("qp_read")), OwnIcon(QStringLiteral("qp_locked")),
        OwnIcon(QStringLiteral("qp_audio"))};
    return index >= 0 && index < ListIconCount ? icons[std::size_t(index)] : QIcon();
}

QIcon CommandIcon(const QString& themeName, const QString& ownName) {
    return QIcon::fromTheme(themeName, OwnIcon(ownName));
}

QIcon ApplicationIcon() {
    return OwnIcon(QStringLiteral("quillpost"));
}

QHash<qint32, QString> FeedIconFiles(const std::vector<CFeedRecord>& feeds) {
    const CFeedIconCache cache(CAppSettings::FeedIconFolder());
    QHash<qint32, QString> files;
    for (const CFeedRecord& feed : feeds)
        if (const QString file = cache.IconFile(feed.FeedUrl); !file.isEmpty())
            files.insert(feed.FeedID, file);
    return files;
}

QHash<qint32, QIcon> FeedIcons(const std::vector<CFeedRecord>& feeds) {
    QHash<qint32, QIcon> icons;
    const QHash<qint32, QString> files = FeedIconFiles(feeds);
    for (auto file = files.begin(); file != files.end(); ++file)
        icons.insert(file.key(), QIcon(file.value()));
    return icons;
}
