// The playlist: its rows, numbered from 1, and the shuffled play order List1.
//
// The playlist window's list view shows this model directly; there is no other copy of the rows.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

struct PlaylistRow {
    QString text;      // display name (the clean file name)
    QString sizeText;  // size in kilobytes followed by "kb"; empty when the file cannot be measured
    QString path;      // the path as it was added (relative paths stay relative)
    int image = 1;     // small icon: 1 ordinary row, 2 the current row
};

class PlaylistModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PlaylistModel(QObject* parent = nullptr);

    // 1-based row access; a row number that names no row gives an empty row.
    int count() const { return static_cast<int>(m_rows.size()); }
    bool isValidRow(int n) const { return n >= 1 && n <= count(); }
    PlaylistRow row(int n) const;
    QString rowText(int n) const { return row(n).text; }
    QString rowPath(int n) const { return row(n).path; }
    QStringList paths() const;

    // Appends one row for path, measured from the disk.
    void AddRow(const QString& path);
    void appendRows(const std::vector<PlaylistRow>& rows);
    void removeRow1(int n);  // 1-based
    void moveRow1(int from, int to);
    void clear();
    // Every row image 1, then row n image 2.
    void markCurrent(int n);

    // The shuffled order List1 (row numbers, counted from 0 by position).
    std::vector<int> List1;

    // QAbstractTableModel: columns "FileName", "FileSize", "Path".
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // The row count changed (the window's caption follows it).
    void countChanged(int count);

private:
    std::vector<PlaylistRow> m_rows;
};
