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

#include "profile/basic_profiledata.h"
#include "profile/light_effect_file.h"

namespace {

using namespace halvorn;
namespace fs = std::filesystem;

struct FuzzFiles {
    ~FuzzFiles() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    fs::path dir;
    fs::path config;  // the input as the light configuration
    fs::path light;   // the input as the ".light" file of the GUID "fuzz"
};

const FuzzFiles& Files() {
    static const FuzzFiles files = [] {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        const fs::path dir = base / ("halvorn-light-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        return FuzzFiles{dir, dir / "cavrel_light.config", dir / "fuzz.light"};
    }();
    return files;
}

void WriteInput(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteInput(Files().config, data, size);
    WriteInput(Files().light, data, size);

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
