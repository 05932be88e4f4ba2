// The settings screen's contents and saving, without widgets.

#pragma once

#include "app/PropertyChoices.h"
#include "config/ConfigKeys.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

class CRegistrySettings;
class CRssDatabase;

// The settings screen's contents without its widgets: every setting with its key, the default
// shown when the key is unset, its entries and description, in the screen's order; and what
// saving them does to the running program and the Today-screen registrations.

enum class SettingKind { ReadOnly, Choice, Check, FilePath, FolderPath, Colour, Time };

struct SettingItem {
    const char* label;
    SettingKind kind;
    const IntKey* intKey;       // the key of a number, flag, colour or time
    const StringKey* stringKey; // the key of a path or text
    const PropertyChoices* choices;
    const char* description;
    // A setting that does nothing on a desktop is not shown; its key is read and written all
    // the same, so that nothing stored in it is lost.
    bool shown = true;
};

struct SettingCategory {
    const char* name;
    const char* description;
    std::vector<SettingItem> items;
    bool shown = true;
};

const std::vector<SettingCategory>& SettingsTree();

// The value the screen shows: the stored one, else the screen default (an int, or a QString for
// paths and texts). The audio cache shows the folder in use while its key is unset.
QVariant ReadSetting(const CRegistrySettings& store, const SettingItem& item);

// Makes Today\Enable and Today\UsePB say what the hosts' registrations say, before the screen
// shows them.
void AlignTodayKeysWithRegistrations(const CRegistrySettings& store);

// Stores the values (one per item, in tree order; read-only items are skipped), makes the
// running program and its database take over the values they keep, rewrites the Today-screen
// registrations whose keys changed and writes Today\TodayHasChanged = 1. No Today screen runs
// here to be told to reload.
void SaveSettings(const CRegistrySettings& store, const QList<QVariant>& values, CRssDatabase& db);

// A time item's text: "(on)  07:30" for a value of 450, "(off) 07:30" for -450 or 0.
QString TimeSettingText(int value);
