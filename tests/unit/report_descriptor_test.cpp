#include "platform/hid/report_descriptor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "tools/vdev/keyboard_descriptors.h"

namespace halvorn::hid {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<uint8_t>;

ReportDescriptor MustParse(std::span<const uint8_t> bytes) {
    DescriptorParse p = ParseReportDescriptor(bytes);
    EXPECT_EQ(p.error, DescriptorError::None)
        << DescriptorErrorText(p.error) << " at " << p.errorOffset;
    return p.descriptor.value_or(ReportDescriptor{});
}

// One application collection (Generic Desktop / Joystick) around `body`.
Bytes InApplication(const Bytes& body) {
    Bytes d = {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01};
    d.insert(d.end(), body.begin(), body.end());
    d.push_back(0xC0);
    return d;
}

std::vector<uint16_t> Active(const ButtonCap& cap, const Bytes& report) {
    std::vector<uint16_t> usages = {0xDEAD};  // replaced, not appended to
    EXPECT_EQ(ActiveUsages(cap, report, usages), UsageStatus::Success);
    return usages;
}

TEST(ReportDescriptor, BootKeyboard) {
    const ReportDescriptor d = MustParse(vdev::kKeyboardBootDescriptor);
    EXPECT_FALSE(d.usesReportIds);
    ASSERT_EQ(d.collections.size(), 1u);
    const CollectionCaps& c = d.collections[0];
    EXPECT_EQ(c.usagePage, 0x01);
    EXPECT_EQ(c.usage, 0x06);
    EXPECT_THAT(c.reportIds, IsEmpty());
    EXPECT_EQ(c.ReportLength(ReportKind::Input), 9);  // 8 data bytes + ID byte
    EXPECT_EQ(c.ReportLength(ReportKind::Output), 2);
    EXPECT_EQ(c.ReportLength(ReportKind::Feature), 0);
    EXPECT_THAT(c.Values(ReportKind::Input), IsEmpty());

    // Modifier bits and the key array; the reserved byte gives no cap.
    const auto& in = c.Buttons(ReportKind::Input);
    ASSERT_EQ(in.size(), 2u);
    EXPECT_FALSE(in[0].isArray);
    EXPECT_EQ(in[0].usagePage, 0x07);
    EXPECT_TRUE(in[0].isRange);
    EXPECT_EQ(in[0].usageMin, 0xE0);
    EXPECT_EQ(in[0].usageMax, 0xE7);
    EXPECT_EQ(in[0].layout.bitOffset, 0u);
    EXPECT_EQ(in[0].layout.reportCount, 8);
    EXPECT_TRUE(in[1].isArray);
    EXPECT_EQ(in[1].usageMin, 0x00);
    EXPECT_EQ(in[1].usageMax, 0x65);
    EXPECT_EQ(in[1].layout.bitOffset, 16u);
    EXPECT_EQ(in[1].layout.bitSize, 8);
    EXPECT_EQ(in[1].layout.reportCount, 6);
    EXPECT_EQ(MaxActiveUsages(in[0]), 8);
    EXPECT_EQ(MaxActiveUsages(in[1]), 6);

    const Bytes report = {0x00, 0x22, 0x00, 0x04, 0x00,
                          0x05, 0x00, 0x00, 0x00};  // left and right shift; a, b
    EXPECT_THAT(Active(in[0], report), ElementsAre(0xE1, 0xE5));
    EXPECT_THAT(Active(in[1], report), ElementsAre(0x04, 0x05));

    const auto& out = c.Buttons(ReportKind::Output);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].usagePage, 0x08);
    EXPECT_EQ(out[0].usageMin, 1);
    EXPECT_EQ(out[0].usageMax, 5);
    EXPECT_THAT(Active(out[0], {0x00, 0xFF}), ElementsAre(1, 2, 3, 4, 5));  // padding bits ignored
}

