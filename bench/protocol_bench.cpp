// Protocol throughput over the virtual backend with a device that takes 1 ms
// per report each way, like a full-speed interrupt endpoint. Reports per
// second are printed next to that endpoint's limit of 1000 each way.

#include <benchmark/benchmark.h>

#include <vector>

#include "device/report_protocol.h"
#include "tests/support/virtual_keyboard.h"

namespace halvorn {
namespace {

constexpr double kEndpointLimit = 1000.0;  // reports per second each way

struct SlowKeyboard {
    SlowKeyboard() : kb(vdev::KeyboardOptions{.keyCount = 170}) {
        kb.device->SetFaults({.latency = std::chrono::milliseconds(1)});
        protocol.WiredChannel().Open(testing::kKeyboardProtocolPath, true, true, true, false);
        protocol.SetOpen(true);
        protocol.SetChannelMode(1);
    }
    testing::VirtualKeyboard kb;
    ReportProtocol protocol{kb.backend};
};

void Report(benchmark::State& state, std::size_t reportsPerOp) {
    const double reports = static_cast<double>(state.iterations() * reportsPerOp);
    // Every request is answered by one reply: as many reports come in as go out.
    state.counters["reports_out/s"] = benchmark::Counter(reports, benchmark::Counter::kIsRate);
    state.counters["reports_in/s"] = benchmark::Counter(reports, benchmark::Counter::kIsRate);
    state.counters["endpoint_limit/s"] = kEndpointLimit;
    // The ratio to that limit, the figure to compare between runs.
    state.counters["share_of_limit"] =
        benchmark::Counter(reports / kEndpointLimit, benchmark::Counter::kIsRate);
}

void KeyTableWrite512(benchmark::State& state) {
    SlowKeyboard board;
    std::vector<uint8_t> table(512, 0x20);
    for (auto _ : state) {
        if (board.protocol.WriteKeyTable(table, 0) != kResultOk) {
            state.SkipWithError("key table write failed");
            break;
        }
    }
    Report(state, 10);  // 9 x 56 + 8
}
BENCHMARK(KeyTableWrite512)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void LightFrame510(benchmark::State& state) {
    SlowKeyboard board;
    std::vector<uint8_t> frame(510, 0x40);
    for (auto _ : state) {
        if (board.protocol.StreamLightData(frame) != kResultOk) {
            state.SkipWithError("light frame failed");
            break;
        }
    }
    Report(state, 10);  // 9 x 56 + 6
}
BENCHMARK(LightFrame510)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace
}  // namespace halvorn
