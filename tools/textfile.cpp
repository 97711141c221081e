// Text file reading with encoding detection, safe writing, and companion file names.
#include "textfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "engine/io/plainfile.h"
#include "shell/cpath.h"
#include "shell/pathbytes.h"
#include "shell/safesave.h"
#include "shell/textcodec.h"

bool ReadTextFile(const QString& path, QString& text, QString& error, qint64 maxBytes)
{
    // Only a regular file: a FIFO would stop the program until someone writes to it.
    // By the path's own bytes: a track named in Shift-JIS has its lyrics and notes beside it.
    const QByteArray bytes = PathBytes(path);
    const qint64 size = PlainFileSize(bytes.toStdString());
    if (size < 0) {
        error = PathExists(path) ? QStringLiteral("通常のファイルではありません。")
                                 : QStringLiteral("ファイルが見つかりません。");
        return false;
    }
    if (maxBytes >= 0 && size > maxBytes) {
        // Far past any real file of its kind: refused, rather than shown in part.
        error = QStringLiteral("ファイルが大きすぎます。(上限 %1 KB)").arg(maxBytes / 1024);
        return false;
    }
    QFile file;
    const int fd = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = file.errorString();
        return false;
    }
    const QByteArray content = maxBytes >= 0 ? file.read(maxBytes) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    text = DecodeText(content);
    return true;
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString& error)
{
    return SaveBytes(path, bytes, &error);
}

QString CompanionPath(const QString& trackPath, const QString& extension)
{
    cPath path;
    path.FileName = trackPath;
    return path.GetPath() + path.GetFileNameOnly() + extension;
}
