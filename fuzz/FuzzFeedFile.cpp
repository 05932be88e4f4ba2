// ParseFeedFile, ParseSubscriptionList and ParseSearchResults on any bytes, decoding included.
#include "feeds/FeedParser.h"
#include "feeds/SubscriptionList.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("feed.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    CFeedData record;
    if (ParseFeedFile(record, path) && record.Title.isEmpty())
        std::abort(); // a parsed feed always has a title
    ParseSubscriptionList(record, path);
    ParseSearchResults(record, path);
    return 0;
}
