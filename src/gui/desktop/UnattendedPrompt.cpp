// The prompt for unattended starts: messages to standard error, every question answered No.

#include "gui/desktop/UnattendedPrompt.h"

#include <cstdio>

void CUnattendedPrompt::ShowMessage(const QString& text, const QString& caption) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
}

bool CUnattendedPrompt::AskYesNo(const QString& text, const QString& caption) {
    ShowMessage(text + QStringLiteral(" [No]"), caption);
    return false;
}

IPrompt::Answer CUnattendedPrompt::AskYesNoCancel(const QString& text, const QString& caption) {
    ShowMessage(text + QStringLiteral(" [No]"), caption);
    return Answer::No;
}
