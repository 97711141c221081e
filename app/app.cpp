// Start-up, the cross-window commands and quit.
#include "app.h"

#include "apppaths.h"
#include "messagebox.h"
#include "settingsstore.h"
#include "signalwatch.h"
#include "startup.h"

#include "desktop/mpris.h"
#include "engine/engine.h"
#include "engine/meta/tagreader.h"
#include "engine/output/silentnotice.h"
#include "player/lyricsclock.h"
#include "player/mainwindow.h"
#include "player/skinpictures.h"
#include "player/trayiconrule.h"
#include "playlist/commandmenu.h"
#include "playlist/playlistappearance.h"
#include "playlist/playlistcommands.h"
#include "playlist/playlistfile.h"
#include "playlist/playlistmodel.h"
#include "playlist/playlistroads.h"
#include "playlist/playlistwindow.h"
#include "playlist/playlistwindowkit.h"
#include "playlist/startupfill.h"
#include "playlist/trackops.h"
#include "settings/ini.h"
#include "settings/replaygainpage.h"
#include "settings/settingswindow.h"
#include "settings/shortcutwindow.h"
#include "shell/desktopopen.h"
#include "shell/trayhost.h"
#include "shell/trayicon.h"
#include "tools/conversionwatcher.h"
#include "tools/decodingwindow.h"
#include "tools/documentwindow.h"
#include "tools/eqmemory.h"
#include "tools/eqpresets.h"
#include "tools/equalizerwindow.h"
#include "tools/lyricseditorwindow.h"
#include "tools/pitchwindow.h"
#include "tools/tageditorwindow.h"
#include "tools/versionwindow.h"
#include "visual/skin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QSystemTrayIcon>
#include <QTimer>

#include <atomic>
#include <cstdio>

#include <unistd.h>

