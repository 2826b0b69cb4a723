#pragma once

// A mouse's profile: the common records plus the DPI stages, the system
// options with the polling stage, and the correction entries.

#include <span>
#include <vector>

#include "profile/basic_profiledata.h"

namespace halvorn {

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Merges "DPIStages"."StageDPIs" into the list held: element i replaces
    // held stage i or is appended; held stages past the array's end stay, so
    // a profile with three stages after one with five still gives five.
    // "DPIStages"."StageActive" is read into the active stage first. Without
    // "DPIStages" the held list comes back unchanged.
    std::vector<DpiStageRecord> GetDpiStages();
    // Writes all seven members of every stage.
    void SetDpiStages(std::span<const DpiStageRecord> stages);
    // The active stage last read by GetDpiStages or set; 0 at construction.
    int32_t GetActiveDpiStage() const { return activeDpiStage_; }
    // Writes only "DPIStages"."StageActive".
    void SetActiveDpiStage(int32_t stage);

    // "SystemStages" and "ReportStages"."StageActive" (the polling stage).
    MouseSystemRecord GetMouseSystemStages();
    void SetMouseSystemStages(const MouseSystemRecord& record);

    // "CorrectInfo"; empty when missing. There is no setter.
    std::vector<CorrectRecord> GetCorrectInfo();

private:
    std::vector<DpiStageRecord> dpiStages_;
    int32_t activeDpiStage_ = 0;
    MouseSystemRecord systemStages_;
    std::vector<CorrectRecord> correctInfo_;
};

}  // namespace halvorn
