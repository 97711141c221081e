// Tag lyrics through TagLib: SYLT and USLT frames read directly (their Latin-1 text may be
// Shift-JIS), other formats through the property map's LYRICS field.
#include "taglyrics.h"

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "engine/decode/decoder.h"
#include "engine/io/plainfile.h"
#include "engine/meta/id3text.h"
#include "engine/meta/tagreader.h"
#include "engine/meta/tagwriter.h"
#include "engine/meta/textcodec.h"
#include "engine/meta/vbrheader.h"

namespace {
// Stamps past a day are damaged; such a line would never be reached.
constexpr int64_t kMaxStampMs = 24LL * 3600 * 1000;
constexpr size_t kMaxSyncedEntries = 100000;

std::string textOf(const TagLib::String& text, TagLib::String::Type encoding)
{
    if (encoding == TagLib::String::Latin1)
        return DecodeLegacyText(text.to8Bit(false));
    return text.to8Bit(true);
}

void readSylt(const std::string& path, TagLib::ID3v2::Tag& tag, TagLyrics& out)
{
    for (auto* frame : tag.frameListMap()["SYLT"]) {
        auto* sylt = dynamic_cast<TagLib::ID3v2::SynchronizedLyricsFrame*>(frame);
        if (!sylt || sylt->size() > kMaxTagLyricsBytes)
            continue;
        if (sylt->type() != TagLib::ID3v2::SynchronizedLyricsFrame::Lyrics &&
            sylt->type() != TagLib::ID3v2::SynchronizedLyricsFrame::Other)
            continue;
        double msPerStamp = 1;
        if (sylt->timestampFormat() == TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMpegFrames) {
            const VbrHeader header = FindVbrHeader(path);
            if (header.sampleRate <= 0 || header.samplesPerFrame <= 0)
                continue;
            msPerStamp = 1000.0 * header.samplesPerFrame / header.sampleRate;
        } else if (sylt->timestampFormat() !=
                   TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMilliseconds) {
            continue;
        }
        // Entries that begin with a line break start a line; the others (syllables) join the
        // line before them, which keeps its first stamp.
        bool joined = false;
        for (const auto& entry : sylt->synchedText())
            joined = joined || entry.text.startsWith("\n") || entry.text.startsWith("\r");
        for (const auto& entry : sylt->synchedText()) {
            if (out.synced.size() >= kMaxSyncedEntries)
                break;
            const int64_t ms = static_cast<int64_t>(entry.time * msPerStamp);
            std::string text = textOf(entry.text, sylt->textEncoding());
            const bool breaks = !text.empty() && (text[0] == '\n' || text[0] == '\r');
            while (!text.empty() && (text.front() == '\n' || text.front() == '\r'))
                text.erase(0, 1);
            if (joined && !breaks && !out.synced.empty()) {
                out.synced.back().text += text;
                continue;
            }
            if (ms > kMaxStampMs)
                continue;
            out.synced.push_back({ms, text});
        }
        if (!out.synced.empty())
            return;
    }
}

// The frame without a description (the plain lyrics, the one this program writes) comes first;
// described ones are read when it is missing or empty.
void readUslt(TagLib::ID3v2::Tag& tag, TagLyrics& out)
{
    for (const bool plain : {true, false}) {
        for (auto* frame : tag.frameListMap()["USLT"]) {
            auto* uslt = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frame);
            if (!uslt || uslt->size() > kMaxTagLyricsBytes ||
                uslt->description().isEmpty() != plain)
                continue;
            out.text = textOf(uslt->text(), uslt->textEncoding());
            if (!out.text.empty())
                return;
        }
    }
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "[mm:ss:xx]" at a line's start becomes "[mm:ss.xx]"; anything else stays as it is.
std::string standardStamps(const std::string& text)
{
    std::string out = text;
    for (size_t start = 0; start < out.size();) {
        size_t i = start;
        if (out[i] == '[') {
            size_t digits = 0;
            while (i + 1 + digits < out.size() && isDigit(out[i + 1 + digits]))
                ++digits;
            const size_t colon = i + 1 + digits;
            if (digits >= 2 && colon + 6 < out.size() && out[colon] == ':' &&
                isDigit(out[colon + 1]) && isDigit(out[colon + 2]) && out[colon + 3] == ':' &&
                isDigit(out[colon + 4]) && isDigit(out[colon + 5]) && out[colon + 6] == ']')
                out[colon + 3] = '.';
        }
        const size_t end = out.find('\n', start);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

void setId3Lyrics(TagLib::ID3v2::Tag& tag, const std::string& text)
{
    // Copies of the lists: removing a frame changes the tag's own.
    const TagLib::ID3v2::FrameList synced = tag.frameListMap()["SYLT"];
    const TagLib::ID3v2::FrameList plain = tag.frameListMap()["USLT"];
    for (auto* frame : synced) {
        auto* sylt = dynamic_cast<TagLib::ID3v2::SynchronizedLyricsFrame*>(frame);
        if (sylt && (sylt->type() == TagLib::ID3v2::SynchronizedLyricsFrame::Lyrics ||
                     sylt->type() == TagLib::ID3v2::SynchronizedLyricsFrame::Other))
            tag.removeFrame(frame);
    }
    for (auto* frame : plain) {
        auto* uslt = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frame);
        if (uslt && uslt->description().isEmpty())
            tag.removeFrame(frame);
    }
    if (text.empty())
        return;
    auto* frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(Id3EncodingFor(text));
    frame->setLanguage("und");
    frame->setText(TagLib::String(text, TagLib::String::UTF8));
    tag.addFrame(frame);
}

void setXiphLyrics(TagLib::Ogg::XiphComment& xiph, const std::string& text)
{
    xiph.removeFields("LYRICS");
    if (!text.empty())
        xiph.addField("LYRICS", TagLib::String(text, TagLib::String::UTF8), true);
}

// Ogg Vorbis and Opus: the comment header is the file's one tag.
template <class OggFile> bool saveOggLyrics(const char* name, const std::string& text)
{
    OggFile file(name, false);
    if (!file.isValid() || file.readOnly() || !file.tag())
        return false;
    setXiphLyrics(*file.tag(), text);
    return file.save();
}

bool applyLyrics(const std::string& path, const std::string& text, std::string& error)
{
    const char* name = path.c_str();
    bool saved = false;
    switch (SniffAudioFormat(path)) {
    case AudioFormat::Flac: {
        TagLib::FLAC::File file(name, false);
        if (file.isValid() && !file.readOnly()) {
            setXiphLyrics(*file.xiphComment(true), text);
            saved = file.save();
        }
        break;
    }
    case AudioFormat::Vorbis:
        saved = saveOggLyrics<TagLib::Ogg::Vorbis::File>(name, text);
        break;
    case AudioFormat::Opus:
        saved = saveOggLyrics<TagLib::Ogg::Opus::File>(name, text);
        break;
    case AudioFormat::Mp4: {
        TagLib::MP4::File file(name, false);
        if (file.isValid() && !file.readOnly() && file.tag()) {
            if (text.empty())
                file.tag()->removeItem("\251lyr");
            else
                file.tag()->setItem("\251lyr",
                                    TagLib::StringList(TagLib::String(text, TagLib::String::UTF8)));
            saved = file.save();
        }
        break;
    }
    case AudioFormat::Wav: {
        TagLib::RIFF::WAV::File file(name, false);
        if (file.isValid() && !file.readOnly()) {
            setId3Lyrics(*file.ID3v2Tag(), text);
            saved = file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone,
                              TagLib::ID3v2::v3);
        }
        break;
    }
    case AudioFormat::Aiff: {
        TagLib::RIFF::AIFF::File file(name, false);
        if (file.isValid() && !file.readOnly()) {
            setId3Lyrics(*file.tag(), text);
            saved = file.save(TagLib::ID3v2::v3);
        }
        break;
    }
    case AudioFormat::Aac:
        error = "no tag for lyrics in a raw AAC stream: " + path;
        return false;
    default: {
        // MP3: the ID3v2 tag alone changes; an ID3v1 or APE tag stays as it was.
        TagLib::MPEG::File file(name, false);
        if (file.isOpen() && !file.readOnly()) {
            setId3Lyrics(*file.ID3v2Tag(true), text);
            saved = file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                              TagLib::File::DoNotDuplicate);
        }
        break;
    }
    }
    if (!saved)
        error = "TagLib could not save the lyrics of " + path;
    return saved;
}
} // namespace

