#include "platform/fs/json_file.h"

#include <fcntl.h>
#include <json/reader.h>
#include <json/writer.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/fs/unique_fd.h"
#include "platform/trace/trace.h"

namespace halvorn {

std::string ReadJsonFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Trace("readjsonFile 错误吗：：" + std::to_string(errno));
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

bool ParseJsonText(const std::string& text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    Json::Value parsed;
    if (!reader->parse(text.data(), text.data() + text.size(), &parsed, &errors)) return false;
    root = std::move(parsed);
    return true;
}

Json::Value ReadJsonValue(const std::filesystem::path& path) {
    Json::Value root;
    std::string text = ReadJsonFile(path);
    if (text.empty() || !ParseJsonText(text, root)) return Json::Value();
    return root;
}

std::string StyledJsonText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["commentStyle"] = "None";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value) + "\n";
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    const std::string text = StyledJsonText(value);
    std::filesystem::path temp = path;
    temp += ".tmp-" + std::to_string(::getpid());

    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) return false;
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(fd.Get(), text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fd.Reset();
            std::remove(temp.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.Get()) != 0) {
        fd.Reset();
        std::remove(temp.c_str());
        return false;
    }
    fd.Reset();
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

void KeepBrokenCopy(const std::filesystem::path& path) {
    std::filesystem::path backup = path;
    backup += ".broken";
    std::error_code error;
    std::filesystem::copy_file(path, backup, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error)
        Trace("cannot keep the unreadable file as " + backup.string() + ": " + error.message());
}

}  // namespace halvorn
