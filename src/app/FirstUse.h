// The first start: creating the database and filling it from a listing.

#pragma once

#include <QString>

// The first start: a new database in the install folder, filled from the user's listing of the
// earlier version when there is one and the user wants it, else from the shipped demonstration
// listing. Messages and the question go through the installed prompt. The new database becomes
// the default one (General\Database) when asked. Returns the new database's path, or empty
// when it could not be created. The closing message names the next step in the words of the
// program that runs it; with no next step the program tells of the new database its own way,
// and only the earlier version's question and failures are shown.
QString RunFirstUse(const QString& databasePath, bool makeDefault = true,
                    const QString& nextStep = QStringLiteral("Now, do \"Update All Feeds\" "
                                                             "from main menu to update Feed "
                                                             "information."));
