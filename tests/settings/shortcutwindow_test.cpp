// Tests of the "Short Path設定" window on the real widgets.
#include <QLineEdit>
#include <QPushButton>

#include "settings/ini.h"
#include "settings/shortcutwindow.h"
#include "windowtestenv.h"

namespace {

class ShortcutWindowTest : public WindowTestEnv {
protected:
    void SetUp() override
    {
        WindowTestEnv::SetUp();
        m_state.ShortPath = {"/music/a.mp3", "/music/b.m3u", "/music/c.mp3", "", "/music/e.mp3"};
    }

    QLineEdit* field(ShortcutWindow& window, int i)
    {
        auto* edit = window.findChild<QLineEdit*>(QStringLiteral("pathField%1").arg(i));
        EXPECT_NE(edit, nullptr);
        return edit;
    }

    void click(ShortcutWindow& window, const QString& name)
    {
        auto* button = window.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        button->click();
    }

    QString iniPathKey(int i) { return ReadIni("ShortPath", QStringLiteral("Path%1").arg(i), 1024, iniPath()); }
};

}  // namespace

TEST_F(ShortcutWindowTest, ShowsTheFiveShortcuts)
{
    ShortcutWindow window(m_state);
    EXPECT_EQ(window.windowTitle(), "Short Path設定");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(field(window, i)->text(), m_state.ShortPath[i]);
    EXPECT_EQ(window.findChild<QPushButton*>("eraseButton0")->text(), "消去");
}

TEST_F(ShortcutWindowTest, BrowseAcceptsMp3AndM3uInAnyCaseOnly)
{
    ShortcutWindow window(m_state);
    DialogScript::pushAnswer("/x/SONG.MP3");
    click(window, "browseButton0");
    EXPECT_EQ(field(window, 0)->text(), "/x/SONG.MP3");
    DialogScript::pushAnswer("/x/list.M3U");
    click(window, "browseButton1");
    EXPECT_EQ(field(window, 1)->text(), "/x/list.M3U");
    DialogScript::pushAnswer("/x/b.Flac");
    click(window, "browseButton3");
    EXPECT_EQ(field(window, 3)->text(), "/x/b.Flac");
    DialogScript::pushAnswer("/x/a.txt");
    click(window, "browseButton2");
    EXPECT_EQ(field(window, 2)->text(), "/music/c.mp3");
    DialogScript::pushAnswer("");  // cancelled
    click(window, "browseButton4");
    EXPECT_EQ(field(window, 4)->text(), "/music/e.mp3");
    // Only the refused kind of file is explained.
    EXPECT_EQ(MessageBoxScript::shown().size(), 1u);
    ASSERT_FALSE(DialogScript::askedFilters().isEmpty());
    EXPECT_EQ(DialogScript::askedFilters().last(),
              "全ての音楽(*.mp3;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4;*.wav;*.aiff;*.aif)|"
              "Mpeg audio layer-Ⅲ(*.mp3)|FLAC(*.flac)|Ogg Vorbis(*.ogg;*.oga)|Opus(*.opus)|"
              "AAC/ALAC(*.m4a;*.mp4)|WAV(*.wav)|AIFF(*.aiff;*.aif)|PlayList(*.m3u)|全てのﾌｧｲﾙ(*.*)");
}

TEST_F(ShortcutWindowTest, EraseAndRegisterWritesAnEmptyValue)
{
    ShortcutWindow window(m_state);
    window.show();
    click(window, "eraseButton2");
    EXPECT_EQ(field(window, 2)->text(), "");
    EXPECT_FALSE(readBytes(iniPath()).contains("Path3"));  // nothing stored before registering
    field(window, 3)->setText("typed name.txt");  // typed text is kept as typed
    click(window, "registerButton");

    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    const ShownMessage& question = MessageBoxScript::shown().front();
    EXPECT_EQ(question.text, "登録を行いますか？");
    EXPECT_EQ(question.caption, "登録");
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);

    EXPECT_TRUE(readBytes(iniPath()).contains("\nPath3=\r\n")) << readBytes(iniPath()).toStdString();
    EXPECT_EQ(iniPathKey(1), "/music/a.mp3");
    EXPECT_EQ(iniPathKey(4), "typed name.txt");
    EXPECT_EQ(iniPathKey(5), "/music/e.mp3");
    EXPECT_EQ(m_state.ShortPath[2], "");
    EXPECT_EQ(m_state.ShortPath[3], "typed name.txt");
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ShortcutWindowTest, CancelInTheQuestionChangesNothing)
{
    writeBytes(iniPath(), "[ShortPath]\r\nPath1=/old.mp3\r\n");
    const QByteArray before = readBytes(iniPath());
    const auto shortPathBefore = m_state.ShortPath;
    ShortcutWindow window(m_state);
    window.show();
    click(window, "eraseButton0");
    MessageBoxScript::pushAnswer(QMessageBox::Cancel);
    click(window, "registerButton");
    EXPECT_EQ(readBytes(iniPath()), before);
    EXPECT_EQ(m_state.ShortPath, shortPathBefore);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(field(window, 0)->text(), "");
}

TEST_F(ShortcutWindowTest, CloseDropsEditsAndShowingAgainReloads)
{
    ShortcutWindow window(m_state);
    window.show();
    click(window, "eraseButton4");
    click(window, "closeButton");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(m_state.ShortPath[4], "/music/e.mp3");
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
    window.show();
    EXPECT_EQ(field(window, 4)->text(), "/music/e.mp3");
}

TEST_F(ShortcutWindowTest, UnwritableSettingsFileStillUpdatesTheShortcuts)
{
    writeBytes(path("blocked"), "not a folder");
    qputenv("MORVANE_HOME", path("blocked").toUtf8());
    ShortcutWindow window(m_state);
    window.show();
    field(window, 0)->setText("/new/one.mp3");
    click(window, "registerButton");
    EXPECT_EQ(m_state.ShortPath[0], "/new/one.mp3");
    EXPECT_FALSE(window.isVisible());
    // The question, then once why the shortcuts could not be saved.
    ASSERT_EQ(MessageBoxScript::shown().size(), 2u);
    EXPECT_TRUE(MessageBoxScript::shown()[1].text.startsWith(
        QStringLiteral("設定を保存できませんでした！")));
}
