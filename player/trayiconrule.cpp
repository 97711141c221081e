// The tray icon step of the tick.
#include "trayiconrule.h"

#include "mainwindowstate.h"

void UpdateTrayIcon(TrayIconSink& sink, MainWindowState& window, int state, int sec, int taskBarAni,
                    const QString& title)
{
    if (state != 1) {
        sink.showTrayIcon(TrayIconSink::Image::Stopped, title);
        return;
    }
    if (sec % 2 != 0 || sec == window.LastIconSec)
        return;
    window.LastIconSec = sec;
    TrayIconSink::Image image;
    if (window.IconToggle) {
        image = taskBarAni == 1 ? TrayIconSink::Image::Playing2 : TrayIconSink::Image::Playing1;
        window.IconToggle = false;
    } else {
        image = TrayIconSink::Image::Playing1;
        window.IconToggle = true;
    }
    sink.showTrayIcon(image, title);
}
