// The help, the manual page and the shell completions, printed from the table of commands.

#include "cli/HelpText.h"

#include <QSet>

namespace {

QString Name(const CCliApplication::Command& command) {
    return QString::fromLatin1(command.name);
}

// "view add" belongs to the group "view"; "update" to none.
QString Group(const CCliApplication::Command& command) {
    return Name(command).section(u' ', 0, 0);
}

QStringList TopLevelNames(const CommandTable& commands) {
    QStringList names;
    for (const auto& command : commands)
        if (!names.contains(Group(command)))
            names << Group(command);
    return names;
}

QString OptionSynopsis(const COptionSpec& option) {
    QString text = QString::fromLatin1(option.name);
    if (option.value)
        text += u' ' + QString::fromLatin1(option.value);
    return u'[' + text + u']' + (option.repeatable ? QStringLiteral("...") : QString());
}

QString OptionHelp(const COptionSpec& option) {
    QString help = QString::fromLatin1(option.help);
    if (option.choices)
        help += QStringLiteral(" (one of ") + ChoiceValues(option.choices()) + u')';
    if (option.range)
        help += QStringLiteral(" (") + RangeText(*option.range) + u')';
    return help;
}

QString OptionLines(const std::vector<COptionSpec>& options) {
    QString text;
    for (const COptionSpec& option : options) {
        const QString head = QString::fromLatin1(option.name) +
                             (option.value ? u' ' + QString::fromLatin1(option.value) : QString());
        text += QStringLiteral("  ") + head.leftJustified(24) + u' ' + OptionHelp(option) + u'\n';
    }
    return text;
}

const char* const ExitStatusText =
    "Exit status: 0 success, 1 the operation failed, 2 usage error. update, audio and "
    "reload-if-due give 0 only when the run completed and no entry failed, 130 after Ctrl-C.";

// Words that a completion offers after an option: its fixed values.
QStringList ValueWords(const COptionSpec& option) {
    const QString value = option.value ? QString::fromLatin1(option.value) : QString();
    return value.contains(u'|') && value == value.toLower() ? value.split(u'|') : QStringList();
}

QString Roff(QString text) {
    text.replace(u'\\', QStringLiteral("\\e")).replace(u'-', QStringLiteral("\\-"));
    return text.startsWith(u'.') || text.startsWith(u'\'') ? QStringLiteral("\\&") + text : text;
}

// The case statement bash and zsh share: the candidate words after the command words typed
// so far ($first, $second) and after an option that takes fixed values ($previous).
QString ShellCases(const CommandTable& commands) {
    QString text = QStringLiteral("    case $previous in\n");
    QSet<QString> seen;
    for (const auto& command : commands)
        for (const COptionSpec& option : command.options)
            if (!ValueWords(option).isEmpty() && !seen.contains(QLatin1String(option.name))) {
                seen.insert(QLatin1String(option.name));
                text += QStringLiteral("        %1) candidates=\"%2\"; return ;;\n")
                            .arg(option.name, ValueWords(option).join(u' '));
            }
    text += QStringLiteral("    esac\n    case $first in\n        \"\") candidates=\"%1\" ;;\n")
                .arg(TopLevelNames(commands).join(u' '));
    QString group;
    for (const auto& command : commands) {
        QStringList words;
        for (const COptionSpec& option : command.options)
            words << QString::fromLatin1(option.name);
        if (!Name(command).contains(u' ')) {
            text += QStringLiteral("        %1) candidates=\"%2\" ;;\n")
                        .arg(Name(command), words.join(u' '));
            continue;
        }
        if (Group(command) != group) {
            if (!group.isEmpty())
                text += QStringLiteral("            esac ;;\n");
            group = Group(command);
            QStringList members;
            for (const auto& other : commands)
                if (Group(other) == group)
                    members << Name(other).section(u' ', 1);
            text += QStringLiteral(
                        "        %1) case $second in\n                \"\") candidates=\"%2\" ;;\n")
                        .arg(group, members.join(u' '));
        }
        text += QStringLiteral("                %1) candidates=\"%2\" ;;\n")
                    .arg(Name(command).section(u' ', 1), words.join(u' '));
    }
    if (!group.isEmpty())
        text += QStringLiteral("            esac ;;\n");
    return text + QStringLiteral("    esac\n");
}

// Finds the command words and the word before the cursor, skipping options and --db's value.
QString ShellScan(const char* wordsArray, const char* start, const char* end) {
    return QStringLiteral(
               "    local first=\"\" second=\"\" i\n"
               "    for ((i = %2; i < %3; i++)); do\n"
               "        case ${%1[i]} in\n"
               "            --db) ((i++)) ;;\n"
               "            -*) ;;\n"
               "            *) if [ -z \"$first\" ]; then first=${%1[i]}; elif [ -z \"$second\" ]; "
               "then second=${%1[i]}; fi ;;\n"
               "        esac\n"
               "    done\n")
        .arg(wordsArray, start, end);
}

QString GlobalWords() {
    QStringList words;
    for (const COptionSpec& option : GlobalOptions())
        words << QString::fromLatin1(option.name);
    return words.join(u' ');
}

QString BashCompletion(const CommandTable& commands) {
    return QStringLiteral("# bash completion for quillpost-cli, printed by quillpost-cli\n"
                          "_quillpost_cli_candidates() {\n") +
           ShellScan("COMP_WORDS", "1", "COMP_CWORD") +
           QStringLiteral("    local previous=${COMP_WORDS[COMP_CWORD-1]}\n") +
           ShellCases(commands) +
           QStringLiteral("    candidates=\"$candidates %1\"\n}\n"
                          "_quillpost_cli() {\n"
                          "    local candidates=\"\"\n"
                          "    _quillpost_cli_candidates\n"
                          "    COMPREPLY=($(compgen -W \"$candidates\" -- "
                          "\"${COMP_WORDS[COMP_CWORD]}\"))\n"
                          "}\n"
                          "complete -o default -F _quillpost_cli quillpost-cli\n")
               .arg(GlobalWords());
}

QString ZshCompletion(const CommandTable& commands) {
    return QStringLiteral("#compdef quillpost-cli\n"
                          "# zsh completion for quillpost-cli, printed by quillpost-cli\n"
                          "_quillpost_cli_candidates() {\n") +
           ShellScan("words", "2", "CURRENT") +
           QStringLiteral("    local previous=${words[CURRENT-1]}\n") + ShellCases(commands) +
           QStringLiteral("    candidates=\"$candidates %1\"\n}\n"
                          "local candidates=\"\"\n"
                          "_quillpost_cli_candidates\n"
                          "compadd -- ${=candidates}\n"
                          "_files\n")
               .arg(GlobalWords());
}

QString FishOption(const QString& condition, const COptionSpec& option) {
    QString line = QStringLiteral("complete -c quillpost-cli");
    if (!condition.isEmpty())
        line += QStringLiteral(" -n '%1'").arg(condition);
    line += QStringLiteral(" -l ") + QString::fromLatin1(option.name).mid(2);
    if (!ValueWords(option).isEmpty())
        line += QStringLiteral(" -x -a '") + ValueWords(option).join(u' ') + u'\'';
    else if (option.value)
        line += QStringLiteral(" -r");
    return line + QStringLiteral(" -d '%1'\n")
                      .arg(QString(OptionHelp(option)).replace(u'\'', QStringLiteral("\\'")));
}

QString FishCompletion(const CommandTable& commands) {
    QString text =
        QStringLiteral("# fish completion for quillpost-cli, printed by quillpost-cli\n");
    for (const COptionSpec& option : GlobalOptions())
        text += FishOption(QString(), option);
    QStringList done;
    for (const auto& command : commands) {
        const QString group = Group(command);
        const QString summary =
            QString::fromLatin1(command.summary).replace(u'\'', QStringLiteral("\\'"));
        QString condition = QStringLiteral("__fish_seen_subcommand_from ") + group;
        if (!done.contains(group)) {
            done << group;
            text +=
                QStringLiteral(
                    "complete -c quillpost-cli -f -n __fish_use_subcommand -a %1 -d '%2'\n")
                    .arg(group, Name(command).contains(u' ') ? group + QStringLiteral(" commands")
                                                             : summary);
        }
        if (Name(command).contains(u' ')) {
            const QString sub = Name(command).section(u' ', 1);
            text += QStringLiteral("complete -c quillpost-cli -f -n '%1' -a %2 -d '%3'\n")
                        .arg(condition, sub, summary);
            condition += QStringLiteral("; and __fish_seen_subcommand_from ") + sub;
        }
        for (const COptionSpec& option : command.options)
            text += FishOption(condition, option);
    }
    return text;
}

} // namespace

