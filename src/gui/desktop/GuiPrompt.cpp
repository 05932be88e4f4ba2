// The desktop program's prompt: message boxes and the wait cursor, from any thread.

#include "gui/desktop/GuiPrompt.h"

#include "gui/desktop/UiThread.h"

#include <QApplication>
#include <QMessageBox>

void CGuiPrompt::ShowMessage(const QString& text, const QString& caption) {
    RunOnUiThread([&] { QMessageBox::information(parent_, caption, text); });
}

bool CGuiPrompt::AskYesNo(const QString& text, const QString& caption) {
    bool yes = false;
    RunOnUiThread([&] {
        yes = QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

IPrompt::Answer CGuiPrompt::AskYesNoCancel(const QString& text, const QString& caption) {
    Answer answer = Answer::No;
    RunOnUiThread([&] {
        const auto button = QMessageBox::question(
            parent_, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::No);
        answer = button == QMessageBox::Yes  ? Answer::Yes
                 : button == QMessageBox::No ? Answer::No
                                             : Answer::Cancel;
    });
    return answer;
}

void CGuiPrompt::BeginWait() {
    RunOnUiThread([] { QApplication::setOverrideCursor(Qt::WaitCursor); });
}

void CGuiPrompt::EndWait() {
    RunOnUiThread([] { QApplication::restoreOverrideCursor(); });
}
