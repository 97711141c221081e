// Lyrics file parsing and writing.
#include "lyricsfile.h"

#include <QRegularExpression>
#include <QStringList>

QString FormatTimeTag(qint64 positionMs)
{
    const qint64 p = positionMs < 0 ? 0 : positionMs;
    const qint64 ms = p % 1000;
    const qint64 s = p / 1000;
    const QString hundredths = QStringLiteral("%1").arg(ms, 3, 10, QLatin1Char('0')).left(2);
    return QStringLiteral("[%1:%2:%3]")
        .arg(s / 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths);
}

std::vector<LyricsRow> ParseLyricsText(const QString& text)
{
    static const QRegularExpression kLineEnds(QStringLiteral("\\r\\n|\\r|\\n"));
    QStringList lines = text.split(kLineEnds);
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    std::vector<LyricsRow> rows;
    const qsizetype looked = std::min<qsizetype>(lines.size(), kLyricsReadLines);
    for (qsizetype i = 0; i < looked; ++i) {
        const QString& line = lines[i];
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        const qsizetype close = line.left(kTimeTagSearchChars).indexOf(QLatin1Char(']'));
        if (close < 0)
            continue;
        if (static_cast<int>(rows.size()) == kLyricsRows)
            break;
        rows.push_back({line.left(close + 1), line.mid(close + 1)});
    }
    return rows;
}

QByteArray FormatLyricsFile(const std::vector<LyricsRow>& rows)
{
    QByteArray out;
    for (const LyricsRow& row : rows) {
        if (row.time.isEmpty())
            break;
        out += (row.time + row.text).toUtf8();
        out += "\r\n";
    }
    return out;
}

QByteArray FormatTagLyrics(const std::vector<LyricsRow>& rows)
{
    size_t used = rows.size();
    while (used > 0 && rows[used - 1].time.isEmpty() && rows[used - 1].text.isEmpty())
        --used;
    QByteArray out;
    for (size_t i = 0; i < used; ++i) {
        out += (rows[i].time + rows[i].text).toUtf8();
        out += "\r\n";
    }
    return out;
}

void InsertEmptyRow(std::vector<LyricsRow>& rows, int index)
{
    const int last = static_cast<int>(rows.size()) - 1;
    if (index < 0 || index >= last)
        return;
    for (int g = last; g > index; --g)
        rows[g] = rows[g - 1];
    rows[index] = {};
}