TagLyrics ReadTagLyrics(const std::string& path)
{
    TagLyrics out;
    // A FIFO or device would block TagLib; an oversized ID3v2 tag would fill memory.
    if (!IsPlainFile(path) || !Id3v2FitsTagLib(path))
        return out;
    TagLib::FileRef ref(path.c_str(), false);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid())
        return out;
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        if (mpeg->hasID3v2Tag()) {
            readSylt(path, *mpeg->ID3v2Tag(), out);
            readUslt(*mpeg->ID3v2Tag(), out);
        }
        return out;
    }
    const TagLib::PropertyMap map = file->properties();
    for (const char* key : {"LYRICS", "UNSYNCEDLYRICS"}) {
        auto it = map.find(key);
        if (it == map.end() || it->second.isEmpty())
            continue;
        std::string text = it->second.front().to8Bit(true);
        if (text.size() <= kMaxTagLyricsBytes && !text.empty()) {
            out.text = std::move(text);
            break;
        }
    }
    return out;
}

bool LoadTagLyrics(const std::string& path, Lyrics& lyrics)
{
    TagLyrics found = ReadTagLyrics(path);
    if (!found.synced.empty() && lyrics.setLines(std::move(found.synced)))
        return true;
    if (!found.text.empty())
        return lyrics.parse(found.text);
    lyrics.clear();
    return false;
}

bool LoadLyricsFrom(const std::string& path, Lyrics& lyrics)
{
    const bool lrc = path.size() >= 4 && (path.compare(path.size() - 4, 4, ".lrc") == 0 ||
                                          path.compare(path.size() - 4, 4, ".LRC") == 0 ||
                                          path.compare(path.size() - 4, 4, ".Lrc") == 0);
    return lrc ? lyrics.load(path) : LoadTagLyrics(path, lyrics);
}

bool WriteTagLyrics(const std::string& path, const std::string& text, std::string& error)
{
    if (text.size() > kMaxTagLyricsBytes) {
        error = "lyrics larger than a tag takes: " + path;
        return false;
    }
    if (!IsPlainFile(path) || !Id3v2FitsTagLib(path)) {
        error = "not a taggable file: " + path;
        return false;
    }
    const std::string lyrics = standardStamps(text);
    return TagWriter{}.rewrite(
        path,
        [&lyrics](const std::string& copy, std::string& why) {
            return applyLyrics(copy, lyrics, why);
        },
        error);
}
