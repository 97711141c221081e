// The playlist window ("Form2"): the list view of the playlist, its row-count caption, and the
// roads in that act on it (double-click, drops, the folder shortcut keys).
//
// Toolbar, menus and appearance hook in from outside: toolBarSlot() takes a toolbar above the
// list, and playList() / model() give the view and the rows.
#pragma once

#include <QWidget>

#include <memory>

struct AppState;
class JumpBox;
class PlaylistModel;
class PlaylistRoads;
class PlaylistView;
class QVBoxLayout;
class RowTagLoader;
class TrackOps;

class PlaylistWindow : public QWidget {
    Q_OBJECT
public:
    PlaylistWindow(AppState& state, PlaylistModel& playlist, TrackOps& ops,
                   QWidget* parent = nullptr);
    ~PlaylistWindow() override;

    PlaylistView* playList() const { return m_playList; }
    PlaylistModel& model() { return m_playlist; }
    TrackOps& trackOps() { return m_ops; }
    PlaylistRoads& roads() { return *m_roads; }
    AppState& state() { return m_state; }

    // The layout above the list view where a toolbar goes (empty until one is added).
    QVBoxLayout* toolBarSlot() const { return m_toolBarSlot; }
    void setToolBar(QWidget* toolBar);

    // Ctrl+J and J: the jump box, created on first use.
    void showJumpBox();
    JumpBox* jumpBox() const { return m_jumpBox; }
    // Reads the rows' tags in the background once a tag column shows or the box opens.
    RowTagLoader& tagLoader() { return *m_tagLoader; }
    // Rows dragged to stand before row before; the current row's number follows it.
    void moveRowsTo(const QList<int>& rows, int before);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Folder shortcut keys 1..5; true when the key was one of them.
    bool handleShortcutKey(QKeyEvent* event);
    bool handleJumpKey(QKeyEvent* event);
    // Starts the tag reading when a tag column is shown.
    void readTagsWhenShown();

    AppState& m_state;
    PlaylistModel& m_playlist;
    TrackOps& m_ops;
    std::unique_ptr<PlaylistRoads> m_roads;
    QVBoxLayout* m_toolBarSlot = nullptr;
    PlaylistView* m_playList = nullptr;
    RowTagLoader* m_tagLoader = nullptr;
    JumpBox* m_jumpBox = nullptr;
};
