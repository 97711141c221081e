// The lyrics editor's table rules and its ".lrc" file format: one line per row, the time tag
// directly followed by the lyric text.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

inline constexpr int kLyricsRows = 998;      // rows of the editor's table
inline constexpr int kLyricsReadLines = 999; // lines of a file that are looked at
inline constexpr int kTimeTagSearchChars = 20;

struct LyricsRow {
    QString time; // the whole tag, brackets included, as typed or stamped
    QString text;
    bool operator==(const LyricsRow&) const = default;
};

// "[" + minutes (at least two digits, never wrapped) + ":" + seconds + ":" + hundredths + "]";
// the hundredths are truncated. A negative position counts as 0.
QString FormatTimeTag(qint64 positionMs);

// The rows a lyrics text fills, in file order: lines beginning with "[" whose first "]" lies
// within the first 20 characters; at most 999 lines are looked at and 998 rows filled.
std::vector<LyricsRow> ParseLyricsText(const QString& text);

// The file for rows: every row up to the first one with an empty time cell, each line ended by
// CR LF, in UTF-8.
QByteArray FormatLyricsFile(const std::vector<LyricsRow>& rows);

// The lyrics text for a track's tag: every row up to the last one with something in it, unstamped
// rows as plain lines (a tag's text may hold lines not yet timed; they must not be lost), each
// line ended by CR LF.
QByteArray FormatTagLyrics(const std::vector<LyricsRow>& rows);

// Inserts an empty row at index (0-based) by moving the rows below down by one; the last row's
// contents fall off. Nothing changes when index is the last row or out of range.
void InsertEmptyRow(std::vector<LyricsRow>& rows, int index);
