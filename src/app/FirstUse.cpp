// The first start: the new database and the listing it is filled from.

#include "app/FirstUse.h"

#include "config/AppSettings.h"
#include "exchange/LegacyImporter.h"
#include "store/Prompt.h"
#include "store/RssDatabase.h"

#include <QFile>

QString RunFirstUse(const QString& databasePath, bool makeDefault, const QString& nextStep) {
    IPrompt& prompt = CurrentPrompt();
    const CRegistrySettings store = CRegistrySettings::ForQuillpost();
    QString listing = TheAppSettings().installFolder + QStringLiteral("/scripts/sourceList.txt");
    if (!QFile::exists(listing) ||
        !prompt.AskYesNo(QStringLiteral("Do you want import your Quillpost v1.42 feeds?"),
                         QStringLiteral("First Time Use")))
        listing = QStringLiteral(":/demoList.txt");

    WaitCursor wait;
    const bool announce = !nextStep.isEmpty();
    if (announce)
        prompt.ShowMessage(QStringLiteral("Quillpost will now create the Database...\n") +
                               databasePath,
                           QStringLiteral("First Time Use"));
    CRssDatabase db;
    QString created;
    if (db.CreateDatabase(databasePath, true, false)) {
        created = databasePath;
        CLegacyImporter importer;
        if (!importer.ReadLegacyListing(listing)) {
            prompt.ShowMessage(QStringLiteral("Could not import Feed listing...\n") + listing,
                               QStringLiteral("Import Failure"));
        } else {
            importer.StoreLegacyListing(databasePath);
            store.Write(Key::FirstTime, 0);
            if (announce)
                prompt.ShowMessage(QStringLiteral("The Database has been created.\n\n") + nextStep,
                                   QStringLiteral("First Time Use"));
            if (makeDefault)
                store.Write(Key::Database, databasePath);
            store.Write(Key::ItemViewCurrentViewID, 0);
            store.Write(Key::ItemViewCurrentFeedID, 0);
            store.Write(Key::ItemViewAllFeeds, 0);
            store.Write(Key::FeedViewCurrentViewID, 0);
            store.Write(Key::TodayHasChanged, 1);
        }
    }
    store.Write(Key::FirstTime, 0);
    return created;
}
