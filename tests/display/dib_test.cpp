#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "display/dib.h"
#include "framework/handles.h"
#include "tests/display/bmp_builder.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// A loaded picture block, looked at through its header.
struct Loaded {
    framework::GlobalBlock block{::GlobalAlloc(GMEM_MOVEABLE, display::kInitialBlockSize)};
    uint32_t bitsOffset = 0;
    int result = 0;
    std::string bytes;  // the block's contents after loading

    BITMAPINFOHEADER Header() const {
        BITMAPINFOHEADER h{};
        std::memcpy(&h, bytes.data(), sizeof(h));
        return h;
    }
};

class Loader : public ::testing::Test {
protected:
    Loaded Load(const std::string& fileBytes) {
        WriteFile(dir_ / "p.bmp", fileBytes);
        return LoadPath(dir_ / "p.bmp");
    }
    Loaded LoadPath(const std::string& path) {
        Loaded l;
        l.result = display::LoadDibFile(path, l.block, l.bitsOffset);
        if (l.result) {
            framework::GlobalLockGuard lock(l.block.Get());
            l.bytes.assign(reinterpret_cast<char*>(lock.Data()), ::GlobalSize(l.block.Get()));
        }
        return l;
    }
    TempDir dir_;
};

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>(i * 7 + i / 251);
    }
    return s;
}

TEST_F(Loader, EightBitWithoutColourCountReadsFullTable) {
    bmp::Picture pic{.width = 20,
                   .height = 20,
                   .table = std::vector<uint32_t>(256, kGreen),
                   .pixels = Pattern(400)};
    Loaded l = Load(bmp::File(pic));
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(l.Header().biClrUsed, 256u);
    EXPECT_EQ(l.Header().biSizeImage, 400u);
    EXPECT_EQ(l.bitsOffset, 40u + 1024u);
    EXPECT_EQ(l.bytes.substr(l.bitsOffset), Pattern(400));
}

TEST_F(Loader, NonZeroBitsOffsetSkipsTheGap) {
    bmp::Picture pic{.bitsOffset = 14 + 40 + 8 + 5,
                   .width = 4,
                   .height = 2,
                   .bitCount = 1,
                   .table = {kRed, kBlue},
                   .gap = "GAP!!",
                   .pixels = Pattern(8)};
    Loaded l = Load(bmp::File(pic));
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(l.bytes.substr(l.bitsOffset), Pattern(8));
    EXPECT_EQ(l.bytes.size(), 40u + 8 + 8);
}

TEST_F(Loader, ZeroBitsOffsetReadsRightAfterTheTable) {
    bmp::Picture pic{.width = 4,
                   .height = 2,
                   .bitCount = 1,
                   .table = {kRed, kBlue},
                   .gap = "GAP!!",
                   .pixels = Pattern(3)};
    Loaded l = Load(bmp::File(pic));
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(l.bytes.substr(l.bitsOffset), "GAP!!" + Pattern(3));
}

TEST_F(Loader, FileLongerThanThePictureIsFine) {
    bmp::Picture pic{.bitCount = 24, .pixels = Pattern(16) + "trailing"};
    Loaded l = Load(bmp::File(pic));
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(l.bytes.size(), 40u + 16);
}

TEST_F(Loader, LongHeaderIsKeptWhole) {
    bmp::Picture pic{.headerSize = 124,
                   .bitCount = 4,
                   .table = std::vector<uint32_t>(16, kRed),
                   .pixels = Pattern(8)};
    std::string file = bmp::File(pic);
    file[14 + 100] = 'V';  // a byte past the first 40 of the header
    Loaded l = Load(file);
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(l.bitsOffset, 124u + 64);
    EXPECT_EQ(l.bytes[100], 'V');
    EXPECT_EQ(l.bytes.substr(l.bitsOffset), Pattern(8));
}

class ChunkSizes : public Loader, public ::testing::WithParamInterface<uint32_t> {};

// 8-bit rows of 4 bytes; the image size field asks for exactly the bytes given.
TEST_P(ChunkSizes, PixelDataArrivesWhole) {
    const uint32_t size = GetParam();
    bmp::Picture pic{.width = 4,
                   .height = static_cast<int32_t>(size / 4),
                   .sizeImage = size,
                   .colorsUsed = 1,
                   .table = {kWhite},
                   .pixels = Pattern(size)};
    Loaded l = Load(bmp::File(pic));
    ASSERT_EQ(l.result, 1);
    EXPECT_EQ(l.bytes.size(), 40u + 4 + size);
    EXPECT_TRUE(l.bytes.substr(l.bitsOffset) == Pattern(size));
}

INSTANTIATE_TEST_SUITE_P(Dib, ChunkSizes,
                         ::testing::Values(4u, 32767u, 32768u, 32769u, 65536u, 65537u, 100000u));

