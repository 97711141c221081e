// UTF-8 first, Shift-JIS as the fallback for files from older Japanese systems.
#include "textcodec.h"

#include <QStringDecoder>

bool IsValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString DecodeText(const QByteArray& bytes)
{
    // Files saved as "Unicode" by older editors carry a UTF-16 byte-order mark.
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS");
    if (sjis.isValid()) {
        QString fallback = sjis.decode(data);
        return fallback;
    }
    return QString::fromLatin1(data);
}
