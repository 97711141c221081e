// The toolbar and tray pictures, painted with QPainter so that no binary pictures are shipped.
#include "playlisticons.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const QColor kNavy(16, 24, 64);
const QColor kNavyEdge(40, 60, 130);
const QColor kCyan(60, 220, 240);
const QColor kPaleCyan(170, 240, 250);
const QColor kDimCyan(90, 130, 150);

// A navy tile with a lighter rim: the ground every glyph stands on.
void drawTile(QPainter& p, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kNavyEdge, 1));
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, kNavy.lighter(140));
    fill.setColorAt(1, kNavy);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 3, 3);
}

void strokeIn(QPainter& p, const QColor& colour, qreal width = 1.6)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void drawArrow(QPainter& p, bool down)
{
    strokeIn(p, kCyan, 2.0);
    const qreal tipY = down ? 16 : 4;
    const qreal baseY = down ? 4 : 16;
    const qreal wingY = down ? 11 : 9;
    p.drawLine(QPointF(10, baseY), QPointF(10, tipY));
    p.drawLine(QPointF(5, wingY), QPointF(10, tipY));
    p.drawLine(QPointF(15, wingY), QPointF(10, tipY));
}

void drawGlyph(QPainter& p, ToolbarGlyph glyph)
{
    switch (glyph) {
    case ToolbarGlyph::Open: {
        strokeIn(p, kCyan);
        QPainterPath folder;
        folder.moveTo(3, 15);
        folder.lineTo(3, 5);
        folder.lineTo(8, 5);
        folder.lineTo(9.5, 7);
        folder.lineTo(16, 7);
        folder.lineTo(16, 15);
        folder.closeSubpath();
        p.setBrush(QColor(60, 220, 240, 60));
        p.drawPath(folder);
        p.drawLine(QPointF(3, 9.5), QPointF(16, 9.5));
        break;
    }
    case ToolbarGlyph::Save:
        strokeIn(p, kCyan);
        p.drawRect(QRectF(4, 4, 12, 12));
        p.setBrush(kCyan);
        p.drawRect(QRectF(7, 4, 6, 4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(6.5, 11, 7, 5));
        break;
    case ToolbarGlyph::Trash:
        strokeIn(p, kCyan);
        p.drawLine(QPointF(4, 6), QPointF(16, 6));
        p.drawLine(QPointF(8, 6), QPointF(8.5, 4));
        p.drawLine(QPointF(8.5, 4), QPointF(11.5, 4));
        p.drawLine(QPointF(11.5, 4), QPointF(12, 6));
        p.drawPolyline(
            QPolygonF({QPointF(5.5, 6), QPointF(6.5, 16), QPointF(13.5, 16), QPointF(14.5, 6)}));
        p.drawLine(QPointF(8.5, 9), QPointF(8.8, 14));
        p.drawLine(QPointF(11.5, 9), QPointF(11.2, 14));
        break;
    case ToolbarGlyph::FileInfo:
        strokeIn(p, kCyan);
        p.drawEllipse(QRectF(3.5, 3.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaleCyan);
        p.drawEllipse(QRectF(9, 5.8, 2, 2));
        p.drawRect(QRectF(9.1, 8.8, 1.8, 5.2));
        break;
    case ToolbarGlyph::Property:
        // Three sliders: the look of the list can be tuned.
        strokeIn(p, kDimCyan, 1.2);
        for (qreal y : {5.5, 10.0, 14.5})
            p.drawLine(QPointF(3.5, y), QPointF(16.5, y));
        p.setPen(QPen(kNavy, 1));
        p.setBrush(kCyan);
        p.drawEllipse(QRectF(10, 3.5, 4, 4));
        p.drawEllipse(QRectF(5, 8, 4, 4));
        p.drawEllipse(QRectF(11.5, 12.5, 4, 4));
        break;
    case ToolbarGlyph::Down:
        drawArrow(p, true);
        break;
    case ToolbarGlyph::Up:
        drawArrow(p, false);
        break;
    case ToolbarGlyph::Help: {
        strokeIn(p, kCyan, 2.0);
        QPainterPath hook;
        hook.moveTo(6.5, 7.5);
        hook.cubicTo(6.5, 2.5, 14, 2.5, 13.5, 7.5);
        hook.cubicTo(13.2, 10, 10, 10, 10, 12.5);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaleCyan);
        p.drawEllipse(QRectF(8.8, 14.2, 2.4, 2.4));
        break;
    }
    case ToolbarGlyph::Hide:
        strokeIn(p, kDimCyan, 1.2);
        p.drawRect(QRectF(3.5, 4.5, 13, 10));
        strokeIn(p, kCyan, 2.2);
        p.drawLine(QPointF(6, 12.5), QPointF(14, 12.5));
        break;
    }
}

void drawNote(QPainter& p, const QColor& colour, qreal dx, qreal dy, qreal scale)
{
    p.setPen(QPen(colour, 1.6 * scale, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(colour);
    p.drawEllipse(QRectF((4 + dx) * scale, (11 + dy) * scale, 5 * scale, 4 * scale));
    p.drawLine(QPointF((8.5 + dx) * scale, (13 + dy) * scale),
               QPointF((8.5 + dx) * scale, (3 + dy) * scale));
    p.drawLine(QPointF((8.5 + dx) * scale, (3 + dy) * scale),
               QPointF((13 + dx) * scale, (6 + dy) * scale));
}
} // namespace

QIcon ToolbarIcon(ToolbarGlyph glyph)
{
    constexpr int kSize = 20;
    // The same drawing at twice the resolution serves screens of twice the density.
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(kSize * scale, kSize * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(scale, scale);
        drawTile(p, kSize);
        drawGlyph(p, glyph);
        p.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon TrayPicture(int n)
{
    if (n < 1 || n > 3)
        n = 1;
    // The skin's own pictures when the program carries its resources; drawn ones otherwise.
    const QString skinPicture = QStringLiteral(":/skin/tray%1.png").arg(n);
    if (QFile::exists(skinPicture))
        return QIcon(skinPicture);
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        drawTile(p, size);
        const qreal scale = size / 16.0;
        if (n == 3)
            drawNote(p, kDimCyan, 0, 0, scale);
        else if (n == 2)
            drawNote(p, kPaleCyan, 1, -1, scale);
        else
            drawNote(p, kCyan, 0, 0, scale);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
