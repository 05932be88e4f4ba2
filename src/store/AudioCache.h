#pragma once

#include <QString>

// Where an enclosure is cached: <audio folder>/<feed label>/<file name of its address>.

// The folder name of a feed: its title cut to 40 characters with \ / : * ? " < > | replaced by
// underscores; "rss" when the feed is unknown.
QString FeedLabelOf(const QString& feedTitle);
QString UnknownFeedLabel();

// No label or file name ever leads out of the cache folder: empty, "." and ".." are replaced.
QString AudioCacheFilePath(const QString& audioFolder, const QString& feedLabel,
                           const QString& enclosureUrl);
