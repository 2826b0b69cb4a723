// Decoding of received reports with the caps of our descriptor parser.

#include <algorithm>
#include <optional>

#include "platform/hid/report_descriptor.h"

namespace halvorn::hid {
namespace {

__extension__ typedef __int128 Wide;  // products of two 33-bit ranges

// Checks that `report` belongs to the layout and holds all its fields.
UsageStatus CheckReport(const FieldLayout& layout, std::span<const uint8_t> report) {
    if (report.empty()) return UsageStatus::ReportTooShort;
    if (layout.reportId != 0 && report[0] != layout.reportId) {
        return UsageStatus::IncompatibleReportId;
    }
    const uint64_t endBit =
        uint64_t{layout.bitOffset} + uint64_t{layout.bitSize} * uint64_t{layout.reportCount};
    if ((endBit + 7) / 8 > report.size() - 1) return UsageStatus::ReportTooShort;
    return UsageStatus::Success;
}

// Width of a field as we read it: the low 32 bits of wider fields.
uint32_t ReadWidth(const FieldLayout& layout) { return std::min<uint32_t>(layout.bitSize, 32); }

// Field `index` as stored, least significant bit first; CheckReport passed.
uint32_t RawField(const FieldLayout& layout, std::span<const uint8_t> report, uint32_t index) {
    const uint32_t width = ReadWidth(layout);
    if (width == 0) return 0;
    const uint64_t bit = uint64_t{layout.bitOffset} + uint64_t{index} * layout.bitSize;
    const std::span<const uint8_t> data = report.subspan(1);
    const std::size_t first = static_cast<std::size_t>(bit / 8);
    const uint32_t shift = static_cast<uint32_t>(bit % 8);
    const std::size_t count = (shift + width + 7) / 8;  // at most 5 bytes
    uint64_t acc = 0;
    for (std::size_t i = 0; i < count; ++i) acc |= uint64_t{data[first + i]} << (8 * i);
    acc >>= shift;
    return static_cast<uint32_t>(width == 32 ? acc : acc & ((uint64_t{1} << width) - 1));
}

// The field read as the logical range says: signed when it reaches below 0.
int64_t LogicalField(const FieldLayout& layout, uint32_t raw) {
    const uint32_t width = ReadWidth(layout);
    if (layout.logicalMin >= 0 || width == 0) return raw;
    if (width == 32) return static_cast<int32_t>(raw);
    const uint32_t sign = 1u << (width - 1);
    return (raw & sign) ? int64_t{raw} - (int64_t{1} << width) : int64_t{raw};
}

// The field that carries `usage`, or none when the cap does not cover it.
std::optional<uint32_t> FieldOfUsage(const ValueCap& cap, uint16_t usage) {
    if (usage < cap.usageMin || usage > cap.usageMax || cap.layout.reportCount == 0) {
        return std::nullopt;
    }
    return std::min<uint32_t>(usage - cap.usageMin, cap.layout.reportCount - 1u);
}

}  // namespace

UsageStatus ActiveUsages(const ButtonCap& cap, std::span<const uint8_t> report,
                         std::vector<uint16_t>& usages) {
    usages.clear();
    const FieldLayout& layout = cap.layout;
    if (UsageStatus s = CheckReport(layout, report); s != UsageStatus::Success) return s;
    auto keep = [&](int64_t usage) {
        if (usage != 0 && usage >= cap.usageMin && usage <= cap.usageMax) {
            usages.push_back(static_cast<uint16_t>(usage));
        }
    };
    if (cap.isArray) {
        for (uint32_t i = 0; i < layout.reportCount; ++i) {
            const int64_t v = LogicalField(layout, RawField(layout, report, i));
            if (v >= layout.logicalMin && v <= layout.logicalMax) {
                keep(int64_t{cap.usageMin} + (v - layout.logicalMin));
            }
        }
        return UsageStatus::Success;
    }
    const bool single = cap.usageMin == cap.usageMax;
    for (uint32_t i = 0; i < layout.reportCount; ++i) {
        if (RawField(layout, report, i) == 0) continue;
        // Fields past a single usage repeat it: report it once.
        keep(int64_t{cap.usageMin} + (single ? 0 : i));
        if (single) break;
    }
    return UsageStatus::Success;
}

UsageStatus UsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report,
                       uint32_t& raw) {
    const std::optional<uint32_t> field = FieldOfUsage(cap, usage);
    if (!field) return UsageStatus::UsageNotFound;
    if (UsageStatus s = CheckReport(cap.layout, report); s != UsageStatus::Success) return s;
    raw = RawField(cap.layout, report, *field);
    return UsageStatus::Success;
}

UsageStatus ScaledUsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report,
                             int32_t& scaled) {
    uint32_t raw = 0;
    if (UsageStatus s = UsageValue(cap, usage, report, raw); s != UsageStatus::Success) return s;
    const FieldLayout& layout = cap.layout;
    const int64_t v = LogicalField(layout, raw);
    // Outside the logical range is the null state (or a broken report):
    // there is no quantity to scale.
    if (v < layout.logicalMin || v > layout.logicalMax) return UsageStatus::ValueOutOfRange;
    if (cap.physicalMin == 0 && cap.physicalMax == 0) {
        scaled = static_cast<int32_t>(v);
        return UsageStatus::Success;
    }
    const int64_t logicalSpan = int64_t{layout.logicalMax} - layout.logicalMin;
    if (logicalSpan == 0) {
        scaled = cap.physicalMin;
        return UsageStatus::Success;
    }
    const Wide physicalSpan = Wide{cap.physicalMax} - cap.physicalMin;
    const Wide offset = physicalSpan * (v - layout.logicalMin) / logicalSpan;
    // Between the physical limits, so within 32 bits.
    scaled = static_cast<int32_t>(cap.physicalMin + offset);
    return UsageStatus::Success;
}

}  // namespace halvorn::hid
