#include "platform/loop/registered_messages.h"

#include <gtest/gtest.h>

#include <map>

#include "app/message_ids.h"

namespace halvorn {
namespace {

TEST(RegisteredMessages, SameNameSameIdentifierInTheRange) {
    const uint32_t a = RegisterMessage("UWM_MOUSERBUTTONDOWN_USER_MSG");
    EXPECT_EQ(a, RegisterMessage("UWM_MOUSERBUTTONDOWN_USER_MSG"));
    EXPECT_GE(a, kFirstRegisteredMessage);
    EXPECT_LE(a, kLastRegisteredMessage);
    EXPECT_EQ(RegisterMessage(""), 0u);
}

TEST(RegisteredMessages, IdentifiersDoNotDependOnTheProcess) {
    // A fixed value: another process, build or machine computes the same.
    EXPECT_EQ(RegisterMessage("Halvorn Device"),
              RegisterMessage(std::string("Halvorn ") + "Device"));
    EXPECT_EQ(Registered().instance, RegisterMessage(kProgramName));
}

TEST(RegisteredMessages, EveryNameOfTheProgramHasItsOwnIdentifier) {
    std::map<uint32_t, std::string_view> seen;
    auto add = [&](std::string_view name) {
        auto [it, inserted] = seen.emplace(RegisterMessage(name), name);
        if (!inserted) {
            EXPECT_EQ(it->second, name) << "collision";
        }
    };
    add(message_name::kInstance);
    for (std::string_view name : kGuidMessageNames) add(name);
    for (const HookMessage& m : kHookAndGameMessages) add(m.name);
    // 1 + 5 + 23 distinct names (one hook name is listed twice).
    EXPECT_EQ(seen.size(), 29u);
}

TEST(RegisteredMessages, OnlyTheListedMessagesAreAdmittedFromOutside) {
    const RegisteredMessages& r = Registered();
    EXPECT_TRUE(AdmittedFromOutside(r.instance));
    EXPECT_TRUE(AdmittedFromOutside(r.settingsRelay));
    EXPECT_TRUE(AdmittedFromOutside(r.lightOwnerNotice));
    EXPECT_TRUE(AdmittedFromOutside(r.toolQuery));
    EXPECT_FALSE(AdmittedFromOutside(r.lightOwnerRequest));
    EXPECT_FALSE(AdmittedFromOutside(r.audioWindow));
    EXPECT_TRUE(AdmittedFromOutside(HookMessageId("WM_HOOK_KEY_SINGLEKEY_MSG")));
    EXPECT_TRUE(AdmittedFromOutside(HookMessageId("UWM_MOUSEMOVE_USER_MSG")));
    EXPECT_FALSE(AdmittedFromOutside(HookMessageId("Game_Start")));
}

}  // namespace
}  // namespace halvorn
