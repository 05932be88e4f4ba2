// The JSON Feed reader on any bytes: false leaves the record untouched, true gives a JSON Feed.
#include "feeds/JsonFeedReader.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    CFeedData record;
    if (!ReadJsonFeed(record, bytes, QStringLiteral("https://example.org/feeds/feed.json"))) {
        if (record.FeedType != FeedTypeUnknown || !record.Items.empty())
            std::abort();
    } else if (record.FeedType != FeedTypeJsonFeed || !record.Version.startsWith(u"JSON Feed ")) {
        std::abort();
    }
    return 0;
}
