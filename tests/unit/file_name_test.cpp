#include "platform/fs/file_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/fs/time_stamp.h"

namespace halvorn {
namespace {

struct NameCase {
    std::string name;
    bool plain;
};

class PlainFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PlainFileName, AcceptsOnlyNamesThatStayInTheirFolder) {
    EXPECT_EQ(IsPlainFileName(GetParam().name), GetParam().plain) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, PlainFileName,
    ::testing::Values(NameCase{"2024_05_07_13_02_45_120", true}, NameCase{"profile 1 (2)", true},
                      NameCase{"...", true}, NameCase{".hidden", true},
                      NameCase{std::string(kMaxPlainFileNameBytes, 'a'), true},
                      NameCase{std::string(kMaxPlainFileNameBytes + 1, 'a'), false},
                      NameCase{std::string(300, 'a'), false}, NameCase{"", false},
                      NameCase{".", false}, NameCase{"..", false}, NameCase{"../x", false},
                      NameCase{"a/b", false}, NameCase{"/abs", false}, NameCase{"a\\b", false},
                      NameCase{"..\\x", false}, NameCase{std::string("a\0b", 3), false}));

TEST(FreeTimeStampName, MovesOnByMillisecondsPastTakenNames) {
    const auto now =
        std::chrono::system_clock::time_point(std::chrono::milliseconds(1715000000120));
    const std::set<std::string> taken = {TimeStampString(now),
                                         TimeStampString(now + std::chrono::milliseconds(1))};
    const std::string name =
        FreeTimeStampName(now, [&](const std::string& n) { return taken.count(n) != 0; });
    EXPECT_EQ(name, TimeStampString(now + std::chrono::milliseconds(2)));
    EXPECT_EQ(FreeTimeStampName(now, [](const std::string&) { return false; }),
              TimeStampString(now));
    // A clock stuck on taken names ends instead of spinning forever.
    EXPECT_EQ(FreeTimeStampName(now, [](const std::string&) { return true; }), "");
}

}  // namespace
}  // namespace halvorn
