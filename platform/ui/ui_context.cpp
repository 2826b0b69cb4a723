#include "platform/ui/ui_context.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

#include "platform/trace/trace.h"
#include "platform/ui/control.h"
#include "platform/ui/controls/builtin_controls.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"
#include "platform/ui/xml.h"

namespace halvorn::ui {

namespace {

std::optional<XmlElement> LoadXmlFile(const std::filesystem::path& file) {
    const std::optional<std::string> text = ReadSkinFile(file);
    if (!text) {
        Trace("skin: cannot read " + file.string());
        return std::nullopt;
    }
    XmlParse parsed = ParseXml(*text);
    if (!parsed.root) {
        Trace("skin: " + file.string() + ": " + parsed.error);
        return std::nullopt;
    }
    return std::move(parsed.root);
}

// Items at any depth: res.xml files group them by kind.
void CollectItems(const XmlElement& element,
                  std::map<std::string, std::string, std::less<>>& entries) {
    for (const XmlElement& child : element.children) {
        if (child.name == "Item") {
            const std::string* name = child.Attribute("name");
            const std::string* file = child.Attribute("file");
            if (!file) file = child.Attribute("path");
            if (name && file && !name->empty()) entries[*name] = *file;
        }
        CollectItems(child, entries);
    }
}

// "CLightControlUI" -> "lightcontrol", "COvantisUSBDevice" -> "ovantisusbdevice".
std::string FactoryKey(std::string_view name) {
    if (name.size() > 1 && name[0] == 'C' && std::isupper(static_cast<unsigned char>(name[1]))) {
        name.remove_prefix(1);
        if (name.size() > 2 && name.ends_with("UI")) name.remove_suffix(2);
    }
    return AsciiLower(name);
}

}  // namespace

std::optional<std::string> ReadSkinFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxSkinFileBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return text;
}

// ---------------------------------------------------------------------------

bool ResourceIndex::Load(const std::filesystem::path& file) {
    entries_.clear();
    const std::optional<XmlElement> root = LoadXmlFile(file);
    if (!root) return false;
    CollectItems(*root, entries_);
    return true;
}

std::string ResourceIndex::Resolve(std::string_view nameOrFile) const {
    const auto it = entries_.find(nameOrFile);
    return it == entries_.end() ? std::string(nameOrFile) : it->second;
}

// ---------------------------------------------------------------------------

bool LanguageTable::LoadFile(const std::filesystem::path& file) {
    const std::optional<XmlElement> root = LoadXmlFile(file);
    if (!root) return false;
    std::map<std::string, std::string, std::less<>> texts;
    for (const XmlElement& child : root->children) {
        if (child.name != "Text") continue;
        const std::string* id = child.Attribute("id");
        if (!id || id->empty()) continue;
        // value="..." or, for long texts, the element's content.
        const std::string* value = child.Attribute("value");
        texts[*id] = value ? *value : child.text;
    }
    texts_ = std::move(texts);
    if (const std::string* name = root->Attribute("name")) name_ = *name;
    return true;
}

std::string LanguageTable::Text(std::string_view id) const {
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::string(id) : it->second;
}

bool LanguageTable::Has(std::string_view id) const { return texts_.find(id) != texts_.end(); }

// ---------------------------------------------------------------------------

void ControlFactory::Register(std::string_view className, Creator creator) {
    if (className.empty() || !creator) return;
    creators_[FactoryKey(className)] = std::move(creator);
}

std::unique_ptr<CControlUI> ControlFactory::Create(std::string_view className) const {
    auto it = creators_.find(AsciiLower(className));
    if (it == creators_.end()) it = creators_.find(FactoryKey(className));
    if (it == creators_.end()) return nullptr;
    return it->second();
}

bool ControlFactory::Knows(std::string_view className) const {
    return creators_.contains(AsciiLower(className)) || creators_.contains(FactoryKey(className));
}

// ---------------------------------------------------------------------------

UiContext::UiContext() { RegisterBuiltinControls(factory_); }

UiContext::~UiContext() = default;

void UiContext::SetSkinFolder(std::filesystem::path folder) { skinFolder_ = std::move(folder); }

std::filesystem::path UiContext::SkinPath(std::string_view relative) const {
    std::string name(relative);
    std::replace(name.begin(), name.end(), '\\', '/');
    std::filesystem::path path(name);
    if (path.is_absolute()) return path;
    return skinFolder_ / path;
}

bool UiContext::SetDpi(int dpi) {
    static constexpr int kAllowed[] = {96, 120, 144, 168, 192};
    if (std::find(std::begin(kAllowed), std::end(kAllowed), dpi) == std::end(kAllowed)) {
        return false;
    }
    if (dpi == dpi_) return true;
    dpi_ = dpi;
    // A copy: a window may open or close while it lays out again.
    const std::vector<CPaintManagerUI*> managers = managers_;
    for (CPaintManagerUI* manager : managers) {
        if (std::find(managers_.begin(), managers_.end(), manager) != managers_.end()) {
            manager->ScaleChanged();
        }
    }
    return true;
}

void UiContext::AddManager(CPaintManagerUI* manager) {
    if (manager && std::find(managers_.begin(), managers_.end(), manager) == managers_.end()) {
        managers_.push_back(manager);
    }
}

void UiContext::RemoveManager(CPaintManagerUI* manager) { std::erase(managers_, manager); }

bool UiContext::SwitchLanguage(std::string name, const std::filesystem::path& file) {
    if (!language_.LoadFile(file)) return false;
    language_.SetLanguageName(std::move(name));
    ReloadTexts();
    return true;
}

void UiContext::ReloadTexts() {
    const std::vector<CPaintManagerUI*> managers = managers_;
    for (CPaintManagerUI* manager : managers) {
        if (std::find(managers_.begin(), managers_.end(), manager) != managers_.end()) {
            manager->ReloadTexts();
        }
    }
}

}  // namespace halvorn::ui
