// The values and ranges the property dialogs offer.

#pragma once

#include <QString>
#include <vector>

// The values the property dialogs offer; nothing else is stored through them.
struct PropertyChoice {
    int value;
    const char* text;
};

using PropertyChoices = std::vector<PropertyChoice>;

// The numbers a property may hold beyond the choices its dialog offers.
struct NumberRange {
    int lowest;
    int highest;
    int Clamped(int value) const;
    bool Contains(int value) const { return value >= lowest && value <= highest; }
};

// The dialog offers a list up to ten thousand and no limit (0), but a View may show any count
// between: a keyword View over a large database lists tens of thousands. Such a count comes from
// the command line or a backup.
inline constexpr NumberRange ViewMaxItemsRange{0, 1000000};
// A feed's place among the feeds of a View sorted by priority.
inline constexpr NumberRange FeedPriorityRange{0, 100};

const PropertyChoices& MarkReadAfterChoices();
const PropertyChoices& HideAfterChoices();
const PropertyChoices& FeedMaxItemsChoices();
const PropertyChoices& ViewMaxItemsChoices();
const PropertyChoices& SortByChoices();

// "1 to 1000000": the range, for messages.
QString RangeText(const NumberRange& range);
bool IsChoice(const PropertyChoices& choices, int value);
// "0, 1, 2, 3, 4, 5, 10, 20": the values, for messages.
QString ChoiceValues(const PropertyChoices& choices);
