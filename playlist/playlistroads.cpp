// The roads in: shortcut keys, the Open dialog, a folder, dropped files.
#include "playlistroads.h"

#include "app/appstate.h"
#include "playlistfile.h"
#include "playlistmodel.h"
#include "shell/dialogs.h"
#include "trackops.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

namespace {
QString lastFourLower(const QString& name)
{
    return name.right(4).toLower();
}
}  // namespace

bool IsMp3Name(const QString& name)
{
    return lastFourLower(name) == QStringLiteral(".mp3");
}

bool IsPlaylistName(const QString& name)
{
    return lastFourLower(name) == QStringLiteral(".m3u");
}

QFileInfoList ListMp3Files(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    QDir dir(folder);
    return dir.entryInfoList({QStringLiteral("*.mp3")}, QDir::Files,
                             QDir::Name | QDir::IgnoreCase);
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
        if (url.isLocalFile())
            names << url.toLocalFile();
    }
    return names;
}

PlaylistRoads::PlaylistRoads(AppState& state, PlaylistModel& playlist, TrackOps& ops)
    : m_state(state), m_playlist(playlist), m_ops(ops)
{
}

bool PlaylistRoads::addByKind(const QString& name)
{
    if (IsMp3Name(name)) {
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
    const DialogFilter filter = {
        {QStringLiteral("Mpeg audio layer-Ⅲ(*.mp3)"), QStringLiteral("*.mp3")},
        {QStringLiteral("PlayList(*.m3u)"), QStringLiteral("*.m3u")},
        {QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")}};
    const QString name = ShowOpenDialog(owner, filter, QDir::currentPath());
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
    const QFileInfoList files = ListMp3Files(folder);
    if (files.isEmpty())
        return;
    std::vector<PlaylistRow> rows;
    rows.reserve(static_cast<size_t>(files.size()));
    const QString prefix = folder + QLatin1Char('/');
    // The listing already measured each file; MakeRow reuses that instead of asking again.
    for (const QFileInfo& info : files)
        rows.push_back(MakeRow(prefix + info.fileName(), info));
    m_playlist.appendRows(rows);
    m_playlist.MakeRandomOrder();
    m_ops.StartRowOne();
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
        if (IsMp3Name(name)) {
            const QFileInfo info(name);
            if (info.isDir())
                continue;
            rows.push_back(MakeRow(name, info));
        } else if (IsPlaylistName(name)) {
            std::vector<PlaylistRow> entries = MakeRows(ReadPlaylistEntries(name));
            rows.insert(rows.end(), std::make_move_iterator(entries.begin()),
                        std::make_move_iterator(entries.end()));
        }
    }
    m_playlist.appendRows(rows);
    startRowOneIfFilled(wasEmpty);
    m_playlist.MakeRandomOrder();
}
