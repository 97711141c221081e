// The list view of the playlist window.
#include "playlistview.h"

#include "playlistroads.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>

PlaylistColumnWidths ColumnWidthsFor(int viewWidth)
{
    // fileName + fileSize + path = w with fileSize = fileName / 4, so fileName = 4w / 9.
    const int wide = std::max(0, viewWidth) * 4 / 9;
    return {wide, wide / 4, wide};
}

PlaylistView::PlaylistView(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("playList"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The play order is the row order: a header click never sorts.
    setSortingEnabled(false);
    header()->setSortIndicatorShown(false);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowDoubleClicked(index.row() + 1);
    });
}

void PlaylistView::applyColumnWidths()
{
    PlaylistColumnWidths widths = ColumnWidthsFor(viewport()->width());
    // A quarter of the name column is too narrow for a size such as "12,345kb" at the default
    // width: the size column gets room for that, the two others share the rest.
    const int sizeWidth = fontMetrics().horizontalAdvance(QStringLiteral("99,999kb")) + 16;
    if (widths.fileSize < sizeWidth) {
        widths.fileSize = sizeWidth;
        widths.fileName = widths.path = std::max(0, viewport()->width() - sizeWidth) / 2;
    }
    setColumnWidth(0, widths.fileName);
    setColumnWidth(1, widths.fileSize);
    setColumnWidth(2, widths.path);
}

QList<int> PlaylistView::selectedRowNumbers() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PlaylistView::selectRowNumber(int n)
{
    if (!model() || n < 1 || n > model()->rowCount())
        return;
    const QModelIndex index = model()->index(n - 1, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

void PlaylistView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    applyColumnWidths();
}

void PlaylistView::dragEnterEvent(QDragEnterEvent* event)
{
    if (DropCarriesFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PlaylistView::dragMoveEvent(QDragMoveEvent* event)
{
    if (DropCarriesFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void PlaylistView::dropEvent(QDropEvent* event)
{
    if (!DropCarriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT filesDropped(event->mimeData());
}
