#include "tools/vdev/virtual_bus.h"

#include <utility>

namespace halvorn::vdev {

// Devices stay in `devices_` after they are unplugged, so that they can
// still be found and dumped; plugging a new device under the name replaces
// the record.

VirtualBus::~VirtualBus() {
    std::map<std::string, std::shared_ptr<VirtualDevice>> devices;
    {
        std::lock_guard lock(mutex_);
        devices.swap(devices_);
    }
    for (auto& [name, device] : devices) device->Unplug();
}

std::shared_ptr<VirtualDevice> VirtualBus::Plug(const std::string& name,
                                                std::unique_ptr<Firmware> fw) {
    if (!fw) return nullptr;
    std::lock_guard lock(mutex_);
    auto inUse = [this](const std::string& candidate) {
        auto it = devices_.find(candidate);
        return it != devices_.end() && it->second->Plugged();
    };
    std::string unique = name.empty() ? fw->Kind() : name;
    if (inUse(unique)) {
        int suffix = 2;
        while (inUse(unique + "-" + std::to_string(suffix))) ++suffix;
        unique += "-" + std::to_string(suffix);
    }
    auto device = std::make_shared<VirtualDevice>(unique, std::move(fw));
    devices_[unique] = device;
    return device;
}

bool VirtualBus::Unplug(const std::string& name) {
    std::shared_ptr<VirtualDevice> device = Find(name);
    if (!device || !device->Plugged()) return false;
    device->Unplug();
    return true;
}

std::shared_ptr<VirtualDevice> VirtualBus::Find(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = devices_.find(name);
    return it == devices_.end() ? nullptr : it->second;
}

std::vector<std::string> VirtualBus::Names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& [name, device] : devices_) {
        if (device->Plugged()) names.push_back(name);
    }
    return names;
}

std::vector<hid::VirtualInterface> VirtualBus::List() {
    std::vector<std::shared_ptr<VirtualDevice>> devices;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [name, device] : devices_) devices.push_back(device);
    }
    std::vector<hid::VirtualInterface> list;
    for (const auto& device : devices) {
        if (!device->Plugged()) continue;
        hid::Attributes attributes = device->GetAttributes();
        for (InterfaceSpec& iface : device->Interfaces()) {
            list.push_back(
                {device->Name(), iface.number, attributes, std::move(iface.reportDescriptor)});
        }
    }
    return list;
}

UniqueFd VirtualBus::Connect(const std::string& device, int interfaceNumber) {
    std::shared_ptr<VirtualDevice> found = Find(device);
    return found ? found->Connect(interfaceNumber) : UniqueFd();
}

}  // namespace halvorn::vdev
