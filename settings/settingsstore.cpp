// The settings keys, their defaults, and start-up loading and saving of the program-wide state.
#include "settingsstore.h"

#include "state/appstate.h"
#include "engine/engine.h"
#include "apppaths.h"
#include "ini.h"
#include "safesave.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <optional>

#include <QStringList>

namespace {

struct KeyDefault {
    const char* section;
    const char* key;
    int value;
};

// The shipped file's values; Burden takes the settings window's defaults.
constexpr KeyDefault kDefaults[] = {
    {"Window", "DrawBestCondition", 0}, {"Window", "Alwaystop", 0},
    {"Window", "Starttype", 0},         {"Window", "ExpressType", 1},
    {"Window", "OsiroType", 0},         {"Window", "SpeAnaType", 0},
    {"Window", "StarDust", 1},          {"Window", "TitleInterval", 1},
    {"Window", "MenuAni", 1},           {"Window", "TaskBarAni", 1},
    {"Window", "LyricsFade", 1},        {"Window", "RelativityVol", 1},
    {"Window", "Connection", 0},        {"Burden", "InBlock", 30},
    {"Burden", "OutBlock", 20},         {"Burden", "InSleep", 5},
    {"Burden", "OutSleep", 0},          {"PlayList", "Fontcolor", 0},
};

constexpr int kNumberBuffer = 50;
constexpr int kPathBuffer = 1024;

bool isBurden(const QString& section)
{
    return section.compare(QLatin1String("Burden"), Qt::CaseInsensitive) == 0;
}

// Non-negative numbers carry one leading blank, as the program has always written them.
QString blankPrefixed(int value)
{
    return value >= 0 ? QLatin1Char(' ') + QString::number(value) : QString::number(value);
}

QString defaultFileText()
{
    QString text;
    QString current;
    for (const auto& d : kDefaults) {
        if (current != QLatin1String(d.section)) {
            if (current == QLatin1String("Window"))
                text += QStringLiteral("[ShortPath]\r\nPath1=\r\nPath2=\r\nPath3=\r\nPath4=\r\nPath5=\r\n");
            current = QLatin1String(d.section);
            text += QLatin1Char('[') + current + QStringLiteral("]\r\n");
            if (current == QLatin1String("PlayList"))
                text += QStringLiteral("WallPath=\r\n");
        }
        text += QLatin1String(d.key) + QLatin1Char('=') + QString::number(d.value) +
                QStringLiteral("\r\n");
    }
    return text;
}

}  // namespace

int DefaultIniValue(const QString& section, const QString& key)
{
    for (const auto& d : kDefaults) {
        if (section.compare(QLatin1String(d.section), Qt::CaseInsensitive) == 0 &&
            key.compare(QLatin1String(d.key), Qt::CaseInsensitive) == 0)
            return d.value;
    }
    return 0;
}

int ReadIniInt(const QString& section, const QString& key, const QString& file)
{
    const QString text = ReadIni(section, key, kNumberBuffer, file).trimmed();
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    // Window keys are 16-bit, Burden keys 32-bit; anything else takes the default.
    const qlonglong low = isBurden(section) ? INT_MIN : SHRT_MIN;
    const qlonglong high = isBurden(section) ? INT_MAX : SHRT_MAX;
    if (!ok || value < low || value > high)
        return DefaultIniValue(section, key);
    return static_cast<int>(value);
}

