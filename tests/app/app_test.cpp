// The composed program on the offscreen platform with the engine test double: start-up from the
// backup, the quit question, the backup written at quit, the end-of-track flag.
#include "app/app.h"

#include "fakeengine.h"
#include "fixtures.h"
#include "player/mainwindow.h"
#include "playlist/playlistmodel.h"
#include "playlist/playlistwindow.h"
#include "settings/settingswindow.h"
#include "shell/messagebox.h"
#include "tools/equalizerwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_home = QString::fromStdString(TestTempDir()) + QStringLiteral("/home%1").arg(++counter);
        QDir().mkpath(m_home);
        qputenv("MORVANE_HOME", m_home.toUtf8());
        MessageBoxScript::enable();
    }
    void TearDown() override
    {
        MessageBoxScript::disable();
        qunsetenv("MORVANE_HOME");
    }
    void writeSettings(const QByteArray& ini)
    {
        QFile f(m_home + "/Property.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }
    void writeBackup(const QStringList& paths)
    {
        QFile f(m_home + "/listbu.bak");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QString& p : paths)
            f.write(("\"" + p + "\"\r\n").toUtf8());
    }
    QByteArray readBackup()
    {
        QFile f(m_home + "/listbu.bak");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QString m_home;
    AppState m_state;
    FakeEngine m_engine;
};

TEST_F(AppTest, StartUpRestoresTheBackupAndOpensRowOneWithoutPlaying)
{
    const QString dir = QString::fromStdString(TestTempDir());
    writeBackup({dir + "/a.mp3", dir + "/b.mp3", dir + "/c.mp3"});
    App app(m_state, m_engine);
    app.load({});
    EXPECT_EQ(app.playlist().count(), 3);
    EXPECT_EQ(app.playlist().rowPath(1), dir + "/a.mp3");
    EXPECT_EQ(app.playlist().rowPath(3), dir + "/c.mp3");
    EXPECT_EQ(m_state.CurrentIndex, 1);
    EXPECT_EQ(m_engine.lastOpened, (dir + "/a.mp3").toStdString());
    EXPECT_EQ(m_engine.count("play"), 0);
    EXPECT_EQ(m_state.PlayMode, 1);
    EXPECT_EQ(app.timer().Interval(), 20);
    EXPECT_EQ(m_engine.count("init"), 1);
    EXPECT_NE(m_engine.registered, nullptr);
}

TEST_F(AppTest, CancelledQuitChangesNothingAndConfirmedQuitWritesTheBackup)
{
    const QString dir = QString::fromStdString(TestTempDir());
    writeBackup({dir + "/x.mp3", dir + "/y.mp3"});
    App app(m_state, m_engine);
    app.load({});
    QFile::remove(m_home + "/listbu.bak");

    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    app.quitApp();
    EXPECT_FALSE(app.quitting());
    EXPECT_EQ(m_engine.count("close"), 0);
    EXPECT_EQ(app.playlist().count(), 2);
    ASSERT_FALSE(MessageBoxScript::shown().empty());
    EXPECT_EQ(MessageBoxScript::shown().back().text, QStringLiteral("ﾌﾟﾛｸﾞﾗﾑを終了しますか？"));
    EXPECT_EQ(MessageBoxScript::shown().back().caption, QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの終了"));

    MessageBoxScript::pushAnswer(QMessageBox::Ok);
    app.quitApp();
    EXPECT_TRUE(app.quitting());
    EXPECT_EQ(m_engine.count("close"), 1);
    EXPECT_EQ(m_engine.count("free"), 1);
    EXPECT_EQ(readBackup(), ("\"" + dir + "/x.mp3\"\r\n\"" + dir + "/y.mp3\"\r\n").toUtf8());
}

TEST_F(AppTest, EmptyPlaylistAtQuitWritesAnEmptyBackupAndTheNextStartOpensNothing)
{
    {
        App app(m_state, m_engine);
        app.load({});
        app.emergencyQuit();
    }
    EXPECT_EQ(readBackup(), QByteArray());
    AppState next;
    FakeEngine engine;
    App app(next, engine);
    app.load({});
    EXPECT_EQ(app.playlist().count(), 0);
    EXPECT_EQ(engine.count("open"), 0);
}

TEST_F(AppTest, VolumeMutePlayModeEqualiserAndPlaceComeBackAtTheNextStart)
{
    const QString dir = QString::fromStdString(TestTempDir());
    // A file from before these keys existed: the start values.
    writeSettings("[Window]\r\nStarttype= 0\r\n");
    writeBackup({dir + "/a.mp3"});
    {
        App app(m_state, m_engine);
        app.load({});
        EXPECT_EQ(m_state.Volume, 80);
        EXPECT_EQ(m_state.PlayMode, 1);
        m_state.Volume = 37;
        m_state.Mute = true;
        m_state.MuteVolume = 37;
        m_state.PlayMode = 2;
        app.mainWindow().move(app.mainWindow().pos() + QPoint(23, 17));
        app.showToolWindow(ToolWindow::Equalizer);
        EqualizerWindow* eq = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<EqualizerWindow*>(w))
                eq = found;
        ASSERT_NE(eq, nullptr);
        eq->presetButton(1)->setChecked(true);
        eq->choosePreset(1); // "Rock"
        eq->SetEQ();
        const QPoint place = app.mainWindow().pos();
        MessageBoxScript::pushAnswer(QMessageBox::Ok);
        app.quitApp();
        ASSERT_TRUE(app.quitting());

        AppState next;
        FakeEngine engine;
        App again(next, engine);
        again.load({});
        EXPECT_EQ(next.Volume, 37);
        EXPECT_EQ(next.PlayMode, 2);
        // Still muted after start-up opened row 1; the unmute gives the volume back.
        EXPECT_TRUE(next.Mute);
        EXPECT_EQ(next.MuteVolume, 37);
        EXPECT_EQ(engine.lastOpened, (dir + "/a.mp3").toStdString());
        EXPECT_EQ(engine.volumeLeft, 0);
        EXPECT_EQ(engine.equalizer[0], 60);  // Rock lifts the lowest band by 6 dB
        EXPECT_EQ(engine.equalizer[4], -10); // and lowers the fifth by 1 dB
        EXPECT_EQ(again.mainWindow().pos(), place);
    }
}

// The engine double's last ReplayGain setting.
class GainRecordingEngine : public FakeEngine {
public:
    std::array<int32_t, 3> replayGain{-1, -1, -1};
    void setReplayGain(int32_t mode, int32_t preamp, int32_t untagged) override
    {
        replayGain = {mode, preamp, untagged};
    }
};

// The 音量補正 tab: the stored settings reach the engine at start; a change applied in the
// settings window is stored, reaches the engine at the next tick and comes back next time.
TEST_F(AppTest, ReplayGainSettingsReachTheEngineAndComeBackAtTheNextStart)
{
    writeSettings("[ReplayGain]\r\nMode=2\r\nPreamp=25\r\nUntagged=-30\r\n");
    using Gains = std::array<int32_t, 3>;
    {
        GainRecordingEngine engine;
        App app(m_state, engine);
        app.load({});
        app.tick();
        EXPECT_EQ(engine.replayGain, (Gains{2, 25, -30}));
        app.showToolWindow(ToolWindow::Settings);
        SettingsWindow* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<SettingsWindow*>(w))
                window = found;
        ASSERT_NE(window, nullptr);
        auto* mode = window->findChild<QComboBox*>(QStringLiteral("replayGainMode"));
        auto* preamp = window->findChild<QDoubleSpinBox*>(QStringLiteral("replayGainPreamp"));
        ASSERT_TRUE(mode && preamp);
        EXPECT_EQ(mode->currentIndex(), 2);
        EXPECT_EQ(preamp->value(), 2.5);
        mode->setCurrentIndex(1);
        preamp->setValue(-2.5);
        window->apply();
        app.tick();
        EXPECT_EQ(engine.replayGain, (Gains{1, -25, -30}));
    }
    AppState next;
    GainRecordingEngine engine;
    App again(next, engine);
    again.load({});
    again.tick();
    EXPECT_EQ(engine.replayGain, (Gains{1, -25, -30}));
}

