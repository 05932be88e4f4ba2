// The choices and number ranges the property dialogs offer.

#include "app/PropertyChoices.h"

#include "store/Records.h"

#include <QStringList>
#include <algorithm>

const PropertyChoices& MarkReadAfterChoices() {
    static const PropertyChoices choices = {
        {0, "never mark read"}, {1, "1 second"},  {2, "2 seconds"},   {3, "3 seconds"},
        {4, "4 seconds"},       {5, "5 seconds"}, {10, "10 seconds"}, {20, "20 seconds"}};
    return choices;
}

const PropertyChoices& HideAfterChoices() {
    static const PropertyChoices choices = {{0, "never hide"}, {1, "1 day"},    {2, "2 days"},
                                            {3, "3 days"},     {4, "4 days"},   {5, "5 days"},
                                            {7, "7 days"},     {14, "14 days"}, {30, "30 days"}};
    return choices;
}

// The small counts stay for feeds and Views set up with them; a desktop keeps thousands.
const PropertyChoices& FeedMaxItemsChoices() {
    static const PropertyChoices choices = {
        {15, "15"},     {20, "20"},     {25, "25"},       {30, "30"},
        {35, "35"},     {40, "40"},     {45, "45"},       {50, "50"},
        {100, "100"},   {200, "200"},   {500, "500"},     {1000, "1000"},
        {2000, "2000"}, {5000, "5000"}, {10000, "10000"}, {NoItemLimit, "no limit"}};
    return choices;
}

const PropertyChoices& ViewMaxItemsChoices() {
    static const PropertyChoices choices = [] {
        PropertyChoices all = FeedMaxItemsChoices();
        const auto fifty = std::find_if(all.begin(), all.end(), [](const PropertyChoice& choice) {
            return choice.value == 50;
        });
        all.insert(fifty + 1, {75, "75"});
        return all;
    }();
    return choices;
}

const PropertyChoices& SortByChoices() {
    static const PropertyChoices choices = {
        {0, "By Feed Priority"}, {1, "By Feed Date"}, {2, "By Item Date"}};
    return choices;
}

int NumberRange::Clamped(int value) const {
    return std::clamp(value, lowest, highest);
}

QString RangeText(const NumberRange& range) {
    return QStringLiteral("%1 to %2").arg(range.lowest).arg(range.highest);
}

bool IsChoice(const PropertyChoices& choices, int value) {
    return std::any_of(choices.begin(), choices.end(),
                       [value](const PropertyChoice& choice) { return choice.value == value; });
}

QString ChoiceValues(const PropertyChoices& choices) {
    QStringList values;
    for (const PropertyChoice& choice : choices)
        values << QString::number(choice.value);
    return values.join(QStringLiteral(", "));
}
