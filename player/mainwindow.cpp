// The main window: shows the composed frame, forwards mouse and key events, snaps after drags.
#include "mainwindow.h"

#include "engine/engine.h"
#include "framediff.h"
#include "hotareas.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "shell/plaintext.h"
#include "shell/x11pointer.h"
#include "shell/x11presenter.h"
#include "state/actions.h"
#include "state/appstate.h"
#include "visual/imagearena.h"
#include "visual/skinlayout.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <cstring>

namespace {

// A window manager that moves the window keeps the button's release to itself: while its move
// lasts the pointer's buttons are asked for at this interval, and the window snaps once they are
// up.
constexpr int kReleasePollMs = 20;
// Where the buttons cannot be asked for: how long the window must rest after a platform move
// before it snaps.
constexpr int kSnapDelayMs = 150;

} // namespace

MainWindow::MainWindow(AppState& state, Engine& engine, TrackOps& ops, AppActions& actions,
                       const SkinPictures& skin, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_engine(engine),
      m_ops(ops), m_actions(actions), m_commands(state, engine, ops.playlist(), actions),
      m_frame(state, engine, ops.playlist(), skin, m_window, m_menu),
      m_tick(state, engine, ops.playlist(), ops, m_window, m_frame),
      m_input(state, engine, ops, actions, m_window, m_menu, m_commands, m_hooks),
      m_shown(ArenaCopy(m_frame.frame(), false))
{
    setObjectName(QStringLiteral("mainWindow"));
    setFixedSize(SkinLayout::kFrameSize);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is ours on every paint: Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowTitle(QStringLiteral("Morvane"));
    setAcceptDrops(true);
    setWindowIcon(skin.programIcon);
    m_presenter = new X11Presenter(this);
    m_snapTimer = new QTimer(this);
    connect(m_snapTimer, &QTimer::timeout, this, [this] {
        if (PointerButtonHeld().value_or(false))
            return;
        m_snapTimer->stop();
        m_systemMove = false;
        snapToScreen();
    });
    connect(&ops, &TrackOps::captionChanged, this, &QWidget::setWindowTitle);
}

bool MainWindow::canBeSeen() const
{
    if (!isVisible() || isMinimized())
        return false;
    const QWindow* handle = windowHandle();
    return handle && handle->isExposed();
}

void MainWindow::tick()
{
    // A dense screen (or the window moved to one) gets the frame composed at 2x.
    const int scale = devicePixelRatioF() > 1.0 ? 2 : 1;
    if (scale != m_frame.scale() && m_frame.setScale(scale) == scale) {
        m_shown = m_frame.frame().copy();
        m_unseen = true;
    }
    const bool seen = canBeSeen();
    m_tick.run(seen);
    if (!seen) {
        m_unseen = true;
        m_dirtyRects.clear();
        m_lastDirty = {};
        return;
    }
    m_input.setLyricLine(m_frame.lyricLine().LyricLeft, m_frame.lyricLine().Label3.width());
    if (m_unseen) {
        // What the platform kept of the window while it was away is not to be trusted.
        m_unseen = false;
        m_dirtyRects = {m_frame.frame().rect()};
    } else {
        m_dirtyRects = m_frame.changedRectsAreTight()
                           ? m_frame.changedRects()
                           : ChangedRects(m_frame.frame(), m_shown, m_frame.changedRects());
    }
    m_lastDirty = BoundingRect(m_dirtyRects);
    if (m_dirtyRects.empty())
        return;
    const QImage& frame = m_frame.frame();
    for (const QRect& r : m_dirtyRects) {
        const size_t bytes = static_cast<size_t>(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(m_shown.scanLine(y) + r.left() * 4, frame.constScanLine(y) + r.left() * 4,
                        bytes);
    }
    if (present())
        return;
    // Qt repaints in window pixels.
    const int s = m_frame.scale();
    QRegion region;
    for (const QRect& r : m_dirtyRects)
        region += QRect(r.left() / s, r.top() / s, (r.right() / s) - (r.left() / s) + 1,
                        (r.bottom() / s) - (r.top() / s) + 1);
    update(region);
}

bool MainWindow::present()
{
    const qreal ratio = devicePixelRatioF();
    if (ratio == m_frame.scale())
        return m_presenter->present(m_shown, m_dirtyRects);
    // Between whole ratios the 2x frame is scaled down smoothly to the window's pixels.
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    m_scaledShown = m_shown.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return m_presenter->present(m_scaledShown, {m_scaledShown.rect()});
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    if (m_unseen && m_backInSight)
        m_backInSight();
    QPainter painter(this);
    // The frame is composed for the screen's density; between whole ratios it is scaled
    // smoothly.
    const int s = m_frame.scale();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, devicePixelRatioF() != s);
    const QRect rect = event->rect();
    painter.drawImage(rect, m_shown, QRect(rect.topLeft() * s, rect.size() * s));
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPointF pos = help->pos();
        QString text;
        if (const auto button = ButtonAt(pos))
            text = ButtonToolTip(*button);
        else if (kTimeArea.contains(help->pos()))
            text = m_frame.timeToolTip();
        else if (kTitleArea.contains(help->pos()))
            text = PlainToolTip(m_state.CurrentTitle);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    const auto outcome = m_input.mouseDown(event->button(), event->position(),
                                           event->globalPosition().toPoint(), this);
    if (outcome != MainInput::Outcome::MoveWindow)
        return;
    QWindow* handle = windowHandle();
    if (handle && handle->startSystemMove()) {
        // A Wayland compositor moves the window without telling its place and without a
        // release for this press: there is nothing to snap, and waiting for that release would
        // swallow the release of the next click.
        m_systemMove = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        m_pollRelease = m_systemMove && PointerButtonHeld().has_value();
        if (m_pollRelease) {
            m_snapTimer->setSingleShot(false);
            m_snapTimer->start(kReleasePollMs);
        }
        return;
    }
    m_manualMove = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_manualMove) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    m_input.mouseMove(event->buttons() == Qt::LeftButton, event->position());
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_manualMove) {
        m_manualMove = false;
        snapToScreen();
        return;
    }
    if (m_systemMove) {
        m_systemMove = false;
        m_snapTimer->stop();
        snapToScreen();
        return;
    }
    // Only the release of the last held button ends a press.
    if (event->buttons() != Qt::NoButton)
        return;
    m_input.mouseUp();
}

