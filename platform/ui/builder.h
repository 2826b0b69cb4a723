#pragma once

// Builds a control tree from a layout file of the skin. The root element is
// <Window> (its attributes size, mininfo, caption, ... go to the manager;
// its <Font> and <Default> children too) or any control element. Built-in
// and registered classes come from the context's factory; other class names
// go to the callback (the program's own classes and composite sub-layouts).

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/control.h"
#include "platform/ui/xml.h"

namespace halvorn::ui {

class CPaintManagerUI;
class CContainerUI;

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A control for a class name the factory does not know, or null.
    virtual std::unique_ptr<CControlUI> CreateControl(std::string_view className) = 0;
};

class CDialogBuilder {
public:
    // `layout` is a resource name of "res.xml" or a skin-relative file.
    // Without `parent` the root is returned; with one, the built controls are
    // added to it and the first one is returned (owned by the parent).
    // Errors (missing file, malformed XML, unknown class) leave `Error()` set;
    // unknown classes are skipped with their subtree.
    std::unique_ptr<CControlUI> Create(std::string_view layout, IDialogBuilderCallback* callback,
                                       CPaintManagerUI& manager);
    CControlUI* CreateInto(std::string_view layout, IDialogBuilderCallback* callback,
                           CPaintManagerUI& manager, CContainerUI& parent);
    // The same from XML text (tests, generated layouts).
    std::unique_ptr<CControlUI> CreateFromText(std::string_view xml,
                                               IDialogBuilderCallback* callback,
                                               CPaintManagerUI& manager);

    const std::string& Error() const { return error_; }

private:
    std::unique_ptr<CControlUI> Build(const XmlElement& element, IDialogBuilderCallback* callback,
                                      CPaintManagerUI& manager);
    std::string error_;
};

}  // namespace halvorn::ui
