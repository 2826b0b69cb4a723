#pragma once

// Names that come from stored documents or imported files and become file
// names in a data folder.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace halvorn {

// The longest name accepted: it leaves room below the 255-byte name limit of
// Linux file systems for an extension (".Json", ".mac") and the temporary
// suffix that atomic writes add.
inline constexpr std::size_t kMaxPlainFileNameBytes = 200;

// True only for a name that stays inside its folder: not empty, no '/', no
// '\\' (a separator on the systems the stored files come from), no NUL, not
// "." or "..", at most kMaxPlainFileNameBytes bytes.
bool IsPlainFileName(std::string_view name);

// The TimeStampString() of `now`, moved on by whole milliseconds while
// `taken` says the text is in use, so that items created within the same
// millisecond still get distinct names. Empty when a whole minute of
// successive milliseconds is taken.
std::string FreeTimeStampName(std::chrono::system_clock::time_point now,
                              const std::function<bool(const std::string&)>& taken);

}  // namespace halvorn
