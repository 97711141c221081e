// Filling the playlist at start-up from the command line or the backup, and opening row 1.
#pragma once

#include <QString>
#include <QStringList>

struct AppState;
class PlaylistModel;
class TrackOps;
class QWidget;

// args are the command-line arguments without the program name. Exactly one argument is the
// path: ".mp3" adds it, opens and plays it; ".m3u" adds its entries and plays row 1. None or
// several arguments, any other name, or a named file that cannot be read (the user is told)
// restore the backup at backupPath and open row 1 without playing it.
void StartupFill(AppState& state, PlaylistModel& playlist, TrackOps& ops, const QStringList& args,
                 const QString& backupPath, QWidget* messageParent = nullptr);
