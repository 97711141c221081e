// Tag writing: round trips, ID3v1 policy, crash safety, permissions, links.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <zlib.h>

#include "engine/meta/id3v1block.h"
#include "engine/meta/mpeginfo.h"
#include "engine/meta/tagreader.h"
#include "engine/meta/tagwriter.h"
#include "engine/meta/textcodec.h"
#include "support/fixtures.h"
#include "support/meta_fixtures.h"

namespace fs = std::filesystem;

class TagWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string source = TestTempDir() + "/write-source.mp3";
        if (!fs::exists(source)) {
            ASSERT_TRUE(MakeMp3(source, 1, 44100, 2,
                                "-b 128 --add-id3v2 --id3v2-utf16 --tt Old "
                                "--ta Someone --tl Record --ty 1999 --tc note "
                                "--tg 17"))
                << "sox/lame could not make a fixture";
        }
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = TestTempDir() + "/write-" + test->name();
        fs::create_directories(dir);
        path = dir + "/track.mp3";
        fs::copy_file(source, path, fs::copy_options::overwrite_existing);
        ASSERT_TRUE(ReadMpegInfo(path, audioBefore));
    }

    // Files left in the folder besides the track: a failed or finished write leaves none.
    std::vector<std::string> strayFiles() const
    {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().filename() != "track.mp3")
                out.push_back(entry.path().filename().string());
        }
        return out;
    }

    void expectAudioUnchanged()
    {
        MpegInfo after;
        ASSERT_TRUE(ReadMpegInfo(path, after));
        EXPECT_EQ(after.frameCount, audioBefore.frameCount);
        EXPECT_EQ(after.lengthMs, audioBefore.lengthMs);
    }

    std::string dir;
    std::string path;
    MpegInfo audioBefore;
    std::string error;
};

TEST_F(TagWriteTest, JapaneseRoundTrip)
{
    TagInfo written;
    written.title = "歌詞のテスト①";
    written.artist = "アーティスト";
    written.album = "ｱﾙﾊﾞﾑ 髙";
    written.year = "2024";
    written.comment = "コメント～";
    written.genre = 148;
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    EXPECT_TRUE(strayFiles().empty());

    TagInfo read;
    InputInfo info;
    ASSERT_TRUE(ReadTag(path, read, &info));
    EXPECT_EQ(read.title, written.title);
    EXPECT_EQ(read.artist, written.artist);
    EXPECT_EQ(read.album, written.album);
    EXPECT_EQ(read.year, "2024");
    EXPECT_EQ(read.comment, written.comment);
    EXPECT_EQ(read.genre, 148);
    EXPECT_EQ(info.title, written.title);

    // ID3v2.3 at the start; ID3v1 keeps the Japanese text too, in CP932, for players that read
    // only ID3v1.
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 4), std::string("ID3\x03", 4));
    Id3v1Block v1;
    ASSERT_TRUE(ReadId3v1Block(path, v1));
    EXPECT_EQ(v1.title, "\x89\xCC\x8E\x8C\x82\xCC\x83\x65\x83\x58\x83\x67\x87\x40");
    EXPECT_EQ(DecodeLegacyText(v1.artist), written.artist);
    EXPECT_EQ(DecodeLegacyText(v1.album), written.album);
    EXPECT_EQ(DecodeLegacyText(v1.comment), written.comment);
    EXPECT_EQ(v1.year, "2024");
    EXPECT_EQ(v1.genre, 148);
    expectAudioUnchanged();
}

TEST_F(TagWriteTest, Id3v1CutsCp932TextAtAWholeCharacter)
{
    TagInfo written;
    written.title = "a漢字漢字漢字漢字漢字漢字漢字漢字"; // 33 bytes in CP932
    written.artist = "歌手 ♪ \xF0\x9F\x8E\xB5";          // the last character has no CP932 form
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    Id3v1Block v1;
    ASSERT_TRUE(ReadId3v1Block(path, v1));
    EXPECT_EQ(v1.title.size(), 29u);
    EXPECT_EQ(DecodeLegacyText(v1.title), "a漢字漢字漢字漢字漢字漢字漢字");
    EXPECT_EQ(v1.artist, "");
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, written.title);
}

TEST_F(TagWriteTest, Latin1TextFillsBothTagsWithoutPaddingBlanks)
{
    TagInfo written;
    written.title = "El león" + std::string(121, ' '); // padded like the tag editor's fields
    written.artist = "Björk   ";
    written.album = "A title longer than thirty characters fits only v2";
    written.year = "1997 ";
    written.comment = "ok";
    written.genre = 13;
    ASSERT_TRUE(WriteTag(path, written, error)) << error;

    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, "El león");
    EXPECT_EQ(read.artist, "Björk");
    EXPECT_EQ(read.album, written.album);
    EXPECT_EQ(read.year, "1997");
    EXPECT_EQ(read.genre, 13);

    Id3v1Block v1;
    ASSERT_TRUE(ReadId3v1Block(path, v1));
    EXPECT_EQ(v1.title, "El le\xF3n");
    EXPECT_EQ(v1.artist, "Bj\xF6rk");
    EXPECT_EQ(v1.album, written.album.substr(0, 30));
    EXPECT_EQ(v1.comment, "ok");
    EXPECT_EQ(v1.genre, 13);
    // No blanks inside the tag either: ID3v1 pads with NUL bytes.
    const std::string bytes = ReadFileBytes(path);
    const std::string block = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(block.substr(3 + 7, 23), std::string(23, '\0'));
}

