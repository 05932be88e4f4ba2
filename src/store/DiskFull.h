// The process-wide sign that a write failed for want of room.

#pragma once

// A process-wide sign that a write failed for want of room: SQLite's SQLITE_FULL from any
// statement (a full disk, or a database at its size limit), or a short write of a file.
void NoteDiskFull();
// Gives the sign when a statement ended with SQLITE_FULL. SQLite's error log does not report a
// commit that fails for want of room, which is where a write-ahead log's pages are written.
void NoteIfDiskFull(int sqliteResult);
// Whether the sign was given since the last call; the call clears it.
bool TakeDiskFull();