TEST_F(AppTest, EngineCallbackMarksTheEndOnlyForCodeFour)
{
    App app(m_state, m_engine);
    EngineCallback(3, 0);
    EXPECT_FALSE(m_state.PlayEnd.load());
    EngineCallback(4, 0);
    EXPECT_TRUE(m_state.PlayEnd.load());
}

TEST_F(AppTest, DrawBestConditionSetsTheOneMillisecondTick)
{
    writeSettings("[Window]\r\nDrawBestCondition=1\r\nAlwaystop=1\r\n");
    App app(m_state, m_engine);
    app.load({});
    EXPECT_EQ(app.timer().Interval(), 1);
    EXPECT_TRUE(m_state.AlwaysTop);
    EXPECT_TRUE(app.mainWindow().windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(AppTest, ABrokenLoadSettingIsReplacedByItsDefaultAtStartAndReportedOnce)
{
    writeSettings("[Burden]\r\nInBlock=30\r\nOutBlock=0\r\nInSleep=5\r\nOutSleep=0\r\n");
    {
        App app(m_state, m_engine);
        app.load({});
        EXPECT_EQ(m_state.InBlock, 30);
        EXPECT_EQ(m_state.OutBlock, 20);
        ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
        EXPECT_TRUE(MessageBoxScript::shownTexts()[0].contains(QStringLiteral("出力フレーム数")));
    }
    MessageBoxScript::clear();
    AppState next;
    App again(next, m_engine);
    again.load({});
    EXPECT_EQ(next.OutBlock, 20);
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

}  // namespace

namespace {

TEST_F(AppTest, AMainWindowComingBackIntoSightIsDrawnAtOnceNotAtTheOutOfSightPace)
{
    App app(m_state, m_engine);
    app.load({});
    app.hideWindows();
    app.tick();
    ASSERT_FALSE(app.mainWindow().canBeSeen());
    ASSERT_GT(app.timer().Interval(), 20) << "out of sight the loop ticks slowly";
    EXPECT_FALSE(app.timer().wakePending());

    // Back in sight, the platform shows what the window last drew; the loop must tick now to
    // draw the present frame, not at the end of the slow interval.
    app.restoreWindows();
    QElapsedTimer clock;
    clock.start();
    while (!app.timer().wakePending() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(app.mainWindow().canBeSeen());
    EXPECT_TRUE(app.timer().wakePending());
}

TEST_F(AppTest, HidingWithoutATrayMinimisesSoTheWindowsCanComeBack)
{
    // The offscreen platform has no tray.
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    App app(m_state, m_engine);
    app.load({});
    app.hideWindows();
    EXPECT_TRUE(app.mainWindow().isVisible());
    EXPECT_TRUE(app.mainWindow().isMinimized());
    app.restoreWindows();
    EXPECT_TRUE(app.mainWindow().isVisible());
    EXPECT_FALSE(app.mainWindow().isMinimized());
}

}  // namespace
