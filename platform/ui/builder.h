#pragma once

// Builds a control tree from a layout file of the skin. The root element is
// <Window> (its attributes size, mininfo, caption, ... go to the manager;
// its <Font> and <Default> children too) or any control element. Built-in
// and registered classes come from the context's factory; other class names
// go to the callback (the program's own classes and composite sub-layouts).
//
//   <Font id="1" name="Verdana" size="14" bold="true" underline="false"
//         italic="false" default="false"/>   (without id: the next index)
//   <Default name="Button" value="textcolor=&quot;#FF000000&quot; height=&quot;30&quot;"/>
//   <Include source="XML\part.xml" count="1"/>  a layout file built in place
//
// A control's children are built and added first, then its default list and
// its own attributes are applied in order (so that an attribute naming a
// child, a tab's selected page, finds it). Only the outermost layout's
// <Window> sets the window's size and caption: sub-layouts built through
// the callback and included files only add fonts and defaults. Includes and
// sub-layouts nest at most kMaxDepth deep (a file including itself ends
// there with an error).

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

    // Every problem met, one per line, with the file and line.
    const std::string& Error() const { return error_; }

    static constexpr int kMaxDepth = 16;
    static constexpr int kMaxControls = 100000;  // per layout, includes counted
    static constexpr int kMaxIncludeCount = 1000;

private:
    class Session;
    std::string error_;
};

}  // namespace halvorn::ui
