#include "profile/list_document.h"

#include <utility>

#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"

namespace halvorn {

ListDocument::ListDocument(std::filesystem::path path, std::string entriesKey, std::string what)
    : path_(std::move(path)), entriesKey_(std::move(entriesKey)), what_(std::move(what)) {}

bool ListDocument::IsList(const Json::Value& doc) const {
    return doc.isObject() && doc[entriesKey_].isArray();
}

Json::Value ListDocument::Load() {
    const std::string text = ReadJsonFile(path_);
    Json::Value disk;
    const bool parsed = !text.empty() && ParseJsonText(text, disk);
    if (parsed && IsList(disk)) {
        Remember(disk);
        brokenOnDisk_ = false;
        return disk;
    }
    // Text that parsed as an object without the entries has nothing a list
    // would lose; anything else is kept aside before it is replaced.
    const Json::Value& view = disk;
    brokenOnDisk_ = !text.empty() && !(parsed && view.isObject() && view[entriesKey_].isNull());
    if (haveGood_) {
        Trace(what_ + " unreadable, using the last one read: " + path_.string());
        return good_;
    }
    return parsed && disk.isObject() ? disk : Json::Value();
}

bool ListDocument::Store(const Json::Value& doc) {
    if (brokenOnDisk_) KeepBrokenCopy(path_);
    if (!WriteJsonFile(path_, doc)) {
        Trace("cannot write the " + what_ + " " + path_.string());
        return false;
    }
    Remember(doc);
    brokenOnDisk_ = false;
    return true;
}

void ListDocument::Remember(const Json::Value& doc) {
    good_ = doc;
    haveGood_ = true;
}

}  // namespace halvorn
