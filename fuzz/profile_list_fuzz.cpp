// Any bytes as "ProfileList.ini": the list operations neither crash nor touch
// a file outside the data folder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_folder.h"
#include "platform/fs/json_file.h"
#include "profile/profile_list.h"

namespace {

namespace fs = std::filesystem;

struct Folders {
    halvorn::fuzz::FuzzFolder root{"list-fuzz"};
    fs::path data = root / "data";
    fs::path defaults = root / "defaults.Json";
};

const Folders& TheFolders() {
    static const Folders folders;
    static const bool written = [] {
        Json::Value doc;
        doc["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Flat";
        return halvorn::WriteJsonFile(folders.defaults, doc);
    }();
    if (!written) std::abort();
    return folders;
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
    fuzz::WriteInput(f.data / ProfileList::kListFileName, data, size);

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
    for (const auto& entry : fs::directory_iterator(f.root.Path())) {
        Check(entry.path() == f.data || entry.path() == f.defaults);
        ++entries;
    }
    Check(entries == 2);
    return 0;
}
