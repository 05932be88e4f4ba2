// The start-up sequence of the window.

#pragma once

#include "gui/desktop/CommandLine.h"

#include <QObject>
#include <QString>

class CRssDatabase;

// What the window does once it is first on screen: the engine check, first use, resource
// warnings and the database opened. The window does its own parts (the screens loaded, a run,
// the wizard) as the signals ask, in this order.
class CStartupSequence : public QObject {
    Q_OBJECT
public:
    CStartupSequence(CRssDatabase& db, const StartOptions& options, QObject* parent = nullptr);

    void Run();

signals:
    // The program is to end (no database engine, or the settings were all it was started for).
    void closeRequested();
    void settingsRequested();
    // First use made a new database file at `path`.
    void databaseCreated(const QString& path);
    void statusWarning(const QString& text);
    // The database is open (or could not be): the screens are to be loaded.
    void screensRequested();
    // The settings ask for every feed to be updated at start.
    void reloadRequested();
    // The address the program was started with, once the sequence has returned to the event
    // loop.
    void addressHandedOver(const QString& address);
    void finished();

private:
    static bool CheckDatabaseEngine();
    void ShowResourceWarnings(const QString& databasePath);
    void OpenStartupDatabase(const QString& path);

    CRssDatabase& db_;
    const StartOptions& options_;
};
