// The command menu's items and what each does; check marks follow AppState.
#include "commandmenu.h"

#include "state/actions.h"
#include "state/appstate.h"
#include "engine/engine.h"
#include "playlistcommands.h"
#include "playlistmodel.h"
#include "playlistroads.h"
#include "playlistwindow.h"
#include "settings/settingsstore.h"
#include "shell/messagebox.h"
#include "trackops.h"

#include <QActionGroup>
#include <QRegularExpression>
#include <QAction>
#include <QMenu>

CommandMenu::CommandMenu(PlaylistWindow& window, AppActions& actions, const QString& iniPath)
    : QObject(&window), m_window(window), m_actions(actions), m_iniPath(iniPath)
{
    build();
    connect(m_menu, &QMenu::aboutToShow, this, &CommandMenu::syncChecks);
    syncChecks();
}

QAction* CommandMenu::add(QMenu* menu, const QString& name, const QString& caption, bool checkable,
                          void (CommandMenu::*handler)(int), int index)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, handler, index] {
        (this->*handler)(index);
        syncChecks();
    });
    return action;
}

void CommandMenu::radioGroup(const QList<QAction*>& actions)
{
    auto* group = new QActionGroup(m_menu);
    // The marks are set from the state; none may be marked (no visualisation of one kind).
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* action : actions)
        group->addAction(action);
}

