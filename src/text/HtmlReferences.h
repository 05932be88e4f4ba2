// HTML's named character references.

#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The longest HTML named reference, "&CounterClockwiseContourIntegral;", '&' and ';' included.
inline constexpr qsizetype LongestHtmlReference = 33;

// The text of an HTML named character reference written with its '&' and ';' ("&hellip;",
// "&alefsym;", "&NotEqualTilde;"), matched exactly as written; none for a name HTML does not
// define.
std::optional<QString> HtmlNamedReferenceText(QStringView reference);
