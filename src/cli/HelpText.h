// The help, manual page and shell completions printed from the table of commands.

#pragma once

#include "cli/CliApplication.h"

// The texts printed from the table of commands: the help, the manual page and the shell
// completions. None of them repeats a command's words by hand.
using CommandTable = std::vector<CCliApplication::Command>;

const std::vector<COptionSpec>& GlobalOptions();
// "quillpost-cli update [--feed ID] [--view ID] ..."
QString CommandSynopsis(const CCliApplication::Command& command);
QString CommandHelp(const CCliApplication::Command& command);
// The whole list for an empty group, the commands of a group ("view") else; empty when no
// command belongs to the group.
QString GroupHelp(const CommandTable& commands, const QString& group);
QString ManPage(const CommandTable& commands);
// A completion script for bash, zsh or fish; empty for another shell.
QString Completion(const CommandTable& commands, const QString& shell);
