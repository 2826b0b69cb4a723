#include "platform/ui/builder.h"

#include <algorithm>
#include <span>

#include "platform/trace/trace.h"
#include "platform/ui/container.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

namespace {

// Layouts being built on this thread, nested through includes and through
// callbacks that build sub-layouts with a builder of their own.
thread_local int tBuildDepth = 0;

class DepthGuard {
public:
    DepthGuard() { ++tBuildDepth; }
    ~DepthGuard() { --tBuildDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool TooDeep() const { return tBuildDepth > CDialogBuilder::kMaxDepth; }
};

}  // namespace

class CDialogBuilder::Session {
public:
    Session(CDialogBuilder& builder, IDialogBuilderCallback* callback, CPaintManagerUI& manager)
        : builder_(builder), callback_(callback), manager_(manager), outermost_(tBuildDepth == 0) {}

    // The layout's controls: into `parent` when given, else into `out`.
    void BuildDocument(const XmlElement& root, const std::string& source,
                       std::vector<std::unique_ptr<CControlUI>>& out) {
        DepthGuard depth;
        if (depth.TooDeep()) {
            Error(source, root.line, "layouts nested too deeply (a layout including itself?)");
            return;
        }
        if (root.name == "Window") {
            if (outermost_ && tBuildDepth == 1) ApplyWindow(root);
            BuildList(root.children, source, nullptr, out);
        } else {
            BuildList(std::span(&root, 1), source, nullptr, out);
        }
    }

    // Reads and parses a layout named by resource or file; none on error.
    std::optional<XmlElement> Load(std::string_view layout, std::string& source) {
        const std::string file = manager_.Context().Resources().Resolve(layout);
        source = file;
        const std::optional<std::string> text = ReadSkinFile(manager_.Context().SkinPath(file));
        if (!text) {
            Error(file, 0, "cannot read the layout");
            return std::nullopt;
        }
        return Parse(*text, source);
    }

    std::optional<XmlElement> Parse(std::string_view text, const std::string& source) {
        XmlParse parsed = ParseXml(text);
        if (!parsed.root) {
            std::string_view message = parsed.error;  // "line N: what", the line said apart
            if (const size_t colon = message.find(": ");
                message.starts_with("line ") && colon != std::string_view::npos) {
                message.remove_prefix(colon + 2);
            }
            Error(source, parsed.line, message);
            return std::nullopt;
        }
        return std::move(parsed.root);
    }

private:
    void Error(const std::string& source, int line, std::string_view message) {
        std::string text = source;
        if (line > 0) text += ":" + std::to_string(line);
        text += ": ";
        text += message;
        Trace("skin: " + text);
        if (!builder_.error_.empty()) builder_.error_ += '\n';
        builder_.error_ += text;
    }

    void ApplyWindow(const XmlElement& window) {
        for (const auto& [name, value] : window.attributes) {
            manager_.SetWindowAttribute(name, value);
            const std::string key = AsciiLower(name);
            if (key == "size") {
                manager_.SetInitSize(ParseSize(value));
            } else if (key == "mininfo") {
                manager_.SetMinInfo(ParseSize(value));
            } else if (key == "caption") {
                manager_.SetCaptionRect(ParseRect(value));
            }
        }
    }

    void AddFont(const XmlElement& e) {
        FontSpec font;
        font.face = e.AttributeOr("name", "");
        font.size = ParseInt(e.AttributeOr("size", "14"), 14);
        font.bold = ParseBool(e.AttributeOr("bold", "false"));
        font.underline = ParseBool(e.AttributeOr("underline", "false"));
        font.italic = ParseBool(e.AttributeOr("italic", "false"));
        const std::string* id = e.Attribute("id");
        const int index = id ? ParseInt(*id, nextFont_) : nextFont_;
        nextFont_ = std::max(nextFont_, index + 1);
        manager_.AddFont(index, font);
        if (ParseBool(e.AttributeOr("default", "false"))) manager_.SetDefaultFont(font);
    }

    void Include(const XmlElement& e, const std::string& source, CContainerUI* parent,
                 std::vector<std::unique_ptr<CControlUI>>& out) {
        const std::string* file = e.Attribute("source");
        if (!file || file->empty()) {
            Error(source, e.line, "<Include> without a source");
            return;
        }
        const int count = ParseInt(e.AttributeOr("count", "1"), 1);
        if (count < 1 || count > kMaxIncludeCount) {
            Error(source, e.line, "<Include> count out of range");
            return;
        }
        DepthGuard depth;
        if (depth.TooDeep()) {
            Error(source, e.line, "layouts nested too deeply (a layout including itself?)");
            return;
        }
        std::string included;
        const std::optional<XmlElement> root = Load(*file, included);
        if (!root) return;
        for (int i = 0; i < count; ++i) {
            if (root->name == "Window") {
                BuildList(root->children, included, parent, out);
            } else {
                BuildList(std::span(&*root, 1), included, parent, out);
            }
        }
    }

