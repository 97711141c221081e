// Tag reading: ID3v2 versions, ID3v1, Shift-JIS recognition, merging, public tag files.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include "engine/meta/id3v2fallback.h"
#include "engine/meta/tagreader.h"
#include "engine/meta/tagwriter.h"
#include "engine/meta/textcodec.h"
#include "enginetestutil.h"
#include "support/fixtures.h"
#include "support/meta_fixtures.h"

namespace {

// CP932 bytes of the Japanese strings used below.
const std::string kSjisLyricsTest =
    "\x89\xCC\x8E\x8C\x82\xCC\x83\x65\x83\x58\x83\x67";          // 歌詞のテスト
const std::string kSjisHalfKatakana = "\xB6\xC0\xB6\xC5";        // ｶﾀｶﾅ
const std::string kSjisWindowsOnly = "\x87\x40\xEE\xE0\x81\x60"; // ①髙～

} // namespace

class TagReadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_audio = ReadFileBytes(TestTempDir() + "/untagged.mp3");
        if (s_audio.empty() && MakeMp3(TestTempDir() + "/untagged.mp3", 0.5, 44100, 2, "-b 64"))
            s_audio = ReadFileBytes(TestTempDir() + "/untagged.mp3");
    }
    void SetUp() override { ASSERT_FALSE(s_audio.empty()) << "sox/lame could not make a fixture"; }

    std::string file(const std::string& name, const std::string& before, const std::string& after)
    {
        std::string path = TestTempDir() + "/" + name;
        EXPECT_TRUE(WriteFileBytes(path, before + s_audio + after));
        return path;
    }

    static inline std::string s_audio;
    TagInfo tag;
    InputInfo info;
};

TEST_F(TagReadTest, ShiftJisId3v1IsDecoded)
{
    auto path = file("sjis-v1.mp3", "",
                     MakeId3v1Block(kSjisLyricsTest, kSjisHalfKatakana, kSjisWindowsOnly, "2024",
                                    "\x83\x52\x83\x81\x83\x93\x83\x67", 3, 146));
    info.channels = 2;
    ASSERT_TRUE(ReadTag(path, tag, &info));
    EXPECT_EQ(tag.title, "歌詞のテスト");
    EXPECT_EQ(tag.artist, "ｶﾀｶﾅ");
    EXPECT_EQ(tag.album, "①髙～");
    EXPECT_EQ(tag.year, "2024");
    EXPECT_EQ(tag.comment, "コメント");
    EXPECT_EQ(tag.genre, 146);
    EXPECT_EQ(info.title, "歌詞のテスト");
    EXPECT_EQ(info.artist, "ｶﾀｶﾅ");
    EXPECT_EQ(info.channels, 2); // left alone
}

TEST_F(TagReadTest, EuropeanLatin1StaysLatin1)
{
    // "El león", "Ärzte" (0xC4 is also a half-width katakana), "Café", "Björk".
    auto path = file("latin1-v1.mp3", "",
                     MakeId3v1Block("El le\xF3n", "\xC4rzte", "Caf\xE9", "", "Bj\xF6rk"));
    ASSERT_TRUE(ReadTag(path, tag));
    EXPECT_EQ(tag.title, "El león");
    EXPECT_EQ(tag.artist, "Ärzte");
    EXPECT_EQ(tag.album, "Café");
    EXPECT_EQ(tag.comment, "Björk");
    EXPECT_EQ(tag.genre, -1);
}

TEST_F(TagReadTest, Latin1FramesHoldingShiftJisAreDecodedInEveryId3v2Version)
{
    for (int major : {2, 3, 4}) {
        SCOPED_TRACE(major);
        const bool v22 = major == 2;
        auto v2 = MakeId3v2Tag(major, {{v22 ? "TT2" : "TIT2", Latin1Body(kSjisLyricsTest)},
                                       {v22 ? "TP1" : "TPE1", Latin1Body("El le\xF3n")},
                                       {v22 ? "TAL" : "TALB", Latin1Body(kSjisWindowsOnly)}});
        auto path = file("sjis-v2" + std::to_string(major) + ".mp3", v2, "");
        ASSERT_TRUE(ReadTag(path, tag));
        EXPECT_EQ(tag.title, "歌詞のテスト");
        EXPECT_EQ(tag.artist, "El león");
        EXPECT_EQ(tag.album, "①髙～");
    }
}

