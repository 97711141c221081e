// Text file reading with encoding detection, safe writing, and companion file names.
#include "textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "shell/cpath.h"

QString DecodeTextBytes(const QByteArray& bytes)
{
    // Notepad's "Unicode" files carry a byte-order mark.
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder sjis("Shift_JIS");
    if (!sjis.isValid())
        return QString::fromLatin1(bytes);
    return sjis.decode(bytes);
}

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
    text = DecodeTextBytes(bytes);
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
