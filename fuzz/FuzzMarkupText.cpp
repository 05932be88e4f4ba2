// DecodeEntities, StripTags and UnwrapCData on the same input; the first byte picks which, so
// that one corpus serves all three.
#include "FuzzInput.h"
#include "text/MarkupText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QString text = FuzzText(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        // Decoding only ever shortens a text or keeps its length.
        if (DecodeEntities(text).size() > text.size())
            std::abort();
        break;
    case 1:
        if (StripTags(text).size() > text.size() + 1)
            std::abort();
        break;
    default:
        if (UnwrapCData(text).size() > text.size() + 1)
            std::abort();
        break;
    }
    return 0;
}
