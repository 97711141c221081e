// Reading and writing the tools' text files, and the names of a track's companion files.
#pragma once

#include <QByteArray>
#include <QString>

// Reads a regular text file through the program's one decoder. A FIFO, device or folder is
// refused at once, and so is a file larger than maxBytes (when >= 0). On failure returns false
// and sets error to the reason.
bool ReadTextFile(const QString& path, QString& text, QString& error, qint64 maxBytes = -1);

// Writes bytes through a temporary file renamed over path, so that a failed write leaves the
// old file as it was. On failure returns false and sets error.
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString& error);

// The track's folder, its name without extension, then extension (".lrc", ".txt", ".wav").
QString CompanionPath(const QString& trackPath, const QString& extension);
