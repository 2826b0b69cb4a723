// The keyboard page's picture as the program builds it from the skin: one
// key button per key, one light per light index, laid out like a keyboard.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "controls/device_key_button.h"
#include "controls/picture_controls.h"
#include "controls/select_panel.h"
#include "models/keyboard_keys.h"
#include "platform/ui/builder.h"
#include "platform/ui/container.h"
#include "tests/support/ui_actions.h"

namespace halvorn {
namespace {

using ui::CControlUI;
using ui::Rect;

constexpr int kKeyButtons = 126;  // indices with key assignments
constexpr int kLights = keyboard::kKeyIndexCount;
constexpr int kPictureWidth = 760;  // what the 800-pixel main window leaves for it
constexpr int kPictureHeight = 260;

std::filesystem::path SkinFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "skin";
}

// The index after `prefix`, or -1.
int IndexAfter(std::string_view text, std::string_view prefix) {
    if (!text.starts_with(prefix) || text.size() == prefix.size()) return -1;
    int index = 0;
    for (char c : text.substr(prefix.size())) {
        if (c < '0' || c > '9' || index > 1000) return -1;
        index = index * 10 + (c - '0');
    }
    return index;
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

class KeyboardPageLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPictureControls(ui_.context.Factory());
        ui_.context.SetSkinFolder(SkinFolder());
        std::unique_ptr<CControlUI> root =
            builder_.Create("XML\\DeviceXml\\keyboarddevice.xml", nullptr, ui_.manager);
        ASSERT_TRUE(root) << builder_.Error();
        EXPECT_EQ(builder_.Error(), "");
        ui_.manager.AttachDialog(std::move(root));
        ui_.manager.SetClientSize({800, 572});
        picture_ = ui_.Find<CSelectPanelUI>("keyboard_device_key_light");
        ASSERT_NE(picture_, nullptr);

        for (int i = 0; i < picture_->GetCount(); ++i) {
            auto* button = dynamic_cast<CDeviceKeyButtonUI*>(picture_->GetItemAt(i));
            ASSERT_NE(button, nullptr) << "child " << i << " is not a DeviceKeyButton";
            if (int k = IndexAfter(button->GetName(), "key_"); k >= 0) {
                EXPECT_TRUE(keys_.emplace(k, button).second) << "key_" << k << " twice";
            }
            for (std::string_view text : {button->GetName(), button->GetUserData()}) {
                if (int k = IndexAfter(text, "light_"); k >= 0) {
                    EXPECT_TRUE(lights_.emplace(k, button).second) << "light_" << k << " twice";
                }
            }
        }
    }

    Rect Pos(int key) const { return keys_.at(key)->GetPos(); }

    ui::testing::HeadlessUi ui_;
    ui::CDialogBuilder builder_;
    CSelectPanelUI* picture_ = nullptr;
    std::map<int, CDeviceKeyButtonUI*> keys_;
    std::map<int, CDeviceKeyButtonUI*> lights_;
};

TEST_F(KeyboardPageLayoutTest, EveryKeyHasOneButtonAndEveryLightOneDot) {
    const auto& codes = keyboard::KeyCodeTable();
    for (int k = 0; k < kKeyButtons; ++k) {
        const bool realKey = codes[static_cast<std::size_t>(k)].Packed() != 0x200000;
        EXPECT_EQ(keys_.count(k), realKey ? 1u : 0u) << "key_" << k;
        if (realKey && keys_.count(k)) {
            // The key carries its own light.
            EXPECT_EQ(lights_.count(k) ? lights_.at(k) : nullptr, keys_.at(k)) << "key_" << k;
        }
    }
    EXPECT_EQ(keys_.size(), 122u);
    EXPECT_TRUE(keys_.empty() || keys_.rbegin()->first < kKeyButtons);
    ASSERT_EQ(lights_.size(), static_cast<std::size_t>(kLights));
    EXPECT_EQ(lights_.rbegin()->first, kLights - 1);
}

TEST_F(KeyboardPageLayoutTest, ButtonsFitThePictureWithoutOverlapping) {
    EXPECT_LE(picture_->GetFixedWidth(), kPictureWidth);
    EXPECT_LE(picture_->GetFixedHeight(), kPictureHeight);
    const Rect frame = picture_->GetPos();
    EXPECT_EQ(frame.right - frame.left, picture_->GetFixedWidth());
    EXPECT_EQ(frame.bottom - frame.top, picture_->GetFixedHeight());

    std::vector<std::pair<std::string, Rect>> placed;
    for (int i = 0; i < picture_->GetCount(); ++i) {
        CControlUI* button = picture_->GetItemAt(i);
        EXPECT_TRUE(button->IsFloat()) << button->GetName();
        const Rect r = button->GetPos();
        EXPECT_TRUE(r.left >= frame.left && r.top >= frame.top && r.right <= frame.right &&
                    r.bottom <= frame.bottom && r.left < r.right && r.top < r.bottom)
            << button->GetName() << " outside the picture";
        for (const auto& [name, other] : placed) {
            EXPECT_FALSE(Overlap(r, other)) << button->GetName() << " overlaps " << name;
        }
        placed.emplace_back(button->GetName(), r);
    }
}