bool SaveSettings(const AppState& state, const QString& file)
{
    const QString w = QStringLiteral("Window");
    const QString b = QStringLiteral("Burden");
    bool ok = true;
    ok &= WriteIni(w, QStringLiteral("Alwaystop"), blankPrefixed(state.AlwaysTop ? 1 : 0), file);
    ok &= WriteIni(w, QStringLiteral("Starttype"), blankPrefixed(state.StartType), file);
    ok &= WriteIni(w, QStringLiteral("ExpressType"), blankPrefixed(state.ExpressType), file);
    ok &= WriteIni(w, QStringLiteral("OsiroType"), blankPrefixed(state.OsiroType), file);
    ok &= WriteIni(w, QStringLiteral("SpeAnaType"), blankPrefixed(state.SpeAnaType), file);
    ok &= WriteIni(w, QStringLiteral("StarDust"), blankPrefixed(state.StarDust ? 1 : 0), file);
    ok &= WriteIni(w, QStringLiteral("RelativityVol"), blankPrefixed(state.RelativityVol), file);
    ok &= WriteIni(b, QStringLiteral("InBlock"), blankPrefixed(state.InBlock), file);
    ok &= WriteIni(b, QStringLiteral("OutBlock"), blankPrefixed(state.OutBlock), file);
    ok &= WriteIni(b, QStringLiteral("InSleep"), blankPrefixed(state.InSleep), file);
    ok &= WriteIni(b, QStringLiteral("OutSleep"), blankPrefixed(state.OutSleep), file);
    return ok;
}

bool SaveSettings(const AppState& state) { return SaveSettings(state, PropertyIniPath()); }

void LoadSettings(AppState& state, const QString& file)
{
    const QString w = QStringLiteral("Window");
    auto window = [&](const char* key) { return ReadIniInt(w, QLatin1String(key), file); };

    state.DrawBestCondition = window("DrawBestCondition");
    state.AlwaysTop = window("Alwaystop") == 1;
    state.StartType = window("Starttype");
    state.ExpressType = window("ExpressType");
    state.OsiroType = window("OsiroType");
    state.SpeAnaType = window("SpeAnaType");
    state.StarDust = window("StarDust") == 1;
    for (int i = 0; i < 5; ++i) {
        state.ShortPath[i] = ReadIni(QStringLiteral("ShortPath"),
                                     QStringLiteral("Path%1").arg(i + 1), kPathBuffer, file);
    }
    state.TitleInterval = window("TitleInterval");
    state.MenuAni = window("MenuAni");
    state.TaskBarAni = window("TaskBarAni");
    state.LyricsFade = window("LyricsFade");
    state.RelativityVol = window("RelativityVol");
    const QString b = QStringLiteral("Burden");
    state.InBlock = ReadIniInt(b, QStringLiteral("InBlock"), file);
    state.OutBlock = ReadIniInt(b, QStringLiteral("OutBlock"), file);
    state.InSleep = ReadIniInt(b, QStringLiteral("InSleep"), file);
    state.OutSleep = ReadIniInt(b, QStringLiteral("OutSleep"), file);
}

QString RepairLoadSettings(AppState& state)
{
    if (OptionsValid(state.InBlock, state.OutBlock, state.InSleep, state.OutSleep))
        return {};
    const QString before = QStringLiteral("%1, %2, %3, %4")
                               .arg(state.InBlock)
                               .arg(state.OutBlock)
                               .arg(state.InSleep)
                               .arg(state.OutSleep);
    const QString b = QStringLiteral("Burden");
    // Each value against the engine's rule, the others held at values the rule accepts.
    if (!OptionsValid(state.InBlock, 1, 0, 0))
        state.InBlock = DefaultIniValue(b, QStringLiteral("InBlock"));
    if (!OptionsValid(state.InBlock, state.OutBlock, 0, 0))
        state.OutBlock = std::min(DefaultIniValue(b, QStringLiteral("OutBlock")), state.InBlock);
    if (!OptionsValid(1, 1, state.InSleep, 0))
        state.InSleep = DefaultIniValue(b, QStringLiteral("InSleep"));
    if (!OptionsValid(1, 1, 0, state.OutSleep))
        state.OutSleep = DefaultIniValue(b, QStringLiteral("OutSleep"));
    return QStringLiteral("設定ファイルの負荷設定（入力フレーム数、出力フレーム数、スリープ時間: "
                          "%1）が正しくないため、%2, %3, %4, %5 に戻しました。\r")
               .arg(before)
               .arg(state.InBlock)
               .arg(state.OutBlock)
               .arg(state.InSleep)
               .arg(state.OutSleep) +
           kLoadSettingsRule;
}

