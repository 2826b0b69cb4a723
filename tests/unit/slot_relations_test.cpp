// How slots of one device lead to its page: the identity slot, the partner
// connection and the page row, over the real supported-interface table.

#include "device/slot_relations.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "device/device_page_tables.h"

namespace halvorn {
namespace {

std::vector<InterfaceSlot> FreshSlots() {
    return {SupportedInterfaces().begin(), SupportedInterfaces().end()};
}

TEST(SlotRelationsTest, EverySlotLeadsToItsDevicesIdentityAndPageRow) {
    struct Case {
        std::size_t slot;
        std::optional<std::size_t> identity;
        std::optional<std::size_t> pageRow;
    };
    const Case cases[] = {
        {0, 0, kKeyboardPageRow},  // keyboard protocol
        {1, 0, kKeyboardPageRow},  // its input collection
        {2, 0, std::nullopt},      // keyboard receiver: the cable keyboard's page
        {3, 0, std::nullopt},      // receiver input -> receiver protocol -> cable
        {4, 4, kMousePageRow},     // mouse
        {5, 4, kMousePageRow},
        {6, 4, kMousePageRow},  // mouse receiver looks up the cable mouse
        {7, 4, kMousePageRow},
        {8, 8, kMousePadPageRow},  // mouse pad: no partner
        {9, 8, kMousePadPageRow},
        {10, 10, kHeadsetPageRow},  // headset
        {11, std::nullopt, std::nullopt},
    };
    const auto slots = FreshSlots();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        EXPECT_EQ(PageIdentitySlot(slots, c.slot), c.identity);
        EXPECT_EQ(PageRowForSlot(slots, c.slot), c.pageRow);
    }
}

TEST(SlotRelationsTest, ReceiverSlotWhosePartnerDoesNotNameItBackKeepsItsOwnIdentity) {
    auto slots = FreshSlots();
    slots[0].partner = 5;
    EXPECT_EQ(PageIdentitySlot(slots, 2), 2u);
    slots[2].partner = 40;  // a broken partner index is not followed
    EXPECT_EQ(PageIdentitySlot(slots, 3), std::nullopt);
    EXPECT_EQ(PageIdentitySlot(slots, 2), 2u);
}

TEST(SlotRelationsTest, PartnerIsConnectedOnlyWhenBoundAndNamingTheSlotBack) {
    auto slots = FreshSlots();
    EXPECT_FALSE(PartnerConnected(slots, 2));
    slots[0].occupied = 1;
    EXPECT_FALSE(PartnerConnected(slots, 2));  // no path yet
    slots[0].path = "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col04";
    EXPECT_TRUE(PartnerConnected(slots, 2));
    EXPECT_FALSE(PartnerConnected(slots, 0));  // slot 2 is free
    slots[0].partner = 3;
    EXPECT_FALSE(PartnerConnected(slots, 2));
    EXPECT_FALSE(PartnerConnected(slots, 8));  // the mouse pad has no partner
    EXPECT_FALSE(PartnerConnected(slots, 99));
}

TEST(SlotRelationsTest, PageRowLookupNeedsEveryKeyField) {
    EXPECT_EQ(FindDeviceOptionRow(0x3A17, 0x6E21, device_kind::kKeyboard, 0), kKeyboardPageRow);
    EXPECT_EQ(FindDeviceOptionRow(0x3A17, 0x6E21, device_kind::kKeyboard, 1), std::nullopt);
    EXPECT_EQ(FindDeviceOptionRow(0x3A17, 0x6E22, device_kind::kKeyboard, 0), std::nullopt);
    EXPECT_EQ(FindDeviceOptionRow(0x2B54, 0x1D07, device_kind::kHeadset, 0), kHeadsetPageRow);
}

}  // namespace
}  // namespace halvorn
