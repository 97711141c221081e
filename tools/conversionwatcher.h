// Follows a silent WAV conversion the engine runs in the background and tells when it has ended,
// so the app can say that the file is finished or why it failed.
#pragma once

#include <QString>

#include <optional>

class Engine;

// The status line's text while a conversion runs: "変換中 N%".
QString ConversionStatusText(int percent);

struct ConversionNotice {
    bool succeeded = false;
    QString title; // for the tray balloon or message box caption
    QString text;
};

class ConversionWatcher {
public:
    explicit ConversionWatcher(Engine& engine) : m_engine(engine) {}

    // A silent conversion to outputPath was just asked for; started is false when the engine
    // refused to start it.
    void begin(const QString& outputPath, bool started);
    bool running() const { return m_running; }
    QString outputPath() const { return m_path; }
    // 0..100 while running.
    int progress() const;

    // Called each tick: the notice once, on the first poll that finds the conversion ended;
    // nothing while it runs or when none was started.
    std::optional<ConversionNotice> poll();

private:
    Engine& m_engine;
    QString m_path;
    bool m_running = false;
    bool m_refused = false;
};
