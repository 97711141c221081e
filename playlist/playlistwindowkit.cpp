// Builds and wires the playlist window's toolbar, commands, appearance, menu and tray icon.
#include "playlistwindowkit.h"

#include "commandmenu.h"
#include "playlistappearance.h"
#include "playlistcommands.h"
#include "playlisticons.h"
#include "playlistmodel.h"
#include "playlisttoolbar.h"
#include "playlistview.h"
#include "playlistwindow.h"
#include "settings/ini.h"
#include "shell/trayhost.h"
#include "shell/trayicon.h"
#include "state/actions.h"

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
    restoreColumns(window, iniPath);
    connect(window.playList(), &PlaylistView::columnsChosen, this, [&window, iniPath] {
        QStringList shown{QStringLiteral("0")};
        for (int c = PlaylistModel::FileSizeColumn; c < PlaylistModel::ColumnCount; ++c) {
            if (window.playList()->columnShown(c))
                shown << QString::number(c);
        }
        WriteIni(QStringLiteral("PlayList"), QStringLiteral("Columns"),
                 shown.join(QLatin1Char(',')), iniPath);
    });

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

void PlaylistWindowKit::restoreColumns(PlaylistWindow& window, const QString& iniPath)
{
    // The columns the user chose ("0,1,3": the file name always counts, so the value is never
    // empty); without the key the file name, size and path columns.
    const QStringList wanted =
        ReadIni(QStringLiteral("PlayList"), QStringLiteral("Columns"), 50, iniPath)
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (wanted.isEmpty())
        return;
    for (int c = PlaylistModel::FileSizeColumn; c < PlaylistModel::ColumnCount; ++c)
        window.playList()->setColumnShown(c, wanted.contains(QString::number(c)));
    // Tag columns shown from the start are read from the start.
    Q_EMIT window.playList()->columnsChosen();
}