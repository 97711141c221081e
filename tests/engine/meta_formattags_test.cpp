// Tags of every format in its own kind (Vorbis comments, MP4 atoms, ID3 in WAV and AIFF):
// Japanese text both ways, the picture and the fields the editor does not know kept, the
// format judged by content, the stream facts, lyrics written into the tag and ReplayGain
// figures read from it.
#include <gtest/gtest.h>

#include <filesystem>

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include "engine/lyrics/taglyrics.h"
#include "engine/meta/replaygain.h"
#include "engine/meta/streamfacts.h"
#include "engine/meta/tagreader.h"
#include "engine/meta/tagwriter.h"
#include "support/fixtures.h"

namespace fs = std::filesystem;

namespace {

struct Format {
    const char* name;
    const char* extension;
    const char* make; // shell command from $WAV to $OUT
    const char* codec;
    int bits; // 0 for lossy codecs
};

const Format kFormats[] = {
    {"flac", ".flac", "flac -s -f -o \"$OUT\" \"$WAV\"", "FLAC", 16},
    {"vorbis", ".ogg", "oggenc -Q -o \"$OUT\" \"$WAV\"", "Vorbis", 0},
    {"opus", ".opus", "opusenc --quiet \"$WAV\" \"$OUT\"", "Opus", 0},
    {"aac", ".m4a", "ffmpeg -v error -y -i \"$WAV\" -c:a aac -b:a 128k \"$OUT\"", "AAC", 0},
    {"alac", ".m4a", "ffmpeg -v error -y -i \"$WAV\" -c:a alac \"$OUT\"", "ALAC", 16},
    {"wav", ".wav", "cp \"$WAV\" \"$OUT\"", "PCM", 16},
    {"aiff", ".aiff", "sox \"$WAV\" \"$OUT\"", "PCM", 16},
};

const std::string kPicture = std::string("\x89PNG\r\n\x1a\n", 8) + "morvane-picture-bytes";
const char* const kMood = "静かな朝";

TagLib::String utf8(const std::string& s)
{
    return TagLib::String(s, TagLib::String::UTF8);
}

TagLib::ByteVector pictureBytes()
{
    return TagLib::ByteVector(kPicture.data(), kPicture.size());
}

TagLib::FLAC::Picture* flacPicture()
{
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType("image/png");
    picture->setData(pictureBytes());
    return picture;
}

void seedId3(TagLib::ID3v2::Tag& tag)
{
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
    picture->setMimeType("image/png");
    picture->setPicture(pictureBytes());
    tag.addFrame(picture);
    auto* mood = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF16);
    mood->setDescription("MOOD");
    mood->setText(utf8(kMood));
    tag.addFrame(mood);
}

// A picture and a field of the format's own kind that the tag editor knows nothing of.
bool seedExtras(const std::string& name, const std::string& path)
{
    const char* p = path.c_str();
    if (name == "flac") {
        TagLib::FLAC::File file(p);
        file.addPicture(flacPicture());
        file.xiphComment(true)->addField("MOOD", utf8(kMood));
        return file.save();
    }
    if (name == "vorbis" || name == "opus") {
        std::unique_ptr<TagLib::File> file;
        TagLib::Ogg::XiphComment* xiph = nullptr;
        if (name == "vorbis") {
            auto* vorbis = new TagLib::Ogg::Vorbis::File(p);
            xiph = vorbis->tag();
            file.reset(vorbis);
        } else {
            auto* opus = new TagLib::Ogg::Opus::File(p);
            xiph = opus->tag();
            file.reset(opus);
        }
        xiph->addPicture(flacPicture());
        xiph->addField("MOOD", utf8(kMood));
        return file->save();
    }
    if (name == "aac" || name == "alac") {
        TagLib::MP4::File file(p);
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, pictureBytes()));
        file.tag()->setItem("covr", covers);
        file.tag()->setItem("----:com.apple.iTunes:MOOD", TagLib::StringList(utf8(kMood)));
        return file.save();
    }
    if (name == "wav") {
        TagLib::RIFF::WAV::File file(p);
        seedId3(*file.ID3v2Tag());
        return file.save();
    }
    TagLib::RIFF::AIFF::File file(p);
    seedId3(*file.tag());
    return file.save();
}

struct Extras {
    std::string picture;
    std::string mood;
};

std::string bytes(const TagLib::ByteVector& v)
{
    return std::string(v.data(), v.size());
}

Extras id3Extras(TagLib::ID3v2::Tag* tag)
{
    Extras out;
    if (!tag)
        return out;
    for (auto* frame : tag->frameListMap()["APIC"])
        out.picture = bytes(static_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame)->picture());
    if (auto* mood = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, "MOOD"))
        out.mood = mood->fieldList().back().to8Bit(true);
    return out;
}

