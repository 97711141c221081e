// The fifteen commands of the menu panel: three entries on each of five pages.
#pragma once

class AppActions;
class Engine;
class PlaylistModel;
class QWidget;
struct AppState;

class MenuCommands {
public:
    MenuCommands(AppState& state, Engine& engine, PlaylistModel& playlist, AppActions& actions);

    // Runs entry 1..3 of page 0..4. parent owns the message boxes.
    void run(int page, int entry, QWidget* parent);

    // The messages of the commands that refuse.
    static const char* const kStoppedOnlyMessage;
    static const char* const kNoFileMessage;

private:
    void nextPlayMode();
    void convertToWav(QWidget* parent);
    void toggleFadeIn();
    void editTag(QWidget* parent);

    AppState& m_state;
    Engine& m_engine;
    AppActions& m_actions;
    PlaylistModel& m_playlist;
};