TEST_F(Loader, ReadInChunksReportsShortData) {
    WriteFile(dir_ / "d", Pattern(40000));
    framework::File f(
        ::CreateFileA((dir_ / "d").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(f);
    std::string dest(40001, '\0');
    EXPECT_EQ(display::ReadInChunks(f.Get(), reinterpret_cast<unsigned char*>(dest.data()), 40001),
              0u);
    ::SetFilePointer(f.Get(), 0, nullptr, FILE_BEGIN);
    EXPECT_EQ(display::ReadInChunks(f.Get(), reinterpret_cast<unsigned char*>(dest.data()), 40000),
              40000u);
    EXPECT_EQ(dest.substr(0, 40000), Pattern(40000));
}

struct Failure {
    const char* name;
    std::string bytes;
};

class LoadFailure : public Loader, public ::testing::WithParamInterface<Failure> {};

TEST_P(LoadFailure, NothingLoaded) {
    EXPECT_EQ(Load(GetParam().bytes).result, 0);
}

std::string Good() {
    return bmp::File({.bitCount = 24, .pixels = Pattern(16)});
}

INSTANTIATE_TEST_SUITE_P(
    Dib, LoadFailure,
    ::testing::Values(
        Failure{"Empty", ""}, Failure{"ShorterThanFileHeader", Good().substr(0, 13)},
        Failure{"ShortInfoHeader", Good().substr(0, 14 + 39)},
        Failure{"BadMagic", "MB" + Good().substr(2)},
        Failure{"CoreHeader", bmp::File({.headerSize = 12, .pixels = Pattern(1100)})},
        Failure{"PixelDataOneShort", Good().substr(0, Good().size() - 1)},
        Failure{"ColourTableShort",
                bmp::File({.bitCount = 8, .table = std::vector<uint32_t>(255, kRed)})},
        Failure{"ImageSizePastEnd",
                bmp::File({.bitCount = 24, .sizeImage = 1 << 30, .pixels = Pattern(16)})}),
    [](const auto& info) { return info.param.name; });

TEST_F(Loader, MissingFileAndFolderNameFail) {
    EXPECT_EQ(LoadPath(dir_ / "none.bmp").result, 0);
    EXPECT_EQ(LoadPath(dir_.path()).result, 0);
}

// Draws into a 4x4 32-bit memory surface and reads back what landed there.
class Drawing : public ::testing::Test {
protected:
    Drawing() {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<uint32_t*>(bits);
        dc_.Reset(::CreateCompatibleDC(nullptr));
        select_.emplace(dc_.Get(), bitmap_.Get());
        std::fill(bits_, bits_ + 16, 0x123456u);
    }
    int Draw(const std::string& fileBytes, RECT rect = {0, 0, 4, 4}) {
        WriteFile(dir_ / "p.bmp", fileBytes);
        int r = display::DrawDibFile(dc_.Get(), &rect, dir_ / "p.bmp", SRCCOPY);
        ::GdiFlush();
        return r;
    }
    uint32_t At(int x, int y) const { return bits_[y * 4 + x] & 0xFFFFFF; }
    // The 2x2 picture (top-left red, top-right green, bottom-left blue, bottom-right white)
    // must fill the surface quadrant by quadrant.
    void ExpectQuadrants(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br) const {
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                uint32_t want = y < 2 ? (x < 2 ? tl : tr) : (x < 2 ? bl : br);
                EXPECT_EQ(At(x, y), want) << "pixel " << x << "," << y;
            }
        }
    }

    TempDir dir_;
    framework::GdiObject<HBITMAP> bitmap_;
    framework::MemoryDc dc_;
    std::optional<framework::SelectionGuard> select_;
    uint32_t* bits_ = nullptr;
};

std::string Rows(std::initializer_list<std::string> rows) {
    std::string s;
    for (const std::string& r : rows) {
        s += r;
    }
    return s;
}

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) {
        s += static_cast<char>(v >> (8 * i));
    }
    return s;
}
std::string Pad(std::string row) {
    row.resize((row.size() + 3) / 4 * 4, '\0');
    return row;
}

TEST_F(Drawing, OneBit) {
    // Index 0 red, 1 blue: a checker board, bottom row first.
    std::string pixels = Rows({Pad("\x80"), Pad("\x40")});
    ASSERT_EQ(Draw(bmp::File({.bitCount = 1, .table = {kRed, kBlue}, .pixels = pixels})), 1);
    ExpectQuadrants(kRed, kBlue, kBlue, kRed);
}

