// The skin pictures hold every cell the frame reads, with the fixed colours and consistent masks.
#include <gtest/gtest.h>

#include <QIcon>

#include <set>

#include "visual/skin.h"
#include "visual/skinlayout.h"

namespace {

using namespace SkinLayout;

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;

class SkinPictures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(skin.isValid()); }
    const QImage& sheet() const { return skin.Picture1(); }

    // Every mask pixel is black or white; the image is white wherever the mask is white, so the
    // masked copy leaves the frame alone there; and something is opaque.
    // The pictures at scale 1 or 2.
    const QImage& sheet(int scale) const
    {
        return scale == 2 ? skin.Picture1At2x() : skin.Picture1();
    }
    const QImage& overlay(int scale) const
    {
        return scale == 2 ? skin.Picture3At2x() : skin.Picture3();
    }
    const QImage& lit(int scale) const
    {
        return scale == 2 ? skin.Picture5At2x() : skin.Picture5();
    }

    // Places and size in 1x pixels, checked in the pictures of scale.
    void expectMaskedCell(const QImage& maskSrc, QPoint maskAt, const QImage& imageSrc,
                          QPoint imageAt, QSize size, const char* what, int scale = 1) const
    {
        maskAt *= scale;
        imageAt *= scale;
        size *= scale;
        int opaque = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb m = maskSrc.pixel(maskAt + QPoint(x, y));
                ASSERT_TRUE(m == kBlack || m == kWhite) << what << " mask " << x << "," << y;
                if (m == kWhite) {
                    ASSERT_EQ(imageSrc.pixel(imageAt + QPoint(x, y)), kWhite)
                        << what << " image " << x << "," << y;
                }
                opaque += m == kBlack;
            }
        EXPECT_GT(opaque, 0) << what;
    }

    Skin skin;
};

TEST_F(SkinPictures, SizesAndFormats)
{
    EXPECT_EQ(skin.Picture1().size(), kSpriteSheetSize);
    EXPECT_EQ(skin.Picture2().size(), kFrameSize);
    EXPECT_EQ(skin.Picture3().size(), kOverlaySize);
    for (const QImage* p : {&skin.Picture1(), &skin.Picture2(), &skin.Picture3(), &skin.Picture5()})
        EXPECT_EQ(p->format(), QImage::Format_RGB32);
    EXPECT_EQ(skin.versionPicture().size(), QSize(300, 100));
}

TEST_F(SkinPictures, SpectrumStripsHaveTheExactColours)
{
    const QRgb table[50] = {
        0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF,
        0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF,
        0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F7EF, 0x00F2ED, 0x00E9E8, 0x00E9E8, 0x00DFE2, 0x03D3DA,
        0x03D3DA, 0x03D3DA, 0x01B2C9, 0x01B2C9, 0x01B2C9, 0x0091B9, 0x0091B9, 0x0091B9, 0x0091B9,
        0x0072A7, 0x0072A7, 0x0072A7, 0x005699, 0x005699, 0x005699, 0x003A89, 0x003A89, 0x002880,
        0x002880, 0x00227A, 0x001A79, 0x001476, 0x001073,
    };
    for (int row = 0; row < 50; ++row) {
        EXPECT_EQ(sheet().pixel(kStripColumn, row), table[row] | kBlack) << row;
        for (int x = kWideStripColumn; x < kWideStripColumn + 3; ++x)
            EXPECT_EQ(sheet().pixel(x, row), table[row] | kBlack) << x << "," << row;
    }
}

