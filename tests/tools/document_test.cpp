// The document viewer and the version window.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTextBrowser>

#include "tools/documentwindow.h"
#include "tools/versionwindow.h"
#include "toolsfixture.h"

class DocumentTest : public ToolsTest {
protected:
    DocumentWindow window{state, playlist};
};

TEST_F(DocumentTest, AnEmptyPlaylistHasNoDocument)
{
    window.showWindow();
    EXPECT_EQ(window.view()->toPlainText(), QStringLiteral("ドキュメントはありません。"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Document"));
}

TEST_F(DocumentTest, ATrackWithoutADocumentHasNone)
{
    playlist.AddRow(pathIn(QStringLiteral("song.mp3")));
    window.showWindow();
    EXPECT_EQ(window.view()->toPlainText(), QStringLiteral("ドキュメントはありません。"));
}

TEST_F(DocumentTest, ShowsTheDocumentOfTheCurrentEntryInUtf8ShiftJisOrLatin1)
{
    playlist.AddRow(pathIn(QStringLiteral("a.mp3")));
    playlist.AddRow(pathIn(QStringLiteral("b.mp3")));
    playlist.AddRow(pathIn(QStringLiteral("c.mp3")));
    writeBytes(pathIn(QStringLiteral("a.txt")), QStringLiteral("<b>説明</b>\r\n二行目").toUtf8());
    writeBytes(pathIn(QStringLiteral("b.txt")), QByteArray("\x89\xcc\x8e\x8c"));
    state.CurrentIndex = 1;
    window.showWindow();
    EXPECT_EQ(window.view()->toPlainText(), QStringLiteral("<b>説明</b>\n二行目"));
    state.CurrentIndex = 2;
    // The viewer keeps its document until it is refreshed.
    EXPECT_TRUE(window.view()->toPlainText().startsWith(QStringLiteral("<b>")));
    window.SetDocument();
    EXPECT_EQ(window.view()->toPlainText(), QStringLiteral("歌詞"));
    // A European document in Latin-1 (Windows-1252) stays readable.
    writeBytes(pathIn(QStringLiteral("c.txt")), QByteArray("Caf\xE9 cr\xE8me br\xFBl\xE9""e\r\n"
                                                           "\xC0 la carte \x96 \x93Menu\x94"));
    state.CurrentIndex = 3;
    window.SetDocument();
    EXPECT_EQ(window.view()->toPlainText(),
              QStringLiteral("Café crème brûlée\nÀ la carte – “Menu”"));
}

TEST_F(DocumentTest, ResizingBelow200PixelsSnapsTo250)
{
    EXPECT_EQ(SnapDocumentSize({100, 100}), QSize(250, 250));
    EXPECT_EQ(SnapDocumentSize({300, 150}), QSize(300, 250));
    EXPECT_EQ(SnapDocumentSize({200, 200}), QSize(200, 200));
    window.showWindow();
    window.resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(250, 250));
}

TEST(VersionCaptions, ShowTheEngineAndProgramVersions)
{
    EXPECT_EQ(EngineVersionCaption(7), QStringLiteral("再生エンジンのバージョン: 0.07"));
    EXPECT_EQ(EngineVersionCaption(123), QStringLiteral("再生エンジンのバージョン: 1.23"));
    EXPECT_EQ(EngineVersionCaption(200), QStringLiteral("再生エンジンのバージョン: 2.00"));
    EXPECT_EQ(ProgramVersionCaption(2, 30), QStringLiteral("Ver:2.30"));
    EXPECT_EQ(ProgramVersionCaption(2, 5), QStringLiteral("Ver:2.05"));
}

class VersionTest : public ToolsTest {
protected:
    VersionWindow window{engine};
};

TEST_F(VersionTest, ShowsBothVersionsAndClosesOnAClick)
{
    engine.version = 7;
    window.showWindow();
    EXPECT_EQ(window.engineLabel()->text(), QStringLiteral("再生エンジンのバージョン: 0.07"));
    EXPECT_EQ(window.programLabel()->text(), QStringLiteral("Ver:2.30"));
    EXPECT_EQ(window.size(), QSize(300, 100));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(150, 50), QPointF(150, 50), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &click);
    EXPECT_FALSE(window.isVisible());
}
