// Building and laying out a page of the size of the keyboard page: 200
// controls in nested horizontal and vertical stacks of key buttons and
// labels, from layout text generated here.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/loop/fake_loop.h"
#include "platform/ui/builder.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_context.h"

namespace {

using namespace halvorn::ui;

// The layout classes when the factory has them, else plain containers.
std::string KeyboardPage(const UiContext& context) {
    const bool stacks =
        context.Factory().Knows("VerticalLayout") && context.Factory().Knows("HorizontalLayout");
    const std::string column = stacks ? "VerticalLayout" : "Container";
    const std::string row = stacks ? "HorizontalLayout" : "Container";
    const std::string button = context.Factory().Knows("Button") ? "Button" : "Control";
    const std::string label = context.Factory().Knows("Label") ? "Label" : "Control";
    std::string xml = "<Window size='1000,640'><Font id='0' size='14' default='true'/>";
    xml += "<Default name='" + button +
           "' value='height=&quot;30&quot; textcolor=&quot;#FFFFFFFF&quot;'/>";
    xml += "<" + column + " name='root' inset='10,10,10,10' childpadding='4'>";
    int controls = 1;
    for (int r = 0; r < 8; ++r) {
        xml += "<" + row + " name='row_" + std::to_string(r) + "' height='40' childpadding='2'>";
        ++controls;
        xml += "<" + label + " name='row_label_" + std::to_string(r) +
               "' text='kb_row' resourcetext='true' width='60'/>";
        ++controls;
        for (int k = 0; k < 22; ++k, ++controls) {
            const int index = r * 22 + k;
            xml += "<" + button + " name='key_" + std::to_string(index) + "' text='K" +
                   std::to_string(index) + "' width='36' bkcolor='#FF202020' padding='1,1,1,1'/>";
        }
        xml += "</" + row + ">";
    }
    for (; controls < 200; ++controls) {
        xml += "<" + label + " name='info_" + std::to_string(controls) + "' height='12'/>";
    }
    xml += "</" + column + "></Window>";
    return xml;
}

void UiBuildAndLayoutKeyboardPage(benchmark::State& state) {
    halvorn::loop::FakeLoop loop;
    UiContext context;
    const std::string xml = KeyboardPage(context);
    for (auto _ : state) {
        CPaintManagerUI manager(context, loop);
        CDialogBuilder builder;
        manager.AttachDialog(builder.CreateFromText(xml, nullptr, manager));
        manager.SetClientSize({1000, 640});
        benchmark::DoNotOptimize(manager.FindControl("key_175"));
    }
}
BENCHMARK(UiBuildAndLayoutKeyboardPage)->Unit(benchmark::kMillisecond);

void UiRelayoutKeyboardPageAtNewScale(benchmark::State& state) {
    halvorn::loop::FakeLoop loop;
    UiContext context;
    CPaintManagerUI manager(context, loop);
    CDialogBuilder builder;
    manager.AttachDialog(builder.CreateFromText(KeyboardPage(context), nullptr, manager));
    manager.SetClientSize({1000, 640});
    bool large = false;
    for (auto _ : state) {
        large = !large;
        context.SetDpi(large ? 144 : 96);
    }
}
BENCHMARK(UiRelayoutKeyboardPageAtNewScale)->Unit(benchmark::kMillisecond);

}  // namespace
