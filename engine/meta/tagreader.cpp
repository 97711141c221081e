// ID3 tag reading with TagLib for ID3v2 and a hand parser for ID3v1; text declared Latin-1 that
// is really Shift-JIS (common in Japanese files) is recognised and decoded.
#include "tagreader.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <zlib.h>

#include <taglib/aifffile.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "engine/decode/decoder.h"

#include "id3v1block.h"
#include "id3v2fallback.h"
#include "textcodec.h"

#include "engine/io/plainfile.h"

namespace {

// How legacy 8-bit text is read (forced, or Automatic), and the encoding the first such field
// that is not plain ASCII was read in.
struct LegacyReading {
    LegacyEncoding forced = LegacyEncoding::Automatic;
    LegacyEncoding used = LegacyEncoding::Automatic;
    std::string decode(std::string_view bytes)
    {
        const LegacyEncoding encoding =
            forced != LegacyEncoding::Automatic ? forced : DetectLegacyEncoding(bytes);
        bool ascii = true;
        for (char c : bytes)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (!ascii && used == LegacyEncoding::Automatic)
            used = encoding;
        return forced != LegacyEncoding::Automatic ? DecodeLegacyAs(bytes, forced)
                                                   : DecodeLegacyText(bytes);
    }
};
thread_local LegacyReading* t_reading = nullptr; // the reading of the ReadTagAs call running

std::string legacyText(std::string_view bytes)
{
    return t_reading ? t_reading->decode(bytes) : DecodeLegacyText(bytes);
}

std::string frameText(const TagLib::String& text, TagLib::String::Type encoding)
{
    if (encoding == TagLib::String::Latin1) {
        // TagLib maps each Latin-1 byte to the code point of the same value: get the bytes back.
        return legacyText(text.to8Bit(false));
    }
    return text.to8Bit(true);
}

std::string textFrame(TagLib::ID3v2::Tag& tag, const char* id)
{
    const auto& frames = tag.frameListMap()[id];
    for (auto* frame : frames) {
        auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame);
        if (!text)
            continue;
        std::string value = frameText(text->toString(), text->textEncoding());
        if (!value.empty())
            return value;
    }
    return {};
}

std::string commentFrame(TagLib::ID3v2::Tag& tag)
{
    const auto& frames = tag.frameListMap()["COMM"];
    TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    // The plain comment has no description; described ones are mostly player data (iTunNORM).
    for (auto* frame : frames) {
        auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment && comment->description().isEmpty()) {
            chosen = comment;
            break;
        }
    }
    if (!chosen) {
        for (auto* frame : frames) {
            auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
            if (comment && !comment->description().startsWith("iTun")) {
                chosen = comment;
                break;
            }
        }
    }
    return chosen ? frameText(chosen->text(), chosen->textEncoding()) : std::string();
}

// "13", "(13)", "(13)Pop" or a genre name; -1 when it names no ID3v1 genre.
int genreNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool parenthesised = i < text.size() && text[i] == '(';
    if (parenthesised)
        ++i;
    size_t digitsStart = i;
    int number = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) &&
           i - digitsStart < 3)
        number = number * 10 + (text[i++] - '0');
    if (i > digitsStart && number <= 255 &&
        (parenthesised ? i < text.size() && text[i] == ')' : i == text.size()))
        return number;
    int index = TagLib::ID3v1::genreIndex(TagLib::String(text, TagLib::String::UTF8));
    return index >= 0 && index < 255 ? index : -1;
}

int genreFrame(TagLib::ID3v2::Tag& tag)
{
    for (auto* frame : tag.frameListMap()["TCON"]) {
        auto* text = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame);
        if (!text)
            continue;
        for (const auto& field : text->fieldList()) {
            int number = genreNumber(field.to8Bit(true));
            if (number >= 0)
                return number;
        }
    }
    return -1;
}

// A recording time such as "2010-04-03" gives its year; text without a digit is no year (a
// damaged frame); other text is kept as written.
std::string yearOf(const std::string& text)
{
    if (text.find_first_of("0123456789") == std::string::npos)
        return {};
    if (text.size() > 4 && (text[4] == '-' || text[4] == 'T')) {
        bool digits = true;
        for (int k = 0; k < 4; ++k)
            digits = digits && std::isdigit(static_cast<unsigned char>(text[k]));
        if (digits)
            return text.substr(0, 4);
    }
    return text;
}

