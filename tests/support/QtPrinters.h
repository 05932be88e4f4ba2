// Readable failure messages for Qt types.

#pragma once

#include <QDateTime>
#include <QString>
#include <ostream>

// Readable failure messages for the Qt types the tests compare.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QDateTime& value, std::ostream* os) {
    *os << value.toString(Qt::ISODateWithMs).toStdString();
}
