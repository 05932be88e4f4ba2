// Where a merge sends the pages it wants kept for offline reading.

#pragma once

#include <QString>
#include <QtGlobal>

// Where a merge sends the pages of new items that their feed wants kept for offline reading;
// the download run implements it and fetches them later in the same run.
class IExtendedDataQueue {
public:
    virtual ~IExtendedDataQueue() = default;
    virtual void QueueExtendedData(qint32 feedID, qint32 feedItemID, const QString& url,
                                   const QString& title) = 0;
};