Extras xiphExtras(TagLib::Ogg::XiphComment* xiph, const TagLib::List<TagLib::FLAC::Picture*>& pics)
{
    Extras out;
    if (!pics.isEmpty())
        out.picture = bytes(pics.front()->data());
    const auto& fields = xiph->fieldListMap();
    if (fields.contains("MOOD"))
        out.mood = fields["MOOD"].front().to8Bit(true);
    return out;
}

Extras readExtras(const std::string& name, const std::string& path)
{
    const char* p = path.c_str();
    if (name == "flac") {
        TagLib::FLAC::File file(p);
        return xiphExtras(file.xiphComment(true), file.pictureList());
    }
    if (name == "vorbis") {
        TagLib::Ogg::Vorbis::File file(p);
        return xiphExtras(file.tag(), file.tag()->pictureList());
    }
    if (name == "opus") {
        TagLib::Ogg::Opus::File file(p);
        return xiphExtras(file.tag(), file.tag()->pictureList());
    }
    if (name == "aac" || name == "alac") {
        TagLib::MP4::File file(p);
        Extras out;
        if (file.tag()->contains("covr") && !file.tag()->item("covr").toCoverArtList().isEmpty())
            out.picture = bytes(file.tag()->item("covr").toCoverArtList().front().data());
        if (file.tag()->contains("----:com.apple.iTunes:MOOD"))
            out.mood =
                file.tag()->item("----:com.apple.iTunes:MOOD").toStringList().front().to8Bit(true);
        return out;
    }
    if (name == "wav") {
        TagLib::RIFF::WAV::File file(p);
        return id3Extras(file.ID3v2Tag());
    }
    TagLib::RIFF::AIFF::File file(p);
    return id3Extras(file.tag());
}

} // namespace

class FormatTagTest : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override
    {
        dir = TestTempDir() + "/formattags-" + GetParam().name;
        fs::create_directories(dir);
        const std::string wav = TestTempDir() + "/formattags-source.wav";
        if (!fs::exists(wav)) {
            ASSERT_EQ(
                RunCommand("sox -q -n -r 44100 -c 2 -b 16 '" + wav + "' synth 1 sine 440 vol 0.5"),
                0);
        }
        path = dir + "/track" + GetParam().extension;
        std::string command = GetParam().make;
        for (const auto& [key, value] : {std::pair{"$WAV", wav}, std::pair{"$OUT", path}}) {
            for (size_t at; (at = command.find(key)) != std::string::npos;)
                command.replace(at, std::string(key).size(), value);
        }
        ASSERT_EQ(RunCommand(command), 0) << command;
    }

    std::string dir;
    std::string path;
};

TEST_P(FormatTagTest, JapaneseRoundTripKeepsPictureAndUnknownFields)
{
    const std::string name = GetParam().name;
    ASSERT_TRUE(seedExtras(name, path));
    TagInfo written;
    written.title = "夜明けの歌";
    written.artist = "山田太郎";
    written.album = "日本のうた　第二集";
    written.year = "2024";
    written.comment = "コメント①～";
    written.genreText = "Ｊポップ";
    written.track = "3/12";
    written.genre = 13; // an ID3 number: only MP3 takes it
    std::string error;
    ASSERT_TRUE(WriteTag(path, written, error)) << error;

    TagInfo read;
    InputInfo info;
    ASSERT_TRUE(ReadTag(path, read, &info));
    EXPECT_EQ(read.title, written.title);
    EXPECT_EQ(read.artist, written.artist);
    EXPECT_EQ(read.album, written.album);
    EXPECT_EQ(read.year, written.year);
    EXPECT_EQ(read.comment, written.comment);
    EXPECT_EQ(read.genreText, written.genreText);
    EXPECT_EQ(read.genre, -1);
    EXPECT_EQ(read.track, "3/12");
    EXPECT_EQ(info.title, written.title);
    EXPECT_EQ(info.artist, written.artist);

    const Extras extras = readExtras(name, path);
    EXPECT_EQ(extras.picture, kPicture);
    EXPECT_EQ(extras.mood, kMood);

    // Emptied fields leave the tag; the others and the extras stay. The format is its content's:
    // the same file under an MP3 name is read and written in its own kind.
    const std::string renamed = dir + "/renamed.mp3";
    fs::rename(path, renamed);
    written.comment.clear();
    written.genreText.clear();
    ASSERT_TRUE(WriteTag(renamed, written, error)) << error;
    ASSERT_TRUE(ReadTag(renamed, read));
    EXPECT_EQ(read.title, written.title);
    EXPECT_EQ(read.comment, "");
    EXPECT_EQ(read.genreText, "");
    fs::rename(renamed, path);
    EXPECT_EQ(readExtras(name, path).mood, kMood);

    StreamFacts facts;
    ASSERT_TRUE(ReadStreamFacts(path, facts));
    EXPECT_EQ(facts.codec, GetParam().codec);
    EXPECT_EQ(facts.bits, GetParam().bits);
    EXPECT_EQ(facts.sampleRate, name == "opus" ? 48000 : 44100);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_NEAR(facts.lengthMs, 1000, 60);
    EXPECT_GT(facts.bitRate, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatTagTest, ::testing::ValuesIn(kFormats),
                         [](const auto& param) { return std::string(param.param.name); });

// MP3 keeps its ID3 genre number, shows its name as text, and now carries a track number.
TEST(Mp3TagTest, TrackNumberAndGenreName)
{
    const std::string path = TestTempDir() + "/formattags-track.mp3";
    ToneSpec spec;
    spec.seconds = 0.5;
    ASSERT_TRUE(MakeToneMp3(path, spec)) << LastFixtureError();
    TagInfo written;
    written.title = "曲";
    written.genre = 13;
    written.track = "7";
    std::string error;
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.genre, 13);
    EXPECT_EQ(read.genreText, "Pop");
    EXPECT_EQ(read.track, "7");
}

