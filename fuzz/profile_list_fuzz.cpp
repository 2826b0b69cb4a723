// Any bytes as "ProfileList.ini": the list operations neither crash nor touch
// a file outside the data folder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fs/json_file.h"
#include "profile/profile_list.h"

namespace {

namespace fs = std::filesystem;

struct Folders {
    fs::path root, data, defaults;
};

void RemoveRoot();

const Folders& TheFolders() {
    static const Folders folders = [] {
        std::string pattern = (fs::temp_directory_path() / "halvorn-fuzz-list-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        Folders f{pattern, fs::path(pattern) / "data", fs::path(pattern) / "defaults.Json"};
        Json::Value doc;
        doc["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Flat";
        if (!halvorn::WriteJsonFile(f.defaults, doc)) std::abort();
        return f;
    }();
    static const bool cleanup = [] { return std::atexit(RemoveRoot) == 0; }();
    (void)cleanup;
    return folders;
}

void RemoveRoot() {
    std::error_code error;
    fs::remove_all(TheFolders().root, error);
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvorn;
    const Folders& f = TheFolders();
    fs::remove_all(f.data);
    fs::create_directory(f.data);
    {
        std::ofstream out(f.data / ProfileList::kListFileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    ProfileList list(f.data, f.defaults, size > 0 && (data[0] & 1) ? 7 : 1);
    list.Init();
    const int count = list.Count();
    Check(static_cast<int>(list.Names().size()) == count);
    Check(count > 0 && list.SelectedIndex() >= 0 && list.SelectedIndex() < count);
    for (int i = -1; i <= count && i < 64; ++i) {
        const fs::path path = list.ProfilePathAt(i);
        Check(path.empty() || path.parent_path() == f.data);
        list.Select(i);
    }
    list.Add();
    list.Copy();
    list.Rename("renamed");
    list.Reset();
    list.Delete();
    Check(list.Count() > 0);

    // Nothing but the data folder and the defaults beside it.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(f.root)) {
        Check(entry.path() == f.data || entry.path() == f.defaults);
        ++entries;
    }
    Check(entries == 2);
    return 0;
}
