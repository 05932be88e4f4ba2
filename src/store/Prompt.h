// What the core shows the user: messages, questions and the wait cursor.

#pragma once

#include <QString>

// What the core would pop up on screen: messages, Yes/No questions and the wait cursor. The
// front end installs its own; until then messages go nowhere and every question is answered No.
class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;
    virtual bool AskYesNo(const QString& text, const QString& caption) = 0;
    enum class Answer { Yes, No, Cancel };
    // A question with a third way out; unless a front end asks, the answer is No.
    virtual Answer AskYesNoCancel(const QString&, const QString&) { return Answer::No; }
    // A line on the progress of a long step the user waits for.
    virtual void ShowProgress(const QString&) {}
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

// The installed prompt; the caller keeps it alive. Passing nullptr restores the silent one.
void InstallPrompt(IPrompt* prompt);
IPrompt& CurrentPrompt();

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() { CurrentPrompt().BeginWait(); }
    ~WaitCursor() { CurrentPrompt().EndWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
