// Public decoder conformance streams (ISO/IEC 11172-4 and MPEG-2 LSF) against their reference
// PCM, and the malformed-input collection: every file opens and decodes to an end, or fails.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "decode/mpegdecoder.h"
#include "enginetestutil.h"
#include "playbackengine.h"

namespace {
namespace fs = std::filesystem;

const std::string kVectors = std::string(MORVANE_TESTDATA_DIR) + "/1-conformance/minimp3";

enum class Length { DecodedOnly, Exact, RefOrOneFrameMore };

struct Vector {
    const char* name;
    Length length;
};

std::vector<int16_t> DecodeAll(const std::string& path, int& channels)
{
    MpegDecoder decoder;
    std::vector<int16_t> all;
    channels = 0;
    if (!decoder.open(path, false))
        return all;
    channels = decoder.channels();
    std::vector<int16_t> block(4096 * 2);
    while (int got = decoder.read(block.data(), 4096))
        all.insert(all.end(), block.begin(), block.begin() + got * channels);
    return all;
}

class ConformanceTest : public ::testing::TestWithParam<Vector> {};

TEST_P(ConformanceTest, MatchesTheReferenceAtLeast96dB)
{
    if (!fs::exists(kVectors))
        GTEST_SKIP() << "public test material not present at " << kVectors;
    const Vector& v = GetParam();
    std::ifstream in(kVectors + "/" + v.name + ".pcm", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), {});
    std::vector<int16_t> reference(raw.size() / 2);
    std::memcpy(reference.data(), raw.data(), reference.size() * 2);
    int channels = 0;
    std::vector<int16_t> decoded = DecodeAll(kVectors + "/" + v.name + ".bit", channels);
    ASSERT_FALSE(decoded.empty());
    size_t n = std::min(decoded.size(), reference.size());
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
        double d = decoded[i] - reference[i];
        sum += d * d;
    }
    double mse = sum / static_cast<double>(n);
    double psnr = mse == 0 ? 99 : 10 * std::log10(32767.0 * 32767.0 / mse);
    EXPECT_GE(psnr, 96.0);
    switch (v.length) {
    case Length::Exact:
        EXPECT_EQ(decoded.size(), reference.size());
        break;
    case Length::RefOrOneFrameMore: {
        long extra = static_cast<long>(decoded.size()) - static_cast<long>(reference.size());
        EXPECT_TRUE(extra == 0 || extra == 1152L * channels) << "extra samples " << extra;
        break;
    }
    case Length::DecodedOnly:
        EXPECT_LE(decoded.size(), reference.size());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Iso, ConformanceTest,
    ::testing::Values(
        Vector{"l1-fl1", Length::DecodedOnly}, Vector{"l1-fl2", Length::DecodedOnly},
        Vector{"l1-fl3", Length::DecodedOnly}, Vector{"l1-fl4", Length::DecodedOnly},
        Vector{"l1-fl5", Length::DecodedOnly}, Vector{"l1-fl6", Length::DecodedOnly},
        Vector{"l1-fl7", Length::DecodedOnly}, Vector{"l1-fl8", Length::DecodedOnly},
        Vector{"l2-fl10", Length::DecodedOnly}, Vector{"l2-fl11", Length::DecodedOnly},
        Vector{"l2-fl12", Length::DecodedOnly}, Vector{"l2-fl13", Length::DecodedOnly},
        Vector{"l2-fl14", Length::DecodedOnly}, Vector{"l2-fl15", Length::DecodedOnly},
        Vector{"l2-fl16", Length::DecodedOnly}, Vector{"l2-test32", Length::Exact},
        Vector{"M2L3_bitrate_16_all", Length::Exact}, Vector{"M2L3_bitrate_22_all", Length::Exact},
        Vector{"M2L3_bitrate_24_all", Length::Exact}, Vector{"M2L3_compl24", Length::Exact},
        Vector{"M2L3_noise", Length::Exact}, Vector{"l3-compl", Length::RefOrOneFrameMore},
        Vector{"l3-he_32khz", Length::RefOrOneFrameMore},
        Vector{"l3-he_44khz", Length::RefOrOneFrameMore},
        Vector{"l3-he_48khz", Length::RefOrOneFrameMore},
        Vector{"l3-he_free", Length::RefOrOneFrameMore},
        Vector{"l3-hecommon", Length::RefOrOneFrameMore},
        Vector{"l3-si", Length::RefOrOneFrameMore},
        Vector{"l3-si_block", Length::RefOrOneFrameMore},
        Vector{"l3-si_huff", Length::RefOrOneFrameMore},
        Vector{"l3-nonstandard-sin1k0db_lame_vbrtag", Length::Exact}),
    [](const auto& param) {
        std::string name = param.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// Every malformed, fuzzed or tag-only file: open and decode through the engine's decoder to an
// end; an open that fails is fine. Files with no audio at all must give no samples.
TEST(MalformedInputTest, EveryFileEndsCleanly)
{
    const std::string root = MORVANE_TESTDATA_DIR;
    if (!fs::exists(root))
        GTEST_SKIP() << "public test material not present at " << root;
    std::vector<std::string> files;
    for (const char* folder : {"/3-malformed", "/2-tags"})
        for (auto& entry : fs::recursive_directory_iterator(root + folder))
            if (entry.is_regular_file())
                files.push_back(entry.path().string());
    for (auto& entry : fs::directory_iterator(kVectors)) {
        std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".bit" &&
            (name.find("ILL") == 0 || name.find("nonstandard") != std::string::npos))
            files.push_back(entry.path().string());
    }
    ASSERT_GT(files.size(), 60u);
    for (const std::string& path : files) {
        int channels = 0;
        auto start = std::chrono::steady_clock::now();
        std::vector<int16_t> decoded = DecodeAll(path, channels);
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 5.0) << path;
        std::string name = fs::path(path).filename().string();
        for (const char* silent :
             {"l3-nonstandard-id3v2-only.bit", "l3-nonstandard-small.bit",
              "l3-nonstandard-sideinfo-size.bit", "l3-nonstandard-vbrtag-empty.bit",
              "l3-nonstandard-vbrtag-noframes.bit", "l3-nonstandard-vbrtag-only.bit"})
            if (name == silent) {
                EXPECT_TRUE(decoded.empty()) << path;
            }
    }
}

TEST(MalformedInputTest, EngineOpensAndPlaysTheDamagedStreams)
{
    if (!fs::exists(kVectors))
        GTEST_SKIP() << "public test material not present at " << kVectors;
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.nullOptions.speed = 50;
    PlaybackEngine engine(config);
    engine.init();
    engine.callback(CountEndNotice);
    for (const char* name :
         {"l3-nonstandard-big-iscf.bit", "l3-nonstandard-compl-sideinfo-size.bit",
          "ILL2_overalloc2.bit", "l3-nonstandard-vbrtag-oob-read.bit", "ILL4_sync.bit"}) {
        g_endNotices.store(0);
        InputInfo info;
        if (!engine.open(kVectors + "/" + name, info))
            continue;
        engine.play();
        EXPECT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000)) << name;
    }
}
} // namespace
