// Input: a 16-bit little-endian descriptor length, the descriptor, then the
// bytes of the report body to decode with every cap found.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/hid/report_descriptor.h"

namespace {

using namespace halvorn::hid;

void Check(bool ok) {
    if (!ok) std::abort();
}

// A report of the collection's length for `id`, its body taken from `body`.
std::vector<uint8_t> MakeReport(uint16_t length, uint8_t id, std::span<const uint8_t> body) {
    std::vector<uint8_t> report(length, 0);
    if (!report.empty()) report[0] = id;
    for (std::size_t i = 1; i < report.size() && i - 1 < body.size(); ++i) report[i] = body[i - 1];
    return report;
}

void DecodeButtons(const ButtonCap& cap, uint16_t length, std::span<const uint8_t> body) {
    const std::vector<uint8_t> report = MakeReport(length, cap.layout.reportId, body);
    std::vector<uint16_t> usages;
    // A report of the collection's length holds every field of its caps.
    Check(ActiveUsages(cap, report, usages) == UsageStatus::Success);
    Check(usages.size() <= MaxActiveUsages(cap));
    for (uint16_t u : usages) Check(u != 0 && u >= cap.usageMin && u <= cap.usageMax);
    // Shorter reports must fail cleanly, never read past the end.
    std::vector<uint8_t> shorter(report.begin(), report.end() - (report.empty() ? 0 : 1));
    (void)ActiveUsages(cap, shorter, usages);
    (void)ActiveUsages(cap, body, usages);
}

void DecodeValues(const ValueCap& cap, uint16_t length, std::span<const uint8_t> body) {
    const std::vector<uint8_t> report = MakeReport(length, cap.layout.reportId, body);
    const uint16_t middle = static_cast<uint16_t>(cap.usageMin + (cap.usageMax - cap.usageMin) / 2);
    for (uint16_t usage : {cap.usageMin, middle, cap.usageMax}) {
        uint32_t raw = 0;
        int32_t scaled = 0;
        Check(UsageValue(cap, usage, report, raw) == UsageStatus::Success);
        const UsageStatus s = ScaledUsageValue(cap, usage, report, scaled);
        Check(s == UsageStatus::Success || s == UsageStatus::ValueOutOfRange);
        (void)UsageValue(cap, usage, body, raw);
        (void)ScaledUsageValue(cap, usage, body, scaled);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::span<const uint8_t> input(data + 2, size - 2);
    const std::size_t split = std::min<std::size_t>(data[0] | (data[1] << 8), input.size());
    const DescriptorParse parse = ParseReportDescriptor(input.first(split));
    const std::span<const uint8_t> body = input.subspan(split);
    Check(parse.descriptor.has_value() == (parse.error == DescriptorError::None));
    Check(!DescriptorErrorText(parse.error).empty());
    if (!parse.descriptor) {
        Check(parse.errorOffset <= split);
        return 0;
    }
    for (const CollectionCaps& coll : parse.descriptor->collections) {
        for (std::size_t k = 0; k < kReportKindCount; ++k) {
            const auto kind = static_cast<ReportKind>(k);
            Check(coll.ReportLength(kind) <= 4096);
            for (const ButtonCap& cap : coll.Buttons(kind)) {
                DecodeButtons(cap, coll.ReportLength(kind), body);
            }
            for (const ValueCap& cap : coll.Values(kind)) {
                DecodeValues(cap, coll.ReportLength(kind), body);
            }
        }
    }
    return 0;
}
