// The Today-screen host registrations written when the settings are saved.

#pragma once

#include <QString>

// The entries that make a Today or PocketBreeze host load the Today-screen component, written
// when the settings screen is saved and Today\Enable or Today\UsePB changed.
void WriteTodayRegistration(bool enable, bool usePocketBreeze, const QString& installFolder);

// Written when Today\SESelection changed: 2 when on, 0 when off.
void WriteTodaySelectability(bool selectionNavigation);

// Whether a host has the component switched on; without such a host nothing says so.
bool IsPocketBreezeRegistered();
bool IsTodayHostRegistered();
