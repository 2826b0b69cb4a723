#pragma once

// A device emulator's firmware model: the device's memory and how it answers
// what the host writes. The framework (VirtualDevice) owns the connections,
// the service thread, the request log and the faults; a firmware only turns
// received reports into reports to send.

#include <json/value.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/backend.h"

namespace halvorn::vdev {

struct InterfaceSpec {
    int number = 0;
    std::vector<uint8_t> reportDescriptor;
};

// Reports a firmware sends: each goes to every connection of its interface.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void Send(int interfaceNumber, std::vector<uint8_t> report) = 0;
};

class Firmware {
public:
    virtual ~Firmware() = default;

    virtual std::string Kind() const = 0;  // "keyboard", ...
    virtual hid::Attributes Attributes() const = 0;
    virtual std::vector<InterfaceSpec> Interfaces() const = 0;

    // The interface that carries the 64-byte protocol: its reports of ID 4
    // are the requests the faults count and whose replies they change.
    // -1: such reports on any interface.
    virtual int ProtocolInterface() const { return -1; }

    // One report the host wrote on `interfaceNumber` (report-ID byte first).
    virtual void OnReport(int interfaceNumber, std::span<const uint8_t> report,
                          ReportSink& sink) = 0;

    // The device's memory as JSON, for dumps and for people reading them.
    virtual Json::Value DumpMemory() const = 0;

    // Something done on the device itself rather than by the host (a profile
    // button pressed, a key typed), as {"action": NAME, ...its arguments}.
    // The firmware changes its memory and sends the input reports it causes.
    // False with `error` set, nothing changed and nothing sent, for an action
    // the kind does not know or bad arguments.
    virtual bool Act(const Json::Value& action, ReportSink& sink, std::string& error) {
        (void)sink;
        const bool named = action.isObject() && action["action"].isString();
        error =
            "a " + Kind() + " has no action " + (named ? action["action"].asString() : "(none)");
        return false;
    }
};

}  // namespace halvorn::vdev
