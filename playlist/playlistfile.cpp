// Reading and writing ".m3u" playlists and the listbu.bak backup.
#include "playlistfile.h"

#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "shell/safesave.h"
#include "shell/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The folder part of a path ("/" for a file in the root), without a trailing "/".
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// A playlist larger than this is read only this far: far beyond any real list, and it keeps a
// mistaken choice of file from taking all memory.
constexpr qint64 kMaxPlaylistBytes = 256LL * 1024 * 1024;
} // namespace

FieldReader::FieldReader(QString text) : m_text(std::move(text)) {}

QString FieldReader::ReadField()
{
    if (atEnd())
        return {};
    qsizetype end = m_pos;
    const qsizetype size = m_text.size();
    while (end < size && m_text[end] != QLatin1Char('\n') && m_text[end] != QLatin1Char('\r'))
        ++end;
    const QStringView line = QStringView(m_text).mid(m_pos, end - m_pos);
    m_pos = end;
    if (m_pos < size && m_text[m_pos] == QLatin1Char('\r'))
        ++m_pos;
    if (m_pos < size && m_text[m_pos] == QLatin1Char('\n'))
        ++m_pos;

    if (!line.startsWith(QLatin1Char('"')))
        return line.toString();
    // The field closes at the line's last quote rather than its next one, so that a path that
    // itself holds a double quote survives the quoted backup; for every line this program
    // writes the two are the same.
    const qsizetype close = line.lastIndexOf(QLatin1Char('"'));
    if (close <= 0)
        return line.mid(1).toString();
    return line.mid(1, close - 1).toString();
}

namespace {
bool existsOnDisk(const QString& path)
{
    struct stat info {};
    return ::stat(PathBytes(path).constData(), &info) == 0;
}

QString resolvedAsWritten(const QString& folder, const QString& entry)
{
    if (entry.isEmpty() || entry.startsWith(QLatin1Char('/')))
        return entry;
    return QDir::cleanPath(folder + QLatin1Char('/') + entry);
}

// A list written on Windows names folders with backslashes: read them as separators when the
// name as written leads to nothing (a backslash is a valid character in a name here).
QString resolvedAgainst(const QString& folder, const QString& entry)
{
    const QString written = resolvedAsWritten(folder, entry);
    if (!entry.contains(QLatin1Char('\\')) || existsOnDisk(written))
        return written;
    const QString separated =
        resolvedAsWritten(folder, QString(entry).replace(QLatin1Char('\\'), QLatin1Char('/')));
    return existsOnDisk(separated) ? separated : written;
}

// The text of a list whose bytes are not all valid UTF-8, line by line: a valid UTF-8 line as
// such; a line whose bytes name a file as they stand (a name that is not valid UTF-8) kept as
// those bytes; any other line decoded as legacy text (a list written on an older Japanese system).
QString decodeMixedLines(const QByteArray& bytes, const QString& folder)
{
    QString text;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArray line = bytes.mid(start, end - start);
        if (IsValidUtf8(line)) {
            text += QString::fromUtf8(line);
        } else {
            const QString raw = PathFromBytes(line);
            const QString entry = FieldReader(raw).ReadField();
            text += existsOnDisk(resolvedAgainst(folder, entry)) ? raw : DecodeText(line);
        }
        if (end < bytes.size() && bytes[end] == '\r')
            ++end;
        if (end < bytes.size() && bytes[end] == '\n')
            ++end;
        text += QLatin1Char('\n');
        start = end;
    }
    return text;
}
} // namespace

QStringList ReadPlaylistEntries(const QString& path, bool* ok)
{
    if (ok)
        *ok = false;
    if (path.isEmpty())
        return {};
    // Opened by the path's own bytes, so a list whose name is not valid UTF-8 is read too.
    const QByteArray name = PathBytes(path);
    struct stat info {};
    // Only plain files: a name that leads to a device or a pipe would never end.
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    QByteArray bytes = file.read(kMaxPlaylistBytes);
    if (file.error() != QFileDevice::NoError)
        return {};
    if (!file.atEnd()) {
        // Cut at the last whole line, so that the text's coding is judged on complete lines.
        const qsizetype lastEnd = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(lastEnd + 1);
    }
    if (ok)
        *ok = true;
    const bool whole =
        IsValidUtf8(bytes) || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    QStringList entries;
    FieldReader reader(whole ? DecodeText(bytes)
                             : decodeMixedLines(bytes, folderOf(AbsolutePath(path))));
    while (!reader.atEnd())
        entries << reader.ReadField();
    return entries;
}

