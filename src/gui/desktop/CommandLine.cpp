#include "gui/desktop/CommandLine.h"

#include <QFileInfo>

StartOptions ParseStartOptions(const QStringList& arguments) {
    StartOptions options;
    bool badSwitchSeen = false;
    for (const QString& argument : arguments) {
        if (argument == u"--quit-after-start") {
            options.quitAfterStart = true;
            continue;
        }
        if (argument.startsWith(u"--"))
            continue;
        const bool isSwitch = argument.startsWith(u'/') || argument.startsWith(u'-');
        if (!isSwitch) {
            // A file by its absolute path, as a running program in another folder may take it.
            if (options.feedUrl.isEmpty())
                options.feedUrl = QFileInfo(argument).isFile()
                                      ? QFileInfo(argument).absoluteFilePath()
                                      : argument;
            continue;
        }
        for (qsizetype i = 1; i < argument.size() && !badSwitchSeen; ++i) {
            if (argument[i] == u't')
                options.settingsOnly = true;
            else
                badSwitchSeen = true;
        }
    }
    return options;
}
