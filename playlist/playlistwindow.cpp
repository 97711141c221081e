// The playlist window: layout, caption and the list view's events.
#include "playlistwindow.h"

#include "jumpbox.h"
#include "playlistmodel.h"
#include "playlistroads.h"
#include "playlistview.h"
#include "rowtagloader.h"
#include "state/appstate.h"
#include "trackops.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
// Image 1 of the list's image list: a note.
QIcon trackIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 120), 1.5));
    painter.setBrush(QColor(40, 40, 120));
    painter.drawEllipse(QRectF(3, 10, 5, 4));
    painter.drawLine(QPointF(7.5, 12), QPointF(7.5, 2));
    painter.drawLine(QPointF(7.5, 2), QPointF(12, 5));
    return QIcon(pixmap);
}

// Image 2: the current track, a play mark.
QIcon currentIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 150, 60));
    QPainterPath triangle;
    triangle.moveTo(4, 2);
    triangle.lineTo(13, 8);
    triangle.lineTo(4, 14);
    triangle.closeSubpath();
    painter.drawPath(triangle);
    return QIcon(pixmap);
}
} // namespace

PlaylistWindow::PlaylistWindow(AppState& state, PlaylistModel& playlist, TrackOps& ops,
                               QWidget* parent)
    : QWidget(parent), m_state(state), m_playlist(playlist), m_ops(ops),
      m_roads(std::make_unique<PlaylistRoads>(state, playlist, ops))
{
    setObjectName(QStringLiteral("PlaylistWindow"));
    setWindowTitle(InitialPlaylistCaption());
    resize(330, 260);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolBarSlot = new QVBoxLayout;
    m_toolBarSlot->setContentsMargins(0, 0, 0, 0);
    m_toolBarSlot->setSpacing(0);
    layout->addLayout(m_toolBarSlot);

    m_playlist.setImages(trackIcon(), currentIcon());
    m_playList = new PlaylistView(this);
    m_playList->setPlaylist(&m_playlist);
    m_tagLoader = new RowTagLoader(m_playlist, ReadRowTags, this);
    m_playList->installEventFilter(this);
    layout->addWidget(m_playList, 1);

    connect(&m_playlist, &PlaylistModel::countChanged, this,
            [this](int count) { setWindowTitle(PlaylistCaption(count)); });
    connect(m_playList, &PlaylistView::rowDoubleClicked, this, [this](int n) { m_ops.PlayRow(n); });
    connect(m_playList, &PlaylistView::filesDropped, this,
            [this](const QMimeData* dropped) { m_roads->AddFromDrop(dropped); });
    connect(&m_ops, &TrackOps::currentRowChanged, m_playList, &PlaylistView::selectRowNumber);
    connect(m_playList, &PlaylistView::rowsDragged, this, &PlaylistWindow::moveRowsTo);
    connect(m_playList, &PlaylistView::columnsChosen, this, &PlaylistWindow::readTagsWhenShown);
}

void PlaylistWindow::readTagsWhenShown()
{
    for (int c = PlaylistModel::TitleColumn; c < PlaylistModel::ColumnCount; ++c) {
        if (m_playList->columnShown(c))
            m_tagLoader->enable();
    }
}

void PlaylistWindow::showJumpBox()
{
    if (!m_jumpBox) {
        m_jumpBox = new JumpBox(m_playlist, this);
        connect(m_jumpBox, &JumpBox::rowChosen, this, [this](int n) {
            m_ops.PlayRow(n);
            m_playList->selectRowNumber(n);
        });
    }
    // Titles, artists and albums are searched too: they are read from now on.
    m_tagLoader->enable();
    m_jumpBox->openBox();
}

void PlaylistWindow::moveRowsTo(const QList<int>& rows, int before)
{
    const std::vector<int> newNumber = m_playlist.moveRows1(rows, before);
    if (newNumber.empty())
        return;
    int& current = m_state.CurrentIndex;
    if (current >= 1 && current <= static_cast<int>(newNumber.size()))
        current = newNumber[static_cast<size_t>(current - 1)];
}

bool PlaylistWindow::handleJumpKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                                             Qt::ShiftModifier | Qt::MetaModifier);
    if (event->key() != Qt::Key_J || (mods != Qt::NoModifier && mods != Qt::ControlModifier))
        return false;
    showJumpBox();
    return true;
}

PlaylistWindow::~PlaylistWindow() = default;

void PlaylistWindow::setToolBar(QWidget* toolBar)
{
    m_toolBarSlot->addWidget(toolBar);
}

bool PlaylistWindow::handleShortcutKey(QKeyEvent* event)
{
    const int code = ShortcutKeyCode(event->key(), event->modifiers());
    if (code < 49 || code > 53)
        return false;
    m_roads->AddFromShortcut(code);
    return true;
}

bool PlaylistWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_playList && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleShortcutKey(key) || handleJumpKey(key))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlaylistWindow::keyPressEvent(QKeyEvent* event)
{
    if (!handleShortcutKey(event) && !handleJumpKey(event))
        QWidget::keyPressEvent(event);
}
