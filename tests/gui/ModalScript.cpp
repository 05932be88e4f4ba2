// Answers the program's modal dialogs in order, with real clicks.

#include "ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

ModalScript::ModalScript() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::Poll);
    timer_.start();
}

ModalScript::~ModalScript() = default;

void ModalScript::Press(QMessageBox::StandardButton button) {
    buttons_.push_back(button);
}

void ModalScript::ChooseFile(const QString& path) {
    files_.push_back(path);
}

void ModalScript::Handle(std::function<void(QWidget*)> step) {
    steps_.push_back(std::move(step));
}

void ModalScript::AnswerMessageBox(QMessageBox* box) {
    messages << box->windowTitle() + QStringLiteral(": ") + box->text();
    QMessageBox::StandardButton wanted = QMessageBox::NoButton;
    if (!buttons_.empty()) {
        wanted = buttons_.front();
        buttons_.pop_front();
    }
    QAbstractButton* button = wanted != QMessageBox::NoButton ? box->button(wanted) : nullptr;
    if (!button)
        button = box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)
                                              : box->button(QMessageBox::No);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
    else
        box->reject();
}

void ModalScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // A dialog is answered once; seen again, it is still closing.
    if (!modal || !modal->isVisible() || modal->property("answered").toBool())
        return;
    modal->setProperty("answered", true);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        AnswerMessageBox(box);
    } else if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
        fileTitles << chooser->windowTitle();
        const QString path = files_.empty() ? QString() : files_.front();
        if (!files_.empty())
            files_.pop_front();
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (path.isEmpty() || !name) {
            chooser->reject();
            return;
        }
        // Set, not typed: typing opens the name completer, which would take the Return.
        name->setText(path);
        auto* buttons = chooser->findChild<QDialogButtonBox*>();
        for (QAbstractButton* button : buttons->buttons())
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                QTest::mouseClick(button, Qt::LeftButton);
    } else if (!steps_.empty()) {
        auto step = std::move(steps_.front());
        steps_.pop_front();
        step(modal);
    } else {
        ++unexpected;
        modal->close();
    }
}
