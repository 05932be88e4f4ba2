// Answers the program's modal dialogs in order, with real clicks.

#pragma once

#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

// Answers the modal dialogs the program opens, in the order they come, with real clicks and
// key presses: message boxes are recorded as "caption: text" and get the scripted button (OK
// or No when nothing is scripted); file choosers get a name filled in or are cancelled.
class ModalScript : public QObject {
public:
    ModalScript();
    ~ModalScript() override;

    // The next message box gets this button.
    void Press(QMessageBox::StandardButton button);
    // The next file chooser gets this path typed in, or is cancelled when it is empty.
    void ChooseFile(const QString& path);
    // The next dialog of another kind is handed to this step.
    void Handle(std::function<void(QWidget*)> step);

    QStringList messages;   // every message box seen, "caption: text"
    QStringList fileTitles; // every file chooser's title
    int unexpected = 0;     // dialogs closed without a scripted step

private:
    void Poll();
    void AnswerMessageBox(QMessageBox* box);

    QTimer timer_;
    std::deque<QMessageBox::StandardButton> buttons_;
    std::deque<QString> files_;
    std::deque<std::function<void(QWidget*)>> steps_;
};
