#include "tools/vdev/firmware_factory.h"

#include <initializer_list>

#include "tools/vdev/keyboard_firmware.h"

namespace halvorn::vdev {

namespace {

// Reads one integer option into `out` when present; false on a bad value.
template <typename T>
bool ReadInt(const Json::Value& options, const char* key, long min, long max, T& out,
             std::string& error) {
    if (!options.isMember(key)) return true;
    const Json::Value& value = options[key];
    if (!value.isInt64() || value.asInt64() < min || value.asInt64() > max) {
        error = std::string("option ") + key + " must be an integer from " + std::to_string(min) +
                " to " + std::to_string(max);
        return false;
    }
    out = static_cast<T>(value.asInt64());
    return true;
}

bool ReadBool(const Json::Value& options, const char* key, bool& out, std::string& error) {
    if (!options.isMember(key)) return true;
    if (!options[key].isBool()) {
        error = std::string("option ") + key + " must be true or false";
        return false;
    }
    out = options[key].asBool();
    return true;
}

bool OnlyKnownKeys(const Json::Value& options, std::initializer_list<const char*> known,
                   std::string& error) {
    for (const std::string& name : options.getMemberNames()) {
        bool found = false;
        for (const char* key : known) found = found || name == key;
        if (!found) {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

std::unique_ptr<Firmware> MakeKeyboardFromJson(const Json::Value& options, std::string& error) {
    KeyboardOptions o;
    bool ok = OnlyKnownKeys(options,
                            {"vendorId", "productId", "version", "keyCount", "macroUnits",
                             "profileCount", "hasFnKey", "receiverLinked"},
                            error) &&
              ReadInt(options, "vendorId", 0, 0xFFFF, o.vendorId, error) &&
              ReadInt(options, "productId", 0, 0xFFFF, o.productId, error) &&
              ReadInt(options, "version", 0, 0xFFFF, o.version, error) &&
              ReadInt(options, "keyCount", 0, 255, o.keyCount, error) &&
              ReadInt(options, "macroUnits", 0, 255, o.macroUnits, error) &&
              ReadInt(options, "profileCount", 1, 16, o.profileCount, error) &&
              ReadBool(options, "hasFnKey", o.hasFnKey, error) &&
              ReadBool(options, "receiverLinked", o.receiverLinked, error);
    return ok ? MakeKeyboard(o) : nullptr;
}

struct Kind {
    const char* name;
    std::unique_ptr<Firmware> (*make)(const Json::Value&, std::string&);
};

constexpr Kind kKinds[] = {
    {"keyboard", MakeKeyboardFromJson},
};

}  // namespace

std::vector<std::string> FirmwareKinds() {
    std::vector<std::string> names;
    for (const Kind& kind : kKinds) names.emplace_back(kind.name);
    return names;
}

std::unique_ptr<Firmware> MakeFirmware(const std::string& kind, const Json::Value& options,
                                       std::string& error) {
    if (!options.isNull() && !options.isObject()) {
        error = "options must be a JSON object";
        return nullptr;
    }
    Json::Value object = options.isNull() ? Json::Value(Json::objectValue) : options;
    for (const Kind& known : kKinds) {
        if (kind == known.name) return known.make(object, error);
    }
    error = "unknown device kind " + kind;
    return nullptr;
}

}  // namespace halvorn::vdev
