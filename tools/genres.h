// The genre list of the tag editor: list position n holds the entry of ID3 genre number n.
#pragma once

#include <QString>
#include <QStringList>

inline constexpr int kGenreCount = 256;

// The 256 entries "000-Blues" .. "255-Anime(J)", spelled as the window shows them.
const QStringList& GenreEntries();

// The type-ahead of the genre box: the first entry that begins with typed (case-insensitive),
// searched from position 1 up and position 0 last; -1 when none does.
int GenreTypeAhead(const QStringList& entries, const QString& typed);
