// Crash-safe ID3 writing: copy beside the original, tag the copy with TagLib, flush, rename.
//
// ID3v1 policy: a field is written in Latin-1 when Latin-1 can hold it, else in CP932 (the code
// page of the Japanese players and car stereos that read only ID3v1) when that can, cut at a
// whole character; otherwise that ID3v1 field stays empty (ID3v2 always holds the full text).
#include "tagwriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/aifffile.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "engine/decode/decoder.h"
#include "id3text.h"
#include "tagreader.h"
#include "textcodec.h"

#include "engine/io/safefile.h"

namespace {

constexpr size_t kId3v1TextBytes = 30; // title, artist, album and comment (no track number)

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// The record's fields come padded with blanks from the tag editor; the tag keeps none of them.
std::string clean(const std::string& text, int maxChars)
{
    std::string value = CutUtf8(text, maxChars);
    size_t end = value.find('\0');
    if (end != std::string::npos)
        value.resize(end);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    if (!IsValidUtf8(value))
        value = Latin1ToUtf8(value);
    return value;
}

void setTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::string& utf8)
{
    tag.removeFrames(id);
    if (utf8.empty())
        return;
    auto* frame =
        new TagLib::ID3v2::TextIdentificationFrame(TagLib::ByteVector(id), Id3EncodingFor(utf8));
    frame->setText(TagLib::String(utf8, TagLib::String::UTF8));
    tag.addFrame(frame);
}

void setComment(TagLib::ID3v2::Tag& tag, const std::string& utf8)
{
    // Only the plain comment is ours; described comments (player data) stay.
    const auto frames = tag.frameListMap()["COMM"];
    for (auto* frame : frames) {
        auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment && comment->description().isEmpty())
            tag.removeFrame(frame);
    }
    if (utf8.empty())
        return;
    auto* frame = new TagLib::ID3v2::CommentsFrame(Id3EncodingFor(utf8));
    frame->setLanguage("eng");
    frame->setText(TagLib::String(utf8, TagLib::String::UTF8));
    tag.addFrame(frame);
}

// One character (a whole UTF-8 sequence) in CP932, or nothing when CP932 has no such character.
std::optional<std::string> cp932Char(iconv_t cd, std::string_view utf8Char)
{
    char in[8] = {};
    char out[8] = {};
    if (utf8Char.size() > sizeof in)
        return std::nullopt;
    std::memcpy(in, utf8Char.data(), utf8Char.size());
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = utf8Char.size();
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    return std::string(out, sizeof out - outLeft);
}

// The ID3v1 bytes of a field: Latin-1 when it can hold the text, else CP932 cut at the last
// whole character within maxBytes, else empty. The bytes travel through TagLib as a Latin-1
// string, which its ID3v1 writer puts out byte for byte.
TagLib::String id3v1Field(const std::string& utf8, size_t maxBytes)
{
    if (auto latin1 = Utf8ToLatin1(utf8))
        return TagLib::String(*latin1, TagLib::String::Latin1);
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string bytes;
    bool fits = true;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        auto encoded = cp932Char(cd, std::string_view(utf8).substr(i, length));
        if (!encoded) {
            fits = false;
            break;
        }
        if (bytes.size() + encoded->size() <= maxBytes)
            bytes += *encoded;
        else
            maxBytes = 0; // once a character is left out, nothing after it may follow
        i += length;
    }
    iconv_close(cd);
    return fits ? TagLib::String(bytes, TagLib::String::Latin1) : TagLib::String();
}

bool copyFile(const std::string& from, int toFd, std::string& error)
{
    int fromFd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fromFd < 0) {
        error = systemError("cannot read", from);
        return false;
    }
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(fromFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = systemError("cannot read", from);
            ok = false;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = ::write(toFd, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                error = systemError("cannot write a copy of", from);
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok)
            break;
    }
    ::close(fromFd);
    return ok;
}

// The fields as they go into a tag: cut, cleaned, without trailing blanks.
struct CleanTag {
    std::string title, artist, album, year, comment, genre, track;
};

CleanTag cleaned(const TagInfo& tag)
{
    return {clean(tag.title, kTagTextChars),   clean(tag.artist, kTagTextChars),
            clean(tag.album, kTagTextChars),   clean(tag.year, kTagYearChars),
            clean(tag.comment, kTagTextChars), clean(tag.genreText, kTagTextChars),
            clean(tag.track, kTagTrackChars)};
}

// A full date ("2010-04-03") stays when the year asked for is its own year: the tag editor
// shows four characters only.
bool keepsDate(const std::string& old, const std::string& year)
{
    return !year.empty() && old.size() > year.size() && old.compare(0, year.size(), year) == 0 &&
           (old[year.size()] == '-' || old[year.size()] == 'T');
}

TagLib::String utf8(const std::string& text)
{
    return TagLib::String(text, TagLib::String::UTF8);
}

