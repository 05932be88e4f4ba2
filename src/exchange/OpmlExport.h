// Export of feeds to an OPML file.

#pragma once

#include <QList>
#include <QString>

class CRssDatabase;

// Writes the listed feeds, in order, to an OPML 1.1 file and tells the user through the
// installed prompt whether it was saved. Feeds that cannot be read are left out.
bool ExportOpml(CRssDatabase& db, const QList<qint32>& feedIDs, const QString& path);
