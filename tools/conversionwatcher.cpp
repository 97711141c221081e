// Polling of the engine's conversion state.
#include "conversionwatcher.h"

#include "engine/engine.h"

QString ConversionStatusText(int percent)
{
    return QStringLiteral("変換中 %1%").arg(qBound(0, percent, 100));
}

void ConversionWatcher::begin(const QString& outputPath, bool started)
{
    m_path = outputPath;
    m_refused = !started;
    m_running = true;
}

int ConversionWatcher::progress() const
{
    return m_running && !m_refused ? qBound(0, m_engine.decodeProgress(), 100) : 0;
}

std::optional<ConversionNotice> ConversionWatcher::poll()
{
    if (!m_running)
        return std::nullopt;
    QString reason;
    if (m_refused) {
        reason = QStringLiteral("変換を開始できませんでした。");
    } else {
        // The engine settles the error before it reports 100, so read the progress first.
        if (m_engine.decodeProgress() < 100)
            return std::nullopt;
        const std::string error = m_engine.decodeError();
        if (error == "cancelled")
            reason = QStringLiteral("変換が中止されました。");
        else if (!error.empty())
            reason = QString::fromStdString(error);
    }
    m_running = false;
    const QString title = QStringLiteral("WAV変換");
    if (reason.isEmpty())
        return ConversionNotice{true, title,
                                QStringLiteral("WAVファイルを作成しました。\n%1").arg(m_path)};
    return ConversionNotice{
        false, title,
        QStringLiteral("WAVファイルを作成できませんでした。\n%1\n%2").arg(m_path, reason)};
}
