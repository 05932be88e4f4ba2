// The prompt of a start nobody watches: messages to standard error, questions answered No.

#pragma once

#include "store/Prompt.h"

// For a start nobody watches (--quit-after-start): messages go to standard error with their
// caption and every question is answered No, so that no box waits for a click.
class CUnattendedPrompt : public IPrompt {
public:
    void ShowMessage(const QString& text, const QString& caption) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    Answer AskYesNoCancel(const QString& text, const QString& caption) override;
};