TEST_F(TagReadTest, Id3v2WinsAndId3v1FillsTheGaps)
{
    // UTF-16 title with BOM, UTF-8 artist (v2.4), TDRC date, numeric genre reference.
    std::string utf16Title = std::string("\x01\xFF\xFE", 3) + std::string("T\0i\0t\0l\0e\0", 10);
    auto v2 = MakeId3v2Tag(4, {{"TIT2", utf16Title},
                               {"TPE1", "\x03"
                                        "アーティスト"},
                               {"TDRC", Latin1Body("2010-04-03")},
                               {"TCON", Latin1Body("(52)")}});
    auto v1 = MakeId3v1Block("v1 title", "v1 artist", "v1 album", "1999", "v1 comment", 1, 13);
    auto path = file("both.mp3", v2, v1);
    ASSERT_TRUE(ReadTag(path, tag, &info));
    EXPECT_EQ(tag.title, "Title");
    EXPECT_EQ(tag.artist, "アーティスト");
    EXPECT_EQ(tag.album, "v1 album");
    EXPECT_EQ(tag.year, "2010");
    EXPECT_EQ(tag.comment, "v1 comment");
    EXPECT_EQ(tag.genre, 52);
    EXPECT_EQ(info.artist, "アーティスト");
}

TEST_F(TagReadTest, GenreByNameAndNoGenre)
{
    auto path = file("genre-name.mp3", MakeId3v2Tag(3, {{"TCON", Latin1Body("Pop")}}), "");
    ASSERT_TRUE(ReadTag(path, tag));
    EXPECT_EQ(tag.genre, 13);
    path = file("genre-custom.mp3", MakeId3v2Tag(3, {{"TCON", Latin1Body("My own style")}}),
                MakeId3v1Block("t", "a", "", "", "", 0, 255));
    ASSERT_TRUE(ReadTag(path, tag));
    EXPECT_EQ(tag.genre, -1);
}

TEST_F(TagReadTest, LongTextIsCutByCharacters)
{
    std::string longTitle;
    for (int i = 0; i < 200; ++i)
        longTitle += "あ";
    auto path =
        file("long.mp3",
             MakeId3v2Tag(3, {{"TIT2", "\x03" + longTitle}, {"TYER", Latin1Body("20245")}}), "");
    ASSERT_TRUE(ReadTag(path, tag, &info));
    EXPECT_EQ(tag.title, CutUtf8(longTitle, kTagTextChars));
    EXPECT_EQ(info.title, CutUtf8(longTitle, kInfoTextChars));
    EXPECT_EQ(tag.year, "20245");
}

TEST_F(TagReadTest, FramesAfterABadFrameIdAreStillRead)
{
    // TagLib stops at "Date" (not a frame ID); the frames after it must still show.
    const std::string utf16Band = std::string("\x01\xFF\xFE"
                                              "B\0a\0n\0d\0",
                                              11);
    auto v2 = MakeId3v2Tag(3, {{"Date", std::string("\x00"
                                                    "2010",
                                                    5)},
                               {"TIT2", Latin1Body(kSjisLyricsTest)},
                               {"TPE1", utf16Band},
                               {"TYER", Latin1Body("\xFE\xFF")},
                               {"COMM", std::string("\x00jpn\x00", 5) + "note"}});
    auto path = file("bad-frame-id.mp3", v2, "");
    ASSERT_TRUE(ReadTag(path, tag));
    EXPECT_EQ(tag.title, "歌詞のテスト");
    EXPECT_EQ(tag.artist, "Band");
    EXPECT_EQ(tag.year, ""); // no digit: a damaged year, not shown
    EXPECT_EQ(tag.comment, "note");
}

