// "RSS Database..." of the Options menu, as a class of the window.

#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CRssDatabase;
class QWidget;

// "RSS Database..." of the Options menu: open another database, create one, import a backup,
// purge the cached data, save a backup. It works on the window's connection and tells the
// window what became of its lists through the signals.
class CDatabaseOptions : public QObject {
    Q_OBJECT
public:
    // `runGoesOn` says whether a download run uses the database; it must not change under it.
    // Dialogs open over `window`.
    CDatabaseOptions(CRssDatabase& db, std::function<bool()> runGoesOn, QWidget* window);

    // Asks which command to run and runs it.
    void Open();

signals:
    // Another file is now the current database: no View or Feed is chosen in it yet.
    void currentDatabaseChanged();
    // The database's Views, Feeds or items changed: the lists are to be read again.
    void listsChanged();
    void feedListRequested();
    // The new database could not be opened: the program is to end.
    void closeRequested();

private:
    void ApplyNewCurrentDatabase(const QString& path);
    void OpenOtherDatabase();
    void CreateNewDatabase();
    void ImportFromBackup();
    void PurgeDatabase();
    void SaveAsBackup();

    CRssDatabase& db_;
    std::function<bool()> runGoesOn_;
    QWidget* window_;
};