TEST_F(TagWriteTest, Latin1TextThatLooksLikeShiftJisSurvives)
{
    TagInfo written;
    written.title = "±²³"; // B1 B2 B3 in Latin-1 are also half-width katakana in Shift-JIS
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, "±²³");
}

TEST_F(TagWriteTest, ReplacesOldValuesAndClearsEmptyFields)
{
    TagInfo written;
    written.title = "New";
    written.genre = -1;
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, "New");
    EXPECT_EQ(read.artist, "");
    EXPECT_EQ(read.album, "");
    EXPECT_EQ(read.year, "");
    EXPECT_EQ(read.comment, "");
    EXPECT_EQ(read.genre, -1);
    Id3v1Block v1;
    ASSERT_TRUE(ReadId3v1Block(path, v1));
    EXPECT_EQ(v1.genre, 255);

    // Writing twice leaves one tag of each kind, not two.
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.find("ID3", 3), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 256, 3) == "TAG", false);
    expectAudioUnchanged();
}

TEST_F(TagWriteTest, YearOfFewerOrMoreDigitsIsKept)
{
    TagInfo written;
    written.year = "99";
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.year, "99");
    written.year = "12345";
    ASSERT_TRUE(WriteTag(path, written, error)) << error;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.year, "12345");
}

TEST_F(TagWriteTest, KeepsPermissionsAndWritesThroughLinks)
{
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string link = dir + "/link.mp3";
    fs::create_symlink(path, link);
    TagInfo written;
    written.title = "via link";
    ASSERT_TRUE(WriteTag(link, written, error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(fs::is_symlink(link));
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, "via link");
}

class TagWriteFailure : public TagWriteTest,
                        public ::testing::WithParamInterface<TagWriter::Step> {};

TEST_P(TagWriteFailure, LeavesTheOriginalWholeAndNoTemporary)
{
    const std::string before = ReadFileBytes(path);
    TagWriter writer;
    writer.setFailAt(GetParam());
    TagInfo written;
    written.title = "never written";
    EXPECT_FALSE(writer.write(path, written, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(strayFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, TagWriteFailure,
                         ::testing::Values(TagWriter::Step::Copy, TagWriter::Step::Tag,
                                           TagWriter::Step::Sync, TagWriter::Step::Rename));

TEST_F(TagWriteTest, RefusesMissingFilesAndFolders)
{
    TagInfo written;
    EXPECT_FALSE(WriteTag(dir + "/missing.mp3", written, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WriteTag(dir, written, error));
    EXPECT_FALSE(fs::exists(dir + "/missing.mp3"));
}

TEST_F(TagWriteTest, UnwritableFolderFailsCleanly)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder; the failure steps cover this";
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    const std::string before = ReadFileBytes(path);
    TagInfo written;
    written.title = "x";
    EXPECT_FALSE(WriteTag(path, written, error));
    ::chmod(dir.c_str(), 0755);
    EXPECT_EQ(ReadFileBytes(path), before);
}

// A tag whose compressed frame inflates to far more than any real tag holds is read by the
// bounded walker; writing would have TagLib build it in memory, so the file is left as it is.
TEST_F(TagWriteTest, ATagTooLargeToRebuildIsReadAndLeftAsItIs)
{
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF),
                           char(v & 0xFF)};
    };
    const std::string plain(32u << 20, 'a');
    std::string packed(compressBound(plain.size()), '\0');
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                        reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 9),
              Z_OK);
    packed.resize(packedSize);
    const std::string title = std::string("TIT2") + be32(5) + std::string(2, '\0') + '\0' + "Bomb";
    const std::string bomb = std::string("TXXX") + be32(4 + uint32_t(packed.size())) + '\0' +
                             '\x80' + be32(uint32_t(plain.size())) + packed;
    const uint32_t size = uint32_t(title.size() + bomb.size());
    const std::string header = std::string("ID3\x03", 4) + std::string(2, '\0') +
                               char(size >> 21 & 0x7F) + char(size >> 14 & 0x7F) +
                               char(size >> 7 & 0x7F) + char(size & 0x7F);
    {
        std::ofstream out(path, std::ios::binary);
        out << header << title << bomb << ReadFileBytes(dir + "/../write-source.mp3");
    }
    const std::string before = ReadFileBytes(path);
    TagInfo read;
    ASSERT_TRUE(ReadTag(path, read));
    EXPECT_EQ(read.title, "Bomb");
    read.title = "New";
    EXPECT_FALSE(WriteTag(path, read, error));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(strayFiles().empty());
}
