#include "tools/vdev/hex_text.h"

namespace halvorn::vdev {

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ':'; }

}  // namespace

std::string HexText(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        if (!text.empty()) text.push_back(' ');
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

std::optional<std::vector<uint8_t>> ParseHexText(std::string_view text) {
    std::vector<uint8_t> bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        int high = DigitValue(text[i]);
        int low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        i += 2;
    }
    return bytes;
}

}  // namespace halvorn::vdev
