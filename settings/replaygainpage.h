// The settings window's ReplayGain tab: how each track's gain is chosen, the pre-amplification
// and the gain of tracks without figures; and where those settings live in Property.ini.
#pragma once

#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
struct AppState;

// Reads section ReplayGain of file into state (Mode 0..3, Preamp -60..120 and Untagged
// -120..120 in tenths of a dB); a missing, damaged or out-of-range value gives 0.
void LoadReplayGainSettings(AppState& state, const QString& file);
// Writes those three keys. False when the file cannot be written.
bool SaveReplayGainSettings(const AppState& state, const QString& file);

class ReplayGainPage : public QWidget {
    Q_OBJECT
public:
    explicit ReplayGainPage(QWidget* parent = nullptr);
    void load(const AppState& state);
    // Stores the controls in state and marks them for the engine.
    void store(AppState& state) const;

private:
    QComboBox* m_mode = nullptr;
    QDoubleSpinBox* m_preamp = nullptr;
    QDoubleSpinBox* m_untagged = nullptr;
};
