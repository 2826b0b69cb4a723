#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/virtual_hub.h"
#include "tools/vdev/virtual_device.h"

namespace halvorn::vdev {

// The in-process hub: devices are plugged and unplugged by name.
class VirtualBus : public hid::VirtualHub {
public:
    ~VirtualBus() override;

    // Plugs a device; a name already in use gets "-2", "-3", ... appended.
    std::shared_ptr<VirtualDevice> Plug(const std::string& name, std::unique_ptr<Firmware> fw);
    bool Unplug(const std::string& name);
    std::shared_ptr<VirtualDevice> Find(const std::string& name) const;
    std::vector<std::string> Names() const;

    std::vector<hid::VirtualInterface> List() override;
    UniqueFd Connect(const std::string& device, int interfaceNumber) override;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<VirtualDevice>> devices_;
};

}  // namespace halvorn::vdev
