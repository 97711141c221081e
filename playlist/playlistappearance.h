// The playlist window's look: start size and size rule, background picture and text colour
// (remembered in section PlayList), snapping to a screen edge, and the "Property" menu.
#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>

class PlaylistWindow;
class QAction;
class QMenu;

inline constexpr QSize kPlaylistStartSize{490, 350};
// The smallest side the window keeps.
inline constexpr int kPlaylistMinSide = 200;

// The size rule: a side below kPlaylistMinSide pixels springs back to 250.
QSize FitPlaylistSize(const QSize& size);

struct ListTextColour {
    const char* caption;
    QColor colour;
};
// The ten text colours, numbered as the Fontcolor setting stores them.
const std::array<ListTextColour, 10>& ListTextColours();
// The colour number of a Fontcolor value ("7" or " 7"), -1 for anything else.
int ParseFontcolor(const QString& value);

// The pixels to keep free below a window that should end above the taskbar or panel.
int TaskbarHeight(const QRect& screen, const QRect& available);
enum class SnapSide { Left, Right };
inline constexpr int kSnapWidth = 260;
// The frame rectangle of the playlist window snapped to one side: a 260-pixel column over the
// whole height that panels leave free.
QRect SnapRect(const QRect& screen, const QRect& available, SnapSide side);

// Picture n (1..4) of the bundled backgrounds.
QString BackgroundPicturePath(int n);
// A name the background loader takes: ".bmp", ".gif" or ".jpg" by its last four characters.
bool IsBackgroundPictureName(const QString& name);

class PlaylistAppearance : public QObject {
    Q_OBJECT
public:
    PlaylistAppearance(PlaylistWindow& window, const QString& iniPath);

    // The start-up steps: size, background and colour from the settings.
    void load();

    // "Property" popup ("Popup3") with the background, colour and snap sub-menus.
    QMenu* propertyMenu() const { return m_menu; }
    // Background item i: 0 none, 2..5 pictures 1..4, 6 a chosen file.
    void chooseBackground(int item);
    // Marks the background item that matches wallPath.
    void markBackground(const QString& wallPath);
    // Colour item i (0..9).
    void chooseColour(int item);
    void snap(SnapSide side);

    // The colour item carrying the check mark, -1 when none does.
    int checkedColour() const;
    QAction* backgroundAction(int item) const
    {
        return m_backgroundItems[static_cast<size_t>(item)];
    }
    QAction* colourAction(int item) const { return m_colourItems[static_cast<size_t>(item)]; }
    QAction* snapAction(SnapSide side) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColour(int item);
    void buildMenu();

    PlaylistWindow& m_window;
    // The window as the event filter sees it, also while the window is being destroyed.
    QObject* m_windowObject = nullptr;
    QString m_iniPath;
    QMenu* m_menu = nullptr;
    std::array<QAction*, 7> m_backgroundItems{}; // "m31"; item 1 is the separator
    std::array<QAction*, 10> m_colourItems{};    // "m51"
    std::array<QAction*, 2> m_snapItems{};       // "m41"
};
