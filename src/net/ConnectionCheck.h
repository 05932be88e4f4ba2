// The network dialog's values and its "Test Connection".

#pragma once

#include "net/InternetConnection.h"

#include <QString>

class CRegistrySettings;

// The values of the network dialog, saved or not. The proxy is the user's server when one is
// set, else the system's, or none at all.
struct NetworkSettings {
    bool useConnectionManager = true;
    bool systemProxy = true;
    bool useProxy = false;
    QString proxyAddress;
    QString proxyPort;
    bool autoConnect = false;
};

NetworkSettings ReadNetworkSettings(const CRegistrySettings& store);

// The proxy arguments of CHttpDownloader for the settings: the user's "host:port", "" for no
// proxy at all, or, with useProxy false, the system's proxy for each address.
struct ProxyArguments {
    bool useProxy = false;
    QString proxy;
};
ProxyArguments ProxyFor(const NetworkSettings& settings);

// "Test Connection": fetches the connection-test document and tells the user through the
// installed prompt what came of it. True when the document came with the expected version.
bool TestConnection(const NetworkSettings& settings, ConnectivityProbe probe = SystemIsOnline);
