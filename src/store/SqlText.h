// Values written into statement text.

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Values written into statement text.

// An SQL text literal: in single quotes, each single quote doubled.
inline QString SqlText(const QString& text) {
    QString quoted = text;
    return u'\'' + quoted.replace(u'\'', QStringLiteral("''")) + u'\'';
}

inline QString SqlInt(qint64 value) {
    return QString::number(value);
}

// Numbers for an In (...) list: "1,2,3".
inline QString SqlIntList(const QList<qint32>& values) {
    QStringList texts;
    for (qint32 value : values)
        texts << SqlInt(value);
    return texts.join(u',');
}
