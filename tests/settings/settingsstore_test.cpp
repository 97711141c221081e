// Loading and saving the program-wide state through Property.ini.
#include "settings/ini.h"
#include "settings/settingsstore.h"

#include "state/appstate.h"
#include "fixtures.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_file = QString::fromStdString(TestTempDir()) + QStringLiteral("/p%1.ini").arg(++counter);
    }
    void write(const QByteArray& bytes)
    {
        QFile f(m_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QString m_file;
};

TEST_F(SettingsStoreTest, SaveWritesBlankPrefixedNumbersWithExactKeySpellings)
{
    AppState state;
    state.AlwaysTop = true;
    state.StartType = 3;
    state.StarDust = false;
    state.InBlock = 30;
    state.OutSleep = -1;
    ASSERT_TRUE(SaveSettings(state, m_file));
    QFile f(m_file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("Alwaystop= 1\r\n"));
    EXPECT_TRUE(text.contains("Starttype= 3\r\n"));
    EXPECT_TRUE(text.contains("StarDust= 0\r\n"));
    EXPECT_TRUE(text.contains("InBlock= 30\r\n"));
    EXPECT_TRUE(text.contains("OutSleep=-1\r\n"));
    EXPECT_TRUE(text.indexOf("[Window]") < text.indexOf("[Burden]"));

    AppState loaded;
    loaded.AlwaysTop = false;
    LoadSettings(loaded, m_file);
    EXPECT_TRUE(loaded.AlwaysTop);
    EXPECT_EQ(loaded.StartType, 3);
    EXPECT_FALSE(loaded.StarDust);
    EXPECT_EQ(loaded.OutSleep, -1);
}

TEST_F(SettingsStoreTest, OnlyExactlyOneSwitchesAlwaysTopAndStarDustOn)
{
    write("[Window]\r\nAlwaystop=2\r\nStarDust=1\r\n");
    AppState state;
    LoadSettings(state, m_file);
    EXPECT_FALSE(state.AlwaysTop);
    EXPECT_TRUE(state.StarDust);
}

TEST_F(SettingsStoreTest, MissingOrNonNumericKeysTakeTheirDefaults)
{
    write("[Window]\r\nExpressType=abc\r\nOsiroType=99999\r\nSpeAnaType=2\r\n[Burden]\r\nInBlock=\r\n");
    AppState state;
    LoadSettings(state, m_file);
    EXPECT_EQ(state.ExpressType, 1);  // shipped default
    EXPECT_EQ(state.OsiroType, 0);    // out of 16-bit range
    EXPECT_EQ(state.SpeAnaType, 2);
    EXPECT_EQ(state.InBlock, 30);     // the settings window's defaults for Burden
    EXPECT_EQ(state.OutBlock, 20);
    EXPECT_EQ(state.InSleep, 5);
    EXPECT_EQ(state.OutSleep, 0);
    EXPECT_TRUE(state.StarDust);
}

TEST_F(SettingsStoreTest, EnsureSettingsFileCreatesAReadableFileOnlyWhenMissing)
{
    qputenv("MORVANE_DATA", QByteArray(TestTempDir().c_str()) + "/no-data-here");
    EnsureSettingsFile(m_file);
    AppState state;
    LoadSettings(state, m_file);
    EXPECT_EQ(ReadIni("Window", "ExpressType", 50, m_file), "1");
    EXPECT_EQ(ReadIni("Burden", "InBlock", 50, m_file), "30");
    EXPECT_EQ(ReadIni("ShortPath", "Path1", 1024, m_file), "");

    ASSERT_TRUE(WriteIni("Window", "Starttype", "4", m_file));
    EnsureSettingsFile(m_file);  // an existing file is left alone
    EXPECT_EQ(ReadIni("Window", "Starttype", 50, m_file), "4");
    qunsetenv("MORVANE_DATA");
}

}  // namespace

TEST_F(SettingsStoreTest, RememberedStateRoundTripsAndDamagedKeysKeepTheStartValues)
{
    RememberedState r;
    r.volume = 0;
    r.mute = true;
    r.playMode = 3;
    r.eqSliders = {-120, -60, 0, 10, 120, 0, 0, -1, 1, 5};
    r.eqPreset = 6;
    r.hasMainPlace = true;
    r.mainLeft = -40;
    r.mainTop = 900;
    ASSERT_TRUE(WriteRememberedState(r, m_file));
    const RememberedState back = ReadRememberedState(m_file);
    EXPECT_EQ(back.volume, 0);
    EXPECT_TRUE(back.mute);
    EXPECT_EQ(back.playMode, 3);
    EXPECT_EQ(back.eqSliders, r.eqSliders);
    EXPECT_EQ(back.eqPreset, 6);
    EXPECT_TRUE(back.hasMainPlace);
    EXPECT_EQ(back.mainLeft, -40);
    EXPECT_EQ(back.mainTop, 900);

    write("[Window]\r\nVolume=101\r\nMute=yes\r\nPlayMode=4\r\nMainLeft=5\r\n"
          "[Equalizer]\r\nEqSliders=1,2,3,4,5,6,7,8,9,121\r\nEqPreset=-1\r\n");
    const RememberedState damaged = ReadRememberedState(m_file);
    EXPECT_EQ(damaged.volume, 80);
    EXPECT_FALSE(damaged.mute);
    EXPECT_EQ(damaged.playMode, 1);
    EXPECT_EQ(damaged.eqSliders, (std::array<int16_t, 10>{}));
    EXPECT_EQ(damaged.eqPreset, 0);
    EXPECT_FALSE(damaged.hasMainPlace); // one coordinate is no place

    ForgetMainPlace(m_file);
    WriteRememberedState(r, m_file);
    ForgetMainPlace(m_file);
    EXPECT_FALSE(ReadRememberedState(m_file).hasMainPlace);
}
