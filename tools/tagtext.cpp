// Tag field fitting, the write failure's reason and the stream information captions.
#include "tagtext.h"

#include <cerrno>

#include <sys/statvfs.h>

#include "engine/io/safefile.h"

#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/meta/tagreader.h"
#include "shell/pathbytes.h"

QString FitTagField(const QString& text, int maxChars)
{
    QString cut = text.left(maxChars);
    // Do not leave half of a surrogate pair at the end.
    if (cut.size() == maxChars && maxChars > 0 && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut.leftJustified(maxChars, QLatin1Char(' '));
}

TagInfo BuildTagRecord(const QString& title, const QString& artist, const QString& album,
                       const QString& year, const QString& comment, int genre)
{
    TagInfo record;
    record.title = FitTagField(title, kTagTextChars).toStdString();
    record.artist = FitTagField(artist, kTagTextChars).toStdString();
    record.album = FitTagField(album, kTagTextChars).toStdString();
    record.year = FitTagField(year, kTagYearChars).toStdString();
    record.comment = FitTagField(comment, kTagTextChars).toStdString();
    record.genre = genre;
    return record;
}

QString TagWriteFailureReason(const QString& path)
{
    const QByteArray bytes = PathBytes(path);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return QStringLiteral("ファイルが見つかりません。");
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? bytes.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    // The one reason that holds, asked of the file system rather than guessed.
    struct statvfs space {};
    const bool known = ::statvfs(folder.constData(), &space) == 0;
    if (known && (space.f_flag & ST_RDONLY))
        return QString::fromStdString(WriteFailureReason(EROFS));
    if (::access(bytes.constData(), W_OK) != 0 || ::access(folder.constData(), W_OK) != 0)
        return QStringLiteral("このファイルかフォルダへの書き込みが許可されていません。");
    // The tag is written into a whole copy of the file beside it.
    if (known && static_cast<unsigned long long>(space.f_bavail) * space.f_frsize <
                     static_cast<unsigned long long>(info.st_size) + 1024 * 1024)
        return QString::fromStdString(WriteFailureReason(ENOSPC));
    if (!Id3v2FitsTagLib(bytes.toStdString()))
        return QStringLiteral("このファイルのタグは大きすぎるため、書き換えられません。");
    return QStringLiteral("音楽ファイルとして読めませんでした。");
}

QString FormatGroupedNumber(qint64 value)
{
    if (value == 0)
        return {};
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return negative ? QLatin1Char('-') + out : out;
}

QString MpegLabelInitialCaption(MpegLabel label)
{
    static const char* const kCaptions[kMpegLabelCount] = {
        "Version:",     "Layer:",     "Protect:",  "Extention:", "Channel Mode:",
        "Copyright:",   "Original:",  "Emphasis:", "Channel:",   "Bit Rate:",
        "Sample Rate:", "File Size:", "Frames:",   "Total Sec:",
    };
    return QString::fromLatin1(kCaptions[static_cast<int>(label)]);
}

namespace {
std::optional<QString> pick(const QString& prefix, int value, const QStringList& texts)
{
    if (value < 0 || value >= texts.size())
        return std::nullopt;
    return prefix + texts[value];
}
} // namespace

std::optional<QString> MpegLabelCaption(MpegLabel label, const MpegInfo& info)
{
    switch (label) {
    case MpegLabel::Version:
        return QStringLiteral("Version: %1").arg(info.version);
    case MpegLabel::Layer:
        return QStringLiteral("Layer: %1").arg(info.layer);
    case MpegLabel::Protect:
        return pick(QStringLiteral("Protect: "), info.protection,
                    {QStringLiteral("有効"), QStringLiteral("無効")});
    case MpegLabel::Extension:
        return pick(QStringLiteral("Extention: "), info.privateBit,
                    {QStringLiteral("なし"), QStringLiteral("ﾌﾟﾗｲﾍﾞｰﾄ")});
    case MpegLabel::ChannelMode:
        return pick(QStringLiteral("Channel Mode: "), info.channelMode,
                    {QStringLiteral("ｽﾃﾚｵ"), QStringLiteral("ｼﾞｮｲﾝﾄｽﾃﾚｵ"),
                     QStringLiteral("ﾃﾞｭｱﾙﾁｬﾝﾈﾙ"), QStringLiteral("ﾓﾉﾗﾙ")});
    case MpegLabel::Copyright:
        return pick(QStringLiteral("Copyright: "), info.copyright,
                    {QStringLiteral("著作権保護なし"), QStringLiteral("著作権保護あり")});
    case MpegLabel::Original:
        return pick(QStringLiteral("Original: "), info.original,
                    {QStringLiteral("ｺﾋﾟｰ"), QStringLiteral("ｵﾘｼﾞﾅﾙ")});
    case MpegLabel::Emphasis:
        return pick(QStringLiteral("Emphasis: "), info.emphasis,
                    {QStringLiteral("なし"), QStringLiteral("50/15ms"), QStringLiteral("Reserved"),
                     QStringLiteral("CCITT j.17")});
    case MpegLabel::FileSize:
        return QStringLiteral("File Size: ") + FormatGroupedNumber(info.fileSize) +
               QStringLiteral("bite");
    case MpegLabel::Frames:
        return QStringLiteral("Frames: %1").arg(info.frameCount);
    default:
        return std::nullopt;
    }
}

QString InputLabelCaption(MpegLabel label, const InputInfo& info)
{
    switch (label) {
    case MpegLabel::Channel:
        return QStringLiteral("Channel: %1").arg(info.channels);
    case MpegLabel::BitRate:
        return QStringLiteral("Bit Rate: %1kbit/sec").arg(info.bitRate);
    case MpegLabel::SampleRate:
        return QStringLiteral("Sample Rate: %1Hz").arg(info.sampleRate);
    case MpegLabel::TotalSec:
        return QStringLiteral("Total Sec: %1sec").arg(info.totalSec);
    default:
        return MpegLabelInitialCaption(label);
    }
}
