// LRC parsing and position lookup: tag forms, offsets, encodings, bad input, public LRC files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "engine/lyrics/lyrics.h"
#include "support/fixtures.h"

namespace {

std::vector<std::pair<int64_t, std::string>> timedLines(const Lyrics& lyrics)
{
    std::vector<std::pair<int64_t, std::string>> out;
    for (const auto& line : lyrics.lines())
        out.emplace_back(line.timeMs, line.text);
    return out;
}

using Timed = std::vector<std::pair<int64_t, std::string>>;

std::string writeFile(const std::string& name, const std::string& bytes)
{
    std::string path = TestTempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

class LyricsParse : public ::testing::Test {
protected:
    Lyrics lyrics;
};

TEST_F(LyricsParse, AcceptsEveryTimeTagForm)
{
    ASSERT_TRUE(lyrics.parse("[01:02:30]editor form\n"
                             "[01:03.40]hundredths\n"
                             "[01:04.567]milliseconds\n"
                             "[01:05]whole seconds\n"
                             "[1:06.5]one-digit minute and tenths\n"
                             "[100:00.00]past 99 minutes\n"));
    EXPECT_EQ(timedLines(lyrics), (Timed{{62300, "editor form"},
                                         {63400, "hundredths"},
                                         {64567, "milliseconds"},
                                         {65000, "whole seconds"},
                                         {66500, "one-digit minute and tenths"},
                                         {6000000, "past 99 minutes"}}));
}

TEST_F(LyricsParse, LineWithSeveralTagsAppearsAtEachTimeSortedAndStable)
{
    ASSERT_TRUE(lyrics.parse("[00:30.00][00:10.00]chorus\n"
                             "[00:20.00]verse\n"
                             "[00:10.00]translation\n"));
    EXPECT_EQ(
        timedLines(lyrics),
        (Timed{{10000, "chorus"}, {10000, "translation"}, {20000, "verse"}, {30000, "chorus"}}));
}

TEST_F(LyricsParse, PositiveOffsetShowsLinesEarlierNegativeLater)
{
    ASSERT_TRUE(lyrics.parse("[offset:+500]\n[00:10.00]a\n"));
    EXPECT_EQ(lyrics.lines().at(0).timeMs, 9500);
    ASSERT_TRUE(lyrics.parse("[00:10.00]a\n[OFFset: -250]\n"));
    EXPECT_EQ(lyrics.lines().at(0).timeMs, 10250);
    EXPECT_EQ(lyrics.offsetMs(), -250);
}

TEST_F(LyricsParse, WordTimesAreRemovedOtherAnglesKept)
{
    ASSERT_TRUE(lyrics.parse("[00:01.00]<00:01.00>Very <00:01.20>fast <1:02.345>x <b>bold</b>\n"));
    EXPECT_EQ(lyrics.lines().at(0).text, "Very fast x <b>bold</b>");
}

TEST_F(LyricsParse, MetadataUntimedAndMalformedLinesAreIgnored)
{
    ASSERT_TRUE(lyrics.parse("[ti:Title]\n[ar:Artist]\n[al:Album]\n[by:me]\n[length:03:20]\n"
                             "plain text\n[xx:yy]bad\n[00:61.aa]bad\n[00:05.00]good\n"
                             "[00:06.00][note]bracket kept\n[00:07.00\nunclosed\n"));
    EXPECT_EQ(timedLines(lyrics), (Timed{{5000, "good"}, {6000, "[note]bracket kept"}}));
}

TEST_F(LyricsParse, NoTimedLineMeansNoLyrics)
{
    EXPECT_FALSE(lyrics.parse("[ti:only metadata]\njust words\n"));
    EXPECT_FALSE(lyrics.parse(""));
    EXPECT_TRUE(lyrics.lines().empty());
}

TEST_F(LyricsParse, EmptyTimedLineIsKeptToClearTheDisplay)
{
    ASSERT_TRUE(lyrics.parse("[00:01.00]sing\r\n[00:02.00]\r\n"));
    EXPECT_EQ(timedLines(lyrics), (Timed{{1000, "sing"}, {2000, ""}}));
}

TEST_F(LyricsParse, DecodesUtf8WithAndWithoutBom)
{
    ASSERT_TRUE(lyrics.parse("\xEF\xBB\xBF[00:01.00]歌詞\n"));
    EXPECT_EQ(lyrics.lines().at(0).text, "歌詞");
    ASSERT_TRUE(lyrics.parse("[00:01.00]歌詞\n"));
    EXPECT_EQ(lyrics.lines().at(0).text, "歌詞");
}

TEST_F(LyricsParse, DecodesUtf16WithBom)
{
    // "[0:01]レオン\n" in UTF-16.
    const std::string le = std::string("\xFF\xFE[\0"
                                       "0\0:\0"
                                       "0\0"
                                       "1\0]\0",
                                       14) +
                           std::string("\xEC\x30\xAA\x30\xF3\x30\n\0", 8);
    ASSERT_TRUE(lyrics.parse(le));
    EXPECT_EQ(timedLines(lyrics), (Timed{{1000, "レオン"}}));
    const std::string be = std::string("\xFE\xFF\0[\0"
                                       "0\0:\0"
                                       "0\0"
                                       "1\0]",
                                       14) +
                           std::string("\x30\xEC\x30\xAA\x30\xF3\0\n", 8);
    ASSERT_TRUE(lyrics.parse(be));
    EXPECT_EQ(timedLines(lyrics), (Timed{{1000, "レオン"}}));
}

TEST_F(LyricsParse, FallsBackToShiftJis)
{
    ASSERT_TRUE(lyrics.parse("[00:01.00]\x89\xCC\x8E\x8C\x82\xCC\x83\x65\x83\x58\x83\x67\n"
                             "[00:02.00]\xB6\xC0\xB6\xC5\n[00:03.00]\x87\x40\xEE\xE0\x81\x60\n"));
    EXPECT_EQ(timedLines(lyrics), (Timed{{1000, "歌詞のテスト"}, {2000, "ｶﾀｶﾅ"}, {3000, "①髙～"}}));
}

TEST_F(LyricsParse, LinesAreCutTo128Characters)
{
    std::string longLine;
    for (int i = 0; i < 200; ++i)
        longLine += "あ";
    ASSERT_TRUE(lyrics.parse("[00:01.00]" + longLine + "\n"));
    EXPECT_EQ(lyrics.lines().at(0).text, CutUtf8(longLine, 128));
    EXPECT_EQ(lyrics.lines().at(0).text.size(), 128u * 3);
}

TEST_F(LyricsParse, BinaryAndHugeInputStayBounded)
{
    std::mt19937 random(7);
    std::string noise(1 << 18, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    lyrics.parse(noise); // any result, no crash
    EXPECT_LE(lyrics.lines().size(), noise.size());

    // Bigger than the cap: only the first kMaxFileBytes count.
    std::string line = "[00:01.00]x\n";
    std::string huge;
    while (huge.size() < Lyrics::kMaxFileBytes + (1 << 20))
        huge += line;
    const std::string path = writeFile("huge.lrc", huge);
    ASSERT_TRUE(lyrics.load(path));
    EXPECT_LE(lyrics.lines().size(), Lyrics::kMaxFileBytes / line.size() + 1);
    EXPECT_LT(lyrics.lines().size(), huge.size() / line.size());

    std::string tags;
    for (int i = 0; i < 100000; ++i)
        tags += "[00:0";
    tags += "\n[00:00.50]" + std::string(Lyrics::kMaxFileBytes / 4, '<') + ">\n";
    tags += "[99999999999999999999:00]x\n[00:00.0000000000000009]y\n<<<<>>>>[[[[]]]]\n";
    EXPECT_TRUE(lyrics.parse(tags));
    EXPECT_EQ(timedLines(lyrics), (Timed{{0, "y"}, {500, std::string(128, '<')}}));
}

TEST_F(LyricsParse, MissingFileIsNoLyrics)
{
    lyrics.parse("[00:01.00]old\n");
    EXPECT_FALSE(lyrics.load(TestTempDir() + "/no-such.lrc"));
    EXPECT_TRUE(lyrics.lines().empty());
    EXPECT_FALSE(lyrics.load(TestTempDir())); // a folder
}

class LyricsLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lyrics.parse("[00:01.00]one\n[00:02.00]two\n[00:03.00]three\n"
                                 "[00:03.00]three translated\n[00:04.00]four\n[00:05.00]five\n"));
    }
    Lyrics lyrics;
    LyricsRecord record;
};

