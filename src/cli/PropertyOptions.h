#pragma once

#include "app/Properties.h"
#include "cli/Arguments.h"

// The property dialogs' fields as command-line options. Each reader fills only what was given
// and refuses a value outside the dialog's choices with a message naming the allowed ones.

// --url --priority --read-after --max-items --extended-data on|off --audio on|off --views ID,…
bool ReadFeedOptions(const CArguments& arguments, FeedEdit& edit, QString& error);
const QSet<QString>& FeedValueOptions();

// --label --read-after --hide-after --max-items --hide-read on|off --skip-read on|off
// --sort priority|feed-date|item-date --keywords TEXT --feeds ID,…
bool ReadViewOptions(const CArguments& arguments, ViewEdit& edit, QString& error);
const QSet<QString>& ViewValueOptions();

// "12,34" → {12, 34}; false on anything that is not a number.
bool ReadIdList(const QString& text, QList<qint32>& ids);
