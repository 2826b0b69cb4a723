#pragma once

// A keyboard page in a headless window, wired to a virtual keyboard: the
// device object sits in the window's tree (so it has a manager and the
// window's fake loop), keeps its files in a folder of the test's own and
// reads the shipped defaults.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/picture_controls.h"
#include "device/supported_interfaces.h"
#include "models/keyboard_device.h"
#include "profile/macro_store.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"
#include "tests/support/virtual_keyboard.h"
#include "tools/vdev/keyboard_layout.h"

namespace halvorn::testing {

inline std::filesystem::path ShippedDefaultData() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() /
           "DefaultData";
}

// The page: the picture holds a key button per key index (its user data
// names the key's light dot) and the hidden translation label.
inline std::string KeyboardPageXml() {
    std::string xml =
        "<Window size=\"1200,600\"><VerticalLayout>"
        "<OvantisKeyboardDevice name=\"keyboard_page\">"
        "<SelectPanel name=\"keyboard_device_key_light\">";
    for (int k = 0; k < 170; ++k) {
        xml += "<DeviceKeyButton name=\"key_" + std::to_string(k) + "\" userdata=\"light_" +
               std::to_string(k) + "\" float=\"true\" pos=\"" + std::to_string(7 * k) + ",0," +
               std::to_string(7 * k + 6) + ",20\"/>";
    }
    xml +=
        "</SelectPanel>"
        "<Label name=\"text_test\" visible=\"false\"/>"
        "</OvantisKeyboardDevice></VerticalLayout></Window>";
    return xml;
}

// The first key position of the factory matrix wired to `keyIndex`, or -1.
inline int MatrixPosition(int keyIndex) {
    const auto& matrix = vdev::FactoryMatrix();
    for (std::size_t q = 0; q < matrix.size(); ++q) {
        if (matrix[q] == keyIndex) return static_cast<int>(q);
    }
    return -1;
}

// The command bytes of `requests`, runs of one command (its chunks) as one.
inline std::vector<int> CommandRuns(const std::vector<std::vector<uint8_t>>& requests) {
    std::vector<int> out;
    for (const auto& r : requests) {
        if (out.empty() || out.back() != r[3]) out.push_back(r[3]);
    }
    return out;
}

inline std::vector<std::vector<uint8_t>> RequestsOf(
    const std::vector<std::vector<uint8_t>>& requests, int command) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& r : requests) {
        if (r[3] == command) out.push_back(r);
    }
    return out;
}

class KeyboardPageTest : public ::testing::Test {
protected:
    explicit KeyboardPageTest(vdev::KeyboardOptions options = {}) : kb(options) {}

    void SetUp() override { Build(); }

    void Build() {
        RegisterPictureControls(ui.context.Factory());
        ui.context.Factory().Register("OvantisKeyboardDevice", [this] {
            return std::make_unique<COvantisKeyboardDevice>(kb.backend);
        });
        ui.context.Language().Set("Key_Set", " -> ");
        ASSERT_NE(ui.Show(KeyboardPageXml()), nullptr) << ui.builder.Error();
        device = ui.Find<COvantisKeyboardDevice>("keyboard_page");
        ASSERT_NE(device, nullptr);
        device->SetDataFolder(data.Path());
        device->SetDefaultDataFolder(ShippedDefaultData());
        device->Initialize();
    }

    void OpenCable() {
        auto& protocol = device->CommandProtocol();
        ASSERT_TRUE(protocol.WiredChannel().Open(kKeyboardProtocolPath, true, true, true, false));
        protocol.SetOpen(true);
        protocol.SetChannelMode(1);
    }

    void Connect() {
        OpenCable();
        device->Connect();
    }

    std::filesystem::path KindFolder() const { return data.Path() / "keyboard"; }

    // Macros numbered in order, each with its events.
    void WriteMacros(const std::vector<std::vector<MacroEvent>>& macros) {
        MacroStore store(KindFolder());
        for (std::size_t i = 0; i < macros.size(); ++i) {
            ASSERT_EQ(store.Add(), MacroResult::kDone);
            ASSERT_EQ(store.Save(static_cast<int>(i), macros[i]), MacroResult::kDone);
        }
    }

    // Stores the assignments in the profile file, as the key panel does.
    void Assign(const std::vector<std::pair<int, KeyCode>>& assignments) {
        auto keys = device->Profile().GetKeyList();
        for (const auto& [key, code] : assignments) keys.at(key).assignment = code;
        device->Profile().SetKeyList(keys);
        ASSERT_TRUE(device->Profile().SaveProfile());
    }

    // Runs the window's loop (posts, and the fake clock for its timers)
    // until `done`, for at most about five seconds of real time.
    bool PumpUntil(const std::function<bool()>& done) {
        using namespace std::chrono_literals;
        for (int i = 0; i < 250; ++i) {
            if (done()) return true;
            ui.loop.RunPendingWithin(20ms);
            ui.loop.Advance(10ms);
        }
        return done();
    }

    int ConfigDepth() const {
        return kb.Firmware([](auto& fw) { return fw.ConfigDepth(); });
    }

    VirtualKeyboard kb;
    test::TempDir data;
    ui::testing::HeadlessUi ui;
    COvantisKeyboardDevice* device = nullptr;
};

}  // namespace halvorn::testing
