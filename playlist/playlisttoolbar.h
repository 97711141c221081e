// The playlist window's toolbar ("Toolbar1"): twelve positions of buttons and separators, three
// of them opening small popup menus at the pointer.
#pragma once

#include <QToolBar>

class PlaylistAppearance;
class PlaylistCommands;
class PlaylistWindow;
class QMenu;
class QToolButton;

class PlaylistToolbar : public QToolBar {
    Q_OBJECT
public:
    PlaylistToolbar(PlaylistWindow& window, PlaylistCommands& commands,
                    PlaylistAppearance& appearance);

    // The button at a 1-based position; nullptr for the separators (4, 7, 10).
    QToolButton* button(int position) const;
    QMenu* openMenu() const { return m_openMenu; }   // "Popup"
    QMenu* trashMenu() const { return m_trashMenu; } // "Popup2"
    // Narrower than its captions need (a window snapped to an edge), the bar shows small
    // icons only, so that every button stays in reach.
    bool isCompact() const { return toolButtonStyle() == Qt::ToolButtonIconOnly; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void addButton(int position, const QString& text, const QIcon& icon,
                   const std::function<void()>& action);
    void addSeparatorAt(int position);

    QMenu* m_openMenu = nullptr;
    QMenu* m_trashMenu = nullptr;
    QAction* m_positions[12] = {};
    int m_captionedWidth = 0;
};
