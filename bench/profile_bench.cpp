// Loading and saving a full keyboard profile: 126 key assignments and five
// groups of 170 per-key colours, as the device does on start-up, on every
// profile switch and after every change in a panel. A save is a
// read-modify-write of the whole file with a synced, atomic replace.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fs/json_file.h"
#include "profile/keyboard_profiledata.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;

constexpr int kKeys = 126;
constexpr int kColorKeys = 170;
constexpr int kColorGroups = 5;

Json::Value KeyboardProfile() {
    Json::Value p;
    Json::Value& light = p["LightInfo"];
    for (const char* key : {"SelectItem", "Light", "Speed", "Fx", "MultiColor", "Red", "Green",
                            "Blue", "ZZCCLedMode", "CustomGroup", "OldLedmode"}) {
        light[key] = 1;
    }
    for (Json::ArrayIndex i = 0; i < 20; ++i) {
        Json::Value& mode = p["LightList"][i];
        for (const char* key : {"LEDREGMode", "LEDBrightness", "LEDSpeed", "LEDDirection",
                                "LEDMultiColor", "red", "green", "blue"}) {
            mode[key] = static_cast<Json::Int>(i);
        }
    }
    for (const char* key : {"AudioMode", "BkColorR", "BkColorG", "BkColorB", "FgColorR", "FgColorG",
                            "FgColorB", "7ColorFlags", "ColorTypeFlags"}) {
        p["AudioLightInfo"][key] = 0;
    }
    for (Json::ArrayIndex i = 0; i < kKeys; ++i) {
        p["KeyList"][i]["Assignment"] = static_cast<Json::Int>(0x200000 + i);
        p["KeyList"][i]["DefaultAssignment"] = static_cast<Json::Int>(0x200000 + i);
    }
    for (const char* key :
         {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"}) {
        p["SystemStages"][key] = 1;
    }
    p["CustomLightMode"]["CustomLightModeGroupIndex"] = 2;
    for (Json::ArrayIndex g = 0; g < kColorGroups; ++g) {
        for (Json::ArrayIndex k = 0; k < kColorKeys; ++k) {
            Json::Value& c = p["CustomLightMode"]["LightColorInfo"][g][k];
            c["Red"] = static_cast<Json::Int>(k % 256);
            c["Green"] = static_cast<Json::Int>(g * 40);
            c["Blue"] = 255;
            c["Alpha"] = 255;
            c["IsBright"] = 1;
        }
    }
    return p;
}

struct ProfileFiles {
    ProfileFiles() {
        dir = fs::temp_directory_path() / ("halvorn-profile-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        profile = dir / "2024_05_07_13_02_45_120.Json";
        Json::Value doc;
        doc["Device"][0] = KeyboardProfile();
        doc["profilename"] = "profile1";
        doc["profileUUID"] = "2024_05_07_13_02_45_120";
        WriteJsonFile(profile, doc);
        WriteJsonFile(dir / "keyboard.Json", doc);
    }
    ~ProfileFiles() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    fs::path dir;
    fs::path profile;
};

void LoadKeyboard(CKeyboardProfiledata& data) {
    data.LoadProfile(data.GetProfilePath());
    benchmark::DoNotOptimize(data.GetLightInfo());
    benchmark::DoNotOptimize(data.GetAudioLightInfo());
    benchmark::DoNotOptimize(data.GetLightList());
    benchmark::DoNotOptimize(data.GetKeyList());
    benchmark::DoNotOptimize(data.GetSystemStages());
    benchmark::DoNotOptimize(
        data.GetCustomLightColors(data.GetCustomLightGroupIndex(), kColorKeys));
}

CKeyboardProfiledata MakeProfile(const ProfileFiles& files) {
    CKeyboardProfiledata data;
    data.SetDefaultProfilePath(files.dir / "keyboard.Json");
    data.SetProfilePath(files.profile);
    data.SetDeviceIndex(0);
    return data;
}

// Load and every getter the keyboard calls after it.
void ProfileLoadKeyboard(benchmark::State& state) {
    ProfileFiles files;
    CKeyboardProfiledata data = MakeProfile(files);
    for (auto _ : state) LoadKeyboard(data);
}
BENCHMARK(ProfileLoadKeyboard)->Unit(benchmark::kMicrosecond);

// One panel change: the key list and a colour group set, then the save.
void ProfileSaveKeyboard(benchmark::State& state) {
    ProfileFiles files;
    CKeyboardProfiledata data = MakeProfile(files);
    LoadKeyboard(data);
    std::vector<KeyAssignRecord> keys = data.GetKeyList();
    std::vector<LightColorRecord> colors = data.GetCustomLightColors(2, kColorKeys);
    uint8_t n = 0;
    for (auto _ : state) {
        keys[5].assignment.low = ++n;
        colors[7].red = n;
        data.SetKeyList(keys);
        data.SetCustomLightColors(colors, 2);
        benchmark::DoNotOptimize(data.SaveProfile());
    }
}
BENCHMARK(ProfileSaveKeyboard)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace halvorn
