// A process that starts without a network and sees it come: run by the network tests inside a
// network namespace of its own ("unshare -rn"), where it is root and may add the route itself.
//   net_test_helper   says what "Test Connection" answered before and after a default route
//                     appears, one line each, and exits 0
#include "config/AppSettings.h"
#include "config/RegistrySettings.h"
#include "net/ConnectionCheck.h"
#include "net/InternetConnection.h"
#include "support/LoopbackServer.h"
#include "support/ScriptedPrompt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <cstdio>

namespace {

bool Ip(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("ip"), arguments) == 0;
}

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // The namespace's loopback starts down and without a default route: offline.
    if (!Ip({"link", "set", "lo", "up"}))
        return 2;
    LoopbackServer server;
    server.SetBody("/webcheck.xml", "<webTest><version>1</version></webTest>");
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    store.Write(Key::WebCheckUrl, server.Url("/webcheck.xml"));
    TheAppSettings().Load(store);
    QDir().mkpath(TheAppSettings().installFolder);
    ScriptedPrompt prompt;

    TestConnection(ReadNetworkSettings(store));
    Say(prompt.messages.value(0));
    if (!Ip({"route", "add", "default", "dev", "lo"}))
        return 3;
    // The system's network information reports the change through the event loop.
    const QDeadlineTimer deadline(10000);
    while (!SystemIsOnline() && !deadline.hasExpired())
        WaitDeliveringNetworkChanges(100);
    TestConnection(ReadNetworkSettings(store));
    Say(prompt.messages.value(1));
    return 0;
}