void CommandMenu::build()
{
    m_menu = new QMenu(&m_window);
    m_menu->setObjectName(QStringLiteral("Popup4"));
    QMenu* const top = m_menu;

    QMenu* open = top->addMenu(QStringLiteral("開く(&O)"));
    open->menuAction()->setObjectName(QStringLiteral("p0"));
    add(open, QStringLiteral("p01_0"), QStringLiteral("ファイル指定(&A)"), false,
        &CommandMenu::open, 0);
    add(open, QStringLiteral("p01_1"), QStringLiteral("フォルダ指定(&F)"), false,
        &CommandMenu::open, 1);
    top->addSeparator();

    add(top, QStringLiteral("p1_0"), QStringLiteral("再生(&P)"), false, &CommandMenu::transport, 0);
    add(top, QStringLiteral("p1_1"), QStringLiteral("停止(&S)"), false, &CommandMenu::transport, 1);
    add(top, QStringLiteral("p1_2"), QStringLiteral("一時停止(&T)"), false, &CommandMenu::transport,
        2);
    top->addSeparator();

    add(top, QStringLiteral("p2_0"), QStringLiteral("次トラック(&B)"), false, &CommandMenu::step,
        0);
    add(top, QStringLiteral("p2_1"), QStringLiteral("前トラック(&N)"), false, &CommandMenu::step,
        1);
    top->addSeparator();

    // &A belongs to "常に手前に表示(&A)" in this menu.
    QMenu* display = top->addMenu(QStringLiteral("表示(&Y)"));
    display->menuAction()->setObjectName(QStringLiteral("p3_0"));
    QMenu* spectrum = display->addMenu(QStringLiteral("スペクトラムアナライザ(&A)"));
    spectrum->menuAction()->setObjectName(QStringLiteral("p31"));
    add(spectrum, QStringLiteral("p311_0"), QStringLiteral("合成デシベル(&G)"), true,
        &CommandMenu::spectrum, 0);
    add(spectrum, QStringLiteral("p311_1"), QStringLiteral("右＆左チャンネル(&B)"), true,
        &CommandMenu::spectrum, 1);
    add(spectrum, QStringLiteral("p311_2"), QStringLiteral("ラインスペアナ(&L)"), true,
        &CommandMenu::spectrum, 2);
    QMenu* scope = display->addMenu(QStringLiteral("オシロスコープ(&O)"));
    scope->menuAction()->setObjectName(QStringLiteral("p32"));
    add(scope, QStringLiteral("p321_0"), QStringLiteral("合成波(&G)"), true,
        &CommandMenu::oscilloscope, 0);
    add(scope, QStringLiteral("p321_1"), QStringLiteral("右＆左チャンネル(&B)"), true,
        &CommandMenu::oscilloscope, 1);
    add(scope, QStringLiteral("p321_2"), QStringLiteral("右チャンネル(&R)"), true,
        &CommandMenu::oscilloscope, 2);
    add(scope, QStringLiteral("p321_3"), QStringLiteral("左チャンネル(&L)"), true,
        &CommandMenu::oscilloscope, 3);
    add(display, QStringLiteral("p33"), QStringLiteral("表示しない(&N)"), true,
        &CommandMenu::noDisplay, 0);
    // One visualisation at a time: radio marks, not check boxes.
    radioGroup(display->findChildren<QAction*>(QRegularExpression(QStringLiteral("^p3(11|21|3)"))));
    add(top, QStringLiteral("p3_1"), QStringLiteral("スターダスト(&D)"), true,
        &CommandMenu::toggleStarDust, 0);
    add(top, QStringLiteral("p3_2"), QStringLiteral("常に手前に表示(&A)"), true,
        &CommandMenu::toggleAlwaysTop, 0);
    top->addSeparator();

    add(top, QStringLiteral("p4_0"), QStringLiteral("プレイリスト(&L)"), false,
        &CommandMenu::windows, 0);
    add(top, QStringLiteral("p4_1"), QStringLiteral("エクスプローラー(&E)"), false,
        &CommandMenu::windows, 1);
    top->addSeparator();

    QMenu* tools = top->addMenu(QStringLiteral("ウィンドウ(&W)"));
    tools->menuAction()->setObjectName(QStringLiteral("p5"));
    const char* toolCaptions[] = {"グラフィックイコライザ画面(&G)", "ショートパス設定画面(&S)",
                                  "デコーディング画面(&D)",         "タグ編集画面(&T)",
                                  "ピッチ・倍速演奏画面(&P)",       "ドキュメント画面(&K)",
                                  "ウィンドウ設定画面(&W)",         "歌詞編集画面(&L)"};
    for (int i = 0; i < 8; ++i)
        add(tools, QStringLiteral("p51_%1").arg(i), QString::fromUtf8(toolCaptions[i]), false,
            &CommandMenu::toolWindow, i);
    top->addSeparator();

    add(top, QStringLiteral("p6_0"), QStringLiteral("フェードイン(&I)"), true, &CommandMenu::fade,
        0);
    add(top, QStringLiteral("p6_1"), QStringLiteral("フェードアウト(&F)"), false,
        &CommandMenu::fade, 1);
    top->addSeparator();

    QMenu* modes = top->addMenu(QStringLiteral("プレイモード(&M)"));
    modes->menuAction()->setObjectName(QStringLiteral("p7"));
    const char* modeCaptions[] = {"通常演奏(&N)", "リピート演奏(&R)", "ランダム演奏(&A)",
                                  "単曲リピート(&T)"};
    for (int i = 0; i < 4; ++i)
        add(modes, QStringLiteral("p71_%1").arg(i), QString::fromUtf8(modeCaptions[i]), true,
            &CommandMenu::playMode, i);
    radioGroup(modes->findChildren<QAction*>(QRegularExpression(QStringLiteral("^p71_"))));
    top->addSeparator();

    add(top, QStringLiteral("p8_0"), QStringLiteral("バージョン(&V)"), false, &CommandMenu::about,
        0);
    add(top, QStringLiteral("p8_1"), QStringLiteral("ヘルプ(&H)"), false, &CommandMenu::about, 1);
    top->addSeparator();
    add(top, QStringLiteral("p10"), QStringLiteral("ウィンドウを元に戻す(&R)"), false,
        &CommandMenu::restore, 0);
    top->addSeparator();
    add(top, QStringLiteral("p9"), QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&Q)"), false, &CommandMenu::quit,
        0);
}

QAction* CommandMenu::item(const QString& name) const
{
    return m_menu->findChild<QAction*>(name);
}

void CommandMenu::popupAt(const QPoint& globalPos)
{
    m_menu->popup(globalPos);
}

void CommandMenu::syncChecks()
{
    const AppState& state = m_window.state();
    for (int i = 0; i < 3; ++i)
        item(QStringLiteral("p311_%1").arg(i))
            ->setChecked(state.ExpressType == 1 && state.SpeAnaType == i);
    for (int i = 0; i < 4; ++i)
        item(QStringLiteral("p321_%1").arg(i))
            ->setChecked(state.ExpressType == 0 && state.OsiroType == i);
    item(QStringLiteral("p33"))->setChecked(state.ExpressType == 2);
    item(QStringLiteral("p3_1"))->setChecked(state.StarDust);
    item(QStringLiteral("p3_2"))->setChecked(state.AlwaysTop);
    item(QStringLiteral("p6_0"))->setChecked(state.FadeIn);
    for (int i = 0; i < 4; ++i)
        item(QStringLiteral("p71_%1").arg(i))->setChecked(state.PlayMode == i);
}

