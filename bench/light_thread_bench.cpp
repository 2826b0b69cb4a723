// The keyboard's light thread over ten seconds of real time: its CPU time as
// a share of one core, with a wave effect (painted only) and with effect 30
// streaming its frames to the virtual keyboard every 5 ms, as the page's
// refresh timer does on the cable.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "controls/picture_controls.h"
#include "models/keyboard_device.h"
#include "tests/support/ui_actions.h"
#include "tests/support/virtual_keyboard.h"

namespace halvorn {
namespace {

constexpr auto kRun = std::chrono::seconds(10);
constexpr auto kRefresh = std::chrono::milliseconds(5);

std::string PageXml() {
    std::string xml =
        "<Window size=\"1200,600\"><VerticalLayout><OvantisKeyboardDevice name=\"page\">"
        "<SelectPanel name=\"keyboard_device_key_light\">";
    for (int k = 0; k < 170; ++k) {
        xml += "<DeviceKeyButton name=\"key_" + std::to_string(k) + "\" userdata=\"light_" +
               std::to_string(k) + "\"/>";
    }
    return xml + "</SelectPanel></OvantisKeyboardDevice></VerticalLayout></Window>";
}

struct ConnectedKeyboard {
    ConnectedKeyboard() : folder(std::filesystem::temp_directory_path() / "halvorn-bench-kb") {
        kb.device->SetFaults({.latency = std::chrono::milliseconds(1)});
        RegisterPictureControls(ui.context.Factory());
        ui.context.Factory().Register("OvantisKeyboardDevice", [this] {
            return std::make_unique<COvantisKeyboardDevice>(kb.backend);
        });
        ui.Show(PageXml());
        device = ui.Find<COvantisKeyboardDevice>("page");
        std::filesystem::remove_all(folder);
        device->SetDataFolder(folder);
        device->SetDefaultDataFolder(std::filesystem::path(HALVORN_SOURCE_DIR) / "DefaultData");
        device->Initialize();
        auto& protocol = device->CommandProtocol();
        protocol.WiredChannel().Open(testing::kKeyboardProtocolPath, true, true, true, false);
        protocol.SetOpen(true);
        protocol.SetChannelMode(1);
        device->Connect();
        device->SetFunctionSwitch(2);
    }
    ~ConnectedKeyboard() {
        device->StopThreads();
        std::filesystem::remove_all(folder);
    }

    testing::VirtualKeyboard kb;
    ui::testing::HeadlessUi ui;
    COvantisKeyboardDevice* device = nullptr;
    std::filesystem::path folder;
};

void LightThread(benchmark::State& state, int effect, bool stream) {
    ConnectedKeyboard board;
    LightModeRecord record;
    record.selectItem = static_cast<uint8_t>(effect);
    record.light = 4;
    record.speed = 4;
    record.multiColor = 1;
    board.device->SetLightInfo(record);
    int frames = 0;
    for (auto _ : state) {
        const int64_t cpuBefore = board.device->LightThreadCpuNs();
        const auto start = std::chrono::steady_clock::now();
        auto next = start;
        while (std::chrono::steady_clock::now() - start < kRun) {
            next += kRefresh;
            if (stream) {
                board.device->RefreshLightFrame();
                ++frames;
            }
            std::this_thread::sleep_until(next);
        }
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = static_cast<double>(board.device->LightThreadCpuNs() - cpuBefore) / 1e9;
        state.counters["light_thread_cpu_%"] = 100.0 * cpu / wall;
        state.counters["goal_%"] = 0.5;
    }
    state.counters["frames_streamed"] =
        board.kb.Firmware([](auto& fw) { return static_cast<double>(fw.LightFrameCount()); });
    state.counters["refreshes"] = frames;
}

// The floor: a thread that only pauses 1 ms per pass, as the light thread does.
void LightThreadBaselinePausesOnly(benchmark::State& state) {
    for (auto _ : state) {
        WorkerThread thread;
        thread.Start(
            [](std::stop_token stop) {
                while (WorkerThread::Pause(stop, std::chrono::milliseconds(1))) {
                }
            },
            "");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int64_t before = thread.CpuTimeNs();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(kRun);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["light_thread_cpu_%"] =
            100.0 * static_cast<double>(thread.CpuTimeNs() - before) / 1e9 / wall;
    }
}

void LightThreadWave(benchmark::State& state) { LightThread(state, 1, false); }
void LightThreadMusicColourStreaming(benchmark::State& state) { LightThread(state, 30, true); }

BENCHMARK(LightThreadBaselinePausesOnly)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(LightThreadWave)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(LightThreadMusicColourStreaming)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace halvorn
