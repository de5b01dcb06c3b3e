#pragma once
// Opening the notes database for a connection of a worker thread: the same checks as the
// data module's own connection, without its message (no window may be shown from there).
#include <QString>

class TDM;

// False when the database cannot be used; then whyNot (when given) says why and what to do.
bool OpenDatabaseQuietly(TDM &dm, QString *whyNot = nullptr);
