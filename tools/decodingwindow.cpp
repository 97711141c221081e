// The conversion window: names the WAV, starts the engine's conversion, marks the player decoding.
#include "decodingwindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "state/actions.h"
#include "state/appstate.h"
#include "conversionwatcher.h"
#include "engine/engine.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "shell/messagebox.h"
#include "textfile.h"

DecodingWindow::DecodingWindow(AppState& state, Engine& engine, TrackOps& trackOps,
                               AppActions& actions, ConversionWatcher& watcher, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_engine(engine), m_trackOps(trackOps),
      m_actions(actions), m_watcher(watcher)
{
    setWindowTitle(QStringLiteral("Decoding"));
    m_target = new QLabel;
    m_target->setTextFormat(Qt::PlainText);
    m_target->setWordWrap(true);
    auto* note = new QLabel(QStringLiteral("対象ﾌｧｲﾙと同ディレクトリに出力されます。"));
    note->setWordWrap(true);

    static const char* const kCaptions[] = {"デコード", "閉じる", "再生デコード"};
    for (int i = 0; i < 3; ++i)
        m_buttons[i] = new QPushButton(QString::fromUtf8(kCaptions[i]));
    connect(m_buttons[0], &QPushButton::clicked, this, &DecodingWindow::decode);
    connect(m_buttons[1], &QPushButton::clicked, this, &QWidget::close);
    connect(m_buttons[2], &QPushButton::clicked, this, &DecodingWindow::playDecode);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_buttons[0]);
    buttons->addWidget(m_buttons[2]);
    buttons->addStretch();
    buttons->addWidget(m_buttons[1]);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_target);
    outer->addWidget(note);
    outer->addLayout(buttons);
    resize(380, 140);
}

bool DecodingWindow::canOpen(Engine& engine, const AppState& state)
{
    int32_t sec = 0;
    return engine.getState(sec) == 0 && state.FileOpened;
}

QString DecodingWindow::stoppedOnlyMessage()
{
    return QStringLiteral("この機能は停止中のみ利用できます！");
}

void DecodingWindow::showWindow()
{
    // Showing an open window only brings it forward; its load runs once per opening.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    m_target->setText(QStringLiteral("対象ﾌｧｲﾙ\n") + targetPath());
    show();
    raise();
    activateWindow();
    m_actions.setMainWindowsEnabled(false);
}

QString DecodingWindow::targetPath() const
{
    return m_trackOps.playlist().rowPath(m_state.CurrentIndex);
}

QString DecodingWindow::outputPath() const
{
    return CompanionPath(targetPath(), QStringLiteral(".wav"));
}

void DecodingWindow::decode()
{
    const QString target = targetPath();
    if (target.isEmpty()) {
        close();
        return;
    }
    if (m_engine.setDecodeOption(DecodeOption{0, 0, 24000}) == 0)
        ShowMessage(this, QStringLiteral("error"));
    const QString output = outputPath();
    const bool started = m_engine.decodeWave(output.toStdString()) != 0;
    m_state.Decoding = true;
    m_watcher.begin(output, started);
    close();
}

void DecodingWindow::playDecode()
{
    const QString target = targetPath();
    if (target.isEmpty()) {
        close();
        return;
    }
    const QString output = outputPath();
    m_engine.playDecodeWave(output.toStdString());
    m_trackOps.PlayTrack();
    // After PlayTrack, which clears it.
    m_state.Decoding = true;
    close();
}

void DecodingWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_actions.setMainWindowsEnabled(true);
    Q_EMIT closed();
}
