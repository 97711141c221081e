// The sound window: the pitch follows the slider at once; the speed buttons only pass the step on.
#include "pitchwindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "engine/engine.h"

QString PitchCaption(int percent)
{
    return QStringLiteral("Pitch(%1%)").arg(percent);
}

PitchWindow::PitchWindow(Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Sound"));

    m_pitchLabel = new QLabel(PitchCaption(kPitchNormalPercent));
    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setRange(kPitchMinPercent, kPitchMaxPercent);
    m_slider->setPageStep(10);
    m_slider->setMinimumWidth(220);
    connect(m_slider, &QSlider::valueChanged, this, &PitchWindow::sliderChanged);

    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel(QString::number(kPitchMinPercent)));
    ends->addStretch();
    ends->addWidget(new QLabel(QString::number(kPitchMaxPercent)));

    auto* speed = new QHBoxLayout;
    speed->addWidget(new QLabel(QStringLiteral("PlaySpeed")));
    static const char* const kSpeedCaptions[] = {"×1", "×2", "×3"};
    for (int i = 0; i < 3; ++i) {
        m_speedButtons[i] = new QPushButton(QString::fromUtf8(kSpeedCaptions[i]));
        // The pressed-in button shows the speed in use.
        m_speedButtons[i]->setCheckable(true);
        m_speedButtons[i]->setAutoExclusive(true);
        m_speedButtons[i]->setChecked(i == 0);
        speed->addWidget(m_speedButtons[i]);
        connect(m_speedButtons[i], &QPushButton::clicked, this, [this, i] { setSpeedStep(i + 1); });
    }

    m_defaults = new QPushButton(QStringLiteral("初期設定"));
    m_close = new QPushButton(QStringLiteral("閉じる"));
    connect(m_defaults, &QPushButton::clicked, this, &PitchWindow::restoreDefaults);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_defaults);
    bottom->addWidget(m_close);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_pitchLabel);
    outer->addWidget(m_slider);
    outer->addLayout(ends);
    outer->addLayout(speed);
    outer->addLayout(bottom);
}

void PitchWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    // The slider clamps a pitch outside its range; the change handler then tells the engine.
    m_slider->setValue(m_engine.getPitch());
    m_pitchLabel->setText(PitchCaption(m_slider->value()));
    show();
    raise();
    activateWindow();
}

void PitchWindow::sliderChanged(int percent)
{
    m_engine.setPitch(percent);
    m_pitchLabel->setText(PitchCaption(percent));
}

void PitchWindow::setSpeedStep(int step)
{
    m_engine.setStepPitch(step, kStepPitchDivisor);
    m_speedButtons[step - 1]->setChecked(true);
}

void PitchWindow::restoreDefaults()
{
    setSpeedStep(1);
    m_engine.setPitch(kPitchNormalPercent);
    m_pitchLabel->setText(PitchCaption(kPitchNormalPercent));
    m_slider->setValue(kPitchNormalPercent);
}

void PitchWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closed();
}
