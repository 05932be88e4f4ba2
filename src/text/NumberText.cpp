#include "text/NumberText.h"

#include <algorithm>

int ReadLeadingInt(QStringView text, int limit) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<qint64>(value * 10 + (text[i].unicode() - u'0'), limit);
    return int(negative ? -value : value);
}
