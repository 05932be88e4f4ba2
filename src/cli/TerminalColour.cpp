#include "cli/TerminalColour.h"

#include <cstdlib>
#include <unistd.h>

bool UsesColour(std::FILE* stream) {
    const char* noColour = std::getenv("NO_COLOR");
    return isatty(fileno(stream)) && (!noColour || !*noColour);
}

QString Coloured(const QString& text, Colour colour, std::FILE* stream) {
    if (!UsesColour(stream))
        return text;
    return QStringLiteral("\033[%1m").arg(int(colour)) + text + QStringLiteral("\033[0m");
}
