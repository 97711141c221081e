// The list view of the playlist window.
#include "playlistview.h"

#include "playlistmodel.h"
#include "playlistroads.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QSortFilterProxyModel>

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
    // A header click sorts what is shown; the play order stays the list's own order.
    setSortingEnabled(false);
    header()->setSortIndicatorShown(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &PlaylistView::headerClicked);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!model())
            return;
        QMenu menu(this);
        for (int c = PlaylistModel::FileSizeColumn; c < model()->columnCount(); ++c) {
            QAction* item = menu.addAction(model()->headerData(c, Qt::Horizontal).toString());
            item->setCheckable(true);
            item->setChecked(columnShown(c));
            connect(item, &QAction::toggled, this, [this, c](bool on) {
                setColumnShown(c, on);
                Q_EMIT columnsChosen();
            });
        }
        menu.exec(header()->mapToGlobal(at));
    });
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowDoubleClicked(m_sorted->mapToSource(index).row() + 1);
    });
}

void PlaylistView::setPlaylist(PlaylistModel* playlist)
{
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(playlist);
    m_sorted->setSortRole(PlaylistModel::SortRole);
    m_sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_sorted->setSortLocaleAware(true);
    m_sorted->setDynamicSortFilter(true);
    setModel(m_sorted);
    for (int c = PlaylistModel::TitleColumn; c < PlaylistModel::ColumnCount; ++c)
        setColumnHidden(c, true);
    applyColumnWidths();
}

int PlaylistView::sortColumn() const
{
    return m_sorted ? m_sorted->sortColumn() : -1;
}

Qt::SortOrder PlaylistView::sortOrder() const
{
    return m_sorted ? m_sorted->sortOrder() : Qt::AscendingOrder;
}

void PlaylistView::headerClicked(int column)
{
    if (!m_sorted)
        return;
    if (sortColumn() != column) {
        m_sorted->sort(column, Qt::AscendingOrder);
    } else if (sortOrder() == Qt::AscendingOrder) {
        m_sorted->sort(column, Qt::DescendingOrder);
    } else {
        m_sorted->sort(-1);
        header()->setSortIndicatorShown(false);
        return;
    }
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_sorted->sortOrder());
}

void PlaylistView::setColumnShown(int column, bool shown)
{
    if (column == PlaylistModel::FileNameColumn)
        return;
    setColumnHidden(column, !shown);
    applyColumnWidths();
}

int PlaylistView::dropTargetAt(const QPoint& pos) const
{
    const int count = m_sorted ? m_sorted->rowCount() : 0;
    const QModelIndex at = indexAt(pos);
    if (!at.isValid())
        return count + 1;
    const int row = m_sorted->mapToSource(at).row() + 1;
    // The lower half of a row puts the dragged rows after it.
    return pos.y() > visualRect(at).center().y() ? row + 1 : row;
}

void PlaylistView::applyColumnWidths()
{
    if (!model())
        return;
    bool tagColumns = false;
    for (int c = PlaylistModel::TitleColumn; c < PlaylistModel::ColumnCount; ++c)
        tagColumns = tagColumns || columnShown(c);
    if (tagColumns) {
        // Texts take four shares each, the size and the length one share.
        int shares = 0;
        for (int c = 0; c < PlaylistModel::ColumnCount; ++c) {
            if (columnShown(c))
                shares +=
                    c == PlaylistModel::FileSizeColumn || c == PlaylistModel::LengthColumn ? 1 : 4;
        }
        const int unit = std::max(0, viewport()->width()) / std::max(1, shares);
        const int minimumShort = fontMetrics().horizontalAdvance(QStringLiteral("99,999kb")) + 16;
        for (int c = 0; c < PlaylistModel::ColumnCount; ++c) {
            const bool isShort =
                c == PlaylistModel::FileSizeColumn || c == PlaylistModel::LengthColumn;
            setColumnWidth(c, isShort ? std::max(unit, minimumShort) : 4 * unit);
        }
        return;
    }
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
        rows << m_sorted->mapToSource(index).row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PlaylistView::selectRowNumber(int n)
{
    if (!model() || n < 1 || n > model()->rowCount())
        return;
    const QModelIndex index = m_sorted->mapFromSource(m_sorted->sourceModel()->index(n - 1, 0));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

void PlaylistView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    applyColumnWidths();
}

bool PlaylistView::draggingOwnRows(const QDropEvent* event) const
{
    // Rows find a new place only in the list's own order; a sorted view has no place to give.
    return event->source() == this && sortColumn() < 0;
}

void PlaylistView::dragEnterEvent(QDragEnterEvent* event)
{
    if (draggingOwnRows(event)) {
        event->acceptProposedAction();
    } else if (event->source() != this && DropCarriesFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PlaylistView::dragMoveEvent(QDragMoveEvent* event)
{
    if (draggingOwnRows(event)) {
        event->acceptProposedAction();
    } else if (event->source() != this && DropCarriesFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PlaylistView::dropEvent(QDropEvent* event)
{
    if (draggingOwnRows(event)) {
        // The move is done here, not by the drag's end, which would delete the moved rows.
        const int before = dropTargetAt(event->position().toPoint());
        event->acceptProposedAction();
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
        Q_EMIT rowsDragged(selectedRowNumbers(), before);
        return;
    }
    if (event->source() == this || !DropCarriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    Q_EMIT filesDropped(event->mimeData());
}
