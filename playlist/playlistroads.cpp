// The roads in: shortcut keys, the Open dialog, a folder, dropped files.
#include "playlistroads.h"

#include "engine/engine.h"
#include "playlistfile.h"
#include "playlistmodel.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "state/appstate.h"
#include "trackops.h"

#include "engine/meta/audiofiletypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

bool IsAudioName(const QString& name)
{
    return IsAudioName(std::string_view(name.right(8).toUtf8().constData()));
}

bool IsPlaylistName(const QString& name)
{
    return name.right(4).toLower() == QStringLiteral(".m3u");
}

std::vector<FolderEntry> ListAudioFiles(const QString& folder)
{
    std::vector<FolderEntry> entries;
    if (folder.isEmpty())
        return entries;
    // Read with the system calls rather than QDir, which leaves out names that are not valid
    // UTF-8; each file is measured here once, so the rows need not ask the disk again.
    DIR* dir = opendir(PathBytes(folder).constData());
    if (!dir)
        return entries;
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        const size_t length = std::strlen(name);
        if (name[0] == '.' || !IsAudioName(std::string_view(name, length)))
            continue;
        struct stat info {};
        if (fstatat(dirFd, name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            continue;
        entries.push_back({PathFromBytes(QByteArray(name, static_cast<qsizetype>(length))),
                           static_cast<qint64>(info.st_size)});
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int order = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return entries;
}

bool IsFolder(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(PathBytes(path).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

namespace {
std::atomic<void (*)()> g_walkProbe{nullptr};

// One level of the walk below: the files that count into out (names prefixed by prefix), the
// sub-folders into folders.
void listLevel(const QByteArray& dirBytes, const QString& prefix, std::vector<FolderEntry>& out,
               std::vector<std::pair<QByteArray, QString>>& folders,
               std::set<std::pair<dev_t, ino_t>>& seen, size_t maxFiles)
{
    DIR* dir = opendir(dirBytes.constData());
    if (!dir)
        return;
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        const size_t length = std::strlen(name);
        if (name[0] == '.')
            continue;
        struct stat info {};
        if (fstatat(dirFd, name, &info, 0) != 0)
            continue;
        const QByteArray nameBytes(name, static_cast<qsizetype>(length));
        if (S_ISDIR(info.st_mode)) {
            if (seen.insert({info.st_dev, info.st_ino}).second)
                folders.emplace_back(dirBytes + '/' + nameBytes,
                                     prefix + PathFromBytes(nameBytes) + QLatin1Char('/'));
            continue;
        }
        if (out.size() >= maxFiles || !IsAudioName(std::string_view(name, length)) ||
            !S_ISREG(info.st_mode))
            continue;
        out.push_back({prefix + PathFromBytes(nameBytes), static_cast<qint64>(info.st_size)});
    }
    closedir(dir);
}
} // namespace

std::vector<FolderEntry> ListAudioFilesUnder(const QString& folder, size_t maxFiles,
                                             const std::atomic<bool>* stop)
{
    std::vector<FolderEntry> entries;
    if (folder.isEmpty())
        return entries;
    std::set<std::pair<dev_t, ino_t>> seen;
    struct stat top {};
    const QByteArray topBytes = PathBytes(folder);
    if (::stat(topBytes.constData(), &top) != 0 || !S_ISDIR(top.st_mode))
        return entries;
    seen.insert({top.st_dev, top.st_ino});
    std::vector<std::pair<QByteArray, QString>> pending{{topBytes, QString()}};
    while (!pending.empty() && entries.size() < maxFiles) {
        if (stop && stop->load())
            break;
        if (auto* probe = g_walkProbe.load())
            probe();
        const auto [dirBytes, prefix] = pending.back();
        pending.pop_back();
        listLevel(dirBytes, prefix, entries, pending, seen, maxFiles);
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int order = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return entries;
}

void SetFolderWalkProbe(void (*probe)())
{
    g_walkProbe.store(probe);
}

namespace {
// What the walking thread and the window share; whichever lets go last frees it.
struct FolderWalkState {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::vector<FolderEntry> files;
    std::atomic<bool> stop{false};
};

// How long a walk may take before the box appears, and how often the box looks again.
constexpr auto kQuietWalk = std::chrono::milliseconds(300);
constexpr auto kWalkPoll = std::chrono::milliseconds(20);
} // namespace

std::optional<std::vector<FolderEntry>> WalkFolder(const QString& folder, QWidget* owner)
{
    auto walk = std::make_shared<FolderWalkState>();
    std::thread([walk, folder] {
        std::vector<FolderEntry> files = ListAudioFilesUnder(folder, 100000, &walk->stop);
        std::lock_guard lock(walk->mutex);
        walk->files = std::move(files);
        walk->done = true;
        walk->ended.notify_all();
    }).detach();
    auto waitUpTo = [&walk](std::chrono::milliseconds wait) {
        std::unique_lock lock(walk->mutex);
        return walk->ended.wait_for(lock, wait, [&walk] { return walk->done; });
    };
    if (!waitUpTo(kQuietWalk)) {
        QProgressDialog box(owner);
        // The folder's name is plain text, never markup.
        auto* label =
            new QLabel(QStringLiteral("フォルダを読み込んでいます…\n%1").arg(PathDisplay(folder)));
        label->setTextFormat(Qt::PlainText);
        box.setLabel(label);
        box.setCancelButtonText(QStringLiteral("中止"));
        box.setWindowTitle(kAppTitle);
        box.setRange(0, 0);
        box.setMinimumDuration(0);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        while (!waitUpTo(kWalkPoll)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (box.wasCanceled()) {
                walk->stop.store(true);
                return std::nullopt;
            }
        }
    }
    std::lock_guard lock(walk->mutex);
    return std::move(walk->files);
}

int ShortcutKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier)
        return 0;
    return qtKey;
}

bool DropCarriesFiles(const QMimeData* data)
{
    return !DroppedFileNames(data).isEmpty();
}

QStringList DroppedFileNames(const QMimeData* data)
{
    QStringList names;
    if (!data || !data->hasUrls())
        return names;
    for (const QUrl& url : data->urls()) {
        // The URL's own bytes: toLocalFile() would lose a name that is not valid UTF-8.
        if (url.isLocalFile())
            names << PathFromBytes(
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    }
    return names;
}

PlaylistRoads::PlaylistRoads(AppState& state, PlaylistModel& playlist, TrackOps& ops)
    : m_state(state), m_playlist(playlist), m_ops(ops)
{
}

bool PlaylistRoads::addByKind(const QString& name)
{
    if (IsAudioName(name)) {
        m_playlist.AddRow(name);
        return true;
    }
    if (IsPlaylistName(name)) {
        AddPlaylistFile(m_playlist, name);
        return true;
    }
    return false;
}

void PlaylistRoads::startRowOneIfFilled(bool wasEmpty)
{
    if (wasEmpty && m_playlist.count() > 0)
        m_ops.StartRowOne();
}

void PlaylistRoads::AddFromShortcut(int keyCode)
{
    if (keyCode < 49 || keyCode > 53)
        return;
    const QString entry = m_state.ShortPath[static_cast<size_t>(keyCode - 49)];
    if (entry.isEmpty())
        return;
    const bool wasEmpty = m_playlist.count() == 0;
    if (!addByKind(entry))
        return;
    startRowOneIfFilled(wasEmpty);
    m_playlist.MakeRandomOrder();
}

void PlaylistRoads::AddFromFileDialog(QWidget* owner)
{
    const QString name = ShowOpenDialog(owner, TrackDialogFilter(true), DialogKind::Tracks);
    if (name.isEmpty())
        return;
    const bool wasEmpty = m_playlist.count() == 0;
    if (!addByKind(name))
        return;
    startRowOneIfFilled(wasEmpty);
    m_playlist.MakeRandomOrder();
}

void PlaylistRoads::AddFromFolder(QWidget* owner)
{
    clsBrowsFolder browse;
    browse.pDialogTitle = QStringLiteral("MP3が入っているﾌｫﾙﾀﾞを選択して下さい。");
    browse.pTarget = owner;
    if (!browse.mShowDialog() || browse.pPathName.isEmpty())
        return;
    const QString folder = browse.pPathName;
    std::optional<std::vector<PlaylistRow>> found = folderRows(folder, owner);
    if (!found)
        return; // stopped by the user
    std::vector<PlaylistRow>& rows = *found;
    if (rows.empty()) {
        // Nothing changes and playback goes on, but the user learns why nothing was added.
        ShowMessage(owner,
                    QStringLiteral("選択したフォルダには音楽ファイルがありません。\r%1")
                        .arg(PathDisplay(folder)),
                    kAppTitle, QMessageBox::Information);
        return;
    }
    m_playlist.appendRows(rows);
    m_playlist.MakeRandomOrder();
    // A track that is heard (or paused) goes on; otherwise the list starts from its top.
    int32_t sec = 0;
    if (m_ops.engine().getState(sec) == 0)
        m_ops.StartRowOne();
}

std::optional<std::vector<PlaylistRow>> PlaylistRoads::folderRows(const QString& folder,
                                                                  QWidget* owner) const
{
    const std::optional<std::vector<FolderEntry>> found = WalkFolder(folder, owner);
    if (!found)
        return std::nullopt;
    const std::vector<FolderEntry>& files = *found;
    std::vector<PlaylistRow> rows;
    rows.reserve(files.size());
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const FolderEntry& file : files)
        rows.push_back(MakeRowWithSize(prefix + file.name, file.sizeBytes));
    return rows;
}

void PlaylistRoads::AddFromDrop(const QMimeData* data)
{
    const QStringList names = DroppedFileNames(data);
    if (names.isEmpty())
        return;
    AddDroppedNames(names);
}

void PlaylistRoads::AddDroppedNames(const QStringList& names)
{
    const bool wasEmpty = m_playlist.count() == 0;
    // All rows of one drop go in with one insertion, so hundreds of files stay quick.
    std::vector<PlaylistRow> rows;
    for (const QString& name : names) {
        if (IsFolder(name)) {
            std::optional<std::vector<PlaylistRow>> inside = folderRows(name, nullptr);
            if (!inside)
                return; // the user stopped the drop
            rows.insert(rows.end(), std::make_move_iterator(inside->begin()),
                        std::make_move_iterator(inside->end()));
        } else if (IsAudioName(name)) {
            PlaylistRow row = MakeRow(name);
            // A folder named like a track has no size; it is no track either.
            if (row.sizeText.isEmpty() && QFileInfo(PathDisplay(name)).isDir())
                continue;
            rows.push_back(std::move(row));
        } else if (IsPlaylistName(name)) {
            std::vector<PlaylistRow> entries = MakeRows(PlaylistFileEntries(name));
            rows.insert(rows.end(), std::make_move_iterator(entries.begin()),
                        std::make_move_iterator(entries.end()));
        }
    }
    m_playlist.appendRows(rows);
    startRowOneIfFilled(wasEmpty);
    m_playlist.MakeRandomOrder();
}