TEST(ReportDescriptor, CompositeKeyboard) {
    const ReportDescriptor d = MustParse(vdev::kKeyboardCompositeDescriptor);
    EXPECT_TRUE(d.usesReportIds);
    ASSERT_EQ(d.collections.size(), 4u);

    struct Expect {
        uint16_t page, usage;
        uint8_t id;
        uint16_t inLen, outLen;
        std::size_t buttons, values;
    };
    const Expect table[] = {
        {0x01, 0x06, 1, 17, 0, 2, 0},
        {0x01, 0x80, 2, 2, 0, 1, 0},
        {0x0C, 0x01, 3, 3, 0, 1, 0},
        {0xFF1C, 0x92, 4, 64, 64, 0, 1},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        const CollectionCaps& c = d.collections[i];
        EXPECT_EQ(c.usagePage, table[i].page);
        EXPECT_EQ(c.usage, table[i].usage);
        EXPECT_THAT(c.reportIds, ElementsAre(table[i].id));
        EXPECT_EQ(c.ReportLength(ReportKind::Input), table[i].inLen);
        EXPECT_EQ(c.ReportLength(ReportKind::Output), table[i].outLen);
        EXPECT_EQ(c.ReportLength(ReportKind::Feature), 0);
        EXPECT_EQ(c.Buttons(ReportKind::Input).size(), table[i].buttons);
        EXPECT_EQ(c.Values(ReportKind::Input).size(), table[i].values);
        for (const auto& b : c.Buttons(ReportKind::Input))
            EXPECT_EQ(b.layout.reportId, table[i].id);
    }

    // Key bitmap: bit n of the 15 bytes after the modifiers is usage n.
    const ButtonCap& bitmap = d.collections[0].Buttons(ReportKind::Input)[1];
    EXPECT_EQ(bitmap.layout.bitOffset, 8u);
    Bytes keys(17, 0);
    keys[0] = 1;
    keys[1] = 0x02;   // left shift
    keys[2] = 0x11;   // usage 0 (left out) and usage 4
    keys[16] = 0x80;  // usage 0x77
    EXPECT_THAT(Active(bitmap, keys), ElementsAre(0x04, 0x77));
    EXPECT_THAT(Active(d.collections[0].Buttons(ReportKind::Input)[0], keys), ElementsAre(0xE1));

    const ButtonCap& system = d.collections[1].Buttons(ReportKind::Input)[0];
    EXPECT_THAT(Active(system, {2, 0xFA}), ElementsAre(0x82));  // padding bits ignored

    const ButtonCap& consumer = d.collections[2].Buttons(ReportKind::Input)[0];
    EXPECT_TRUE(consumer.isArray);
    EXPECT_EQ(consumer.usagePage, 0x0C);
    EXPECT_EQ(consumer.usageMax, 0x2FFF);
    EXPECT_THAT(Active(consumer, {3, 0x01, 0x04}), ElementsAre(0x401));
    EXPECT_THAT(Active(consumer, {3, 0x00, 0x00}), IsEmpty());
    EXPECT_THAT(Active(consumer, {3, 0x00, 0x30}), IsEmpty());  // 0x3000: past logical max

    const CollectionCaps& vendor = d.collections[3];
    const ValueCap& in = vendor.Values(ReportKind::Input)[0];
    EXPECT_EQ(in.usagePage, 0xFF1C);
    EXPECT_EQ(in.usageMin, 0x01);
    EXPECT_FALSE(in.isRange);
    EXPECT_EQ(in.layout.reportCount, 63);
    EXPECT_EQ(in.layout.logicalMax, 255);  // 0x26 0xFF 0x00
    ASSERT_EQ(vendor.Values(ReportKind::Output).size(), 1u);
    EXPECT_EQ(vendor.Values(ReportKind::Output)[0].usageMin, 0x02);
    Bytes protocol(64, 0);
    protocol[0] = 4;
    protocol[1] = 0xA5;
    uint32_t raw = 0;
    EXPECT_EQ(UsageValue(in, 0x01, protocol, raw), UsageStatus::Success);
    EXPECT_EQ(raw, 0xA5u);
}

