#pragma once

// A small XML reader for skin layouts, menus, resource indexes and language
// files: elements, attributes, text, comments, CDATA, the five predefined
// entities and numeric character references; no DTDs. Never reads past its
// input and bounds its nesting.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace halvorn::ui {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::vector<XmlElement> children;
    std::string text;  // the character data directly inside, concatenated
    int line = 0;

    // The attribute's value, or none; names compare exactly.
    const std::string* Attribute(std::string_view key) const;
    std::string AttributeOr(std::string_view key, std::string_view fallback) const;
};

struct XmlParse {
    std::optional<XmlElement> root;
    std::string error;  // empty on success
    int line = 0;       // of the error
};

XmlParse ParseXml(std::string_view text);

}  // namespace halvorn::ui
