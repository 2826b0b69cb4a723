#pragma once

// One small index file whose member `entries` is an array ("ProfileList.ini",
// "macro.config"): read before every change and written right after it. When
// the file turns unreadable during a run the last good copy read or written is
// used instead, and text that is not such a document is kept as "<file>.broken"
// before it is replaced, so nothing the user had is lost.

#include <json/value.h>

#include <filesystem>
#include <string>

namespace halvorn {

class ListDocument {
public:
    ListDocument(std::filesystem::path path, std::string entriesKey, std::string what);

    const std::filesystem::path& Path() const { return path_; }

    // The file's document when it holds an object with an `entries` array;
    // else the last good one; else the readable object without entries (its
    // other members are kept), or null.
    Json::Value Load();

    // Writes `doc` (atomically); false when it could not be written.
    bool Store(const Json::Value& doc);

    // `doc` becomes the last good document without being written.
    void Remember(const Json::Value& doc);
    // Load reads the file alone again, as at the first start.
    void Forget() { haveGood_ = false; }

    bool IsList(const Json::Value& doc) const;

private:
    std::filesystem::path path_;
    std::string entriesKey_;
    std::string what_;  // for traces: "profile list", "macro index"
    Json::Value good_;
    bool haveGood_ = false;
    bool brokenOnDisk_ = false;  // the file holds text that is not a list
};

}  // namespace halvorn
