// The real executable, started as a user would (offscreen, silent output): a second start is
// taken by the running instance, and a SIGTERM writes the playlist backup before the process ends.
#include "fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_home = QString::fromStdString(TestTempDir()) + QStringLiteral("/prog%1").arg(++counter);
        QDir().mkpath(m_home);
        m_runtime = m_home + QStringLiteral("-run");
        QDir().mkpath(m_runtime);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("MORVANE_HOME", m_home);
        m_env.insert("XDG_RUNTIME_DIR", m_runtime);
        m_env.insert("MORVANE_AUDIO", "null");
        m_env.insert("MORVANE_MESSAGES", "stderr");
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
        m_env.insert("MORVANE_DATA", QStringLiteral(MORVANE_BINARY_DIR) + "/share/morvane");
    }
    void start(QProcess& p, const QStringList& args = {})
    {
        p.setProcessEnvironment(m_env);
        p.start(QStringLiteral(MORVANE_BINARY_DIR) + "/morvane", args);
        ASSERT_TRUE(p.waitForStarted(10000));
    }
    // The first instance holds its lock (in the runtime folder) once it runs.
    bool waitForLock(bool settingsToo = true)
    {
        for (int i = 0; i < 200; ++i) {
            if (!QDir(m_runtime).entryList({QStringLiteral("morvane-*.lock")}, QDir::Files).isEmpty() &&
                (!settingsToo || QFileInfo::exists(m_home + "/Property.ini")))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    QString m_home;
    QString m_runtime;
    QProcessEnvironment m_env;
};

TEST_F(ProgramTest, SecondStartIsTakenByTheRunningInstanceAndSigtermKeepsThePlaylist)
{
    const QString track = QString::fromStdString(TestTempDir()) + "/prog-track.mp3";
    ToneSpec spec;
    spec.seconds = 1;
    ASSERT_TRUE(MakeToneMp3(track.toStdString(), spec)) << LastFixtureError();
    {
        QFile backup(m_home + "/listbu.bak");
        ASSERT_TRUE(backup.open(QIODevice::WriteOnly));
        backup.write(("\"" + track + "\"\r\n\"/nowhere/missing.mp3\"\r\n").toUtf8());
    }

    QProcess first;
    start(first);
    ASSERT_TRUE(waitForLock());
    QThread::msleep(500);  // let start-up finish

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QString::fromUtf8(second.readAllStandardError())
                     .contains(QStringLiteral("Morvaneの二重起動は出来ません！")));
    EXPECT_EQ(first.state(), QProcess::Running);

    QFile::remove(m_home + "/listbu.bak");
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(20000));
    QFile backup(m_home + "/listbu.bak");
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), ("\"" + track + "\"\r\n\"/nowhere/missing.mp3\"\r\n").toUtf8());
}

TEST_F(ProgramTest, MissingCommandLineFileIsReportedAndTheBackupStillLoads)
{
    QProcess p;
    start(p, {m_home + "/does-not-exist.mp3"});
    ASSERT_TRUE(waitForLock());
    QThread::msleep(800);
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("does-not-exist.mp3")) << err.toStdString();
}

TEST_F(ProgramTest, AReadOnlySettingsFolderRunsWithOneWarning)
{
    SmallTmpfs readOnly(m_home.toStdString(), 64, true);
    if (!readOnly.mounted())
        GTEST_SKIP() << readOnly.why();
    QProcess p;
    start(p);
    ASSERT_TRUE(waitForLock(false));
    QThread::msleep(800);
    EXPECT_EQ(p.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(err.count(QStringLiteral("設定フォルダに書き込めません。")), 1) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("二重起動"))) << err.toStdString();
}

}  // namespace
