#pragma once

// What every window of the program shares: the skin folder and its resource
// index ("res.xml"), the language table, the control factory and the UI
// scale. One object made by the program (and one per test), no globals.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace halvorn::ui {

class CControlUI;
class CPaintManagerUI;

// "res.xml": resource names ("XML_MAIN") to files relative to the skin folder:
// <Res><Item name="XML_MAIN" file="XML\\main.xml"/>...</Res>; items may sit in
// groups (<Xml><Item .../></Xml>) and may say path= instead of file=.
class ResourceIndex {
public:
    // Loads "<skin>/res.xml"; false when missing or malformed (the index is then empty).
    bool Load(const std::filesystem::path& file);
    // The file for a resource name, or the name itself when it is no
    // resource (a plain file name is allowed wherever a resource is).
    std::string Resolve(std::string_view nameOrFile) const;
    void Add(std::string name, std::string file) { entries_[std::move(name)] = std::move(file); }

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

// Text ids to texts of the chosen language. A language file is XML:
// <Language name="..."><Text id="kb_device_name_text" value="Keyboard"/>...</Language>
class LanguageTable {
public:
    bool LoadFile(const std::filesystem::path& file);  // replaces the table
    void SetLanguageName(std::string name) { name_ = std::move(name); }
    const std::string& LanguageName() const { return name_; }
    // The text of `id`; `id` itself when the table has none.
    std::string Text(std::string_view id) const;
    bool Has(std::string_view id) const;
    void Set(std::string id, std::string text) { texts_[std::move(id)] = std::move(text); }

private:
    std::string name_;
    std::map<std::string, std::string, std::less<>> texts_;
};

// Control classes by name, compared ignoring case ("Button", "LightControl").
// A class registered by its C++ name ("CLightControlUI", "COvantisUSBDevice")
// is known by its class string ("LightControl", "OvantisUSBDevice"): a
// leading 'C' before a capital and a trailing "UI" are dropped. Registering
// a name again replaces its creator.
class ControlFactory {
public:
    using Creator = std::function<std::unique_ptr<CControlUI>()>;
    void Register(std::string_view className, Creator creator);
    // A new control, or null for an unknown class.
    std::unique_ptr<CControlUI> Create(std::string_view className) const;
    bool Knows(std::string_view className) const;

private:
    std::map<std::string, Creator, std::less<>> creators_;  // lower-case names
};

class UiContext {
public:
    UiContext();  // registers the built-in control classes
    ~UiContext();

    void SetSkinFolder(std::filesystem::path folder);
    const std::filesystem::path& SkinFolder() const { return skinFolder_; }
    // A skin-relative name ('\\' or '/') as a path in the skin folder; an
    // absolute path (an image the user chose) stays as it is.
    std::filesystem::path SkinPath(std::string_view relative) const;

    ResourceIndex& Resources() { return resources_; }
    const ResourceIndex& Resources() const { return resources_; }
    LanguageTable& Language() { return language_; }
    const LanguageTable& Language() const { return language_; }
    ControlFactory& Factory() { return factory_; }
    const ControlFactory& Factory() const { return factory_; }

    // The UI scale of every window: 96 (100 %), 120, 144, 168 or 192.
    int Dpi() const { return dpi_; }
    // Other values are refused (false); every window lays out again.
    bool SetDpi(int dpi);
    int Scale(int value) const { return value * dpi_ / 96; }

    // Windows register their managers so that scale and language reach them
    // (CPaintManagerUI does so itself; adding twice is harmless).
    void AddManager(CPaintManagerUI* manager);
    void RemoveManager(CPaintManagerUI* manager);
    // Loads a language file and makes every window show its texts again; on
    // failure the current texts stay.
    bool SwitchLanguage(std::string name, const std::filesystem::path& file);
    void ReloadTexts();

private:
    std::filesystem::path skinFolder_;
    ResourceIndex resources_;
    LanguageTable language_;
    ControlFactory factory_;
    int dpi_ = 96;
    std::vector<CPaintManagerUI*> managers_;
};

}  // namespace halvorn::ui
