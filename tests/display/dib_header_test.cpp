#include <gtest/gtest.h>

#include <random>

#include "display/dib_header.h"
#include "tests/display/bmp_builder.h"
#include "tests/display/dib_invariants.h"

namespace {

std::optional<display::DibLayout> Validate(const bmp::Picture& pic, uint64_t fileSize) {
    bmp::Headers h = bmp::Split(bmp::Header(pic));
    return display::ValidateDibHeader(std::span<const uint8_t, 14>(h.file),
                                      std::span<const uint8_t, 40>(h.info), fileSize);
}

// A file size big enough for anything but the overflow cases.
constexpr uint64_t kRoomy = 1 << 24;

struct CountCase {
    const char* name;
    uint16_t bits;
    uint32_t colorsUsed;
    int32_t width, height;
    uint32_t sizeImage;
    uint32_t wantCount, wantImage;
};

class CountsAndSizes : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountsAndSizes, AreCompleted) {
    const CountCase& c = GetParam();
    bmp::Picture pic{.width = c.width,
                   .height = c.height,
                   .bitCount = c.bits,
                   .sizeImage = c.sizeImage,
                   .colorsUsed = c.colorsUsed};
    auto l = Validate(pic, uint64_t{1} << 32);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->colorCount, c.wantCount);
    EXPECT_EQ(l->imageSize, c.wantImage);
    EXPECT_EQ(l->bitsOffset, 40 + 4 * c.wantCount);
    EXPECT_EQ(l->blockSize, 40 + 4 * c.wantCount + c.wantImage);
}

INSTANTIATE_TEST_SUITE_P(
    Dib, CountsAndSizes,
    ::testing::Values(CountCase{"OneBitGetsTwo", 1, 0, 2, 2, 0, 2, 8},
                      CountCase{"FourBitsGetSixteen", 4, 0, 2, 2, 0, 16, 8},
                      CountCase{"EightBitsGet256", 8, 0, 20, 20, 0, 256, 400},
                      CountCase{"RowsPadTo32Bits", 8, 0, 21, 20, 0, 256, 480},
                      CountCase{"TwentyFourBitsNoTable", 24, 0, 20, 20, 0, 0, 1200},
                      CountCase{"ColoursUsedKept", 8, 3, 2, 2, 0, 3, 8},
                      CountCase{"TwentyFourWithTable", 24, 2, 2, 2, 0, 2, 16},
                      CountCase{"SixteenBits", 16, 0, 3, 2, 0, 0, 16},
                      CountCase{"ThirtyTwoBits", 32, 0, 3, 2, 0, 0, 24},
                      CountCase{"LargerImageSizeKept", 8, 0, 4, 1, 9, 256, 9},
                      CountCase{"WidestAndTallest", 1, 0, 65535, 65535, 0, 2, 8192 * 65535}),
    [](const auto& info) { return info.param.name; });

TEST(DibHeader, LongerHeadersPlaceTheTableAfterThemselves) {
    for (uint32_t size : {52u, 56u, 108u, 124u}) {
        auto l = Validate({.headerSize = size, .bitCount = 4}, kRoomy);
        ASSERT_TRUE(l) << size;
        EXPECT_EQ(l->bitsOffset, size + 64);
    }
}

TEST(DibHeader, BitFieldMasksFollowAFortyByteHeaderOnly) {
    auto small = Validate({.bitCount = 16, .compression = display::kBitFields}, kRoomy);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->maskBytes, 12u);
    EXPECT_EQ(small->bitsOffset, 52u);
    auto v5 =
        Validate({.headerSize = 124, .bitCount = 32, .compression = display::kBitFields}, kRoomy);
    ASSERT_TRUE(v5);
    EXPECT_EQ(v5->maskBytes, 0u);
}

TEST(DibHeader, TopDownPictureHasPositiveRowCount) {
    auto l = Validate({.height = -3, .bitCount = 24}, kRoomy);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->height, 3u);
    EXPECT_EQ(l->imageSize, 24u);
}

TEST(DibHeader, FileBitsOffsetIsKept) {
    auto l = Validate({.bitsOffset = 2000, .bitCount = 24}, kRoomy);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->fileBitsOffset, 2000u);
}

struct Refusal {
    const char* name;
    bmp::Picture pic;
    uint64_t fileSize;
};

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, NoLayout) {
    EXPECT_FALSE(Validate(GetParam().pic, GetParam().fileSize));
}

