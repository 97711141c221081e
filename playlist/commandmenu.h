// The program's full command menu ("Popup4"): adding tracks, transport, the main window's
// display choices, the other windows, fades, play modes, help and quit, with its check marks.
#pragma once

#include <QObject>
#include <QString>

class AppActions;
class PlaylistWindow;
class QAction;
class QMenu;
class QPoint;

class CommandMenu : public QObject {
    Q_OBJECT
public:
    // Settings the menu changes are written to iniPath.
    CommandMenu(PlaylistWindow& window, AppActions& actions, const QString& iniPath);

    QMenu* menu() const { return m_menu; }
    // Opens the menu at a global screen position, its check marks fresh from the state.
    void popupAt(const QPoint& globalPos);
    // Puts every check mark in line with the program-wide state.
    void syncChecks();

    // An item by its name: "p1_0" for item 0 of array p1, "p33" for a single item.
    QAction* item(const QString& name) const;

private:
    QAction* add(QMenu* menu, const QString& name, const QString& caption, bool checkable,
                 void (CommandMenu::*handler)(int), int index);
    // Puts actions in one group that shows radio marks.
    void radioGroup(const QList<QAction*>& actions);
    void build();

    void open(int index);
    void transport(int index);
    void step(int index);
    void spectrum(int index);
    void oscilloscope(int index);
    void noDisplay(int index);
    void toggleStarDust(int index);
    void toggleAlwaysTop(int index);
    void windows(int index);
    void toolWindow(int index);
    void fade(int index);
    void playMode(int index);
    void about(int index);
    void restore(int index);
    void quit(int index);
    void saveSettings();

    PlaylistWindow& m_window;
    AppActions& m_actions;
    QString m_iniPath;
    QMenu* m_menu = nullptr;
};
