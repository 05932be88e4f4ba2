// Reads a number the way the C library's atoi does.

#include "text/NumberText.h"

#include <algorithm>

namespace {

// The value of a digit in the base, or -1 when the character is none.
int DigitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

} // namespace

int ReadLeadingInt(QStringView text, int limit, int base) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    for (int digit; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i)
        value = std::min<qint64>(value * base + digit, limit);
    return int(negative ? -value : value);
}
