// Text of the lyrics editor's clock.
#include "lyricsclock.h"

QString LyricsClockText(int32_t playMs)
{
    if (playMs < 0)
        playMs = 0;
    const int32_t s = playMs / 1000;
    const QString millis = QStringLiteral("%1").arg(playMs % 1000, 3, 10, QLatin1Char('0'));
    return QStringLiteral("[%1:%2:%3]")
        .arg(s / 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(millis.left(2));
}

QString LyricsOtherFileText()
{
    return QStringLiteral("現在別ファイルが開かれています。");
}
