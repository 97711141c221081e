// The conversion window ("Decoding", once "Form7"): writes the current track to a WAV file beside
// it, silently or while playing. The main and playlist windows are disabled while it is open.
#pragma once

#include <QWidget>

#include <array>

class AppActions;
class ConversionWatcher;
class Engine;
class QLabel;
class QPushButton;
class TrackOps;
struct AppState;

class DecodingWindow : public QWidget {
    Q_OBJECT
public:
    DecodingWindow(AppState& state, Engine& engine, TrackOps& trackOps, AppActions& actions,
                   ConversionWatcher& watcher, QWidget* parent = nullptr);

    // The openers' rule: only while a track is open and the engine is stopped.
    static bool canOpen(Engine& engine, const AppState& state);
    // What the main window's menu says when canOpen is false.
    static QString stoppedOnlyMessage();

    // Opens the window for the current playlist entry and disables the other windows.
    void showWindow();
    // "デコード": write the WAV at full speed without sound.
    void decode();
    // "再生デコード": write the WAV while playing the track.
    void playDecode();

    // The current playlist entry's path and the WAV it is written to.
    QString targetPath() const;
    QString outputPath() const;

    QLabel* targetLabel() const { return m_target; }
    QPushButton* button(int index) const { return m_buttons[index]; } // decode, close, play

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppState& m_state;
    Engine& m_engine;
    TrackOps& m_trackOps;
    AppActions& m_actions;
    ConversionWatcher& m_watcher;
    QLabel* m_target = nullptr;
    std::array<QPushButton*, 3> m_buttons{};
};