// Vorbis comments: each of our fields replaces every value of its name; all other fields (and
// FLAC's picture blocks, which live outside the comment) stay as they were.
void setXiph(TagLib::Ogg::XiphComment& xiph, const CleanTag& t)
{
    auto set = [&](const char* key, const std::string& value) {
        xiph.removeFields(key);
        if (!value.empty())
            xiph.addField(key, utf8(value), true);
    };
    set("TITLE", t.title);
    set("ARTIST", t.artist);
    set("ALBUM", t.album);
    const auto& fields = xiph.fieldListMap();
    const auto date = fields.find("DATE");
    if (date == fields.end() || date->second.isEmpty() ||
        !keepsDate(date->second.front().to8Bit(true), t.year))
        set("DATE", t.year);
    // A comment read from DESCRIPTION is written back as COMMENT.
    if (fields.find("COMMENT") == fields.end())
        xiph.removeFields("DESCRIPTION");
    set("COMMENT", t.comment);
    set("GENRE", t.genre);
    set("TRACKNUMBER", t.track);
}

void setMp4(TagLib::MP4::Tag& mp4, const CleanTag& t)
{
    auto set = [&](const char* key, const std::string& value) {
        if (value.empty())
            mp4.removeItem(key);
        else
            mp4.setItem(key, TagLib::StringList(utf8(value)));
    };
    set("\251nam", t.title);
    set("\251ART", t.artist);
    set("\251alb", t.album);
    const std::string oldDate =
        mp4.contains("\251day") ? mp4.item("\251day").toStringList().toString().to8Bit(true) : "";
    if (!keepsDate(oldDate, t.year))
        set("\251day", t.year);
    set("\251cmt", t.comment);
    // The numbered genre atom is ID3's list; free text goes into the named one.
    mp4.removeItem("gnre");
    set("\251gen", t.genre);
    if (t.track.empty()) {
        mp4.removeItem("trkn");
    } else {
        const int total = mp4.contains("trkn") ? mp4.item("trkn").toIntPair().second : 0;
        const size_t slash = t.track.find('/');
        int number = 0;
        int newTotal = total;
        try {
            number = std::stoi(t.track.substr(0, slash));
            if (slash != std::string::npos)
                newTotal = std::stoi(t.track.substr(slash + 1));
        } catch (...) {
            number = 0;
        }
        if (number > 0 && number < 65536)
            mp4.setItem("trkn", TagLib::MP4::Item(
                                    number, newTotal >= 0 && newTotal < 65536 ? newTotal : 0));
    }
}

// The ID3v2 tag of a WAV or AIFF file: MP3's frames, with the genre as free text.
void setId3Fields(TagLib::ID3v2::Tag& v2, const CleanTag& t)
{
    setTextFrame(v2, "TIT2", t.title);
    setTextFrame(v2, "TPE1", t.artist);
    setTextFrame(v2, "TALB", t.album);
    v2.removeFrames("TDRC");
    setTextFrame(v2, "TYER", t.year);
    setComment(v2, t.comment);
    setTextFrame(v2, "TCON", t.genre);
    setTextFrame(v2, "TRCK", t.track);
}

bool applyFormatTag(AudioFormat kind, const std::string& path, const TagInfo& tag,
                    std::string& error)
{
    const CleanTag t = cleaned(tag);
    const char* name = path.c_str();
    bool saved = false;
    switch (kind) {
    case AudioFormat::Flac: {
        TagLib::FLAC::File file(name, false);
        if (!file.isValid() || file.readOnly())
            break;
        setXiph(*file.xiphComment(true), t);
        saved = file.save();
        break;
    }
    case AudioFormat::Vorbis: {
        TagLib::Ogg::Vorbis::File file(name, false);
        if (!file.isValid() || file.readOnly() || !file.tag())
            break;
        setXiph(*file.tag(), t);
        saved = file.save();
        break;
    }
    case AudioFormat::Opus: {
        TagLib::Ogg::Opus::File file(name, false);
        if (!file.isValid() || file.readOnly() || !file.tag())
            break;
        setXiph(*file.tag(), t);
        saved = file.save();
        break;
    }
    case AudioFormat::Mp4: {
        TagLib::MP4::File file(name, false);
        if (!file.isValid() || file.readOnly() || !file.tag())
            break;
        setMp4(*file.tag(), t);
        saved = file.save();
        break;
    }
    case AudioFormat::Wav: {
        TagLib::RIFF::WAV::File file(name, false);
        if (!file.isValid() || file.readOnly())
            break;
        setId3Fields(*file.ID3v2Tag(), t);
        // The INFO list cannot hold Japanese text reliably; our fields leave it so that no
        // stale title outlives the edit, its other fields stay.
        if (file.hasInfoTag()) {
            TagLib::RIFF::Info::Tag* info = file.InfoTag();
            for (const char* id : {"INAM", "IART", "IPRD", "ICRD", "ICMT", "IGNR", "IPRT", "ITRK"})
                info->removeField(id);
        }
        saved =
            file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v3);
        break;
    }
    case AudioFormat::Aiff: {
        TagLib::RIFF::AIFF::File file(name, false);
        if (!file.isValid() || file.readOnly())
            break;
        setId3Fields(*file.tag(), t);
        saved = file.save(TagLib::ID3v2::v3);
        break;
    }
    default:
        break;
    }
    if (!saved)
        error = "TagLib could not save the tag of " + path;
    return saved;
}

