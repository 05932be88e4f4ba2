// ParseFeedDate on any text: it always gives a valid date, never a crash.
#include "FuzzInput.h"
#include "text/DateFormat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!ParseFeedDate(FuzzText(data, size)).isValid())
        std::abort();
    return 0;
}
