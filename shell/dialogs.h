// File and folder choosers: a full path, or empty when the user cancels.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Filter entries as (description, pattern) pairs, e.g. {"PlayList(*.m3u)", "*.m3u"}.
using DialogFilter = QList<QPair<QString, QString>>;

// The filter of the dialogs that choose a track: every audio format Morvane takes at once,
// then one entry per format, then (withPlaylists) ".m3u", then every file.
DialogFilter TrackDialogFilter(bool withPlaylists);

// The full path of an existing file the user chose, or empty.
QString ShowOpenDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir);
// The full path the user chose to save to (may not exist yet), or empty.
QString ShowSaveDialog(QWidget* owner, const DialogFilter& filter, const QString& initialDir);

// What a file dialog is for: each kind starts in the folder of the last file chosen for that
// kind during this run (the working folder before the first choice).
enum class DialogKind { Tracks, Playlists, Presets, Pictures, Lyrics };
QString ShowOpenDialog(QWidget* owner, const DialogFilter& filter, DialogKind kind);
QString ShowSaveDialog(QWidget* owner, const DialogFilter& filter, DialogKind kind);
// The folder a dialog of that kind starts in now.
QString DialogFolder(DialogKind kind);

// Asks for a folder. mShowDialog returns false when the user cancelled (both names empty).
class clsBrowsFolder {
public:
    QString pPathName;     // the chosen folder, no trailing "/" except for the root
    QString pDisplayName;  // its display name
    int pFlags = 0;
    QString pDialogTitle;
    int pInitDir = 0;
    bool pUseDir = false;
    QString pUseInitDir;
    QWidget* pTarget = nullptr;

    bool mShowDialog();
};

// Test seam: while answers are queued, the three dialogs show nothing and return the next
// answer (an empty string = the user cancelled). Each call also records its filter.
class DialogScript {
public:
    static void pushAnswer(const QString& answer);
    static void clear();  // also forgets the folders of the dialog kinds
    static QStringList askedFilters();  // descriptions of the filters asked for, newest last
};