bool applyTag(const std::string& path, const TagInfo& tag, std::string& error)
{
    if (const AudioFormat kind = SniffAudioFormat(path); HasOwnTagKind(kind))
        return applyFormatTag(kind, path, tag, error);
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isOpen() || file.readOnly()) {
        error = "cannot open for tagging: " + path;
        return false;
    }
    const std::string title = clean(tag.title, kTagTextChars);
    const std::string artist = clean(tag.artist, kTagTextChars);
    const std::string album = clean(tag.album, kTagTextChars);
    const std::string year = clean(tag.year, kTagYearChars);
    const std::string comment = clean(tag.comment, kTagTextChars);
    const bool hasGenre = tag.genre >= 0 && tag.genre <= 255;

    TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(true);
    setTextFrame(*v2, "TIT2", title);
    setTextFrame(*v2, "TPE1", artist);
    setTextFrame(*v2, "TALB", album);
    // ID3v2.3 keeps the year in TYER; a TDRC left over from a v2.4 tag would be turned into a
    // second TYER on saving.
    v2->removeFrames("TDRC");
    setTextFrame(*v2, "TYER", year);
    setComment(*v2, comment);
    setTextFrame(*v2, "TCON", hasGenre ? "(" + std::to_string(tag.genre) + ")" : "");
    setTextFrame(*v2, "TRCK", clean(tag.track, kTagTrackChars));

    TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
    v1->setTitle(id3v1Field(title, kId3v1TextBytes));
    v1->setArtist(id3v1Field(artist, kId3v1TextBytes));
    v1->setAlbum(id3v1Field(album, kId3v1TextBytes));
    // ID3v1.1 gives two of the comment's bytes to a track number kept from the old tag.
    v1->setComment(id3v1Field(comment, v1->track() > 0 ? kId3v1TextBytes - 2 : kId3v1TextBytes));
    unsigned yearNumber = 0;
    if (year.size() == 4 && std::all_of(year.begin(), year.end(), ::isdigit))
        yearNumber = static_cast<unsigned>(std::stoi(year));
    v1->setYear(yearNumber);
    // 255 is ID3v1's "no genre".
    v1->setGenreNumber(hasGenre ? static_cast<unsigned>(tag.genre) : 255u);

    if (!file.save(TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers,
                   TagLib::ID3v2::v3, TagLib::File::DoNotDuplicate)) {
        error = "TagLib could not save the tag of " + path;
        return false;
    }
    return true;
}

} // namespace

bool TagWriter::write(const std::string& path, const TagInfo& tag, std::string& error) const
{
    // TagLib would build every frame of such a tag in memory (gigabytes for a million frames or
    // a compressed bomb); the file is left as it is rather than written without its frames.
    if (!HasOwnTagKind(SniffAudioFormat(path)) && !Id3v2FitsTagLib(path)) {
        error = "the ID3v2 tag of " + path + " is too large to rewrite";
        return false;
    }
    return rewrite(
        path,
        [&tag](const std::string& copy, std::string& why) { return applyTag(copy, tag, why); },
        error);
}

bool TagWriter::rewrite(const std::string& path, const Change& apply, std::string& error) const
{
    error.clear();
    std::error_code ec;
    // Write beside the real file, so a symbolic link keeps pointing at it.
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    struct stat st {};
    if (ec || ::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a readable file: " + path;
        return false;
    }
    const std::string targetPath = target.string();
    SafeFile out;
    if (!out.open(targetPath)) {
        error = out.failure().detail;
        return false;
    }
    auto fail = [&](const std::string& message) {
        out.abandon();
        error = message;
        return false;
    };
    if (m_failAt == Step::Copy || !copyFile(targetPath, out.fd(), error))
        return fail(error.empty() ? "copy refused (test)" : error);
    if (m_failAt == Step::Tag || !apply(out.temporaryPath(), error))
        return fail(error.empty() ? "tagging refused (test)" : error);
    // Best effort for the owner (needs privileges); SafeFile has given the copy the mode.
    if (::fchown(out.fd(), st.st_uid, st.st_gid) != 0) {
        // Not fatal: a user may not give files away.
    }
    if (m_failAt == Step::Sync)
        return fail("flush refused (test)");
    if (m_failAt == Step::Rename)
        return fail("rename refused (test)");
    if (!out.commit()) {
        error = out.failure().detail;
        return false;
    }
    return true;
}

bool WriteTag(const std::string& path, const TagInfo& tag, std::string& error)
{
    return TagWriter{}.write(path, tag, error);
}
