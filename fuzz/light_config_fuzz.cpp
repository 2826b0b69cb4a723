// Light configurations and ".light" files of any content: every custom mode
// of every device index is looked up and its effect file read. No crash, no
// throw, and no file outside the configuration's folder unless named by a
// full path.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "fuzz/fuzz_folder.h"
#include "profile/basic_profiledata.h"
#include "profile/light_effect_file.h"

namespace {

using namespace halvorn;
namespace fs = std::filesystem;

struct FuzzFiles {
    fuzz::FuzzFolder dir{"light-fuzz"};
    fs::path config = dir / "cavrel_light.config";  // the input as the light configuration
    fs::path light = dir / "fuzz.light";  // the input as the ".light" file of the GUID "fuzz"
};

const FuzzFiles& Files() {
    static const FuzzFiles files;
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::WriteInput(Files().config, data, size);
    fuzz::WriteInput(Files().light, data, size);

    ReadLightEffectFile(Files().light);
    for (int device = 0; device < 3; ++device) {
        CBasicProfiledata profile;
        profile.SetDeviceIndex(device);
        profile.SetLightConfigPath(Files().config);
        profile.LoadLightConfig(profile.GetLightConfigPath());
        for (int mode = 0; mode < 8; ++mode) {
            profile.SetLightInfo(LightModeRecord{.selectItem = static_cast<uint8_t>(mode)});
            profile.GetCustomLightEffects();
        }
    }
    return 0;
}
