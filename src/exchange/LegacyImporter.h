// Import of the earlier version's feed listing.

#pragma once

#include "feeds/XmlDocument.h"

#include <QString>
#include <vector>

// Reads a feed listing of the program's earlier version (version "1.0" or "2.0") and writes it
// into a database as Views (from the group hierarchy), subscriptions and feeds.
class CLegacyImporter {
public:
    struct Group {
        QString Label;
        QString Path; // the ancestors' labels joined by "~", empty at the top
        int IsActive = 1;
    };
    struct Subscription {
        QString Label;
        QString Url;
        QString File;
        int IsToday = 0;
        int IsActive = 1;
        int FromFile = 0;
        QString ParentPath;
    };
    struct Source {
        QString Label;
        QString Url;
        QString File;
        int IsActive = 1;
        int IsToday = 0;
        QString ParentPath;
        int IsChild = 0;
        int Priority = 1;
        QString RefreshDate;
    };

    // False when the file cannot be read or is not a listing of a known version.
    bool ReadLegacyListing(const QString& path);
    // Writes the lists into the database at that path with a database object of its own; false
    // only when that database cannot be opened.
    bool StoreLegacyListing(const QString& databasePath);

    const std::vector<Subscription>& Subscriptions() const { return subscriptions_; }
    const std::vector<Source>& Sources() const { return sources_; }

private:
    void ReadVersion1(const CXmlNode* root);
    void ReadVersion2(const CXmlDocument& document);
    Source ReadSource(const CXmlNode* node) const;
    Subscription ReadSubscription(const CXmlNode* node) const;

    std::vector<Group> groups_;
    std::vector<Subscription> subscriptions_;
    std::vector<Source> sources_;
};
