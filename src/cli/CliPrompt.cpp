// The command line's prompt: messages to standard error, questions answered by --yes.

#include "cli/CliPrompt.h"

#include "cli/TerminalColour.h"

#include <cstdio>

namespace {
void PrintToStderr(const QString& caption, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption),
                 qPrintable(Printable(QString(text)
                                          .replace(QStringLiteral("\n\n"), QStringLiteral(" "))
                                          .replace(u'\n', u' '))));
}
} // namespace

void CCliPrompt::ShowMessage(const QString& text, const QString& caption) {
    PrintToStderr(caption, text);
}

bool CCliPrompt::AskYesNo(const QString& text, const QString& caption) {
    PrintToStderr(caption, text + (answerYes_ ? QStringLiteral(" [yes]")
                                              : QStringLiteral(" [no: give --yes to agree]")));
    return answerYes_;
}

IPrompt::Answer CCliPrompt::AskYesNoCancel(const QString& text, const QString& caption) {
    if (answerCancel_) {
        PrintToStderr(caption, text + QStringLiteral(" [cancel]"));
        return Answer::Cancel;
    }
    return AskYesNo(text, caption) ? Answer::Yes : Answer::No;
}

void CCliPrompt::ShowProgress(const QString& line) {
    std::fprintf(stderr, "%s\n", qPrintable(Printable(line)));
}
