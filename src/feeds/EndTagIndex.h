#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <vector>

// Where each end tag "</name>" of a text starts. Finding the first one of a name at or after a
// position then costs a lookup instead of a scan, which keeps the reader linear on documents
// full of elements that are never closed.
class EndTagIndex {
public:
    explicit EndTagIndex(const QString& text);

    // The position of the first "</" + name + ">" at or after `from`, or -1.
    qsizetype Find(QStringView name, qsizetype from);

private:
    qsizetype FindNameWithLessThan(QStringView name, qsizetype from);

    const QString& text_;
    // Keyed by the text after "</" up to the first '<' or '>', split by which of the two ends
    // it. The regions of two keys never overlap, so building the index is linear.
    QHash<QStringView, std::vector<qsizetype>> endedByGreaterThan_;
    QHash<QStringView, std::vector<qsizetype>> endedByLessThan_;
    // Names holding '<' are checked by comparison; once one is known to be absent after a
    // position it is absent after every later position.
    QHash<QString, qsizetype> absentFrom_;
};
