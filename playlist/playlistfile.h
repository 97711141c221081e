// Playlist files (".m3u") and the playlist backup (listbu.bak): the line reader, the readers that
// turn them into rows, the writers and the playlist window's save command.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "playlistmodel.h"

class QWidget;

// Hands out the entries of a text one line at a time. A line ends at CR LF, LF or a lone CR.
// A line that begins with a double quote holds a quoted field; any other line is taken whole,
// commas and blanks included; an empty line is an empty entry.
class FieldReader {
public:
    explicit FieldReader(QString text);
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next entry; empty at the end.
    QString ReadField();

private:
    QString m_text;
    qsizetype m_pos = 0;
};

// Every entry of a playlist or backup file, in order. Text is UTF-8 (a BOM is dropped) or, when
// the bytes are not valid UTF-8, read line by line: a line that names a file by its own bytes
// keeps them, any other line is decoded as legacy text (Shift-JIS). ok is false when the file is missing, is not a
// plain file or cannot be read; the result is then empty.
QStringList ReadPlaylistEntries(const QString& path, bool* ok = nullptr);

// The tracks of a playlist file: its entries without the comment lines ("#EXTM3U", "#EXTINF:..."),
// each relative entry resolved against the playlist file's own folder.
QStringList PlaylistFileEntries(const QString& path, bool* ok = nullptr);

// Rows for paths, measured from the disk; files that cannot be measured still get their row.
std::vector<PlaylistRow> MakeRows(const QStringList& paths);

// Appends one row per track of the playlist file path (PlaylistFileEntries), in one insertion; returns the number of
// rows added (0 for an empty or unreadable file). Starting a track is the caller's business.
int AddPlaylistFile(PlaylistModel& model, const QString& path);

// Writes paths one per line (UTF-8, CR LF) to target through a temporary file that replaces it
// only when everything was written; a failure leaves an old file untouched and sets error.
bool WritePlaylistFile(const QString& target, const QStringList& paths, QString* error = nullptr);

// Writes every row's path in double quotes, one per line, to the backup at path (same safety as
// WritePlaylistFile). An empty list gives a zero-byte file.
bool WriteBackup(const PlaylistModel& model, const QString& path, QString* error = nullptr);
// Appends one row per entry of the backup; a missing or unreadable backup adds nothing.
int ReadBackup(PlaylistModel& model, const QString& path);

// The playlist window's "Save" command: asks for a name (and about overwriting a ".m3u" name),
// writes the rows, and tells the user of every failure. True when a file was written.
bool SavePlaylist(QWidget* owner, const PlaylistModel& model);
