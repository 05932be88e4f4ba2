#include "cli/Arguments.h"

CArguments CArguments::Parse(const QStringList& words, const QSet<QString>& valueOptions,
                             const QSet<QString>& flagOptions) {
    CArguments arguments;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (!word.startsWith(QStringLiteral("--")) || word == u"--") {
            arguments.positional << word;
        } else if (flagOptions.contains(word)) {
            arguments.flags.insert(word);
        } else if (valueOptions.contains(word)) {
            if (i + 1 >= words.size()) {
                arguments.error = word + QStringLiteral(" needs a value");
                return arguments;
            }
            arguments.values.insert(word, words[++i]);
        } else {
            arguments.error = QStringLiteral("unknown option ") + word;
            return arguments;
        }
    }
    return arguments;
}

QStringList CArguments::All(const QString& option) const {
    QStringList all = values.values(option);
    std::reverse(all.begin(), all.end()); // QMultiMap keeps the latest first
    return all;
}
