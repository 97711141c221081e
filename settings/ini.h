// Reading and writing Property.ini, key by key, with the semantics of the classic INI API.
#pragma once

#include <QString>

// The value of key in section (both matched without regard to case), blanks around it removed,
// cut to size - 1 characters; "" when the file, section or key is missing.
QString ReadIni(const QString& section, const QString& key, int size, const QString& file);
// Writes one value, keeping every other line; creates the file and section when missing.
// Line breaks in the value are replaced by blanks. Written through the safe-write routine.
// Returns false when the file cannot be written: the old file stays, the new value is kept in
// memory for the rest of the run, and the user is told once.
bool WriteIni(const QString& section, const QString& key, const QString& value, const QString& file);
// From now on, changes to file stay in memory (the settings folder cannot be written and the
// user has already been told).
void KeepIniInMemory(const QString& file);
