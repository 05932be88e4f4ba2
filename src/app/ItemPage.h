// The page an item is read in, composed the same way for every front end.

#pragma once

#include "store/Records.h"

#include <QString>
#include <QUrl>

// The page an item is read in, as every front end composes it: the Feed's title, the item's
// title (a link when it has one), its date and its text, inside a page that carries the reading
// colours.

struct PageColors {
    quint32 background; // 0x00BBGGRR, as the configuration stores colours
    quint32 text;
    quint32 link;
};

// The size word of HtmlView\iFontSize (7 "smallest" … 12 "largest"; any other value "normal")
// and the zoom level it stands for (-1 … 3).
QString FontSizeWord(int fontSize);
int ZoomLevel(const QString& sizeWord);

// The page body; `dateText` is empty for an item without a date. The item's author, when
// known, follows the date.
QString ComposeItemBody(const QString& feedTitle, const CFeedItemRecord& item,
                        const QString& dateText, const QString& description);
// The whole page around a composed body.
QString WrapItemPage(const QString& body, const PageColors& colors);

// A page as the reading pane may lay it out: scripts removed with their text, and tables nested
// deeper than a page needs flattened, as their layout grows without bound with the depth.
QString DisplayableMarkup(const QString& html);

// Feeds are untrusted: only web and mail links ever leave the program, and mail links only
// without attachments.
bool IsOpenableLink(const QUrl& link);
