// Profile files of any content, loaded by every profile class and read with
// every getter, then written back through the setters: no crash, no throw
// from the JSON library, no unbounded growth.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/fuzz_folder.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "profile/zo6533_profiledata.h"

namespace {

using namespace halvorn;
namespace fs = std::filesystem;

struct FuzzFiles {
    fuzz::FuzzFolder dir{"profile-fuzz"};
    fs::path input =
        dir / "input.Json";  // the fuzz input: profile file and default profile file at once
    fs::path output = dir / "output.Json";  // where the edited profile is saved
};

const FuzzFiles& Files() {
    static const FuzzFiles files;
    return files;
}

void LoadInto(CBasicProfiledata& profile) {
    profile.SetDefaultProfilePath(Files().input);
    profile.SetProfilePath(Files().input);
    profile.SetDeviceIndex(0);
    profile.LoadProfile(profile.GetProfilePath());
    profile.LoadSecondaryProfile(Files().input);
}

void CommonRecords(CBasicProfiledata& profile) {
    const LightModeRecord light = profile.GetLightInfo();
    const AudioLightRecord audio = profile.GetAudioLightInfo();
    profile.GetLightList();
    const std::vector<KeyAssignRecord> keys = profile.GetKeyList();
    const std::vector<KeyAssignRecord> secondary = profile.GetSecondaryKeyList();
    profile.SetLightInfo(light);
    profile.SetAudioLightInfo(audio);
    profile.SetKeyList(keys);
    profile.SetSecondaryKeyList(secondary);
}

void Keyboard() {
    CKeyboardProfiledata profile;
    LoadInto(profile);
    CommonRecords(profile);
    profile.SetSystemStages(profile.GetSystemStages());
    const int32_t group = profile.GetCustomLightGroupIndex();
    const std::vector<LightColorRecord> colors = profile.GetCustomLightColors(group, 24);
    profile.GetCustomLightColors(profile.GetLightInfo().customGroup, 8);
    profile.SetCustomLightColors(colors, group);
    profile.SetCustomLightGroupIndex(group);
    profile.SaveProfileTo(profile.Root(), Files().output);
}

void Mouse() {
    CMouseProfiledata profile;
    LoadInto(profile);
    CommonRecords(profile);
    const std::vector<DpiStageRecord> stages = profile.GetDpiStages();
    profile.SetDpiStages(stages);
    profile.SetActiveDpiStage(profile.GetActiveDpiStage());
    profile.SetMouseSystemStages(profile.GetMouseSystemStages());
    profile.GetCorrectInfo();
    profile.SaveProfileTo(profile.Root(), Files().output);
}

void Headset() {
    CZo6533Profiledata profile;
    LoadInto(profile);
    CommonRecords(profile);
    const HeadsetSystemRecord system = profile.GetSystemSetStages();
    profile.SetSystemSetStages(system);
    const std::vector<int32_t> bands = profile.GetEqValues(system.eqType);
    profile.SetEqValues(system.eqType, bands);
    const std::vector<int32_t> custom = profile.GetCustomEqValues(system.customEqSelectIndex);
    profile.SetCustomEqValues(system.customEqSelectIndex, custom);
    for (int type = 0; type <= 14; ++type) profile.GetEqValues(type);
    profile.SetCustomEqNames(profile.GetCustomEqNames());
    profile.SaveSecondaryTo(Files().output);
    profile.SaveProfile();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto write = [&] { fuzz::WriteInput(Files().input, data, size); };
    // Each class starts from the input itself, not from another's repair.
    write();
    Keyboard();
    write();
    Mouse();
    write();
    Headset();
    CBasicProfiledata pad;
    write();
    LoadInto(pad);
    CommonRecords(pad);
    pad.SaveProfile();
    return 0;
}
