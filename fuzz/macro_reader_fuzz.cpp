// Any bytes as "macro.config" or as a ".mac" file: the macro reads neither
// crash nor reach outside the data folder, and delays stay in range.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "platform/fs/json_file.h"
#include "profile/macro_store.h"

namespace {

namespace fs = std::filesystem;

const fs::path& TheRoot() {
    static const halvorn::fuzz::FuzzFolder root("macro-fuzz");
    return root.Path();
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvorn;
    if (size == 0) return 0;
    const fs::path folder = TheRoot() / "data";
    fs::remove_all(folder);
    fs::create_directory(folder);

    // The first byte picks which file the rest of the input becomes.
    if (data[0] & 1) {
        fuzz::WriteInput(folder / MacroStore::kIndexFileName, data + 1, size - 1);
    } else {
        Json::Value index;
        index["MacroInfo"][0]["MacroName"] = "m";
        index["MacroInfo"][0]["Guid"] = "g";
        if (!WriteJsonFile(folder / MacroStore::kIndexFileName, index)) std::abort();
        fuzz::WriteInput(folder / "g.mac", data + 1, size - 1);
    }

    MacroStore store(folder);
    const int count = store.Count();
    Check(static_cast<int>(store.Names().size()) == count);
    for (int i = -1; i <= count && i < 64; ++i) {
        const fs::path path = store.MacroPathAt(i);
        Check(path.empty() || path.parent_path() == folder);
        for (const MacroEvent& event : store.Read(i)) {
            Check(event.delay >= 0 && event.delay <= kMaxMacroDelay);
        }
    }
    store.Add();
    store.Rename(0, "renamed");
    store.Delete(0);

    int entries = 0;
    for (const auto& entry : fs::directory_iterator(TheRoot())) {
        Check(entry.path() == folder);
        ++entries;
    }
    Check(entries == 1);
    return 0;
}