namespace {

// The state that EngineCallback marks and the loop it wakes; the engine's callback carries no
// user data.
std::atomic<AppState*> g_callbackState{nullptr};
std::atomic<TimerEvent*> g_callbackLoop{nullptr};

// The tick's interval while the main window is out of sight and nothing else shows its clock:
// the tick then only keeps its logic. The end of a track, and the window painted back into
// sight, wake it at once; the tray icon changes on even seconds, which this still catches.
constexpr int kUnseenIntervalMs = 250;

int toolIndex(ToolWindow window) { return static_cast<int>(window); }

// Milliseconds since this process started, from the kernel's start time (10 ms resolution).
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray statText = stat.readAll();
    // Fields after the command name, which is in parentheses and may contain blanks.
    const QList<QByteArray> fields = statText.mid(statText.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields[19].toDouble();  // field 22 of the whole line
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    return (upSeconds - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

}  // namespace

void EngineCallback(int32_t code, int32_t)
{
    AppState* state = g_callbackState.load();
    if (!state)
        return;
    if (code == Engine::kTrackEnded)
        state->PlayEnd.store(true);
    else if (code == Engine::kSuccessorWanted)
        state->NextWanted.store(true);
    else if (code == Engine::kSuccessorHeard)
        state->NextHeard.store(true);
    else
        return;
    if (TimerEvent* loop = g_callbackLoop.load())
        loop->wake();
}

// The tray icon as the tick drives it: only changes reach the desktop.
class AppTraySink : public TrayIconSink {
public:
    AppTraySink(cTrayIcon& icon, const Skin& skin) : m_icon(icon), m_skin(skin) {}

    void showTrayIcon(Image image, const QString& tip) override
    {
        if (m_shown && image == m_image && tip == m_tip)
            return;
        m_shown = true;
        m_image = image;
        m_tip = tip;
        const int picture = image == Image::Playing1 ? 1 : image == Image::Playing2 ? 2 : 3;
        m_icon.setIndex(0);
        m_icon.setTip(tip);
        m_icon.setPicture(m_skin.trayIcon(picture));
        m_icon.setVisible(true);
    }

private:
    cTrayIcon& m_icon;
    const Skin& m_skin;
    Image m_image = Image::Stopped;
    QString m_tip;
    bool m_shown = false;
};

// The lyrics editor's clock as the tick sees it.
class AppLyricsClock : public LyricsClock {
public:
    explicit AppLyricsClock(LyricsEditorWindow& window) : m_window(window) {}
    QString editedFile() const override { return m_window.boundLabel()->text(); }
    void setClockText(const QString& text) override
    {
        if (m_window.clockLabel()->text() != text)
            m_window.clockLabel()->setText(text);
    }

private:
    LyricsEditorWindow& m_window;
};

App::App(AppState& state, Engine& engine, QObject* parent)
    : QObject(parent), m_state(state), m_engine(engine)
{
    g_callbackState.store(&m_state);
    g_callbackLoop.store(&m_timer);
    m_startupProbe = qEnvironmentVariableIntValue("MORVANE_STARTUP_PROBE") == 1;
    m_timer.Timer = [this] { tick(); };
}

App::~App()
{
    g_callbackState.store(nullptr);
    g_callbackLoop.store(nullptr);
    m_mpris.reset();
    closeAllWindows();
}

void App::load(const QStringList& args)
{
    const QString ini = PropertyIniPath();
    m_skin = std::make_unique<Skin>();
    m_playlist = std::make_unique<PlaylistModel>();
    m_ops = std::make_unique<TrackOps>(m_state, m_engine, *m_playlist);

    // A logout or a kill must not lose the playlist. Until start-up has filled the rows the
    // backup on disk is still the newest copy, so an early signal writes nothing.
    m_signals = std::make_unique<SignalWatch>([this](int) {
        if (m_loaded)
            emergencyQuit();
        // A modal dialog may be running its own loop; the backup is written, so end here.
        ::_exit(0);
    });
    m_watcher = std::make_unique<ConversionWatcher>(m_engine);
    m_eqMemory = std::make_unique<EqMemory>();

    // The main window's load sequence.
    m_state.DrawBestCondition = ReadIniInt(QStringLiteral("Window"),
                                           QStringLiteral("DrawBestCondition"), ini);
    m_timer.setInterval(m_state.DrawBestCondition == 1 ? 1 : 20);

    m_playlistWindow = std::make_unique<PlaylistWindow>(m_state, *m_playlist, *m_ops);
    m_kit = std::make_unique<PlaylistWindowKit>(*m_playlistWindow, *this, ini);
    m_mainWindow = std::make_unique<MainWindow>(m_state, m_engine, *m_ops, *this,
                                                SkinPictures::from(*m_skin));
    m_ops->setMessageParent(m_mainWindow.get());
    m_mainWindow->setWindowIcon(m_skin->programIcon());
    m_playlistWindow->setWindowIcon(m_skin->programIcon());
    QApplication::setWindowIcon(m_skin->programIcon());
    m_traySink = std::make_unique<AppTraySink>(m_kit->trayIcon(), *m_skin);
    m_mainWindow->setTrayIcon(m_traySink.get());
    m_mainWindow->setBackInSight([this] { m_timer.wake(); });
    m_mainWindow->hooks().addFromShortcut = [this](int keyCode) {
        m_playlistWindow->roads().AddFromShortcut(keyCode);
    };
    m_mainWindow->hooks().addFromDrop = [this](const QMimeData* data) {
        m_playlistWindow->roads().AddFromDrop(data);
    };
    m_mainWindow->show();

    if (!m_engine.init())
        std::fprintf(stderr, "morvane: the playback engine could not be initialised\n");
    m_state.TitleLabel.clear();
    m_state.ArtistLabel.clear();
    m_state.Volume = 80;
    m_state.CurrentIndex = 1;

    LoadSettings(m_state, ini);
    LoadReplayGainSettings(m_state, ini);
    m_engine.setAlbumTest([this](const std::string& path) { return albumRun(path); });
    // A damaged load setting would make every track load fail: put the default back, store it so
    // the user hears of it once, and say why.
    const QString repaired = RepairLoadSettings(m_state);
    if (!repaired.isEmpty()) {
        SaveSettings(m_state, ini);
        ShowMessage(m_mainWindow.get(), repaired, kAppTitle, QMessageBox::Warning);
    }
    if (m_state.AlwaysTop)
        setTopMost(true);
    const RememberedState remembered = ReadRememberedState(ini);
    if (QScreen* screen = m_mainWindow->screen()) {
        // The place of the last run wins over the start position, kept on the screen's free
        // area; the free area also keeps a bottom corner clear of a panel.
        if (remembered.hasMainPlace)
            m_mainWindow->move(KeepInside({remembered.mainLeft, remembered.mainTop},
                                          m_mainWindow->frameGeometry().size(),
                                          screen->availableGeometry()));
        else if (auto pos = StartPosition(m_state.StartType, m_mainWindow->size(),
                                          screen->availableGeometry()))
            m_mainWindow->move(*pos);
    }
    m_mainStartPlace = m_mainWindow->pos();
    m_state.Volume = remembered.volume;
    m_state.PlayMode = remembered.playMode;
    if (remembered.mute) {
        // The first track opened at start-up stays muted as the last run left it.
        m_state.Mute = true;
        m_state.MuteVolume = remembered.volume;
        m_ops->setKeepMuteOnOpen(true);
        m_engine.setVolume(0, 0);
    }
    m_eqMemory->EqSliders = remembered.eqSliders;
    m_eqMemory->EqPreset = remembered.eqPreset;
    if (remembered.eqSliders != decltype(remembered.eqSliders){}) {
        EqPositions positions{};
        for (int i = 0; i < kEqBands; ++i)
            positions[i] = remembered.eqSliders[i];
        m_engine.setEqualizer(EqGains(positions).data());
    }
    m_kit->commandMenu().syncChecks();
    m_engine.callback(&EngineCallback);
    m_state.OptionChanged = true;

    StartupFill(m_state, *m_playlist, *m_ops, args, BackupPath(), m_mainWindow.get());
    m_ops->setKeepMuteOnOpen(false);
    m_loaded = true;

    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { writeBackup(); });

    if (!m_startupProbe) {
        MprisHooks hooks;
        hooks.quit = [this] { emergencyQuit(); };
        hooks.openFiles = [this](const QStringList& paths) { openHandedOver(paths); };
        m_mpris = std::make_unique<MprisService>(m_state, m_engine, *m_ops, *m_playlist, *this,
                                                 std::move(hooks));
        m_mpris->start();
    }
}

void App::run() { m_timer.setEnabled(true); }

bool App::albumRun(const std::string& path) const
{
    if (!m_playlist)
        return false;
    auto album = [](const QString& row) {
        TagInfo tag;
        ReadTag(QFile::encodeName(row).toStdString(), tag);
        return tag.album;
    };
    for (int n = 1; n <= m_playlist->count(); ++n) {
        if (QFile::encodeName(m_playlist->rowPath(n)).toStdString() != path)
            continue;
        const std::string own = album(m_playlist->rowPath(n));
        return !own.empty() &&
               ((m_playlist->isValidRow(n - 1) && album(m_playlist->rowPath(n - 1)) == own) ||
                (m_playlist->isValidRow(n + 1) && album(m_playlist->rowPath(n + 1)) == own));
    }
    return false;
}

void App::tick()
{
    if (!m_mainWindow)
        return;
    m_state.ConversionRunning = m_watcher->running();
    if (m_state.ReplayGainChanged) {
        m_state.ReplayGainChanged = false;
        m_engine.setReplayGain(m_state.ReplayGainMode, m_state.ReplayGainPreamp,
                               m_state.ReplayGainUntagged);
    }
    m_mainWindow->tick();
    const int seenIntervalMs = m_state.DrawBestCondition == 1 ? 1 : 20;
    m_timer.setInterval(m_mainWindow->canBeSeen() || m_state.LyricsEditOpen ? seenIntervalMs
                                                                             : kUnseenIntervalMs);
    if (m_startupProbe && !m_mainWindow->lastDirtyRects().empty()) {
        // Benchmark mode: report the time from process start to the first shown frame and end.
        QApplication::processEvents();
        std::printf("first-frame-ms=%.1f\n", msSinceProcessStart());
        std::fflush(stdout);
        m_quitting = true;
        m_timer.setEnabled(false);
        return;
    }
    if (m_mpris)
        m_mpris->poll();
    // Messages are shown from the event loop, not from inside the tick: the ticks go on
    // behind a message only when it was opened outside one.
    QWidget* window = m_mainWindow.get();
    const std::string lost = TakeLostOutputNotice();
    if (!lost.empty()) {
        const QString text =
            QStringLiteral("サウンドサーバーとの接続が切れました。音は出ませんが、再生時間は"
                           "進みます。\r次に曲の再生を始める時に、もう一度つなぎます。\r（%1）")
                .arg(QString::fromStdString(lost));
        QTimer::singleShot(0, window, [window, text] {
            ShowMessage(window, text, kAppTitle, QMessageBox::Warning);
        });
    }
    if (auto notice = m_watcher->poll()) {
        // The user must know when a silent conversion is done, and why it failed.
        if (!m_kit->trayIcon().showMessage(notice->title, notice->text, !notice->succeeded)) {
            QTimer::singleShot(0, window, [window, notice = *notice] {
                ShowMessage(window, notice.text, notice.title,
                            notice.succeeded ? QMessageBox::Information : QMessageBox::Warning);
            });
        }
    }
}

bool App::writeBackup()
{
    if (!m_playlist || !m_loaded)
        return false;
    if (m_state.SettingsReadOnly)
        return true;
    m_backupError.clear();
    if (!WriteBackup(*m_playlist, BackupPath(), &m_backupError)) {
        std::fprintf(stderr, "morvane: the playlist backup could not be written: %s\n",
                     qPrintable(m_backupError));
        return false;
    }
    return true;
}

void App::emergencyQuit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    m_engine.close();
    m_engine.free();
    rememberState();
    writeBackup();
    if (m_kit)
        m_kit->trayIcon().AllHide();
    closeAllWindows();
    m_timer.setEnabled(false);
}