void CommandMenu::saveSettings()
{
    SaveSettings(m_window.state(), m_iniPath);
}

void CommandMenu::open(int index)
{
    if (index == 0)
        m_window.roads().AddFromFileDialog(&m_window);
    else
        m_window.roads().AddFromFolder(&m_window);
}

void CommandMenu::transport(int index)
{
    TrackOps& ops = m_window.trackOps();
    switch (index) {
    case 0:
        ops.PlayCurrent();
        break;
    case 1:
        ops.StopTrack();
        break;
    default:
        ops.TogglePause();
        break;
    }
}

void CommandMenu::step(int index)
{
    if (index == 0)
        m_window.trackOps().NextTrack();
    else
        m_window.trackOps().PreviousTrack();
}

void CommandMenu::spectrum(int index)
{
    m_window.state().ExpressType = 1;
    m_window.state().SpeAnaType = index;
    saveSettings();
}

void CommandMenu::oscilloscope(int index)
{
    m_window.state().ExpressType = 0;
    m_window.state().OsiroType = index;
    saveSettings();
}

void CommandMenu::noDisplay(int)
{
    m_window.state().ExpressType = 2;
    saveSettings();
}

void CommandMenu::toggleStarDust(int)
{
    m_window.state().StarDust = !m_window.state().StarDust;
    saveSettings();
}

void CommandMenu::toggleAlwaysTop(int)
{
    AppState& state = m_window.state();
    state.AlwaysTop = !state.AlwaysTop;
    m_actions.setTopMost(state.AlwaysTop);
    saveSettings();
}

void CommandMenu::windows(int index)
{
    if (index == 0)
        m_actions.showPlaylist();
    else
        m_actions.openFileManager();
}

void CommandMenu::toolWindow(int index)
{
    AppState& state = m_window.state();
    switch (index) {
    case 0:
        m_actions.showToolWindow(ToolWindow::Equalizer);
        break;
    case 1:
        m_actions.showToolWindow(ToolWindow::ShortPath);
        break;
    case 2: {
        int32_t sec = 0;
        if (m_window.trackOps().engine().getState(sec) == 0 && state.FileOpened) {
            m_actions.showToolWindow(ToolWindow::Decoding);
            m_actions.setMainWindowsEnabled(false);
        }
        break;
    }
    case 3:
        if (!state.CurrentFile.isEmpty()) {
            m_actions.showToolWindow(ToolWindow::TagEditor);
        } else {
            ShowMessage(&m_window, QStringLiteral("ファイルが読み込まれていないため\n"
                                                  "このウィンドウは開けません!"));
        }
        break;
    case 4:
        m_actions.showToolWindow(ToolWindow::Pitch);
        break;
    case 5:
        m_actions.showToolWindow(ToolWindow::Document);
        break;
    case 6:
        m_actions.showToolWindow(ToolWindow::Settings);
        break;
    default:
        state.LyricsEditOpen = true;
        m_actions.showToolWindow(ToolWindow::LyricsEditor);
        break;
    }
}

void CommandMenu::fade(int index)
{
    AppState& state = m_window.state();
    Engine& engine = m_window.trackOps().engine();
    if (index == 1) {
        engine.fadeOut();
        return;
    }
    state.FadeIn = !state.FadeIn;
    engine.setFadeIn(state.FadeIn ? 1 : 0);
}

void CommandMenu::playMode(int index)
{
    m_window.state().PlayMode = index;
    if (index == 2)
        m_window.model().MakeRandomOrder();
}

void CommandMenu::about(int index)
{
    if (index == 0)
        m_actions.showToolWindow(ToolWindow::Version);
    else
        OpenHelp(&m_window);
}

void CommandMenu::restore(int)
{
    m_actions.restoreWindows();
}

void CommandMenu::quit(int)
{
    m_actions.quitApp();
}
