// Parsing and checking a command's options and positional arguments against its table entry.

#include "cli/Arguments.h"

namespace {

bool IsNumberPlaceholder(const QString& placeholder) {
    return placeholder.endsWith(QStringLiteral("ID")) || placeholder == u"ITEM" ||
           placeholder == u"VIEW" || placeholder == u"N" || placeholder == u"S" ||
           placeholder == u"D";
}

// "on|off", "priority|feed-date|item-date": words a user types as they stand.
bool IsWordChoice(const QString& placeholder) {
    if (!placeholder.contains(u'|'))
        return false;
    for (const QString& word : placeholder.split(u'|'))
        if (word.isEmpty() || word != word.toLower() || word == word.toUpper())
            return false;
    return true;
}

const COptionSpec* FindOption(const std::vector<COptionSpec>& options, const QString& name) {
    for (const COptionSpec& option : options)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

QString CheckPositional(const QString& synopsis, const QStringList& positional) {
    const QStringList names = synopsis.split(u' ', Qt::SkipEmptyParts);
    qsizetype required = 0;
    for (const QString& name : names)
        required += name.startsWith(u'[') ? 0 : 1;
    if (positional.size() < required || positional.size() > names.size())
        return names.isEmpty() ? QStringLiteral("no arguments are taken, only options")
                               : QStringLiteral("the arguments are: ") + synopsis;
    for (qsizetype i = 0; i < positional.size(); ++i) {
        const QString name = names[i].startsWith(u'[') ? names[i].mid(1).chopped(1) : names[i];
        const QString error = ValueError(name, positional[i]);
        if (!error.isEmpty())
            return name + u' ' + error;
    }
    return {};
}

} // namespace

QString ValueError(const QString& placeholder, const QString& text,
                   const PropertyChoices& (*choices)(), const NumberRange* range) {
    if (placeholder == u"ID,...") {
        QList<qint32> ids;
        return ReadIdList(text, ids)
                   ? QString()
                   : placeholder + QStringLiteral(" takes IDs separated by commas");
    }
    if (IsWordChoice(placeholder))
        return placeholder.split(u'|').contains(text)
                   ? QString()
                   : QStringLiteral("takes one of ") +
                         placeholder.split(u'|').join(QStringLiteral(", "));
    if (!IsNumberPlaceholder(placeholder))
        return {};
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        return QStringLiteral("takes a whole number, not ") + text;
    if (choices && !IsChoice(choices(), number))
        return QStringLiteral("takes one of ") + ChoiceValues(choices());
    if (range && !range->Contains(number))
        return RangeText(*range).prepend(QStringLiteral("takes a number "));
    return {};
}

CArguments CArguments::Parse(const QStringList& words, const QString& synopsis,
                             const std::vector<COptionSpec>& options) {
    CArguments arguments;
    for (qsizetype i = 0; i < words.size() && arguments.error.isEmpty(); ++i) {
        const QString& word = words[i];
        const COptionSpec* option = word.startsWith(QStringLiteral("--")) && word != u"--"
                                        ? FindOption(options, word)
                                        : nullptr;
        if (!word.startsWith(QStringLiteral("--")) || word == u"--") {
            arguments.positional << word;
        } else if (!option) {
            arguments.error = QStringLiteral("unknown option ") + word;
        } else if (!option->value) {
            arguments.flags.insert(word);
        } else if (i + 1 >= words.size()) {
            arguments.error = word + QStringLiteral(" needs a value");
        } else if (arguments.values.contains(word) && !option->repeatable) {
            arguments.error = word + QStringLiteral(" is given twice");
        } else {
            const QString error = ValueError(QString::fromLatin1(option->value), words[++i],
                                             option->choices, option->range);
            if (error.isEmpty())
                arguments.values.insert(word, words[i]);
            else
                arguments.error = word + u' ' + error;
        }
    }
    if (arguments.error.isEmpty())
        arguments.error = CheckPositional(synopsis, arguments.positional);
    return arguments;
}

QStringList CArguments::All(const QString& option) const {
    QStringList all = values.values(option);
    std::reverse(all.begin(), all.end()); // QMultiMap keeps the latest first
    return all;
}

bool ReadIdList(const QString& text, QList<qint32>& ids) {
    ids.clear();
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        ids << part.trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}
