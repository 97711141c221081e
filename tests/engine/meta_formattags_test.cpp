// Tags of every format in its own kind (Vorbis comments, MP4 atoms, ID3 in WAV and AIFF):
// Japanese text both ways, the picture and the fields the editor does not know kept, the
// format judged by content, and the stream facts.
#include <gtest/gtest.h>

#include <filesystem>

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

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
