// The list, command and application icons, from the program's resources or the desktop theme.

#include "gui/desktop/Icons.h"

#include <array>

QIcon OwnIcon(const QString& name) {
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
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
