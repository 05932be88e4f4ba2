// The start-up sequence: engine check, first use, resource warnings, the database, then the
// window's first load.

#include "gui/window/StartupSequence.h"

#include "app/FirstUse.h"
#include "app/ResourceWarnings.h"
#include "config/AppSettings.h"
#include "store/AdoConnection.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QTimer>

CStartupSequence::CStartupSequence(CRssDatabase& db, const StartOptions& options, QObject* parent)
    : QObject(parent), db_(db), options_(options) {}

bool CStartupSequence::CheckDatabaseEngine() {
    if (CAdoConnection::IsEngineAvailable())
        return true;
    CurrentPrompt().ShowMessage(
        QStringLiteral("It appears that the installation of the ADO dll files are not "
                       "functioning.\n\nQuillpost uses ADO for database access.\n\nQuillpost "
                       "will now have to shut down."),
        QStringLiteral("Broken ADO installation"));
    return false;
}

void CStartupSequence::ShowResourceWarnings(const QString& databasePath) {
    const CAppSettings& app = TheAppSettings();
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    // A warning that would come at every start is told once, in the status bar, not in a box
    // that stops the start.
    const QList<ResourceWarning> untold = TakeUntoldWarnings(
        ResourceWarnings(WarningLimits::FromStore(store),
                         MeasureResources(databasePath, app.installFolder, app.audioFolder)),
        store);
    QStringList texts;
    for (const ResourceWarning& warning : untold)
        texts.append(warning.text);
    if (!texts.isEmpty())
        emit statusWarning(texts.join(QStringLiteral("  ")));
}

void CStartupSequence::OpenStartupDatabase(const QString& path) {
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    db_.UseLock = store.Read(Key::LockDatabase) != 0;
    db_.VerifyFile = store.Read(Key::VerifyDatabase) != 0;
    int result;
    {
        WaitCursor wait;
        result = db_.OpenDatabase(path, true);
    }
    if (result == -1)
        CurrentPrompt().ShowMessage(
            QStringLiteral("A Background Download is in progress and Quillpost cannot access the "
                           "database at this time.\n\nPlease close Quillpost and wait until "
                           "downloading is complete."),
            QStringLiteral("Database Notice"));
    else if (result != 1)
        CurrentPrompt().ShowMessage(
            QStringLiteral("The Quillpost database is not available.\n\nPlease Open/Create a new "
                           "Database, via the Options toolbar button (left side)."),
            QStringLiteral("Database Notice"));
}

void CStartupSequence::Run() {
    if (!CheckDatabaseEngine()) {
        emit closeRequested();
        return;
    }
    if (options_.settingsOnly) {
        emit settingsRequested();
        emit closeRequested();
        return;
    }
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    QString databasePath = store.Read(Key::Database);
    if (store.Read(Key::FirstTime) != 0 && databasePath.isEmpty()) {
        // After a failed first use the new file's path is still tried, and found missing.
        // The window says what was made and offers the next steps in a note of its own.
        const QString created = RunFirstUse(TheAppSettings().DatabasePath(), true, QString());
        databasePath = created.isEmpty() ? TheAppSettings().DatabasePath() : created;
        if (!created.isEmpty())
            emit databaseCreated(created);
    }
    ShowResourceWarnings(databasePath);
    db_.SetAudioFolder(TheAppSettings().audioFolder);
    OpenStartupDatabase(databasePath);
    {
        WaitCursor wait;
        emit screensRequested();
    }
    if (store.Read(Key::ReloadOnStart) == 1)
        emit reloadRequested();
    // A feed handed over by the desktop (a link opened with Quillpost), once this sequence has
    // returned to the event loop.
    if (!options_.feedUrl.isEmpty())
        QTimer::singleShot(0, this, [this] { emit addressHandedOver(options_.feedUrl); });
    emit finished();
}
