// The property dialogs' fields read from command-line options.

#pragma once

#include "app/Properties.h"
#include "cli/Arguments.h"

// The property dialogs' fields as command-line options, already checked against the table of
// commands (numbers, on|off, the dialogs' choices). Each reader fills only what was given.

// --url --priority --read-after --max-items --extended-data on|off --audio on|off --views ID,…
FeedEdit ReadFeedOptions(const CArguments& arguments);

// --label --read-after --hide-after --max-items --hide-read on|off --skip-read on|off
// --sort priority|feed-date|item-date --keywords TEXT --feeds ID,…
ViewEdit ReadViewOptions(const CArguments& arguments);
