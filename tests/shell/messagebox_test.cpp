// Every message the program can give, shown as the user sees it: no line wider than its label, no
// box wider than two thirds of the screen, the text neither cut nor read as rich text.
#include "settings/settingsstore.h"
#include "shell/messagebox.h"
#include "shell/safesave.h"

#include <QApplication>
#include <QDir>
#include <QFontMetricsF>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
// A deep folder and a long name, as music collections have them.
const QString kFolder = QStringLiteral(
    "/home/ユーザー/ミュージック/ダウンロード/2024年のライブ録音とリマスター音源の全集/"
    "ディスク03_ボーナストラック");
const QString kPath =
    kFolder +
    QStringLiteral(
        "/とても長いファイル名の曲_アーティスト名_アルバム名_リマスター版_2024_高音質版.wav");
const QString kLatinPath = QStringLiteral(
    "/srv/shared/downloads/VeryLongFolderNameWithoutAnySpacesAtAllForTesting/"
    "Artist_-_Album_-_01_-_A_Song_Title_That_Goes_On_And_On_And_On_Without_Spaces.mp3");
const QString kRichName = QStringLiteral("<img src=\"&#47;dev&#47;zero\"><b>x.mp3");

// What the user is told, with the longest arguments each message takes.
QStringList allMessages()
{
    const QString mixerNames = QStringLiteral("pavucontrol, pavucontrol-qt, gnome-control-center, "
                                              "kmix, xfce4-mixer, mate-volume-control, alsamixer");
    const QString repaired =
        QStringLiteral("設定ファイルの負荷設定（入力フレーム数、出力フレーム数、スリープ時間: "
                       "%1）が正しくないため、%2, %3, %4, %5 に戻しました。\r")
            .arg(QStringLiteral("2000000000, -2000000000, 2000000000, -5"))
            .arg(10)
            .arg(5)
            .arg(1)
            .arg(1) +
        kLoadSettingsRule;
    return {
        QStringLiteral("リストにアイテムがありません！"),
        QStringLiteral("演奏リストを上書き保存しますか？"),
        QStringLiteral("演奏リストを保存できませんでした！\n%1\n%2")
            .arg(kFolder + QStringLiteral("/list.m3u"),
                 QStringLiteral("ディスクの空き容量が足りません。")),
        QStringLiteral("ヘルプファイルが見つかりません。\n") +
            QStringLiteral("/usr/local/share/morvane/help/index.html"),
        QStringLiteral("演奏リストの項目を全て削除します。\n"
                       "保存していないデータは失われますがよろしいですか？"),
        QStringLiteral("ファイルが読み込まれていないため\nこのウィンドウは開けません!"),
        QStringLiteral("ファイルを開けません！\n%1").arg(kPath),
        QStringLiteral("ファイルを開けません！\n%1\n%2\n%3").arg(kPath, kLatinPath, kRichName),
        QStringLiteral("選択したフォルダにはMP3ファイルがありません。\r%1").arg(kFolder),
        QStringLiteral("Open Error\n") + kLatinPath,
        QStringLiteral("再生エンジンが負荷設定を受け付けませんでした。\r") + kLoadSettingsRule,
        QStringLiteral("サウンドデバイスを開けませんでした。音は出ませんが、再生時間は進みます。"
                       "\r（%1）")
            .arg(QStringLiteral("Couldn't open audio device: Connection refused (pulseaudio)")),
        repaired,
        QStringLiteral("サウンドサーバーとの接続が切れました。音は出ませんが、再生時間は進みます。"
                       "\r次に曲の再生を始める時に、もう一度つなぎます。\r（%1）")
            .arg(QStringLiteral("the sound server stopped answering (PulseAudio 16.1)")),
        QStringLiteral("WAVファイルを作成しました。\n%1").arg(kPath),
        QStringLiteral("WAVファイルを作成できませんでした。\n%1\n%2")
            .arg(kPath, QStringLiteral("ディスクの空き容量が足りません。")),
        QStringLiteral("ﾌﾟﾛｸﾞﾗﾑを終了しますか？"),
        QStringLiteral("プレイリストのバックアップを保存できませんでした。\r") +
            QStringLiteral("/home/ユーザー/.config/morvane/listbu.bak\r") +
            QStringLiteral("ディスクの空き容量が足りません。\r") +
            QStringLiteral("前回のバックアップはそのまま残っています。"),
        QStringLiteral("Morvaneの二重起動は出来ません！"),
        QStringLiteral("設定フォルダに書き込めません。\r設定とプレイリストは保存されません。\r") +
            QStringLiteral("/home/ユーザー/.config/morvane"),
        QStringLiteral("ファイルが見つかりません。\r%1").arg(kLatinPath),
        QStringLiteral("%1を開けませんでした。\r%2\r%3")
            .arg(QStringLiteral("ヘルプ"), QStringLiteral("/usr/share/morvane/help/index.html"),
                 QStringLiteral("これを開くアプリケーションがデスクトップに登録されていません"
                                "（xdg-open: no method available）。")),
        QStringLiteral("ショートカットにはMP3とプレイリストだけが設定できます。\r%1").arg(kPath),
        QStringLiteral("登録を行いますか？"),
        QStringLiteral("負荷設定の値が正しくありません。\r") + kLoadSettingsRule,
        QStringLiteral("ボリュームコントロール（%1）を起動できませんでした。")
            .arg(QStringLiteral("pavucontrol-qt")),
        QStringLiteral("ボリュームコントロールが見つかりませんでした。\r"
                       "次のどれかをインストールして下さい: %1")
            .arg(mixerNames),
        SaveFailureText(QStringLiteral("設定を保存できませんでした！"),
                        QStringLiteral("/home/ユーザー/.config/morvane/Property.ini"),
                        QStringLiteral("ディスクの空き容量が足りません。")),
        SaveFailureText(QStringLiteral("設定ファイルが大きすぎるため読み込みませんでした。"
                                       "\r設定はこの起動の間だけ保たれます。"),
                        QStringLiteral("/home/ユーザー/.config/morvane/Property.ini"), QString()),
        QStringLiteral("タグ情報を書き込めませんでした。\r%1\r%2")
            .arg(kPath, QStringLiteral("書き込む権限がありません。")),
        QStringLiteral("タグ情報を更新しますか？"),
        QStringLiteral("歌詞ファイルを読み込めませんでした。\n%1\n%2")
            .arg(kFolder + QStringLiteral("/song.lrc"), QStringLiteral("ファイルが大きすぎます。")),
        QStringLiteral("歌詞ファイルを保存できませんでした。\n%1\n%2")
            .arg(kFolder + QStringLiteral("/song.lrc"),
                 QStringLiteral("ディスクの空き容量が足りません。")),
        QStringLiteral("情報を更新する前に歌詞を保存しますか？\n") + kFolder +
            QStringLiteral("/song.lrc"),
        QStringLiteral("歌詞を下記のように保存しますか？\n") + kFolder +
            QStringLiteral("/song.lrc"),
        QStringLiteral("error"),
        QStringLiteral("イコライザファイルを上書き保存しますか？\n") + kFolder +
            QStringLiteral("/flat.keq"),
        QStringLiteral("イコライザファイルを保存できませんでした。\n%1\n%2")
            .arg(kFolder + QStringLiteral("/flat.keq"),
                 QStringLiteral("ディスクの空き容量が足りません。")),
        QStringLiteral("イコライザファイルを読み込めませんでした。\n%1\n%2")
            .arg(kFolder + QStringLiteral("/flat.keq"), QStringLiteral("ファイルが大きすぎます。")),
        QStringLiteral("イコライザファイルの形式が正しくありません。\n%1\n%2")
            .arg(kFolder + QStringLiteral("/flat.keq"),
                 QStringLiteral("-120から120の範囲外の値があります。")),
        QStringLiteral("この機能は停止中のみ利用できます！"),
    };
}

