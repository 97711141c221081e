// Start-up's playlist: the command line first, the backup otherwise.
#include "startupfill.h"

#include "state/appstate.h"
#include "playlistfile.h"
#include "playlistmodel.h"
#include "playlistroads.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "trackops.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {
bool readable(const QString& path)
{
    // By the path's own bytes, so a name that is not valid UTF-8 is found too.
    const QByteArray bytes = PathBytes(path);
    struct stat info {};
    return ::stat(bytes.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(bytes.constData(), R_OK) == 0;
}

void restoreBackup(AppState& state, PlaylistModel& playlist, TrackOps& ops,
                   const QString& backupPath)
{
    ReadBackup(playlist, backupPath);
    playlist.MakeRandomOrder();
    if (playlist.count() == 0)
        return;
    state.CurrentIndex = 1;
    ops.OpenTrack(playlist.rowPath(1));
}
} // namespace

void StartupFill(AppState& state, PlaylistModel& playlist, TrackOps& ops, const QStringList& args,
                 const QString& backupPath, QWidget* messageParent)
{
    if (args.size() > 1) {
        // A desktop opening several files at once passes them all to one start (Exec=... %F):
        // they are taken as a later start's files would be, rather than dropped.
        if (OpenHandedOver(playlist, ops, args, messageParent) == 0)
            restoreBackup(state, playlist, ops, backupPath);
        return;
    }
    if (args.isEmpty()) {
        restoreBackup(state, playlist, ops, backupPath);
        return;
    }
    // Stored absolute: the backup is read again from whatever folder the next start runs in.
    const QString path = AbsolutePath(args.front());
    const bool audio = IsAudioName(path);
    const bool list = IsPlaylistName(path);
    if (!audio && !list) {
        restoreBackup(state, playlist, ops, backupPath);
        return;
    }
    if (!readable(path)) {
        ShowMessage(
            messageParent,
            QStringLiteral("ファイルを開けません！\n%1").arg(PathDisplay(path)),
            kAppTitle, QMessageBox::Warning, QMessageBox::Ok);
        restoreBackup(state, playlist, ops, backupPath);
        return;
    }
    if (audio)
        playlist.AddRow(path);
    else
        AddPlaylistFile(playlist, path);
    playlist.MakeRandomOrder();
    ops.StartRowOne();
}

int OpenHandedOver(PlaylistModel& playlist, TrackOps& ops, const QStringList& paths,
                   QWidget* messageParent)
{
    const int before = playlist.count();
    QStringList refused;
    for (const QString& name : paths) {
        // Stored absolute: the backup is read again from whatever folder the next start runs in.
        const QString path = AbsolutePath(name);
        const bool audio = IsAudioName(path);
        if ((!audio && !IsPlaylistName(path)) || !readable(path)) {
            refused << PathDisplay(path);
            continue;
        }
        if (audio)
            playlist.AddRow(path);
        else
            AddPlaylistFile(playlist, path);
    }
    if (!refused.isEmpty()) {
        ShowMessage(messageParent,
                    QStringLiteral("ファイルを開けません！\n%1").arg(refused.join(QLatin1Char('\n'))),
                    kAppTitle, QMessageBox::Warning, QMessageBox::Ok);
    }
    const int added = playlist.count() - before;
    if (added > 0) {
        playlist.MakeRandomOrder();
        ops.PlayRow(before + 1);
    }
    return added;
}
