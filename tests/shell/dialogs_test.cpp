// Qt's own file dialog, answered as a person would, with names that are not valid UTF-8.
#include "shell/dialogs.h"
#include "shell/pathbytes.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {
// "テスト" in Shift-JIS, as names unpack from old archives.
const QByteArray kShiftJis("\x83\x65\x83\x58\x83\x67");

bool makeFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

// Picks name in the next file dialog that opens, by the text Qt shows for it.
void pickInNextDialog(const QString& shownName)
{
    QTimer::singleShot(0, [shownName] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(shownName);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    // A dialog that refuses the name shows a message over itself: both are closed, so the test
    // fails instead of waiting.
    QTimer::singleShot(2000, [] {
        for (int i = 0; i < 4 && QApplication::activeModalWidget(); ++i) {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    });
}
} // namespace

TEST(FileDialog, AShiftJisNamedFileAndFolderComeBackAsTheirBytes)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QByteArray folder = QFile::encodeName(root.path()) + '/' + kShiftJis;
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QByteArray file = folder + '/' + kShiftJis + ".mp3";
    ASSERT_TRUE(makeFile(file));

    // Opened from the folder above: Qt cannot show the folder itself by its name.
    pickInNextDialog(QFile::decodeName(kShiftJis) + QLatin1Char('/') +
                     QFile::decodeName(kShiftJis + ".mp3"));
    const QString chosen = ShowOpenDialog(nullptr, {{QStringLiteral("MP3"), QStringLiteral("*.mp3")}},
                                          PathFromBytes(folder));
    EXPECT_EQ(PathBytes(chosen), file);
    EXPECT_EQ(PathDisplay(chosen), root.path() + QStringLiteral("/テスト/テスト.mp3"));
    // QTemporaryDir cannot remove names it cannot encode.
    ::unlink(file.constData());
    ::rmdir(folder.constData());
}
