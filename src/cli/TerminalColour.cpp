// Colour for terminals only, and the stripping of control characters from printed text.

#include "cli/TerminalColour.h"

#include <cstdlib>
#include <unistd.h>

namespace {
bool ActsOnTerminal(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n') || (c >= 0x7F && c < 0xA0);
}
} // namespace

bool UsesColour(std::FILE* stream) {
    const char* noColour = std::getenv("NO_COLOR");
    return isatty(fileno(stream)) && (!noColour || !*noColour);
}

QString Coloured(const QString& text, Colour colour, std::FILE* stream) {
    const QString shown = Printable(text);
    if (!UsesColour(stream))
        return shown;
    return QStringLiteral("\033[%1m").arg(int(colour)) + shown + QStringLiteral("\033[0m");
}

QString Printable(QString text) {
    for (QChar& c : text)
        if (ActsOnTerminal(c.unicode()))
            c = QChar::ReplacementCharacter;
    return text;
}

QString PrintableJson(const QByteArray& json) {
    const QString text = QString::fromUtf8(json);
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (ActsOnTerminal(c.unicode()))
            result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result;
}
