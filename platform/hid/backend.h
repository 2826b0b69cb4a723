#pragma once

// The HID seam: a backend enumerates HID interfaces and opens one top-level
// collection of one of them as a Device. Two backends exist: hidraw (the real
// system, platform/hid/hidraw_backend.h) and virtual (device emulators,
// platform/hid/virtual_backend.h); the program picks one in one place.
//
// Interface paths carry the markers the path parsers read:
//   hidraw:/dev/hidraw3#vid_3a17&pid_6e21&mi_01&col04
//   virtual:keyboard#vid_3a17&pid_6e21&mi_01&col04
// "&colNN" (two hexadecimal digits, from 1) appears only when the interface has
// more than one top-level collection.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/packet_io.h"
#include "platform/hid/report_descriptor.h"

namespace halvorn::hid {

struct Attributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
};

// One top-level collection of one HID interface, as enumeration finds it.
struct InterfaceInfo {
    std::string path;
    Attributes attributes;
    int interfaceNumber = 0;   // USB interface number, 0 when unknown
    int collectionNumber = 0;  // 1-based; 0 when the interface has a single collection
    uint16_t usagePage = 0;
    uint16_t usage = 0;
};

struct OpenFlags {
    bool read = true;
    bool write = true;
    bool overlapped = true;  // kept for callers; every transfer here is bounded anyway
    bool exclusive = false;  // refuse a second exclusive opener (advisory lock)
};

// One opened collection. Reports carry their report-ID byte first (0 when the
// descriptor uses no IDs). Read delivers only this collection's input reports.
// Every call may come from any thread; Abort ends pending and later transfers.
class Device {
public:
    virtual ~Device() = default;

    virtual const Attributes& GetAttributes() const = 0;
    virtual const CollectionCaps& Caps() const = 0;
    virtual int InterfaceNumber() const = 0;
    virtual int CollectionNumber() const = 0;

    virtual IoStatus Read(std::span<uint8_t> buffer, std::size_t& transferred, int timeoutMs) = 0;
    virtual IoStatus Write(std::span<const uint8_t> report, std::size_t& transferred,
                           int timeoutMs) = 0;
    // An output report over the control pipe where the backend has one
    // (HIDIOCSOUTPUT); else as Write.
    virtual IoStatus SetOutputReport(std::span<const uint8_t> report) = 0;
    virtual void Abort() = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Appends every present top-level collection to `out`. False when the
    // system cannot be asked at all (then `out` is left as it was).
    virtual bool Enumerate(std::vector<InterfaceInfo>& out) = 0;

    // Opens the collection named by `path`; null when it is absent, access is
    // refused, or its descriptor cannot be read or parsed. With neither read
    // nor write access the device is opened for its description only (the
    // existence check of the device watcher); its transfers then fail.
    virtual std::unique_ptr<Device> Open(std::string_view path, const OpenFlags& flags) = 0;
};

}  // namespace halvorn::hid
