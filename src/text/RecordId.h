#pragma once

#include <cstdint>

// Whole seconds from 2001-01-01 00:00:00 UTC to now, rounded to the nearest second.
std::int32_t SecondsSince2001();

// A fresh record number: SecondsSince2001 plus a process-wide counter that grows by one on each
// call, so that numbers taken in the same second still differ. Safe from any thread.
std::int32_t NewRecordID();
