// An index of a document's end tags, searched forward as the XML reader moves on.

#include "feeds/EndTagIndex.h"

#include <algorithm>

std::size_t ForwardPositions::IndexAtOrAfter(qsizetype from) {
    if (next_ > 0 && positions_[next_ - 1] >= from)
        next_ = std::size_t(std::lower_bound(positions_.begin(), positions_.end(), from) -
                            positions_.begin());
    while (next_ < positions_.size() && positions_[next_] < from)
        ++next_;
    return next_;
}

qsizetype ForwardPositions::AtOrAfter(qsizetype from) {
    const std::size_t index = IndexAtOrAfter(from);
    return index < positions_.size() ? positions_[index] : -1;
}

EndTagIndex::EndTagIndex(const QString& text) : text_(text) {
    const QStringView view(text);
    // Counted first, which costs less than moving a list of millions as it grows.
    lessThans_.Reserve(std::size_t(std::count(view.begin(), view.end(), u'<')));
    for (qsizetype open = view.indexOf(QChar(u'<')); open >= 0;
         open = view.indexOf(QChar(u'<'), open + 1))
        lessThans_.Add(open);
    // A name ends at the first '<' or '>'; a '<' that ended one may itself open "</".
    for (const qsizetype open : lessThans_.Positions()) {
        const qsizetype nameStart = open + 2;
        if (nameStart > view.size() || view[open + 1] != u'/')
            continue;
        qsizetype end = nameStart;
        while (end < view.size() && view[end] != u'<' && view[end] != u'>')
            ++end;
        if (end == view.size())
            break;
        auto& index = view[end] == u'>' ? endedByGreaterThan_ : endedByLessThan_;
        index[view.mid(nameStart, end - nameStart)].Add(open);
    }
}

qsizetype EndTagIndex::Find(QStringView name, qsizetype from) {
    // Names are short: one look at each character costs less than a search for each bracket.
    bool lessThan = false;
    for (const QChar c : name) {
        if (c == u'>')
            return -1;
        lessThan = lessThan || c == u'<';
    }
    if (lessThan)
        return FindNameWithLessThan(name, from);
    const auto it = endedByGreaterThan_.find(name);
    return it == endedByGreaterThan_.end() ? -1 : it->AtOrAfter(from);
}

qsizetype EndTagIndex::FindNameWithLessThan(QStringView name, qsizetype from) {
    const QString key = name.toString();
    if (const auto absent = absentFrom_.constFind(key);
        absent != absentFrom_.constEnd() && from >= *absent)
        return -1;
    const QString endTag = QStringLiteral("</") + key + u'>';
    const auto candidates = endedByLessThan_.find(name.left(name.indexOf(QChar(u'<'))));
    if (candidates != endedByLessThan_.end()) {
        const std::vector<qsizetype>& positions = candidates->Positions();
        for (std::size_t i = candidates->IndexAtOrAfter(from); i < positions.size(); ++i)
            if (QStringView(text_).mid(positions[i]).startsWith(endTag))
                return positions[i];
    }
    absentFrom_.insert(key, from);
    return -1;
}
