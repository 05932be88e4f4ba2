// The command line's table of commands and options, and its parser.

#pragma once

#include "app/PropertyChoices.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <vector>

// One option of a command as the help, the manual page, the shell completions and the parser
// all see it. `value` names what the option takes ("ID", "N", "on|off", "TEXT"); none for a
// switch. Lower-case words joined by '|' are the only values accepted; "ID" and the single
// capitals N, S and D take whole numbers; "ID,..." a list of them. `choices` narrows a number
// to the values a property dialog offers, `range` to the numbers a property may hold.
struct COptionSpec {
    const char* name;
    const char* value;
    const char* help;
    const PropertyChoices& (*choices)() = nullptr;
    bool repeatable = false;
    const NumberRange* range = nullptr;
};

// The words after a command: positional arguments, options that take a value (repeatable) and
// options that stand alone. Anything else is a usage error.
struct CArguments {
    QStringList positional;
    QMultiMap<QString, QString> values;
    QSet<QString> flags;
    QString error;

    // `synopsis` names the positional arguments ("ITEM read|unread|lock|unlock", optional ones
    // in brackets); they are counted and checked as the options' values are.
    static CArguments Parse(const QStringList& words, const QString& synopsis,
                            const std::vector<COptionSpec>& options);

    QString Value(const QString& option) const { return values.value(option); }
    QStringList All(const QString& option) const;
    bool Has(const QString& option) const {
        return flags.contains(option) || values.contains(option);
    }
};

// Why `text` is no fit for a value named `placeholder` ("takes a whole number, not x"), or
// empty when it fits.
QString ValueError(const QString& placeholder, const QString& text,
                   const PropertyChoices& (*choices)() = nullptr,
                   const NumberRange* range = nullptr);

// "12,34" → {12, 34}; false on anything that is not a number.
bool ReadIdList(const QString& text, QList<qint32>& ids);