const std::vector<COptionSpec>& GlobalOptions() {
    static const std::vector<COptionSpec> options = {
        {"--db", "FILE",
         "the database (else General\\Database, else rss.qpdb in the install folder)"},
        {"--yes", nullptr, "answer Yes to the program's questions (they are answered No else)"},
        {"--json", nullptr, "JSON output, for the commands that list or show"},
        {"--help", nullptr, "the commands, or one command's options"},
        {"--version", nullptr, "print the version"},
    };
    return options;
}

QString CommandSynopsis(const CCliApplication::Command& command) {
    QString text = QStringLiteral("quillpost-cli ") + Name(command);
    if (*command.arguments)
        text += u' ' + QString::fromLatin1(command.arguments);
    for (const COptionSpec& option : command.options)
        text += u' ' + OptionSynopsis(option);
    return text;
}

QString CommandHelp(const CCliApplication::Command& command) {
    QString text = QStringLiteral("usage: ") + CommandSynopsis(command) + QStringLiteral("\n\n") +
                   QString::fromLatin1(command.summary) + QStringLiteral(".\n");
    if (!command.options.empty())
        text += QStringLiteral("\noptions:\n") + OptionLines(command.options);
    std::vector<COptionSpec> globals;
    for (const COptionSpec& option : GlobalOptions())
        if (command.json || option.name != QLatin1String("--json"))
            globals.push_back(option);
    return text + QStringLiteral("\nglobal options:\n") + OptionLines(globals);
}

