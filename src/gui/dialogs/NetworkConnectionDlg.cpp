// The "Configure Network Connection" dialog: connection, proxy and the connection test.

#include "gui/dialogs/NetworkConnectionDlg.h"

#include "config/RegistrySettings.h"
#include "gui/screens/HelpWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CNetworkConnectionDlg::CNetworkConnectionDlg(QWidget* parent)
    : QDialog(parent),
      direct_(new QRadioButton(QStringLiteral("Update without checking the connection"))),
      connectionManager_(
          new QRadioButton(QStringLiteral("Check the network connection before updating"))),
      systemProxy_(new QRadioButton(QStringLiteral("Use the system proxy settings"))),
      noProxy_(new QRadioButton(QStringLiteral("No proxy"))),
      userProxy_(new QRadioButton(QStringLiteral("Use this proxy server:"))),
      address_(new QLineEdit), port_(new QLineEdit),
      autoConnect_(new QCheckBox(QStringLiteral("Wait for the connection"))),
      test_(new QPushButton(QStringLiteral("Test Connection"))) {
    setObjectName(QStringLiteral("NetworkConnectionDlg"));
    setWindowTitle(QStringLiteral("Configure Network Connection"));
    QLabel* header = CreateDialogHeader(QStringLiteral("Network Connection"));

    auto* connection = new QButtonGroup(this);
    connection->addButton(connectionManager_);
    connection->addButton(direct_);

    auto* proxy = new QGroupBox(QStringLiteral("Proxy Settings"));
    auto* proxyLayout = new QFormLayout(proxy);
    proxyLayout->addRow(systemProxy_);
    proxyLayout->addRow(noProxy_);
    proxyLayout->addRow(userProxy_);
    proxyLayout->addRow(QStringLiteral("Address"), address_);
    port_->setValidator(new QIntValidator(0, 65535, port_));
    port_->setMaximumWidth(90);
    proxyLayout->addRow(QStringLiteral("Port"), port_);
    auto* proxies = new QButtonGroup(this);
    for (QRadioButton* choice : {systemProxy_, noProxy_, userProxy_})
        proxies->addButton(choice);
    // The server's fields mean something only while it is chosen.
    for (QLineEdit* field : {address_, port_})
        connect(userProxy_, &QRadioButton::toggled, field, &QWidget::setEnabled);

    auto* autoConnectRow = new QHBoxLayout;
    autoConnectRow->addWidget(autoConnect_);
    autoConnectRow->addWidget(new QLabel(QStringLiteral("up to ten seconds when disconnected")));
    autoConnectRow->addStretch(1);

    auto* buttons = CreateOkCancelHelpButtons(this, QStringLiteral("network.htm"));
    connect(test_, &QPushButton::clicked, this, [this] { TestConnection(Values()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(connectionManager_);
    layout->addWidget(direct_);
    layout->addWidget(proxy);
    layout->addLayout(autoConnectRow);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test_);
    testRow->addStretch(1);
    layout->addSpacing(6);
    layout->addLayout(testRow);
    layout->addStretch(1);
    layout->addWidget(buttons);
    LoadValues();
    setMinimumWidth(420);
}

NetworkSettings CNetworkConnectionDlg::Values() const {
    NetworkSettings values;
    values.useConnectionManager = connectionManager_->isChecked();
    values.systemProxy = !noProxy_->isChecked();
    values.useProxy = userProxy_->isChecked();
    values.proxyAddress = address_->text();
    values.proxyPort = port_->text();
    values.autoConnect = autoConnect_->isChecked();
    return values;
}

void CNetworkConnectionDlg::LoadValues() {
    const NetworkSettings stored = ReadNetworkSettings(CRegistrySettings::ForQuillpost());
    const bool userProxy = stored.useProxy && !stored.proxyAddress.isEmpty();
    userProxy_->setChecked(userProxy);
    systemProxy_->setChecked(!userProxy && stored.systemProxy);
    noProxy_->setChecked(!userProxy && !stored.systemProxy);
    address_->setText(stored.proxyAddress);
    port_->setText(stored.proxyPort);
    address_->setEnabled(userProxy);
    port_->setEnabled(userProxy);
    connectionManager_->setChecked(stored.useConnectionManager);
    direct_->setChecked(!stored.useConnectionManager);
    autoConnect_->setChecked(stored.autoConnect);
}

void CNetworkConnectionDlg::SaveValues() {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const NetworkSettings values = Values();
    // A proxy without an address is no proxy of the user's: the system's is used.
    store.Write(Key::UseProxy, values.useProxy && !values.proxyAddress.isEmpty() ? 1 : 0);
    store.Write(Key::SystemProxy, values.systemProxy ? 1 : 0);
    store.Write(Key::ProxyAddress, values.proxyAddress);
    store.Write(Key::ProxyPort, values.proxyPort);
    store.Write(Key::UseCM, values.useConnectionManager ? 1 : 0);
    store.Write(Key::UseAutoConnect, values.autoConnect ? 1 : 0);
    store.Write(Key::TodayHasChanged, 1);
}

void CNetworkConnectionDlg::accept() {
    SaveValues();
    QDialog::accept();
}
