// Equaliser presets and the preset file format.
#include "eqpresets.h"

#include <cstdlib>

#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

#include "engine/dsp/equalizer.h"

namespace {
const std::array<EqPositions, kEqPresetCount> kPresets = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {-60, -40, -20, 0, 10, 10, 0, -20, -40, -60},
    {-15, -30, -45, -60, -45, -15, 0, 0, 0, 0},
    {-40, -60, -30, -10, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, -10, -25, -40, -60, -60, -60},
    {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60},
    {60, 60, 60, 60, 60, 60, 60, 60, 60, 60},
}};
} // namespace

QString EqPresetCaption(int preset)
{
    static const char* const kCaptions[kEqPresetCount] = {
        "Normal", "Rock", "Pop", "Base Boost", "Treble Boost", "Total Boost", "Total Reduce",
    };
    return QString::fromLatin1(kCaptions[preset]);
}

const EqPositions& EqPresetPositions(int preset)
{
    return kPresets.at(preset);
}

std::array<int32_t, kEqBands> EqGains(const EqPositions& positions)
{
    std::array<int32_t, kEqBands> gains{};
    for (int i = 0; i < kEqBands; ++i)
        gains[i] = -positions[i];
    return gains;
}

QString EqHeadroomText(const EqPositions& positions)
{
    const double db = Equalizer::headroomFor(EqGains(positions).data());
    const QString shown = QString::number(std::abs(db), 'f', 1);
    return QStringLiteral("ヘッドルーム %1%2 dB")
        .arg(shown == QStringLiteral("0.0") ? QString() : QStringLiteral("−"), shown);
}

QByteArray FormatKeq(const EqPositions& positions)
{
    QByteArray line;
    for (int i = 0; i < kEqBands; ++i) {
        if (i > 0)
            line += ',';
        line += QByteArray::number(positions[i]);
    }
    return line + "\r\n";
}

KeqParse ParseKeq(const QString& text)
{
    static const QRegularExpression kLineEnds(QStringLiteral("\\r\\n|\\r|\\n"));
    QList<int> values;
    for (const QString& line : text.split(kLineEnds)) {
        if (line.trimmed().isEmpty())
            continue;
        for (const QString& piece : line.split(QLatin1Char(','))) {
            bool ok = false;
            const int value = piece.trimmed().toInt(&ok);
            if (!ok)
                return {std::nullopt, KeqError::NotANumber};
            if (value < kEqMinPosition || value > kEqMaxPosition)
                return {std::nullopt, KeqError::OutOfRange};
            values << value;
        }
    }
    if (values.size() < kEqBands || values.size() % kEqBands != 0)
        return {std::nullopt, KeqError::TooFewValues};
    EqPositions positions{};
    const qsizetype last = values.size() - kEqBands;
    for (int i = 0; i < kEqBands; ++i)
        positions[i] = values[last + i];
    return {positions, KeqError::None};
}

QString KeqSaveName(const QString& chosen, bool& askFirst)
{
    askFirst = chosen.right(4) == QStringLiteral(".keq");
    return askFirst ? chosen : chosen + QStringLiteral(".keq");
}

bool IsKeqLoadName(const QString& name)
{
    return name.right(4).toLower() == QStringLiteral(".keq");
}

QString EqBandDbText(int position)
{
    const int tenths = -position;
    const QString number = QString::number(std::abs(tenths) / 10.0, 'f', 1);
    return tenths > 0 ? QLatin1Char('+') + number : tenths < 0 ? QLatin1Char('-') + number : number;
}
