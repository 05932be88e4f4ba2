#pragma once

// A process-wide sign that a write failed for want of room: SQLite's SQLITE_FULL from any
// statement (a full disk, or a database at its size limit), or a short write of a file.
void NoteDiskFull();
// Whether the sign was given since the last call; the call clears it.
bool TakeDiskFull();