// Lyrics saved into the tag: the lyric line follows them, a second save replaces the first, the
// lines not yet timed are kept, and nothing else of the tag is lost.
TEST_P(FormatTagTest, LyricsSavedIntoTheTagDriveTheLyricLineAndKeepTheRest)
{
    const std::string name = GetParam().name;
    ASSERT_TRUE(seedExtras(name, path));
    TagInfo written;
    written.title = "夜明けの歌";
    std::string error;
    ASSERT_TRUE(WriteTag(path, written, error)) << error;

    ASSERT_TRUE(WriteTagLyrics(path, "[00:01:50]一行目\r\n[00:02:00]二行目\r\nまだの行\r\n", error))
        << error;
    Lyrics lyrics;
    LyricsRecord record;
    ASSERT_TRUE(LoadLyricsFrom(path, lyrics));
    EXPECT_EQ(lyrics.lookup(1600, record), 1);
    EXPECT_EQ(record.lines[2], "一行目");
    EXPECT_EQ(record.lines[3], "二行目");
    // The editor's "[mm:ss:xx]" goes in as the "[mm:ss.xx]" other readers take.
    EXPECT_EQ(ReadTagLyrics(path).text, "[00:01.50]一行目\r\n[00:02.00]二行目\r\nまだの行\r\n");

    ASSERT_TRUE(WriteTagLyrics(path, "[00:00:10]新しい行\r\n", error)) << error;
    ASSERT_TRUE(LoadLyricsFrom(path, lyrics));
    ASSERT_EQ(lyrics.lines().size(), 1u);
    EXPECT_EQ(lyrics.lines()[0].text, "新しい行");

    const Extras extras = readExtras(name, path);
    EXPECT_EQ(extras.picture, kPicture);
    EXPECT_EQ(extras.mood, kMood);
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, written.title);

    ASSERT_TRUE(WriteTagLyrics(path, "", error)) << error;
    EXPECT_FALSE(LoadLyricsFrom(path, lyrics));
    EXPECT_EQ(ReadTagLyrics(path).text, "");
}

