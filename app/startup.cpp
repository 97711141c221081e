// Start-up placement and command-line rules.
#include "startup.h"

std::optional<QPoint> StartPosition(int startType, const QSize& window, const QRect& screen)
{
    const int w = window.width();
    const int h = window.height();
    const int sw = screen.width();
    const int sh = screen.height();
    QPoint p;
    switch (startType) {
    case 0:
        p = QPoint(sw / 2 - w / 2, sh / 2 - h / 2);
        break;
    case 1:
        p = QPoint(0, sh - h);
        break;
    case 2:
        p = QPoint(0, 0);
        break;
    case 3:
        p = QPoint(sw - w, 0);
        break;
    case 4:
        p = QPoint(sw - w, sh - h);
        break;
    default:
        return std::nullopt;
    }
    return p + screen.topLeft();
}

CommandLine ParseCommandLine(const QStringList& args)
{
    if (args.size() != 1)
        return {};
    const QString& path = args.first();
    const QString ext = path.right(4).toLower();
    if (ext == QLatin1String(".mp3"))
        return {CommandLineKind::Mp3, path};
    if (ext == QLatin1String(".m3u"))
        return {CommandLineKind::Playlist, path};
    return {};
}
