#include "feeds/EndTagIndex.h"

#include <algorithm>

namespace {
qsizetype FirstAtOrAfter(const std::vector<qsizetype>& positions, qsizetype from,
                         std::vector<qsizetype>::const_iterator* at = nullptr) {
    const auto it = std::lower_bound(positions.begin(), positions.end(), from);
    if (at)
        *at = it;
    return it == positions.end() ? -1 : *it;
}
} // namespace

EndTagIndex::EndTagIndex(const QString& text) : text_(text) {
    const QStringView view(text);
    for (qsizetype open = view.indexOf(QChar(u'<')); open >= 0;
         open = view.indexOf(QChar(u'<'), open)) {
        const qsizetype nameStart = open + 2;
        if (nameStart > view.size() || view[open + 1] != u'/') {
            ++open;
            continue;
        }
        qsizetype end = nameStart;
        while (end < view.size() && view[end] != u'<' && view[end] != u'>')
            ++end;
        if (end == view.size())
            break;
        auto& index = view[end] == u'>' ? endedByGreaterThan_ : endedByLessThan_;
        index[view.mid(nameStart, end - nameStart)].push_back(open);
        open = end; // a '<' that ended the name may itself open "</"
    }
}

qsizetype EndTagIndex::Find(QStringView name, qsizetype from) {
    if (name.contains(QChar(u'>')))
        return -1;
    if (name.contains(QChar(u'<')))
        return FindNameWithLessThan(name, from);
    const auto it = endedByGreaterThan_.constFind(name);
    return it == endedByGreaterThan_.constEnd() ? -1 : FirstAtOrAfter(*it, from);
}

qsizetype EndTagIndex::FindNameWithLessThan(QStringView name, qsizetype from) {
    const QString key = name.toString();
    if (const auto absent = absentFrom_.constFind(key);
        absent != absentFrom_.constEnd() && from >= *absent)
        return -1;
    const QString endTag = QStringLiteral("</") + key + u'>';
    const auto candidates = endedByLessThan_.constFind(name.left(name.indexOf(QChar(u'<'))));
    if (candidates != endedByLessThan_.constEnd()) {
        std::vector<qsizetype>::const_iterator it;
        FirstAtOrAfter(*candidates, from, &it);
        for (; it != candidates->end(); ++it)
            if (QStringView(text_).mid(*it).startsWith(endTag))
                return *it;
    }
    absentFrom_.insert(key, from);
    return -1;
}