// ReplayGain figures stored the format's own way in real files: Vorbis comments, Opus's R128
// figures (1/256 dB at -23 LUFS, read +5 dB to the -18 LUFS reference), MP4 freeform atoms and
// ID3 TXXX frames in WAV and AIFF.
TEST_P(FormatTagTest, ReplayGainIsReadInTheFormatsOwnKind)
{
    const std::string name = GetParam().name;
    const char* p = path.c_str();
    const double track = -6.5, album = -7.0;
    if (name == "flac" || name == "vorbis") {
        std::unique_ptr<TagLib::File> file;
        TagLib::Ogg::XiphComment* xiph = nullptr;
        if (name == "flac") {
            auto* flac = new TagLib::FLAC::File(p);
            xiph = flac->xiphComment(true);
            file.reset(flac);
        } else {
            auto* vorbis = new TagLib::Ogg::Vorbis::File(p);
            xiph = vorbis->tag();
            file.reset(vorbis);
        }
        xiph->addField("REPLAYGAIN_TRACK_GAIN", "-6.50 dB");
        xiph->addField("replaygain_track_peak", "0.891");
        xiph->addField("REPLAYGAIN_ALBUM_GAIN", "-7.00 dB");
        ASSERT_TRUE(file->save());
    } else if (name == "opus") {
        TagLib::Ogg::Opus::File file(p);
        file.tag()->addField("R128_TRACK_GAIN", "-2944"); // -11.5 dB
        file.tag()->addField("R128_ALBUM_GAIN", "-3072"); // -12 dB
        ASSERT_TRUE(file.save());
    } else if (name == "aac" || name == "alac") {
        TagLib::MP4::File file(p);
        auto set = [&](const char* key, const char* value) {
            file.tag()->setItem(std::string("----:com.apple.iTunes:") + key,
                                TagLib::StringList(TagLib::String(value)));
        };
        set("replaygain_track_gain", "-6.50 dB");
        set("replaygain_track_peak", "0.891");
        set("replaygain_album_gain", "-7.00 dB");
        ASSERT_TRUE(file.save());
    } else {
        TagLib::ID3v2::Tag* tag = nullptr;
        std::unique_ptr<TagLib::File> file;
        if (name == "wav") {
            auto* wav = new TagLib::RIFF::WAV::File(p);
            tag = wav->ID3v2Tag();
            file.reset(wav);
        } else {
            auto* aiff = new TagLib::RIFF::AIFF::File(p);
            tag = aiff->tag();
            file.reset(aiff);
        }
        for (const auto& [key, value] : {std::pair{"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
                                         std::pair{"REPLAYGAIN_TRACK_PEAK", "0.891"},
                                         std::pair{"REPLAYGAIN_ALBUM_GAIN", "-7.00 dB"}}) {
            auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
            frame->setDescription(key);
            frame->setText(value);
            tag->addFrame(frame);
        }
        ASSERT_TRUE(file->save());
    }
    const ReplayGainTags tags = ReadReplayGain(path);
    ASSERT_TRUE(tags.trackGainDb) << tags.source;
    EXPECT_NEAR(*tags.trackGainDb, track, 1e-9);
    ASSERT_TRUE(tags.albumGainDb) << tags.source;
    EXPECT_NEAR(*tags.albumGainDb, album, 1e-9);
    if (name != "opus") {
        ASSERT_TRUE(tags.trackPeak);
        EXPECT_NEAR(*tags.trackPeak, 0.891, 1e-9);
    }
}

// An MP3's own lyrics frames: the new text replaces the plain USLT and the SYLT that would win
// over it; a described USLT (a translation), the picture and the ID3v1 tag stay.
TEST(Mp3TagTest, LyricsSavedIntoTheTagReplaceSyltAndThePlainUslt)
{
    const std::string path = TestTempDir() + "/formattags-lyrics.mp3";
    ToneSpec spec;
    spec.seconds = 0.5;
    spec.title = "Title";
    ASSERT_TRUE(MakeToneMp3(path, spec)) << LastFixtureError();
    {
        TagLib::MPEG::File file(path.c_str());
        TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
        seedId3(tag);
        using Sylt = TagLib::ID3v2::SynchronizedLyricsFrame;
        auto* sylt = new Sylt(TagLib::String::UTF8);
        sylt->setTimestampFormat(Sylt::AbsoluteMilliseconds);
        sylt->setType(Sylt::Lyrics);
        Sylt::SynchedTextList entries;
        entries.append(Sylt::SynchedText(500, "old synced line"));
        sylt->setSynchedText(entries);
        tag.addFrame(sylt);
        for (const char* description : {"", "English"}) {
            auto* uslt = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF8);
            uslt->setDescription(description);
            uslt->setText(std::string("[00:00.20]old ") + description);
            tag.addFrame(uslt);
        }
        file.ID3v1Tag(true)->setTitle("Version one");
        ASSERT_TRUE(file.save(TagLib::MPEG::File::AllTags));
    }
    std::string error;
    ASSERT_TRUE(WriteTagLyrics(path, "[00:00:30]新しい歌詞\r\n", error)) << error;

    Lyrics lyrics;
    ASSERT_TRUE(LoadLyricsFrom(path, lyrics));
    ASSERT_EQ(lyrics.lines().size(), 1u);
    EXPECT_EQ(lyrics.lines()[0].text, "新しい歌詞");
    EXPECT_EQ(lyrics.lines()[0].timeMs, 300);

    TagLib::MPEG::File file(path.c_str());
    auto& frames = file.ID3v2Tag()->frameListMap();
    EXPECT_TRUE(frames["SYLT"].isEmpty());
    ASSERT_EQ(frames["USLT"].size(), 2u);
    EXPECT_EQ(id3Extras(file.ID3v2Tag()).picture, kPicture);
    EXPECT_EQ(id3Extras(file.ID3v2Tag()).mood, kMood);
    ASSERT_TRUE(file.hasID3v1Tag());
    EXPECT_EQ(file.ID3v1Tag()->title().to8Bit(), "Version one");
    EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(), "Title");
}
