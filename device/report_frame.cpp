#include "device/report_frame.h"

#include <algorithm>
#include <cstdio>

namespace halvorn {

uint16_t ReportChecksum(std::span<const uint8_t, kReportSize> report) {
    uint32_t sum = 0;
    for (std::size_t i = 3; i < kReportSize; ++i) sum += report[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

Report BuildRequest(uint8_t command, uint8_t length, uint16_t offset,
                    std::span<const uint8_t> payload) {
    Report r{};
    r[0] = kProtocolReportId;
    r[3] = command;
    r[4] = length;
    r[5] = static_cast<uint8_t>(offset & 0xFF);
    r[6] = static_cast<uint8_t>(offset >> 8);
    r[7] = 0;
    std::copy_n(payload.begin(), std::min(payload.size(), kMaxPayload), r.begin() + kPayloadOffset);
    const uint16_t sum = ReportChecksum(r);
    r[1] = static_cast<uint8_t>(sum & 0xFF);
    r[2] = static_cast<uint8_t>(sum >> 8);
    return r;
}

int StatusResult(const Report& reply) {
    if (reply[7] == kStatusRejected) return kResultRejected;
    if (reply[7] == kStatusRejectedFe) return kResultRejectedFe;
    return kResultOk;
}

std::string FormatReportTrace(std::span<const uint8_t, kReportSize> report) {
    std::string text;
    char cell[8];
    for (std::size_t line = 0; line < 2; ++line) {
        for (std::size_t i = 0; i < 32; ++i) {
            if (i > 0) {
                // Three spaces between the first groups of four, two between the later ones.
                text += (i % 4 != 0) ? " " : (i <= 12 ? "   " : "  ");
            }
            std::snprintf(cell, sizeof cell, "%02x", report[line * 32 + i]);
            text += cell;
        }
        text += '\n';
    }
    return text;
}

}  // namespace halvorn