namespace {
// The window-manager frame around a window's contents; estimated before its first show.
QSize frameSizeOf(QWidget& window)
{
    // A window never sized by its code gets its layout's size at its first show: take it now.
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    const QSize frame = window.frameGeometry().size();
    if (window.testAttribute(Qt::WA_WState_Created) && frame != window.size())
        return frame;
    return window.size() + QSize(8, 34);
}

const QString kPlayListSection = QStringLiteral("PlayList");
// Time for the window manager to frame a window just shown.
constexpr int kSettleAfterShowMs = 300;
}  // namespace

void App::placeBesideMainWindow(QWidget& window)
{
    QScreen* screen = m_mainWindow->screen();
    if (!screen)
        return;
    const QSize frame = frameSizeOf(window);
    const QRect anchor = m_mainWindow->frameGeometry();
    QRect place(PlaceBeside(anchor, frame, screen->availableGeometry()), frame);
    if (&window == m_playlistWindow.get()) {
        // The list may be made smaller to keep clear of the main window's buttons.
        const QSize decoration = frame - window.size();
        place = PlaceBesideShrinking(anchor, frame,
                                     QSize(kPlaylistMinSide, kPlaylistMinSide) + decoration,
                                     screen->availableGeometry());
        if (place.size() != frame)
            window.resize(place.size() - decoration);
    }
    window.move(place.topLeft());
    // Where the screen leaves no room clear of an always-on-top main window, the tool window
    // stays above it too, so no part of it is hidden.
    const bool covers = place.intersects(anchor);
    window.setWindowFlag(Qt::WindowStaysOnTopHint, covers && m_state.AlwaysTop);
}

