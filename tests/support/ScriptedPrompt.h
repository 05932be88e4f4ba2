// A prompt that records messages and answers questions from a script.

#pragma once

#include "store/Prompt.h"

#include <QStringList>
#include <deque>

// Records what the core shows and answers its questions from a script; installed for the
// lifetime of the object.
class ScriptedPrompt : public IPrompt {
public:
    ScriptedPrompt() { InstallPrompt(this); }
    ~ScriptedPrompt() override { InstallPrompt(nullptr); }

    void ShowMessage(const QString& text, const QString& caption) override {
        messages << caption + QStringLiteral(": ") + text;
    }
    bool AskYesNo(const QString& text, const QString& caption) override {
        questions << caption + QStringLiteral(": ") + text;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    Answer AskYesNoCancel(const QString& text, const QString& caption) override {
        questions << caption + QStringLiteral(": ") + text;
        if (threeWayAnswers.empty())
            return Answer::No;
        const Answer answer = threeWayAnswers.front();
        threeWayAnswers.pop_front();
        return answer;
    }

    void ShowProgress(const QString& line) override { progress << line; }

    QStringList messages;
    QStringList progress;
    QStringList questions;
    std::deque<bool> answers;
    std::deque<Answer> threeWayAnswers;
};
