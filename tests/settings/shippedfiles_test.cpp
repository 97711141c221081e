// Tests that the shipped default Property.ini and data.dat agree with the program's own tables.
#include <QFile>

#include <gtest/gtest.h>

#include "settings/ini.h"
#include "settings/settingsstore.h"
#include "shell/textcodec.h"

namespace {
const QString kShippedIni = QStringLiteral(MORVANE_SOURCE_DIR "/data/files/Property.ini");

QByteArray readShipped(const QString& name)
{
    QFile file(QStringLiteral(MORVANE_SOURCE_DIR "/data/files/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

TEST(ShippedFilesTest, PropertyIniHoldsEveryKeyWithTheProgramsDefault)
{
    const struct {
        const char* section;
        const char* key;
    } keys[] = {{"Window", "DrawBestCondition"}, {"Window", "Alwaystop"},
                {"Window", "Starttype"},         {"Window", "ExpressType"},
                {"Window", "OsiroType"},         {"Window", "SpeAnaType"},
                {"Window", "StarDust"},          {"Window", "TitleInterval"},
                {"Window", "MenuAni"},           {"Window", "TaskBarAni"},
                {"Window", "LyricsFade"},        {"Window", "RelativityVol"},
                {"Window", "Connection"},        {"Burden", "InBlock"},
                {"Burden", "OutBlock"},          {"Burden", "InSleep"},
                {"Burden", "OutSleep"},          {"PlayList", "Fontcolor"}};
    for (const auto& k : keys) {
        const QString value = ReadIni(k.section, k.key, 50, kShippedIni);
        EXPECT_EQ(value, QString::number(DefaultIniValue(k.section, k.key))) << k.key;
    }
    const QByteArray bytes = readShipped("Property.ini");
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(bytes.contains(QStringLiteral("\r\nPath%1=\r\n").arg(i).toLatin1()));
    EXPECT_TRUE(bytes.contains("\r\nWallPath=\r\n"));
    // CR LF throughout.
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
}

TEST(ShippedFilesTest, DataDatIsJapaneseUtf8)
{
    const QByteArray bytes = readShipped("data.dat");
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(IsValidUtf8(bytes));
    EXPECT_TRUE(DecodeText(bytes).contains(QStringLiteral("最新情報")));
}
