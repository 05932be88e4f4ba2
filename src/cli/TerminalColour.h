// Colour for terminals and the control characters kept out of what is printed.

#pragma once

#include <QString>
#include <cstdio>

enum class Colour { Red = 31, Green = 32 };

// Colour only where a person reads: the stream is a terminal and NO_COLOR is not set
// (https://no-color.org); pipes and files get the plain text.
bool UsesColour(std::FILE* stream);
QString Coloured(const QString& text, Colour colour, std::FILE* stream);

// The text with every control character a terminal would act on (C0 but tab and line feed,
// DEL, C1) shown as U+FFFD: what the program prints from feeds never moves the cursor, retitles
// the window or clears the screen. Only the program's own escapes reach the terminal.
QString Printable(QString text);

// JSON text with those characters as \u escapes: the same values, nothing a terminal acts on.
// Only the writer's line feeds are outside strings, and JSON strings hold no raw controls.
QString PrintableJson(const QByteArray& json);
