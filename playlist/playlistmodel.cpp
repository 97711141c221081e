// The playlist rows as a table model, their measuring, and the shuffled order.
#include "playlistmodel.h"

#include "shell/cpath.h"
#include "shell/pathbytes.h"
#include "shell/plaintext.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

QString SizeText(qint64 bytes)
{
    // Halves round up here: a file of 512 bytes is already "1kb", one of 511 bytes only "kb".
    const qint64 kb = static_cast<qint64>(std::llround(static_cast<double>(bytes) / 1024.0));
    if (kb <= 0)
        return QStringLiteral("kb");
    QString digits = QString::number(kb);
    for (int at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits + QStringLiteral("kb");
}

PlaylistRow MakeRowWithSize(const QString& path, qint64 sizeBytes)
{
    cPath name;
    name.FileName = PathDisplay(path);
    PlaylistRow row;
    row.text = name.GetCleanFileName();
    if (sizeBytes >= 0)
        row.sizeText = SizeText(sizeBytes);
    row.path = path;
    return row;
}

PlaylistRow MakeRow(const QString& path, const QFileInfo& info)
{
    // Folders, devices and missing files have no size worth showing.
    const bool measured = !path.isEmpty() && info.isFile();
    return MakeRowWithSize(path, measured ? info.size() : -1);
}

PlaylistRow MakeRow(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return MakeRowWithSize(path, -1);
    // Measured by the path's own bytes: QFileInfo would lose a name that is not valid UTF-8.
    struct stat info {};
    const bool measured = ::stat(PathBytes(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
    return MakeRowWithSize(path, measured ? static_cast<qint64>(info.st_size) : -1);
}

QString PlaylistCaption(int count)
{
    return QStringLiteral("PlayList(曲数%1)").arg(count);
}

QString InitialPlaylistCaption()
{
    return QStringLiteral("PlayList （曲数0）");
}

PlaylistModel::PlaylistModel(QObject* parent) : QAbstractTableModel(parent) {}

PlaylistRow PlaylistModel::row(int n) const
{
    if (!isValidRow(n))
        return {};
    return m_rows[static_cast<size_t>(n - 1)];
}

QStringList PlaylistModel::paths() const
{
    QStringList out;
    out.reserve(count());
    for (const PlaylistRow& r : m_rows)
        out << r.path;
    return out;
}

void PlaylistModel::AddRow(const QString& path)
{
    appendRows({MakeRow(path)});
}

void PlaylistModel::appendRows(const std::vector<PlaylistRow>& rows)
{
    if (rows.empty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
    Q_EMIT countChanged(count());
}

void PlaylistModel::removeRow1(int n)
{
    if (!isValidRow(n))
        return;
    beginRemoveRows({}, n - 1, n - 1);
    m_rows.erase(m_rows.begin() + (n - 1));
    endRemoveRows();
    Q_EMIT countChanged(count());
}

void PlaylistModel::moveRow1(int from, int to)
{
    if (!isValidRow(from) || !isValidRow(to) || from == to)
        return;
    const int from0 = from - 1;
    const int to0 = to - 1;
    // Qt names the destination as the row before which the moved row lands, counted before the
    // move.
    const int destination = to0 > from0 ? to0 + 1 : to0;
    beginMoveRows({}, from0, from0, {}, destination);
    PlaylistRow moved = std::move(m_rows[static_cast<size_t>(from0)]);
    m_rows.erase(m_rows.begin() + from0);
    m_rows.insert(m_rows.begin() + to0, std::move(moved));
    endMoveRows();
}

void PlaylistModel::clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
    Q_EMIT countChanged(0);
}

void PlaylistModel::setImage(int row0, int image)
{
    PlaylistRow& r = m_rows[static_cast<size_t>(row0)];
    if (r.image == image)
        return;
    r.image = image;
    const QModelIndex cell = index(row0, FileNameColumn);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole, ImageRole});
}

void PlaylistModel::markCurrent(int n)
{
    for (int i = 0; i < count(); ++i)
        setImage(i, i == n - 1 ? 2 : 1);
}

int PlaylistModel::markedRow() const
{
    for (int i = 0; i < count(); ++i) {
        if (m_rows[static_cast<size_t>(i)].image == 2)
            return i + 1;
    }
    return 0;
}

void PlaylistModel::MakeRandomOrder()
{
    List1.clear();
    const int n = count();
    if (n == 0)
        return;
    List1.reserve(static_cast<size_t>(n));
    // The taken table makes each redraw check O(1), so even large lists shuffle quickly while
    // keeping the draw-again rule.
    std::vector<bool> taken(static_cast<size_t>(n) + 1, false);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int a = 1; a <= n; ++a) {
        int r = 0;
        do {
            r = std::min(n, static_cast<int>(uniform(m_random) * n) + 1);
        } while (taken[static_cast<size_t>(r)]);
        taken[static_cast<size_t>(r)] = true;
        List1.push_back(r);
    }
}

void PlaylistModel::setImages(const QIcon& track, const QIcon& current)
{
    m_trackIcon = track;
    m_currentIcon = current;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, FileNameColumn), index(count() - 1, FileNameColumn),
                           {Qt::DecorationRole});
}

int PlaylistModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int PlaylistModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const PlaylistRow& r = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::ToolTipRole:
        // A name read as HTML could make Qt load any file it names.
        return PlainToolTip(data(index, Qt::DisplayRole).toString());
    case Qt::DisplayRole:
        if (index.column() == FileNameColumn)
            return r.text;
        if (index.column() == FileSizeColumn)
            return r.sizeText;
        if (index.column() == PathColumn)
            return PathDisplay(r.path);
        return {};
    case Qt::DecorationRole:
        if (index.column() != FileNameColumn)
            return {};
        return r.image == 2 ? m_currentIcon : m_trackIcon;
    case ImageRole:
        return r.image;
    case PathRole:
        return r.path;
    default:
        return {};
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FileNameColumn:
        return QStringLiteral("FileName");
    case FileSizeColumn:
        return QStringLiteral("FileSize");
    case PathColumn:
        return QStringLiteral("Path");
    default:
        return {};
    }
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