INSTANTIATE_TEST_SUITE_P(
    Dib, Refused,
    ::testing::Values(
        Refusal{"BadMagic", {.magic = 0x4D43}, kRoomy},
        Refusal{"CoreHeader", {.headerSize = 12}, kRoomy},
        Refusal{"HeaderShorterThan40", {.headerSize = 39}, kRoomy},
        Refusal{"HeaderLongerThanV5", {.headerSize = 125}, kRoomy},
        Refusal{"ZeroWidth", {.width = 0}, kRoomy}, Refusal{"NegativeWidth", {.width = -2}, kRoomy},
        Refusal{"WidthOver65535", {.width = 65536}, kRoomy},
        Refusal{"ZeroHeight", {.height = 0}, kRoomy},
        Refusal{"HeightOver65535", {.height = 65536}, kRoomy},
        Refusal{"TopDownOver65535", {.height = -65536}, kRoomy},
        Refusal{"MostNegativeHeight", {.height = INT32_MIN}, kRoomy},
        Refusal{"TwoBits", {.bitCount = 2}, kRoomy}, Refusal{"ZeroBits", {.bitCount = 0}, kRoomy},
        Refusal{"Jpeg", {.bitCount = 24, .compression = 4}, kRoomy},
        Refusal{"Rle8AtFourBits",
                {.bitCount = 4, .compression = display::kRle8, .sizeImage = 8},
                kRoomy},
        Refusal{"RleWithoutSize", {.bitCount = 8, .compression = display::kRle8}, kRoomy},
        Refusal{"RleTopDown",
                {.height = -2, .bitCount = 8, .compression = display::kRle8, .sizeImage = 8},
                kRoomy},
        Refusal{"BitFieldsAt24", {.bitCount = 24, .compression = display::kBitFields}, kRoomy},
        Refusal{"MasksStraddleHeader",
                {.headerSize = 44, .bitCount = 16, .compression = display::kBitFields},
                kRoomy},
        Refusal{"ImageSizeShortOfRows", {.width = 4, .height = 2, .sizeImage = 7}, kRoomy},
        Refusal{"ColoursUsedOver16Bits", {.colorsUsed = 0x10000}, kRoomy},
        Refusal{"TableNotInFile", {.bitCount = 8}, 14 + 40 + 1023},
        Refusal{"PixelsNotInFile", {.bitCount = 24}, 14 + 40 + 15},
        Refusal{"BitsOffsetPastFile", {.bitsOffset = 1000, .bitCount = 24}, 1015},
        Refusal{"HugePictureSmallFile", {.width = 65535, .height = 65535, .bitCount = 32}, kRoomy}),
    [](const auto& info) { return info.param.name; });

TEST(DibHeader, ExactFileSizeIsEnough) {
    EXPECT_TRUE(Validate({.bitCount = 24}, 14 + 40 + 16));
    EXPECT_TRUE(Validate({.bitsOffset = 1000, .bitCount = 24}, 1016));
}

// Headers made of random bytes, nudged towards plausible values so that acceptances happen
// often: every accepted layout must keep every promise.
TEST(DibHeader, RandomHeadersKeepThePromises) {
    std::mt19937 rng(20261208);
    auto pick = [&](std::initializer_list<uint32_t> values) {
        return *(values.begin() + rng() % values.size());
    };
    int accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        bmp::Picture pic;
        pic.headerSize = rng() % 4 ? pick({40, 52, 56, 108, 124}) : rng();
        pic.width = static_cast<int32_t>(rng() % 2 ? rng() % 300 : rng());
        pic.height = static_cast<int32_t>(rng() % 2 ? rng() % 600 - 300 : rng());
        pic.bitCount = static_cast<uint16_t>(rng() % 4 ? pick({1, 4, 8, 16, 24, 32}) : rng());
        pic.compression = rng() % 2 ? 0 : rng() % 6;
        pic.sizeImage = rng() % 2 ? 0 : rng() % 2 ? rng() % 100000 : rng();
        pic.colorsUsed = rng() % 2 ? 0 : rng() % 2 ? rng() % 300 : rng();
        pic.bitsOffset = rng() % 2 ? 0 : rng() % 2 ? rng() % 2000 : rng();
        uint64_t fileSize = rng() % 2 ? rng() % 400000 : rng();
        auto l = Validate(pic, fileSize);
        if (l) {
            ++accepted;
            const char* broken = dib_check::BrokenPromise(*l, fileSize);
            ASSERT_EQ(broken, nullptr) << "case " << i << ": " << broken;
        }
    }
    EXPECT_GT(accepted, 1000);
}

}  // namespace
