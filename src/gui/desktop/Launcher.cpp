// Opens links and audio files outside the program: a configured program or the desktop's handler.

#include "gui/desktop/Launcher.h"

#include "app/ItemPage.h"
#include "config/RegistrySettings.h"
#include "store/Prompt.h"

#include <QDesktopServices>
#include <QProcess>

namespace {

class CDesktopLauncher : public ILauncher {
public:
    bool StartProgram(const QString& program, const QString& argument) override {
        return QProcess::startDetached(program, {argument});
    }
    bool OpenWithDesktop(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

ILauncher* installed = nullptr;

bool Launch(const QString& program, const QString& argument, const QUrl& url) {
    if (program.isEmpty())
        return CurrentLauncher().OpenWithDesktop(url);
    return CurrentLauncher().StartProgram(program, argument);
}

} // namespace

void InstallLauncher(ILauncher* launcher) {
    installed = launcher;
}

ILauncher& CurrentLauncher() {
    static CDesktopLauncher desktop;
    return installed ? *installed : desktop;
}

bool OpenLink(const QUrl& link) {
    if (!IsOpenableLink(link)) {
        CurrentPrompt().ShowMessage(
            QStringLiteral("This link was not opened:\n%1\n\nOnly web (http, https) and mail "
                           "(mailto) links of a feed are opened.")
                .arg(link.toDisplayString().left(200)),
            QStringLiteral("Link Refused"));
        return false;
    }
    const QString browser = CRegistrySettings::ForQuillpost().Read(Key::Browser);
    return Launch(browser, link.toString(QUrl::FullyEncoded), link);
}

bool OpenAudioFile(const QString& path) {
    const QString player = CRegistrySettings::ForQuillpost().Read(Key::AudioPlayer);
    return Launch(player, path, QUrl::fromLocalFile(path));
}
