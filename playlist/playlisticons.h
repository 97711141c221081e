// Pictures drawn at run time in the skin's dark navy and cyan: the playlist toolbar's buttons
// and the notification-area icon's three images.
#pragma once

#include <QIcon>

enum class ToolbarGlyph { Open, Save, Trash, FileInfo, Property, Down, Up, Help, Hide };

QIcon ToolbarIcon(ToolbarGlyph glyph);

// The tray images "imgIcon1".."imgIcon3": 1 and 2 alternate while a track plays, 3 otherwise.
// Any other number gives image 1. The skin's pictures (":/skin/trayN.png") when linked in.
QIcon TrayPicture(int n);
