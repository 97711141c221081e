// The one notice of a run that no sound device could be opened and playback goes on silently
// (time still runs): printed once on standard error and kept until the interface takes it.
// Beside it, the notice that the sound server went away during playback, each time it does.
//
// Any thread; a mutex guards the reason. Never blocks for long.
#pragma once

#include <string>

// Records why playback is silent; only the first reason of the process counts.
void NoteSilentOutput(const std::string& why);
// The recorded reason the first time it is asked for after being noted, else empty.
std::string TakeSilentOutputNotice();

// Records that the sound server went away during playback (each time it does).
void NoteLostOutput(const std::string& why);
// The reason of the last loss not yet taken, else empty.
std::string TakeLostOutputNotice();
