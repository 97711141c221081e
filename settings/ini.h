// Reading and writing Property.ini, key by key, with the semantics of the classic INI API.
#pragma once

#include <QString>

// The value of key in section (both matched without regard to case), blanks around it removed,
// cut to size - 1 characters; "" when the file, section or key is missing.
QString ReadIni(const QString& section, const QString& key, int size, const QString& file);
// Writes one value, keeping every other line; creates the file and section when missing.
// Line breaks in the value are replaced by blanks. Written through a temporary file and a
// rename. Returns false when the file cannot be written.
bool WriteIni(const QString& section, const QString& key, const QString& value, const QString& file);
