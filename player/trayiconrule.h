// Which picture the tray icon shows on each tick: stopped, or one of the two playing images.
#pragma once

#include <QString>

struct MainWindowState;

// The tray icon as the tick drives it; the app connects it to the real icon.
class TrayIconSink {
public:
    enum class Image { Stopped, Playing1, Playing2 }; // "imgIcon3", "imgIcon1", "imgIcon2"

    virtual ~TrayIconSink() = default;
    // Shows the icon with image and tip (the track title).
    virtual void showTrayIcon(Image image, const QString& tip) = 0;
};

// Applies the tray step of the tick for engine state and elapsed sec. With taskBarAni 1 the
// playing image alternates every two seconds; otherwise it stays on the first playing image.
void UpdateTrayIcon(TrayIconSink& sink, MainWindowState& window, int state, int sec, int taskBarAni,
                    const QString& title);
