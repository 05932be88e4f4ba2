#pragma once

#include <QString>

// The first start: a new database in the install folder, filled from the user's listing of the
// earlier version when there is one and the user wants it, else from the shipped demonstration
// listing. Messages and the question go through the installed prompt. The new database becomes
// the default one (General\Database) when asked. Returns the new database's path, or empty
// when it could not be created.
QString RunFirstUse(const QString& databasePath, bool makeDefault = true);
