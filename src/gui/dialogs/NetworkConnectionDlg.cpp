// The "Configure Network Connection" dialog: connection, proxy and the connection test.

#include "gui/dialogs/NetworkConnectionDlg.h"

#include "config/RegistrySettings.h"
#include "gui/screens/HelpWindow.h"

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
    : QDialog(parent), direct_(new QRadioButton(QStringLiteral("Use Direct (not recommended)"))),
      connectionManager_(new QRadioButton(QStringLiteral("Use Built-in Connection Manager"))),
      useProxy_(new QCheckBox(QStringLiteral("Use Proxy Server"))), address_(new QLineEdit),
      port_(new QLineEdit), autoConnect_(new QCheckBox(QStringLiteral("Attempt Auto-Connection"))),
      test_(new QPushButton(QStringLiteral("Test Connection"))) {
    setObjectName(QStringLiteral("NetworkConnectionDlg"));
    setWindowTitle(QStringLiteral("Configure Network Connection"));
    auto* header = new QLabel(QStringLiteral("Network Connection"));
    header->setObjectName(QStringLiteral("DialogHeader"));
    QFont headerFont = header->font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.2);
    header->setFont(headerFont);

    auto* proxy = new QGroupBox(QStringLiteral("Proxy Settings"));
    auto* proxyLayout = new QFormLayout(proxy);
    proxyLayout->addRow(useProxy_);
    proxyLayout->addRow(QStringLiteral("Address"), address_);
    port_->setValidator(new QIntValidator(0, 65535, port_));
    port_->setMaximumWidth(90);
    proxyLayout->addRow(QStringLiteral("Port"), port_);

    auto* autoConnectRow = new QHBoxLayout;
    autoConnectRow->addWidget(autoConnect_);
    autoConnectRow->addWidget(new QLabel(QStringLiteral("when disconnected")));
    autoConnectRow->addStretch(1);

    auto* buttons = CreateOkCancelHelpButtons(this, QStringLiteral("network.htm"));
    connect(test_, &QPushButton::clicked, this, [this] { TestConnection(Values()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(direct_);
    layout->addWidget(connectionManager_);
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
    values.useProxy = useProxy_->isChecked();
    values.proxyAddress = address_->text();
    values.proxyPort = port_->text();
    values.autoConnect = autoConnect_->isChecked();
    return values;
}

void CNetworkConnectionDlg::LoadValues() {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    useProxy_->setChecked(store.Read(Key::UseProxy) == 1);
    address_->setText(store.Read(Key::ProxyAddress));
    port_->setText(store.Read(Key::ProxyPort));
    const bool useConnectionManager = store.Read(Key::UseCM) == 1;
    connectionManager_->setChecked(useConnectionManager);
    direct_->setChecked(!useConnectionManager);
    autoConnect_->setChecked(store.Read(Key::UseAutoConnect) == 1);
}

void CNetworkConnectionDlg::SaveValues() {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const NetworkSettings values = Values();
    // A proxy without an address is no proxy.
    store.Write(Key::UseProxy, values.useProxy && !values.proxyAddress.isEmpty() ? 1 : 0);
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
