#include "profile/macro_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/fs/file_name.h"
#include "platform/fs/json_file.h"
#include "platform/fs/unique_fd.h"
#include "platform/trace/trace.h"
#include "profile/json_fields.h"
#include "profile/text_utils.h"

namespace halvorn {
namespace fs = std::filesystem;
namespace {

constexpr const char* kEntries = "MacroInfo";
constexpr const char* kName = "MacroName";
constexpr const char* kGuid = "Guid";
constexpr int kVersion = 64;
// Far above 4000 events; refuses a wrong file picked by mistake before it is read.
constexpr std::uintmax_t kMaxImportBytes = 16u << 20;

bool IsIndex(const Json::Value& doc) { return doc.isObject() && doc[kEntries].isArray(); }

int EntryCount(const Json::Value& doc) {
    return IsIndex(doc) ? static_cast<int>(doc[kEntries].size()) : 0;
}

const Json::Value& EntryValue(const Json::Value& doc, int index) {
    return doc[kEntries][static_cast<Json::ArrayIndex>(index)];
}

// The text goes to a temporary file beside `path` that is flushed and renamed
// over it, so a failure never leaves a truncated file.
bool WriteTextFile(const fs::path& path, const std::string& text) {
    fs::path temp = path;
    temp += ".tmp-" + std::to_string(::getpid());
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) return false;
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < text.size()) {
        ssize_t n = ::write(fd.Get(), text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd.Get()) == 0;
    fd.Reset();
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}

Json::Value EmptyMacro(const std::string& name, const std::string& identifier) {
    Json::Value doc(Json::objectValue);
    doc[kName] = name;
    doc[kGuid] = identifier;
    doc["Events"] = Json::Value(Json::arrayValue);
    doc["Version"] = kVersion;
    return doc;
}

}  // namespace

int MacroDelayFromJson(const Json::Value& value) {
    if (value.isString()) {
        const std::string text = value.asString();
        std::size_t i = text.find_first_not_of(" \t\r\n\v\f");
        if (i == std::string::npos) return 0;
        if (text[i] == '-') return 0;
        if (text[i] == '+') ++i;
        long long delay = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            delay = std::min<long long>(delay * 10 + (text[i] - '0'), kMaxMacroDelay);
        }
        return static_cast<int>(delay);
    }
    if (value.isInt64())
        return static_cast<int>(std::clamp<Json::Int64>(value.asInt64(), 0, kMaxMacroDelay));
    if (value.isUInt64()) return kMaxMacroDelay;
    if (value.isDouble()) {
        return static_cast<int>(std::clamp(value.asDouble(), 0.0, double{kMaxMacroDelay}));
    }
    return 0;
}

Json::Value MacroEventToJson(const MacroEvent& event) {
    Json::Value value(Json::objectValue);
    value["Action"] = event.action == MacroAction::kUp ? "up" : "down";
    value["Type"] = event.type;
    value["Button"] = event.button;
    value["Delay"] = std::to_string(std::clamp(event.delay, 0, kMaxMacroDelay));
    return value;
}

MacroEvent MacroEventFromJson(const Json::Value& value) {
    MacroEvent event;
    if (!value.isObject()) return event;
    event.action = ReadString(value, "Action") == "up" ? MacroAction::kUp : MacroAction::kDown;
    event.type = ReadInt<int>(value, "Type");
    event.button = ReadInt<int>(value, "Button");
    event.delay = MacroDelayFromJson(value["Delay"]);
    return event;
}

MacroStore::MacroStore(fs::path dataFolder, std::string indexFileName, Clock clock)
    : dataFolder_(std::move(dataFolder)),
      indexFileName_(std::move(indexFileName)),
      clock_(clock ? std::move(clock) : Clock(&std::chrono::system_clock::now)),
      document_(dataFolder_ / indexFileName_, kEntries, "macro index") {}

fs::path MacroStore::MacroPath(const std::string& identifier) const {
    return dataFolder_ / (identifier + ".mac");
}

Json::Value MacroStore::Load() {
    Json::Value doc = document_.Load();
    if (document_.IsList(doc)) return doc;
    // A fresh index; other members of a readable document are kept.
    if (!doc.isObject()) doc = Json::Value(Json::objectValue);
    doc[kEntries] = Json::Value(Json::arrayValue);
    return doc;
}

std::string MacroStore::UsableIdentifier(const Json::Value& doc, int index) const {
    if (index < 0 || index >= EntryCount(doc)) return {};
    std::string identifier = ReadString(EntryValue(doc, index), kGuid);
    if (IsPlainFileName(identifier)) return identifier;
    Trace("macro entry " + std::to_string(index) + " does not name a plain file: \"" + identifier +
          "\"");
    return {};
}

std::vector<std::string> MacroStore::Names() {
    const Json::Value doc = Load();
    std::vector<std::string> names;
    for (int i = 0; i < EntryCount(doc); ++i)
        names.push_back(ReadString(EntryValue(doc, i), kName));
    return names;
}

int MacroStore::Count() { return EntryCount(Load()); }

std::string MacroStore::IdentifierAt(int index) { return UsableIdentifier(Load(), index); }

fs::path MacroStore::MacroPathAt(int index) {
    const std::string identifier = IdentifierAt(index);
    return identifier.empty() ? fs::path() : MacroPath(identifier);
}

