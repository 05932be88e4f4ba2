// Record numbers and the seconds since 2001 they count from.

#pragma once

#include <cstdint>

// Whole seconds from 2001-01-01 00:00:00 UTC to now, rounded to the nearest second.
std::int32_t SecondsSince2001();

// A fresh record number: SecondsSince2001 plus a process-wide counter that grows by one on each
// call, so that numbers taken in the same second still differ; never at or below a number
// issued before or declared used. Safe from any thread.
std::int32_t NewRecordID();

// Declares a number as used (by another process, found in a database): later numbers of this
// process are larger. A process started a few seconds after another would otherwise count
// from a smaller sum again and hand out the other's numbers a second time.
void RaiseRecordIdFloor(std::int32_t used);