    void BuildList(std::span<const XmlElement> elements, const std::string& source,
                   CContainerUI* parent, std::vector<std::unique_ptr<CControlUI>>& out) {
        for (const XmlElement& e : elements) {
            if (e.name == "Font") {
                AddFont(e);
            } else if (e.name == "Default") {
                const std::string* name = e.Attribute("name");
                const std::string* value = e.Attribute("value");
                if (name && value) manager_.AddDefaultAttributeList(*name, *value);
            } else if (e.name == "Include") {
                Include(e, source, parent, out);
            } else {
                BuildControl(e, source, parent, out);
            }
        }
    }

    void BuildControl(const XmlElement& e, const std::string& source, CContainerUI* parent,
                      std::vector<std::unique_ptr<CControlUI>>& out) {
        if (++built_ > kMaxControls) {
            if (built_ == kMaxControls + 1) Error(source, e.line, "too many controls");
            return;
        }
        std::unique_ptr<CControlUI> control = manager_.Context().Factory().Create(e.name);
        if (!control && callback_) control = callback_->CreateControl(e.name);
        if (!control) {
            Error(source, e.line, "unknown control class '" + e.name + "' (skipped)");
            return;
        }
        if (!e.children.empty()) {
            if (auto* container = dynamic_cast<CContainerUI*>(control.get())) {
                std::vector<std::unique_ptr<CControlUI>> none;
                BuildList(e.children, source, container, none);
            } else {
                for (const XmlElement& child : e.children) {
                    Error(source, child.line,
                          "<" + child.name + "> inside <" + e.name +
                              ">, which holds no children (skipped)");
                }
            }
        }
        CControlUI* raw = control.get();
        if (parent) {
            parent->Add(std::move(control));
        } else {
            out.push_back(std::move(control));
        }
        const std::string* defaults = manager_.GetDefaultAttributeList(e.name);
        if (!defaults) defaults = manager_.GetDefaultAttributeList(raw->GetClass());
        if (defaults) raw->ApplyAttributeList(*defaults);
        for (const auto& [name, value] : e.attributes) raw->SetAttribute(name, value);
    }

    CDialogBuilder& builder_;
    IDialogBuilderCallback* callback_;
    CPaintManagerUI& manager_;
    bool outermost_;
    int nextFont_ = 0;
    int built_ = 0;
};

namespace {

std::unique_ptr<CControlUI> TakeRoot(std::vector<std::unique_ptr<CControlUI>>& built,
                                     std::string& error) {
    if (built.empty()) {
        if (error.empty()) error = "the layout has no control";
        return nullptr;
    }
    if (built.size() > 1) {
        if (!error.empty()) error += '\n';
        error += "the layout has more than one root control: only the first is kept";
    }
    return std::move(built.front());
}

}  // namespace

std::unique_ptr<CControlUI> CDialogBuilder::Create(std::string_view layout,
                                                   IDialogBuilderCallback* callback,
                                                   CPaintManagerUI& manager) {
    error_.clear();
    Session session(*this, callback, manager);
    std::string source;
    const std::optional<XmlElement> root = session.Load(layout, source);
    if (!root) return nullptr;
    std::vector<std::unique_ptr<CControlUI>> built;
    session.BuildDocument(*root, source, built);
    return TakeRoot(built, error_);
}

CControlUI* CDialogBuilder::CreateInto(std::string_view layout, IDialogBuilderCallback* callback,
                                       CPaintManagerUI& manager, CContainerUI& parent) {
    error_.clear();
    Session session(*this, callback, manager);
    std::string source;
    const std::optional<XmlElement> root = session.Load(layout, source);
    if (!root) return nullptr;
    // Built apart, then added: each joins the window whole, attributes set.
    std::vector<std::unique_ptr<CControlUI>> built;
    session.BuildDocument(*root, source, built);
    CControlUI* first = nullptr;
    for (auto& control : built) {
        CControlUI* added = parent.Add(std::move(control));
        if (!first) first = added;
    }
    return first;
}

std::unique_ptr<CControlUI> CDialogBuilder::CreateFromText(std::string_view xml,
                                                           IDialogBuilderCallback* callback,
                                                           CPaintManagerUI& manager) {
    error_.clear();
    Session session(*this, callback, manager);
    const std::string source = "<layout text>";
    const std::optional<XmlElement> root = session.Parse(xml, source);
    if (!root) return nullptr;
    std::vector<std::unique_ptr<CControlUI>> built;
    session.BuildDocument(*root, source, built);
    return TakeRoot(built, error_);
}

}  // namespace halvorn::ui
