// Builds and wires the playlist window's toolbar, commands, appearance, menu and tray icon.
#include "playlistwindowkit.h"

#include "commandmenu.h"
#include "playlistappearance.h"
#include "playlistcommands.h"
#include "playlisticons.h"
#include "playlisttoolbar.h"
#include "playlistwindow.h"
#include "state/actions.h"
#include "shell/trayhost.h"
#include "shell/trayicon.h"

PlaylistWindowKit::PlaylistWindowKit(PlaylistWindow& window, AppActions& actions,
                                     const QString& iniPath, std::unique_ptr<TrayHost> trayHost)
    : QObject(nullptr)
{
    m_commands = new PlaylistCommands(window);
    m_appearance = new PlaylistAppearance(window, iniPath);
    m_toolbar = new PlaylistToolbar(window, *m_commands, *m_appearance);
    window.setToolBar(m_toolbar);
    m_commandMenu = new CommandMenu(window, actions, iniPath);

    m_appearance->load();

    m_trayIcon = trayHost ? new cTrayIcon(std::move(trayHost), this) : new cTrayIcon(this);
    m_trayIcon->setIndex(0);
    m_trayIcon->setPicture(TrayPicture(1));
    m_trayIcon->setTip(QStringLiteral("Morvane"));
    m_trayIcon->setVisible(true);
    connect(m_trayIcon, &cTrayIcon::mouseDown, this,
            [this, &actions](Qt::MouseButton button, const QPoint& globalPos) {
                if (button == Qt::RightButton)
                    m_commandMenu->popupAt(globalPos);
                else if (button == Qt::LeftButton)
                    actions.toggleWindows();
            });
    // The first click of a double click toggled already; the double click always ends with
    // the windows shown.
    connect(m_trayIcon, &cTrayIcon::doubleClicked, this, [&actions] { actions.restoreWindows(); });
}

PlaylistWindowKit::~PlaylistWindowKit() = default;
