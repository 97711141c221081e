// ReplayGain figures through TagLib's property maps (ID3v2 TXXX, Vorbis comments, APE), with
// the frames and atoms those maps leave out (RVA2, MP4 freeform items, Opus R128) read directly,
// and the LAME header's fields as the last resort for MPEG files.
#include "replaygain.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/relativevolumeframe.h>
#include <taglib/tpropertymap.h>

#include "tagreader.h"
#include "vbrheader.h"

#include "engine/io/plainfile.h"

namespace {

std::optional<double> parseNumber(std::string_view text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at < text.size() && text[at] == '+')
        ++at;
    std::string number(text.substr(at, 32));
    for (char& c : number)
        if (c == ',')
            c = '.'; // written by tools in a locale with a decimal comma
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end == number.data() || !std::isfinite(value))
        return std::nullopt;
    // Only a unit may follow the number.
    std::string_view rest(end, static_cast<size_t>(number.data() + number.size() - end));
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    if (!rest.empty() && rest != "dB" && rest != "db" && rest != "DB" && rest != "LU")
        return std::nullopt;
    return value;
}

std::string firstValue(const TagLib::PropertyMap& map, const char* key)
{
    auto it = map.find(key);
    if (it == map.end() || it->second.isEmpty())
        return {};
    return it->second.front().to8Bit(true);
}

void fromProperties(const TagLib::PropertyMap& map, ReplayGainTags& tags, const char* source)
{
    tags.trackGainDb = ParseGainDb(firstValue(map, "REPLAYGAIN_TRACK_GAIN"));
    tags.albumGainDb = ParseGainDb(firstValue(map, "REPLAYGAIN_ALBUM_GAIN"));
    tags.trackPeak = ParsePeak(firstValue(map, "REPLAYGAIN_TRACK_PEAK"));
    tags.albumPeak = ParsePeak(firstValue(map, "REPLAYGAIN_ALBUM_PEAK"));
    if (tags.any()) {
        tags.source = source;
        return;
    }
    // Opus keeps whole 1/256 dB steps relative to -23 LUFS; ReplayGain's reference is 5 dB louder.
    auto r128 = [&](const char* key) -> std::optional<double> {
        std::string text = firstValue(map, key);
        int steps = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), steps);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        double db = steps / 256.0 + 5.0;
        if (std::fabs(db) > kMaxReplayGainDb)
            return std::nullopt;
        return db;
    };
    tags.trackGainDb = r128("R128_TRACK_GAIN");
    tags.albumGainDb = r128("R128_ALBUM_GAIN");
    tags.trackPeak.reset();
    tags.albumPeak.reset();
    if (tags.any())
        tags.source = "R128";
}

void fromMp4(TagLib::MP4::File& file, ReplayGainTags& tags)
{
    TagLib::MP4::Tag* tag = file.tag();
    if (!tag)
        return;
    const auto& items = tag->itemMap();
    auto item = [&](const char* name) -> std::string {
        for (const char* prefix :
             {"----:com.apple.iTunes:", "----:org.hydrogenaudio.replaygain:"}) {
            TagLib::String key = TagLib::String(prefix) + TagLib::String(name);
            for (const auto& [itemKey, value] : items) {
                if (itemKey.upper() == key.upper() && !value.toStringList().isEmpty())
                    return value.toStringList().front().to8Bit(true);
            }
        }
        return {};
    };
    tags.trackGainDb = ParseGainDb(item("replaygain_track_gain"));
    tags.albumGainDb = ParseGainDb(item("replaygain_album_gain"));
    tags.trackPeak = ParsePeak(item("replaygain_track_peak"));
    tags.albumPeak = ParsePeak(item("replaygain_album_peak"));
    if (tags.any())
        tags.source = "MP4";
}

void fromRva2(TagLib::ID3v2::Tag& id3, ReplayGainTags& tags)
{
    for (auto* frame : id3.frameListMap()["RVA2"]) {
        auto* rva = dynamic_cast<TagLib::ID3v2::RelativeVolumeFrame*>(frame);
        if (!rva)
            continue;
        const TagLib::String id = rva->identification().upper();
        const bool album = id == "ALBUM";
        if (!album && id != "TRACK" && !id.isEmpty())
            continue;
        const double db = rva->volumeAdjustment(TagLib::ID3v2::RelativeVolumeFrame::MasterVolume);
        if (!std::isfinite(db) || std::fabs(db) > kMaxReplayGainDb)
            continue;
        std::optional<double> peak;
        const auto stored = rva->peakVolume(TagLib::ID3v2::RelativeVolumeFrame::MasterVolume);
        const int bits = stored.bitsRepresentingPeak;
        if (bits >= 2 && bits <= 32 &&
            stored.peakVolume.size() == static_cast<unsigned>((bits + 7) / 8)) {
            double value = 0;
            for (unsigned char byte : stored.peakVolume)
                value = value * 256 + byte;
            peak = ParsePeak(std::to_string(value / std::ldexp(1.0, bits - 1)));
        }
        if (album) {
            tags.albumGainDb = db;
            tags.albumPeak = peak;
        } else if (!tags.trackGainDb) {
            tags.trackGainDb = db;
            tags.trackPeak = peak;
        }
    }
    if (tags.any())
        tags.source = "RVA2";
}

