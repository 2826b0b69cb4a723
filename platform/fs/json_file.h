#pragma once

// Whole-file JSON reading and writing, shared by every stored document.

#include <json/value.h>

#include <filesystem>
#include <string>

namespace halvorn {

// The file's bytes, or empty when it cannot be opened.
std::string ReadJsonFile(const std::filesystem::path& path);

// The parsed document (comments allowed); null when the file is missing or
// not valid JSON.
Json::Value ReadJsonValue(const std::filesystem::path& path);

// Parses `text` (comments allowed) into `root`; false on a syntax error.
bool ParseJsonText(const std::string& text, Json::Value& root);

// The styled JSON text of `value` followed by a line end.
std::string StyledJsonText(const Json::Value& value);

// Replaces the file with the styled text of `value`. The text goes to a
// temporary file in the same folder that is flushed and then renamed over
// the old one, so a crash or a full disk never leaves a truncated file: on
// failure the old file is untouched and the result is false.
bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// Copies a file that is about to be replaced because it could not be read as
// the document it should be to "<path>.broken", so the user's text survives.
void KeepBrokenCopy(const std::filesystem::path& path);

}  // namespace halvorn
