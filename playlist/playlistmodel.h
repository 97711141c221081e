// The playlist: its rows, numbered from 1, and the shuffled play order List1.
//
// The playlist window's list view shows this model directly; there is no other copy of the rows.
#pragma once

#include <QAbstractTableModel>
#include <QFileInfo>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <random>
#include <vector>

struct PlaylistRow {
    QString text;     // display name (the clean file name)
    QString sizeText; // size in kilobytes followed by "kb"; empty when the file cannot be measured
    QString path;     // the path as it was added (relative paths stay relative)
    int image = 1;    // small icon: 1 ordinary row, 2 the current row
    // From the file's tag, read in the background after the row is added (tagsRead tells).
    QString title;
    QString artist;
    QString album;
    int lengthMs = -1; // -1 unknown
    bool tagsRead = false;
    // The folded text the jump box searches (title, artist, album, name); empty until first
    // needed, and again after the tags arrive.
    QString searchKey;
};

// What the tag columns show for one file.
struct RowTags {
    QString title;
    QString artist;
    QString album;
    int lengthMs = -1;
};

// The size column's text: bytes / 1024 rounded, grouped by thousands, followed by "kb"; a number
// that rounds to 0 shows only "kb".
QString SizeText(qint64 bytes);
// A row for path, measured from the disk (one stat); a file that cannot be measured (missing,
// a folder, a device) gets an empty size text.
PlaylistRow MakeRow(const QString& path);
// A row for path whose file information was already read (a folder listing), so that the disk is
// not asked twice.
PlaylistRow MakeRow(const QString& path, const QFileInfo& info);
// A row for path with a known size in bytes; a negative size means it could not be measured.
PlaylistRow MakeRowWithSize(const QString& path, qint64 sizeBytes);
// The window caption for a row count: "PlayList(曲数12)".
QString PlaylistCaption(int count);
// The caption the window shows before the first change.
QString InitialPlaylistCaption();

class PlaylistModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The first three columns are shown by default; the tag columns are the user's choice.
    enum Column {
        FileNameColumn = 0,
        FileSizeColumn = 1,
        PathColumn = 2,
        TitleColumn = 3,
        ArtistColumn = 4,
        AlbumColumn = 5,
        LengthColumn = 6,
        ColumnCount = 7
    };
    // data() roles besides the display texts. SortRole orders a column: sizes and lengths by
    // number, texts as they read.
    enum Role { ImageRole = Qt::UserRole + 1, PathRole, SortRole };

    explicit PlaylistModel(QObject* parent = nullptr);

    // 1-based row access; a row number that names no row gives an empty row.
    int count() const { return static_cast<int>(m_rows.size()); }
    bool isValidRow(int n) const { return n >= 1 && n <= count(); }
    PlaylistRow row(int n) const;
    // Row n without a copy; n must name a row, else an empty row is given.
    const PlaylistRow& rowRef(int n) const;
    QString rowText(int n) const { return row(n).text; }
    QString rowPath(int n) const { return row(n).path; }
    QStringList paths() const;

    // Appends one row for path, measured from the disk.
    void AddRow(const QString& path);
    // Appends rows in one insertion (one view update, one countChanged).
    void appendRows(const std::vector<PlaylistRow>& rows);
    void removeRow1(int n); // 1-based
    // Moves row from to position to (both 1-based); the other rows close up.
    void moveRow1(int from, int to);
    // Moves the rows numbered in rows (1-based, any order) together, in their order, so that
    // they stand before the row that was number before (count() + 1: at the end). Returns each
    // old row's new number (index n - 1 for row n); empty when nothing moved.
    std::vector<int> moveRows1(QList<int> rows, int before);
    // The tags of row n arrived (n names the row the reader was given; a row whose path has
    // changed meanwhile is left alone).
    void setRowTags(int n, const QString& path, const RowTags& tags);
    // The 1-based numbers of the rows whose title, artist, album or file name hold every word of
    // query, compared after FoldForSearch; all rows for an empty query.
    std::vector<int> findRows(const QString& query);
    void clear();
    // Every row image 1, then row n image 2 (no row marked when n names none).
    void markCurrent(int n);
    // The row carrying image 2, 0 when none.
    int markedRow() const;

    // The shuffled order List1 (row numbers, counted from 0 by position).
    std::vector<int> List1;
    // Rebuilds List1 as a random permutation of 1..count(): each position draws a row number
    // uniformly and draws again while the number was already taken.
    void MakeRandomOrder();

    // The list's image list: image 1 (a track) and image 2 (the current track).
    void setImages(const QIcon& track, const QIcon& current);

    // QAbstractTableModel: columns "FileName", "FileSize", "Path".
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Text of a length column cell: "m:ss", "h:mm:ss" from an hour, empty when unknown.
    static QString lengthText(int lengthMs);

Q_SIGNALS:
    // The row count changed (the window's caption follows it).
    void countChanged(int count);

private:
    void setImage(int row0, int image);
    const QString& searchKey(int row0);

    std::vector<PlaylistRow> m_rows;
    // Unseeded on purpose: every run draws the same sequence of shuffles.
    std::mt19937 m_random;
    QIcon m_trackIcon;
    QIcon m_currentIcon;
};
