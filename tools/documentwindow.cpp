// The document viewer: shows the track's companion text as plain text.
#include "documentwindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QResizeEvent>
#include <QTextBrowser>

#include "state/appstate.h"
#include "playlist/playlistmodel.h"
#include "textfile.h"

namespace {
constexpr int kSmallestSide = 200;
constexpr int kSnappedSide = 250;
} // namespace

QSize SnapDocumentSize(const QSize& size)
{
    return {size.width() < kSmallestSide ? kSnappedSide : size.width(),
            size.height() < kSmallestSide ? kSnappedSide : size.height()};
}

QString NoDocumentText()
{
    return QStringLiteral("ドキュメントはありません。");
}

DocumentWindow::DocumentWindow(AppState& state, PlaylistModel& playlist, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_playlist(playlist)
{
    setWindowTitle(QStringLiteral("Document"));
    m_view = new QTextBrowser;
    m_view->setReadOnly(true);
    m_view->setOpenLinks(false);
    setCentralWidget(m_view);
    QAction* refresh = menuBar()->addAction(QStringLiteral("最新情報(&N)"));
    QAction* closeItem = menuBar()->addAction(QStringLiteral("閉じる(&Q)"));
    connect(refresh, &QAction::triggered, this, &DocumentWindow::SetDocument);
    connect(closeItem, &QAction::triggered, this, &QWidget::close);
    resize(420, 360);
}

void DocumentWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    SetDocument();
    show();
    raise();
    activateWindow();
}

void DocumentWindow::SetDocument()
{
    if (m_playlist.count() == 0) {
        m_view->setPlainText(NoDocumentText());
        return;
    }
    const QString track = m_playlist.rowPath(m_state.CurrentIndex);
    QString text;
    QString error;
    if (track.isEmpty() || !ReadTextFile(CompanionPath(track, QStringLiteral(".txt")), text, error,
                                         kMaxDocumentBytes)) {
        m_view->setPlainText(NoDocumentText());
        return;
    }
    m_view->setPlainText(text);
}

void DocumentWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    const QSize snapped = SnapDocumentSize(event->size());
    if (snapped != event->size())
        resize(snapped);
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closed();
}
