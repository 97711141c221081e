// The sound window ("Sound", once "Form8"): playback pitch in percent and the play-speed step.
#pragma once

#include <QWidget>

#include <array>

class Engine;
class QLabel;
class QPushButton;
class QSlider;

inline constexpr int kPitchMinPercent = 50;
inline constexpr int kPitchMaxPercent = 300;
inline constexpr int kPitchNormalPercent = 100;
// The engine's step divisor, always passed with the play-speed step.
inline constexpr int kStepPitchDivisor = 5;

QString PitchCaption(int percent); // "Pitch(N%)"

class PitchWindow : public QWidget {
    Q_OBJECT
public:
    explicit PitchWindow(Engine& engine, QWidget* parent = nullptr);

    // Opens the window with the slider at the engine's pitch.
    void showWindow();
    // ×1, ×2, ×3: step 1..3.
    void setSpeedStep(int step);
    // Back to normal pitch and speed.
    void restoreDefaults();

    QSlider* slider() const { return m_slider; }
    QLabel* pitchLabel() const { return m_pitchLabel; }
    QPushButton* speedButton(int index) const { return m_speedButtons[index]; }
    QPushButton* defaultsButton() const { return m_defaults; }
    QPushButton* closeButton() const { return m_close; }

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void sliderChanged(int percent);

    Engine& m_engine;
    QSlider* m_slider = nullptr;
    QLabel* m_pitchLabel = nullptr;
    std::array<QPushButton*, 3> m_speedButtons{};
    QPushButton* m_defaults = nullptr;
    QPushButton* m_close = nullptr;
};