QStringList PlaylistFileEntries(const QString& path, bool* ok)
{
    const QString folder = folderOf(AbsolutePath(path));
    QStringList entries;
    int tooLong = 0;
    for (const QString& entry : ReadPlaylistEntries(path, ok)) {
        // Lists from other players carry #EXTM3U and #EXTINF lines: they are no tracks; nor
        // is a blank line.
        if (entry.startsWith(QLatin1Char('#')) || entry.trimmed().isEmpty())
            continue;
        // A line longer than any path the system takes names no file (a list that is not one,
        // or damaged); measuring it would hold the window up for nothing.
        if (entry.size() >= PATH_MAX || PathBytes(entry).size() >= PATH_MAX) {
            ++tooLong;
            continue;
        }
        entries << resolvedAgainst(folder, entry);
    }
    if (tooLong > 0)
        ShowMessage(nullptr,
                    QStringLiteral("プレイリストの%1行は長すぎるため、読み飛ばしました。\n%2")
                        .arg(tooLong)
                        .arg(PathDisplay(path)),
                    kAppTitle, QMessageBox::Warning, QMessageBox::Ok);
    return entries;
}

std::vector<PlaylistRow> MakeRows(const QStringList& paths)
{
    std::vector<PlaylistRow> rows;
    rows.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths)
        rows.push_back(MakeRow(path));
    return rows;
}

int AddPlaylistFile(PlaylistModel& model, const QString& path)
{
    const std::vector<PlaylistRow> rows = MakeRows(PlaylistFileEntries(path));
    model.appendRows(rows);
    return static_cast<int>(rows.size());
}

namespace {
bool writeLines(const QString& target, const QStringList& lines, QString* error)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += PathBytes(line); // a name that is not valid UTF-8 keeps its own bytes
        bytes += "\r\n";
    }
    return SaveBytes(target, bytes, error);
}
} // namespace

namespace {
constexpr QLatin1StringView kEscapedPrefix("file://");

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// A name that holds a line break or another control character is written as a file URL with
// those characters (and '%') as %XX: one line, which an older reader takes as one row (of a
// file it cannot find) instead of breaking it in two. Every other name is written as it is.
QString backupField(const QString& path)
{
    if (std::none_of(path.begin(), path.end(), isControl))
        return path;
    QString field = kEscapedPrefix;
    for (QChar c : path) {
        if (isControl(c) || c == QLatin1Char('%'))
            field += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            field += c;
    }
    return field;
}

QString fromBackupField(const QString& field)
{
    // The backup holds absolute paths: a field starting with the prefix is always escaped.
    if (!field.startsWith(kEscapedPrefix))
        return field;
    QString path;
    for (qsizetype i = kEscapedPrefix.size(); i < field.size(); ++i) {
        bool ok = false;
        const ushort code = field[i] == QLatin1Char('%') && i + 2 < field.size()
                                ? QStringView(field).mid(i + 1, 2).toUShort(&ok, 16)
                                : 0;
        if (ok) {
            path += QChar(code);
            i += 2;
        } else {
            path += field[i];
        }
    }
    return path;
}
} // namespace

bool WritePlaylistFile(const QString& target, const QStringList& paths, QString* error)
{
    return writeLines(target, paths, error);
}

bool WriteBackup(const PlaylistModel& model, const QString& path, QString* error)
{
    QStringList lines;
    lines.reserve(model.count());
    for (const QString& entry : model.paths())
        lines << QLatin1Char('"') + backupField(entry) + QLatin1Char('"');
    return writeLines(path, lines, error);
}

int ReadBackup(PlaylistModel& model, const QString& path)
{
    QStringList entries;
    for (const QString& entry : ReadPlaylistEntries(path)) {
        if (!entry.isEmpty())
            entries << fromBackupField(entry);
    }
    const std::vector<PlaylistRow> rows = MakeRows(entries);
    model.appendRows(rows);
    return static_cast<int>(rows.size());
}

bool SavePlaylist(QWidget* owner, const PlaylistModel& model)
{
    const QString errorCaption = QStringLiteral("ERROR");
    if (model.count() == 0) {
        ShowMessage(owner, QStringLiteral("リストにアイテムがありません！"), errorCaption,
                    QMessageBox::Warning, QMessageBox::Ok);
        return false;
    }
    const DialogFilter filter = {{QStringLiteral("PlayList(*.m3u)"), QStringLiteral("*.m3u")},
                                 {QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")}};
    const QString chosen = ShowSaveDialog(owner, filter, DialogKind::Playlists);
    if (chosen.isEmpty())
        return false;
    QString target = chosen;
    // Only the exact lower-case extension counts as a playlist name here.
    if (chosen.endsWith(QStringLiteral(".m3u"), Qt::CaseSensitive)) {
        const auto answer = ShowMessage(owner, QStringLiteral("演奏リストを上書き保存しますか？"),
                                        QStringLiteral("上書き保存"), QMessageBox::Question,
                                        QMessageBox::Ok | QMessageBox::Cancel);
        if (answer != QMessageBox::Ok)
            return false;
    } else {
        target += QStringLiteral(".m3u");
    }
    QString error;
    if (!WritePlaylistFile(target, model.paths(), &error)) {
        ShowMessage(owner,
                    QStringLiteral("演奏リストを保存できませんでした！\n%1\n%2")
                        .arg(QDir::toNativeSeparators(target), error),
                    errorCaption, QMessageBox::Warning, QMessageBox::Ok);
        return false;
    }
    return true;
}
