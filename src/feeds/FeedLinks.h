// Relative links of a feed resolved against its address and xml:base.

#pragma once

#include "feeds/XmlDocument.h"

#include <QString>
#include <QUrl>

// The base a node's relative links resolve against: the document's address, refined by each
// xml:base from the root down to the node. Empty when the document has no web address.
QUrl LinkBase(const CXmlNode* node, const QString& documentAddress);

// The base of a node whose parent's links resolve against `parentBase`: that base, refined by
// the node's own xml:base. Readers walking down the tree refine the base a step at a time
// rather than parse the addresses of every ancestor again for each link.
QUrl ChildLinkBase(const CXmlNode* node, const QUrl& parentBase);

// `href` made absolute against `base`; unchanged when it is absolute already or there is no
// absolute base.
QString ResolveLink(const QString& href, const QUrl& base);

// Markup with every relative href and src attribute made absolute against `base`, so that a
// link or image of the content still leads where its feed meant once it is shown elsewhere. The
// markup may be raw or escaped once (`&lt;a href=&quot;…&quot;&gt;`), as feeds carry it.
QString ResolveContentLinks(const QString& markup, const QUrl& base);

// An http or https address, which an item without a link can be reached through.
bool IsWebAddress(const QString& text);

// An Atom link without rel, or with rel="alternate", points at the page of its feed or entry.
bool IsAlternateLink(const CXmlNode* link);
