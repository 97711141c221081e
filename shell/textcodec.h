// Qt's side of the program's one text decoder (engine/meta/textcodec.h), for every text file
// it reads: documents, lyrics, playlists, presets, settings, desktop files.
#pragma once

#include <QByteArray>
#include <QString>

// UTF-16 with a byte-order mark; UTF-8 (a BOM dropped); else CP932 when all of it decodes and
// reads as Japanese; else Windows-1252, so European Latin-1 text stays readable.
QString DecodeText(const QByteArray& bytes);
// True when bytes are valid UTF-8.
bool IsValidUtf8(const QByteArray& bytes);
