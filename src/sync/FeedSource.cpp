// Which source class serves which kind of server account.
#include "sync/FeedSource.h"

#include "sync/TtRssSource.h"

bool IsKnownAccountKind(const QString& kind) {
    return kind == QLatin1String("ttrss");
}

std::unique_ptr<IFeedSource> MakeFeedSource(const CAccountRecord& account,
                                            const QString& password) {
    if (account.Kind == QLatin1String("ttrss"))
        return std::make_unique<CTtRssSource>(account.Url, account.UserName, password);
    return nullptr;
}