void App::keepOnScreenOnceShown(QWidget& window, bool besideMainWindow)
{
    // Shown, a window has its real size (its contents filled in) and, a moment later, the
    // window manager's frame: a window that then reaches off the screen, or over the main
    // window where it was put beside it, is placed again.
    QPointer<QWidget> shown(&window);
    auto settle = [this, shown, besideMainWindow] {
        QScreen* screen = m_mainWindow ? m_mainWindow->screen() : nullptr;
        if (!shown || !shown->isVisible() || !screen)
            return;
        const QRect available = screen->availableGeometry();
        const QSize frame = frameSizeOf(*shown);
        const QRect now(shown->frameGeometry().topLeft(), frame);
        if (besideMainWindow && now.intersects(m_mainWindow->frameGeometry()))
            placeBesideMainWindow(*shown);
        else if (!available.contains(now))
            shown->move(KeepInside(now.topLeft(), frame, available));
    };
    QTimer::singleShot(0, &window, settle);
    QTimer::singleShot(kSettleAfterShowMs, &window, settle);
}

void App::rememberPlaylistPlace()
{
    if (!m_playlistPlaced || !m_playlistWindow)
        return;
    const QString ini = PropertyIniPath();
    const QPoint at = m_playlistWindow->pos();
    WriteIni(kPlayListSection, QStringLiteral("Left"), QString::number(at.x()), ini);
    WriteIni(kPlayListSection, QStringLiteral("Top"), QString::number(at.y()), ini);
}

void App::rememberState()
{
    if (!m_loaded || m_state.SettingsReadOnly)
        return;
    RememberedState r;
    r.mute = m_state.Mute;
    r.volume = qBound(0, m_state.Mute ? m_state.MuteVolume : m_state.Volume, 100);
    r.playMode = qBound(0, m_state.PlayMode, 3);
    r.eqSliders = m_eqMemory->EqSliders;
    r.eqPreset = m_eqMemory->EqPreset;
    // Only a window the user moved keeps its place; otherwise the start position still rules.
    const QString ini = PropertyIniPath();
    if (m_mainWindow && m_mainWindow->pos() != m_mainStartPlace) {
        r.hasMainPlace = true;
        r.mainLeft = m_mainWindow->pos().x();
        r.mainTop = m_mainWindow->pos().y();
    }
    WriteRememberedState(r, ini);
}

