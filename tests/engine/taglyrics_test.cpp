// Lyrics from the tag: SYLT and USLT with time stamps drive the lyric line, damaged frames
// never stall it, oversized ones are skipped.
#include <gtest/gtest.h>

#include <filesystem>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include "enginetestutil.h"
#include "lyrics/taglyrics.h"

namespace {

using Sylt = TagLib::ID3v2::SynchronizedLyricsFrame;

class TagLyricsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ToneSpec spec;
        spec.seconds = 0.5;
        spec.title = "Lyrics";
        tone = ToneFixture("taglyrics.mp3", spec);
    }
    // A copy of the tone with the given frames added to its ID3v2 tag.
    std::string withFrames(const std::string& name,
                           const std::vector<TagLib::ID3v2::Frame*>& frames)
    {
        const std::string path = TestTempDir() + "/" + name;
        std::filesystem::copy_file(tone, path, std::filesystem::copy_options::overwrite_existing);
        TagLib::MPEG::File file(path.c_str());
        for (auto* frame : frames)
            file.ID3v2Tag(true)->addFrame(frame);
        EXPECT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
        return path;
    }
    static TagLib::ID3v2::Frame* uslt(const std::string& text)
    {
        auto* frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF8);
        frame->setText(TagLib::String(text, TagLib::String::UTF8));
        return frame;
    }
    static TagLib::ID3v2::Frame* sylt(const std::vector<std::pair<unsigned, std::string>>& entries)
    {
        auto* frame = new Sylt(TagLib::String::UTF8);
        frame->setTimestampFormat(Sylt::AbsoluteMilliseconds);
        frame->setType(Sylt::Lyrics);
        Sylt::SynchedTextList list;
        for (const auto& [ms, text] : entries)
            list.append(Sylt::SynchedText(ms, TagLib::String(text, TagLib::String::UTF8)));
        frame->setSynchedText(list);
        return frame;
    }
    std::string tone;
};

TEST_F(TagLyricsTest, UsltWithStampsDrivesTheLyricLineAndPlainTextIsOnlyText)
{
    Lyrics lyrics;
    LyricsRecord record;
    const std::string stamped =
        withFrames("uslt-stamped.mp3", {uslt("[00:01.00]一行目\r\n[00:02.50]二行目\r\n")});
    ASSERT_TRUE(LoadLyricsFrom(stamped, lyrics));
    EXPECT_EQ(lyrics.lookup(2600, record), 1);
    EXPECT_EQ(record.lines[2], "二行目");
    EXPECT_EQ(record.lines[1], "一行目");

    const std::string plain = withFrames("uslt-plain.mp3", {uslt("ただの歌詞\n二行目")});
    EXPECT_FALSE(LoadLyricsFrom(plain, lyrics));
    EXPECT_EQ(ReadTagLyrics(plain).text, "ただの歌詞\n二行目"); // the editor's starting text

    // The engine takes the audio file as it takes an .lrc.
    auto engine = CaptureEngine(TestTempDir() + "/uslt.wav", 8);
    InputInfo info;
    ASSERT_EQ(engine->open(stamped, info), 1);
    EXPECT_EQ(engine->setLyricsFile(stamped), 1);
}

TEST_F(TagLyricsTest, SyltComesBeforeUsltAndDisorderedOrHugeStampsNeverStallTheLine)
{
    const std::string path = withFrames(
        "sylt.mp3", {uslt("[00:00.10]USLT"),
                     sylt({{3000, "三"}, {1000, "一"}, {4000000000u, "遥か先"}, {2000, "二"}})});
    Lyrics lyrics;
    ASSERT_TRUE(LoadLyricsFrom(path, lyrics));
    LyricsRecord record;
    EXPECT_EQ(lyrics.lookup(500, record), 0);
    ASSERT_EQ(lyrics.lookup(2500, record), 1);
    EXPECT_EQ(record.lines[2], "二");
    EXPECT_EQ(record.lines[3], "三");
    ASSERT_EQ(lyrics.lookup(3500, record), 1);
    EXPECT_EQ(record.lines[2], "三");
    EXPECT_EQ(record.lines[3], ""); // the forged stamp is dropped

    // Syllables after a line break join their line.
    const std::string syllables = withFrames(
        "sylt-syllables.mp3", {sylt({{1000, "\nさ"}, {1200, "く"}, {1400, "ら"}, {3000, "\n次"}})});
    ASSERT_TRUE(LoadLyricsFrom(syllables, lyrics));
    ASSERT_EQ(lyrics.lookup(1500, record), 1);
    EXPECT_EQ(record.lines[2], "さくら");
    EXPECT_EQ(record.lines[3], "次");
}

TEST_F(TagLyricsTest, ALyricFrameOverOneMegabyteIsSkipped)
{
    std::string huge = "[00:01.00]";
    huge.append(kMaxTagLyricsBytes, 'a');
    const std::string path = withFrames("uslt-huge.mp3", {uslt(huge)});
    Lyrics lyrics;
    EXPECT_FALSE(LoadLyricsFrom(path, lyrics));
    EXPECT_TRUE(ReadTagLyrics(path).text.empty());
}

} // namespace
