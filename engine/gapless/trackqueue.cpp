// The successor's life: offered, joined at the end of the stream, heard (adopted) or undone.
#include "trackqueue.h"

#include <cmath>

#include "meta/tagreader.h"

void ReadInputInfo(const std::string& path, const TrackDecoder& decoder, InputInfo& info)
{
    info = {};
    TagInfo tag;
    ReadTag(path, tag, &info);
    info.channels = decoder.channels();
    info.bitRate = decoder.bitRateKbps();
    info.sampleRate = decoder.sampleRate();
    info.totalSec = static_cast<int32_t>(
        std::llround(static_cast<double>(decoder.lengthFrames()) / decoder.sampleRate()));
    info.lengthMs =
        decoder.sampleRate() > 0 ? decoder.lengthFrames() * 1000 / decoder.sampleRate() : 0;
}

bool OpenTrackFile(const std::string& path, TrackDecoder& decoder, TrackRecord& record,
                   std::string* error)
{
    if (!decoder.open(path, true, error))
        return false;
    record.path = path;
    record.lengthFrames = decoder.lengthFrames();
    ReadInputInfo(path, decoder, record.info);
    return true;
}

void TrackQueue::reset(int track)
{
    m_next = {};
    m_nextDecoder.reset();
    m_joined = {};
    m_before.reset();
    m_beforeTrack = 0;
    m_decoderTrack = track;
    m_keepJoined = true;
    m_joinedTrack.store(0, std::memory_order_release);
}

bool TrackQueue::offer(TrackRecord record, std::unique_ptr<TrackDecoder> decoder)
{
    m_next = std::move(record);
    m_nextDecoder = std::move(decoder);
    if (joinedTrack() == 0)
        return false;
    m_keepJoined = false;
    return true;
}

bool TrackQueue::withdraw()
{
    m_next = {};
    m_nextDecoder.reset();
    if (joinedTrack() == 0 || !m_keepJoined)
        return false;
    m_keepJoined = false;
    return true;
}

const TrackRecord* TrackQueue::successor() const
{
    if (m_nextDecoder)
        return &m_next;
    return joinedTrack() != 0 && m_keepJoined ? &m_joined : nullptr;
}

bool TrackQueue::join(TrackDecoder& current)
{
    // A successor offered while another is joined waits for the rewind that replaces it.
    if (!m_nextDecoder || joinedTrack() != 0)
        return false;
    current.swap(*m_nextDecoder);
    m_before = std::move(m_nextDecoder);
    m_beforeTrack = m_decoderTrack;
    m_joined = std::move(m_next);
    m_next = {};
    m_decoderTrack = m_joined.number;
    m_keepJoined = true;
    m_joinedTrack.store(m_joined.number, std::memory_order_release);
    return true;
}

void TrackQueue::rewind(TrackDecoder& current)
{
    if (joinedTrack() == 0)
        return;
    current.swap(*m_before);
    m_decoderTrack = m_beforeTrack;
    if (m_keepJoined && !m_nextDecoder) {
        // A fresh stream gives exactly the samples of a plain decode from the beginning; a seek
        // back to 0 may not.
        if (m_before->open(m_joined.path, true)) {
            m_nextDecoder = std::move(m_before);
            m_next = std::move(m_joined);
        }
    }
    m_before.reset();
    m_joined = {};
    m_keepJoined = true;
    m_joinedTrack.store(0, std::memory_order_release);
}

bool TrackQueue::adopt(int track, TrackRecord& record)
{
    // A replaced successor may be heard for the few ms until the decode thread rewinds it.
    if (track == 0 || joinedTrack() != track || !m_keepJoined)
        return false;
    m_before.reset();
    record = std::move(m_joined);
    m_joined = {};
    m_joinedTrack.store(0, std::memory_order_release);
    return true;
}