TEST_F(Drawing, FourBits) {
    std::vector<uint32_t> table(16, 0);
    table[1] = kRed, table[2] = kGreen, table[3] = kBlue, table[4] = kWhite;
    std::string pixels = Rows({Pad("\x34"), Pad("\x12")});
    ASSERT_EQ(Draw(bmp::File({.bitCount = 4, .table = table, .pixels = pixels})), 1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, EightBitsWithShortTable) {
    std::string pixels = Rows({Pad("\x02\x03"), Pad(std::string("\x00\x01", 2))});
    ASSERT_EQ(Draw(bmp::File(
                  {.colorsUsed = 4, .table = {kRed, kGreen, kBlue, kWhite}, .pixels = pixels})),
              1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, TwentyFourBits) {
    std::string pixels =
        Rows({Pad(Le(kBlue, 3) + Le(kWhite, 3)), Pad(Le(kRed, 3) + Le(kGreen, 3))});
    ASSERT_EQ(Draw(bmp::File({.bitCount = 24, .pixels = pixels})), 1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, TopDownIsDrawnUpright) {
    std::string pixels =
        Rows({Pad(Le(kRed, 3) + Le(kGreen, 3)), Pad(Le(kBlue, 3) + Le(kWhite, 3))});
    ASSERT_EQ(Draw(bmp::File({.height = -2, .bitCount = 24, .pixels = pixels})), 1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

uint32_t To555(uint32_t rgb) {
    return ((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31);
}
uint32_t To565(uint32_t rgb) {
    return ((rgb >> 19) & 31) << 11 | ((rgb >> 10) & 63) << 5 | ((rgb >> 3) & 31);
}

TEST_F(Drawing, SixteenBitsPlain) {
    std::string pixels = Rows(
        {Le(To555(kBlue), 2) + Le(To555(kWhite), 2), Le(To555(kRed), 2) + Le(To555(kGreen), 2)});
    ASSERT_EQ(Draw(bmp::File({.bitCount = 16, .pixels = pixels})), 1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, SixteenBitsWithMasks) {
    std::string pixels = Rows(
        {Le(To565(kBlue), 2) + Le(To565(kWhite), 2), Le(To565(kRed), 2) + Le(To565(kGreen), 2)});
    ASSERT_EQ(Draw(bmp::File({.bitCount = 16,
                              .compression = BI_BITFIELDS,
                              .masks = {0xF800, 0x07E0, 0x001F},
                              .pixels = pixels})),
              1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, ThirtyTwoBitsPlainAndWithMasks) {
    std::string pixels = Rows({Le(kBlue, 4) + Le(kWhite, 4), Le(kRed, 4) + Le(kGreen, 4)});
    ASSERT_EQ(Draw(bmp::File({.bitCount = 32, .pixels = pixels})), 1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
    ASSERT_EQ(Draw(bmp::File({.bitCount = 32,
                              .compression = BI_BITFIELDS,
                              .masks = {0xFF0000, 0x00FF00, 0x0000FF},
                              .pixels = pixels})),
              1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, VersionFiveHeaderWithTable) {
    std::string pixels = Rows({Pad("\x02\x03"), Pad(std::string("\x00\x01", 2))});
    ASSERT_EQ(Draw(bmp::File({.headerSize = 124,
                              .colorsUsed = 4,
                              .table = {kRed, kGreen, kBlue, kWhite},
                              .pixels = pixels})),
              1);
    ExpectQuadrants(kRed, kGreen, kBlue, kWhite);
}

TEST_F(Drawing, RectangleGivesOriginAndSize) {
    // One red pixel stretched over a 2x3 area at (1, 1): right and bottom are the size.
    std::string pixels = Pad(Le(kRed, 3));
    ASSERT_EQ(Draw(bmp::File({.width = 1, .height = 1, .bitCount = 24, .pixels = pixels}),
                   RECT{1, 1, 2, 3}),
              1);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            bool inside = x >= 1 && x < 3 && y >= 1 && y < 4;
            EXPECT_EQ(At(x, y), inside ? kRed : 0x123456u) << x << "," << y;
        }
    }
}

TEST_F(Drawing, FailureLeavesTheSurfaceAlone) {
    EXPECT_EQ(Draw("BM nothing of a picture"), 0);
    ExpectQuadrants(0x123456, 0x123456, 0x123456, 0x123456);
}

// A black frame control of 20x20 pixels, as on each page, with a one-colour picture drawn
// over it: every pixel of the control, its frame included, shows the picture.
TEST(PictureFrame, PictureCoversTheWholeControl) {
    TempDir dir;
    WriteFile(dir / "p.bmp",
              bmp::File({.width = 1, .height = 1, .bitCount = 24, .pixels = Pad(Le(kGreen, 3))}));
    HWND popup = ::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, nullptr,
                                   nullptr, nullptr, nullptr);
    HWND frame = ::CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 10, 10,
                                   20, 20, popup, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    ::UpdateWindow(popup);
    display::DrawDibIntoControl(frame, dir / "p.bmp");
    framework::WindowDc dc(frame);
    for (POINT p : {POINT{0, 0}, POINT{19, 19}, POINT{10, 10}, POINT{0, 19}}) {
        EXPECT_EQ(::GetPixel(dc.Get(), p.x, p.y), RGB(0, 255, 0)) << p.x << "," << p.y;
    }
    display::DrawDibIntoControl(frame, dir / "missing.bmp");  // the frame alone comes back
    EXPECT_NE(::GetPixel(dc.Get(), 0, 0), RGB(0, 255, 0));
    ::DestroyWindow(popup);
}

}  // namespace
