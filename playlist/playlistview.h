// The playlist window's list view ("ListView1"): three columns over PlaylistModel, several rows
// selectable, no sorting, and drops of files from the desktop.
#pragma once

#include <QMimeData>
#include <QTreeView>

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

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
