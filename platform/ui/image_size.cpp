#include "platform/ui/image_size.h"

#include <cstdint>
#include <cstdlib>

#include "platform/ui/ui_text.h"

namespace halvorn::ui {

namespace {

uint32_t Byte(std::string_view b, size_t i) { return static_cast<unsigned char>(b[i]); }
uint32_t Be16(std::string_view b, size_t i) { return Byte(b, i) << 8 | Byte(b, i + 1); }
uint32_t Le16(std::string_view b, size_t i) { return Byte(b, i) | Byte(b, i + 1) << 8; }
uint32_t Be32(std::string_view b, size_t i) { return Be16(b, i) << 16 | Be16(b, i + 2); }
uint32_t Le32(std::string_view b, size_t i) { return Le16(b, i) | Le16(b, i + 2) << 16; }

// Sizes beyond this are no picture a skin shows; they are refused rather
// than let overflow the arithmetic of the controls.
constexpr uint32_t kMaxSide = 1 << 16;

std::optional<Size> Checked(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    return Size{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<Size> Png(std::string_view b) {
    // Signature, then the IHDR chunk: length, "IHDR", width, height.
    if (b.size() < 24 || b.substr(12, 4) != "IHDR") return std::nullopt;
    return Checked(Be32(b, 16), Be32(b, 20));
}

std::optional<Size> Bmp(std::string_view b) {
    if (b.size() < 26) return std::nullopt;
    const uint32_t header = Le32(b, 14);
    if (header == 12) return Checked(Le16(b, 18), Le16(b, 20));  // OS/2 core header
    if (header < 40) return std::nullopt;
    // A negative height is a top-down bitmap of that many rows.
    const auto height = static_cast<int32_t>(Le32(b, 22));
    return Checked(Le32(b, 18), static_cast<uint32_t>(std::abs(static_cast<int64_t>(height))));
}

std::optional<Size> Gif(std::string_view b) {
    if (b.size() < 10) return std::nullopt;
    return Checked(Le16(b, 6), Le16(b, 8));
}

bool IsStartOfFrame(uint32_t marker) {
    // SOF0..SOF15 less DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<Size> Jpeg(std::string_view b) {
    size_t i = 2;
    while (i + 4 <= b.size()) {
        if (Byte(b, i) != 0xFF) return std::nullopt;
        const uint32_t marker = Byte(b, i + 1);
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            i += 2;  // markers without a length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame header before data
        const uint32_t length = Be16(b, i + 2);
        if (length < 2) return std::nullopt;
        if (IsStartOfFrame(marker)) {
            // Length, precision, height, width.
            if (i + 9 > b.size()) return std::nullopt;
            return Checked(Be16(b, i + 7), Be16(b, i + 5));
        }
        i += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Size> ImageSizeFromBytes(std::string_view b) {
    if (b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return Png(b);
    if (b.substr(0, 2) == "BM") return Bmp(b);
    if (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a") return Gif(b);
    if (b.size() >= 2 && Byte(b, 0) == 0xFF && Byte(b, 1) == 0xD8) return Jpeg(b);
    return std::nullopt;
}

std::optional<Size> ReadImageSize(const std::filesystem::path& file) {
    const std::optional<std::string> bytes = ReadSkinFile(file);
    if (!bytes) return std::nullopt;
    return ImageSizeFromBytes(*bytes);
}

}  // namespace halvorn::ui
