#pragma once

#include <QString>
#include <cstdio>

enum class Colour { Red = 31, Green = 32 };

// Colour only where a person reads: the stream is a terminal and NO_COLOR is not set
// (https://no-color.org); pipes and files get the plain text.
bool UsesColour(std::FILE* stream);
QString Coloured(const QString& text, Colour colour, std::FILE* stream);