// A LAME replay gain field: name 1 (radio: the track) or 2 (audiophile: the album), any
// originator but "not set", sign and tenths of a dB.
std::optional<double> lameGain(unsigned field, unsigned name)
{
    if ((field >> 13) != name || ((field >> 10) & 7) == 0)
        return std::nullopt;
    double db = (field & 0x1FF) / 10.0;
    if (field & 0x200)
        db = -db;
    return std::fabs(db) <= kMaxReplayGainDb ? std::optional<double>(db) : std::nullopt;
}

void fromLame(const std::string& path, ReplayGainTags& tags)
{
    const VbrHeader header = FindVbrHeader(path);
    if (!header.lame)
        return;
    tags.trackGainDb = lameGain(header.lameTrackGain, 1);
    tags.albumGainDb = lameGain(header.lameAlbumGain, 2);
    if (header.lamePeak > 0) {
        const double peak = header.lamePeak / std::ldexp(1.0, 23);
        tags.trackPeak = ParsePeak(std::to_string(peak));
    }
    if (tags.any())
        tags.source = "LAME";
    else
        tags = {};
}

} // namespace

std::optional<double> ParseGainDb(std::string_view text)
{
    std::optional<double> value = parseNumber(text);
    if (!value || std::fabs(*value) > kMaxReplayGainDb)
        return std::nullopt;
    return value;
}

std::optional<double> ParsePeak(std::string_view text)
{
    std::optional<double> value = parseNumber(text);
    if (!value || !(*value > 0) || *value > 100)
        return std::nullopt;
    return value;
}

ReplayGainTags ReadReplayGain(const std::string& path)
{
    ReplayGainTags tags;
    // A FIFO or device would block TagLib; an oversized ID3v2 tag would fill memory.
    if (!IsPlainFile(path))
        return tags;
    bool mpeg = false;
    if (Id3v2FitsTagLib(path)) {
        TagLib::FileRef ref(path.c_str(), false);
        if (TagLib::File* file = ref.file(); file && file->isValid()) {
            fromProperties(file->properties(), tags, "TXXX");
            if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file); mp4 && !tags.any())
                fromMp4(*mp4, tags);
            if (auto* mpegFile = dynamic_cast<TagLib::MPEG::File*>(file)) {
                mpeg = true;
                if (!tags.any() && mpegFile->hasID3v2Tag())
                    fromRva2(*mpegFile->ID3v2Tag(), tags);
            } else if (tags.any() && tags.source == "TXXX") {
                tags.source = dynamic_cast<TagLib::MP4::File*>(file) ? "MP4" : "comment";
            }
        } else {
            mpeg = true; // not recognised by TagLib: an MPEG stream may still carry a LAME header
        }
    }
    if (!tags.any() && (mpeg || !Id3v2FitsTagLib(path)))
        fromLame(path, tags);
    if (!tags.any())
        tags = {};
    return tags;
}

ReplayGainChoice ChooseReplayGain(const ReplayGainTags& tags, const ReplayGainSettings& settings,
                                  bool album, const ReplayGainTags* measured)
{
    ReplayGainChoice choice;
    if (settings.mode == ReplayGainMode::Off)
        return choice;
    auto clampDb = [](double db) { return std::fabs(db) <= kMaxReplayGainDb ? db : 0.0; };
    const ReplayGainTags* from =
        tags.any() ? &tags : (measured && measured->any() ? measured : nullptr);
    std::optional<double> peak;
    if (!from) {
        choice.gainDb = clampDb(settings.untaggedDb);
        choice.basis = "untagged";
    } else {
        const bool useAlbum = album ? from->albumGainDb.has_value() : !from->trackGainDb;
        choice.gainDb = useAlbum ? *from->albumGainDb : *from->trackGainDb;
        peak = useAlbum ? from->albumPeak : from->trackPeak;
        if (!peak)
            peak = useAlbum ? from->trackPeak : from->albumPeak;
        choice.gainDb = clampDb(choice.gainDb + settings.preampDb);
        choice.basis = from == &tags ? (useAlbum ? "album" : "track") : "measured";
    }
    double factor = std::pow(10.0, choice.gainDb / 20.0);
    // The loudest sample stays within full scale.
    if (settings.preventClipping && peak && *peak * factor > 1.0) {
        factor = 1.0 / *peak;
        choice.gainDb = 20.0 * std::log10(factor);
    }
    choice.factor = static_cast<float>(factor);
    return choice;
}