TEST(ReportDescriptor, ValueRangeGivesOneFieldPerUsage) {
    // Usages 1..4, four 8-bit fields, then an 8-bit pad.
    const ReportDescriptor d = MustParse(InApplication({
        0x05, 0x01, 0x19, 0x01, 0x29, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
        0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x95, 0x01, 0x81, 0x03,
    }));
    const auto& values = d.collections[0].Values(ReportKind::Input);
    ASSERT_EQ(values.size(), 1u);
    const ValueCap& cap = values[0];
    EXPECT_TRUE(cap.isRange);
    EXPECT_EQ(cap.usageMax - cap.usageMin + 1, 4);
    EXPECT_EQ(d.collections[0].ReportLength(ReportKind::Input), 6);

    const Bytes report = {0x00, 0x10, 0x20, 0x30, 0x40, 0x99};
    for (uint16_t usage = 1; usage <= 4; ++usage) {
        uint32_t raw = 0;
        EXPECT_EQ(UsageValue(cap, usage, report, raw), UsageStatus::Success);
        EXPECT_EQ(raw, 0x10u * usage) << usage;
    }
    uint32_t raw = 0;
    EXPECT_EQ(UsageValue(cap, 5, report, raw), UsageStatus::UsageNotFound);
    EXPECT_EQ(UsageValue(cap, 0, report, raw), UsageStatus::UsageNotFound);
}

TEST(ReportDescriptor, SingleUsagesTakeFieldsInOrderLastRepeats) {
    // X, Y, four 4-bit fields: X takes one, Y the three that remain.
    const ReportDescriptor d = MustParse(InApplication({
        0x09,
        0x30,
        0x09,
        0x31,
        0x15,
        0x00,
        0x25,
        0x0F,
        0x75,
        0x04,
        0x95,
        0x04,
        0x81,
        0x02,
    }));
    const auto& values = d.collections[0].Values(ReportKind::Input);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].usageMin, 0x30);
    EXPECT_EQ(values[0].layout.reportCount, 1);
    EXPECT_EQ(values[1].usageMin, 0x31);
    EXPECT_EQ(values[1].layout.bitOffset, 4u);
    EXPECT_EQ(values[1].layout.reportCount, 3);
    const Bytes report = {0x00, 0x21, 0x43};
    uint32_t x = 0, y = 0;
    EXPECT_EQ(UsageValue(values[0], 0x30, report, x), UsageStatus::Success);
    EXPECT_EQ(UsageValue(values[1], 0x31, report, y), UsageStatus::Success);
    EXPECT_EQ(x, 1u);
    EXPECT_EQ(y, 2u);
}

