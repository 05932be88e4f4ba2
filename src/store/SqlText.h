#pragma once

#include <QString>

// Values written into statement text.

// An SQL text literal: in single quotes, each single quote doubled.
inline QString SqlText(const QString& text) {
    QString quoted = text;
    return u'\'' + quoted.replace(u'\'', QStringLiteral("''")) + u'\'';
}

inline QString SqlInt(qint64 value) {
    return QString::number(value);
}
