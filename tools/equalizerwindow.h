// The graphic equaliser ("Graphic EQ", once "Form6"): ten band sliders, seven presets, and
// ".keq" preset files.
#pragma once

#include <QWidget>

#include <array>

#include "eqpresets.h"

class Engine;
class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QLabel;
class QSlider;

class EqualizerWindow : public QWidget {
    Q_OBJECT
public:
    EqualizerWindow(Engine& engine, EqMemory& memory, QWidget* parent = nullptr);

    // Opens the window showing the remembered sliders, then the remembered preset's shape.
    void showWindow();

    // Sends the sliders to the engine and remembers them for the run.
    void SetEQ();
    // Moves the sliders to preset k; the engine hears nothing until SetEQ.
    void choosePreset(int preset);
    void saveFile();
    void loadFile();

    EqPositions positions() const;
    void setPositions(const EqPositions& positions);
    int selectedPreset() const; // -1 when none is selected

    // Band's slider; its value is minus the band's position (the top is the greatest boost).
    QSlider* slider(int band) const { return m_sliders[band]; }
    QRadioButton* presetButton(int preset) const { return m_presets[preset]; }
    QPushButton* button(int index) const { return m_buttons[index]; } // apply, save, load, close
    // The headroom the sliders as shown need ("ヘッドルーム −6.0 dB").
    QLabel* headroomLabel() const { return m_headroom; }

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Engine& m_engine;
    EqMemory& m_memory;
    std::array<QSlider*, kEqBands> m_sliders{}; // each holds minus its band's position
    std::array<QLabel*, kEqBands> m_values{};   // the band's gain in dB
    std::array<QRadioButton*, kEqPresetCount> m_presets{};
    QButtonGroup* m_presetGroup = nullptr;
    std::array<QPushButton*, 4> m_buttons{};
    QLabel* m_headroom = nullptr;
};
