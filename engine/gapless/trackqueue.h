// The track that follows the open one without a gap: the successor the caller queued, the switch
// of decoders at the end of the stream, and that join until its first frame is heard.
//
// Threads: every method runs with the engine's lock held, on the caller's thread or the decode
// thread, except joinedTrack(), which any thread may read. A successor's file is opened before
// offer, on the caller's thread; rewind re-opens a joined file on the decode thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "decode/decoder.h"
#include "records.h"

// What the caller's side keeps of a track: its file, its information and its number on the clock.
struct TrackRecord {
    std::string path;
    InputInfo info;
    int64_t lengthFrames = 0;
    int number = 0;
};

// The information of the track open in decoder, read from path (tag) and the stream.
void ReadInputInfo(const std::string& path, const TrackDecoder& decoder, InputInfo& info);
// Opens path in decoder and describes it in record (its number left alone). False, error set,
// when the file is missing or holds no audio the engine can decode.
bool OpenTrackFile(const std::string& path, TrackDecoder& decoder, TrackRecord& record,
                   std::string* error = nullptr);

class TrackQueue {
public:
    // A newly opened track, numbered track, that the decoder reads: no successor, no join.
    void reset(int track);
    // The number of the track whose frames the decoder gives now (the clock's markers carry it).
    int decoderTrack() const { return m_decoderTrack; }

    // The successor of the heard track, replacing any other. True when audio of another successor
    // is already queued: the caller re-decodes from the frame heard (a jump), which rewinds it.
    bool offer(TrackRecord record, std::unique_ptr<TrackDecoder> decoder);
    // No successor. True, as for offer, when a joined one has to be taken back.
    bool withdraw();
    // The successor waiting or joined and still wanted; nullptr when none.
    const TrackRecord* successor() const;

    // Decode thread, at the end of the stream: the successor's decoder takes the place of
    // current, whose stream is kept until the join is heard. False when there is none.
    bool join(TrackDecoder& current);
    // Decode thread, at every jump or stop: a join not heard yet is undone. current reads the
    // heard track again and the successor, when still wanted, waits from its beginning.
    void rewind(TrackDecoder& current);
    // Any thread: the number of the joined track not heard yet; 0 when none.
    int joinedTrack() const { return m_joinedTrack.load(std::memory_order_acquire); }
    // Caller, once frames of the joined track are heard: the previous stream is closed and the
    // successor's record handed out. False when that join is no longer the one to follow.
    bool adopt(int track, TrackRecord& record);

private:
    TrackRecord m_next;                          // the waiting successor
    std::unique_ptr<TrackDecoder> m_nextDecoder; // null when none waits
    TrackRecord m_joined;                        // the successor being decoded, not heard yet
    std::unique_ptr<TrackDecoder> m_before;      // the heard track's stream after a join
    int m_beforeTrack = 0;
    int m_decoderTrack = 0;
    bool m_keepJoined = true; // false once the joined successor was replaced or withdrawn
    std::atomic<int> m_joinedTrack{0};
};
