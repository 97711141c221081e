// Reading and writing ".m3u" playlists and the listbu.bak backup.
#include "playlistfile.h"

#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "shell/safesave.h"
#include "shell/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
// A playlist larger than this is read only this far: far beyond any real list, and it keeps a
// mistaken choice of file from taking all memory.
constexpr qint64 kMaxPlaylistBytes = 256LL * 1024 * 1024;
}  // namespace

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

QStringList ReadPlaylistEntries(const QString& path, bool* ok)
{
    if (ok)
        *ok = false;
    const QFileInfo info(path);
    // Only plain files: a name that leads to a device or a pipe would never end.
    if (path.isEmpty() || !info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
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
    QStringList entries;
    FieldReader reader(DecodeText(bytes));
    while (!reader.atEnd())
        entries << reader.ReadField();
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
    const std::vector<PlaylistRow> rows = MakeRows(ReadPlaylistEntries(path));
    model.appendRows(rows);
    return static_cast<int>(rows.size());
}

namespace {
bool writeLines(const QString& target, const QStringList& lines, QString* error)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return SaveBytes(target, bytes, error);
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
        lines << QLatin1Char('"') + entry + QLatin1Char('"');
    return writeLines(path, lines, error);
}

int ReadBackup(PlaylistModel& model, const QString& path)
{
    return AddPlaylistFile(model, path);
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
    const QString chosen = ShowSaveDialog(owner, filter, QDir::currentPath());
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
