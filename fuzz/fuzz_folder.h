#pragma once

// A scratch folder for fuzz targets that need their input as a file: made once
// per process (on tmpfs when there is one, since saves sync their files) and
// removed when the process exits.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace halvorn::fuzz {

class FuzzFolder {
public:
    explicit FuzzFolder(const std::string& name) {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        path_ = base / ("halvorn-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteInput(const std::filesystem::path& path, const uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace halvorn::fuzz
