#pragma once

// The access bracket every data-store operation runs in; included by the files that make up
// CRssDatabase only.
#include "store/RssDatabase.h"
#include "store/SqlText.h"

#include <exception>

template <typename Result, typename Work>
Result CRssDatabase::WithAccess(Result failure, Work&& work) {
    if (!isOpen_ || !Connect() || !Lock())
        return failure;
    try {
        Result result = work();
        Unlock();
        return result;
    } catch (const std::exception&) {
        Unlock();
        return failure;
    }
}
