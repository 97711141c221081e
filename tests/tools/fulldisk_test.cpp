// Saving on a full or nearly full file system: the playlist backup, Property.ini, ".m3u" and
// ".keq" each keep their old file and the user is told why; nothing is left behind.
#include "playlist/playlistfile.h"
#include "playlist/playlistmodel.h"
#include "settings/ini.h"
#include "tools/equalizerwindow.h"
#include "toolsfixture.h"

#include <QDir>

namespace {

const QString kDiskFull = QStringLiteral("ディスクの空き容量が足りません。");

class FullDiskTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        m_disk = std::make_unique<SmallTmpfs>(pathIn(QStringLiteral("disk")).toStdString(), 256);
        if (!m_disk->mounted())
            GTEST_SKIP() << m_disk->why();
        m_root = pathIn(QStringLiteral("disk"));
        backup = m_root + QStringLiteral("/listbu.bak");
        ini = m_root + QStringLiteral("/Property.ini");
        m3u = m_root + QStringLiteral("/list.m3u");
        keq = m_root + QStringLiteral("/rock.keq");
        writeBytes(backup, "\"/m/old1.mp3\"\r\n\"/m/old2.mp3\"\r\n");
        writeBytes(ini, "[Window]\r\nAlwaystop=0\r\nStarttype=2\r\n");
        writeBytes(m3u, "/m/old1.mp3\r\n");
        writeBytes(keq, "-60,-40,-20,0,10,10,0,-20,-40,-60\r\n");
    }
    void TearDown() override
    {
        m_disk.reset();
        ToolsTest::TearDown();
    }

    void addRows(int count)
    {
        for (int i = 0; i < count; ++i)
            model.AddRow(
                QStringLiteral("/music/some artist/some album/track number %1.mp3").arg(i));
    }
    // Every name in the folder but the filler: the old files, no temporary left over.
    QStringList names() const
    {
        QStringList list =
            QDir(m_root).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        list.removeAll(QStringLiteral(".filler"));
        return list;
    }
    // Whether a message starting with start named the full disk.
    bool told(const QString& start) const
    {
        for (const ShownMessage& m : MessageBoxScript::shown()) {
            if (m.text.startsWith(start) && m.text.contains(kDiskFull))
                return true;
        }
        return false;
    }

    std::unique_ptr<SmallTmpfs> m_disk;
    QString m_root, backup, ini, m3u, keq;
    PlaylistModel model;
};

TEST_F(FullDiskTest, AFullDiskKeepsEveryOldFileAndSaysWhy)
{
    const QStringList before = names();
    ASSERT_TRUE(m_disk->fill(0));
    addRows(3);

    QString reason;
    EXPECT_FALSE(WriteBackup(model, backup, &reason));
    EXPECT_EQ(reason, kDiskFull);
    EXPECT_EQ(readBytes(backup), QByteArray("\"/m/old1.mp3\"\r\n\"/m/old2.mp3\"\r\n"));

    // A settings change keeps the old file, is said once, and lives on in memory.
    EXPECT_FALSE(
        WriteIni(QStringLiteral("Window"), QStringLiteral("Alwaystop"), QStringLiteral(" 1"), ini));
    EXPECT_FALSE(
        WriteIni(QStringLiteral("Window"), QStringLiteral("Starttype"), QStringLiteral(" 3"), ini));
    EXPECT_EQ(readBytes(ini), QByteArray("[Window]\r\nAlwaystop=0\r\nStarttype=2\r\n"));
    EXPECT_TRUE(told(QStringLiteral("設定を保存できませんでした！")));
    EXPECT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(ReadIni(QStringLiteral("Window"), QStringLiteral("Starttype"), 50, ini),
              QStringLiteral("3"));

    DialogScript::pushAnswer(m3u);
    EXPECT_FALSE(SavePlaylist(nullptr, model));
    EXPECT_EQ(readBytes(m3u), QByteArray("/m/old1.mp3\r\n"));
    EXPECT_TRUE(told(QStringLiteral("演奏リストを保存できませんでした！")));

    EqMemory memory;
    EqualizerWindow window{engine, memory};
    DialogScript::pushAnswer(keq);
    window.saveFile();
    EXPECT_EQ(readBytes(keq), QByteArray("-60,-40,-20,0,10,10,0,-20,-40,-60\r\n"));
    EXPECT_TRUE(told(QStringLiteral("イコライザファイルを保存できませんでした。")));

    EXPECT_EQ(names(), before);
}

TEST_F(FullDiskTest, ANearlyFullDiskKeepsTheOldBackupWhenTheNewOneDoesNotFit)
{
    ASSERT_TRUE(m_disk->fill(8 * 1024));
    addRows(220); // about 14 KB
    QString reason;
    EXPECT_FALSE(WriteBackup(model, backup, &reason));
    EXPECT_EQ(reason, kDiskFull);
    EXPECT_EQ(readBytes(backup), QByteArray("\"/m/old1.mp3\"\r\n\"/m/old2.mp3\"\r\n"));

    PlaylistModel small;
    small.AddRow(QStringLiteral("/m/new.mp3"));
    EXPECT_TRUE(WriteBackup(small, backup, &reason));
    EXPECT_EQ(readBytes(backup), QByteArray("\"/m/new.mp3\"\r\n"));
    EXPECT_FALSE(names().join(' ').contains(QStringLiteral("morvane-tmp")));
}

} // namespace