void App::openHandedOver(const QStringList& args)
{
    if (m_quitting || !m_loaded)
        return;
    if (args.isEmpty()) {
        restoreWindows();
        return;
    }
    OpenHandedOver(*m_playlist, *m_ops, args, m_mainWindow.get());
}

QWidget* App::createToolWindow(ToolWindow window)
{
    QWidget* w = nullptr;
    switch (window) {
    case ToolWindow::Settings:
        w = new SettingsWindow(m_state, *this);
        break;
    case ToolWindow::ShortPath:
        w = new ShortcutWindow(m_state, m_mainWindow.get());
        break;
    case ToolWindow::TagEditor:
        w = new TagEditorWindow(m_state, m_engine, *m_ops, &EngineCallback);
        break;
    case ToolWindow::Equalizer:
        w = new EqualizerWindow(m_engine, *m_eqMemory);
        break;
    case ToolWindow::Pitch:
        w = new PitchWindow(m_engine);
        break;
    case ToolWindow::LyricsEditor: {
        auto* editor = new LyricsEditorWindow(m_state, m_engine);
        m_lyricsClock = std::make_unique<AppLyricsClock>(*editor);
        m_mainWindow->setLyricsClock(m_lyricsClock.get());
        w = editor;
        break;
    }
    case ToolWindow::Decoding:
        w = new DecodingWindow(m_state, m_engine, *m_ops, *this, *m_watcher);
        break;
    case ToolWindow::Document:
        w = new DocumentWindow(m_state, *m_playlist);
        break;
    case ToolWindow::Version:
        w = new VersionWindow(m_engine);
        break;
    }
    if (w)
        w->setWindowIcon(m_skin->programIcon());
    m_tools[toolIndex(window)] = w;
    return w;
}

void App::showToolWindow(ToolWindow window)
{
    QWidget* w = m_tools[toolIndex(window)];
    if (!w) {
        w = createToolWindow(window);
        // Closing these two hands the keyboard back to the main window.
        if (window == ToolWindow::Decoding)
            connect(static_cast<DecodingWindow*>(w), &DecodingWindow::closed, this,
                    [this] { m_mainWindow->activateWindow(); });
        if (window == ToolWindow::Version)
            connect(static_cast<VersionWindow*>(w), &VersionWindow::closed, this,
                    [this] { m_mainWindow->activateWindow(); });
    }
    // Each opening puts the window beside the main window, never under it when that one stays
    // on top.
    const bool opening = !w->isVisible();
    if (opening)
        placeBesideMainWindow(*w);
    switch (window) {
    case ToolWindow::TagEditor:
        static_cast<TagEditorWindow*>(w)->showWindow();
        break;
    case ToolWindow::Equalizer:
        static_cast<EqualizerWindow*>(w)->showWindow();
        break;
    case ToolWindow::Pitch:
        static_cast<PitchWindow*>(w)->showWindow();
        break;
    case ToolWindow::LyricsEditor:
        static_cast<LyricsEditorWindow*>(w)->showWindow();
        break;
    case ToolWindow::Decoding:
        static_cast<DecodingWindow*>(w)->showWindow();
        break;
    case ToolWindow::Document:
        static_cast<DocumentWindow*>(w)->showWindow();
        break;
    case ToolWindow::Version:
        static_cast<VersionWindow*>(w)->showWindow();
        break;
    case ToolWindow::Settings:
    case ToolWindow::ShortPath:
        w->show();
        break;
    }
    w->raise();
    w->activateWindow();
    if (opening)
        keepOnScreenOnceShown(*w, true);
}

void App::showPlaylist()
{
    bool firstOpening = false;
    bool storedPlace = false;
    if (!m_playlistPlaced && !m_playlistWindow->isVisible()) {
        // The place it had at the last quit, else beside the main window.
        m_playlistPlaced = true;
        const QString ini = PropertyIniPath();
        bool hasLeft = false;
        bool hasTop = false;
        const int left = ReadIni(kPlayListSection, QStringLiteral("Left"), 50, ini).toInt(&hasLeft);
        const int top = ReadIni(kPlayListSection, QStringLiteral("Top"), 50, ini).toInt(&hasTop);
        QScreen* screen = m_mainWindow->screen();
        const QSize frame = frameSizeOf(*m_playlistWindow);
        const QPoint stored =
            screen ? KeepInside({left, top}, frame, screen->availableGeometry()) : QPoint();
        // A stored place over the main window (a smaller screen now) would hide its buttons.
        storedPlace = hasLeft && hasTop && screen &&
                      !QRect(stored, frame).intersects(m_mainWindow->frameGeometry());
        if (storedPlace)
            m_playlistWindow->move(stored);
        else
            placeBesideMainWindow(*m_playlistWindow);
        firstOpening = true;
    }
    m_playlistWindow->showNormal();
    m_playlistWindow->raise();
    if (firstOpening)
        keepOnScreenOnceShown(*m_playlistWindow, !storedPlace);
}