// TagLib builds every frame of an ID3v2 tag in memory (hundreds of bytes each): a tag of a
// million tiny frames took 700 MB and seconds. Real tags hold tens of frames, and pictures
// rarely pass a few megabytes.
constexpr int kMaxTagLibFrames = 4096;
constexpr long kMaxTagLibBytes = 16L << 20;

// TagLib inflates a compressed frame whole, whatever size the frame claims: a few hundred
// kilobytes of zlib data can hold gigabytes.
constexpr unsigned long kMaxInflatedBytes = 16UL << 20;

// Inflates size bytes of zlib data from file into nothing, adding what they give to inflated;
// stops (false) once inflated passes kMaxInflatedBytes.
bool inflateWithin(FILE* file, long size, unsigned long& inflated)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    std::vector<unsigned char> in(64 * 1024), out(256 * 1024);
    bool within = true;
    int status = Z_OK;
    while (within && size > 0 && status == Z_OK) {
        const size_t want = static_cast<size_t>(std::min<long>(size, long(in.size())));
        const size_t got = std::fread(in.data(), 1, want, file);
        if (got == 0)
            break;
        size -= static_cast<long>(got);
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(got);
        while (within && zs.avail_in > 0 && status == Z_OK) {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            status = inflate(&zs, Z_NO_FLUSH);
            inflated += out.size() - zs.avail_out;
            within = inflated <= kMaxInflatedBytes;
            if (status == Z_BUF_ERROR)
                status = Z_OK; // wants more input
        }
    }
    inflateEnd(&zs);
    return within;
}

// True when the file's ID3v2 tag (if any) is small enough in frames and bytes for TagLib.
// Reads only the frame headers, at most kMaxTagLibFrames of them, and inflates compressed
// frames into nothing to learn what they hold.
bool id3v2WithinBounds(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return true;
    auto bigEndian = [](const unsigned char* p, int n) {
        long v = 0;
        for (int k = 0; k < n; ++k)
            v = v << 8 | p[k];
        return v;
    };
    auto syncSafe = [](const unsigned char* p) {
        return long(p[0] & 0x7F) << 21 | long(p[1] & 0x7F) << 14 | long(p[2] & 0x7F) << 7 |
               long(p[3] & 0x7F);
    };
    bool within = true;
    unsigned char h[10] = {};
    if (std::fread(h, 1, sizeof h, file) == sizeof h && std::memcmp(h, "ID3", 3) == 0 &&
        h[3] >= 2 && h[3] <= 4) {
        const int major = h[3];
        const long end = 10 + syncSafe(h + 6);
        // An unsynchronised tag's frame sizes count other bytes: judge it by its size alone.
        const bool unsynchronised = (h[5] & 0x80) && major < 4;
        within = end <= (unsynchronised ? (1L << 20) : kMaxTagLibBytes);
        long pos = 10;
        if (within && !unsynchronised && (h[5] & 0x40) && major >= 3 &&
            std::fread(h, 1, 4, file) == 4)
            pos += major == 3 ? 4 + bigEndian(h, 4) : syncSafe(h);
        const int headerBytes = major == 2 ? 6 : 10;
        unsigned long inflated = 0;
        for (int frames = 0; within && !unsynchronised && pos + headerBytes <= end; ++frames) {
            if (frames == kMaxTagLibFrames || std::fseek(file, pos, SEEK_SET) != 0 ||
                std::fread(h, 1, size_t(headerBytes), file) != size_t(headerBytes)) {
                within = frames < kMaxTagLibFrames;
                break;
            }
            if (h[0] == 0)
                break; // padding
            const long size = major == 2   ? bigEndian(h + 3, 3)
                              : major == 3 ? bigEndian(h + 4, 4)
                                           : syncSafe(h + 4);
            // Compressed data follows the sizes and group byte that these flags put first.
            const bool compressed = (major == 3 && (h[9] & 0x80)) || (major == 4 && (h[9] & 0x08));
            if (compressed && size > 0) {
                const long skip = major == 3 ? 4 + ((h[9] & 0x20) ? 1 : 0)
                                             : ((h[9] & 0x40) ? 1 : 0) + ((h[9] & 0x01) ? 4 : 0);
                within = skip >= size ||
                         std::fseek(file, pos + headerBytes + skip, SEEK_SET) != 0 ||
                         inflateWithin(file, size - skip, inflated);
            }
            pos += headerBytes + size;
        }
    }
    std::fclose(file);
    return within;
}

// A genre as text: "(13)", "13" and "(13)Pop" name ID3v1 genre 13; other text is kept.
std::string genreName(const std::string& text)
{
    if (text.empty() ||
        (text[0] != '(' && text.find_first_not_of("0123456789") != std::string::npos))
        return text;
    const int number = genreNumber(text);
    return number >= 0 ? TagLib::ID3v1::genre(number).to8Bit(true) : text;
}

