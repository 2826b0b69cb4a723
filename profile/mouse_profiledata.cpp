#include "profile/mouse_profiledata.h"

#include <algorithm>

#include "profile/json_fields.h"
#include "profile/record_json.h"

namespace halvorn {

std::vector<DpiStageRecord> CMouseProfiledata::GetDpiStages() {
    if (!HasMember(Root(), "DPIStages")) return dpiStages_;
    const Json::Value& dpi = MemberOf(Root(), "DPIStages");
    activeDpiStage_ = ReadInt<int32_t>(dpi, "StageActive");
    const Json::Value& stages = MemberOf(dpi, "StageDPIs");
    if (!stages.isArray()) return dpiStages_;
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
        const DpiStageRecord stage = DpiStageFromJson(stages[i]);
        if (i < dpiStages_.size()) {
            dpiStages_[i] = stage;
        } else {
            dpiStages_.push_back(stage);
        }
    }
    return dpiStages_;
}

void CMouseProfiledata::SetDpiStages(std::span<const DpiStageRecord> stages) {
    dpiStages_.assign(stages.begin(), stages.end());
    if (stages.empty()) return;
    Json::Value& list = ArrayMember(ObjectMember(MutableRoot(), "DPIStages"), "StageDPIs");
    const std::size_t count = std::min<std::size_t>(stages.size(), kMaxWrittenIndex + 1);
    for (std::size_t i = 0; i < count; ++i) {
        WriteDpiStage(ObjectElement(list, static_cast<Json::ArrayIndex>(i)), stages[i]);
    }
}

void CMouseProfiledata::SetActiveDpiStage(int32_t stage) {
    activeDpiStage_ = stage;
    WriteInt(ObjectMember(MutableRoot(), "DPIStages"), "StageActive", stage);
}

MouseSystemRecord CMouseProfiledata::GetMouseSystemStages() {
    systemStages_ = MouseSystemFromProfile(Root());
    return systemStages_;
}

void CMouseProfiledata::SetMouseSystemStages(const MouseSystemRecord& record) {
    systemStages_ = record;
    WriteMouseSystem(MutableRoot(), record);
}

std::vector<CorrectRecord> CMouseProfiledata::GetCorrectInfo() {
    correctInfo_.clear();
    const Json::Value& list = MemberOf(Root(), "CorrectInfo");
    if (list.isArray()) {
        correctInfo_.reserve(list.size());
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            correctInfo_.push_back(CorrectFromJson(list[i]));
        }
    }
    return correctInfo_;
}

}  // namespace halvorn
