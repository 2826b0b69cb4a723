#include "profile/record_json.h"

#include <array>

#include "profile/json_fields.h"

namespace halvorn {

namespace {

// One JSON member of a record whose fields share the type F.
template <class R, class F>
struct Field {
    const char* key;
    F R::*member;
    bool isBool = false;
};

template <class R, class F, std::size_t N>
void ReadFields(const Json::Value& object, R& record, const std::array<Field<R, F>, N>& fields) {
    for (const auto& field : fields) {
        record.*field.member = field.isBool ? static_cast<F>(ReadBool(object, field.key))
                                            : ReadInt<F>(object, field.key);
    }
}

template <class R, class F, std::size_t N>
void WriteFields(Json::Value& object, const R& record, const std::array<Field<R, F>, N>& fields) {
    for (const auto& field : fields) {
        if (field.isBool) {
            WriteBool(object, field.key, record.*field.member != 0);
        } else {
            WriteInt(object, field.key, record.*field.member);
        }
    }
}

using LM = LightModeRecord;
constexpr std::array<Field<LM, uint8_t>, 11> kLightInfoFields{{
    {"SelectItem", &LM::selectItem},
    {"Light", &LM::light},
    {"Speed", &LM::speed},
    {"Fx", &LM::fx},
    {"MultiColor", &LM::multiColor, true},
    {"Red", &LM::red},
    {"Green", &LM::green},
    {"Blue", &LM::blue},
    {"ZZCCLedMode", &LM::zzccLedMode},
    {"CustomGroup", &LM::customGroup},
    {"OldLedmode", &LM::oldLedMode},
}};

constexpr std::array<Field<LM, uint8_t>, 8> kLightListFields{{
    {"LEDREGMode", &LM::selectItem},
    {"LEDBrightness", &LM::light},
    {"LEDSpeed", &LM::speed},
    {"LEDDirection", &LM::fx, true},
    {"LEDMultiColor", &LM::multiColor, true},
    {"red", &LM::red},
    {"green", &LM::green},
    {"blue", &LM::blue},
}};

using AL = AudioLightRecord;
constexpr std::array<Field<AL, uint8_t>, 9> kAudioLightFields{{
    {"AudioMode", &AL::audioMode},
    {"BkColorR", &AL::backRed},
    {"BkColorG", &AL::backGreen},
    {"BkColorB", &AL::backBlue},
    {"FgColorR", &AL::foreRed},
    {"FgColorG", &AL::foreGreen},
    {"FgColorB", &AL::foreBlue},
    {"7ColorFlags", &AL::sevenColorFlags, true},
    {"ColorTypeFlags", &AL::colorTypeFlags, true},
}};

using ES = LightEffectStep;
constexpr std::array<Field<ES, uint8_t>, 8> kEffectByteFields{{
    {"LEDREGMode", &ES::mode},
    {"LEDBrightness", &ES::brightness},
    {"LEDSpeed", &ES::speed},
    {"LEDDirection", &ES::direction},
    {"LEDMultiColor", &ES::multiColor},
    {"red", &ES::red},
    {"green", &ES::green},
    {"blue", &ES::blue},
}};
constexpr std::array<Field<ES, int32_t>, 2> kEffectIntFields{{
    {"Time", &ES::time},
    {"Cyle", &ES::cycle},
}};

using KS = KeyboardSystemRecord;
constexpr std::array<Field<KS, uint16_t>, 6> kKeyboardSystemFields{{
    {"Repeat", &KS::repeat},
    {"RepeatDelay", &KS::repeatDelay},
    {"Key6Flag", &KS::key6Flag},
    {"PollingRate", &KS::pollingRate},
    {"WFlag", &KS::wFlag},
    {"WinFlag", &KS::winFlag},
}};

using MS = MouseSystemRecord;
constexpr std::array<Field<MS, uint16_t>, 5> kMouseSystemFields{{
    {"DoubleClickTime", &MS::doubleClickTime},
    {"MouseSpeed", &MS::mouseSpeed},
    {"PointerPrecision", &MS::pointerPrecision},
    {"ScorllPage", &MS::scrollPage},
    {"WheelScorlllinse", &MS::wheelScrollLines},
}};

using DS = DpiStageRecord;
constexpr std::array<Field<DS, uint8_t>, 5> kDpiByteFields{{
    {"StageActive", &DS::active},
    {"StageXY", &DS::xy},
    {"StageColorR", &DS::red},
    {"StageColorG", &DS::green},
    {"StageColorB", &DS::blue},
}};

using CR = CorrectRecord;
constexpr std::array<Field<CR, uint8_t>, 3> kCorrectFields{{
    {"CorrectPixThresh", &CR::pixThresh},
    {"CorrectMinSq", &CR::minSq},
    {"CorrectSelect", &CR::select},
}};

using LC = LightColorRecord;
constexpr std::array<Field<LC, uint8_t>, 5> kLightColorFields{{
    {"Red", &LC::red},
    {"Green", &LC::green},
    {"Blue", &LC::blue},
    {"Alpha", &LC::alpha},
    {"IsBright", &LC::isBright},
}};

using HS = HeadsetSystemRecord;
constexpr std::array<Field<HS, int32_t>, 8> kHeadsetSystemFields{{
    {"MagicEnable", &HS::magicEnable},
    {"MagicType", &HS::magicType},
    {"EqType", &HS::eqType},
    {"CustomEqSeletIndex", &HS::customEqSelectIndex},
    {"MicInSelect", &HS::micInSelect},
    {"MicInValue", &HS::micInValue},
    {"MicMoniterSelect", &HS::micMonitorSelect},
    {"MicMoniterValue", &HS::micMonitorValue},
}};

}  // namespace

LightModeRecord LightInfoFromJson(const Json::Value& object) {
    LightModeRecord record;
    ReadFields(object, record, kLightInfoFields);
    return record;
}

Json::Value LightInfoToJson(const LightModeRecord& record) {
    Json::Value object(Json::objectValue);
    WriteFields(object, record, kLightInfoFields);
    return object;
}

LightModeRecord LightListEntryFromJson(const Json::Value& element) {
    LightModeRecord record;
    if (!element.isObject()) return record;
    ReadFields(element, record, kLightListFields);
    record.valid = 1;
    return record;
}

AudioLightRecord AudioLightFromJson(const Json::Value& object) {
    AudioLightRecord record;
    ReadFields(object, record, kAudioLightFields);
    return record;
}

Json::Value AudioLightToJson(const AudioLightRecord& record) {
    Json::Value object(Json::objectValue);
    WriteFields(object, record, kAudioLightFields);
    return object;
}

LightEffectStep LightEffectStepFromJson(const Json::Value& element) {
    LightEffectStep step;
    ReadFields(element, step, kEffectByteFields);
    ReadFields(element, step, kEffectIntFields);
    return step;
}

KeyAssignRecord KeyAssignFromJson(const Json::Value& element, uint16_t position) {
    KeyAssignRecord record;
    record.position = position;
    record.assignment = KeyCode::FromPacked(ReadInt<uint32_t>(element, "Assignment"));
    record.defaultAssignment = KeyCode::FromPacked(ReadInt<uint32_t>(element, "DefaultAssignment"));
    return record;
}

void WriteKeyAssignment(Json::Value& element, const KeyAssignRecord& record) {
    WriteInt(element, "Assignment", record.assignment.Packed());
}

KeyboardSystemRecord KeyboardSystemFromJson(const Json::Value& object) {
    KeyboardSystemRecord record;
    ReadFields(object, record, kKeyboardSystemFields);
    return record;
}

void WriteKeyboardSystem(Json::Value& object, const KeyboardSystemRecord& record) {
    WriteFields(object, record, kKeyboardSystemFields);
}

MouseSystemRecord MouseSystemFromProfile(const Json::Value& profile) {
    MouseSystemRecord record;
    if (!HasMember(profile, "SystemStages")) return record;
    ReadFields(MemberOf(profile, "SystemStages"), record, kMouseSystemFields);
    record.pollingStage = ReadInt<uint16_t>(MemberOf(profile, "ReportStages"), "StageActive");
    return record;
}

void WriteMouseSystem(Json::Value& profile, const MouseSystemRecord& record) {
    WriteFields(ObjectMember(profile, "SystemStages"), record, kMouseSystemFields);
    WriteInt(ObjectMember(profile, "ReportStages"), "StageActive", record.pollingStage);
}

DpiStageRecord DpiStageFromJson(const Json::Value& element) {
    DpiStageRecord record;
    ReadFields(element, record, kDpiByteFields);
    record.SetDpiX(ReadInt<uint16_t>(element, "StageDPIX"));
    record.SetDpiY(ReadInt<uint16_t>(element, "StageDPIY"));
    return record;
}

void WriteDpiStage(Json::Value& element, const DpiStageRecord& record) {
    WriteInt(element, "StageActive", record.active);
    WriteInt(element, "StageXY", record.xy);
    WriteInt(element, "StageDPIX", record.DpiX());
    WriteInt(element, "StageDPIY", record.DpiY());
    WriteInt(element, "StageColorR", record.red);
    WriteInt(element, "StageColorG", record.green);
    WriteInt(element, "StageColorB", record.blue);
}

CorrectRecord CorrectFromJson(const Json::Value& element) {
    CorrectRecord record;
    ReadFields(element, record, kCorrectFields);
    record.name = ReadString(element, "CorrectName");
    return record;
}

LightColorRecord LightColorFromJson(const Json::Value& element) {
    LightColorRecord record;
    ReadFields(element, record, kLightColorFields);
    return record;
}

void WriteLightColor(Json::Value& element, const LightColorRecord& record) {
    WriteFields(element, record, kLightColorFields);
}

HeadsetSystemRecord HeadsetSystemFromJson(const Json::Value& object) {
    HeadsetSystemRecord record;
    ReadFields(object, record, kHeadsetSystemFields);
    return record;
}

void WriteHeadsetSystem(Json::Value& object, const HeadsetSystemRecord& record) {
    WriteFields(object, record, kHeadsetSystemFields);
}

}  // namespace halvorn
