// quillpost: the desktop program.
#include "config/AppSettings.h"
#include "gui/desktop/CommandLine.h"
#include "gui/desktop/GuiPrompt.h"
#include "gui/desktop/Icons.h"
#include "gui/desktop/SingleInstance.h"
#include "gui/desktop/UnattendedPrompt.h"
#include "gui/window/MainFrame.h"
#include "gui/window/QuillpostView.h"
#include "net/HttpDownloader.h"

#include <QApplication>
#include <QNetworkProxyFactory>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillpost"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLPOST_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quillpost"));
    QApplication::setWindowIcon(ApplicationIcon());
    const StartOptions options = ParseStartOptions(QApplication::arguments().mid(1));

    CSingleInstance instance;
    // A running window opens its settings for a settings-only start (General\StartMode 1).
    if (options.settingsOnly)
        CRegistrySettings::ForQuillpost().Write(Key::StartMode, 1);
    if (instance.HandOverToRunningInstance(options.feedUrl))
        return 0;
    // A settings-only process has no window to bring forward: later starts run on their own.
    if (!options.settingsOnly)
        instance.Listen();

    CGuiPrompt prompt;
    CUnattendedPrompt unattended;
    if (options.quitAfterStart)
        InstallPrompt(&unattended);
    else
        InstallPrompt(&prompt);
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    TheAppSettings().Load(store);
    CHttpDownloader::BufferSize = TheAppSettings().downloadBufferBytes;
    CHttpDownloader::SkipHeaders = TheAppSettings().downloadSkipHeaders;
    // Whatever the program asks Qt to fetch goes through the desktop's proxy settings, as the
    // downloads do unless the network dialog names another proxy or none.
    QNetworkProxyFactory::setUseSystemConfiguration(true);

    int status;
    {
        CMainFrame frame(options);
        prompt.SetParent(&frame);
        QObject::connect(&instance, &CSingleInstance::activationRequested, &frame,
                         &CMainFrame::OnActivationRequested);
        if (options.quitAfterStart) {
            // Says which layout the window opened in, for the start-up check.
            QObject::connect(frame.View(), &CQuillpostView::startupFinished, &frame, [&frame] {
                std::fprintf(stderr, "Quillpost opened the %s layout at %dx%d.\n",
                             frame.View()->IsWide() ? "wide" : "narrow", frame.width(),
                             frame.height());
            });
            QObject::connect(frame.View(), &CQuillpostView::startupFinished, &frame,
                             &QWidget::close, Qt::QueuedConnection);
        }
        // The hidden window's close would not end the program: it ends with its dialog, however
        // the dialog was left.
        if (options.settingsOnly)
            QObject::connect(frame.View(), &CQuillpostView::closeRequested, &app,
                             &QCoreApplication::quit, Qt::QueuedConnection);
        // With "/t" the settings dialog is the only window.
        if (!options.settingsOnly)
            frame.show();
        status = QApplication::exec();
    }
    InstallPrompt(nullptr);
    return status;
}
