// Any bytes as "macro.config" or as a ".mac" file: the macro reads neither
// crash nor reach outside the data folder, and delays stay in range.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fs/json_file.h"
#include "profile/macro_store.h"

namespace {

namespace fs = std::filesystem;

void RemoveRoot();

const fs::path& TheRoot() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "halvorn-fuzz-macro-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }();
    static const bool cleanup = [] { return std::atexit(RemoveRoot) == 0; }();
    (void)cleanup;
    return root;
}

void RemoveRoot() {
    std::error_code error;
    fs::remove_all(TheRoot(), error);
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void WriteBytes(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
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
        WriteBytes(folder / MacroStore::kIndexFileName, data + 1, size - 1);
    } else {
        Json::Value index;
        index["MacroInfo"][0]["MacroName"] = "m";
        index["MacroInfo"][0]["Guid"] = "g";
        if (!WriteJsonFile(folder / MacroStore::kIndexFileName, index)) std::abort();
        WriteBytes(folder / "g.mac", data + 1, size - 1);
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