void EnsureSettingsFile(const QString& file)
{
    if (QFileInfo::exists(file))
        return;
    QFile shipped(DataDir() + QStringLiteral("/Property.ini"));
    QByteArray bytes;
    if (shipped.open(QIODevice::ReadOnly))
        bytes = shipped.readAll();
    if (bytes.isEmpty())
        bytes = defaultFileText().toUtf8();
    SaveBytes(file, bytes);
}

namespace {
const QString kWindowSection = QStringLiteral("Window");
const QString kEqualizerSection = QStringLiteral("Equalizer");

// An integer key within low..high, or nothing.
std::optional<int> readBounded(const QString& section, const QString& key, int low, int high,
                               const QString& file)
{
    bool ok = false;
    const int value = ReadIni(section, key, kNumberBuffer, file).trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}
} // namespace

RememberedState ReadRememberedState(const QString& file)
{
    RememberedState r;
    r.volume = readBounded(kWindowSection, QStringLiteral("Volume"), 0, 100, file).value_or(80);
    r.mute = readBounded(kWindowSection, QStringLiteral("Mute"), 0, 1, file).value_or(0) == 1;
    r.playMode = readBounded(kWindowSection, QStringLiteral("PlayMode"), 0, 3, file).value_or(1);
    // Far outside any screen is no place; a window there could not be reached.
    constexpr int kFar = 100000;
    const auto left = readBounded(kWindowSection, QStringLiteral("MainLeft"), -kFar, kFar, file);
    const auto top = readBounded(kWindowSection, QStringLiteral("MainTop"), -kFar, kFar, file);
    if (left && top) {
        r.hasMainPlace = true;
        r.mainLeft = *left;
        r.mainTop = *top;
    }
    // The ten bands are taken only all together: a damaged list leaves the equaliser flat.
    const QStringList bands =
        ReadIni(kEqualizerSection, QStringLiteral("EqSliders"), 200, file).split(QLatin1Char(','));
    if (bands.size() == static_cast<qsizetype>(r.eqSliders.size())) {
        std::array<int16_t, 10> sliders{};
        bool allGood = true;
        for (size_t i = 0; i < sliders.size() && allGood; ++i) {
            bool ok = false;
            const int value = bands[static_cast<qsizetype>(i)].trimmed().toInt(&ok);
            allGood = ok && value >= -120 && value <= 120;
            sliders[i] = static_cast<int16_t>(value);
        }
        if (allGood)
            r.eqSliders = sliders;
    }
    r.eqPreset = static_cast<int16_t>(
        readBounded(kEqualizerSection, QStringLiteral("EqPreset"), 0, 6, file).value_or(0));
    return r;
}

bool WriteRememberedState(const RememberedState& r, const QString& file)
{
    bool ok = true;
    ok &= WriteIni(kWindowSection, QStringLiteral("Volume"), QString::number(r.volume), file);
    ok &= WriteIni(kWindowSection, QStringLiteral("Mute"), QString::number(r.mute ? 1 : 0), file);
    ok &= WriteIni(kWindowSection, QStringLiteral("PlayMode"), QString::number(r.playMode), file);
    if (r.hasMainPlace) {
        ok &=
            WriteIni(kWindowSection, QStringLiteral("MainLeft"), QString::number(r.mainLeft), file);
        ok &= WriteIni(kWindowSection, QStringLiteral("MainTop"), QString::number(r.mainTop), file);
    }
    QStringList bands;
    for (const int16_t position : r.eqSliders)
        bands << QString::number(position);
    ok &= WriteIni(kEqualizerSection, QStringLiteral("EqSliders"), bands.join(QLatin1Char(',')),
                   file);
    ok &=
        WriteIni(kEqualizerSection, QStringLiteral("EqPreset"), QString::number(r.eqPreset), file);
    return ok;
}

void ForgetMainPlace(const QString& file)
{
    if (ReadIni(kWindowSection, QStringLiteral("MainLeft"), kNumberBuffer, file).isEmpty())
        return;
    WriteIni(kWindowSection, QStringLiteral("MainLeft"), QString(), file);
    WriteIni(kWindowSection, QStringLiteral("MainTop"), QString(), file);
}
