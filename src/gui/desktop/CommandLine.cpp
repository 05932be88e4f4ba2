// Parses the desktop program's start-up switches.

#include "gui/desktop/CommandLine.h"

#include <QFileInfo>

namespace {

// "/t", "-tt", "/x": a slash or dash and letters only. A path that exists ("/tmp") or that has
// more than one part or a dot ("/tmp/list.opml") is never taken for a switch.
bool IsSwitch(const QString& argument) {
    if (argument.size() < 2 || !(argument.startsWith(u'/') || argument.startsWith(u'-')))
        return false;
    for (qsizetype i = 1; i < argument.size(); ++i)
        if (!argument[i].isLetter())
            return false;
    return argument.startsWith(u'-') || !QFileInfo::exists(argument);
}

// A file by its absolute path, as a running program in another folder may take it.
QString AddressOrAbsolutePath(const QString& argument) {
    const QFileInfo file(argument);
    return file.isFile() ? file.absoluteFilePath() : argument;
}

} // namespace

StartOptions ParseStartOptions(const QStringList& arguments) {
    StartOptions options;
    bool badSwitchSeen = false;
    for (const QString& argument : arguments) {
        if (argument == u"--quit-after-start") {
            options.quitAfterStart = true;
            continue;
        }
        if (argument == u"--settings") {
            options.settingsOnly = true;
            continue;
        }
        if (argument.startsWith(u"--"))
            continue;
        if (!IsSwitch(argument)) {
            if (options.feedUrl.isEmpty())
                options.feedUrl = AddressOrAbsolutePath(argument);
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