TEST_F(KeyboardPageLayoutTest, KeysSitWhereTheyAreOnAKeyboard) {
    // (a, b): key a is left of key b on the same row, or above it in the
    // same block, by their factory key indices.
    struct Pair {
        int a;
        int b;
        const char* what;
    };
    const Pair leftOf[] = {
        {0, 1, "Esc, F1"},
        {12, 13, "F12, Print Screen"},
        {21, 22, "grave, 1"},
        {33, 34, "=, Backspace"},
        {43, 44, "Q, W"},
        {51, 52, "O, P"},
        {63, 64, "Caps, A"},
        {74, 62, "quote, ISO hash"},
        {62, 75, "ISO hash, Enter"},
        {84, 102, "Shift, ISO"},
        {102, 85, "ISO, Z"},
        {94, 95, "slash, Shift"},
        {107, 108, "Alt, Space"},
        {109, 125, "Alt Gr, Win"},
        {125, 110, "Win, Fn"},
        {110, 111, "Fn, Menu"},
        {113, 114, "Left, Down"},
        {114, 115, "Down, Right"},
        {34, 35, "Backspace, Insert"},
        {37, 38, "Page Up, Num Lock"},
        {116, 117, "KP 0, KP ."},
    };
    for (const Pair& p : leftOf) {
        ASSERT_TRUE(keys_.count(p.a) && keys_.count(p.b)) << p.what;
        EXPECT_LE(Pos(p.a).right, Pos(p.b).left) << p.what;
        EXPECT_EQ(Pos(p.a).top, Pos(p.b).top) << p.what;
    }
    const Pair above[] = {
        {1, 23, "F1, 2"},
        {23, 44, "2, W"},
        {44, 65, "W, S"},
        {65, 86, "S, X"},
        {86, 108, "X, Space"},
        {36, 57, "Home, End"},
        {96, 114, "Up, Down"},
        {38, 59, "Num Lock, KP 7"},
        {59, 76, "KP 7, KP 4"},
        {76, 97, "KP 4, KP 1"},
        {97, 116, "KP 1, KP 0"},
        {119, 103, "KP +, KP ,"},
        {103, 118, "KP ,, KP Enter"},
        {120, 38, "M1, Num Lock"},
        {124, 41, "M5, KP -"},
        {16, 35, "GM, Insert"},
    };
    for (const Pair& p : above) {
        ASSERT_TRUE(keys_.count(p.a) && keys_.count(p.b)) << p.what;
        EXPECT_LE(Pos(p.a).bottom, Pos(p.b).top) << p.what;
        EXPECT_LT(Pos(p.b).left, Pos(p.a).right) << p.what;  // the same column
        EXPECT_LT(Pos(p.a).left, Pos(p.b).right) << p.what;
    }
    // The wide keys are wider than a letter, and the space bar widest of all.
    auto width = [&](int key) { return Pos(key).right - Pos(key).left; };
    for (int wide : {34, 42, 63, 75, 84, 95, 116}) EXPECT_GT(width(wide), width(43)) << wide;
    for (const auto& [k, button] : keys_) {
        if (k != 108) {
            EXPECT_LT(width(k), width(108)) << k;
        }
    }
    // Keypad Enter spans two rows.
    EXPECT_EQ(Pos(118).bottom, Pos(117).bottom);
    EXPECT_EQ(Pos(118).top, Pos(99).top);
}

TEST_F(KeyboardPageLayoutTest, KeysShowALegendAndStandaloneDotsAreNotKeys) {
    for (const auto& [k, button] : keys_) {
        if (k != 108) {
            EXPECT_FALSE(button->GetText().empty()) << "key_" << k;
        }
    }
    ASSERT_TRUE(keys_.count(43) && keys_.count(0));
    EXPECT_EQ(keys_.at(43)->GetText(), "Q");
    EXPECT_EQ(keys_.at(0)->GetText(), "Esc");
    for (const auto& [k, dot] : lights_) {
        if (keys_.count(k)) continue;
        EXPECT_EQ(dot->GetName(), "light_" + std::to_string(k));
        EXPECT_FALSE(dot->IsMouseEnabled()) << "light_" << k;
    }
}

}  // namespace
}  // namespace halvorn