// Appends a new entry, with `text` as its ".mac" file when given; the file
// is written before the index so that a failure leaves neither behind.
MacroResult MacroStore::Append(Json::Value& doc, const std::string* text) {
    if (EntryCount(doc) >= kMaxMacros) return MacroResult::kRefused;
    auto taken = [&](std::string_view name) {
        for (int i = 0; i < EntryCount(doc); ++i) {
            if (SameTextIgnoringCase(ReadString(EntryValue(doc, i), kName), name)) return true;
        }
        return false;
    };
    std::string name = "macro_1";
    for (int n = 2; taken(name); ++n) name = "macro_" + std::to_string(n);
    const std::string identifier = FreeTimeStampName(clock_(), [&](const std::string& candidate) {
        for (int i = 0; i < EntryCount(doc); ++i) {
            if (ReadString(EntryValue(doc, i), kGuid) == candidate) return true;
        }
        std::error_code error;
        return fs::exists(MacroPath(candidate), error) || error;
    });
    if (identifier.empty()) return MacroResult::kWriteFailed;

    const fs::path file = MacroPath(identifier);
    if (text != nullptr && !WriteTextFile(file, *text)) {
        Trace("cannot write the macro file " + file.string());
        return MacroResult::kWriteFailed;
    }
    Json::Value entry(Json::objectValue);
    entry[kName] = name;
    entry[kGuid] = identifier;
    doc[kEntries].append(entry);
    if (!document_.Store(doc)) {
        std::error_code error;
        if (text != nullptr) fs::remove(file, error);
        return MacroResult::kWriteFailed;
    }
    return MacroResult::kDone;
}

MacroResult MacroStore::Add() {
    Json::Value doc = Load();
    return Append(doc, nullptr);
}

MacroRenameResult MacroStore::Rename(int index, std::string_view name) {
    Json::Value doc = Load();
    if (UsableIdentifier(doc, index).empty()) return MacroRenameResult::kInvalid;
    if (IsBlank(name)) return MacroRenameResult::kBlank;
    for (int i = 0; i < EntryCount(doc); ++i) {
        if (SameTextIgnoringCase(ReadString(EntryValue(doc, i), kName), name))
            return MacroRenameResult::kTaken;
    }
    doc[kEntries][static_cast<Json::ArrayIndex>(index)][kName] = std::string(name);
    return document_.Store(doc) ? MacroRenameResult::kRenamed : MacroRenameResult::kWriteFailed;
}

MacroResult MacroStore::Delete(int index) {
    Json::Value doc = Load();
    const std::string identifier = UsableIdentifier(doc, index);
    if (identifier.empty()) return MacroResult::kInvalid;
    Json::Value removed;
    doc[kEntries].removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    if (!document_.Store(doc)) return MacroResult::kWriteFailed;
    for (int i = 0; i < EntryCount(doc); ++i) {
        if (ReadString(EntryValue(doc, i), kGuid) == identifier) return MacroResult::kDone;
    }
    std::error_code error;
    fs::remove(MacroPath(identifier), error);
    if (error) Trace("cannot delete macro file: " + error.message());
    return MacroResult::kDone;
}

MacroResult MacroStore::Save(int index, const std::vector<MacroEvent>& events) {
    const Json::Value doc = Load();
    const std::string identifier = UsableIdentifier(doc, index);
    if (identifier.empty()) return MacroResult::kInvalid;
    const fs::path file = MacroPath(identifier);
    Json::Value macro = ReadJsonValue(file);
    if (!macro.isObject()) macro = Json::Value(Json::objectValue);
    const Json::Value fresh = EmptyMacro(ReadString(EntryValue(doc, index), kName), identifier);
    for (const char* key : {kName, kGuid, "Version"}) macro[key] = fresh[key];
    Json::Value& list = macro["Events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : events) list.append(MacroEventToJson(event));
    return WriteJsonFile(file, macro) ? MacroResult::kDone : MacroResult::kWriteFailed;
}

std::vector<MacroEvent> MacroStore::Read(int index) {
    const std::string identifier = IdentifierAt(index);
    std::vector<MacroEvent> events;
    if (identifier.empty()) return events;
    const Json::Value macro = ReadJsonValue(MacroPath(identifier));
    if (!macro.isObject() || !macro["Events"].isArray()) return events;
    for (const Json::Value& value : macro["Events"]) {
        if (value.isObject()) events.push_back(MacroEventFromJson(value));
    }
    return events;
}

MacroResult MacroStore::Import(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxImportBytes) {
        Trace("macro file unreadable or too large: " + path.string());
        return MacroResult::kInvalid;
    }
    const std::string text = ReadJsonFile(path);
    Json::Value parsed;
    if (!ParseJsonText(text, parsed) || !parsed.isObject()) {
        Trace("not a macro file: " + path.string());
        return MacroResult::kInvalid;
    }
    Json::Value doc = Load();
    return Append(doc, &text);
}

MacroResult MacroStore::Export(int index, const fs::path& path) {
    const Json::Value doc = Load();
    const std::string identifier = UsableIdentifier(doc, index);
    if (identifier.empty()) return MacroResult::kInvalid;
    std::string text = ReadJsonFile(MacroPath(identifier));
    if (text.empty()) {
        text = StyledJsonText(EmptyMacro(ReadString(EntryValue(doc, index), kName), identifier));
    }
    return WriteTextFile(path, text) ? MacroResult::kDone : MacroResult::kWriteFailed;
}

}  // namespace halvorn
