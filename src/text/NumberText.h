// Numbers read from text the way atoi does, clamped.

#pragma once

#include <QStringView>
#include <climits>

// Reads a number the way the C library's atoi does: leading white space and a sign accepted,
// reading stops at the first character that is no digit of the base (10, or 16 with a-f in
// either case), nothing readable gives 0. The magnitude is clamped to `limit` so that no text
// can overflow it.
int ReadLeadingInt(QStringView text, int limit = INT_MAX, int base = 10);
