#pragma once

#include "platform/hid/backend.h"
#include "platform/hid/virtual_hub.h"

namespace halvorn::hid {

// The Backend over a VirtualHub: paths "virtual:<device>#vid_..&pid_..&mi_..[&col..]".
class VirtualBackend : public Backend {
public:
    explicit VirtualBackend(VirtualHub& hub) : hub_(hub) {}

    bool Enumerate(std::vector<InterfaceInfo>& out) override;
    std::unique_ptr<Device> Open(std::string_view path, const OpenFlags& flags) override;

private:
    VirtualHub& hub_;
};

}  // namespace halvorn::hid
