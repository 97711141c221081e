// The lyrics editor's play clock that the tick keeps up to date while the editor is open.
#pragma once

#include <QString>

#include <cstdint>

// The lyrics editor as the tick sees it; the tools side implements it.
class LyricsClock {
public:
    virtual ~LyricsClock() = default;
    // The track the editor is working on ("Label1(1)").
    virtual QString editedFile() const = 0;
    // Shows text in the editor's clock ("Label1(0)").
    virtual void setClockText(const QString& text) = 0;
};

// "[mm:ss:cc]" for playMs: minutes, seconds and the first two digits of the milliseconds.
QString LyricsClockText(int32_t playMs);
// The message shown when the editor works on another file than the open one.
QString LyricsOtherFileText();
