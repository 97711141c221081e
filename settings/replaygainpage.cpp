// ReplayGain controls and keys.
#include "replaygainpage.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>

#include "ini.h"
#include "state/appstate.h"

namespace {
const QString kSection = QStringLiteral("ReplayGain");
constexpr int kNumberBuffer = 50;
constexpr int kMinPreamp = -60, kMaxPreamp = 120;
constexpr int kMaxUntagged = 120;

int readKey(const QString& key, int low, int high, const QString& file)
{
    bool ok = false;
    const qlonglong value = ReadIni(kSection, key, kNumberBuffer, file).trimmed().toLongLong(&ok);
    return ok && value >= low && value <= high ? static_cast<int>(value) : 0;
}

QDoubleSpinBox* decibels(double low, double high, const QString& name, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" dB"));
    return box;
}
} // namespace

void LoadReplayGainSettings(AppState& state, const QString& file)
{
    state.ReplayGainMode = readKey(QStringLiteral("Mode"), 0, 3, file);
    state.ReplayGainPreamp = readKey(QStringLiteral("Preamp"), kMinPreamp, kMaxPreamp, file);
    state.ReplayGainUntagged =
        readKey(QStringLiteral("Untagged"), -kMaxUntagged, kMaxUntagged, file);
    state.ReplayGainChanged = true;
}

bool SaveReplayGainSettings(const AppState& state, const QString& file)
{
    bool ok =
        WriteIni(kSection, QStringLiteral("Mode"), QString::number(state.ReplayGainMode), file);
    ok &=
        WriteIni(kSection, QStringLiteral("Preamp"), QString::number(state.ReplayGainPreamp), file);
    ok &= WriteIni(kSection, QStringLiteral("Untagged"), QString::number(state.ReplayGainUntagged),
                   file);
    return ok;
}

ReplayGainPage::ReplayGainPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("replayGainPage"));
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("replayGainMode"));
    m_mode->addItems({QStringLiteral("使わない"), QStringLiteral("トラック単位"),
                      QStringLiteral("アルバム単位"),
                      QStringLiteral("前後の曲が同じアルバムならアルバム単位")});
    m_preamp =
        decibels(kMinPreamp / 10.0, kMaxPreamp / 10.0, QStringLiteral("replayGainPreamp"), this);
    m_untagged = decibels(-kMaxUntagged / 10.0, kMaxUntagged / 10.0,
                          QStringLiteral("replayGainUntagged"), this);
    auto* note =
        new QLabel(QStringLiteral("ReplayGain の値がない曲は、初めて再生したときに音量を"
                                  "測って設定フォルダに記録します。曲のファイルは変更しません。"),
                   this);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("音量補正 (ReplayGain)"), m_mode);
    form->addRow(QStringLiteral("プリアンプ"), m_preamp);
    form->addRow(QStringLiteral("値のない曲"), m_untagged);
    form->addRow(note);
}

void ReplayGainPage::load(const AppState& state)
{
    m_mode->setCurrentIndex(std::clamp(state.ReplayGainMode, 0, 3));
    m_preamp->setValue(state.ReplayGainPreamp / 10.0);
    m_untagged->setValue(state.ReplayGainUntagged / 10.0);
}

void ReplayGainPage::store(AppState& state) const
{
    state.ReplayGainMode = m_mode->currentIndex();
    state.ReplayGainPreamp = static_cast<int>(std::lround(m_preamp->value() * 10));
    state.ReplayGainUntagged = static_cast<int>(std::lround(m_untagged->value() * 10));
    state.ReplayGainChanged = true;
}
