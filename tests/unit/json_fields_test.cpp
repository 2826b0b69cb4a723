#include "profile/json_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fs/json_file.h"

namespace halvorn {
namespace {

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(ParseJsonText(text, value)) << text;
    return value;
}

TEST(JsonFields, MembersOfAnyTypeReadByTheIntegerAndBoolRules) {
    struct Case {
        const char* member;  // JSON text of "v"
        uint8_t asByte;
        uint16_t asWord;
        int32_t asInt;
        uint8_t asBool;
        const char* asString = "";
    };
    const Case cases[] = {
        {"7", 7, 7, 7, 1},
        {"0", 0, 0, 0, 0},
        {"300", 44, 300, 300, 1},  // low bits kept
        {"-1", 255, 65535, -1, 1},
        {"66051", 3, 515, 66051, 1},
        {"4294967295", 255, 65535, -1, 1},            // above INT_MAX
        {"18446744073709551615", 255, 65535, -1, 1},  // above INT64_MAX: bit pattern kept
        {"3.7", 3, 3, 3, 1},                          // truncated toward zero
        {"-3.7", 253, 65533, -3, 1},
        {"0.25", 0, 0, 0, 1},  // a non-zero real is true
        {"1e30", 0, 0, 0, 1},  // outside 64 bits: the default
        {"true", 1, 1, 1, 1},
        {"false", 0, 0, 0, 0},
        {"null", 0, 0, 0, 0},
        {"\"12\"", 0, 0, 0, 0, "12"},  // wrong types: the default
        {"[1, 2]", 0, 0, 0, 0},
        {"{\"v\": 1}", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Json::Value object = Parse(std::string("{\"v\": ") + c.member + "}");
        EXPECT_EQ(ReadInt<uint8_t>(object, "v"), c.asByte) << c.member;
        EXPECT_EQ(ReadInt<uint16_t>(object, "v"), c.asWord) << c.member;
        EXPECT_EQ(ReadInt<int32_t>(object, "v"), c.asInt) << c.member;
        EXPECT_EQ(ReadBool(object, "v"), c.asBool) << c.member;
        EXPECT_EQ(ReadString(object, "v"), c.asString) << c.member;
    }
}

TEST(JsonFields, ContainersOfTheWrongKindReadAsMissing) {
    // Each of these would throw in jsoncpp's own accessors.
    for (const char* text : {"5", "\"text\"", "[1, 2, 3]", "null", "true", "2.5"}) {
        const Json::Value value = Parse(text);
        EXPECT_TRUE(MemberOf(value, "v").isNull()) << text;
        EXPECT_FALSE(HasMember(value, "v")) << text;
        EXPECT_EQ(ReadInt<int32_t>(value, "v"), 0) << text;
        EXPECT_EQ(ReadString(value, "v"), "") << text;
        if (!value.isArray()) {
            EXPECT_TRUE(ElementOf(value, 0).isNull()) << text;
        }
    }
    const Json::Value array = Parse("[10, null, 30]");
    EXPECT_EQ(ElementOf(array, 0).asInt(), 10);
    EXPECT_TRUE(ElementOf(array, 1).isNull());
    EXPECT_TRUE(ElementOf(array, 3).isNull());
    EXPECT_TRUE(ElementOf(array, -1).isNull());
    EXPECT_FALSE(HasMember(Parse("{\"v\": null}"), "v"));
}

TEST(JsonFields, StringsReadAsValidUtf8) {
    const Json::Value object = Parse(
        "{\"s\": \"caf\xC3\xA9\", \"bad\": \"a\xFF"
        "b\"}");
    EXPECT_EQ(ReadString(object, "s"), "caf\xC3\xA9");
    EXPECT_EQ(ReadString(object, "bad"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(JsonFields, WritersReplaceValuesOfTheWrongKindInTheWay) {
    Json::Value root = Parse(R"({"A": 5, "B": "x", "C": {"Keep": 1}, "D": [1]})");
    WriteInt(ObjectMember(root, "A"), "Red", 200);
    ObjectElement(ArrayMember(root, "B"), 2)["Green"] = 1;
    WriteBool(ObjectMember(root, "C"), "Flag", true);
    WriteInt(ObjectElement(ArrayMember(root, "D"), 0), "Blue", uint8_t{255});

    EXPECT_EQ(root["A"]["Red"].asInt(), 200);
    ASSERT_TRUE(root["B"].isArray());
    EXPECT_EQ(root["B"].size(), 3u);
    EXPECT_TRUE(root["B"][0].isNull());
    EXPECT_EQ(root["C"]["Keep"].asInt(), 1);  // an object in the way is kept
    EXPECT_TRUE(root["C"]["Flag"].isInt());
    EXPECT_EQ(root["C"]["Flag"].asInt(), 1);
    EXPECT_EQ(root["D"][0]["Blue"].asInt(), 255);
    EXPECT_TRUE(root["D"][0]["Blue"].isInt());

    Json::Value scalar = 3;
    WriteInt(scalar, "X", -2);
    EXPECT_EQ(scalar["X"].asInt(), -2);
}

}  // namespace
}  // namespace halvorn
