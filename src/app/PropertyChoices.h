#pragma once

#include <QString>
#include <vector>

// The values the property dialogs offer; nothing else is stored through them.
struct PropertyChoice {
    int value;
    const char* text;
};

using PropertyChoices = std::vector<PropertyChoice>;

const PropertyChoices& MarkReadAfterChoices();
const PropertyChoices& HideAfterChoices();
const PropertyChoices& FeedMaxItemsChoices();
const PropertyChoices& ViewMaxItemsChoices();
const PropertyChoices& SortByChoices();

bool IsChoice(const PropertyChoices& choices, int value);
// "0, 1, 2, 3, 4, 5, 10, 20": the values, for messages.
QString ChoiceValues(const PropertyChoices& choices);
