// Path operations on one stored path, FileName, with "/" as the separator.
#pragma once

#include <QString>

class cPath {
public:
    QString FileName;

    QString GetFileName() const;      // after the last "/"; the whole name without one
    QString GetExt() const;           // after the last "." of GetFileName; empty without one
    QString GetPath() const;          // up to and including the last "/"; empty without one
    QString GetFileNameOnly() const;  // GetFileName without its extension and dot
    QString GetCleanFileName() const; // all-capital parts softened: "MY SONG.MP3" -> "My song.Mp3"
    // pathName with a "/" appended when it lacks one, followed by fileName.
    static QString GetFullPathName(const QString& pathName, const QString& fileName = {});
    // The home folder, ending in "/" (stands in for the Windows folder).
    static QString GetWindowsDirectory();
    static QString GetSystemDirectory();  // "/usr/bin/"
    // FileName in double quotes when it holds a blank or a comma, or always with notCheckSpace.
    QString AddDblQuot(bool notCheckSpace = false) const;
    // The program the desktop would open FileName with (its desktop entry's Exec program);
    // empty when there is none.
    QString GetExecFileFromDataFile() const;
    QString GetShortPathName() const;  // the canonical path; empty when it does not exist
};