// The ID3v2 tag of a WAV or AIFF file: the same frames as an MP3's, but the genre is free text.
void readId3Fields(TagLib::ID3v2::Tag& id3, TagInfo& out)
{
    out.title = textFrame(id3, "TIT2");
    out.artist = textFrame(id3, "TPE1");
    out.album = textFrame(id3, "TALB");
    out.year = textFrame(id3, "TDRC");
    if (out.year.empty())
        out.year = textFrame(id3, "TYER");
    out.comment = commentFrame(id3);
    out.genreText = genreName(textFrame(id3, "TCON"));
    out.track = textFrame(id3, "TRCK");
}

// The first value of a property, in UTF-8.
std::string property(const TagLib::PropertyMap& properties, const char* key)
{
    const auto it = properties.find(key);
    if (it == properties.end())
        return {};
    for (const auto& value : it->second) {
        if (!value.isEmpty())
            return value.to8Bit(true);
    }
    return {};
}

// Vorbis comments and MP4 atoms hold UTF-8 (or UTF-16) text; TagLib's property names are the
// same for both.
void readProperties(const TagLib::PropertyMap& properties, TagInfo& out)
{
    out.title = property(properties, "TITLE");
    out.artist = property(properties, "ARTIST");
    out.album = property(properties, "ALBUM");
    out.year = property(properties, "DATE");
    out.comment = property(properties, "COMMENT");
    if (out.comment.empty())
        out.comment = property(properties, "DESCRIPTION");
    out.genreText = property(properties, "GENRE");
    out.track = property(properties, "TRACKNUMBER");
}

bool hasAnyField(const TagInfo& tag)
{
    return !tag.title.empty() || !tag.artist.empty() || !tag.album.empty() || !tag.year.empty() ||
           !tag.comment.empty() || !tag.genreText.empty() || !tag.track.empty();
}

// The tag of a file that is not MPEG audio, in its format's own kind; true when it has one.
bool readFormatTag(AudioFormat kind, const std::string& path, TagInfo& out)
{
    const char* name = path.c_str();
    switch (kind) {
    case AudioFormat::Flac: {
        TagLib::FLAC::File file(name, false);
        if (!file.isValid())
            return false;
        if (TagLib::Ogg::XiphComment* xiph = file.xiphComment(); xiph && !xiph->isEmpty())
            readProperties(xiph->properties(), out);
        else if (file.hasID3v2Tag())
            readId3Fields(*file.ID3v2Tag(), out);
        break;
    }
    case AudioFormat::Vorbis: {
        TagLib::Ogg::Vorbis::File file(name, false);
        if (!file.isValid() || !file.tag())
            return false;
        readProperties(file.tag()->properties(), out);
        break;
    }
    case AudioFormat::Opus: {
        TagLib::Ogg::Opus::File file(name, false);
        if (!file.isValid() || !file.tag())
            return false;
        readProperties(file.tag()->properties(), out);
        break;
    }
    case AudioFormat::Mp4: {
        TagLib::MP4::File file(name, false);
        if (!file.isValid() || !file.tag())
            return false;
        readProperties(file.tag()->properties(), out);
        break;
    }
    case AudioFormat::Wav: {
        TagLib::RIFF::WAV::File file(name, false);
        if (!file.isValid())
            return false;
        if (file.hasID3v2Tag()) {
            readId3Fields(*file.ID3v2Tag(), out);
        } else if (file.hasInfoTag()) {
            // RIFF INFO text has no declared coding: Latin-1 bytes that may be Shift-JIS.
            TagLib::RIFF::Info::Tag* info = file.InfoTag();
            auto text = [](const TagLib::String& s) { return legacyText(s.to8Bit(false)); };
            out.title = text(info->title());
            out.artist = text(info->artist());
            out.album = text(info->album());
            out.year = info->year() > 0 ? std::to_string(info->year()) : std::string();
            out.comment = text(info->comment());
            out.genreText = text(info->genre());
            out.track = info->track() > 0 ? std::to_string(info->track()) : std::string();
        }
        break;
    }
    case AudioFormat::Aiff: {
        TagLib::RIFF::AIFF::File file(name, false);
        if (!file.isValid())
            return false;
        if (file.hasID3v2Tag())
            readId3Fields(*file.tag(), out);
        break;
    }
    default:
        return false;
    }
    return hasAnyField(out);
}

} // namespace

