// Playlist operations the main window calls but the playlist side provides; the app sets them.
#pragma once

#include <functional>

class QMimeData;

struct PlayerHooks {
    // Adds folder shortcut 1..5 to the playlist for the key codes of the keys 1..5.
    std::function<void(int keyCode)> addFromShortcut;
    // Files dropped on the main window.
    std::function<void(const QMimeData* data)> addFromDrop;
};