TEST_F(SkinPictures, MeterWedgeUsesTheFourColoursAndIsSymmetric)
{
    const std::set<QRgb> colours = {0xFFB4FC00, 0xFFF2FC26, 0xFFF79311, 0xFFF33A01};
    for (int x = kMeterFirstColumn; x <= kMeterLastColumn; ++x)
        for (int r = 0; r < kMeterRows; ++r) {
            const QRgb image = sheet().pixel(x, kMeterImageRow + r);
            const QRgb mask = sheet().pixel(x, kMeterMaskRow + r);
            if (mask == kBlack)
                EXPECT_TRUE(colours.count(image)) << x << "," << r;
            else
                EXPECT_EQ(image, kWhite) << x << "," << r;
        }
    for (int k = 0; k <= 18; ++k)
        for (int r = 0; r < 2 * kMeterRows; ++r)
            EXPECT_EQ(sheet().pixel(50 - k, kMeterImageRow + r),
                      sheet().pixel(51 + k, kMeterImageRow + r))
                << k << "," << r;
    // Centre yellow-green, ends red, and taller at the ends.
    EXPECT_EQ(sheet().pixel(51, kMeterImageRow + 7), 0xFFB4FC00);
    EXPECT_EQ(sheet().pixel(69, kMeterImageRow + 7), 0xFFF33A01);
    EXPECT_EQ(sheet().pixel(32, kMeterImageRow), 0xFFF33A01);
    // The left wedge's outermost column is the quit key's last one: clear in both.
    EXPECT_EQ(sheet().pixel(31, kMeterImageRow), kWhite);
    EXPECT_EQ(sheet().pixel(31, kMeterMaskRow), kWhite);
    EXPECT_EQ(sheet().pixel(51, kMeterImageRow), kWhite);
}

TEST_F(SkinPictures, EveryMaskedCellIsConsistentAtBothScales)
{
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage& s = sheet(scale);
        const QSize button(kButtonSize, kButtonSize);
        auto cell = [&](QPoint maskAt, QPoint imageAt, QSize size, const char* what) {
            expectMaskedCell(s, maskAt, s, imageAt, size, what, scale);
        };
        for (int i = 0; i < kButtonCount; ++i) {
            const int c = kButtonColumn[i];
            cell({0, kButtonMaskRow}, {c, kButtonImageRow}, button, "button");
            cell({0, kButtonMaskRow}, {c, kButtonDownRow}, button, "button down");
            expectMaskedCell(s, {0, kButtonMaskRow}, lit(scale), {c, kButtonLitRow}, button, "lit",
                             scale);
            // One shape for every button, so either mask column gives the same result.
            EXPECT_EQ(s.copy(QRect(QPoint(c, kButtonMaskRow) * scale, button * scale)),
                      s.copy(QRect(QPoint(0, kButtonMaskRow) * scale, button * scale)));
        }
        for (int c : kSmallButtonColumn) {
            cell({c, kSmallButtonMaskRow}, {c, kSmallButtonImageRow}, kSmallButtonSize,
                 "small button");
            cell({c, kSmallButtonMaskRow}, {c, kSmallButtonDownRow}, kSmallButtonSize,
                 "small button down");
        }
        for (int c : {kIndicatorRepeatColumn, kIndicatorRandomColumn, kIndicatorNormalColumn,
                      kIndicatorFadeInColumn, kIndicatorTopMostColumn, kIndicatorSingleColumn})
            cell({c, kIndicatorMaskRow}, {c, kIndicatorImageRow}, {kIndicatorSize, kIndicatorSize},
                 "indicator");
        for (int d = 0; d < 10; ++d)
            cell({10 * d + kLargeDigitMaskColumn, kLargeDigitRow}, {10 * d, kLargeDigitRow},
                 kLargeDigitSize, "large digit");
        cell(kCursorMask, kCursorImage, kCursorSize, "cursor");
        for (int p = 0; p < kMenuPages; ++p) {
            const int x = kMenuPageSize * p;
            cell({x, kMenuMaskRow}, {x, kMenuImageRow}, {kMenuPageSize, kMenuPageSize},
                 "menu page");
            for (int i = 0; i < 5; ++i)
                cell({x, kMenuHighlightMaskRow + kMenuEntryHeight * i},
                     {x, kMenuHighlightImageRow + kMenuEntryHeight * i},
                     {kMenuPageSize, kMenuEntryHeight}, "menu highlight");
        }
        expectMaskedCell(overlay(scale), {0, kOverlayMaskRow}, overlay(scale), {0, 0},
                         {300, kOverlayHeight}, "overlay", scale);
    }
}