TEST_F(LyricsLookup, NothingBeforeTheFirstLine)
{
    record.lines[2] = "stale";
    EXPECT_EQ(lyrics.lookup(999, record), 0);
    EXPECT_EQ(record.lines[2], "");
    EXPECT_EQ(lyrics.lookup(-5, record), 0);
}

TEST_F(LyricsLookup, FirstLineAtItsExactTime)
{
    EXPECT_NE(lyrics.lookup(1000, record), 0);
    EXPECT_EQ(record.lines, (std::array<std::string, 5>{"", "", "one", "two", "three"}));
    EXPECT_EQ(record.field, 1000);
}

TEST_F(LyricsLookup, CurrentLineWithTwoBeforeAndTwoAfter)
{
    EXPECT_NE(lyrics.lookup(2999, record), 0);
    EXPECT_EQ(record.lines,
              (std::array<std::string, 5>{"", "one", "two", "three", "three translated"}));
}

TEST_F(LyricsLookup, SharedTimeShowsTheFileFirstLine)
{
    EXPECT_NE(lyrics.lookup(3500, record), 0);
    EXPECT_EQ(record.lines,
              (std::array<std::string, 5>{"one", "two", "three", "three translated", "four"}));
    EXPECT_EQ(record.field, 3000);
}

TEST_F(LyricsLookup, LastLineStaysToTheEnd)
{
    EXPECT_NE(lyrics.lookup(600000, record), 0);
    EXPECT_EQ(record.lines,
              (std::array<std::string, 5>{"three translated", "four", "five", "", ""}));
}

