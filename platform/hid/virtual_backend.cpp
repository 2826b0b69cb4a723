#include "platform/hid/virtual_backend.h"

#include "platform/hid/interface_path.h"
#include "platform/hid/packet_device.h"

namespace halvorn::hid {
namespace {

constexpr std::string_view kScheme = "virtual";

}  // namespace

bool VirtualBackend::Enumerate(std::vector<InterfaceInfo>& out) {
    for (const VirtualInterface& iface : hub_.List()) {
        DescriptorParse parse = ParseReportDescriptor(iface.reportDescriptor);
        if (!parse.descriptor) continue;  // a device we cannot describe is not offered
        const auto& collections = parse.descriptor->collections;
        for (std::size_t i = 0; i < collections.size(); ++i) {
            InterfaceInfo info;
            info.collectionNumber = collections.size() > 1 ? static_cast<int>(i + 1) : 0;
            info.path = MakeInterfacePath(kScheme, iface.device, iface.attributes.vendorId,
                                          iface.attributes.productId, iface.interfaceNumber,
                                          info.collectionNumber);
            info.attributes = iface.attributes;
            info.interfaceNumber = iface.interfaceNumber;
            info.usagePage = collections[i].usagePage;
            info.usage = collections[i].usage;
            out.push_back(std::move(info));
        }
    }
    return true;
}

std::unique_ptr<Device> VirtualBackend::Open(std::string_view path, const OpenFlags& flags) {
    std::optional<InterfacePathParts> parts = SplitInterfacePath(path);
    if (!parts || parts->scheme != kScheme) return nullptr;
    const int interfaceNumber = PathInterfaceNumber(path);
    const int collectionNumber = PathCollectionNumber(path);

    for (VirtualInterface& iface : hub_.List()) {
        if (iface.device != parts->location || iface.interfaceNumber != interfaceNumber) continue;
        // A name reused by another device must not open as the old one.
        if (iface.attributes.vendorId != PathVendorId(path) ||
            iface.attributes.productId != PathProductId(path)) {
            return nullptr;
        }
        DescriptorParse parse = ParseReportDescriptor(iface.reportDescriptor);
        if (!parse.descriptor) return nullptr;
        const int count = static_cast<int>(parse.descriptor->collections.size());
        int index = collectionNumber == 0 ? 0 : collectionNumber - 1;
        if (count == 0 || index >= count || (collectionNumber == 0 && count > 1)) return nullptr;

        std::unique_ptr<PacketIo> io;
        if (flags.read || flags.write) {
            UniqueFd fd = hub_.Connect(iface.device, interfaceNumber);
            if (!fd) return nullptr;
            io = std::make_unique<PacketIo>(std::move(fd));
        }
        return std::make_unique<PacketDevice>(std::move(io), iface.attributes,
                                              std::move(*parse.descriptor), index, interfaceNumber,
                                              collectionNumber);
    }
    return nullptr;
}

}  // namespace halvorn::hid
