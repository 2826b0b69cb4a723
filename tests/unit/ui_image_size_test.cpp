// Image sizes from file headers: each format the skins ship, and data that
// is no image or is cut short.

#include "platform/ui/image_size.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/profile_test_files.h"

namespace halvorn::ui {
namespace {

std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string Le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string Be16(uint32_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }

std::string Png(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(w) + Be32(h) +
           std::string("\x08\x06\x00\x00\x00", 5);
}

std::string Bmp(uint32_t w, int32_t h) {
    return "BM" + Le32(0) + Le32(0) + Le32(54) + Le32(40) + Le32(w) +
           Le32(static_cast<uint32_t>(h)) + Le16(1) + Le16(32);
}

std::string OldBmp(uint32_t w, uint32_t h) {
    return "BM" + Le32(0) + Le32(0) + Le32(26) + Le32(12) + Le16(w) + Le16(h) + Le16(1) + Le16(24);
}

std::string Gif(uint32_t w, uint32_t h) { return "GIF89a" + Le16(w) + Le16(h) + "\x00\x00\x00"; }

// SOI, an APP1 segment (as EXIF data puts before the frame), a DQT, then SOF2.
std::string Jpeg(uint32_t w, uint32_t h) {
    const std::string app1 = "\xFF\xE1" + Be16(2 + 300) + std::string(300, 'x');
    const std::string dqt = "\xFF\xDB" + Be16(2 + 4) + std::string(4, '\0');
    const std::string sof = "\xFF\xC2" + Be16(11) + "\x08" + Be16(h) + Be16(w) + "\x01\x01\x11";
    return "\xFF\xD8" + app1 + dqt + sof + "\xFF\xDA";
}

struct Case {
    const char* what;
    std::string bytes;
    std::optional<Size> size;
};

TEST(ImageSize, ReadsEveryKnownFormatAndRefusesTheRest) {
    const std::string png = Png(640, 48);
    const Case cases[] = {
        {"png", png, Size{640, 48}},
        {"bmp", Bmp(33, 17), Size{33, 17}},
        {"top-down bmp", Bmp(33, -17), Size{33, 17}},
        {"os/2 bmp", OldBmp(5, 6), Size{5, 6}},
        {"gif", Gif(300, 200), Size{300, 200}},
        {"jpeg after other segments", Jpeg(1024, 768), Size{1024, 768}},
        {"png cut short", png.substr(0, 20), std::nullopt},
        {"png of no width", Png(0, 10), std::nullopt},
        {"absurd size", Png(0x7FFFFFFF, 10), std::nullopt},
        {"jpeg without a frame", std::string("\xFF\xD8\xFF\xDA", 4), std::nullopt},
        {"jpeg cut in a segment", Jpeg(10, 10).substr(0, 200), std::nullopt},
        {"text", "<Window/>", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ImageSizeFromBytes(c.bytes), c.size) << c.what;
    }
}

TEST(ImageSize, ReadsAFileAndNothingForAMissingOne) {
    test::TempDir dir;
    test::WriteText(dir / "a.png", Png(12, 34));
    EXPECT_EQ(ReadImageSize(dir / "a.png"), (Size{12, 34}));
    EXPECT_EQ(ReadImageSize(dir / "missing.png"), std::nullopt);
    EXPECT_EQ(ReadImageSize(dir.Path()), std::nullopt);  // a folder
}

}  // namespace
}  // namespace halvorn::ui
