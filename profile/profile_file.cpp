#include "profile/profile_file.h"

#include <system_error>

#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"
#include "profile/json_fields.h"

namespace halvorn {

namespace {

// The document as read and whether it can take a new "Device" element
// without losing anything.
struct ProfileDocument {
    Json::Value root;
    bool keepable = true;
};

ProfileDocument ReadProfileDocument(const std::filesystem::path& path) {
    ProfileDocument doc;
    const std::string text = ReadJsonFile(path);
    if (text.empty()) {
        Trace("ParseJsonFile: " + path.string());
        return doc;
    }
    if (!ParseJsonText(text, doc.root)) {
        doc.root = Json::Value();
        doc.keepable = false;
        return doc;
    }
    const Json::Value& device = MemberOf(doc.root, "Device");
    doc.keepable = doc.root.isObject() && (device.isNull() || device.isArray());
    return doc;
}

// Puts `value` at "Device"[index], replacing whatever is in the way.
void PlaceElement(Json::Value& root, const Json::Value& value, Json::ArrayIndex index) {
    ArrayMember(root, "Device")[index] = value;
}

}  // namespace

Json::Value ParseJsonFile(const std::filesystem::path& path) {
    ProfileDocument doc = ReadProfileDocument(path);
    return std::move(doc.root);
}

Json::Value LoadProfileElement(const std::filesystem::path& path,
                               const std::filesystem::path& defaultPath,
                               Json::ArrayIndex deviceIndex) {
    ProfileDocument doc = ReadProfileDocument(path);
    const Json::Value& element = ElementOf(MemberOf(doc.root, "Device"), deviceIndex);
    if (element.isObject()) {
        // Taken out of the document rather than copied: the document is ours.
        Json::Value profile;
        profile.swap(doc.root["Device"][deviceIndex]);
        return profile;
    }
    if (!element.isNull()) doc.keepable = false;

    const Json::Value defaults = ParseJsonFile(defaultPath);
    const Json::Value& fallback = ElementOf(MemberOf(defaults, "Device"), deviceIndex);
    Json::Value profile = fallback.isObject() ? fallback : Json::Value();

    if (path.lexically_normal() == defaultPath.lexically_normal()) return profile;
    if (!doc.keepable) KeepBrokenCopy(path);
    PlaceElement(doc.root, profile, deviceIndex);
    if (!WriteJsonFile(path, doc.root)) Trace("profile repair not written: " + path.string());
    return profile;
}

bool StoreProfileElement(const std::filesystem::path& path, const Json::Value& value,
                         Json::ArrayIndex deviceIndex) {
    ProfileDocument doc = ReadProfileDocument(path);
    if (!doc.keepable) KeepBrokenCopy(path);
    PlaceElement(doc.root, value, deviceIndex);
    return WriteJsonFile(path, doc.root);
}

}  // namespace halvorn
