// The "Server Account" dialog: the Tiny Tiny RSS account the database syncs with.

#pragma once

#include "gui/desktop/BackgroundTask.h"
#include "store/Records.h"

#include <QDialog>

class CRssDatabase;
class QLabel;
class QLineEdit;
class QPushButton;

// "Server Account": the server address, user and password of the account the open database
// syncs with, a Test that logs in and says what the server answered, Save (which logs in
// first: nothing is stored for an account the server refuses) and Remove, asked first. The
// logins run off the user-interface thread; the database and the secret store are used on it.
class CSyncAccountDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSyncAccountDlg(CRssDatabase& db, QWidget* parent = nullptr);

    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QPushButton* TestButton() const { return test_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* RemoveButton() const { return remove_; }
    // What the last Test or Save found, or why it failed.
    QLabel* ResultLine() const { return result_; }
    // Where the password is kept, or will be.
    QLabel* PasswordLine() const { return passwordPlace_; }
    bool IsBusy() const { return task_.IsRunning(); }

private:
    void LoadAccount();
    CAccountRecord Entered() const;
    // Logs in off the thread; `then` runs on it with the outcome.
    void CheckLogin(std::function<void(bool)> then);
    void Test();
    void Save();
    void Remove();
    void ShowBusy(bool busy);

    CRssDatabase& db_;
    CBackgroundTask task_;
    QLineEdit* address_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* test_;
    QPushButton* save_;
    QPushButton* remove_;
    QLabel* result_;
    QLabel* passwordPlace_;
    // What the last login answered.
    QString answer_;
};
