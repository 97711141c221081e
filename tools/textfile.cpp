// Text file reading with encoding detection, safe writing, and companion file names.
#include "textfile.h"

#include <QFile>
#include <QSaveFile>

#include "shell/cpath.h"
#include "shell/textcodec.h"

bool ReadTextFile(const QString& path, QString& text, QString& error, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QByteArray bytes = maxBytes >= 0 ? file.read(maxBytes) : file.readAll();
    if (maxBytes >= 0 && bytes.size() == maxBytes && !file.atEnd()) {
        // Keep whole lines only, so a character cut in two does not change the encoding guess.
        const qsizetype lastLineEnd = bytes.lastIndexOf('\n');
        if (lastLineEnd >= 0)
            bytes.truncate(lastLineEnd + 1);
    }
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    text = DecodeText(bytes);
    return true;
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

QString CompanionPath(const QString& trackPath, const QString& extension)
{
    cPath path;
    path.FileName = trackPath;
    return path.GetPath() + path.GetFileNameOnly() + extension;
}
