// "RSS Database..." of the Options menu: open, create, import a backup, purge, save a backup.

#include "gui/window/DatabaseOptions.h"

#include "app/UserCommands.h"
#include "config/AppSettings.h"
#include "exchange/Backup.h"
#include "gui/dialogs/DatabaseOptionsDlg.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QFileDialog>

namespace {

// The name given, with the extension added unless it is there already.
QString WithExtension(const QString& path, const QString& extension) {
    return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

void ShowMessage(const QString& text, const QString& caption) {
    CurrentPrompt().ShowMessage(text, caption);
}

// What every new current database asks of the settings: no View or Feed chosen yet.
void ForgetCurrentViews(const CRegistrySettings& store, const QString& path) {
    store.Write(Key::Database, path);
    store.Write(Key::ItemViewCurrentViewID, 0);
    store.Write(Key::ItemViewCurrentFeedID, 0);
    store.Write(Key::ItemViewAllFeeds, 0);
    store.Write(Key::FeedViewCurrentViewID, 0);
    store.Write(Key::TodayHasChanged, 1);
}

} // namespace

CDatabaseOptions::CDatabaseOptions(CRssDatabase& db, std::function<bool()> runGoesOn,
                                   QWidget* window)
    : QObject(window), db_(db), runGoesOn_(std::move(runGoesOn)), window_(window) {}

void CDatabaseOptions::Open() {
    if (runGoesOn_()) {
        ShowMessage(QStringLiteral("A download is in progress.\n\nPlease wait until it is "
                                   "complete, or cancel it, before changing the database."),
                    QStringLiteral("Quillpost"));
        return;
    }
    CDatabaseOptionsDlg dialog(window_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    switch (dialog.Chosen()) {
    case CDatabaseOptionsDlg::Open:
        OpenOtherDatabase();
        return;
    case CDatabaseOptionsDlg::Create:
        CreateNewDatabase();
        return;
    case CDatabaseOptionsDlg::ImportBackup:
        ImportFromBackup();
        return;
    case CDatabaseOptionsDlg::Purge:
        PurgeDatabase();
        return;
    case CDatabaseOptionsDlg::SaveBackup:
        SaveAsBackup();
        return;
    }
}

void CDatabaseOptions::ApplyNewCurrentDatabase(const QString& path) {
    ForgetCurrentViews(CRegistrySettings::ForQuillpost(), path);
    emit currentDatabaseChanged();
}

void CDatabaseOptions::OpenOtherDatabase() {
    const QString path =
        QFileDialog::getOpenFileName(window_, QStringLiteral("Select RSS Database File (*.qpdb)"),
                                     QString(), QStringLiteral("Quillpost database (*.qpdb)"));
    if (path.isEmpty())
        return;
    // The file is tried on its own first, so that a file that cannot be used leaves the current
    // database open.
    bool usable;
    {
        WaitCursor wait;
        CRssDatabase trial;
        trial.UseLock = db_.UseLock;
        usable = trial.OpenDatabase(path, false) == 1;
        trial.CloseDatabase();
        usable = usable && db_.OpenDatabase(path, true) == 1;
    }
    if (usable)
        ApplyNewCurrentDatabase(path);
    else
        ShowMessage(QStringLiteral("Could not Open the Quillpost Database.\n\nPlease select a "
                                   "different database."),
                    QStringLiteral("Quillpost"));
    emit listsChanged();
}

void CDatabaseOptions::CreateNewDatabase() {
    const QString chosen = QFileDialog::getSaveFileName(
        window_, QStringLiteral("Create a new RSS Database"), QString(),
        QStringLiteral("Quillpost database (*.qpdb)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    const QString path = WithExtension(chosen, QStringLiteral(".qpdb"));
    bool created;
    {
        WaitCursor wait;
        CRssDatabase fresh;
        created = fresh.CreateDatabase(path, true, false);
    }
    if (!created) {
        emit feedListRequested();
        emit listsChanged();
        return;
    }
    if (db_.OpenDatabase(path, true) != 1) {
        ShowMessage(QStringLiteral("Could not Open the Quillpost Database.\n\nQuillpost will "
                                   "now shut down."),
                    QStringLiteral("Quillpost"));
        emit closeRequested();
        return;
    }
    ApplyNewCurrentDatabase(path);
    emit feedListRequested();
    emit listsChanged();
    ShowMessage(QStringLiteral("A new Quillpost database has been created.\n\nYou should now use "
                               "the Feed Wizard (from the main menu) or add New View (from the "
                               "top-right menu)."),
                QStringLiteral("New Database"));
}

void CDatabaseOptions::ImportFromBackup() {
    const QString path =
        QFileDialog::getOpenFileName(window_, QStringLiteral("Select a Quillpost Backup (*.qpbk)"),
                                     QString(), QStringLiteral("Quillpost backup (*.qpbk)"));
    if (path.isEmpty())
        return;
    bool imported;
    {
        WaitCursor wait;
        imported = ImportBackup(db_, path);
    }
    if (!imported) {
        ShowMessage(QStringLiteral("Could not Import data from Backup file...") + path,
                    QStringLiteral("Quillpost"));
        return;
    }
    CRegistrySettings::ForQuillpost().Write(Key::TodayHasChanged, 1);
    emit listsChanged();
}

void CDatabaseOptions::PurgeDatabase() {
    if (PurgeDatabaseCommand(db_,
                             TheAppSettings().installFolder + QStringLiteral("/rssAutoBAK.qpbk")) ==
        CommandOutcome::Declined)
        return;
    emit listsChanged();
}

void CDatabaseOptions::SaveAsBackup() {
    const QString chosen =
        QFileDialog::getSaveFileName(window_, QStringLiteral("Save as Quillpost Backup"), QString(),
                                     QStringLiteral("Quillpost backup (*.qpbk)"));
    if (chosen.isEmpty())
        return;
    const QString path = WithExtension(chosen, QStringLiteral(".qpbk"));
    bool saved;
    {
        WaitCursor wait;
        saved = SaveBackup(db_, path);
    }
    if (saved)
        ShowMessage(QStringLiteral("A Quillpost Backup file has been created...\n") + path,
                    QStringLiteral("Backup Created"));
    else
        ShowMessage(QStringLiteral("Failed to create Backup file...\n") + path,
                    QStringLiteral("Backup Failure"));
}
