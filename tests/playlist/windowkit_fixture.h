// The real playlist window with its toolbar, commands, appearance, command menu and a recording
// tray host, over the engine test double; app-level actions are recorded.
#pragma once

#include "playlistfixture.h"

#include "state/actions.h"
#include "playlist/commandmenu.h"
#include "playlist/playlisttoolbar.h"
#include "playlist/playlistview.h"
#include "playlist/playlistwindow.h"
#include "playlist/playlistwindowkit.h"
#include "settings/ini.h"
#include "shell/trayhost.h"

#include <QItemSelectionModel>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

class RecordingTrayHost : public TrayHost {
public:
    explicit RecordingTrayHost(std::vector<std::string>& log) : m_log(log) {}
    void add(int id, const QIcon&, const QString& tip) override
    {
        m_log.push_back("add " + std::to_string(id) + " " + tip.toStdString());
    }
    void modify(int id, const QIcon&, const QString& tip) override
    {
        m_log.push_back("modify " + std::to_string(id) + " " + tip.toStdString());
    }
    void remove(int id) override { m_log.push_back("remove " + std::to_string(id)); }

private:
    std::vector<std::string>& m_log;
};

// Records every cross-window command; restoreWindows follows its contract on the playlist
// window so that hide-then-restore can be seen.
class RecordingActions : public AppActions {
public:
    std::vector<std::string> calls;
    std::vector<ToolWindow> shown;
    AppState* state = nullptr;
    QWidget* playlistWindow = nullptr;
    bool mainWindowsEnabled = true;
    bool topMost = false;

    void showToolWindow(ToolWindow window) override
    {
        calls.push_back("showToolWindow");
        shown.push_back(window);
    }
    void showPlaylist() override { calls.push_back("showPlaylist"); }
    void showCommandMenu(const QPoint&) override { calls.push_back("showCommandMenu"); }
    void hideWindows() override { calls.push_back("hideWindows"); }
    void restoreWindows() override
    {
        calls.push_back("restoreWindows");
        if (state && playlistWindow && state->ListVisible)
            playlistWindow->show();
    }
    void toggleWindows() override { calls.push_back("toggleWindows"); }
    void setTopMost(bool on) override
    {
        calls.push_back(on ? "setTopMost 1" : "setTopMost 0");
        topMost = on;
    }
    void setMainWindowsEnabled(bool enabled) override
    {
        calls.push_back("setMainWindowsEnabled");
        mainWindowsEnabled = enabled;
    }
    void quitApp() override { calls.push_back("quitApp"); }
    void openHelp() override { calls.push_back("openHelp"); }
    void openFileManager() override { calls.push_back("openFileManager"); }
};

class WindowKitFixture : public PlaylistFixture {
protected:
    void SetUp() override
    {
        PlaylistFixture::SetUp();
        iniPath = path(QStringLiteral("Property.ini"));
    }
    void TearDown() override
    {
        kit.reset();
        window.reset();
        PlaylistFixture::TearDown();
    }

    // Builds the window and its kit; settings written before this are what start-up reads.
    void openWindow()
    {
        window = std::make_unique<PlaylistWindow>(state, model, ops);
        actions.state = &state;
        actions.playlistWindow = window.get();
        kit = std::make_unique<PlaylistWindowKit>(*window, actions, iniPath,
                                                  std::make_unique<RecordingTrayHost>(trayLog));
    }

    // n rows of stand-in MP3 files named t1.mp3 .. tn.mp3.
    void addTracks(int n)
    {
        for (int i = 1; i <= n; ++i)
            model.AddRow(writeMp3(QStringLiteral("t%1.mp3").arg(i), 1024 * i));
        model.MakeRandomOrder();
    }

    void select(std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = view()->selectionModel();
        selection->clearSelection();
        for (int n : rows)
            selection->select(model.index(n - 1, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QStringList rowNames() const
    {
        QStringList names;
        for (int n = 1; n <= model.count(); ++n)
            names << model.rowText(n);
        return names;
    }

    PlaylistView* view() const { return window->playList(); }
    QString ini(const char* section, const char* key) const
    {
        return ReadIni(QLatin1String(section), QLatin1String(key), 200, iniPath);
    }

    QString iniPath;
    RecordingActions actions;
    std::vector<std::string> trayLog;
    std::unique_ptr<PlaylistWindow> window;
    std::unique_ptr<PlaylistWindowKit> kit;
};
