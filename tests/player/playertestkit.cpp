// Shared pieces of the main-window tests.
#include "playertestkit.h"

#include "playlist/playlistmodel.h"

#include <QColor>

namespace {

QImage Noise(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 x = seed;
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(row));
        for (int col = 0; col < width; ++col) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            line[col] = 0xFF000000u | (x & 0xFFFFFFu);
        }
    }
    return image;
}

std::string Describe(QPoint at, QRgb got, QRgb want)
{
    return "pixel (" + std::to_string(at.x()) + ", " + std::to_string(at.y()) + ") is " +
           QColor(got).name().toStdString() + ", want " + QColor(want).name().toStdString();
}

} // namespace

SkinPictures NoiseSkin()
{
    return {Noise(350, 350, 0x1234567u),
            Noise(300, 150, 0x2345678u),
            Noise(300, 250, 0x3456789u),
            Noise(350, 350, 0x456789Au),
            QIcon(),
            Noise(700, 700, 0x56789ABu),
            Noise(600, 300, 0x6789ABCu),
            Noise(600, 500, 0x789ABCDu),
            Noise(700, 700, 0x89ABCDEu)};
}

QRgb MaskedPixel(QRgb before, QRgb mask, QRgb image)
{
    return 0xFF000000u | ((image ^ (mask & ~before)) & 0xFFFFFFu);
}

std::string CheckMasked(const QImage& frame, const QImage& before, QPoint at,
                        const QImage& maskSheet, QPoint maskAt, const QImage& imageSheet,
                        QPoint imageAt, QSize size)
{
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QPoint p = at + QPoint(x, y);
            if (!frame.rect().contains(p))
                continue;
            const QRgb want = MaskedPixel(before.pixel(p), maskSheet.pixel(maskAt + QPoint(x, y)),
                                          imageSheet.pixel(imageAt + QPoint(x, y)));
            const QRgb got = frame.pixel(p);
            if (got != want)
                return Describe(p, got, want);
        }
    }
    return {};
}

std::string CheckCopied(const QImage& frame, QPoint at, const QImage& sheet, QPoint from,
                        QSize size)
{
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QPoint p = at + QPoint(x, y);
            const QRgb want = sheet.pixel(from + QPoint(x, y));
            if (frame.pixel(p) != want)
                return Describe(p, frame.pixel(p), want);
        }
    }
    return {};
}

void FillPlaylist(PlaylistModel& playlist, int count)
{
    std::vector<PlaylistRow> rows;
    for (int n = 1; n <= count; ++n) {
        PlaylistRow row;
        row.text = QStringLiteral("Track %1").arg(n);
        row.sizeText = QStringLiteral("100kb");
        row.path = QStringLiteral("/music/t%1.mp3").arg(n);
        rows.push_back(row);
    }
    playlist.appendRows(rows);
}

void RecordingActions::showToolWindow(ToolWindow window)
{
    calls.push_back("showToolWindow");
    shown.push_back(window);
}

void RecordingActions::showCommandMenu(const QPoint& globalPos)
{
    calls.push_back("showCommandMenu");
    menuAt = globalPos;
}
