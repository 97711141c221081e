// Tests of the "Window" settings dialog on the real widgets.
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextBrowser>
#include <QThread>

#include "settings/ini.h"
#include "settings/settingsstore.h"
#include "settings/settingswindow.h"
#include "shell/fileassociation.h"
#include "windowtestenv.h"

namespace {

class SettingsWindowTest : public WindowTestEnv {
protected:
    template <typename T>
    T* child(SettingsWindow& window, const QString& name)
    {
        T* widget = window.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    QRadioButton* option(SettingsWindow& window, const QString& group, int index)
    {
        return child<QRadioButton>(window, group + QString::number(index));
    }

    // The index of the ticked option of a group, -1 when none is.
    int selected(SettingsWindow& window, const QString& group, int count)
    {
        int found = -1;
        for (int i = 0; i < count; ++i) {
            if (option(window, group, i)->isChecked())
                found = i;
        }
        return found;
    }

    QString ini(const QString& section, const QString& key)
    {
        return ReadIni(section, key, 50, iniPath());
    }

    void click(SettingsWindow& window, const QString& button)
    {
        child<QPushButton>(window, button)->click();
    }
};

}  // namespace

TEST_F(SettingsWindowTest, HasFourTabsAndTheMendedStartPositionCaptions)
{
    SettingsWindow window(m_state, m_actions);
    EXPECT_EQ(window.windowTitle(), "Window");
    auto* tabs = child<QTabWidget>(window, "tabs");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), "設定１");
    EXPECT_EQ(tabs->tabText(2), "設定３");
    EXPECT_EQ(tabs->tabText(3), "音量補正"); // ReplayGain
    // Start-up puts the window at the bottom left for 1 and the top left for 2.
    EXPECT_EQ(option(window, "startPosition", 1)->text(), "左下");
    EXPECT_EQ(option(window, "startPosition", 2)->text(), "左上");
    EXPECT_EQ(child<QPushButton>(window, "applyButton")->text(), "適用");
    EXPECT_EQ(child<QPushButton>(window, "closeButton")->text(), "閉じる");
}

