// The program's icons: list icons, command bar images and our own pictures.

#pragma once

#include "store/Records.h"

#include <QHash>
#include <QIcon>
#include <vector>

// The shared list icons, by index as the lists draw them.
enum ListIconIndex {
    IconDisabled = 0,
    IconUnread = 1,
    IconRead = 2,
    IconLocked = 3,
    IconAudio = 4
};
constexpr int ListIconCount = 5;

// Our own images, shipped in the resources. A missing one gives an empty icon.
QIcon ListIcon(int index);
// A command bar or menu image: the desktop theme's icon of that name, else our own.
QIcon CommandIcon(const QString& themeName, const QString& ownName);
QIcon ApplicationIcon();
// One of our own images by name.
QIcon OwnIcon(const QString& name);

// The feeds' own icons as the download runs kept them, by FeedID; feeds without one are left
// out, to be drawn with the generic icon.
QHash<qint32, QString> FeedIconFiles(const std::vector<CFeedRecord>& feeds);
QHash<qint32, QIcon> FeedIcons(const std::vector<CFeedRecord>& feeds);
