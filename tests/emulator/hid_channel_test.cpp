#include "device/hid_channel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "device/report_frame.h"
#include "tests/support/virtual_keyboard.h"

namespace halvorn {
namespace {

using namespace std::chrono_literals;
using testing::VirtualKeyboard;

TEST(HidChannel, EnumeratesEveryCollectionOfTheVirtualKeyboard) {
    VirtualKeyboard kb;
    HidChannel channel(kb.backend);
    ASSERT_TRUE(channel.EnumerateHidPaths());
    std::vector<std::string> paths;
    while (auto path = channel.NextHidPath()) paths.push_back(*path);
    EXPECT_FALSE(channel.NextHidPath());

    const std::vector<std::string> expected = {
        "virtual:keyboard#vid_3a17&pid_6e21&mi_00",
        "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col01",
        "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col02",
        "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col03",
        "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col04",
    };
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, expected);
    channel.FreeHidPaths();
    EXPECT_FALSE(channel.NextHidPath());
}

TEST(HidChannel, OpenDescribesTheProtocolCollection) {
    VirtualKeyboard kb;
    HidChannel channel(kb.backend);
    ASSERT_TRUE(channel.Open(testing::kKeyboardProtocolPath, true, true, true, false));
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_EQ(channel.GetAttributes().vendorId, 0x3A17);
    EXPECT_EQ(channel.GetAttributes().productId, 0x6E21);
    EXPECT_EQ(channel.GetCaps().usagePage, 0xFF1C);
    EXPECT_EQ(channel.GetCaps().usage, 0x92);
    EXPECT_EQ(channel.GetCaps().inputReportByteLength, 64);
    EXPECT_EQ(channel.GetCaps().outputReportByteLength, 64);
    EXPECT_EQ(channel.InterfaceNumber(), 1);
    EXPECT_EQ(channel.CollectionNumber(), 4);
    EXPECT_EQ(channel.Path(), testing::kKeyboardProtocolPath);
}

TEST(HidChannel, OpenFailsForAbsentOrMismatchedPathsAndLeavesItClosed) {
    VirtualKeyboard kb;
    HidChannel channel(kb.backend);
    for (const char* path :
         {"virtual:mouse#vid_3a17&pid_6e21&mi_01&col04",
          "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col09",
          "virtual:keyboard#vid_1234&pid_6e21&mi_01&col04",
          "virtual:keyboard#vid_3a17&pid_6e21&mi_05", "hidraw:/dev/null#vid_0"}) {
        EXPECT_FALSE(channel.Open(path, true, true, true, false)) << path;
        EXPECT_FALSE(channel.IsOpen());
    }
    kb.bus.Unplug("keyboard");
    EXPECT_FALSE(channel.Open(testing::kKeyboardProtocolPath, true, true, true, false));
}

TEST(HidChannel, ConsumerCollectionDeliversOnlyItsReportsAndDecodesTheUsage) {
    VirtualKeyboard kb;
    HidChannel consumer(kb.backend);
    HidChannel protocol(kb.backend);
    ASSERT_TRUE(consumer.Open(testing::kKeyboardConsumerPath, true, false, true, false));
    ASSERT_TRUE(protocol.Open(testing::kKeyboardProtocolPath, true, true, true, false));

    // A protocol exchange on collection 4 does not reach collection 3.
    const Report request = BuildRequest(command::kBeginConfig, 0, 0);
    ASSERT_EQ(protocol.Write(request, nullptr, 1000), 1);
    Report reply{};
    ASSERT_EQ(protocol.Read(reply, nullptr, 1000), 1);
    EXPECT_EQ(reply[3], command::kBeginConfig);

    kb.device->SendInputReport(1, vdev::KeyboardFirmware::ConsumerReport(0x0402));
    std::array<uint8_t, 64> report{};
    std::size_t n = 0;
    ASSERT_EQ(consumer.Read(report, &n, 1000), 1);
    ASSERT_EQ(n, 3u);
    EXPECT_EQ(report[0], 3);
    ASSERT_TRUE(consumer.UnpackInputReport(std::span(report).first(n)));
    EXPECT_EQ(consumer.FirstUsageValue(), 0x0402u);
    // The protocol collection saw nothing of it.
    EXPECT_EQ(protocol.Read(reply, nullptr, 50), 0);
}

TEST(HidChannel, ReadOnASilentDeviceTimesOutWithNothingPending) {
    VirtualKeyboard kb;
    HidChannel channel(kb.backend);
    ASSERT_TRUE(channel.Open(testing::kKeyboardConsumerPath, true, false, true, false));
    std::array<uint8_t, 64> buffer{};
    std::size_t n = 99;
    EXPECT_EQ(channel.Read(buffer, &n, 30), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(channel.ReadPending());
}

TEST(HidChannel, UnplugEndsAPendingReadAndLaterOnesFail) {
    VirtualKeyboard kb;
    HidChannel channel(kb.backend);
    ASSERT_TRUE(channel.Open(testing::kKeyboardConsumerPath, true, false, true, false));
    auto read = std::async(std::launch::async, [&] {
        std::array<uint8_t, 64> buffer{};
        return channel.Read(buffer, nullptr, 20000);
    });
    while (!channel.ReadPending()) std::this_thread::sleep_for(1ms);
    kb.bus.Unplug("keyboard");
    ASSERT_EQ(read.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(read.get(), 0);
    std::array<uint8_t, 64> buffer{};
    EXPECT_EQ(channel.Read(buffer, nullptr, 20000), 0);
}

TEST(HidChannel, DescriptionOnlyOpenChecksPresence) {
    VirtualKeyboard kb;
    HidChannel channel(kb.backend);
    ASSERT_TRUE(channel.Open(testing::kKeyboardProtocolPath, false, false, true, false));
    EXPECT_EQ(channel.GetCaps().usagePage, 0xFF1C);
    const Report request = BuildRequest(command::kBeginConfig, 0, 0);
    EXPECT_EQ(channel.Write(request, nullptr, 100), 0);
    channel.Close();
    kb.bus.Unplug("keyboard");
    EXPECT_FALSE(channel.Open(testing::kKeyboardProtocolPath, false, false, true, false));
}

}  // namespace
}  // namespace halvorn
