// The playlist rows as a table model, their measuring, and the shuffled order.
#include "playlistmodel.h"

#include "shell/cpath.h"
#include "shell/pathbytes.h"
#include "shell/plaintext.h"
#include "trackfinder.h"

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

namespace {
// The size column's number for ordering: "12,345kb" gives 12345, an unmeasured file -1.
qlonglong sizeOrder(const QString& sizeText)
{
    if (sizeText.isEmpty())
        return -1;
    QString digits = sizeText;
    digits.remove(QLatin1Char(','));
    digits.chop(2);
    return digits.toLongLong();
}
} // namespace

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

const PlaylistRow& PlaylistModel::rowRef(int n) const
{
    static const PlaylistRow kNone;
    return isValidRow(n) ? m_rows[static_cast<size_t>(n - 1)] : kNone;
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

std::vector<int> PlaylistModel::moveRows1(QList<int> rows, int before)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int n) { return !isValidRow(n); }),
               rows.end());
    if (rows.isEmpty() || before < 1 || before > count() + 1)
        return {};
    // Where the block lands once the moved rows are taken out: rows above the target shift it.
    int landing = before - 1;
    for (int n : rows) {
        if (n < before)
            --landing;
    }
    std::vector<PlaylistRow> moved;
    std::vector<PlaylistRow> kept;
    moved.reserve(static_cast<size_t>(rows.size()));
    kept.reserve(m_rows.size());
    size_t next = 0;
    for (int i = 0; i < count(); ++i) {
        if (next < static_cast<size_t>(rows.size()) &&
            rows[static_cast<qsizetype>(next)] == i + 1) {
            moved.push_back(std::move(m_rows[static_cast<size_t>(i)]));
            ++next;
        } else {
            kept.push_back(std::move(m_rows[static_cast<size_t>(i)]));
        }
    }
    kept.insert(kept.begin() + landing, std::make_move_iterator(moved.begin()),
                std::make_move_iterator(moved.end()));
    // One layout change for the whole block: persistent indexes (the selection) follow it.
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before0 = persistentIndexList();
    std::vector<int> newRowOf(m_rows.size());
    {
        int at = 0;
        size_t taken = 0;
        for (int i = 0; i < count(); ++i) {
            const bool isMoved = taken < static_cast<size_t>(rows.size()) &&
                                 rows[static_cast<qsizetype>(taken)] == i + 1;
            if (isMoved) {
                newRowOf[static_cast<size_t>(i)] = landing + static_cast<int>(taken);
                ++taken;
            } else {
                newRowOf[static_cast<size_t>(i)] =
                    at < landing ? at : at + static_cast<int>(rows.size());
                ++at;
            }
        }
    }
    m_rows = std::move(kept);
    QModelIndexList after;
    after.reserve(before0.size());
    for (const QModelIndex& index : before0)
        after << this->index(newRowOf[static_cast<size_t>(index.row())], index.column());
    changePersistentIndexList(before0, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    for (int& n : newRowOf)
        ++n;
    return newRowOf;
}

void PlaylistModel::setRowTags(int n, const QString& path, const RowTags& tags)
{
    if (!isValidRow(n))
        return;
    PlaylistRow& r = m_rows[static_cast<size_t>(n - 1)];
    if (r.path != path)
        return;
    r.title = tags.title;
    r.artist = tags.artist;
    r.album = tags.album;
    r.lengthMs = tags.lengthMs;
    r.tagsRead = true;
    r.searchKey.clear();
    Q_EMIT dataChanged(index(n - 1, TitleColumn), index(n - 1, LengthColumn),
                       {Qt::DisplayRole, Qt::ToolTipRole, SortRole});
}

const QString& PlaylistModel::searchKey(int row0)
{
    PlaylistRow& r = m_rows[static_cast<size_t>(row0)];
    if (r.searchKey.isEmpty()) {
        // A separator no query can hold keeps a match from running across two fields.
        const QChar gap(0x1F);
        r.searchKey = FoldForSearch(r.title + gap + r.artist + gap + r.album + gap + r.text);
    }
    return r.searchKey;
}

std::vector<int> PlaylistModel::findRows(const QString& query)
{
    const QStringList words = FoldForSearch(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::vector<int> found;
    for (int i = 0; i < count(); ++i) {
        const QString& key = searchKey(i);
        const bool all = std::all_of(words.begin(), words.end(),
                                     [&key](const QString& word) { return key.contains(word); });
        if (all)
            found.push_back(i + 1);
    }
    return found;
}

QString PlaylistModel::lengthText(int lengthMs)
{
    if (lengthMs < 0)
        return {};
    const int seconds = lengthMs / 1000;
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
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
        switch (index.column()) {
        case FileNameColumn:
            return r.text;
        case FileSizeColumn:
            return r.sizeText;
        case PathColumn:
            return PathDisplay(r.path);
        case TitleColumn:
            return r.title;
        case ArtistColumn:
            return r.artist;
        case AlbumColumn:
            return r.album;
        case LengthColumn:
            return lengthText(r.lengthMs);
        default:
            return {};
        }
    case SortRole:
        switch (index.column()) {
        case FileSizeColumn:
            return sizeOrder(r.sizeText);
        case LengthColumn:
            return r.lengthMs;
        case PathColumn:
            return PathDisplay(r.path);
        default:
            return data(index, Qt::DisplayRole);
        }
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
    case TitleColumn:
        return QStringLiteral("タイトル");
    case ArtistColumn:
        return QStringLiteral("アーティスト");
    case AlbumColumn:
        return QStringLiteral("アルバム");
    case LengthColumn:
        return QStringLiteral("長さ");
    default:
        return {};
    }
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Rows are dragged to a new place within the list; the view does the moving.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
           Qt::ItemIsDragEnabled;
}
