// The note a first start shows above the lists.

#pragma once

#include <QFrame>

class QPushButton;

// The note a first start shows above the lists instead of message boxes: the database is made,
// and the two next steps a new user has, each one click away. It closes by its own button or
// when either step is taken.
class CFirstStartNote : public QFrame {
    Q_OBJECT
public:
    explicit CFirstStartNote(QWidget* parent = nullptr);

    // Shows the note for a database made at this path.
    void ShowFor(const QString& databasePath);

    QPushButton* UpdateButton() const { return update_; }
    QPushButton* WizardButton() const { return wizard_; }

signals:
    void updateAllRequested();
    void wizardRequested();

private:
    class QLabel* text_;
    QPushButton* update_;
    QPushButton* wizard_;
};
