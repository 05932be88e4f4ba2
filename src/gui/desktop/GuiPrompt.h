// The desktop program's prompt: message boxes and the wait cursor.

#pragma once

#include "store/Prompt.h"

#include <QPointer>
#include <QWidget>

// The desktop program's answer to the core's messages and questions: message boxes over the
// main window and the wait cursor. Safe to call from the download worker: the box then opens on
// the user-interface thread while the worker waits.
class CGuiPrompt : public IPrompt {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const QString& text, const QString& caption) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    Answer AskYesNoCancel(const QString& text, const QString& caption) override;
    void BeginWait() override;
    void EndWait() override;

private:
    QPointer<QWidget> parent_;
};
