// The settings loaded once at start-up for the rest of the program to read.

#pragma once

#include "config/RegistrySettings.h"

#include <QString>

// The values loaded once at start-up that other parts read instead of the store.
struct CAppSettings {
    QString installFolder;
    QString audioFolder;
    bool autoPurgeFD = false;
    bool isVGA = false;
    int downloadBufferBytes = 1024;
    bool downloadSkipHeaders = true;
    int fontSize = 8;

    // Reads every start-up value and writes General\StartMode = 0. The install folder is
    // created when missing.
    void Load(const CRegistrySettings& store);
    // Everything but the install folder again, as the settings screen leaves it after saving.
    void TakeOverSettings(const CRegistrySettings& store);
    void ReloadDownloadSettings(const CRegistrySettings& store);

    QString DatabasePath() const;      // the default database in the install folder
    QString DownloadFilePath() const;  // webData.htm, the shared download file
    QString TempFeedPath() const;      // rssTemp.xml
    QString OnlineListingPath() const; // onlineFeeds.xml, the feed wizard's listing
    QString SearchResultsPath() const; // feedster.xml, the feed wizard's search results
    // The feeds' icons: in the desktop's cache folder, as they can always be fetched again, and
    // shared by every database, as they belong to the sites.
    static QString FeedIconFolder();
};

// The application-wide instance that the front ends load at start-up.
CAppSettings& TheAppSettings();

// Special\DownloadBuffer is in KB; 0 means the 4096-byte default.
int DownloadBufferBytes(int kilobytes);