bool HasOwnTagKind(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Flac:
    case AudioFormat::Vorbis:
    case AudioFormat::Opus:
    case AudioFormat::Mp4:
    case AudioFormat::Wav:
    case AudioFormat::Aiff:
        return true;
    default:
        return false;
    }
}

bool Id3v2FitsTagLib(const std::string& path)
{
    return id3v2WithinBounds(path);
}

bool ReadTagAs(const std::string& path, TagInfo& tag, LegacyEncoding encoding, LegacyEncoding* used)
{
    LegacyReading reading;
    reading.forced = encoding;
    t_reading = &reading;
    const bool found = ReadTag(path, tag);
    t_reading = nullptr;
    if (used)
        *used = reading.used;
    return found;
}

bool ReadTag(const std::string& path, TagInfo& tag, InputInfo* info)
{
    tag = TagInfo{};
    if (info) {
        info->title.clear();
        info->artist.clear();
    }
    // A FIFO or device would block TagLib or read forever.
    if (!IsPlainFile(path))
        return false;

    if (const AudioFormat kind = SniffAudioFormat(path); HasOwnTagKind(kind)) {
        TagInfo read;
        if (!readFormatTag(kind, path, read))
            return false;
        tag.title = CutUtf8(read.title, kTagTextChars);
        tag.artist = CutUtf8(read.artist, kTagTextChars);
        tag.album = CutUtf8(read.album, kTagTextChars);
        tag.year = CutUtf8(yearOf(read.year), kTagYearChars);
        tag.comment = CutUtf8(read.comment, kTagTextChars);
        tag.genreText = CutUtf8(read.genreText, kTagTextChars);
        tag.track = CutUtf8(read.track, kTagTrackChars);
        if (info) {
            info->title = CutUtf8(tag.title, kInfoTextChars);
            info->artist = CutUtf8(tag.artist, kInfoTextChars);
        }
        return true;
    }

    TagInfo v2;
    bool hasV2 = false;
    if (!id3v2WithinBounds(path)) {
        // Too many frames or bytes for TagLib: our own walker reads the first megabyte.
        hasV2 = ReadId3v2Leniently(path, v2);
    } else {
        TagLib::MPEG::File file(path.c_str(), false);
        if (file.isOpen() && file.hasID3v2Tag()) {
            if (TagLib::ID3v2::Tag* id3 = file.ID3v2Tag()) {
                hasV2 = true;
                v2.title = textFrame(*id3, "TIT2");
                v2.artist = textFrame(*id3, "TPE1");
                v2.album = textFrame(*id3, "TALB");
                v2.year = textFrame(*id3, "TDRC");
                if (v2.year.empty())
                    v2.year = textFrame(*id3, "TYER");
                v2.comment = commentFrame(*id3);
                v2.genre = genreFrame(*id3);
                v2.track = textFrame(*id3, "TRCK");
            }
        }
    }
    // TagLib stops at the first frame it cannot parse; when that leaves nothing, walk the
    // frames ourselves.
    if (hasV2 && v2.title.empty() && v2.artist.empty() && v2.album.empty())
        ReadId3v2Leniently(path, v2);
    v2.year = yearOf(v2.year);

    Id3v1Block v1;
    const bool hasV1 = ReadId3v1Block(path, v1);
    if (!hasV1 && !hasV2)
        return false;

    // ID3v2 wins wherever it holds a value; ID3v1 fills what it lacks.
    auto pick = [&](const std::string& fromV2, const std::string& rawV1, int maxChars) {
        std::string value = !fromV2.empty() ? fromV2 : hasV1 ? legacyText(rawV1) : "";
        return CutUtf8(value, maxChars);
    };
    tag.title = pick(v2.title, v1.title, kTagTextChars);
    tag.artist = pick(v2.artist, v1.artist, kTagTextChars);
    tag.album = pick(v2.album, v1.album, kTagTextChars);
    tag.year = pick(v2.year, v1.year, kTagYearChars);
    tag.comment = pick(v2.comment, v1.comment, kTagTextChars);
    tag.genre = v2.genre >= 0 ? v2.genre : (hasV1 && v1.genre != 255 ? v1.genre : -1);
    if (tag.genre >= 0)
        tag.genreText = CutUtf8(TagLib::ID3v1::genre(tag.genre).to8Bit(true), kTagTextChars);
    tag.track = CutUtf8(v2.track, kTagTrackChars);
    if (info) {
        info->title = CutUtf8(tag.title, kInfoTextChars);
        info->artist = CutUtf8(tag.artist, kInfoTextChars);
    }
    return true;
}
