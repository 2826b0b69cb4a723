#pragma once

// Conversions between the profile records and their JSON objects. Readers
// take any JSON value and read what is of the right type (see
// json_fields.h); writers store every member of the record into `object`,
// making it an object first and keeping members they do not know.

#include <json/value.h>

#include <cstdint>

#include "profile/profile_records.h"

namespace halvorn {

// "LightInfo": eleven members; bytes 8 to 10 read as 0.
LightModeRecord LightInfoFromJson(const Json::Value& object);
// A fresh "LightInfo" object.
Json::Value LightInfoToJson(const LightModeRecord& record);

// One "LightList" element; valid (byte 10) is 1 when the element is an
// object. A null element, or one of another type, gives all zeros.
LightModeRecord LightListEntryFromJson(const Json::Value& element);

// "AudioLightInfo".
AudioLightRecord AudioLightFromJson(const Json::Value& object);
Json::Value AudioLightToJson(const AudioLightRecord& record);

// One "LEDEffectList" element of a ".light" file.
LightEffectStep LightEffectStepFromJson(const Json::Value& element);

// One "KeyList" element at `position`: "Assignment" and "DefaultAssignment".
KeyAssignRecord KeyAssignFromJson(const Json::Value& element, uint16_t position);
// Stores "Assignment" only; "DefaultAssignment" belongs to the defaults.
void WriteKeyAssignment(Json::Value& element, const KeyAssignRecord& record);

// "SystemStages" of a keyboard profile.
KeyboardSystemRecord KeyboardSystemFromJson(const Json::Value& object);
void WriteKeyboardSystem(Json::Value& object, const KeyboardSystemRecord& record);

// The mouse's system record from the profile object: "SystemStages" and
// "ReportStages"."StageActive". All zero when "SystemStages" is missing, even
// when "ReportStages" exists; the polling stage is 0 when "ReportStages" is.
MouseSystemRecord MouseSystemFromProfile(const Json::Value& profile);
void WriteMouseSystem(Json::Value& profile, const MouseSystemRecord& record);

// One "DPIStages"."StageDPIs" element: all seven members.
DpiStageRecord DpiStageFromJson(const Json::Value& element);
void WriteDpiStage(Json::Value& element, const DpiStageRecord& record);

// One "CorrectInfo" element.
CorrectRecord CorrectFromJson(const Json::Value& element);

// One key of "CustomLightMode"."LightColorInfo"[group].
LightColorRecord LightColorFromJson(const Json::Value& element);
void WriteLightColor(Json::Value& element, const LightColorRecord& record);

// "SystemSetStages" of a headset profile.
HeadsetSystemRecord HeadsetSystemFromJson(const Json::Value& object);
void WriteHeadsetSystem(Json::Value& object, const HeadsetSystemRecord& record);

}  // namespace halvorn
