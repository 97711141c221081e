// Tag lyrics through TagLib: SYLT and USLT frames read directly (their Latin-1 text may be
// Shift-JIS), other formats through the property map's LYRICS field.
#include "taglyrics.h"

#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include "engine/io/plainfile.h"
#include "engine/meta/tagreader.h"
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

void readUslt(TagLib::ID3v2::Tag& tag, TagLyrics& out)
{
    for (auto* frame : tag.frameListMap()["USLT"]) {
        auto* uslt = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frame);
        if (!uslt || uslt->size() > kMaxTagLyricsBytes)
            continue;
        out.text = textOf(uslt->text(), uslt->textEncoding());
        if (!out.text.empty())
            return;
    }
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
