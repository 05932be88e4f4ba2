#pragma once

#include "store/Records.h"

#include <vector>

// Puts a View's items latest first, as the item lists have always ordered them: position by
// position, each later item dated strictly after the one a position holds is exchanged into it.
// That exchange sort takes the square of the items' number; this gives the same order, items of
// equal date included, in n log n.
void SortLatestFirst(std::vector<CFeedItemRecord>& items);
