// Filling the playlist at start-up from the command line or the backup, and opening row 1.
#pragma once

#include <QString>
#include <QStringList>

struct AppState;
class PlaylistModel;
class TrackOps;
class QWidget;

// args are the command-line arguments without the program name. One argument is the path:
// an audio file adds it, opens and plays it; ".m3u" adds its entries and plays row 1. Several
// arguments are taken as OpenHandedOver takes them. No argument, any other name, or files that
// cannot be read (the user is told) restore the backup at backupPath and open row 1 without
// playing it.
void StartupFill(AppState& state, PlaylistModel& playlist, TrackOps& ops, const QStringList& args,
                 const QString& backupPath, QWidget* messageParent = nullptr);

// Files handed over by a later start (or a desktop's "open this file"), added to the running
// playlist as start-up would take them: audio files one row each and ".m3u" files their
// entries, in the order given; then the first added row plays. Names that cannot be read or
// are neither kind are reported in one message and skipped; the rows already there stay.
// Returns the number of rows added.
int OpenHandedOver(PlaylistModel& playlist, TrackOps& ops, const QStringList& paths,
                   QWidget* messageParent = nullptr);
