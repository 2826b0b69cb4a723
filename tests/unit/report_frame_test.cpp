#include "device/report_frame.h"

#include <gtest/gtest.h>

#include <numeric>

namespace halvorn {
namespace {

TEST(ReportFrame, BeginConfigIsReportIdChecksumCommandAndZeros) {
    const Report r = BuildRequest(command::kBeginConfig, 0, 0);
    Report expected{};
    expected[0] = 0x04;
    expected[1] = 0x01;  // checksum low byte: the command byte alone
    expected[2] = 0x00;
    expected[3] = 0x01;
    EXPECT_EQ(r, expected);
}

TEST(ReportFrame, ChecksumSumsBytesThreeToTheEndAndWraps) {
    std::vector<uint8_t> payload(56, 0xFF);
    const Report r = BuildRequest(command::kWriteKeyTable, 56, 0x01F8, payload);
    // 0x09 + 56 + 0xF8 + 0x01 + 56 * 0xFF
    const uint32_t sum = 0x09 + 56 + 0xF8 + 0x01 + 56 * 0xFF;
    EXPECT_EQ(r[1], sum & 0xFF);
    EXPECT_EQ(r[2], (sum >> 8) & 0xFF);
    EXPECT_EQ(r[4], 56);
    EXPECT_EQ(r[5], 0xF8);
    EXPECT_EQ(r[6], 0x01);
    EXPECT_EQ(r[7], 0);
}

TEST(ReportFrame, PayloadBeyondFiftySixBytesIsCut) {
    std::vector<uint8_t> payload(80);
    std::iota(payload.begin(), payload.end(), 1);
    const Report r = BuildRequest(command::kWriteMemory, 56, 0, payload);
    EXPECT_EQ(r[8], 1);
    EXPECT_EQ(r[63], 56);
}

TEST(ReportFrame, StatusByteMapsToRejections) {
    Report reply{};
    EXPECT_EQ(StatusResult(reply), kResultOk);
    reply[7] = 0xFF;
    EXPECT_EQ(StatusResult(reply), kResultRejected);
    reply[7] = 0xFE;
    EXPECT_EQ(StatusResult(reply), kResultRejectedFe);
    reply[7] = 0x01;
    EXPECT_EQ(StatusResult(reply), kResultOk);
}

TEST(ReportFrame, TraceIsTwoLinesOfThirtyTwoBytesInGroups) {
    Report r{};
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(i);
    const std::string text = FormatReportTrace(r);
    const std::string first =
        "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
        "18 19 1a 1b  1c 1d 1e 1f\n";
    ASSERT_GT(text.size(), first.size());
    EXPECT_EQ(text.substr(0, first.size()), first);
    EXPECT_EQ(text.substr(first.size(), 12), "20 21 22 23 ");
    EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace halvorn