void App::showCommandMenu(const QPoint& globalPos) { m_kit->commandMenu().popupAt(globalPos); }

void App::hideWindows()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a tray nothing could bring hidden windows back: minimise them instead.
        m_mainWindow->showMinimized();
        if (m_playlistWindow->isVisible())
            m_playlistWindow->showMinimized();
        return;
    }
    m_mainWindow->hide();
    m_playlistWindow->hide();
}

void App::restoreWindows()
{
    auto bringBack = [](QWidget& w) {
        if (w.isMinimized())
            w.showNormal();
        else
            w.show();
    };
    if (m_state.ListVisible) {
        bringBack(*m_playlistWindow);
        m_playlistWindow->raise();
    }
    bringBack(*m_mainWindow);
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void App::toggleWindows()
{
    if (m_mainWindow->isVisible() && !m_mainWindow->isMinimized())
        hideWindows();
    else
        restoreWindows();
}

void App::setTopMost(bool on)
{
    // Wayland lets no client stay above the others, and changing the flag would unmap the
    // window, which the compositor then places anew.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    const bool visible = m_mainWindow->isVisible();
    m_mainWindow->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        m_mainWindow->show();  // changing a window flag hides the window
}

void App::setMainWindowsEnabled(bool enabled)
{
    m_mainWindow->setEnabled(enabled);
    m_playlistWindow->setEnabled(enabled);
}

void App::quitApp()
{
    // A second close request while the question is open (Alt+F4 twice) asks nothing more.
    if (m_quitting || m_askingQuit)
        return;
    if (qApp->isSavingSession()) {
        // The session is ending: the backup is written without a question nobody can answer.
        emergencyQuit();
        return;
    }
    m_askingQuit = true;
    setTopMost(false);
    const auto answer = ShowMessage(m_mainWindow.get(), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑを終了しますか？"),
                                    QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの終了"), QMessageBox::Question,
                                    QMessageBox::Ok | QMessageBox::Cancel);
    m_askingQuit = false;
    if (answer != QMessageBox::Ok) {
        if (m_state.AlwaysTop)
            setTopMost(true);
        return;
    }
    m_quitting = true;
    m_engine.close();
    m_engine.free();
    rememberPlaylistPlace();
    rememberState();
    if (!writeBackup()) {
        // Only a backup that is there can be said to be kept.
        ShowMessage(m_mainWindow.get(),
                    QStringLiteral("プレイリストのバックアップを保存できませんでした。\r") +
                        QDir::toNativeSeparators(BackupPath()) + QLatin1Char('\r') +
                        m_backupError + QLatin1Char('\r') +
                        (QFileInfo::exists(BackupPath())
                             ? QStringLiteral("前回のバックアップはそのまま残っています。")
                             : QStringLiteral("次回の起動時、プレイリストは空になります。")),
                    kAppTitle, QMessageBox::Warning);
    }
    m_kit->trayIcon().AllHide();
    closeAllWindows();
    m_timer.setEnabled(false);
}

void App::openHelp() { OpenHelp(m_mainWindow.get()); }

void App::openFileManager()
{
    QString folder = QDir::homePath();
    if (!m_state.CurrentFile.isEmpty()) {
        const QFileInfo info(m_state.CurrentFile);
        if (info.absoluteDir().exists())
            folder = info.absolutePath();
    }
    OpenWithDesktop(m_mainWindow.get(), folder, QStringLiteral("フォルダ"));
}

void App::closeAllWindows()
{
    // Tool windows first, then the playlist window and the main window.
    for (int i = 8; i >= 0; --i) {
        if (m_tools[i]) {
            m_tools[i]->close();
            delete m_tools[i].data();
        }
    }
    if (m_mainWindow)
        m_mainWindow->setLyricsClock(nullptr);
    if (m_playlistWindow)
        m_playlistWindow->hide();
    if (m_mainWindow)
        m_mainWindow->hide();
}
