// The backup file: writing it and restoring its listings.

#pragma once

#include <QString>

class CRssDatabase;

// The backup file (.qpbk): Views, subscriptions, feeds and their memberships, without items.

// Writes the file for the open database; false when the database or the file cannot be used.
bool SaveBackup(CRssDatabase& db, const QString& path);

// Adds the file's listings to the open database as new records with new identifiers.
bool ImportBackup(CRssDatabase& db, const QString& path);