TEST(LyricsLookupEmpty, NoLinesGiveZero)
{
    Lyrics lyrics;
    LyricsRecord record;
    EXPECT_EQ(lyrics.lookup(1000, record), 0);
}

// Public LRC files and what a correct player does with them (see the MANIFEST).
struct PublicLrcCase {
    const char* file;
    int64_t offsetMs;
    std::vector<int64_t> tagTimesMs; // before the offset is applied
    const char* firstText;
};

class PublicLrc : public ::testing::TestWithParam<PublicLrcCase> {};

TEST_P(PublicLrc, TimesAndTextMatchTheManifest)
{
    const std::filesystem::path root = MORVANE_TESTDATA_DIR "/4-playlists-lyrics";
    if (!std::filesystem::exists(root))
        GTEST_SKIP() << "public test data not present at " << root;
    const auto& c = GetParam();
    Lyrics lyrics;
    ASSERT_TRUE(lyrics.load((root / c.file).string()));
    EXPECT_EQ(lyrics.offsetMs(), c.offsetMs);
    std::vector<int64_t> times;
    for (const auto& line : lyrics.lines()) {
        times.push_back(line.timeMs + c.offsetMs);
        EXPECT_EQ(line.text.find('<'), std::string::npos) << line.text;
    }
    EXPECT_EQ(times, c.tagTimesMs);
    EXPECT_EQ(lyrics.lines().at(0).text, c.firstText);
}

INSTANTIATE_TEST_SUITE_P(
    Manifest, PublicLrc,
    ::testing::Values(PublicLrcCase{"lrc/lrcparser_python/example.lrc",
                                    250,
                                    {20, 280, 2830, 28330, 28330, 28330, 1713750},
                                    "Line 1"},
                      PublicLrcCase{"lrc/lrcparser_python/example_spec.lrc",
                                    75,
                                    {83456, 83456, 154560, 154560, 157500, 157500, 203370, 203375,
                                     203375, 225678, 225678, 513750},
                                    "I hate this kind of lyrics"},
                      PublicLrcCase{"lrc/liblyric/test.lrc", 0, {1020, 62000}, "Line 1"}));

TEST(PublicLrcFiles, CreditsFileSkipsBomAndReadsOffset)
{
    const std::filesystem::path file =
        MORVANE_TESTDATA_DIR "/4-playlists-lyrics/lrc/lrcparser_python/example_credits_ex.lrc";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "public test data not present at " << file;
    Lyrics lyrics;
    ASSERT_TRUE(lyrics.load(file.string()));
    EXPECT_EQ(lyrics.offsetMs(), 5020);
}

TEST(PublicLrcFiles, TranslationComesAfterTheOriginalAndCp932MatchesItsUtf8)
{
    const std::filesystem::path root = MORVANE_TESTDATA_DIR "/4-playlists-lyrics";
    if (!std::filesystem::exists(root))
        GTEST_SKIP() << "public test data not present at " << root;
    Lyrics original;
    ASSERT_TRUE(original.load((root / "lrc/lrcparser_python/example_translation.lrc").string()));
    LyricsRecord record;
    ASSERT_NE(original.lookup(6240, record), 0);
    EXPECT_EQ(record.lines[2], "tic-tac-tic 遊んで");

    Lyrics sjis;
    Lyrics expected;
    ASSERT_TRUE(sjis.load((root / "derived-shift_jis/example_translation.cp932.lrc").string()));
    ASSERT_TRUE(expected.load(
        (root / "derived-shift_jis/example_translation.cp932.expected-utf8.lrc").string()));
    EXPECT_EQ(timedLines(sjis), timedLines(expected));
    EXPECT_GT(sjis.lines().size(), 10u);
}