TEST_F(TagReadTest, PlayerDataCommentsAreNotShown)
{
    auto v2 =
        MakeId3v2Tag(3, {{"TIT2", Latin1Body("t")},
                         {"COMM", std::string(1, '\0') + "eng" + "iTunNORM" + '\0' + " 0000"}});
    auto path = file("itunnorm.mp3", v2, "");
    ASSERT_TRUE(ReadTag(path, tag));
    EXPECT_EQ(tag.comment, "");
}

TEST_F(TagReadTest, NoTagMeansFalseAndEmptyFields)
{
    auto path = file("plain.mp3", "", "");
    tag.title = "stale";
    info.title = "stale";
    EXPECT_FALSE(ReadTag(path, tag, &info));
    EXPECT_EQ(tag.title, "");
    EXPECT_EQ(tag.genre, -1);
    EXPECT_EQ(info.title, "");
}

TEST_F(TagReadTest, MissingEmptyFolderAndHostileFilesAreSafe)
{
    EXPECT_FALSE(ReadTag(TestTempDir() + "/missing.mp3", tag));
    EXPECT_FALSE(ReadTag(TestTempDir(), tag));
    auto empty = TestTempDir() + "/empty.mp3";
    WriteFileBytes(empty, "");
    EXPECT_FALSE(ReadTag(empty, tag));
    // A tag header claiming far more bytes than the file has, and a frame size past the tag.
    std::string lying = "ID3\x03\x00\x00\x7F\x7F\x7F\x7F"
                        "TIT2\x7F\xFF\xFF\xFF\x00\x00\x00ab";
    auto path = TestTempDir() + "/lying.mp3";
    WriteFileBytes(path, lying);
    ReadTag(path, tag); // either result, no crash
    WriteFileBytes(path, lying + s_audio);
    ReadTag(path, tag);
    WriteFileBytes(path, "TAG");
    EXPECT_FALSE(ReadTag(path, tag));
}

TEST_F(TagReadTest, RandomlyDamagedTagsAreReadSafely)
{
    const std::string utf16 = std::string("\x01\xFF\xFE"
                                          "a\0b\0",
                                          7);
    std::vector<std::string> tags;
    for (int major : {2, 3, 4}) {
        const bool v22 = major == 2;
        tags.push_back(MakeId3v2Tag(major, {{v22 ? "TT2" : "TIT2", Latin1Body(kSjisLyricsTest)},
                                            {v22 ? "TP1" : "TPE1", utf16},
                                            {v22 ? "COM" : "COMM", std::string(5, '\0') + "c"},
                                            {v22 ? "TYE" : "TYER", Latin1Body("2001")}}));
    }
    std::mt19937 random(11);
    const std::string v1 = MakeId3v1Block(kSjisLyricsTest, "artist", "album", "2001", "c", 1, 3);
    const std::string path = TestTempDir() + "/damaged-tag.mp3";
    for (int round = 0; round < 300; ++round) {
        std::string tagBytes = tags[round % 3];
        // Flip flags and sizes too: the header bytes are fair game.
        for (int k = 0; k < 1 + round % 6; ++k)
            tagBytes[random() % tagBytes.size()] = static_cast<char>(random());
        if (round % 7 == 0)
            tagBytes.resize(random() % tagBytes.size());
        std::string tail = v1;
        tail[3 + random() % 125] = static_cast<char>(random());
        ASSERT_TRUE(WriteFileBytes(path, tagBytes + (round % 2 ? s_audio : "") + tail));
        TagInfo lenient;
        ReadId3v2Leniently(path, lenient);
        ReadTag(path, tag, &info);
        EXPECT_LE(tag.title.size(), 128u * 4);
    }
}

