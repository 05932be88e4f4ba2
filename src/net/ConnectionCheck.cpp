// "Test Connection": fetches the connection-test document with the network dialog's values.

#include "net/ConnectionCheck.h"

#include "config/AppSettings.h"
#include "feeds/XmlDocument.h"
#include "net/HttpDownloader.h"
#include "store/Prompt.h"
#include "text/NumberText.h"

NetworkSettings ReadNetworkSettings(const CRegistrySettings& store) {
    NetworkSettings settings;
    settings.useConnectionManager = store.Read(Key::UseCM) != 0;
    settings.systemProxy = store.Read(Key::SystemProxy) != 0;
    settings.useProxy = store.Read(Key::UseProxy) != 0;
    settings.proxyAddress = store.Read(Key::ProxyAddress);
    settings.proxyPort = store.Read(Key::ProxyPort);
    settings.autoConnect = store.Read(Key::UseAutoConnect) != 0;
    return settings;
}

ProxyArguments ProxyFor(const NetworkSettings& settings) {
    // A proxy without an address is no proxy of the user's.
    if (settings.useProxy && !settings.proxyAddress.isEmpty())
        return {true, settings.proxyAddress + u':' + settings.proxyPort};
    return {!settings.systemProxy, QString()};
}

bool TestConnection(const NetworkSettings& settings, ConnectivityProbe probe) {
    WaitCursor wait;
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    const QString address = store.Read(Key::WebCheckUrl);
    const QString target = TheAppSettings().installFolder + QStringLiteral("/workspace.htm");
    IPrompt& prompt = CurrentPrompt();

    CInternetConnection connection(std::move(probe));
    if (settings.useConnectionManager) {
        if (connection.CheckConnected() != 0 &&
            (!settings.autoConnect || connection.ConnectAndWait() != 0)) {
            prompt.ShowMessage(QStringLiteral("A connection to the Internet is not available."),
                               QStringLiteral("Failure"));
            return false;
        }
    }
    const ProxyArguments proxy = ProxyFor(settings);
    const bool downloaded =
        CHttpDownloader::Download(address, target, proxy.useProxy, proxy.proxy, false);
    connection.Disconnect();

    const QString failure =
        QStringLiteral("Could not connect to the Internet location... ") + address;
    if (!downloaded) {
        prompt.ShowMessage(failure, QStringLiteral("Failure"));
        return false;
    }
    CXmlDocument document;
    if (!document.LoadFile(target)) {
        prompt.ShowMessage(failure, QStringLiteral("Failure - 1"));
        return false;
    }
    if (!document.FindNode(QStringLiteral("webTest"))) {
        prompt.ShowMessage(failure, QStringLiteral("Failure - 2"));
        return false;
    }
    const CXmlNode* version = document.FindNode(QStringLiteral("webTest\\version"));
    const bool expected =
        version && ReadLeadingInt(version->Text) == store.Read(Key::WebCheckVersion);
    prompt.ShowMessage(QStringLiteral("The Internet Connection is OK."),
                       expected ? QStringLiteral("Success") : QStringLiteral("Success - 1"));
    return expected;
}
