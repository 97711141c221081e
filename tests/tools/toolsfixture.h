// Shared set-up of the tool window tests: state, engine double, playlist and track operations.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "state/actions.h"
#include "state/appstate.h"
#include "fakeengine.h"
#include "fixtures.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"

// Records the cross-window commands the tools issue.
class RecordingActions : public AppActions {
public:
    std::vector<bool> enabledCalls; // arguments of setMainWindowsEnabled, in order
    void showToolWindow(ToolWindow) override {}
    void showPlaylist() override {}
    void showCommandMenu(const QPoint&) override {}
    void hideWindows() override {}
    void restoreWindows() override {}
    void toggleWindows() override {}
    void setTopMost(bool) override {}
    void setMainWindowsEnabled(bool enabled) override { enabledCalls.push_back(enabled); }
    void quitApp() override {}
    void openHelp() override {}
    void openFileManager() override {}
};

// A fake engine that also remembers the two integer arguments of every tag write.
class TagRecordingEngine : public FakeEngine {
public:
    struct TagWrite {
        std::string path;
        TagInfo tag;
        int32_t a;
        int32_t b;
    };
    std::vector<TagWrite> tagWrites;
    int setTagInfo(const std::string& path, const TagInfo& in, int32_t a, int32_t b) override
    {
        tagWrites.push_back({path, in, a, b});
        return FakeEngine::setTagInfo(path, in, a, b);
    }
};

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBoxScript::enable();
        DialogScript::clear();
        m_dir =
            QString::fromStdString(TestTempDir()) + QLatin1Char('/') +
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir().mkpath(m_dir);
        // The windows' remembered choices go to this test's own settings folder.
        qputenv("MORVANE_HOME", (m_dir + QStringLiteral("/settings")).toUtf8());
        QDir().mkpath(m_dir + QStringLiteral("/settings"));
    }
    void TearDown() override
    {
        MessageBoxScript::disable();
        DialogScript::clear();
    }

    // A folder of this test's own.
    QString dir() const { return m_dir; }
    QString pathIn(const QString& name) const { return m_dir + QLatin1Char('/') + name; }

    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray readBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Puts one track in the playlist and opens it as the player would.
    void openTrack(const QString& path)
    {
        playlist.AddRow(path);
        state.CurrentIndex = playlist.count();
        ops.OpenTrack(path);
    }

    AppState state;
    TagRecordingEngine engine;
    PlaylistModel playlist;
    TrackOps ops{state, engine, playlist};
    RecordingActions actions;

private:
    QString m_dir;
};
