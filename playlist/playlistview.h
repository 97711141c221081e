// The playlist window's list view ("ListView1"): the file name, size and path columns and the
// tag columns the user chooses, several rows selectable, a header click sorting what is shown
// (never the play order), selected rows dragged to a new place, and drops of files from the
// desktop.
#pragma once

#include <QMimeData>
#include <QTreeView>

class PlaylistModel;
class QSortFilterProxyModel;

// The widths of the three columns for a view width: the first and third equal, the second a
// quarter of them.
struct PlaylistColumnWidths {
    int fileName = 0;
    int fileSize = 0;
    int path = 0;
};
PlaylistColumnWidths ColumnWidthsFor(int viewWidth);

class PlaylistView : public QTreeView {
    Q_OBJECT
public:
    explicit PlaylistView(QWidget* parent = nullptr);

    // Shows playlist's rows (through a sorting layer; row numbers in and out stay the list's).
    void setPlaylist(PlaylistModel* playlist);
    // The column a header click sorted by and its order; -1 for the list's own order.
    int sortColumn() const;
    Qt::SortOrder sortOrder() const;
    // A click on header column: ascending, again descending, a third time the list's own order.
    void headerClicked(int column);
    // Shows or hides a column (the file name column always shows).
    void setColumnShown(int column, bool shown);
    bool columnShown(int column) const { return !isColumnHidden(column); }
    // The row number a drop at pos (viewport coordinates) puts dragged rows before; count + 1
    // below the last row.
    int dropTargetAt(const QPoint& pos) const;

    // Sets the column widths by the width rule for the current width.
    void applyColumnWidths();
    // The 1-based numbers of the selected rows, ascending.
    QList<int> selectedRowNumbers() const;
    // Selects row n alone and scrolls it into view (nothing when n names no row).
    void selectRowNumber(int n);

Q_SIGNALS:
    // Row n (1-based) was double-clicked.
    void rowDoubleClicked(int n);
    // Local files were dropped on the list.
    void filesDropped(const QMimeData* data);
    // Rows (1-based) were dragged to stand before row before (count + 1: at the end).
    void rowsDragged(const QList<int>& rows, int before);
    // The user showed or hid a column from the header's menu.
    void columnsChosen();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool draggingOwnRows(const QDropEvent* event) const;

    QSortFilterProxyModel* m_sorted = nullptr;
};
