// An index of end tags that keeps the XML reader linear.

#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <vector>

// Ascending positions in a text, searched mostly from positions that only grow: such a search
// goes on from where the last one stopped, so that a reader moving forward through the text
// pays for each position once. A search from further back costs a binary search.
class ForwardPositions {
public:
    void Add(qsizetype position) { positions_.push_back(position); }
    void Reserve(std::size_t count) { positions_.reserve(count); }

    // The index of the first position at or after `from`; the number of positions when none is.
    std::size_t IndexAtOrAfter(qsizetype from);
    // The first position at or after `from`, or -1.
    qsizetype AtOrAfter(qsizetype from);

    const std::vector<qsizetype>& Positions() const { return positions_; }

private:
    std::vector<qsizetype> positions_;
    std::size_t next_ = 0;
};

// Where each end tag "</name>" of a text starts. Finding the first one of a name at or after a
// position then costs a lookup instead of a scan, which keeps the reader linear on documents
// full of elements that are never closed. The scan that finds them passes every '<', so the
// index keeps those positions too: the reader looks each one up rather than search the text
// again.
class EndTagIndex {
public:
    explicit EndTagIndex(const QString& text);

    // The position of the first "</" + name + ">" at or after `from`, or -1.
    qsizetype Find(QStringView name, qsizetype from);

    // The position of the first '<' at or after `from`, or -1.
    qsizetype FindLessThan(qsizetype from) { return lessThans_.AtOrAfter(from); }

private:
    qsizetype FindNameWithLessThan(QStringView name, qsizetype from);

    const QString& text_;
    ForwardPositions lessThans_;
    // Keyed by the text after "</" up to the first '<' or '>', split by which of the two ends
    // it. The regions of two keys never overlap, so building the index is linear.
    QHash<QStringView, ForwardPositions> endedByGreaterThan_;
    QHash<QStringView, ForwardPositions> endedByLessThan_;
    // Names holding '<' are checked by comparison; once one is known to be absent after a
    // position it is absent after every later position.
    QHash<QString, qsizetype> absentFrom_;
};