void MainWindow::wheelEvent(QWheelEvent* event)
{
    m_input.wheel(event->angleDelta().y());
    event->accept();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_systemMove && !m_pollRelease) {
        m_snapTimer->setSingleShot(true);
        m_snapTimer->start(kSnapDelayMs);
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // A held key adds its shortcut once, not once per repeat.
    if ((event->modifiers() & Qt::KeypadModifier) || event->isAutoRepeat()) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_input.keyDown(event->key());
}

QPoint MainWindow::SnapToEdges(const QRect& window, const QRect& screen, int margin)
{
    QPoint pos = window.topLeft();
    if (pos.x() - screen.left() < margin)
        pos.setX(screen.left());
    if (pos.x() + window.width() > screen.left() + screen.width() - margin)
        pos.setX(screen.left() + screen.width() - window.width());
    if (pos.y() - screen.top() < margin)
        pos.setY(screen.top());
    if (pos.y() + window.height() > screen.top() + screen.height() - margin)
        pos.setY(screen.top() + screen.height() - window.height());
    return pos;
}

void MainWindow::snapToScreen()
{
    const QScreen* current = screen();
    if (!current)
        return;
    // A window manager's move may not have reached Qt yet: the X server knows where it ended.
    // The window is frameless, so its native window's corner is its frame's.
    QRect place = frameGeometry();
    if (const auto onScreen = WindowPlaceOnScreen(*this))
        place.moveTopLeft(*onScreen);
    const QPoint target = SnapToEdges(place, current->geometry());
    if (target != place.topLeft())
        move(target);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_hooks.addFromDrop && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    if (!m_hooks.addFromDrop)
        return;
    event->acceptProposedAction();
    m_hooks.addFromDrop(event->mimeData());
}

void MainWindow::leaveEvent(QEvent* event)
{
    // The pointer left the window without a last move over the lyric line: it is no longer over it.
    m_window.LyricHover = false;
    QWidget::leaveEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The app hides its windows itself when it quits; a close request never destroys the
    // window behind its back, so the playlist and the engine are never left running unseen.
    event->ignore();
    m_actions.quitApp();
}