struct Seen {
    QString labelText;
    int labelWidth = 0;
    int labelHeight = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    QFont font;
    Qt::TextFormat format = Qt::AutoText;
};

// Shows text through the program's one message routine and reads the box while it is open.
Seen showAndRead(const QString& text, const QString& shotPath)
{
    Seen seen;
    QTimer::singleShot(0, [&seen, shotPath] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        seen = {label->text(),
                label->contentsRect().width(),
                label->contentsRect().height(),
                box->width(),
                box->height(),
                label->font(),
                label->textFormat()};
        if (shotPath.isEmpty()) {
            box->done(QMessageBox::Ok);
            return;
        }
        // On a desktop the window manager frames the box first: the picture is the screen's.
        QTimer::singleShot(600, box, [box, shotPath] {
            const QRect frame = box->frameGeometry();
            QPixmap shot =
                box->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
            (shot.isNull() ? box->grab() : shot).save(shotPath);
            box->done(QMessageBox::Ok);
        });
    });
    ShowMessage(nullptr, text, kAppTitle, QMessageBox::Warning);
    return seen;
}

QString withoutLineEnds(QString text)
{
    return text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
}
} // namespace

TEST(MessageBox, EveryMessageWrapsWithinTwoThirdsOfTheScreenAndKeepsAllItsText)
{
    MessageBoxScript::disable();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    // MORVANE_MESSAGE_SHOTS names a folder for a picture of each box, to look at.
    const QString shots = qEnvironmentVariable("MORVANE_MESSAGE_SHOTS");
    int index = 0;
    for (const QString& text : allMessages()) {
        SCOPED_TRACE(text.toStdString());
        const QString shot = shots.isEmpty() ? QString()
                                             : QStringLiteral("%1/message-%2.png")
                                                   .arg(shots)
                                                   .arg(index, 2, 10, QLatin1Char('0'));
        ++index;
        const Seen seen = showAndRead(text, shot);
        EXPECT_LE(seen.boxWidth, screen.width() * 2 / 3);
        EXPECT_LE(seen.boxHeight, screen.height());
        // Nothing lost, nothing added but line breaks.
        EXPECT_EQ(withoutLineEnds(seen.labelText), withoutLineEnds(text));
        // Each line as the label draws it fits the label, and all lines fit its height.
        const QFontMetricsF metrics(seen.font);
        const QStringList lines = seen.labelText.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), seen.labelWidth) << line.toStdString();
        EXPECT_LE(lines.size() * metrics.lineSpacing(), seen.labelHeight + metrics.leading() + 1);
        EXPECT_EQ(seen.format, Qt::PlainText);
    }
}

