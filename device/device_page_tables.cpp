#include "device/device_page_tables.h"

#include "device/supported_interfaces.h"

namespace halvorn {
namespace {

constexpr std::string_view kOptionLayout = "XML/DeviceOption.xml";
constexpr std::string_view kTabHeaderGroup = "tab_header_device";
constexpr std::string_view kPowerTabLayout = "device_power_switch";
constexpr std::string_view kLightControlName = "cavrel_light";

}  // namespace

const std::array<DeviceOptionRow, kDevicePageRowCount>& DeviceOptionTable() {
    using namespace device_kind;
    static const std::array<DeviceOptionRow, kDevicePageRowCount> table = {{
        {kOptionLayout, kTabHeaderGroup, kPowerTabLayout, "mouse", 1, 0x0000, 0x0000, kMouse, 0},
        {kOptionLayout, kTabHeaderGroup, kPowerTabLayout, "keyboard", 0, 0x3A17, 0x6E21, kKeyboard,
         0},
        {kOptionLayout, kTabHeaderGroup, kPowerTabLayout, "MousePad", 2, 0x0000, 0x0000, kMousePad,
         0},
        {kOptionLayout, kTabHeaderGroup, kPowerTabLayout, "HD", 3, 0x2B54, 0x1D07, kHeadset, 0},
    }};
    return table;
}

const std::array<DeviceLayoutRow, kDevicePageRowCount>& DeviceLayoutTable() {
    static const std::array<DeviceLayoutRow, kDevicePageRowCount> table = {{
        {15, 11, true, -1, "XML/DeviceXml/mousedevice.xml", kLightControlName},
        {170, 170, false, -1, "XML/DeviceXml/keyboarddevice.xml", kLightControlName},
        {15, 0, false, -1, "XML/DeviceXml/mousepaddevice.xml", kLightControlName},
        {13, 0, false, -1, "XML/DeviceXml/zo6533device.xml", kLightControlName},
    }};
    return table;
}

std::optional<std::size_t> FindDeviceOptionRow(uint16_t vendorId, uint16_t productId, uint16_t kind,
                                               uint16_t variant) {
    const auto& table = DeviceOptionTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const DeviceOptionRow& r = table[i];
        if (r.vendorId == vendorId && r.productId == productId && r.kind == kind &&
            r.variant == variant) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace halvorn