TEST_F(SettingsWindowTest, LoadShowsTheProgramWideValues)
{
    m_state.StartType = 3;
    m_state.OsiroType = 2;
    m_state.ExpressType = 0;
    m_state.SpeAnaType = 1;
    m_state.AlwaysTop = true;
    m_state.StarDust = false;
    m_state.MenuAni = 0;
    m_state.DrawBestCondition = 1;
    m_state.TaskBarAni = 1;
    m_state.LyricsFade = 0;
    m_state.RelativityVol = 1;
    m_state.TitleInterval = 4;
    m_state.InBlock = 44;
    m_state.OutBlock = 33;
    m_state.InSleep = 7;
    m_state.OutSleep = 2;
    writeBytes(iniPath(), "[Window]\r\nConnection=1\r\n");

    SettingsWindow window(m_state, m_actions);
    EXPECT_EQ(selected(window, "startPosition", 5), 3);
    EXPECT_EQ(selected(window, "osiroType", 4), 2);
    EXPECT_EQ(selected(window, "expressType", 3), 0);
    EXPECT_EQ(selected(window, "speAnaType", 3), 1);
    EXPECT_TRUE(child<QCheckBox>(window, "alwaysTopCheck")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(window, "starDustCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(window, "associationCheck")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(window, "menuAnimationCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(window, "drawBestCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(window, "trayAnimationCheck")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(window, "lyricsFadeCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(window, "relativeVolumeCheck")->isChecked());
    EXPECT_EQ(child<QScrollBar>(window, "scrollSpeedBar")->value(), 4);
    EXPECT_EQ(child<QLineEdit>(window, "loadField0")->text(), "44");
    EXPECT_EQ(child<QLineEdit>(window, "loadField1")->text(), "33");
    EXPECT_EQ(child<QLineEdit>(window, "loadField2")->text(), "7");
    EXPECT_EQ(child<QLineEdit>(window, "loadField3")->text(), "2");
}

TEST_F(SettingsWindowTest, OutOfRangeValuesStillOpenTheWindow)
{
    m_state.StartType = 7;
    m_state.MenuAni = 3;
    m_state.TitleInterval = 9;
    writeBytes(iniPath(), "[Window]\r\nConnection=yes\r\n");
    SettingsWindow window(m_state, m_actions);
    EXPECT_EQ(selected(window, "startPosition", 5), -1);
    EXPECT_FALSE(child<QCheckBox>(window, "associationCheck")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(window, "menuAnimationCheck")->isChecked());
    EXPECT_EQ(child<QScrollBar>(window, "scrollSpeedBar")->value(), 5);

    // No option selected: apply leaves the value as it was.
    window.show();
    click(window, "applyButton");
    EXPECT_EQ(m_state.StartType, 7);
    EXPECT_EQ(ini("Window", "Starttype"), "7");
}

TEST_F(SettingsWindowTest, ApplyStoresTheControlsInStateAndFile)
{
    SettingsWindow window(m_state, m_actions);
    window.show();
    option(window, "startPosition", 4)->setChecked(true);
    option(window, "osiroType", 3)->setChecked(true);
    option(window, "expressType", 2)->setChecked(true);
    option(window, "speAnaType", 2)->setChecked(true);
    child<QCheckBox>(window, "alwaysTopCheck")->setChecked(true);
    child<QCheckBox>(window, "starDustCheck")->setChecked(false);
    child<QCheckBox>(window, "relativeVolumeCheck")->setChecked(false);
    child<QCheckBox>(window, "menuAnimationCheck")->setChecked(false);
    child<QCheckBox>(window, "drawBestCheck")->setChecked(true);
    child<QCheckBox>(window, "trayAnimationCheck")->setChecked(false);
    child<QCheckBox>(window, "lyricsFadeCheck")->setChecked(true);
    child<QScrollBar>(window, "scrollSpeedBar")->setValue(0);
    child<QLineEdit>(window, "loadField0")->setText("40");
    child<QLineEdit>(window, "loadField1")->setText("12abc");
    child<QLineEdit>(window, "loadField2")->setText("abc");
    child<QLineEdit>(window, "loadField3")->setText(" 3");
    m_state.OptionChanged = false;

    click(window, "applyButton");

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(m_state.StartType, 4);
    EXPECT_EQ(m_state.OsiroType, 3);
    EXPECT_EQ(m_state.ExpressType, 2);
    EXPECT_EQ(m_state.SpeAnaType, 2);
    EXPECT_TRUE(m_state.AlwaysTop);
    EXPECT_EQ(m_actions.topMostCalls, std::vector<bool>{true});
    EXPECT_FALSE(m_state.StarDust);
    EXPECT_EQ(m_state.RelativityVol, 0);
    EXPECT_TRUE(m_state.OptionChanged);
    EXPECT_EQ(m_state.InBlock, 40);
    EXPECT_EQ(m_state.OutBlock, 12);
    EXPECT_EQ(m_state.InSleep, 0);
    EXPECT_EQ(m_state.OutSleep, 3);
    EXPECT_EQ(m_state.TitleInterval, 0);
    EXPECT_EQ(m_state.MenuAni, 0);
    EXPECT_EQ(m_state.DrawBestCondition, 1);
    EXPECT_EQ(m_state.TaskBarAni, 0);
    EXPECT_EQ(m_state.LyricsFade, 1);

    EXPECT_EQ(ini("Window", "Alwaystop"), "1");
    EXPECT_EQ(ini("Window", "Starttype"), "4");
    EXPECT_EQ(ini("Window", "ExpressType"), "2");
    EXPECT_EQ(ini("Window", "StarDust"), "0");
    EXPECT_EQ(ini("Burden", "OutBlock"), "12");
    EXPECT_EQ(ini("Window", "Connection"), "0");
    EXPECT_EQ(ini("Window", "TitleInterval"), "0");
    EXPECT_EQ(ini("Window", "DrawBestCondition"), "1");
    EXPECT_EQ(ini("Window", "LyricsFade"), "1");

    // The window's own keys carry no blank; SaveSettings' keys carry one.
    const QByteArray file = readBytes(iniPath());
    EXPECT_TRUE(file.contains("\r\nMenuAni=0\r\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("\r\nTaskBarAni=0\r\n"));
    EXPECT_TRUE(file.contains("Starttype= 4\r\n") || file.contains("Starttype = 4\r\n"))
        << file.toStdString();
}

TEST_F(SettingsWindowTest, ApplyWritesSavedKeysBeforeTheWindowsOwnKeys)
{
    SettingsWindow window(m_state, m_actions);
    window.show();
    click(window, "applyButton");
    const QByteArray file = readBytes(iniPath());
    const qsizetype relativity = file.indexOf("RelativityVol");
    const qsizetype connection = file.indexOf("Connection");
    const qsizetype lyricsFade = file.indexOf("LyricsFade");
    ASSERT_GE(relativity, 0);
    EXPECT_LT(relativity, connection);
    EXPECT_LT(connection, lyricsFade);
}

TEST_F(SettingsWindowTest, UntickingAlwaysOnTopRemovesIt)
{
    m_state.AlwaysTop = true;
    SettingsWindow window(m_state, m_actions);
    window.show();
    child<QCheckBox>(window, "alwaysTopCheck")->setChecked(false);
    click(window, "applyButton");
    EXPECT_FALSE(m_state.AlwaysTop);
    EXPECT_EQ(m_actions.topMostCalls, std::vector<bool>{false});
    EXPECT_EQ(ini("Window", "Alwaystop"), "0");
}

TEST_F(SettingsWindowTest, LoadSettingsRoundHalvesToEvenAndValuesTheEngineRefusesAreNotApplied)
{
    const std::pair<QString, int32_t> cases[] = {{"2.5", 2}, {"3.5", 4}, {"", 0}};
    for (const auto& [text, expected] : cases) {
        SettingsWindow window(m_state, m_actions);
        window.show();
        child<QLineEdit>(window, "loadField2")->setText(text);
        click(window, "applyButton");
        EXPECT_EQ(m_state.InSleep, expected) << text.toStdString();
        EXPECT_EQ(ini("Burden", "InSleep"), QString::number(expected)) << text.toStdString();
    }
    EXPECT_TRUE(MessageBoxScript::shown().empty());

    // An output count above the input count, a zero or empty count, a negative sleep.
    const std::pair<int, QString> refused[] = {
        {1, "11"}, {1, "0"}, {0, ""}, {3, "-1.5"}, {0, "99999999999"}};
    for (const auto& [field, text] : refused) {
        MessageBoxScript::clear();
        SettingsWindow window(m_state, m_actions);
        window.show();
        child<QLineEdit>(window, "loadField" + QString::number(field))->setText(text);
        click(window, "applyButton");
        EXPECT_TRUE(window.isVisible()) << text.toStdString();
        ASSERT_EQ(MessageBoxScript::shown().size(), 1u) << text.toStdString();
        EXPECT_TRUE(MessageBoxScript::shownTexts()[0].endsWith(kLoadSettingsRule));
        EXPECT_EQ(m_state.InBlock, 10);
        EXPECT_EQ(m_state.OutBlock, 5);
        EXPECT_EQ(m_state.OutSleep, 0);
        EXPECT_EQ(ini("Burden", "InBlock"), "10");
    }
}

TEST_F(SettingsWindowTest, DefaultsThenCloseChangesNothing)
{
    m_state.InBlock = 11;
    m_state.OutBlock = 12;
    m_state.InSleep = 13;
    m_state.OutSleep = 14;
    writeBytes(iniPath(), "[Burden]\r\nInBlock= 11\r\n");
    const QByteArray before = readBytes(iniPath());

    SettingsWindow window(m_state, m_actions);
    window.show();
    click(window, "defaultsButton");
    EXPECT_EQ(child<QLineEdit>(window, "loadField0")->text(), "30");
    EXPECT_EQ(child<QLineEdit>(window, "loadField1")->text(), "20");
    EXPECT_EQ(child<QLineEdit>(window, "loadField2")->text(), "5");
    EXPECT_EQ(child<QLineEdit>(window, "loadField3")->text(), "0");
    click(window, "closeButton");

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(m_state.InBlock, 11);
    EXPECT_EQ(m_state.OutSleep, 14);
    EXPECT_EQ(readBytes(iniPath()), before);
    EXPECT_TRUE(m_actions.topMostCalls.empty());
}

TEST_F(SettingsWindowTest, ShowingAgainDropsEditsThatWereNotApplied)
{
    m_state.InBlock = 25;
    SettingsWindow window(m_state, m_actions);
    window.show();
    child<QLineEdit>(window, "loadField0")->setText("99");
    child<QCheckBox>(window, "starDustCheck")->setChecked(!m_state.StarDust);
    click(window, "closeButton");
    window.show();
    EXPECT_EQ(child<QLineEdit>(window, "loadField0")->text(), "25");
    EXPECT_EQ(child<QCheckBox>(window, "starDustCheck")->isChecked(), m_state.StarDust);
}

TEST_F(SettingsWindowTest, ShowsDataDatOrSaysItIsMissing)
{
    writeBytes(path("share/data.dat"), QStringLiteral("Morvaneについて\r\n最新情報").toUtf8());
    {
        SettingsWindow window(m_state, m_actions);
        EXPECT_EQ(child<QTextBrowser>(window, "documentView")->toPlainText(),
                  "Morvaneについて\n最新情報");
    }
    // Shift-JIS bytes of "歌詞" are shown as text, not as mojibake.
    writeBytes(path("share/data.dat"), QByteArray("\x89\xcc\x8e\x8c"));
    {
        SettingsWindow window(m_state, m_actions);
        EXPECT_EQ(child<QTextBrowser>(window, "documentView")->toPlainText(), "歌詞");
    }
    QFile::remove(path("share/data.dat"));
    SettingsWindow window(m_state, m_actions);
    EXPECT_TRUE(child<QTextBrowser>(window, "documentView")->toPlainText().contains("data.dat"));
    window.show();
    click(window, "applyButton");
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(SettingsWindowTest, MixerButtonSaysSoWhenNoMixerIsInstalled)
{
    QDir().mkpath(path("emptybin"));
    qputenv("PATH", path("emptybin").toUtf8());
    SettingsWindow window(m_state, m_actions);
    click(window, "mixerButton");
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shownTexts().front().contains("pavucontrol"));
}

TEST_F(SettingsWindowTest, MixerButtonStartsPavucontrolFromPath)
{
    const QString marker = path("mixer-started");
    writeBytes(path("bin/pavucontrol"), ("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    QFile::setPermissions(path("bin/pavucontrol"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", (path("bin") + ":/usr/bin:/bin").toUtf8());
    SettingsWindow window(m_state, m_actions);
    click(window, "mixerButton");
    EXPECT_TRUE(MessageBoxScript::shown().empty());
    for (int i = 0; i < 100 && !QFileInfo::exists(marker); ++i)
        QThread::msleep(20);
    EXPECT_TRUE(QFileInfo::exists(marker));
}

TEST_F(SettingsWindowTest, UntickedAssociationOnANeverRegisteredSystemWritesOnlyConnection)
{
    SettingsWindow window(m_state, m_actions);
    window.show();
    click(window, "applyButton");
    EXPECT_EQ(ini("Window", "Connection"), "0");
    EXPECT_FALSE(QFileInfo::exists(DesktopEntryPath()));
    EXPECT_FALSE(QFileInfo::exists(MimeAppsListPath()));
}

TEST_F(SettingsWindowTest, TickedAssociationTwiceLeavesTheSameFiles)
{
    for (int round = 0; round < 2; ++round) {
        SettingsWindow window(m_state, m_actions);
        window.show();
        child<QCheckBox>(window, "associationCheck")->setChecked(true);
        click(window, "applyButton");
    }
    EXPECT_EQ(ini("Window", "Connection"), "1");
    const QByteArray list = readBytes(MimeAppsListPath());
    // Each type once under the defaults and once under the added associations.
    EXPECT_EQ(list.count("morvane.desktop"), 2 * kAssociatedMimeTypes.size());
    EXPECT_TRUE(readBytes(DesktopEntryPath())
                    .contains("Exec=" + QCoreApplication::applicationFilePath().toUtf8()));

    SettingsWindow window(m_state, m_actions);
    EXPECT_TRUE(child<QCheckBox>(window, "associationCheck")->isChecked());
}

TEST_F(SettingsWindowTest, XdgMimeFollowsTheAssociationBox)
{
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed (package xdg-utils)";
    auto queryDefault = [&] {
        QProcess process;
        process.start(xdgMime, {"query", "default", "audio/mpeg"});
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    };
    for (bool ticked : {true, false}) {
        SettingsWindow window(m_state, m_actions);
        window.show();
        child<QCheckBox>(window, "associationCheck")->setChecked(ticked);
        click(window, "applyButton");
        if (ticked)
            EXPECT_EQ(queryDefault(), "morvane.desktop");
        else
            EXPECT_NE(queryDefault(), "morvane.desktop");
    }
}

TEST_F(SettingsWindowTest, UnwritableSettingsFileStillAppliesAndCloses)
{
    // A plain file where the settings folder should be: every write fails, even as root.
    writeBytes(path("blocked"), "not a folder");
    qputenv("MORVANE_HOME", path("blocked").toUtf8());
    SettingsWindow window(m_state, m_actions);
    window.show();
    option(window, "expressType", 0)->setChecked(true);
    child<QScrollBar>(window, "scrollSpeedBar")->setValue(3);
    click(window, "applyButton");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(m_state.ExpressType, 0);
    EXPECT_EQ(m_state.TitleInterval, 3);
    // Many keys fail to be written; the user is told once, with the reason.
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_TRUE(MessageBoxScript::shown()[0].text.startsWith(
        QStringLiteral("設定を保存できませんでした！")));
    EXPECT_EQ(readBytes(path("blocked")), "not a folder");
}
