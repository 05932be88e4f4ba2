// Opening links and audio files in the programs outside Quillpost.

#pragma once

#include <QString>
#include <QUrl>

// Starts what opens links and audio files outside the program: a configured program, given the
// link or path as its one argument (never through a shell), or the desktop's default handler.
class ILauncher {
public:
    virtual ~ILauncher() = default;
    virtual bool StartProgram(const QString& program, const QString& argument) = 0;
    virtual bool OpenWithDesktop(const QUrl& url) = 0;
};

// The installed launcher; the caller keeps it alive. nullptr restores the desktop's.
void InstallLauncher(ILauncher* launcher);
ILauncher& CurrentLauncher();

// A link of an item: web and mail links go to General\Browser, else the desktop's handler; any
// other scheme (file:, javascript:, data: ...) is refused with a message. True when handed on.
bool OpenLink(const QUrl& link);
// A cached enclosure: General\AudioPlayer, else the desktop's handler for the file.
bool OpenAudioFile(const QString& path);
