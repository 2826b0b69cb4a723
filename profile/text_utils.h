#pragma once

// Small text conversions shared by the profile code, the panels and the
// windows.

#include <cstdint>
#include <string>
#include <string_view>

namespace halvorn {

// Splits a control name such as "key_12" at its last "_" into the part up to
// and including the "_" ("key_") and the decimal number after it (12), and
// returns true. Returns false, leaving both outputs unchanged, when the name
// has no "_", or when what follows the last "_" is not one or more decimal
// digits ("key_", "key_12x", "key_-1") or does not fit an int.
bool SplitNameIndex(std::string_view name, std::string& prefix, int& number);

// Eight upper-case hexadecimal digits, most significant first ("00FF10A0").
std::string HexText32(uint32_t value);

// UTF-8 to UTF-16. Each invalid sequence (a stray continuation byte, a
// truncated sequence, an overlong form, a surrogate or a value past U+10FFFF)
// becomes one U+FFFD per maximal invalid subpart; nothing fails.
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// `text` with its invalid UTF-8 sequences replaced as Utf8ToUtf16 does; valid
// text comes back unchanged.
std::string SanitizeUtf8(std::string_view text);

// Equal ignoring the case of ASCII letters, as names in lists are compared.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// Empty or white space only.
bool IsBlank(std::string_view text);

}  // namespace halvorn
