// The network dialog's values and its "Test Connection".

#pragma once

#include "net/InternetConnection.h"

#include <QString>

// The values of the network dialog, saved or not.
struct NetworkSettings {
    bool useConnectionManager = true;
    bool useProxy = false;
    QString proxyAddress;
    QString proxyPort;
    bool autoConnect = false;
};

// "Test Connection": fetches the connection-test document and tells the user through the
// installed prompt what came of it. True when the document came with the expected version.
bool TestConnection(const NetworkSettings& settings, ConnectivityProbe probe = SystemIsOnline);
