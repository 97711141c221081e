// The equaliser window: sliders, presets and preset files.
#include "equalizerwindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "engine/engine.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"
#include "textfile.h"

#include <algorithm>
#include <initializer_list>

namespace {
const DialogFilter kKeqFilter = {
    {QStringLiteral("GraphicEQ File(*.keq)"), QStringLiteral("*.keq")},
    {QStringLiteral("全てのﾌｧｲﾙ(*.*)"), QStringLiteral("*.*")},
};

// A preset file is one short line; anything past this is not read.
constexpr qint64 kMaxKeqFileBytes = 1024 * 1024;

QString keqErrorText(KeqError error)
{
    switch (error) {
    case KeqError::TooFewValues:
        return QStringLiteral("10個の値がそろっていません。");
    case KeqError::NotANumber:
        return QStringLiteral("数値でない値があります。");
    case KeqError::OutOfRange:
        return QStringLiteral("-120から120の範囲外の値があります。");
    case KeqError::None:
        break;
    }
    return {};
}
// The width label needs for the widest of texts with any digits in their digits' places.
int widestWidth(const QLabel* label, std::initializer_list<QString> texts)
{
    int widest = 0;
    for (QString text : texts) {
        int digitWidth = 0;
        QChar widestDigit = QLatin1Char('0');
        for (char d = '0'; d <= '9'; ++d) {
            const int width = label->fontMetrics().horizontalAdvance(QLatin1Char(d));
            if (width > digitWidth) {
                digitWidth = width;
                widestDigit = QLatin1Char(d);
            }
        }
        for (QChar& c : text) {
            if (c.isDigit())
                c = widestDigit;
        }
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(text));
    }
    return widest;
}
} // namespace

EqualizerWindow::EqualizerWindow(Engine& engine, EqMemory& memory, QWidget* parent)
    : QWidget(parent, Qt::Window), m_engine(engine), m_memory(memory)
{
    setWindowTitle(QStringLiteral("Graphic EQ"));
    // What the engine lowers the whole sound by so that the loudest frequency cannot clip.
    m_headroom = new QLabel(EqHeadroomText(EqPositions{}));
    // The read-outs are as wide as their widest text from the start, so that the window keeps
    // its size (and its buttons their places) as the values change.
    EqPositions loudest;
    loudest.fill(kEqMinPosition);
    m_headroom->setMinimumWidth(widestWidth(m_headroom, {EqHeadroomText(loudest)}));

    auto* bands = new QGridLayout;
    auto* scale = new QVBoxLayout;
    scale->addWidget(new QLabel(QStringLiteral("12dB")));
    scale->addStretch();
    scale->addWidget(new QLabel(QStringLiteral("0dB")));
    scale->addStretch();
    scale->addWidget(new QLabel(QStringLiteral("-12dB")));
    bands->addLayout(scale, 0, 0);
    static const char* const kBandLabels[kEqBands] = {"60", "170", "310", "600", "1K",
                                                      "3K", "6K",  "12K", "14K", "16K"};
    for (int i = 0; i < kEqBands; ++i) {
        auto* slider = new QSlider(Qt::Vertical);
        // The slider holds the negated position, so the lowest position (the greatest boost)
        // sits at the top and the groove fills from the bottom: a boost looks fuller.
        slider->setRange(-kEqMaxPosition, -kEqMinPosition);
        slider->setSingleStep(1);
        slider->setPageStep(10);
        slider->setMinimumHeight(140);
        m_sliders[i] = slider;
        connect(slider, &QSlider::valueChanged, this,
                [this] { m_headroom->setText(EqHeadroomText(positions())); });
        bands->addWidget(slider, 0, i + 1, Qt::AlignHCenter);
        bands->addWidget(new QLabel(QString::fromLatin1(kBandLabels[i])), 1, i + 1,
                         Qt::AlignHCenter);
        auto* value = new QLabel;
        value->setAlignment(Qt::AlignCenter);
        value->setFixedWidth(
            widestWidth(value, {EqBandDbText(kEqMinPosition), EqBandDbText(kEqMaxPosition)}));
        m_values[i] = value;
        bands->addWidget(value, 2, i + 1, Qt::AlignHCenter);
        connect(slider, &QSlider::valueChanged, value, [value](int negated) {
            value->setText(EqBandDbText(-negated));
        });
        value->setText(EqBandDbText(0));
    }

    auto* presetFrame = new QGroupBox(QStringLiteral("Graphic EQ Type"));
    auto* presetLayout = new QVBoxLayout(presetFrame);
    m_presetGroup = new QButtonGroup(this);
    for (int k = 0; k < kEqPresetCount; ++k) {
        m_presets[k] = new QRadioButton(EqPresetCaption(k));
        m_presetGroup->addButton(m_presets[k], k);
        presetLayout->addWidget(m_presets[k]);
    }
    connect(m_presetGroup, &QButtonGroup::idClicked, this, &EqualizerWindow::choosePreset);

    auto* buttons = new QHBoxLayout;
    static const char* const kButtonCaptions[] = {"反映", "保存", "読み込み", "閉じる"};
    buttons->addWidget(m_headroom);
    buttons->addStretch();
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QPushButton(QString::fromUtf8(kButtonCaptions[i]));
        buttons->addWidget(m_buttons[i]);
    }
    connect(m_buttons[0], &QPushButton::clicked, this, &EqualizerWindow::SetEQ);
    connect(m_buttons[1], &QPushButton::clicked, this, &EqualizerWindow::saveFile);
    connect(m_buttons[2], &QPushButton::clicked, this, &EqualizerWindow::loadFile);
    connect(m_buttons[3], &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addLayout(bands, 1);
    top->addWidget(presetFrame);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(buttons);
}

void EqualizerWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    EqPositions remembered{};
    for (int i = 0; i < kEqBands; ++i)
        remembered[i] = m_memory.EqSliders[i];
    setPositions(remembered);
    // Selecting the remembered preset counts as choosing it, so its shape wins.
    const int preset = qBound(0, int(m_memory.EqPreset), kEqPresetCount - 1);
    m_presets[preset]->setChecked(true);
    choosePreset(preset);
    show();
    raise();
    activateWindow();
}

EqPositions EqualizerWindow::positions() const
{
    EqPositions out{};
    for (int i = 0; i < kEqBands; ++i)
        out[i] = -m_sliders[i]->value();
    return out;
}

void EqualizerWindow::setPositions(const EqPositions& positions)
{
    for (int i = 0; i < kEqBands; ++i)
        m_sliders[i]->setValue(-positions[i]);
}

int EqualizerWindow::selectedPreset() const
{
    return m_presetGroup->checkedId();
}

void EqualizerWindow::choosePreset(int preset)
{
    if (preset >= 0 && preset < kEqPresetCount)
        setPositions(EqPresetPositions(preset));
}

void EqualizerWindow::SetEQ()
{
    const EqPositions now = positions();
    const auto gains = EqGains(now);
    m_engine.reload();
    m_engine.setEqualizer(gains.data());
    for (int i = 0; i < kEqBands; ++i)
        m_memory.EqSliders[i] = static_cast<int16_t>(now[i]);
    if (selectedPreset() >= 0)
        m_memory.EqPreset = static_cast<int16_t>(selectedPreset());
}

void EqualizerWindow::saveFile()
{
    const QString chosen = ShowSaveDialog(this, kKeqFilter, DialogKind::Presets);
    if (chosen.isEmpty())
        return;
    bool askFirst = false;
    const QString name = KeqSaveName(chosen, askFirst);
    if (askFirst && ShowMessage(this,
                                QStringLiteral("イコライザファイルを上書き保存しますか？\n") + name,
                                QStringLiteral("上書き保存"), QMessageBox::Question,
                                QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    QString error;
    if (!WriteFileSafely(name, FormatKeq(positions()), error))
        ShowMessage(
            this,
            QStringLiteral("イコライザファイルを保存できませんでした。\n%1\n%2").arg(name, error),
            kAppTitle, QMessageBox::Critical);
}

void EqualizerWindow::loadFile()
{
    const QString name = ShowOpenDialog(this, kKeqFilter, DialogKind::Presets);
    if (name.isEmpty() || !IsKeqLoadName(name))
        return;
    QString text;
    QString error;
    if (!ReadTextFile(name, text, error, kMaxKeqFileBytes)) {
        ShowMessage(
            this,
            QStringLiteral("イコライザファイルを読み込めませんでした。\n%1\n%2").arg(name, error),
            kAppTitle, QMessageBox::Critical);
        return;
    }
    const KeqParse parsed = ParseKeq(text);
    if (!parsed.positions) {
        ShowMessage(this,
                    QStringLiteral("イコライザファイルの形式が正しくありません。\n%1\n%2")
                        .arg(name, keqErrorText(parsed.error)),
                    kAppTitle, QMessageBox::Critical);
        return;
    }
    setPositions(*parsed.positions);
    SetEQ();
}

void EqualizerWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closed();
}
