#pragma once

// Our own HID report-descriptor parser: what the host's HID library would
// tell about an interface (top-level collections, their report IDs, report
// lengths and button/value capabilities), and decoding of received reports.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halvorn::hid {

enum class ReportKind : uint8_t { Input = 0, Output = 1, Feature = 2 };
inline constexpr std::size_t kReportKindCount = 3;

// Reports are always handled with a leading report-ID byte, 0 when the
// descriptor uses no IDs (the device layer adds and strips that byte, as the
// host HID library does). Bit positions count from the byte after it.
struct FieldLayout {
    uint8_t reportId = 0;      // 0 when the descriptor uses no report IDs
    uint32_t bitOffset = 0;    // of the first field
    uint16_t bitSize = 0;      // of one field
    uint16_t reportCount = 0;  // number of fields
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
};

// A main item of kind Array, or a Variable item of 1-bit fields: reports
// which usages are active. An array with several usage entries (single
// usages or ranges) gives one cap per entry, all on the same fields; each
// cap's logicalMin..logicalMax are then the field values that select its own
// usages (value logicalMin selects usageMin).
struct ButtonCap {
    uint16_t usagePage = 0;
    bool isRange = false;
    uint16_t usageMin = 0;  // equal to usageMax for a single usage
    uint16_t usageMax = 0;
    bool isArray = false;  // fields hold usage indexes; else one bit per usage
    FieldLayout layout;
};

// A Variable main item with fields wider than one bit: one value per usage.
// Usages take the fields in order; the last usage (or range) takes all the
// fields that remain, so layout.reportCount may exceed the usage count.
// Physical limits equal the logical ones when the descriptor gives 0/0.
struct ValueCap {
    uint16_t usagePage = 0;
    bool isRange = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    bool hasNull = false;
    FieldLayout layout;
};

struct CollectionCaps {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> reportIds;  // every report ID used inside, ascending; empty without IDs
    // Longest report of each kind in bytes, including the report-ID byte (one
    // byte is counted for it even without IDs, as the host HID library does);
    // 0 when the collection has no report of that kind.
    std::array<uint16_t, kReportKindCount> reportByteLength{};
    std::array<std::vector<ButtonCap>, kReportKindCount> buttonCaps;
    std::array<std::vector<ValueCap>, kReportKindCount> valueCaps;

    uint16_t ReportLength(ReportKind k) const { return reportByteLength[static_cast<int>(k)]; }
    const std::vector<ButtonCap>& Buttons(ReportKind k) const {
        return buttonCaps[static_cast<int>(k)];
    }
    const std::vector<ValueCap>& Values(ReportKind k) const {
        return valueCaps[static_cast<int>(k)];
    }
};

// Most usages ActiveUsages can report for `cap` at once.
inline uint16_t MaxActiveUsages(const ButtonCap& cap) {
    if (cap.isArray) return cap.layout.reportCount;
    uint32_t span = cap.usageMax >= cap.usageMin ? cap.usageMax - cap.usageMin + 1u : 0u;
    return static_cast<uint16_t>(span < cap.layout.reportCount ? span : cap.layout.reportCount);
}

struct ReportDescriptor {
    bool usesReportIds = false;
    std::vector<CollectionCaps> collections;  // top-level collections in descriptor order
};

enum class DescriptorError {
    None = 0,
    Truncated,  // an item runs past the end of the bytes
    UnbalancedCollection,
    StackOverflow,  // push/collection nesting deeper than we accept
    BadItem,        // reserved item, long item, size/usage out of range
    MainItemOutsideCollection,
    TooLarge,     // report longer than 4096 bytes or too many items
    BadReportId,  // ID 0, an ID shared by two collections, reports with and without IDs
};

struct DescriptorParse {
    std::optional<ReportDescriptor> descriptor;
    DescriptorError error = DescriptorError::None;
    std::size_t errorOffset = 0;  // byte offset of the offending item
};

// Parses raw descriptor bytes; never reads past `bytes`. Bytes without any
// collection give a descriptor with no collections.
DescriptorParse ParseReportDescriptor(std::span<const uint8_t> bytes);
std::string DescriptorErrorText(DescriptorError error);

enum class UsageStatus {
    Success = 0,
    IncompatibleReportId,  // the report's first byte is not the capability's report ID
    ReportTooShort,        // the report ends before the capability's fields
    UsageNotFound,         // the usage is not covered by the capability
    ValueOutOfRange,       // scaled value only: the field is outside the logical range (null)
};

// Active usages of a button capability in `report` (report-ID byte first), in
// field order; usages outside the capability's range, usage 0 and the
// array's empty (out-of-range) entries are left out. `usages` is replaced.
// A report whose first byte differs from a non-zero layout.reportId is
// IncompatibleReportId; one that ends before the cap's last field is
// ReportTooShort.
UsageStatus ActiveUsages(const ButtonCap& cap, std::span<const uint8_t> report,
                         std::vector<uint16_t>& usages);

// Raw (unsigned, as stored) and scaled (logical range mapped onto the physical
// range; the logical value when no physical range is given) value of `usage`.
// Fields wider than 32 bits give their low 32 bits. For a range cap the field
// is usage - usageMin, the last field for usages past the field count.
UsageStatus UsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report,
                       uint32_t& raw);
UsageStatus ScaledUsageValue(const ValueCap& cap, uint16_t usage, std::span<const uint8_t> report,
                             int32_t& scaled);

}  // namespace halvorn::hid
