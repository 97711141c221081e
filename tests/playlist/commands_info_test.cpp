// File information, help, hide and the close box of the playlist window.
#include "windowkit_fixture.h"

#include "playlist/fileinfowindow.h"
#include "playlist/playlistcommands.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>

#include <sys/stat.h>

namespace {
// Lets the desktop's xdg-open finish, until check holds or ten seconds have passed.
template <typename Check> bool waitUntil(Check check)
{
    const QDeadlineTimer deadline(10000);
    while (!check() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return check();
}

class InfoCommandsTest : public WindowKitFixture {
protected:
    void SetUp() override
    {
        WindowKitFixture::SetUp();
        openWindow();
    }
};
} // namespace

TEST_F(InfoCommandsTest, AttributesFollowTheFileAndCombinationsGiveNoText)
{
    const QString plain = writeMp3(QStringLiteral("plain.mp3"));
    const QString readOnly = writeMp3(QStringLiteral("locked.mp3"));
    ::chmod(readOnly.toLocal8Bit().constData(), 0444);
    const QString hidden = writeMp3(QStringLiteral(".hidden.mp3"));
    const QString hiddenLocked = writeMp3(QStringLiteral(".both.mp3"));
    ::chmod(hiddenLocked.toLocal8Bit().constData(), 0444);
    QDir().mkpath(path(QStringLiteral("folder.mp3")));

    EXPECT_EQ(AttributeText(FileAttributes(plain)), QStringLiteral("通常ﾌｧｲﾙ"));
    EXPECT_EQ(AttributeText(FileAttributes(readOnly)), QStringLiteral("読みとり専用ﾌｧｲﾙ"));
    EXPECT_EQ(AttributeText(FileAttributes(hidden)), QStringLiteral("隠しﾌｧｲﾙ"));
    EXPECT_EQ(AttributeText(FileAttributes(path(QStringLiteral("folder.mp3")))),
              QStringLiteral("ﾌｫﾙﾀﾞ"));
    EXPECT_EQ(FileAttributes(hiddenLocked), 3);
    EXPECT_EQ(AttributeText(3), QString());
    EXPECT_EQ(AttributeText(33), QString());
    EXPECT_EQ(AttributeText(4), QStringLiteral("ｼｽﾃﾑﾌｧｲﾙ"));
    EXPECT_EQ(AttributeText(32), QStringLiteral("アーカイブ"));
    EXPECT_EQ(FileAttributes(path(QStringLiteral("missing.mp3"))), -1);
}

TEST_F(InfoCommandsTest, FileInformationShowsTheFirstSelectedRow)
{
    addTracks(3);
    const QString locked = model.rowPath(2);
    ::chmod(locked.toLocal8Bit().constData(), 0444);
    select({3, 2});
    kit->toolbar().button(5)->click();
    FileInfoWindow* info = kit->commands().fileInfoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->windowTitle(), QStringLiteral("File Infomation"));
    const QStringList lines = info->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("<ﾌｧｲﾙ名>t2.mp3"));
    EXPECT_EQ(lines[1], QStringLiteral("<ﾊﾟｽ>") + locked);
    EXPECT_EQ(lines[2], QStringLiteral("<ｻｲｽﾞ>") + model.row(2).sizeText);
    const QDateTime modified = QFileInfo(locked).lastModified();
    EXPECT_TRUE(
        lines[3].startsWith(QStringLiteral("<作成日時>") +
                            QLocale::system().toString(modified.date(), QLocale::ShortFormat)))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[3].contains(modified.toString(QStringLiteral("ss"))));
    EXPECT_EQ(lines[4], QStringLiteral("<属性>読みとり専用ﾌｧｲﾙ"));
    info->close();
}

TEST_F(InfoCommandsTest, TheSizeComesFromTheRowAndAMissingFileShowsNoDateOrAttribute)
{
    PlaylistRow gone;
    gone.text = QStringLiteral("Gone.mp3");
    gone.sizeText = QStringLiteral("12kb");
    gone.path = path(QStringLiteral("gone.mp3"));
    model.appendRows({gone});
    select({1});
    kit->commands().showFileInfo();
    ASSERT_NE(kit->commands().fileInfoWindow(), nullptr);
    EXPECT_EQ(kit->commands().fileInfoWindow()->text(),
              QStringLiteral("<ﾌｧｲﾙ名>Gone.mp3\n<ﾊﾟｽ>") + path(QStringLiteral("gone.mp3")) +
                  QStringLiteral("\n<ｻｲｽﾞ>12kb\n<作成日時>\n<属性>"));
}

