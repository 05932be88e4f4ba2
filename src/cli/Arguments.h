#pragma once

#include <QMap>
#include <QSet>
#include <QStringList>

// The words after a command: positional arguments, options that take a value (repeatable) and
// options that stand alone. Anything else is a usage error.
struct CArguments {
    QStringList positional;
    QMultiMap<QString, QString> values;
    QSet<QString> flags;
    QString error;

    static CArguments Parse(const QStringList& words, const QSet<QString>& valueOptions,
                            const QSet<QString>& flagOptions);

    QString Value(const QString& option) const { return values.value(option); }
    QStringList All(const QString& option) const;
    bool Has(const QString& option) const {
        return flags.contains(option) || values.contains(option);
    }
};
