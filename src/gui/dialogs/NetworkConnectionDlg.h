// The "Configure Network Connection" dialog.

#pragma once

#include "net/ConnectionCheck.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Configure Network Connection": the system's connection watch or a direct connection, the
// proxy (the desktop's, none, or a server of the user's), automatic connecting, and a test with
// the values shown before they are saved.
class CNetworkConnectionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNetworkConnectionDlg(QWidget* parent = nullptr);

    // The values as the dialog shows them now.
    NetworkSettings Values() const;
    void accept() override;

    QRadioButton* DirectButton() const { return direct_; }
    QRadioButton* ConnectionManagerButton() const { return connectionManager_; }
    QRadioButton* SystemProxyButton() const { return systemProxy_; }
    QRadioButton* NoProxyButton() const { return noProxy_; }
    QRadioButton* UserProxyButton() const { return userProxy_; }
    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* PortEdit() const { return port_; }
    QCheckBox* AutoConnectBox() const { return autoConnect_; }
    QPushButton* TestButton() const { return test_; }

private:
    void LoadValues();
    void SaveValues();

    QRadioButton* direct_;
    QRadioButton* connectionManager_;
    QRadioButton* systemProxy_;
    QRadioButton* noProxy_;
    QRadioButton* userProxy_;
    QLineEdit* address_;
    QLineEdit* port_;
    QCheckBox* autoConnect_;
    QPushButton* test_;
};
