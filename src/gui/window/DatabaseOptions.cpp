// The main view's dialogs of the Options menu: "RSS Database..." (open, create, import a
// backup, purge, save a backup) and "Network Connection...".
#include "app/UserCommands.h"
#include "config/AppSettings.h"
#include "exchange/Backup.h"
#include "gui/dialogs/DatabaseOptionsDlg.h"
#include "gui/dialogs/NetworkConnectionDlg.h"
#include "gui/screens/DownloadProgressWnd.h"
#include "gui/screens/FeedListScreen.h"
#include "gui/screens/ItemListScreen.h"
#include "gui/window/QuillpostView.h"
#include "store/Prompt.h"

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
    store.Write(Key::FeedViewCurrentViewID, 0);
    store.Write(Key::TodayHasChanged, 1);
}

} // namespace

void CQuillpostView::OpenDatabaseOptions() {
    // The run's worker uses the database; it must not change under it.
    if (progress_->IsRunning()) {
        ShowMessage(QStringLiteral("A download is in progress.\n\nPlease wait until it is "
                                   "complete, or cancel it, before changing the database."),
                    QStringLiteral("Quillpost"));
        return;
    }
    CDatabaseOptionsDlg dialog(this);
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

void CQuillpostView::ApplyNewCurrentDatabase(const QString& path) {
    ForgetCurrentViews(CRegistrySettings::ForQuillpost(), path);
    ReadScreenSettings();
}

void CQuillpostView::OpenOtherDatabase() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Select RSS Database File (*.qpdb)"),
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
    ReloadLists();
}

void CQuillpostView::CreateNewDatabase() {
    const QString chosen = QFileDialog::getSaveFileName(
        this, QStringLiteral("Create a new RSS Database"), QString(),
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
        SwitchScreen(CFeedListScreen::Id);
        ReloadLists();
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
    SwitchScreen(CFeedListScreen::Id);
    ReloadLists();
    ShowMessage(QStringLiteral("A new Quillpost database has been created.\n\nYou should now use "
                               "the Feed Wizard (from the main menu) or add New View (from the "
                               "top-right menu)."),
                QStringLiteral("New Database"));
}

void CQuillpostView::ImportFromBackup() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Select a Quillpost Backup (*.qpbk)"),
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
    ReloadLists();
}

void CQuillpostView::PurgeDatabase() {
    if (PurgeDatabaseCommand(db_,
                             TheAppSettings().installFolder + QStringLiteral("/rssAutoBAK.qpbk")) ==
        CommandOutcome::Declined)
        return;
    ReloadLists();
}

void CQuillpostView::SaveAsBackup() {
    const QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save as Quillpost Backup"), QString(),
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

void CQuillpostView::OpenNetworkConnection() {
    CNetworkConnectionDlg dialog(this);
    dialog.exec();
}
