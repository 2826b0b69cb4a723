#pragma once

// The macros of one device: an index file ("macro.config", or
// "cavrel_macro.config" for the mouse pad and the headset) listing the macros
// in order, and one "<identifier>.mac" file per macro holding its events, all
// in the device's data folder. The position in the index is the macro number
// that key assignments use. A new macro's identifier is the TimeStampString()
// of its creation.
//
// The index is re-read before every change and written right after it; when
// it has become unreadable since it was last read, the last good index is
// used instead (and written by the next change), and a file that cannot be
// parsed is kept as "<index>.broken" before it is replaced.
//
// An entry whose identifier is not a plain file name ("../x", "a/b", empty,
// over long) is listed, but every operation on it is refused and no file is
// ever read, written or deleted for it.

#include <json/value.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/list_document.h"

namespace halvorn {

// For movements "down" is the negative direction (left, up), "up" the positive one.
enum class MacroAction { kDown, kUp };

// Event types.
inline constexpr int kMacroKey = 10;
inline constexpr int kMacroModifier = 9;
inline constexpr int kMacroMouseButton = 1;
inline constexpr int kMacroMoveX = 4;
inline constexpr int kMacroMoveY = 5;

inline constexpr int kMaxMacroDelay = 65535;

// One step of a macro: {"Action": "down"/"up", "Type", "Button", "Delay"}.
struct MacroEvent {
    MacroAction action = MacroAction::kDown;
    int type = 0;
    int button = 0;  // key usage, modifier bit, button bit or distance in pixels
    int delay = 0;   // milliseconds to wait after the action, 0 to kMaxMacroDelay

    bool operator==(const MacroEvent&) const = default;
};

// The delay is written as a decimal string, clamped to 0 .. kMaxMacroDelay.
Json::Value MacroEventToJson(const MacroEvent& event);

// Members of the wrong type read as their defaults; an "Action" other than
// "up" reads as down.
MacroEvent MacroEventFromJson(const Json::Value& value);

// A stored delay: the decimal value of a string (leading digits, as far as
// they go) or a number, capped at kMaxMacroDelay; anything else, and a
// negative value, is 0.
int MacroDelayFromJson(const Json::Value& value);

enum class MacroResult {
    kDone,
    kRefused,      // the limit of 50 macros
    kInvalid,      // an index out of range, an unusable entry, an import that is not JSON
    kWriteFailed,  // a file could not be written; the index is as it was
};

enum class MacroRenameResult {
    kRenamed,
    kBlank,        // empty or white space only: refused silently
    kTaken,        // equal to a name of the list, its own included: "message_text_5"
    kInvalid,      // an index out of range or an unusable entry
    kWriteFailed,  // the index could not be written
};

class MacroStore {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    static constexpr int kMaxMacros = 50;
    static constexpr int kMaxEvents = 4000;  // the editor enforces it when adding
    static constexpr const char* kIndexFileName = "macro.config";
    static constexpr const char* kPadIndexFileName = "cavrel_macro.config";  // mouse pad, headset

    // `clock` (system time when empty) dates new identifiers.
    explicit MacroStore(std::filesystem::path dataFolder,
                        std::string indexFileName = kIndexFileName, Clock clock = {});

    // These re-read the index.
    std::vector<std::string> Names();
    int Count();
    // The identifier and the ".mac" path of entry `index`; empty when out of
    // range or unusable.
    std::string IdentifierAt(int index);
    std::filesystem::path MacroPathAt(int index);

    // Appends "macro_%d" (the smallest free number, names compared ignoring
    // case) with a new identifier; no ".mac" file is made until Save.
    MacroResult Add();

    // Sets the name in the index only; the ".mac" file keeps its old name
    // until the macro is next saved.
    MacroRenameResult Rename(int index, std::string_view name);

    // Deletes the ".mac" file (unless another entry names the same file) and
    // removes the entry; later entries move up by one.
    MacroResult Delete(int index);

    // Writes the ".mac" file: "MacroName" and "Guid" from the index, the
    // events in order and "Version" 64; other members of the file are kept.
    MacroResult Save(int index, const std::vector<MacroEvent>& events);

    // The events of the ".mac" file; empty when it is missing or broken.
    std::vector<MacroEvent> Read(int index);

    // Adds a macro as Add does and makes a copy of the file's text its ".mac"
    // file. The file must hold a JSON object.
    MacroResult Import(const std::filesystem::path& path);

    // Copies the ".mac" file's text to `path`; a macro never saved exports as
    // an empty macro.
    MacroResult Export(int index, const std::filesystem::path& path);

    std::filesystem::path IndexPath() const { return dataFolder_ / indexFileName_; }

private:
    Json::Value Load();
    std::filesystem::path MacroPath(const std::string& identifier) const;
    // The usable identifier of entry `index` of `doc`, or empty (traced).
    std::string UsableIdentifier(const Json::Value& doc, int index) const;
    MacroResult Append(Json::Value& doc, const std::string* text);

    std::filesystem::path dataFolder_;
    std::string indexFileName_;
    Clock clock_;
    ListDocument document_;
};

}  // namespace halvorn
