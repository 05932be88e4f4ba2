// The command line's prompt: messages to standard error, questions answered by --yes.

#pragma once

#include "store/Prompt.h"

// The command line's answer to the core's messages and questions: messages go to standard
// error with their caption; questions are answered No unless --yes was given.
class CCliPrompt : public IPrompt {
public:
    // `answerCancel` gives Cancel where a question offers it (the Busy Notice).
    CCliPrompt(bool answerYes, bool answerCancel)
        : answerYes_(answerYes), answerCancel_(answerCancel) {}
    void ShowMessage(const QString& text, const QString& caption) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    Answer AskYesNoCancel(const QString& text, const QString& caption) override;
    void ShowProgress(const QString& line) override;

private:
    bool answerYes_;
    bool answerCancel_;
};
