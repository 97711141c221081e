// The INI store: lookups, the buffer cut, writes that keep the rest of the file, bad files.
#include "settings/ini.h"
#include "shell/messagebox.h"

#include "fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_file = QString::fromStdString(TestTempDir()) + QStringLiteral("/ini%1.ini").arg(++counter);
        MessageBoxScript::enable();
    }
    void TearDown() override { MessageBoxScript::disable(); }
    void write(const QByteArray& bytes)
    {
        QFile f(m_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray contents()
    {
        QFile f(m_file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QString m_file;
};

TEST_F(IniTest, LooksUpSectionsAndKeysWithoutRegardToCaseAndTrimsBlanks)
{
    write("[Window]\r\nAlwaystop= 1 \r\nStarttype=\t3\r\n[Burden]\r\nInBlock=30\r\n");
    EXPECT_EQ(ReadIni("window", "ALWAYSTOP", 50, m_file), "1");
    EXPECT_EQ(ReadIni("Window", "Starttype", 50, m_file), "3");
    EXPECT_EQ(ReadIni("BURDEN", "inblock", 50, m_file), "30");
    EXPECT_EQ(ReadIni("Window", "InBlock", 50, m_file), "");  // key of another section
    EXPECT_EQ(ReadIni("Nope", "Alwaystop", 50, m_file), "");
}

TEST_F(IniTest, MissingFileGivesEmptyText)
{
    EXPECT_EQ(ReadIni("Window", "Alwaystop", 50, m_file + "-missing"), "");
}

TEST_F(IniTest, BufferSizeCutsTheValueToOneCharacterLess)
{
    QString longPath(1100, QLatin1Char('a'));
    ASSERT_TRUE(WriteIni("ShortPath", "Path3", longPath, m_file));
    EXPECT_EQ(ReadIni("ShortPath", "Path3", 1024, m_file), longPath.left(1023));
    EXPECT_EQ(ReadIni("ShortPath", "Path3", 50, m_file).size(), 49);
}

TEST_F(IniTest, WriteReplacesOneKeyAndKeepsEveryOtherLine)
{
    write("; comment\r\n[Window]\r\nAlwaystop=0\r\nOther=keep\r\n\r\n[Burden]\r\nInBlock=30\r\n");
    ASSERT_TRUE(WriteIni("window", "Alwaystop", " 1", m_file));
    EXPECT_EQ(contents(), QByteArray("; comment\r\n[Window]\r\nAlwaystop= 1\r\nOther=keep\r\n\r\n"
                                     "[Burden]\r\nInBlock=30\r\n"));
}

TEST_F(IniTest, WriteAddsMissingKeyToItsSectionAndCreatesMissingSectionAndFile)
{
    ASSERT_TRUE(WriteIni("Window", "StarDust", " 1", m_file));
    ASSERT_TRUE(WriteIni("Burden", "InBlock", " 30", m_file));
    ASSERT_TRUE(WriteIni("Window", "MenuAni", "1", m_file));
    EXPECT_EQ(contents(),
              QByteArray("[Window]\r\nStarDust= 1\r\nMenuAni=1\r\n[Burden]\r\nInBlock= 30\r\n"));
    EXPECT_EQ(ReadIni("Window", "StarDust", 50, m_file), "1");
}

TEST_F(IniTest, ValueWithLineBreaksCannotCreateOtherKeys)
{
    ASSERT_TRUE(WriteIni("ShortPath", "Path1", "/a\r\n[Window]\nAlwaystop=1", m_file));
    EXPECT_EQ(ReadIni("Window", "Alwaystop", 50, m_file), "");
    EXPECT_EQ(ReadIni("ShortPath", "Path1", 1024, m_file), "/a  [Window] Alwaystop=1");
}

TEST_F(IniTest, ReadsBomLfOnlyShiftJisAndDuplicateSections)
{
    write("\xEF\xBB\xBF[Window]\nStarttype=2\n[Window]\nStarttype=4\n");
    EXPECT_EQ(ReadIni("Window", "Starttype", 50, m_file), "2");  // the first section wins

    // "音楽" in Shift-JIS: 89 B9 8A 79
    write("[ShortPath]\r\nPath1=/home/\x89\xB9\x8A\x79\r\n");
    EXPECT_EQ(ReadIni("ShortPath", "Path1", 1024, m_file), QString::fromUtf8("/home/音楽"));
}

TEST_F(IniTest, SurvivesBinaryAndHugeLines)
{
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(static_cast<char>((i * 7919) & 0xFF));
    junk.append("\n[Window]\nStarttype=3\n");
    junk.append(QByteArray(1 << 20, 'x'));
    junk.append("\n");
    write(junk);
    EXPECT_EQ(ReadIni("Window", "Starttype", 50, m_file), "3");
    ASSERT_TRUE(WriteIni("Window", "Starttype", "4", m_file));
    EXPECT_EQ(ReadIni("Window", "Starttype", 50, m_file), "4");
}

TEST_F(IniTest, WriteThatCannotCreateTheFileReportsFailure)
{
    // A regular file where the folder should be: nothing can be created below it.
    write("[Window]\r\nStarttype=1\r\n");
    EXPECT_FALSE(WriteIni("Window", "Starttype", "2", m_file + "/Property.ini"));
    EXPECT_EQ(ReadIni("Window", "Starttype", 50, m_file), "1");
    ASSERT_EQ(MessageBoxScript::shownTexts().size(), 1);
    EXPECT_TRUE(MessageBoxScript::shownTexts()[0].startsWith(QStringLiteral("設定を保存できませんでした！")));
}

}  // namespace
