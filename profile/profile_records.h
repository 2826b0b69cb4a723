#pragma once

// The fixed-width records of a device profile. They are what the profile
// object hands to device classes and panels: plain values, copied freely,
// all zero when default-constructed. The byte layouts matter where a device
// class copies a record into a memory image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace halvorn {

// One light mode: "LightInfo" of a profile and each element of "LightList".
//   byte  LightInfo member   LightList member
//    0    "SelectItem"       "LEDREGMode"     selected effect (index into the effect list)
//    1    "Light"            "LEDBrightness"  brightness level
//    2    "Speed"            "LEDSpeed"       speed level
//    3    "Fx"               "LEDDirection"   direction or variant (bool in "LightList")
//    4    "MultiColor"       "LEDMultiColor"  colour cycle on/off (bool)
//    5-7  "Red" "Green" "Blue"  "red" "green" "blue"
//    8-9  not stored
//    10   not stored         valid: 1 when the "LightList" element is an object
//    11   "ZZCCLedMode"      not stored
//    12   "CustomGroup"      not stored       keyboard custom per-key colour group
//    13   "OldLedmode"       not stored
struct LightModeRecord {
    uint8_t selectItem = 0;
    uint8_t light = 0;
    uint8_t speed = 0;
    uint8_t fx = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    std::array<uint8_t, 2> unused{};
    uint8_t valid = 0;
    uint8_t zzccLedMode = 0;
    uint8_t customGroup = 0;
    uint8_t oldLedMode = 0;

    bool operator==(const LightModeRecord&) const = default;
};
static_assert(sizeof(LightModeRecord) == 14);
static_assert(offsetof(LightModeRecord, valid) == 10);
static_assert(offsetof(LightModeRecord, oldLedMode) == 13);

// "AudioLightInfo": the music lighting of a keyboard, 9 bytes in member order.
struct AudioLightRecord {
    uint8_t audioMode = 0;        // "AudioMode"
    uint8_t backRed = 0;          // "BkColorR"
    uint8_t backGreen = 0;        // "BkColorG"
    uint8_t backBlue = 0;         // "BkColorB"
    uint8_t foreRed = 0;          // "FgColorR"
    uint8_t foreGreen = 0;        // "FgColorG"
    uint8_t foreBlue = 0;         // "FgColorB"
    uint8_t sevenColorFlags = 0;  // "7ColorFlags" (bool)
    uint8_t colorTypeFlags = 0;   // "ColorTypeFlags" (bool)

    bool operator==(const AudioLightRecord&) const = default;
};
static_assert(sizeof(AudioLightRecord) == 9);

// One element of "LEDEffectList" in a ".light" file, played in list order.
struct LightEffectStep {
    uint8_t mode = 0;        // "LEDREGMode"
    uint8_t brightness = 0;  // "LEDBrightness"
    uint8_t speed = 0;       // "LEDSpeed"
    uint8_t direction = 0;   // "LEDDirection"
    uint8_t multiColor = 0;  // "LEDMultiColor"
    uint8_t red = 0;         // "red"
    uint8_t green = 0;       // "green"
    uint8_t blue = 0;        // "blue"
    int32_t time = 0;        // "Time"
    int32_t cycle = 0;       // "Cyle"

    bool operator==(const LightEffectStep&) const = default;
};

// A key code of three bytes; in JSON one integer type << 16 | high << 8 | low.
struct KeyCode {
    uint8_t type = 0;
    uint8_t high = 0;
    uint8_t low = 0;

    constexpr uint32_t Packed() const {
        return static_cast<uint32_t>(type) << 16 | static_cast<uint32_t>(high) << 8 | low;
    }
    // Bits above the 24 of the code are dropped.
    static constexpr KeyCode FromPacked(uint32_t value) {
        return {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                static_cast<uint8_t>(value)};
    }
    bool operator==(const KeyCode&) const = default;
};

// One element of "KeyList": "Assignment" and "DefaultAssignment".
struct KeyAssignRecord {
    uint16_t position = 0;  // index in "KeyList"
    KeyCode assignment;
    KeyCode defaultAssignment;

    bool operator==(const KeyAssignRecord&) const = default;
};