TEST(MessageBox, PathsBreakAfterTheirSeparators)
{
    const QFont font = QApplication::font();
    const QFontMetricsF metrics(font);
    const int width = static_cast<int>(metrics.horizontalAdvance(kLatinPath) / 3);
    const QStringList lines = WrapMessageLines(kLatinPath, font, width);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.join(QString()), kLatinPath);
    // The folders are whole: every line but the last ends at a separator.
    EXPECT_TRUE(lines[0].endsWith(QLatin1Char('/'))) << lines[0].toStdString();
    // A name longer than the width still breaks rather than running out of the box.
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), width + 1) << line.toStdString();

    // Where every name fits a line, a path breaks only after its separators, Japanese names too.
    qreal longestName = 0;
    for (const QString& name : kPath.split(QLatin1Char('/')))
        longestName = std::max(longestName, metrics.horizontalAdvance(name + QLatin1Char('/')));
    const QStringList folders =
        WrapMessageLines(kPath, font, static_cast<int>(std::ceil(longestName * 1.3)));
    ASSERT_GE(folders.size(), 3);
    EXPECT_EQ(folders.join(QString()), kPath);
    for (qsizetype i = 0; i + 1 < folders.size(); ++i)
        EXPECT_TRUE(folders[i].endsWith(QLatin1Char('/'))) << folders[i].toStdString();
}
