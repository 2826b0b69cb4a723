// Skin files of any content: parsed, built into a window's tree (through
// the factory and an include-free callback), laid out and painted, and the
// same bytes read as an image string and an attribute list. No crash, no
// read past the input, no hang.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/loop/fake_loop.h"
#include "platform/ui/builder.h"
#include "platform/ui/canvas.h"
#include "platform/ui/container.h"
#include "platform/ui/image_string.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_context.h"
#include "platform/ui/xml.h"

namespace {

using namespace halvorn::ui;

class NullCanvas : public Canvas {
public:
    void FillRect(const Rect&, Color) override {}
    void FillRoundRect(const Rect&, Size, Color) override {}
    void DrawBorder(const Rect&, int, Color, Size) override {}
    void DrawLine(Point, Point, int, Color) override {}
    bool DrawImage(const Rect&, const ImageSpec&) override { return true; }
    void DrawText(const Rect&, std::string_view, const FontSpec&, Color, unsigned) override {}
    Size MeasureText(std::string_view text, const FontSpec& font) override {
        return {static_cast<int>(text.size()) * font.size / 2, font.size};
    }
    void PushClip(const Rect&) override {}
    void PopClip() override {}
};

// Any other class name is a plain container, so that unknown elements
// still get built with their children.
class AnyClass : public IDialogBuilderCallback {
public:
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override {
        if (className.size() % 3 == 0) return nullptr;
        return std::make_unique<CContainerUI>();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)ParseXml(text);
    (void)ParseImageString(text);
    CControlUI loose;
    loose.ApplyAttributeList(text);

    halvorn::loop::FakeLoop loop;
    UiContext context;
    context.SetSkinFolder("/nonexistent-skin");  // includes find nothing
    CPaintManagerUI manager(context, loop);
    AnyClass callback;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.CreateFromText(text, &callback, manager);
    if (!root) return 0;
    manager.AttachDialog(std::move(root));
    manager.SetClientSize({640, 480});
    NullCanvas canvas;
    manager.Paint(canvas, {0, 0, 640, 480});
    manager.HandleInput({.kind = HostInput::Kind::MouseMove, .point = {320, 240}});
    manager.HandleInput({.kind = HostInput::Kind::ButtonDown, .point = {320, 240}});
    manager.HandleInput({.kind = HostInput::Kind::ButtonUp, .point = {320, 240}});
    manager.HandleInput({.kind = HostInput::Kind::Wheel, .point = {320, 240}, .wheelDelta = -120});
    context.SetDpi(144);
    manager.Paint(canvas, {0, 0, 960, 720});
    return 0;
}
