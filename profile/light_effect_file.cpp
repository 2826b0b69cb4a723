#include "profile/light_effect_file.h"

#include "profile/json_fields.h"
#include "profile/profile_file.h"
#include "profile/record_json.h"

namespace halvorn {

std::optional<std::filesystem::path> LightEffectFilePath(std::string_view guid,
                                                         const std::filesystem::path& dataFolder) {
    if (guid.empty() || guid.find('\0') != std::string_view::npos) return std::nullopt;
    std::string name(guid);
    name += ".light";
    if (guid.front() == '/') return std::filesystem::path(name);
    if (guid == "." || guid == ".." || guid.find_first_of("/\\") != std::string_view::npos) {
        return std::nullopt;
    }
    if (dataFolder.empty()) return std::nullopt;
    return dataFolder / name;
}

std::vector<LightEffectStep> ReadLightEffectFile(const std::filesystem::path& file) {
    const Json::Value doc = ParseJsonFile(file);
    const Json::Value& list = MemberOf(doc, "LEDEffectList");
    std::vector<LightEffectStep> steps;
    if (!list.isArray()) return steps;
    steps.reserve(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        steps.push_back(LightEffectStepFromJson(list[i]));
    }
    return steps;
}

}  // namespace halvorn
