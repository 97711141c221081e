// Toolbar buttons and their popup menus; each button hands over to a command object.
#include "playlisttoolbar.h"

#include "playlistappearance.h"
#include "playlistcommands.h"
#include "playlistfile.h"
#include "playlisticons.h"
#include "playlistroads.h"
#include "playlistwindow.h"

#include <QCursor>
#include <QMenu>
#include <QResizeEvent>
#include <QToolButton>

PlaylistToolbar::PlaylistToolbar(PlaylistWindow& window, PlaylistCommands& commands,
                                 PlaylistAppearance& appearance)
    : QToolBar(&window)
{
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(20, 20));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // Small captions, so that all nine buttons fit the window's start width.
    QFont captionFont = font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.8);
    setFont(captionFont);

    m_openMenu = new QMenu(this);
    m_openMenu->setObjectName(QStringLiteral("Popup"));
    m_openMenu->addAction(QStringLiteral("ﾌｧｲﾙ指定(&F)"), this,
                          [&window] { window.roads().AddFromFileDialog(&window); });
    m_openMenu->addAction(QStringLiteral("ﾌｫﾙﾀﾞ指定(&G)"), this,
                          [&window] { window.roads().AddFromFolder(&window); });

    m_trashMenu = new QMenu(this);
    m_trashMenu->setObjectName(QStringLiteral("Popup2"));
    m_trashMenu->addAction(QStringLiteral("選択されているアイテム(&S)"), this,
                           [&commands] { commands.DeleteItem(); });
    m_trashMenu->addAction(QStringLiteral("全てのアイテム(&A)"), this,
                           [&commands] { commands.DeleteAllItems(); });

    QMenu* propertyMenu = appearance.propertyMenu();
    const auto popup = [](QMenu* menu) { return [menu] { menu->popup(QCursor::pos()); }; };

    addButton(1, QStringLiteral("Open"), ToolbarIcon(ToolbarGlyph::Open), popup(m_openMenu));
    addButton(2, QStringLiteral("Save"), ToolbarIcon(ToolbarGlyph::Save),
              [&window] { SavePlaylist(&window, window.model()); });
    addButton(3, QStringLiteral("Trash"), ToolbarIcon(ToolbarGlyph::Trash), popup(m_trashMenu));
    addSeparatorAt(4);
    addButton(5, QStringLiteral("File Infomation"), ToolbarIcon(ToolbarGlyph::FileInfo),
              [&commands] { commands.showFileInfo(); });
    addButton(6, QStringLiteral("Property"), ToolbarIcon(ToolbarGlyph::Property),
              popup(propertyMenu));
    addSeparatorAt(7);
    addButton(8, QStringLiteral("Down"), ToolbarIcon(ToolbarGlyph::Down),
              [&commands] { commands.moveDown(); });
    addButton(9, QStringLiteral("Up"), ToolbarIcon(ToolbarGlyph::Up),
              [&commands] { commands.moveUp(); });
    addSeparatorAt(10);
    addButton(11, QStringLiteral("Help"), ToolbarIcon(ToolbarGlyph::Help),
              [&commands] { commands.help(); });
    addButton(12, QStringLiteral("Hide"), ToolbarIcon(ToolbarGlyph::Hide),
              [&commands] { commands.hideWindow(); });
    m_captionedWidth = sizeHint().width();
}

void PlaylistToolbar::resizeEvent(QResizeEvent* event)
{
    const bool compact = event->size().width() < m_captionedWidth;
    if (compact != isCompact()) {
        setToolButtonStyle(compact ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
        setIconSize(compact ? QSize(16, 16) : QSize(20, 20));
    }
    QToolBar::resizeEvent(event);
}

void PlaylistToolbar::addButton(int position, const QString& text, const QIcon& icon,
                                const std::function<void()>& action)
{
    QAction* button = addAction(icon, text);
    button->setObjectName(QStringLiteral("toolbarButton%1").arg(position));
    connect(button, &QAction::triggered, this, action);
    m_positions[position - 1] = button;
}

void PlaylistToolbar::addSeparatorAt(int position)
{
    m_positions[position - 1] = addSeparator();
}

QToolButton* PlaylistToolbar::button(int position) const
{
    if (position < 1 || position > 12)
        return nullptr;
    QAction* action = m_positions[position - 1];
    if (!action || action->isSeparator())
        return nullptr;
    return qobject_cast<QToolButton*>(widgetForAction(action));
}
