// File names as the file system holds them: bytes, not always valid UTF-8 (Shift-JIS names from
// old archives). A path travels through the program as a QString in which every byte that is not
// part of valid UTF-8 stands as the lone surrogate U+DC00 + byte, so that the exact bytes come
// back when the file is opened, and is shown decoded by the text-file rule.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The path for file-system bytes (valid UTF-8 decodes as usual; other bytes are kept as above).
QString PathFromBytes(const QByteArray& bytes);
// The file-system bytes of a path made by PathFromBytes (or any ordinary QString).
QByteArray PathBytes(const QString& path);
// True when the path holds bytes that are not valid UTF-8.
bool PathHasRawBytes(const QString& path);
// True when something exists at the path's own bytes.
bool PathExists(const QString& path);
// The path for people: each folder or file name that is not valid UTF-8 decoded as text files
// are (Shift-JIS when it reads as Japanese, else Western).
QString PathDisplay(const QString& path);

// The path for a name from Qt's own widgets (the file dialog), which decode file-system names
// with QFile::decodeName and so lose bytes that are not valid UTF-8: each name Qt marked as
// undecodable is looked up in its folder and replaced by the entry it stands for.
QString PathFromQtName(const QString& name);

// The program's arguments (after the program name) as paths, from argv's own bytes: Qt's own
// list loses the bytes of names that are not valid UTF-8.
QStringList ArgumentPaths(int argc, char** argv);
// path made absolute against the current folder (the folder's bytes kept), then cleaned.
QString AbsolutePath(const QString& path);
