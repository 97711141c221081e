// Registration of Morvane as the desktop's handler of its audio files and M3U playlists (XDG
// desktop entry, mimeapps.list defaults and the file types' icons).
#pragma once

#include <QString>
#include <QStringList>

// The desktop file id and the MIME types Morvane claims: each audio format of kAudioFileTypes
// that has a MIME type, then the playlist.
inline const QString kDesktopId = QStringLiteral("morvane.desktop");
QStringList AssociatedMimeTypes();
// The icon of each of AssociatedMimeTypes(), in the same order: hicolor theme names in the
// mimetypes context.
QStringList FileTypeIcons();
inline const QStringList kAssociatedMimeTypes = AssociatedMimeTypes();
inline const QStringList kFileTypeIcons = FileTypeIcons();

// $XDG_DATA_HOME/applications/morvane.desktop (XDG_DATA_HOME defaults to ~/.local/share).
QString DesktopEntryPath();
// $XDG_CONFIG_HOME/mimeapps.list (XDG_CONFIG_HOME defaults to ~/.config).
QString MimeAppsListPath();
// $XDG_DATA_HOME/mime/packages/morvane.xml: the shared MIME database's package that gives the
// file types their icons.
QString MimePackagePath();

// The desktop entry that starts programPath with one file; with claimMimeTypes it lists
// kAssociatedMimeTypes. Lines end in LF as the desktop entry format expects.
QString DesktopEntryText(const QString& programPath, bool claimMimeTypes);
// programPath quoted and escaped for the Exec key, followed by " %f".
QString DesktopExecValue(const QString& programPath);

// mimeapps.list text with desktopId first in the [Default Applications] and
// [Added Associations] lists of mimeTypes, and dropped from their [Removed Associations];
// every other line is kept as it was.
QString MimeAppsWithDefaults(const QString& text, const QString& desktopId,
                             const QStringList& mimeTypes);
// mimeapps.list text with desktopId dropped from the [Default Applications] and
// [Added Associations] lists of mimeTypes; a list left empty loses its line.
QString MimeAppsWithoutDefaults(const QString& text, const QString& desktopId,
                                const QStringList& mimeTypes);

// Writes the desktop entry for programPath, makes it the default for both types and gives the
// types their icons. The icons are those of the hicolor theme shipped with the program
// (share/icons/hicolor beside it in the build tree, or in its prefix); when the desktop does
// not search that folder they are copied to $XDG_DATA_HOME/icons/hicolor.
// Returns false when a file could not be written.
bool RegisterFileTypes(const QString& programPath);
// Removes Morvane's defaults from mimeapps.list, the MIME types from its own desktop entry
// (when there is one) and the file types' icons; touches nothing that does not exist. Returns
// false when a file could not be written or removed.
bool UnregisterFileTypes();