// "SystemStages" of a keyboard profile.
struct KeyboardSystemRecord {
    uint16_t repeat = 0;       // "Repeat"
    uint16_t repeatDelay = 0;  // "RepeatDelay"
    uint16_t key6Flag = 0;     // "Key6Flag": six-key rollover
    uint16_t pollingRate = 0;  // "PollingRate"
    uint16_t wFlag = 0;        // "WFlag"
    uint16_t winFlag = 0;      // "WinFlag": Windows key lock

    bool operator==(const KeyboardSystemRecord&) const = default;
};

// "SystemStages" of a mouse profile, plus "ReportStages"."StageActive".
struct MouseSystemRecord {
    uint16_t doubleClickTime = 0;   // "DoubleClickTime"
    uint16_t mouseSpeed = 0;        // "MouseSpeed"
    uint16_t pointerPrecision = 0;  // "PointerPrecision"
    uint16_t scrollPage = 0;        // "ScorllPage"
    uint16_t wheelScrollLines = 0;  // "WheelScorlllinse"
    uint16_t pollingStage = 0;      // "ReportStages"."StageActive"

    bool operator==(const MouseSystemRecord&) const = default;
};

// One element of "DPIStages"."StageDPIs". The resolutions are kept as
// low byte then high byte, as the mouse's settings block holds them.
struct DpiStageRecord {
    uint8_t active = 0;             // "StageActive"
    uint8_t xy = 0;                 // "StageXY": separate X and Y resolution
    std::array<uint8_t, 2> dpiX{};  // "StageDPIX"
    std::array<uint8_t, 2> dpiY{};  // "StageDPIY"
    uint8_t red = 0;                // "StageColorR"
    uint8_t green = 0;              // "StageColorG"
    uint8_t blue = 0;               // "StageColorB"

    constexpr uint16_t DpiX() const { return static_cast<uint16_t>(dpiX[0] | dpiX[1] << 8); }
    constexpr uint16_t DpiY() const { return static_cast<uint16_t>(dpiY[0] | dpiY[1] << 8); }
    constexpr void SetDpiX(uint16_t v) {
        dpiX = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    }
    constexpr void SetDpiY(uint16_t v) {
        dpiY = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    }
    bool operator==(const DpiStageRecord&) const = default;
};
static_assert(sizeof(DpiStageRecord) == 9);

// One element of "CorrectInfo". The name is valid UTF-8.
struct CorrectRecord {
    uint8_t pixThresh = 0;  // "CorrectPixThresh"
    uint8_t minSq = 0;      // "CorrectMinSq"
    uint8_t select = 0;     // "CorrectSelect"
    std::string name;       // "CorrectName"

    bool operator==(const CorrectRecord&) const = default;
};

// One key's colour in a keyboard's custom light mode.
struct LightColorRecord {
    uint8_t red = 0;       // "Red"
    uint8_t green = 0;     // "Green"
    uint8_t blue = 0;      // "Blue"
    uint8_t alpha = 0;     // "Alpha"
    uint8_t isBright = 0;  // "IsBright"

    bool operator==(const LightColorRecord&) const = default;
};

// "SystemSetStages" of a headset profile.
struct HeadsetSystemRecord {
    int32_t magicEnable = 0;          // "MagicEnable"
    int32_t magicType = 0;            // "MagicType"
    int32_t eqType = 0;               // "EqType"
    int32_t customEqSelectIndex = 0;  // "CustomEqSeletIndex"
    int32_t micInSelect = 0;          // "MicInSelect"
    int32_t micInValue = 0;           // "MicInValue"
    int32_t micMonitorSelect = 0;     // "MicMoniterSelect"
    int32_t micMonitorValue = 0;      // "MicMoniterValue"

    bool operator==(const HeadsetSystemRecord&) const = default;
};

// Equaliser bands: "EQHzValueInfo"[slot] and "CustomEQHzValueInfo"[n] each
// hold ten {"value"} objects.
inline constexpr std::size_t kEqBandCount = 10;
using EqBands = std::array<int32_t, kEqBandCount>;

// Equaliser type 13 is the custom equaliser: it has no slot of its own.
inline constexpr int kCustomEqType = 13;

}  // namespace halvorn
