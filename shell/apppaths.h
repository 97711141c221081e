// Where the program keeps its own files and finds its shipped ones.
#pragma once

#include <QString>

// The per-user folder for Property.ini and listbu.bak: MORVANE_HOME when set, else
// $XDG_CONFIG_HOME/morvane (default ~/.config/morvane). Created on first use.
QString ConfigDir();
QString PropertyIniPath();  // ConfigDir()/Property.ini
QString BackupPath();       // ConfigDir()/listbu.bak

// The per-user runtime folder: $XDG_RUNTIME_DIR when it is an absolute, writable folder, else
// a private folder morvane-<uid> under the system's temporary folder. Created on first use.
QString RuntimeDir();
// The single-instance lock of the settings folder ConfigDir(), in RuntimeDir(): it can be made
// even when the settings folder is read-only or full.
QString InstanceLockPath();
// Where the temporaries of unfinished writes are noted, so the next start can remove them.
QString TemporaryJournalDir();  // ConfigDir()/.unfinished

// The shipped files (data.dat, bg1.gif..bg4.gif, help/, the default Property.ini):
// MORVANE_DATA when set, else share/morvane beside the build tree's executable, else
// <prefix>/share/morvane for an installed program. No trailing "/".
QString DataDir();

// relative (such as "share/morvane") beside the executable in exeDir when that folder exists, as
// in the build tree, else in the installation prefix above it. No trailing "/".
QString ShippedDir(const QString& exeDir, const QString& relative);
