// Where enclosures are cached, and safe names for their folders and files.

#pragma once

#include <QString>

// Where an enclosure is cached: <audio folder>/<feed label>/<file name of its address>.

// The folder name of a feed: its title cut to 40 characters with \ / : * ? " < > | replaced by
// underscores; "rss" when the feed is unknown.
QString FeedLabelOf(const QString& feedTitle);
QString UnknownFeedLabel();

// A file name taken from a feed, made safe to join to a folder: the last segment of `name`
// after '/' or '\', percent-decoded once, with every path separator and control character
// removed. Empty when nothing usable is left, or only dots.
QString SafeFileName(const QString& name);

// True when `path` lies inside `folder`, symbolic links of the parts that exist resolved.
bool IsInsideFolder(const QString& path, const QString& folder);

// The cache file of an enclosure. An unusable label becomes "rss", an unusable file name
// "enclosure.mp3"; empty (the enclosure is refused) when the result would not lie inside the
// cache folder.
QString AudioCacheFilePath(const QString& audioFolder, const QString& feedLabel,
                           const QString& enclosureUrl);