TEST(ReportDescriptor, SignedAndScaledValues) {
    struct Case {
        const char* name;
        Bytes limits;  // logical and physical items
        uint8_t bits;
        uint32_t field;
        uint32_t raw;
        int32_t scaled;
        UsageStatus scaledStatus;
    };
    const Case cases[] = {
        {"signed byte", {0x15, 0x81, 0x25, 0x7F}, 8, 0xFF, 0xFF, -1, UsageStatus::Success},
        {"signed min", {0x15, 0x81, 0x25, 0x7F}, 8, 0x81, 0x81, -127, UsageStatus::Success},
        {"signed 12 bit",
         {0x16, 0x01, 0xF8, 0x26, 0xFF, 0x07},
         12,
         0x800,
         0x800,
         0,
         UsageStatus::ValueOutOfRange},  // -2048 below -2047
        {"signed 12 bit -5",
         {0x16, 0x01, 0xF8, 0x26, 0xFF, 0x07},
         12,
         0xFFB,
         0xFFB,
         -5,
         UsageStatus::Success},
        {"unsigned max 0xFF", {0x15, 0x00, 0x25, 0xFF}, 8, 0xC8, 0xC8, 200, UsageStatus::Success},
        {"scaled 0..255 to 0..1000",
         {0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03},
         8,
         51,
         51,
         200,
         UsageStatus::Success},
        {"scaled -127..127 to -90..90",
         {0x15, 0x81, 0x25, 0x7F, 0x35, 0xA6, 0x45, 0x5A},
         8,
         0x81,
         0x81,
         -90,
         UsageStatus::Success},
        {"reversed physical",
         {0x15, 0x00, 0x25, 0x0A, 0x35, 0x64, 0x45, 0x00},
         8,
         3,
         3,
         70,
         UsageStatus::Success},
        {"out of logical range",
         {0x15, 0x01, 0x25, 0x08},
         8,
         9,
         9,
         0,
         UsageStatus::ValueOutOfRange},
        {"full 32 bit signed",
         {0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F},
         32,
         0xFFFFFFFE,
         0xFFFFFFFE,
         -2,
         UsageStatus::Success},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes body = {0x09, 0x30, 0x75, c.bits, 0x95, 0x01};
        body.insert(body.end(), c.limits.begin(), c.limits.end());
        body.insert(body.end(), {0x81, 0x42});  // data, variable, null state
        const ReportDescriptor d = MustParse(InApplication(body));
        ASSERT_EQ(d.collections.size(), 1u);
        ASSERT_EQ(d.collections[0].Values(ReportKind::Input).size(), 1u);
        const ValueCap& cap = d.collections[0].Values(ReportKind::Input)[0];
        EXPECT_TRUE(cap.hasNull);
        Bytes report = {0, static_cast<uint8_t>(c.field), static_cast<uint8_t>(c.field >> 8),
                        static_cast<uint8_t>(c.field >> 16), static_cast<uint8_t>(c.field >> 24)};
        uint32_t raw = 0;
        int32_t scaled = 0;
        EXPECT_EQ(UsageValue(cap, 0x30, report, raw), UsageStatus::Success);
        EXPECT_EQ(raw, c.raw);
        EXPECT_EQ(ScaledUsageValue(cap, 0x30, report, scaled), c.scaledStatus);
        if (c.scaledStatus == UsageStatus::Success) {
            EXPECT_EQ(scaled, c.scaled);
        }
    }
}

TEST(ReportDescriptor, PushPopRestoresGlobals) {
    // Push, switch to 16-bit Button-page fields with ID 2, Pop: the next item
    // is 8-bit again, with ID 1 and the Generic Desktop page.
    const ReportDescriptor d = MustParse(InApplication({
        0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x15, 0x00, 0x25, 0x64, 0xA4, 0x05, 0x09,
        0x85, 0x02, 0x75, 0x10, 0x09, 0x07, 0x81, 0x02, 0xB4, 0x09, 0x30, 0x81, 0x02,
    }));
    const auto& values = d.collections[0].Values(ReportKind::Input);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].usagePage, 0x09);
    EXPECT_EQ(values[0].layout.reportId, 2);
    EXPECT_EQ(values[0].layout.bitSize, 16);
    EXPECT_EQ(values[1].usagePage, 0x01);
    EXPECT_EQ(values[1].layout.reportId, 1);
    EXPECT_EQ(values[1].layout.bitSize, 8);
    EXPECT_EQ(values[1].layout.bitOffset, 0u);  // report 1 starts afresh
    EXPECT_THAT(d.collections[0].reportIds, ElementsAre(1, 2));
    EXPECT_EQ(d.collections[0].ReportLength(ReportKind::Input), 3);
}

TEST(ReportDescriptor, ArrayWithSeveralUsageEntries) {
    // An array of 2 slots, indexes 1..5: Usage 0x40, Usage range 0x10..0x12,
    // extended usage 0x000C00E9 (Consumer / Volume Up).
    const ReportDescriptor d = MustParse(InApplication({
        0x09, 0x40, 0x19, 0x10, 0x29, 0x12, 0x0B, 0xE9, 0x00, 0x0C, 0x00,
        0x15, 0x01, 0x25, 0x05, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00,
    }));
    const auto& caps = d.collections[0].Buttons(ReportKind::Input);
    ASSERT_EQ(caps.size(), 3u);
    EXPECT_EQ(caps[2].usagePage, 0x0C);
    EXPECT_EQ(caps[2].usageMin, 0xE9);
    const Bytes report = {0, 0x03, 0x05};  // index 3 -> 0x11, index 5 -> Volume Up
    EXPECT_THAT(Active(caps[0], report), IsEmpty());
    EXPECT_THAT(Active(caps[1], report), ElementsAre(0x11));
    EXPECT_THAT(Active(caps[2], report), ElementsAre(0xE9));
    EXPECT_THAT(Active(caps[0], {0, 0x01, 0x00}), ElementsAre(0x40));
    // Each entry selects its own slice of the indexes 1..5.
    const std::pair<int32_t, int32_t> slices[] = {{1, 1}, {2, 4}, {5, 5}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(caps[i].layout.logicalMin, slices[i].first) << i;
        EXPECT_EQ(caps[i].layout.logicalMax, slices[i].second) << i;
    }
    EXPECT_THAT(Active(caps[2], {0, 0x03, 0x04}), IsEmpty());
}

