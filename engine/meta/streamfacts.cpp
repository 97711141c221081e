// Stream facts through TagLib, for the format the file's content shows.
#include "streamfacts.h"

#include <cstdio>
#include <cstring>

#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "engine/decode/decoder.h"
#include "engine/io/plainfile.h"

namespace {

// The tag's encoder, its first non-empty TSSE frame.
std::string id3Encoder(TagLib::ID3v2::Tag* tag)
{
    if (!tag)
        return {};
    for (auto* frame : tag->frameListMap()["TSSE"]) {
        std::string text = frame->toString().to8Bit(true);
        if (!text.empty())
            return text;
    }
    return {};
}

std::string xiphEncoder(TagLib::Ogg::XiphComment* comment)
{
    if (!comment)
        return {};
    const auto& fields = comment->fieldListMap();
    const auto it = fields.find("ENCODER");
    if (it != fields.end() && !it->second.isEmpty())
        return it->second.front().to8Bit(true);
    return comment->vendorID().to8Bit(true);
}

void takeCommon(const TagLib::AudioProperties& p, StreamFacts& facts)
{
    facts.sampleRate = p.sampleRate();
    facts.channels = p.channels();
    facts.bitRate = p.bitrate();
    facts.lengthMs = p.lengthInMilliseconds();
}

} // namespace

bool ReadStreamFacts(const std::string& path, StreamFacts& facts)
{
    facts = StreamFacts{};
    if (!IsPlainFile(path))
        return false;
    const char* name = path.c_str();
    switch (SniffAudioFormat(path)) {
    case AudioFormat::Flac: {
        TagLib::FLAC::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        takeCommon(*file.audioProperties(), facts);
        facts.codec = "FLAC";
        facts.bits = file.audioProperties()->bitsPerSample();
        facts.encoder = xiphEncoder(file.xiphComment());
        break;
    }
    case AudioFormat::Vorbis: {
        TagLib::Ogg::Vorbis::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        takeCommon(*file.audioProperties(), facts);
        facts.codec = "Vorbis";
        facts.encoder = xiphEncoder(file.tag());
        break;
    }
    case AudioFormat::Opus: {
        TagLib::Ogg::Opus::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        takeCommon(*file.audioProperties(), facts);
        facts.codec = "Opus";
        facts.encoder = xiphEncoder(file.tag());
        break;
    }
    case AudioFormat::Mp4: {
        TagLib::MP4::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        const auto* p = file.audioProperties();
        takeCommon(*p, facts);
        const bool alac = p->codec() == TagLib::MP4::Properties::ALAC;
        facts.codec = alac ? "ALAC" : p->codec() == TagLib::MP4::Properties::AAC ? "AAC" : "MP4";
        facts.bits = alac ? p->bitsPerSample() : 0;
        if (file.tag() && file.tag()->contains("\251too"))
            facts.encoder = file.tag()->item("\251too").toStringList().toString().to8Bit(true);
        break;
    }
    case AudioFormat::Wav: {
        TagLib::RIFF::WAV::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        takeCommon(*file.audioProperties(), facts);
        // Format 3 is IEEE float; everything else this program takes is integer PCM.
        facts.codec = file.audioProperties()->format() == 3 ? "PCM float" : "PCM";
        facts.bits = file.audioProperties()->bitsPerSample();
        facts.encoder = file.hasID3v2Tag() ? id3Encoder(file.ID3v2Tag()) : std::string();
        break;
    }
    case AudioFormat::Aiff: {
        TagLib::RIFF::AIFF::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        takeCommon(*file.audioProperties(), facts);
        facts.codec = "PCM";
        facts.bits = file.audioProperties()->bitsPerSample();
        facts.encoder = file.hasID3v2Tag() ? id3Encoder(file.tag()) : std::string();
        break;
    }
    case AudioFormat::Unknown:
    case AudioFormat::Aac:
        return false;
    case AudioFormat::Mpeg: {
        TagLib::MPEG::File file(name, true);
        if (!file.isValid() || !file.audioProperties())
            return false;
        const auto* p = file.audioProperties();
        takeCommon(*p, facts);
        static const char* const kVersions[] = {"MPEG-1", "MPEG-2", "MPEG-2.5"};
        const int version = static_cast<int>(p->version());
        facts.codec = std::string(kVersions[version >= 0 && version < 3 ? version : 0]) +
                      " Layer " + std::to_string(p->layer());
        facts.encoder = file.hasID3v2Tag() ? id3Encoder(file.ID3v2Tag()) : std::string();
        break;
    }
    }
    return facts.sampleRate > 0;
}