TEST(TextCodec, LegacyTextDetection)
{
    EXPECT_EQ(DecodeLegacyText("plain ASCII"), "plain ASCII");
    EXPECT_EQ(DecodeLegacyText(kSjisLyricsTest), "歌詞のテスト");
    EXPECT_EQ(DecodeLegacyText("\xB1\xB2"), "ｱｲ");    // a run of half-width kana
    EXPECT_EQ(DecodeLegacyText("\xC4rzte"), "Ärzte"); // a lone one in a word
    EXPECT_EQ(DecodeLegacyText("Janelle Mon\xE1"
                               "e"),
              "Janelle Monáe");                                       // E1 65 is a rare kanji
    EXPECT_EQ(DecodeLegacyText("\x87\x40\xEE\xE0"), "①髙");           // rare kanji, no words
    EXPECT_EQ(DecodeLegacyText("\x82\xA0\xFF"), "‚\xC2\xA0ÿ"); // not clean CP932: Windows-1252
    EXPECT_FALSE(DecodeCp932("\x82").has_value());
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_TRUE(IsValidUtf8("歌詞 ok"));
}

// Public tag files with the values their upstream suites assert (see the MANIFEST).
struct PublicTagCase {
    const char* file;
    const char* title;
    const char* artist;
    const char* album;
    const char* year;
};

class PublicTags : public ::testing::TestWithParam<PublicTagCase> {};