TEST_F(InfoCommandsTest, FileInformationWithoutSelectionShowsNothing)
{
    addTracks(2);
    kit->commands().showFileInfo();
    EXPECT_EQ(kit->commands().fileInfoWindow(), nullptr);
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(InfoCommandsTest, HelpOpensTheBundledPageOrSaysWhyNot)
{
    const QByteArray oldData = qgetenv("MORVANE_DATA");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("MORVANE_DATA", path(QStringLiteral("data")).toLocal8Bit());
    // The desktop's opener: notes what it was asked to open and answers as xdg-open does
    // (3: no application handles the file). Its answer is read before the note, so a note
    // seen means the answer is settled.
    const QString opened = path(QStringLiteral("opened"));
    const QString opener = writeFile(
        QStringLiteral("bin/xdg-open"),
        QStringLiteral("#!/bin/sh\nstatus=$(cat '%1.status' 2>/dev/null || echo 0)\n"
                       "echo \"$1\" >> '%1'\nexit $status\n")
            .arg(opened)
            .toUtf8());
    ::chmod(opener.toLocal8Bit().constData(), 0755);
    qputenv("PATH", (path(QStringLiteral("bin")) + QLatin1Char(':')).toLocal8Bit() + oldPath);
    const auto openedLines = [&] {
        QFile file(opened);
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n').size() - 1 : 0;
    };

    kit->toolbar().button(11)->click();
    ASSERT_EQ(MessageBoxScript::shown().size(), 1u);
    EXPECT_EQ(MessageBoxScript::shown()[0].icon, QMessageBox::Critical);

    const QString page = writeFile(QStringLiteral("data/help/index.html"), "<html></html>");
    kit->commandMenu().item(QStringLiteral("p8_1"))->trigger();
    ASSERT_TRUE(waitUntil([&] { return openedLines() == 1; }));
    QFile file(opened);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(file.readAll()).trimmed(), page);
    QCoreApplication::processEvents();
    EXPECT_EQ(MessageBoxScript::shown().size(), 1u);

    writeFile(QStringLiteral("opened.status"), "3");
    kit->toolbar().button(11)->click();
    ASSERT_TRUE(waitUntil([] { return MessageBoxScript::shown().size() >= 2; }));
    ASSERT_EQ(MessageBoxScript::shown().size(), 2u);
    EXPECT_TRUE(MessageBoxScript::shown()[1].text.startsWith(QStringLiteral("ヘルプを開けませんでした。")))
        << MessageBoxScript::shown()[1].text.toStdString();
    EXPECT_TRUE(MessageBoxScript::shown()[1].text.contains(page));

    qputenv("PATH", oldPath);
    if (oldData.isNull())
        qunsetenv("MORVANE_DATA");
    else
        qputenv("MORVANE_DATA", oldData);
}

TEST_F(InfoCommandsTest, HideAndTheCloseBoxBothHideTheWindowAndKeepItsRows)
{
    addTracks(3);
    state.ListVisible = true;
    window->show();
    kit->toolbar().button(12)->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(state.ListVisible);

    state.ListVisible = true;
    window->show();
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(state.ListVisible);
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(window->playList()->model()->rowCount(), 3);
}

TEST_F(InfoCommandsTest, ToolbarHasTwelvePositionsWithThreeSeparators)
{
    const QStringList texts{"Open",     "Save", "Trash", "",   "File Infomation",
                            "Property", "",     "Down",  "Up", "",
                            "Help",     "Hide"};
    for (int position = 1; position <= 12; ++position) {
        QToolButton* button = kit->toolbar().button(position);
        if (texts[position - 1].isEmpty()) {
            EXPECT_EQ(button, nullptr) << position;
        } else {
            ASSERT_NE(button, nullptr) << position;
            EXPECT_EQ(button->text(), texts[position - 1]);
            EXPECT_FALSE(button->icon().isNull());
        }
    }
    const auto captions = [](QMenu* menu) {
        QStringList list;
        for (QAction* action : menu->actions())
            list << action->text();
        return list;
    };
    EXPECT_EQ(captions(kit->toolbar().openMenu()), (QStringList{"ﾌｧｲﾙ指定(&F)", "ﾌｫﾙﾀﾞ指定(&G)"}));
    EXPECT_EQ(captions(kit->toolbar().trashMenu()),
              (QStringList{"選択されているアイテム(&S)", "全てのアイテム(&A)"}));
}

TEST_F(InfoCommandsTest, TrashButtonOpensItsMenuWhoseItemsDelete)
{
    addTracks(3);
    kit->toolbar().button(3)->click();
    EXPECT_TRUE(kit->toolbar().trashMenu()->isVisible());
    kit->toolbar().trashMenu()->close();
    select({1});
    kit->toolbar().trashMenu()->actions()[0]->trigger();
    EXPECT_EQ(model.count(), 2);
    MessageBoxScript::pushAnswer(QMessageBox::Ok);
    kit->toolbar().trashMenu()->actions()[1]->trigger();
    EXPECT_EQ(model.count(), 0);
}

TEST_F(InfoCommandsTest, OpenMenuAddsAChosenFile)
{
    DialogScript::pushAnswer(writeMp3(QStringLiteral("chosen.mp3")));
    kit->toolbar().openMenu()->actions()[0]->trigger();
    EXPECT_EQ(rowNames(), QStringList{"chosen.mp3"});
}

