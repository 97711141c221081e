// A test fixture for the settings windows: a temporary HOME, XDG folders, MORVANE_HOME and
// MORVANE_DATA, scripted message boxes and dialogs, and a recording AppActions.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

#include "state/actions.h"
#include "state/appstate.h"
#include "shell/dialogs.h"
#include "shell/messagebox.h"

class RecordingActions : public AppActions {
public:
    std::vector<bool> topMostCalls;

    void showToolWindow(ToolWindow) override {}
    void showPlaylist() override {}
    void showCommandMenu(const QPoint&) override {}
    void hideWindows() override {}
    void restoreWindows() override {}
    void toggleWindows() override {}
    void setTopMost(bool on) override { topMostCalls.push_back(on); }
    void setMainWindowsEnabled(bool) override {}
    void quitApp() override {}
    void openHelp() override {}
    void openFileManager() override {}
};

class WindowTestEnv : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : kVariables)
            m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv("HOME", m_dir.path().toUtf8());
        qputenv("MORVANE_HOME", path("morvane").toUtf8());
        qputenv("MORVANE_DATA", path("share").toUtf8());
        qputenv("XDG_DATA_HOME", path("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
        qputenv("XDG_DATA_DIRS", path("system-data").toUtf8());
        qputenv("XDG_CONFIG_DIRS", path("system-config").toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
        QDir().mkpath(path("morvane"));
        QDir().mkpath(path("share"));
        MessageBoxScript::enable();
        DialogScript::clear();
    }

    void TearDown() override
    {
        MessageBoxScript::disable();
        DialogScript::clear();
        for (const auto& saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

    QString path(const QString& relative) const { return m_dir.path() + "/" + relative; }
    QString iniPath() const { return path("morvane/Property.ini"); }

    QByteArray readBytes(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeBytes(const QString& file, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    AppState m_state;
    RecordingActions m_actions;

private:
    static constexpr const char* kVariables[] = {
        "HOME",          "MORVANE_HOME",    "MORVANE_DATA",        "XDG_DATA_HOME",
        "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP", "PATH"};
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    std::vector<Saved> m_saved;
};