// The 2x pictures come from the same drawing: the hand-set pixel cells are their 1x cells with
// every pixel doubled, and the display lets through what it lets through at 1x (but for
// sub-pixels at the glass's edge).
TEST_F(SkinPictures, TwiceTheResolutionDrawsTheSameCells)
{
    EXPECT_EQ(skin.Picture1At2x().size(), kSpriteSheetSize * 2);
    EXPECT_EQ(skin.Picture2At2x().size(), kFrameSize * 2);
    EXPECT_EQ(skin.Picture3At2x().size(), kOverlaySize * 2);
    EXPECT_EQ(skin.Picture5At2x().size(), kLitButtonsSize * 2);
    EXPECT_EQ(skin.versionPictureAt2x().size(), QSize(600, 200));
    auto expectDoubled = [&](const QImage& at1x, const QImage& at2x, const QRect& cell,
                             const char* what) {
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                for (QPoint sub : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                    ASSERT_EQ(at2x.pixel(QPoint(x, y) * 2 + sub), at1x.pixel(x, y))
                        << what << " " << x << "," << y;
    };
    const QImage& s1 = sheet(1);
    const QImage& s2 = sheet(2);
    expectDoubled(s1, s2, QRect(kStripColumn, 0, 1, kStripRows), "strip");
    expectDoubled(s1, s2, QRect(kWideStripColumn, 0, 3, kStripRows), "wide strip");
    expectDoubled(s1, s2,
                  QRect(kMeterFirstColumn, kMeterImageRow, kMeterLastColumn - kMeterFirstColumn + 1,
                        2 * kMeterRows),
                  "meter");
    expectDoubled(s1, s2, QRect(0, kLargeDigitRow, 20 * kLargeDigitSize.width(), 15),
                  "large digits");
    expectDoubled(s1, s2, QRect(0, kSmallDigitRow, 10 * kSmallDigitSize.width(), 7),
                  "small digits");
    expectDoubled(
        s1, s2,
        QRect(kIndicatorRepeatColumn, kIndicatorImageRow, 6 * kIndicatorSize, 2 * kIndicatorSize),
        "indicators");
    expectDoubled(s1, s2, QRect(kCursorImage, QSize(10, 5)), "cursor");
    expectDoubled(s1, s2, QRect(kLampCell, kLampSize), "lamp");
    for (int y = 0; y < kOverlayHeight; ++y)
        for (int x = 0; x < kFrameSize.width(); ++x) {
            if (overlay(1).pixel(x, y + kOverlayMaskRow) != kWhite)
                continue;
            bool clear = true;
            for (QPoint sub : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                clear =
                    clear && overlay(2).pixel(QPoint(x, y + kOverlayMaskRow) * 2 + sub) == kWhite;
            if (clear)
                continue;
            // The rasteriser may round a sub-pixel of the glass's very edge the other way.
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    edge = edge || overlay(1).pixel(x + dx, y + dy + kOverlayMaskRow) != kWhite;
            ASSERT_TRUE(edge) << x << "," << y;
        }
    // Text and shapes gain resolution: the menu page is not its 1x cell doubled.
    const QRect page(0, kMenuImageRow, kMenuPageSize, kMenuPageSize);
    EXPECT_NE(s2.copy(QRect(page.topLeft() * 2, page.size() * 2)),
              s1.copy(page).scaled(page.size() * 2));
}

TEST_F(SkinPictures, StatesOfAButtonDiffer)
{
    const QSize button(kButtonSize, kButtonSize);
    for (int i = 0; i < kButtonCount; ++i) {
        const int c = kButtonColumn[i];
        const QImage normal = sheet().copy(QRect({c, kButtonImageRow}, button));
        const QImage down = sheet().copy(QRect({c, kButtonDownRow}, button));
        const QImage lit = skin.Picture5().copy(QRect({c, kButtonLitRow}, button));
        EXPECT_NE(normal, down) << i;
        EXPECT_NE(normal, lit) << i;
        if (i > 0) {
            EXPECT_NE(normal, sheet().copy(QRect({0, kButtonImageRow}, button))) << i;
        }
    }
}

TEST_F(SkinPictures, DigitsAreAllDifferent)
{
    std::set<QByteArray> large, small;
    for (int d = 0; d < 10; ++d) {
        const QImage l = sheet().copy(QRect({10 * d, kLargeDigitRow}, kLargeDigitSize));
        const QImage s = sheet().copy(QRect({5 * d, kSmallDigitRow}, kSmallDigitSize));
        large.insert(
            QByteArray(reinterpret_cast<const char*>(l.constBits()), int(l.sizeInBytes())));
        small.insert(
            QByteArray(reinterpret_cast<const char*>(s.constBits()), int(s.sizeInBytes())));
    }
    EXPECT_EQ(large.size(), 10u);
    EXPECT_EQ(small.size(), 10u);
}

TEST_F(SkinPictures, SmallDigitsAndLampSitOnTheirPlates)
{
    // Copied cells (no mask) must blend with what the overlay shows around them.
    const QImage& overlay = skin.Picture3();
    const QRgb plate = sheet().pixel(0, kSmallDigitRow);
    for (int x : kVolumeDigitX)
        EXPECT_EQ(overlay.pixel(x, kSmallDigitY), plate) << x;
    for (int x : kBitRateDigitX)
        EXPECT_EQ(overlay.pixel(x + 4, kSmallDigitY + 6), plate) << x;
    EXPECT_EQ(overlay.pixel(kSampleRateDigitX[4] + 5, kSmallDigitY), plate);
    const QRgb lampPlate = sheet().pixel(kLampCell);
    for (QPoint at : {kListLampPos, kFileLampPos, kPauseLampPos})
        EXPECT_EQ(overlay.pixel(at), lampPlate);
    EXPECT_NE(sheet().pixel(kLampCell + QPoint(2, 2)), lampPlate);
}

TEST_F(SkinPictures, HighlightStripsStandOutFromThePage)
{
    for (int p = 0; p < kMenuPages; ++p)
        for (int i = 0; i < 5; ++i) {
            const QRect page(kMenuPageSize * p, kMenuImageRow + 2 + kMenuEntryHeight * i,
                             kMenuPageSize, kMenuEntryHeight);
            const QRect lit(kMenuPageSize * p, kMenuHighlightImageRow + kMenuEntryHeight * i,
                            kMenuPageSize, kMenuEntryHeight);
            EXPECT_NE(sheet().copy(page), sheet().copy(lit)) << p << "," << i;
        }
}

TEST_F(SkinPictures, IconsExist)
{
    for (int i = 1; i <= 3; ++i) {
        EXPECT_FALSE(skin.trayImage(i).isNull()) << i;
        EXPECT_FALSE(skin.trayIcon(i).isNull()) << i;
    }
    EXPECT_NE(skin.trayImage(1), skin.trayImage(2));
    EXPECT_NE(skin.trayImage(1), skin.trayImage(3));
    EXPECT_TRUE(skin.trayImage(0).isNull());
    // The tray icon holds its drawing at twice the resolution for dense screens.
    EXPECT_EQ(skin.trayIcon(1).pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
    EXPECT_EQ(skin.trayIcon(1).pixmap(QSize(32, 32), 1.0).size(), QSize(32, 32));
    const QIcon icon = skin.programIcon();
    EXPECT_GE(icon.availableSizes().size(), 6);
    EXPECT_TRUE(icon.availableSizes().contains(QSize(256, 256)));
}

} // namespace
