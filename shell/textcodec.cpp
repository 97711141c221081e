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