TEST(ReportDescriptor, Errors) {
    struct Case {
        const char* name;
        Bytes bytes;
        DescriptorError error;
        std::size_t offset;
    };
    Bytes bomb;
    for (int i = 0; i < 1000; ++i) bomb.insert(bomb.end(), {0xA1, 0x00});
    Bytes pushes = {0x05, 0x01};
    for (int i = 0; i < 100; ++i) pushes.push_back(0xA4);
    Bytes tooLong = InApplication({0x75, 0x08, 0x96, 0x00, 0x10, 0x81, 0x02});  // 4096 bytes
    Bytes twoFull = InApplication(
        {0x75, 0x08, 0x96, 0xFF, 0x0F, 0x81, 0x02, 0x95, 0x01, 0x81, 0x02});  // 4095 + 1
    const Case cases[] = {
        {"item data past the end", {0x05, 0x01, 0x09}, DescriptorError::Truncated, 2},
        {"4-byte item cut short", {0x07, 0x01, 0x00}, DescriptorError::Truncated, 0},
        {"end without collection", {0xC0}, DescriptorError::UnbalancedCollection, 0},
        {"collection never closed",
         {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xA1, 0x00, 0xC0},
         DescriptorError::UnbalancedCollection,
         4},
        {"nesting bomb", bomb, DescriptorError::StackOverflow, 64},
        {"push bomb", pushes, DescriptorError::StackOverflow, 18},
        {"pop without push", {0xB4}, DescriptorError::BadItem, 0},
        {"long item", InApplication({0xFE, 0x02, 0x10, 0xAA, 0xBB}), DescriptorError::BadItem, 6},
        {"reserved item type", InApplication({0x0C}), DescriptorError::BadItem, 6},
        {"reserved global tag", InApplication({0xF4}), DescriptorError::BadItem, 6},
        {"reserved main tag", InApplication({0x01}), DescriptorError::BadItem, 6},
        {"input outside collection",
         {0x75, 0x08, 0x95, 0x01, 0x81, 0x02},
         DescriptorError::MainItemOutsideCollection,
         4},
        {"report size too wide", InApplication({0x76, 0x01, 0x01}), DescriptorError::BadItem, 6},
        {"report count huge", InApplication({0x97, 0x00, 0x00, 0x01, 0x00}),
         DescriptorError::TooLarge, 6},
        {"report over 4096 bytes", tooLong, DescriptorError::TooLarge, 11},
        {"report grows over 4096 bytes", twoFull, DescriptorError::TooLarge, 15},
        {"usage page too wide", InApplication({0x07, 0x00, 0x00, 0x01, 0x00}),
         DescriptorError::BadItem, 6},
        {"usage range reversed",
         InApplication({0x19, 0x05, 0x29, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02}),
         DescriptorError::BadItem, 14},
        {"report id 0", InApplication({0x85, 0x00}), DescriptorError::BadReportId, 6},
        {"report id shared by collections",
         {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95,
          0x01, 0x81, 0x02, 0xC0, 0x09, 0x06, 0xA1, 0x01, 0x81, 0x02, 0xC0},
         DescriptorError::BadReportId,
         19},
        {"report without id in numbered descriptor",
         InApplication({0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02}),
         DescriptorError::BadReportId, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DescriptorParse p = ParseReportDescriptor(c.bytes);
        EXPECT_EQ(p.error, c.error) << DescriptorErrorText(p.error);
        EXPECT_EQ(p.errorOffset, c.offset);
        EXPECT_FALSE(p.descriptor.has_value());
        EXPECT_FALSE(DescriptorErrorText(p.error).empty());
    }
}

TEST(ReportDescriptor, LargestReportFits) {
    const ReportDescriptor d = MustParse(InApplication({0x75, 0x08, 0x96, 0xFF, 0x0F, 0x81, 0x02}));
    EXPECT_EQ(d.collections[0].ReportLength(ReportKind::Input), 4096);
}

TEST(ReportDescriptor, EveryPrefixOfRealDescriptorsIsSafe) {
    const std::span<const uint8_t> descriptors[] = {vdev::kKeyboardBootDescriptor,
                                                    vdev::kKeyboardCompositeDescriptor};
    for (std::span<const uint8_t> full : descriptors) {
        const ReportDescriptor whole = MustParse(full);
        for (std::size_t n = 0; n < full.size(); ++n) {
            SCOPED_TRACE(n);
            // A copy of exactly n bytes, so the sanitizer sees any read past it.
            const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            const DescriptorParse p = ParseReportDescriptor(prefix);
            if (p.descriptor) {
                // Cut between collections: the complete ones, as in the whole.
                EXPECT_EQ(p.error, DescriptorError::None);
                const auto& got = p.descriptor->collections;
                ASSERT_LT(got.size(), whole.collections.size());
                for (std::size_t i = 0; i < got.size(); ++i) {
                    EXPECT_EQ(got[i].usage, whole.collections[i].usage);
                    EXPECT_EQ(got[i].reportByteLength, whole.collections[i].reportByteLength);
                }
            } else {
                EXPECT_THAT(p.error, ::testing::AnyOf(DescriptorError::Truncated,
                                                      DescriptorError::UnbalancedCollection));
                EXPECT_LT(p.errorOffset, n);
            }
        }
    }
}

TEST(ReportDescriptor, DecodeStatuses) {
    const ReportDescriptor d = MustParse(vdev::kKeyboardCompositeDescriptor);
    const ButtonCap& consumer = d.collections[2].Buttons(ReportKind::Input)[0];
    const ValueCap& vendor = d.collections[3].Values(ReportKind::Input)[0];
    std::vector<uint16_t> usages;
    uint32_t raw = 0;
    int32_t scaled = 0;

    EXPECT_EQ(ActiveUsages(consumer, Bytes{4, 0x01, 0x04}, usages),
              UsageStatus::IncompatibleReportId);
    EXPECT_EQ(ActiveUsages(consumer, Bytes{3, 0x01}, usages), UsageStatus::ReportTooShort);
    EXPECT_EQ(ActiveUsages(consumer, Bytes{}, usages), UsageStatus::ReportTooShort);
    EXPECT_THAT(usages, IsEmpty());

    Bytes protocol(64, 0);
    protocol[0] = 4;
    EXPECT_EQ(UsageValue(vendor, 1, Bytes(protocol.begin(), protocol.end() - 1), raw),
              UsageStatus::ReportTooShort);
    protocol[0] = 3;
    EXPECT_EQ(UsageValue(vendor, 1, protocol, raw), UsageStatus::IncompatibleReportId);
    EXPECT_EQ(ScaledUsageValue(vendor, 1, protocol, scaled), UsageStatus::IncompatibleReportId);
    protocol[0] = 4;
    EXPECT_EQ(UsageValue(vendor, 2, protocol, raw), UsageStatus::UsageNotFound);
    EXPECT_EQ(ScaledUsageValue(vendor, 1, protocol, scaled), UsageStatus::Success);
}

TEST(ReportDescriptor, EmptyAndCollectionOnlyDescriptors) {
    EXPECT_THAT(MustParse(Bytes{}).collections, IsEmpty());
    const ReportDescriptor d = MustParse(Bytes{0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0});
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_EQ(d.collections[0].usagePage, 0xFF00);
    EXPECT_EQ(d.collections[0].ReportLength(ReportKind::Input), 0);
}

}  // namespace
}  // namespace halvorn::hid
