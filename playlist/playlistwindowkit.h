// Everything the playlist window carries besides its rows: toolbar, commands, appearance, the
// command menu and the notification-area icon. The app builds one beside the window and owns
// it; the window owns the parts it shows.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class AppActions;
class CommandMenu;
class PlaylistAppearance;
class PlaylistCommands;
class PlaylistToolbar;
class PlaylistWindow;
class TrayHost;
class cTrayIcon;

class PlaylistWindowKit : public QObject {
    Q_OBJECT
public:
    // Runs the window's start-up steps at once: the 490 x 350 size, the background and text
    // colour of iniPath's section PlayList, and the tray icon (tip "Morvane") whose right
    // button opens the command menu, whose left button shows or hides the windows and whose
    // double click shows them. Without a host the desktop's tray is used.
    PlaylistWindowKit(PlaylistWindow& window, AppActions& actions, const QString& iniPath,
                      std::unique_ptr<TrayHost> trayHost = nullptr);
    ~PlaylistWindowKit() override;

    PlaylistCommands& commands() { return *m_commands; }
    PlaylistAppearance& appearance() { return *m_appearance; }
    PlaylistToolbar& toolbar() { return *m_toolbar; }
    CommandMenu& commandMenu() { return *m_commandMenu; }
    // The program's one tray icon; the tick changes its picture and tip, quit calls AllHide.
    cTrayIcon& trayIcon() { return *m_trayIcon; }

private:
    // The columns stored in iniPath's key PlayList/Columns.
    static void restoreColumns(PlaylistWindow& window, const QString& iniPath);

    PlaylistCommands* m_commands = nullptr;
    PlaylistAppearance* m_appearance = nullptr;
    PlaylistToolbar* m_toolbar = nullptr;
    CommandMenu* m_commandMenu = nullptr;
    cTrayIcon* m_trayIcon = nullptr;
};