TEST_P(PublicTags, ShowTheExpectedFields)
{
    const std::filesystem::path root = MORVANE_TESTDATA_DIR;
    if (!std::filesystem::exists(root / "2-tags"))
        GTEST_SKIP() << "public test data not present at " << root;
    const auto& c = GetParam();
    TagInfo tag;
    InputInfo info;
    ASSERT_TRUE(ReadTag((root / c.file).string(), tag, &info)) << c.file;
    if (c.title) {
        EXPECT_EQ(tag.title, c.title);
        EXPECT_EQ(info.title, c.title);
    }
    if (c.artist) {
        // Several artists in one frame show together, the first one leading.
        EXPECT_EQ(tag.artist.substr(0, std::string(c.artist).size()), c.artist) << tag.artist;
    }
    if (c.album) {
        EXPECT_EQ(tag.album, c.album);
    }
    if (c.year) {
        EXPECT_EQ(tag.year, c.year);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Manifest, PublicTags,
    ::testing::Values(
        PublicTagCase{"2-tags/taglib/unsynch.id3", "My babe just cares for me", nullptr, nullptr,
                      nullptr},
        PublicTagCase{"2-tags/taglib/unsynch24.id3", "Hi", nullptr, nullptr, nullptr},
        PublicTagCase{"2-tags/taglib/005411.id3", "Sunshine Superman", nullptr, nullptr, nullptr},
        PublicTagCase{"2-tags/taglib/extended-header.mp3", "Druids", "Excelsis",
                      "Vo Chrieger U Drache", "2013"},
        PublicTagCase{"2-tags/taglib/itunes10.mp3", "iTunes10MP3", "Artist", "Album", "2011"},
        PublicTagCase{"2-tags/taglib/id3v22-tda.mp3", nullptr, nullptr, nullptr, "2010"},
        PublicTagCase{"2-tags/mutagen/silence-44-s.mp3", "Silence", "piman", "Quod Libet Test Data",
                      "2004"},
        PublicTagCase{"2-tags/mutagen/silence-44-s-v1.mp3", "Silence", "piman",
                      "Quod Libet Test Data", "2004"},
        PublicTagCase{"2-tags/mutagen/id3v1v2-combined.mp3", nullptr, "Anais Mitchell",
                      "Hymns for the Exiled", nullptr},
        PublicTagCase{"2-tags/rust-id3/id3v1.id3", "Title", "Artist", "Album", "2017"},
        PublicTagCase{"2-tags/rust-id3/id3v22.id3", "Henry Frottey INTRO", nullptr, nullptr,
                      "2015"},
        PublicTagCase{"2-tags/rust-id3/id3v24.id3", "Title", nullptr, nullptr, nullptr},
        PublicTagCase{"2-tags/music-metadata/bug-utf16bom-encoding.mp3", "It's All Over You Know",
                      "The Apers", "Reanimate My Heart", "2007"},
        PublicTagCase{"2-tags/music-metadata/bug-non_ascii_chars.mp3", nullptr, "Janelle Monáe",
                      nullptr, nullptr},
        PublicTagCase{"2-tags/music-metadata/id3v2.2.mp3", "You Are The One", "Shiny Toy Guns",
                      "We Are Pilots", "2006"},
        PublicTagCase{"2-tags/music-metadata/id3v1_Blood_Sugar.mp3", "Blood Sugar", "Pendulum",
                      "Blood Sugar (Single)", "2007"},
        PublicTagCase{"2-tags/music-metadata/Luomo_-_Tessio_Spektre_Remix_ID3v10.mp3",
                      "Luomo - Tessio (Spektre Remix)", nullptr, nullptr, nullptr},
        PublicTagCase{"2-tags/music-metadata/issue-362.apev1.mp3", "Do They Know It's Christmas?",
                      "Band Aid", nullptr, "2006"},
        PublicTagCase{"2-tags/music-metadata/issue_69.mp3", "Skupinove foto", "Pavel Dobes",
                      nullptr, "1988"},
        PublicTagCase{"3-malformed/music-metadata/outofbounds.mp3", "너의 생일엔", nullptr, nullptr,
                      nullptr},
        PublicTagCase{"3-malformed/music-metadata/issue-979.mp3", "Minnie & Me", "Alexander Hacke",
                      "Sanctuary", "2005"},
        PublicTagCase{"3-malformed/mutagen/issue_21.id3", "Punk To Funk", nullptr, nullptr,
                      nullptr},
        PublicTagCase{"3-malformed/music-metadata/bug-id3v2-unknownframe.mp3", "One",
                      "Coheed And Cambria", "Year Of The Black Rainbow", "2010"}));

namespace {
// A title tagged on an older Japanese system: EUC-JP bytes in a frame marked Latin-1.
TEST(LegacyEncodingTest, AnEucJpTitleReadsRightAndTheChosenEncodingIsWrittenAsUnicode)
{
    ToneSpec spec;
    spec.seconds = 0.3;
    const std::string path = TestTempDir() + "/eucjp.mp3";
    std::filesystem::copy_file(ToneFixture("eucjp-source.mp3", spec), path,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string euc = "\xC5\xEC\xB5\xFE\xA4\xCE\xB6\xF5"; // 東京の空
    {
        TagLib::MPEG::File file(path.c_str());
        file.ID3v2Tag(true)->setTitle(TagLib::String(euc, TagLib::String::Latin1));
        file.ID3v2Tag(true)->setArtist(
            TagLib::String("\xA4\xB5\xA4\xAF\xA4\xE9", TagLib::String::Latin1));
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    }
    TagInfo tag;
    LegacyEncoding used = LegacyEncoding::Automatic;
    ASSERT_TRUE(ReadTagAs(path, tag, LegacyEncoding::Automatic, &used));
    EXPECT_EQ(tag.title, "東京の空");
    EXPECT_EQ(tag.artist, "さくら"); // as CP932 these bytes are clean half-width katakana
    EXPECT_EQ(used, LegacyEncoding::EucJp);

    // Read as Western the same bytes are accented letters; the choice is then saved as Unicode.
    ASSERT_TRUE(ReadTagAs(path, tag, LegacyEncoding::Western, &used));
    EXPECT_NE(tag.title, "東京の空");
    ASSERT_TRUE(ReadTagAs(path, tag, LegacyEncoding::EucJp));
    std::string error;
    ASSERT_TRUE(WriteTag(path, tag, error)) << error;
    TagLib::MPEG::File file(path.c_str());
    auto frames = file.ID3v2Tag()->frameListMap()["TIT2"];
    ASSERT_FALSE(frames.isEmpty());
    auto* title = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    ASSERT_NE(title, nullptr);
    EXPECT_NE(title->textEncoding(), TagLib::String::Latin1);
    ASSERT_TRUE(ReadTagAs(path, tag, LegacyEncoding::ShiftJis, &used));
    EXPECT_EQ(tag.title, "東京の空"); // Unicode now: no legacy reading applies
    EXPECT_EQ(used, LegacyEncoding::Automatic);
}
} // namespace