QString GroupHelp(const CommandTable& commands, const QString& group) {
    QString list;
    for (const auto& command : commands)
        if (group.isEmpty() || Group(command) == group)
            list += QStringLiteral("  ") + Name(command).leftJustified(16) + u' ' +
                    QString::fromLatin1(command.summary) + u'\n';
    if (list.isEmpty())
        return {};
    const QString usage = group.isEmpty()
                              ? QStringLiteral("usage: quillpost-cli [--db FILE] [--yes] "
                                               "[--json] COMMAND [ARGUMENTS]\n")
                              : QString();
    return usage + QStringLiteral("\ncommands:\n") + list + QStringLiteral("\nglobal options:\n") +
           OptionLines(GlobalOptions()) +
           QStringLiteral("\n\"quillpost-cli COMMAND --help\" shows a command's arguments and "
                          "options.\n") +
           QString::fromLatin1(ExitStatusText) + u'\n';
}

QString ManPage(const CommandTable& commands) {
    QString text = QStringLiteral(
        ".TH QUILLPOST-CLI 1 \"\" \"quillpost-cli " QUILLPOST_VERSION "\" \"User Commands\"\n"
        ".SH NAME\nquillpost\\-cli \\- the command line of the Quillpost news\\-feed reader\n"
        ".SH SYNOPSIS\n.B quillpost\\-cli\n[\\fIglobal options\\fR] \\fICOMMAND\\fR "
        "[\\fIARGUMENTS\\fR] [\\fIoptions\\fR]\n"
        ".SH DESCRIPTION\nquillpost\\-cli adds, updates, lists, reads, searches, imports, exports "
        "and backs up the feeds of Quillpost, with the same configuration and database as the "
        "desktop program, and runs its timed background reloads.\n.SH COMMANDS\n");
    for (const auto& command : commands) {
        text += QStringLiteral(".TP\n.B ") + Roff(CommandSynopsis(command)) + u'\n' +
                Roff(QString::fromLatin1(command.summary)) + QStringLiteral(".\n");
        if (command.options.empty())
            continue;
        text += QStringLiteral(".RS\n");
        for (const COptionSpec& option : command.options)
            text +=
                QStringLiteral(".TP\n.B ") + Roff(QString::fromLatin1(option.name)) +
                (option.value ? QStringLiteral(" \\fI") + Roff(QString::fromLatin1(option.value)) +
                                    QStringLiteral("\\fR")
                              : QString()) +
                u'\n' + Roff(OptionHelp(option)) + u'\n';
        text += QStringLiteral(".RE\n");
    }
    text += QStringLiteral(".SH GLOBAL OPTIONS\n");
    for (const COptionSpec& option : GlobalOptions())
        text += QStringLiteral(".TP\n.B ") + Roff(QString::fromLatin1(option.name)) +
                (option.value ? QStringLiteral(" \\fI") + Roff(QString::fromLatin1(option.value)) +
                                    QStringLiteral("\\fR")
                              : QString()) +
                u'\n' + Roff(OptionHelp(option)) + u'\n';
    return text + QStringLiteral(".SH EXIT STATUS\n") + Roff(QString::fromLatin1(ExitStatusText)) +
           QStringLiteral("\n.SH ENVIRONMENT\n.TP\n.B NO_COLOR\nwhen set, no colour even on a "
                          "terminal.\n.TP\n.B XDG_CONFIG_HOME\nthe configuration is "
                          "Oxbowfield/Quillpost.conf in it.\n.TP\n.B XDG_DATA_HOME\nthe install "
                          "folder is Quillpost in it unless Settings\\eInstallPath says "
                          "otherwise.\n");
}

QString Completion(const CommandTable& commands, const QString& shell) {
    if (shell == u"bash")
        return BashCompletion(commands);
    if (shell == u"zsh")
        return ZshCompletion(commands);
    return shell == u"fish" ? FishCompletion(commands) : QString();
}
