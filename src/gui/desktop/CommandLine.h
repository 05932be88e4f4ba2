// The desktop program's command-line arguments.

#pragma once

#include <QString>
#include <QStringList>

// What the program's arguments ask for.
struct StartOptions {
    // "/t", "-t" or "--settings": the settings dialog alone, then the program ends.
    bool settingsOnly = false;
    // Ends the program once its start-up sequence has run (for checks of a fresh start).
    bool quitAfterStart = false;
    // A feed address or OPML file handed over by the desktop (quillpost %u); a file by its
    // absolute path.
    QString feedUrl;
};

// Switches are a "/" or "-" and letters ("/t"; "/tmp" only while no such folder exists), looked
// at until the first bad one: each of their characters must be "t"; any other character ends
// the looking, for this switch and all later ones. Long options ("--settings",
// "--quit-after-start"), addresses and paths ("/var/tmp/x.opml", "list.opml") are read apart
// from that rule.
StartOptions ParseStartOptions(const QStringList& arguments);
