#include "platform/hid/interface_path.h"

#include <gtest/gtest.h>

#include "device/hid_channel.h"

namespace halvorn {
namespace {

struct PathCase {
    const char* path;
    uint16_t vendor, product, interface, collection;
};

class PathParsers : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathParsers, ReadTheMarkersOfAnyPath) {
    const PathCase& c = GetParam();
    EXPECT_EQ(HidChannel::PathVendorId(c.path), c.vendor);
    EXPECT_EQ(HidChannel::PathProductId(c.path), c.product);
    EXPECT_EQ(HidChannel::PathInterfaceNumber(c.path), c.interface);
    EXPECT_EQ(HidChannel::PathCollectionNumber(c.path), c.collection);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathParsers,
    ::testing::Values(
        PathCase{"hidraw:/dev/hidraw3#vid_3a17&pid_6e21&mi_01&col04", 0x3A17, 0x6E21, 1, 4},
        PathCase{"\\\\?\\HID#VID_3A17&PID_6E21&MI_01&COL04#7&1a2b&0&0003", 0x3A17, 0x6E21, 1, 4},
        // Without "&mi_" and "&col" both numbers are 0.
        PathCase{"hidraw:/dev/hidraw0#vid_2b54&pid_1d07", 0x2B54, 0x1D07, 0, 0},
        PathCase{"no markers at all", 0, 0, 0, 0},
        // Digits are hexadecimal and only the low 16 bits count.
        PathCase{"x#vid_123456&pid_&mi_0a&col1f", 0x3456, 0, 0x0A, 0x1F},
        PathCase{"", 0, 0, 0, 0}));

TEST(InterfacePath, MadePathsCarryTheirMarkersAndSplitBack) {
    const std::string multi =
        hid::MakeInterfacePath("hidraw", "/dev/hidraw3", 0x3A17, 0x6E21, 1, 4);
    EXPECT_EQ(multi, "hidraw:/dev/hidraw3#vid_3a17&pid_6e21&mi_01&col04");
    const std::string single = hid::MakeInterfacePath("virtual", "headset", 0x2B54, 0x1D07, 3, 0);
    EXPECT_EQ(single, "virtual:headset#vid_2b54&pid_1d07&mi_03");
    // Collections above 9 stay readable by the hexadecimal parser.
    EXPECT_EQ(hid::PathCollectionNumber(hid::MakeInterfacePath("v", "d", 1, 2, 3, 12)), 12);

    auto parts = hid::SplitInterfacePath(multi);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->scheme, "hidraw");
    EXPECT_EQ(parts->location, "/dev/hidraw3");
}

TEST(InterfacePath, ForeignTextDoesNotSplit) {
    for (const char* path : {"", "hidraw", ":/dev/hidraw0#vid_1", "hidraw:#vid_1", "a:b"}) {
        EXPECT_FALSE(hid::SplitInterfacePath(path)) << path;
    }
}

}  // namespace
}  // namespace halvorn
