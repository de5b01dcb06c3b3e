#pragma once
// Opening the notes database for a connection of a worker thread: the same checks as the
// data module's own connection, without its message (no window may be shown from there).
class TDM;

bool OpenDatabaseQuietly(TDM &dm);
