// Every road by which tracks enter the playlist at run time: folder shortcut keys, the Open
// dialog, a whole folder and dropped files.
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <vector>

struct AppState;
struct PlaylistRow;
class PlaylistModel;
class QMimeData;
class QWidget;
class TrackOps;

// The kind of a name, by its extension in any case: an audio file of a format in kAudioFormats
// (".MP3" and ".Flac" count), or a playlist (".m3u").
bool IsAudioName(const QString& name);
bool IsPlaylistName(const QString& name);

// One file of a folder listing, measured while listing.
struct FolderEntry {
    QString name;          // the file name; bytes that are not UTF-8 come out replaced
    qint64 sizeBytes = -1; // -1 when the file could not be measured
};

// The folder listing "File1": the plain files of folder (no sub-folders, no hidden files) whose
// names end in an audio extension without regard to case, sorted by name. Names that are not
// valid UTF-8 are listed too.
std::vector<FolderEntry> ListAudioFiles(const QString& folder);
// The same for folder and every folder below it (hidden ones left out, each real folder visited
// once, so a link back up cannot loop): names are relative to folder ("disc 2/01.flac"), sorted
// as the relative paths sort without regard to case. At most maxFiles are listed.
// stop, when given and set (from another thread), ends the walk early with what it has found.
std::vector<FolderEntry> ListAudioFilesUnder(const QString& folder, size_t maxFiles = 100000,
                                             const std::atomic<bool>* stop = nullptr);
// ListAudioFilesUnder on a thread of its own, so that a folder on a stalled share cannot hold
// the window. A walk that has not ended after a moment shows a box naming the folder, with 中止;
// stopping leaves the walk to end by itself and gives nothing. The UI thread keeps handling
// events meanwhile (input to other windows is held off by the box).
std::optional<std::vector<FolderEntry>> WalkFolder(const QString& folder, QWidget* owner);
// Test seam: run on the walking thread before each folder is read (nullptr: nothing).
void SetFolderWalkProbe(void (*probe)());
// True when path names a folder (following links).
bool IsFolder(const QString& path);

// The folder-shortcut key code (49..53 for the digit keys 1..5 of the main keyboard) of a key
// press, or the Qt key itself for every other key; keypad digits never count as shortcuts.
int ShortcutKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// True when a drop carries at least one local file.
bool DropCarriesFiles(const QMimeData* data);
// The local file names of a drop, in the drop's order.
QStringList DroppedFileNames(const QMimeData* data);

// The roads in. Each appends at the end, rebuilds List1 and starts row 1 where its rule says so.
class PlaylistRoads {
public:
    PlaylistRoads(AppState& state, PlaylistModel& playlist, TrackOps& ops);

    // Keys 1..5 (codes 49..53) add folder shortcut Path1..Path5; other codes do nothing.
    void AddFromShortcut(int keyCode);
    // The Open dialog: one audio file or ".m3u" file.
    void AddFromFileDialog(QWidget* owner);
    // Every audio file of one chosen folder and its sub-folders; starts row 1 afterwards unless
    // a track is playing or paused, which goes on undisturbed.
    void AddFromFolder(QWidget* owner);
    // Files and folders (with their sub-folders) dropped on the list view or on the main
    // window; other drops do nothing.
    void AddFromDrop(const QMimeData* data);
    // The same for names already taken from a drop.
    void AddDroppedNames(const QStringList& names);

private:
    // Appends the rows for one name of either kind; false when the name is of neither kind.
    bool addByKind(const QString& name);
    void startRowOneIfFilled(bool wasEmpty);
    // The rows for every audio file under folder; nothing when the user stopped the walk.
    std::optional<std::vector<PlaylistRow>> folderRows(const QString& folder, QWidget* owner) const;

    AppState& m_state;
    PlaylistModel& m_playlist;
    TrackOps& m_ops;
};
