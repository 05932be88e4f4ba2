// Text helpers for feed character data and the files the program writes.

#pragma once

#include <QByteArrayView>
#include <QString>

// Text helpers for the character data of feeds and for the files the program writes. None keeps
// state; all may run on any thread.

// Replaces character references: numeric ones, decimal or hexadecimal, of up to eight digits,
// the named ones of the basic and HTML 4 Latin-1 tables, then HTML's full table of names.
// References of nine characters or more are left alone unless they are one of HTML's longer
// names. A number that is no character a text may hold gives U+FFFD.
QString DecodeEntities(const QString& text);

// U+FFFD in place of NUL and every other C0 control but tab, line feed and carriage return: no
// XML file may hold them, and every stored text may end up in one.
QString ReplaceForbiddenControls(QString text);

// The position of the first character ReplaceForbiddenControls replaces, or -1.
qsizetype FirstForbiddenControl(QStringView text);
// The same for the bytes of an ASCII-compatible encoding, such as UTF-8.
qsizetype FirstForbiddenControl(QByteArrayView bytes);

// Plain text of a markup text: CDATA unwrapped, each tag replaced by one space, comments and the
// content of script and style elements left out, trimmed.
QString StripTags(const QString& text);

// A feed's text as a reader sees it: feeds send markup escaped or raw, so references are
// decoded, tags stripped, and what the markup itself escaped decoded last ("&amp;lt;2.0&amp;gt;"
// is the escaped markup of the text "<2.0>", not a tag).
QString PlainText(const QString& markup);

// The text with its CDATA sections replaced by their trimmed content, trimmed.
QString UnwrapCData(const QString& text);

// Escaping for the OPML export: & < > " and ' (as &#039;); the controls no XML file may hold
// become U+FFFD.
QString EscapeXml(const QString& text);

// Escaping for the backup file: < > ' and "; an ampersand is left alone.
QString EscapeMarkup(const QString& text);

// Makes the relative href/src values of a downloaded page absolute against the page address.
QString RewriteRelativeLinks(const QString& html, const QString& pageUrl);

// Inserts a space into every run of more than maxRun characters without white space.
QString BreakLongWords(const QString& text, int maxRun);

// Six upper-case hex digits, red first, of a 0x00BBGGRR colour.
QString ColorToHex(quint32 color);
