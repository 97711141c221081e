// Polling of the engine's conversion state.
#include "conversionwatcher.h"

#include "engine/engine.h"

QString ConversionStatusText(int percent)
{
    return QStringLiteral("変換中 %1%").arg(qBound(0, percent, 100));
}

void ConversionWatcher::begin(const QString& outputPath, bool silent)
{
    m_path = outputPath;
    m_silent = silent;
    m_running = true;
}

int ConversionWatcher::progress() const
{
    return m_running ? qBound(0, m_engine.decodeProgress(), 100) : 0;
}

std::optional<ConversionNotice> ConversionWatcher::poll()
{
    if (!m_running)
        return std::nullopt;
    const std::string error = m_engine.decodeError();
    if (!error.empty()) {
        m_running = false;
        return ConversionNotice{
            false, QStringLiteral("WAV変換"),
            QStringLiteral("WAVファイルを作成できませんでした。\n%1\n%2")
                .arg(m_path, QString::fromStdString(error))};
    }
    if (m_engine.decodeProgress() >= 100) {
        m_running = false;
        return ConversionNotice{true, QStringLiteral("WAV変換"),
                                QStringLiteral("WAVファイルを作成しました。\n%1").arg(m_path)};
    }
    return std::nullopt;
}
