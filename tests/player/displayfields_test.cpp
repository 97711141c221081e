// The display's sample-rate and bit-rate fields at the rates the lossless formats bring.
#include <gtest/gtest.h>

#include "player/displayfields.h"

TEST(DisplayFieldsTest, HighRatesShowWholeKilohertzAndBigBitRatesSaturate)
{
    EXPECT_EQ(SampleRateField(44100), "44100");
    EXPECT_EQ(SampleRateField(8000), "08000");
    EXPECT_EQ(SampleRateField(96000), "96000");
    // Six digits once showed their first four and last one: 176400 read "17640".
    EXPECT_EQ(SampleRateField(176400), "  176");
    EXPECT_EQ(SampleRateField(192000), "  192");
    EXPECT_EQ(SampleRateField(352800), "  353");
    EXPECT_EQ(SampleRateField(-5), "00000");
    EXPECT_EQ(BitRateField(128), "128");
    EXPECT_EQ(BitRateField(64), "064");
    EXPECT_EQ(BitRateField(1411), "999");
}
