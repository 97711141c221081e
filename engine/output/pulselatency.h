// How far ahead of the sound heard now the next byte written to a PulseAudio stream will play,
// from the stream's timing information.
//
// pa_stream_get_latency clamps a negative latency to 0 (the server has played past the write
// index after an underrun or a flush); the engine's clock must see the real, signed value.
#pragma once

#include <cstdint>

struct PulseTiming {
    int64_t writeIndexBytes = 0; // where the next write lands in the stream
    int64_t readIndexBytes = 0;  // what the server has taken from the stream into the sink
    int64_t sinkUsec = 0;        // audio taken by the sink and not yet heard
    int64_t transportUsec = 0;   // half the round trip of the timing query
    int64_t ageUsec = 0;         // time since the timing was current
    bool playing = false;        // the stream was playing (not corked, not waiting to fill)
};

// Nanoseconds from the timing's moment plus its age until the byte at the write index is heard.
// Negative when that byte's time has already gone by.
int64_t DelayUntilWriteIndexNs(const PulseTiming& timing, int bytesPerSecond);
